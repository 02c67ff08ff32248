#include "UCadastroDelivery.h"

#include "Fonts.h"
#include "MarketplaceBanner.h"
#include "PlainText.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

namespace brisko::ui {

namespace {

constexpr int kClientWidth = 309;
constexpr int kClientHeight = 333;
constexpr int kBoxWidth = 209;

QFont PixelFont(const QString& family, int pixels, bool bold = false) {
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QLabel* NamedLabel(const char* name, const QString& text, const QFont& font) {
    auto* label = Named(PlainLabel(text), name);
    label->setAlignment(Qt::AlignCenter);
    label->setFont(font);
    return label;
}

} // namespace

TFCadastroDelivery::TFCadastroDelivery(store::Database& db, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      db_(db) {
    setObjectName(QStringLiteral("FCadastroDelivery"));
    setWindowTitle(QStringLiteral("Cadastro"));
    setFixedSize(kClientWidth, kClientHeight);
    setFont(PixelFont(QStringLiteral("Segoe UI"), 13));

    const QString roboto = RobotoFamily();
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 10, 10, 10);
    column->setSpacing(6);
    column->addWidget(
        NamedLabel("Label1", QStringLiteral("CADASTRAR INTEGRAÇÃO"), PixelFont(roboto, 17, true)));
    Label3 = NamedLabel("Label3", {}, PixelFont(roboto, 17, true));
    Label3->setWordWrap(true);
    column->addWidget(Label3);

    auto* banner = new QLabel;
    banner->setObjectName(QStringLiteral("VirtualImageAiqfome"));
    banner->setFixedHeight(38);
    banner->setPixmap(MarketplaceBanner(QSize(kClientWidth - 20, 38)));
    column->addWidget(banner);

    const QFont labelFont = PixelFont(QStringLiteral("Arial Black"), 17, true);
    const QFont boxFont = PixelFont(QStringLiteral("Segoe UI"), 17);
    column->addWidget(NamedLabel("Label2", QStringLiteral("Usuario"), labelFont));
    EditLogin = new QLineEdit;
    EditLogin->setObjectName(QStringLiteral("EditLogin"));
    EditLogin->setFixedWidth(kBoxWidth);
    EditLogin->setFont(boxFont);
    column->addWidget(EditLogin, 0, Qt::AlignHCenter);
    column->addWidget(NamedLabel("Label4", QStringLiteral("Senha"), labelFont));
    EditSenha = new QLineEdit; // shown in clear on purpose: the operator copies it from the portal
    EditSenha->setObjectName(QStringLiteral("EditSenha"));
    EditSenha->setFixedWidth(kBoxWidth);
    EditSenha->setFont(boxFont);
    column->addWidget(EditSenha, 0, Qt::AlignHCenter);

    Button4 = new QPushButton(QStringLiteral("SALVAR"));
    Button4->setObjectName(QStringLiteral("Button4"));
    Button4->setFixedSize(143, 41);
    Button4->setFont(PixelFont(roboto, 16, true));
    Button4->setAutoDefault(false);
    column->addWidget(Button4, 0, Qt::AlignHCenter);
    column->addStretch(1);

    setTabOrder(EditLogin, EditSenha);
    setTabOrder(EditSenha, Button4);
    connect(Button4, &QPushButton::clicked, this, &TFCadastroDelivery::Button4Click);
}

void TFCadastroDelivery::Centraliza() {
    if (const QScreen* s = screen()) {
        move(s->availableGeometry().center() - rect().center());
    }
}

void TFCadastroDelivery::AbreModal() {
    Centraliza();
    exec();
}

void TFCadastroDelivery::AbrePeloBotao() {
    Label3->clear();
    Centraliza();
    show();
    raise();
    activateWindow();
}

void TFCadastroDelivery::AbreAposErroLogin() {
    Centraliza();
    show();
    Label3->setText(QStringLiteral("LOGIN E SENHA AIQFOME INCORRETO"));
    raise();
    activateWindow();
}

void TFCadastroDelivery::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TFCadastroDelivery::FormShow() {
    try {
        if (!linha_) {
            // Read once: later showings keep what was read and saved.
            const std::vector<store::ConfigDelivery> rows = store::LeConfigDelivery(db_);
            if (rows.empty()) {
                store::ConfigDelivery vazia;
                vazia.ID = store::InsereConfigDeliveryVazia(db_);
                linha_ = vazia;
                return; // the boxes keep what they hold
            }
            linha_ = rows.front();
        }
        EditLogin->setText(QString::fromStdString(linha_->LOGIN));
        EditSenha->setText(QString::fromStdString(linha_->SENHA));
    } catch (const std::exception& e) {
        MostraErro(e);
    }
}

void TFCadastroDelivery::MostraErro(const std::exception& e) {
    ShowPlainMessage(this, QMessageBox::Critical, windowTitle(), QString::fromUtf8(e.what()),
                     QStringLiteral("MensagemErro"));
}

void TFCadastroDelivery::Button4Click() {
    const std::string login = EditLogin->text().toStdString();
    const std::string senha = EditSenha->text().toStdString();
    try {
        if (!linha_) {
            FormShow();
        }
        if (!linha_) {
            return; // the table could not be read: the message was shown
        }
        store::GravaContaConfigDelivery(db_, linha_->ID, login, senha);
    } catch (const std::exception& e) {
        // The dialog stays open with what was typed, and no pass is asked for.
        MostraErro(e);
        return;
    }
    linha_->IDORIGEM = 1;
    linha_->ORIGEM = "AIQFOME";
    linha_->LOGIN = login;
    linha_->SENHA = senha;
    emit contaGravada();
    accept(); // hides the dialog, and ends the wait of a modal opening
}

} // namespace brisko::ui
