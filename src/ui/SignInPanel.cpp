#include "SignInPanel.h"

#include "BackgroundCall.h"
#include "PlainText.h"
#include "ResultText.h"
#include "Store.h"
#include "TextoLegivel.h"
#include "TimedMessageDlg.h"
#include "URovezor.h"
#include "WindowTimers.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <initializer_list>
#include <utility>

namespace brisko::ui {

SignInPanel::SignInPanel(std::filesystem::path databaseFile, std::string apiKey, dispatch::Endpoint endpoint,
                         QString empresa, std::function<store::Database&()> banco, QWidget* parent)
    : QFrame(parent), databaseFile_(std::move(databaseFile)), apiKey_(std::move(apiKey)),
      endpoint_(std::move(endpoint)), empresa_(std::move(empresa)), banco_(std::move(banco)) {
    setObjectName(QStringLiteral("PanelLogin"));
    auto* outer = new QHBoxLayout(this);
    auto* form = new QVBoxLayout;
    form->setSpacing(6);

    Label7 = Named(PlainLabel(), "Label7");
    Label7->setAlignment(Qt::AlignCenter);
    QFont titleFont = Label7->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setBold(true);
    Label7->setFont(titleFont);

    LabelErro = Named(PlainLabel(), "LabelErro");
    LabelErro->setAlignment(Qt::AlignCenter);
    LabelErro->setWordWrap(true);
    QFont boldFont = LabelErro->font();
    boldFont.setBold(true);
    LabelErro->setFont(boldFont);

    EditEmail = Named(new QLineEdit, "EditEmail");
    EditSenha = Named(new QLineEdit, "EditSenha");
    EditSenha->setEchoMode(QLineEdit::Password);
    CheckBoxAutoConect = Named(new QCheckBox(QStringLiteral(" Continuar conectado")), "CheckBoxAutoConect");
    Button4 = Named(new QPushButton(QStringLiteral("ENTRAR")), "Button4");

    form->addStretch(1);
    form->addWidget(Label7);
    form->addWidget(LabelErro);
    form->addWidget(Named(PlainLabel(QStringLiteral("Digite seu email")), "Label8"));
    form->addWidget(EditEmail);
    form->addWidget(Named(PlainLabel(QStringLiteral("Digite sua senha")), "Label9"));
    form->addWidget(EditSenha);
    form->addWidget(CheckBoxAutoConect);
    form->addWidget(Button4);
    form->addStretch(1);
    outer->addStretch(1);
    outer->addLayout(form, 2);
    outer->addStretch(1);

    setTabOrder(EditEmail, EditSenha);
    setTabOrder(EditSenha, CheckBoxAutoConect);
    setTabOrder(CheckBoxAutoConect, Button4);

    TimerLoginAutomatico = NewTimer(this, "TimerLoginAutomatico", 500, true);
    connect(TimerLoginAutomatico, &QTimer::timeout, this, [this] {
        TimerLoginAutomatico->stop();
        Button4->click();
    });
    connect(Button4, &QPushButton::clicked, this, &SignInPanel::Button4Click);
    // Enter signs in; the key itself goes on to the box as usual.
    for (QLineEdit* box : {EditEmail, EditSenha}) {
        connect(box, &QLineEdit::returnPressed, Button4, &QPushButton::click);
    }
}

void SignInPanel::MostraTitulo() {
    Label7->setText(QStringLiteral("Entre com sua conta - ") + empresa_);
}

void SignInPanel::Prepara(const std::optional<store::Empresa>& salva) {
    if (salva && salva->AUTOCONNECT == "S") {
        EditEmail->setText(QString::fromStdString(salva->EMAIL));
        EditSenha->setText(QString::fromStdString(salva->SENHA));
        CheckBoxAutoConect->setChecked(true);
        TimerLoginAutomatico->start();
    } else {
        EditEmail->clear();
        EditSenha->clear();
        CheckBoxAutoConect->setChecked(true);
        EditEmail->setFocus();
    }
}

void SignInPanel::Encerra() {
    TimerLoginAutomatico->stop();
}

void SignInPanel::Button4Click() {
    LabelErro->clear();
    if (EditEmail->text().isEmpty() && EditSenha->text().isEmpty()) {
        LabelErro->setText(QStringLiteral("Usuário e/ou senhas inválidos."));
        return;
    }
    HabilitaLogin(false);
    try {
        // The window keeps painting and its timers keep running while the platform answers.
        const std::string result = RunInBackground([this, email = EditEmail->text().toStdString(),
                                                    senha = EditSenha->text().toStdString(),
                                                    autoConnect = CheckBoxAutoConect->isChecked()] {
            return ChamaLoginEmpresa(email, senha, autoConnect);
        });
        if (result != net::kTrue) {
            MostraErro(TextoLegivel(result));
        } else if (const std::optional<store::Empresa> empresa = store::LeEmpresa(banco_());
                   !empresa || empresa->STATUS != "A") {
            MostraErro(QStringLiteral("Empresa inativada pela ") + empresa_);
        } else {
            emit entrou(*empresa); // the window lays itself out signed in
        }
    } catch (const std::exception& e) {
        // A database failure must not leave the sign-in controls disabled for good, nor a window
        // half signed in whose error line sits on the hidden sign-in panel.
        emit saiu();
        MostraErro(QString::fromUtf8(e.what()));
    }
    HabilitaLogin(true);
}

std::string SignInPanel::ChamaLoginEmpresa(const std::string& email, const std::string& senha,
                                           bool autoConnect) const {
    // Runs on the helper thread: a connection of its own, since the window thread's is not shared.
    store::Database db(databaseFile_);
    std::string result = dispatch::LoginEmpresa(apiKey_, email, senha, autoConnect, db, endpoint_);
    // Orders older than two days, and history older than 90, go at every sign-in of an active store. Here,
    // not on the window's connection: a lock held by another program would keep the window waiting for it.
    if (result == net::kTrue) {
        if (const std::optional<store::Empresa> empresa = store::LeEmpresa(db);
            empresa && empresa->STATUS == "A") {
            store::ApagaPedidosAntigos(db);
            try {
                store::ApagaHistoricoAntigo(db); // its own, longer retention
                store::ApagaRetidosSemPedido(db);
            } catch (const DatabaseError&) {
                // the sign-in does not hang on the history: the next one prunes it
            }
        }
    }
    return result;
}

void SignInPanel::MostraErro(const QString& text) {
    LabelErro->setText(text);
    emit atencao(); // an automatic sign-in at start that fails must be seen
}

void SignInPanel::HabilitaLogin(bool enabled) {
    Button4->setText(enabled ? QStringLiteral("ENTRAR") : QStringLiteral("CONECTANDO"));
    for (QWidget* control :
         std::initializer_list<QWidget*>{Button4, EditEmail, EditSenha, CheckBoxAutoConect}) {
        control->setEnabled(enabled);
    }
}

void SignInPanel::Sai() {
    if (TimedMessageDlg(QStringLiteral("Deseja sair da conta? "), window()) != QMessageBox::Yes) {
        return;
    }
    emit saiu();
    EditEmail->setFocus();
    EditSenha->clear();
    try {
        store::ApagaEmpresa(banco_());
    } catch (const std::exception& e) {
        ShowDefaultError(window(), e);
    }
}

} // namespace brisko::ui
