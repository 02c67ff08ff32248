#include "uMainForm.h"

#include "Artwork.h"
#include "BuildConstants.h"
#include "Database.h"
#include "Errors.h"
#include "Platform.h"
#include "TimedMessageDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <system_error>

namespace brisko::ui {

namespace {

constexpr int kBannerHeight = 73;
constexpr int kPanelMenuHeight = 80;
constexpr int kPanelLoginHeight = 450;
constexpr int kStatusBarHeight = 31;
constexpr int kTimerVersaoMs = 1000;

template <typename W> W* Named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// Labels that show data from outside never interpret it as markup.
QLabel* PlainLabel(const char* name, const QString& text = {}) {
    auto* label = Named(new QLabel(text), name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel* StatusPanel(const char* name, int width) {
    auto* panel = PlainLabel(name);
    panel->setFixedWidth(width);
    panel->setAlignment(Qt::AlignCenter);
    return panel;
}

} // namespace

TMainForm::TMainForm(std::filesystem::path programFolder, QWidget* parent)
    : QMainWindow(parent), programFolder_(std::move(programFolder)) {
    setObjectName(QStringLiteral("MainForm"));
    // A fixed frame with the system menu and minimise only: no maximise button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    MontaTela();

    TimerVersao = Named(new QTimer(this), "TimerVersao");
    TimerVersao->setInterval(kTimerVersaoMs);
    connect(TimerVersao, &QTimer::timeout, this, &TMainForm::TimerVersaoTimer);
    versaoPool_.setMaxThreadCount(1);

    FormCreate();
}

TMainForm::~TMainForm() {
    // A check still running would hand its result to a window that is going away.
    versaoPool_.waitForDone();
}

void TMainForm::MontaTela() {
    auto* central = new QWidget;
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    VirtualImage1 = Named(new QLabel, "VirtualImage1");
    VirtualImage1->setFixedHeight(kBannerHeight);
    VirtualImage1->setAlignment(Qt::AlignCenter);
    VirtualImage1->setCursor(Qt::PointingHandCursor);
    // Sits over the banner's top-left corner rather than taking a row of its own.
    SpeedButton5 = Named(new QToolButton(VirtualImage1), "SpeedButton5");
    SpeedButton5->setText(QStringLiteral("Deslogar"));
    SpeedButton5->setAutoRaise(true);
    SpeedButton5->setGeometry(0, 0, 175, 40);

    column->addWidget(VirtualImage1);
    column->addWidget(MontaPanelMenu());
    column->addWidget(MontaPanelLogin());
    column->addWidget(MontaPanelPedidos(), 1);
    column->addStretch(0); // takes the room of the order panel while that is hidden
    setCentralWidget(central);

    MontaStatusBar();
    resize(886, 565);
    if (const QScreen* s = screen()) {
        move(s->availableGeometry().center() - rect().center());
    }
}

QFrame* TMainForm::MontaPanelMenu() {
    PanelMenu = Named(new QFrame, "PanelMenu");
    PanelMenu->setFixedHeight(kPanelMenuHeight);
    auto* rows = new QVBoxLayout(PanelMenu);
    rows->setContentsMargins(8, 4, 8, 4);
    rows->setSpacing(2);

    LabelEmpresa = PlainLabel("LabelEmpresa");
    LabelEmpresa->setAlignment(Qt::AlignCenter);
    LabelCIDADE = PlainLabel("LabelCIDADE");
    LabelCIDADE->setAlignment(Qt::AlignCenter);
    rows->addWidget(LabelEmpresa);
    rows->addWidget(LabelCIDADE);

    auto* agendar = new QHBoxLayout;
    CheckBoxRebimentoAutomatico = Named(new QCheckBox(QStringLiteral("Agendar automático os pedidos em")),
                                        "CheckBoxRebimentoAutomatico");
    ComboBoxAgendar = Named(new QComboBox, "ComboBoxAgendar");
    ComboBoxAgendar->setEditable(true);
    ComboBoxAgendar->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), ComboBoxAgendar));
    ComboBoxAgendar->setEditText(QStringLiteral("120"));
    agendar->addStretch(1);
    agendar->addWidget(CheckBoxRebimentoAutomatico);
    agendar->addWidget(ComboBoxAgendar);
    agendar->addWidget(PlainLabel("Label16", QStringLiteral("min")));
    agendar->addStretch(1);
    rows->addLayout(agendar);

    // The delivery defaults live with the settings but below the panel's visible height: they are
    // filled at sign-in and read by automatic scheduling, never shown.
    auto* padroes = new QWidget(PanelMenu);
    padroes->hide();
    auto* padroesRow = new QHBoxLayout(padroes);
    ComboBoxCategorias = Named(new QComboBox, "ComboBoxCategorias");
    ComboBoxPagamentos = Named(new QComboBox, "ComboBoxPagamentos");
    ComboBoxRetorno = Named(new QComboBox, "ComboBoxRetorno");
    ComboBoxRetorno->addItems({QStringLiteral("Não"), QStringLiteral("Sim")});
    ComboBoxRetorno->setCurrentIndex(0);
    padroesRow->addWidget(PlainLabel("Label12", QStringLiteral("Categoria")));
    padroesRow->addWidget(ComboBoxCategorias);
    padroesRow->addWidget(PlainLabel("Label13", QStringLiteral("Pagamento")));
    padroesRow->addWidget(ComboBoxPagamentos);
    padroesRow->addWidget(PlainLabel("Label14", QStringLiteral("Retorno")));
    padroesRow->addWidget(ComboBoxRetorno);
    return PanelMenu;
}

QFrame* TMainForm::MontaPanelLogin() {
    PanelLogin = Named(new QFrame, "PanelLogin");
    auto* outer = new QHBoxLayout(PanelLogin);
    auto* form = new QVBoxLayout;
    form->setSpacing(6);

    Label7 = PlainLabel("Label7");
    Label7->setAlignment(Qt::AlignCenter);
    QFont titleFont = Label7->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setBold(true);
    Label7->setFont(titleFont);

    LabelErro = PlainLabel("LabelErro");
    LabelErro->setAlignment(Qt::AlignCenter);
    LabelErro->setWordWrap(true);
    QFont boldFont = LabelErro->font();
    boldFont.setBold(true);
    LabelErro->setFont(boldFont);

    EditEmail = Named(new QLineEdit, "EditEmail");
    EditSenha = Named(new QLineEdit, "EditSenha");
    EditSenha->setEchoMode(QLineEdit::Password);
    EditSenha->setStyleSheet(QStringLiteral("lineedit-password-character: 42;")); // '*'
    CheckBoxAutoConect = Named(new QCheckBox(QStringLiteral(" Continuar conectado")), "CheckBoxAutoConect");
    Button4 = Named(new QPushButton(QStringLiteral("ENTRAR")), "Button4");

    form->addStretch(1);
    form->addWidget(Label7);
    form->addWidget(LabelErro);
    form->addWidget(PlainLabel("Label8", QStringLiteral("Digite seu email")));
    form->addWidget(EditEmail);
    form->addWidget(PlainLabel("Label9", QStringLiteral("Digite sua senha")));
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
    return PanelLogin;
}

QFrame* TMainForm::MontaPanelPedidos() {
    PanelPedidos = Named(new QFrame, "PanelPedidos");
    auto* rows = new QVBoxLayout(PanelPedidos);

    LabelAvisos = PlainLabel("LabelAvisos");
    LabelAvisos->setAlignment(Qt::AlignCenter);
    LabelAvisos->setWordWrap(true);
    LabelAvisos->hide();

    auto* heading = new QHBoxLayout;
    Label6PEDIDOS = PlainLabel("Label6PEDIDOS", QStringLiteral("CALCULANDO PEDIDOS"));
    SpeedButton2 = Named(new QToolButton, "SpeedButton2");
    SpeedButton2->setText(QStringLiteral("🔧 Configurar aiqfome"));
    SpeedButton2->setAutoRaise(true);
    heading->addWidget(Label6PEDIDOS, 1);
    heading->addWidget(SpeedButton2);

    rows->addWidget(LabelAvisos);
    rows->addLayout(heading);
    return PanelPedidos;
}

void TMainForm::MontaStatusBar() {
    auto* bar = Named(new QStatusBar, "StatusBar1");
    bar->setFixedHeight(kStatusBarHeight);
    bar->setSizeGripEnabled(false);
    StatusPanel0 = StatusPanel("StatusBar1Panel0", 200);
    StatusPanel1 = StatusPanel("StatusBar1Panel1", 500);
    bar->addWidget(StatusPanel0);
    bar->addWidget(StatusPanel1);
    setStatusBar(bar);
}

void TMainForm::FormCreate() {
    VariaveisPadrao();
    platform::WriteAutostartEntries(programFolder_ / BRISKO_PROGRAM_FILE_NAME);
    vLogado = false;
    Logado(false);
    VirtualImage1->setPixmap(LogoImage(vpIndexLogo));
    setWindowTitle(vpEmpresa + QStringLiteral(" - v") + QStringLiteral(BRISKO_VERSION));
    TimerVersao->start();
}

void TMainForm::VariaveisPadrao() {
    AbreBanco(); // a database failure still leaves the constants set
    vpEmpresa = QStringLiteral("Brisko Derereve Vilamar");
    vpUrlEmpresa = QString::fromUtf8(build::kDispatchWebUrl) + QStringLiteral("/solicitacao/gestaoPedido");
    vpTokenRovezor = QString::fromUtf8(build::kDispatchApiKey);
    vpIndexLogo = LogoWhite;
}

void TMainForm::AbreBanco() {
    try {
        database_ = std::make_unique<store::Database>(programFolder_ / "BD" / "BANCO.db");
    } catch (const DatabaseError& e) {
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(),
                        QStringLiteral("Erro: Avise o Suporte") + QString::fromUtf8(e.what()),
                        QMessageBox::Ok);
        box.setObjectName(QStringLiteral("MensagemErroBanco"));
        box.setTextFormat(Qt::PlainText);
        box.exec();
        platform::StartCommandFileHidden(programFolder_ / BRISKO_COMMAND_FILE_NAME);
    }
}

void TMainForm::Logado(bool V) {
    PanelLogin->setFixedHeight(V ? 1 : kPanelLoginHeight);
    PanelLogin->setVisible(!V);
    PanelPedidos->setVisible(V);
    PanelMenu->setVisible(V);
    SpeedButton5->setVisible(V);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (FormCloseQuery()) {
        event->accept();
    } else {
        event->ignore();
    }
}

bool TMainForm::FormCloseQuery() {
    return TimedMessageDlg(
               QStringLiteral("A integração irá para de funcionar! Deseja encerrar a aplicação? "), this) ==
           QMessageBox::Yes;
}

void TMainForm::TimerVersaoTimer() {
    TimerVersao->stop();
    versaoPool_.start([this, marker = programFolder_ / "open" / "open.ini"] {
        // Only the marker's presence matters, so a half-written one counts too.
        std::error_code ignored;
        const bool pedido = std::filesystem::exists(marker, ignored);
        if (pedido) {
            std::filesystem::remove(marker, ignored); // undeletable: asked again on the next tick
        }
        QMetaObject::invokeMethod(
            this,
            [this, pedido] {
                if (pedido) {
                    TrazParaFrente();
                }
                TimerVersao->start();
            },
            Qt::QueuedConnection);
    });
}

void TMainForm::TrazParaFrente() {
    if (isMinimized()) {
        showNormal();
    }
    raise();
    activateWindow();
    platform::BringWindowToFront(reinterpret_cast<void*>(winId()));
}

} // namespace brisko::ui
