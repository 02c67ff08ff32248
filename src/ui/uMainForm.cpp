#include "uMainForm.h"

#include "Artwork.h"
#include "BackgroundCall.h"
#include "BracketList.h"
#include "BuildConstants.h"
#include "CycleBridge.h"
#include "DeliveryOptions.h"
#include "Fonts.h"
#include "OrderCardGrid.h"
#include "PathText.h"
#include "PaymentMethods.h"
#include "PlainText.h"
#include "Platform.h"
#include "ProgramFiles.h"
#include "ResultText.h"
#include "ScheduleMinutes.h"
#include "Store.h"
#include "TextoLegivel.h"
#include "TimedMessageDlg.h"
#include "UCadastroDelivery.h"
#include "UEntrega.h"
#include "URovezor.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <system_error>
#include <utility>

namespace brisko::ui {

namespace {

constexpr int kBannerHeight = 73;
constexpr int kPanelMenuHeight = 80;
constexpr int kPanelLoginHeight = 450;
constexpr int kStatusBarHeight = 31;
constexpr int kTimerVersaoMs = 1000;
constexpr int kMinimumOuterWidth = 900;
constexpr int kMinimumOuterHeight = 600;
constexpr int kAposPinturaMaxMs = 2000;
// How long the window's own statements wait for a lock another connection holds: enough for the
// worker's short writes, far below a freeze the operator would notice.
constexpr std::chrono::milliseconds kEsperaBancoJanela{300};

const QString kMinutosPadrao = QStringLiteral("120");

QLabel* StatusPanel(const char* name, int width) {
    auto* panel = Named(PlainLabel(), name);
    panel->setFixedWidth(width);
    panel->setAlignment(Qt::AlignCenter);
    return panel;
}

QTimer* NewTimer(QObject* owner, const char* name, int interval, bool singleShot = false) {
    auto* timer = new QTimer(owner);
    timer->setObjectName(QString::fromLatin1(name));
    timer->setInterval(interval);
    timer->setSingleShot(singleShot);
    return timer;
}

// Starting a running timer changes nothing (QTimer::start would restart its count).
void Inicia(QTimer* timer) {
    if (!timer->isActive()) {
        timer->start();
    }
}

// A new interval restarts a running timer's count; the same interval leaves it alone.
void DefineIntervalo(QTimer* timer, int ms) {
    if (timer->interval() != ms) {
        timer->setInterval(ms);
    }
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The entry whose text equals the stored one becomes current; none equal: the choice stays.
void SelecionaTexto(QComboBox* list, const std::string& text) {
    const int index = list->findText(Q(text), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0) {
        list->setCurrentIndex(index);
    }
}

// A file the program may not write (a read-only program folder, say) would fail every pass and
// every sign-in, so it takes the path of a file that cannot be opened, with the reason in the
// operator's words.
void ExigeGravacao(store::Database& database, const std::filesystem::path& file) {
    const std::string motivo = store::WriteRefusal(database);
    if (!motivo.empty()) {
        throw DatabaseError(motivo + "\nO programa não pode gravar no banco de dados " +
                            store::PathText(file) +
                            ". Verifique a permissão de gravação do arquivo e da pasta " +
                            store::PathText(file.parent_path()) + ".");
    }
}

} // namespace

TMainForm::TMainForm(std::filesystem::path programFolder, MainFormOptions options, QWidget* parent)
    : QMainWindow(parent), programFolder_(std::move(programFolder)),
      arquivoBanco_(platform::DatabaseFile(programFolder_)), options_(std::move(options)) {
    options_.dispatch.abandon = encerrando_;
    options_.marketplace.abandon = encerrando_;
    setObjectName(QStringLiteral("MainForm"));
    // A fixed frame with the system menu and minimise only: no maximise button, no sizing border.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    MontaTela();
    MontaTimers();
    LigaEventos();
    versaoPool_.setMaxThreadCount(1);

    FormCreate();
    ciclo_ = std::make_unique<CycleBridge>(*this); // after the constants: the pass needs the API key
}

TMainForm::~TMainForm() {
    for (QTimer* timer : findChildren<QTimer*>(Qt::FindDirectChildrenOnly)) {
        timer->stop(); // nothing new starts while the window waits for its helpers below
    }
    // A check still running would hand its result to a window that is going away.
    versaoPool_.waitForDone();
    ciclo_.reset(); // waits for a running pass, whose outlets point at this window
}

void TMainForm::MontaTela() {
    auto* central = new QWidget;
    setCentralWidget(central);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    VirtualImage1 = Named(new QLabel(central), "VirtualImage1");
    VirtualImage1->setFixedHeight(kBannerHeight);
    VirtualImage1->setAlignment(Qt::AlignCenter);
    VirtualImage1->setCursor(Qt::PointingHandCursor);
    VirtualImage1->installEventFilter(this);
    // Sits over the banner's top-left corner rather than taking a row of its own.
    SpeedButton5 = Named(new QToolButton(VirtualImage1), "SpeedButton5");
    SpeedButton5->setText(QStringLiteral("Deslogar"));
    SpeedButton5->setAutoRaise(true);
    SpeedButton5->setGeometry(0, 0, 175, 40);

    column->addWidget(VirtualImage1);
    column->addWidget(MontaPanelMenu(central));
    column->addWidget(MontaPanelLogin(central));
    column->addWidget(MontaPanelPedidos(central), 1);
    column->addStretch(0); // takes the room of the order panel while that is hidden

    MontaStatusBar();
    setFixedSize(886, 565); // the operator cannot drag it to another size; only the rule below sets one
    if (const QScreen* s = screen()) {
        move(s->availableGeometry().center() - rect().center());
    }
}

QFrame* TMainForm::MontaPanelMenu(QWidget* parent) {
    PanelMenu = Named(new QFrame(parent), "PanelMenu");
    PanelMenu->setFixedHeight(kPanelMenuHeight);
    auto* rows = new QVBoxLayout(PanelMenu);
    rows->setContentsMargins(8, 4, 8, 4);
    rows->setSpacing(2);

    LabelEmpresa = Named(PlainLabel(), "LabelEmpresa");
    LabelEmpresa->setAlignment(Qt::AlignCenter);
    LabelCIDADE = Named(PlainLabel(), "LabelCIDADE");
    LabelCIDADE->setAlignment(Qt::AlignCenter);
    rows->addWidget(LabelEmpresa);
    rows->addWidget(LabelCIDADE);

    auto* agendar = new QHBoxLayout;
    CheckBoxRebimentoAutomatico = Named(new QCheckBox(QStringLiteral("Agendar automático os pedidos em")),
                                        "CheckBoxRebimentoAutomatico");
    ComboBoxAgendar = Named(new QLineEdit(kMinutosPadrao), "ComboBoxAgendar");
    ComboBoxAgendar->setAlignment(Qt::AlignCenter);
    ComboBoxAgendar->setFixedWidth(60);
    ComboBoxAgendar->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), ComboBoxAgendar));
    agendar->addStretch(1);
    agendar->addWidget(CheckBoxRebimentoAutomatico);
    agendar->addWidget(ComboBoxAgendar);
    agendar->addWidget(Named(PlainLabel(QStringLiteral("min")), "Label16"));
    agendar->addStretch(1);
    rows->addLayout(agendar);

    // The delivery defaults live with the settings but below the panel's visible height: they are
    // filled at sign-in and read by automatic scheduling, never shown, yet still reached by Tab.
    auto* padroes = new QWidget(PanelMenu);
    padroes->setGeometry(0, kPanelMenuHeight + 10, 700, 30);
    auto* padroesRow = new QHBoxLayout(padroes);
    ComboBoxCategorias = Named(new QComboBox(padroes), "ComboBoxCategorias");
    ComboBoxPagamentos = Named(new QComboBox(padroes), "ComboBoxPagamentos");
    ComboBoxRetorno = Named(new QComboBox(padroes), "ComboBoxRetorno");
    for (const std::string& choice : courier::ReturnChoices()) {
        ComboBoxRetorno->addItem(Q(choice));
    }
    ComboBoxRetorno->setCurrentIndex(0);
    padroesRow->addWidget(Named(PlainLabel(QStringLiteral("Categoria")), "Label12"));
    padroesRow->addWidget(ComboBoxCategorias);
    padroesRow->addWidget(Named(PlainLabel(QStringLiteral("Pagamento")), "Label13"));
    padroesRow->addWidget(ComboBoxPagamentos);
    padroesRow->addWidget(Named(PlainLabel(QStringLiteral("Retorno")), "Label14"));
    padroesRow->addWidget(ComboBoxRetorno);

    setTabOrder(CheckBoxRebimentoAutomatico, ComboBoxPagamentos);
    setTabOrder(ComboBoxPagamentos, ComboBoxCategorias);
    setTabOrder(ComboBoxCategorias, ComboBoxRetorno);
    setTabOrder(ComboBoxRetorno, ComboBoxAgendar);
    return PanelMenu;
}

QFrame* TMainForm::MontaPanelLogin(QWidget* parent) {
    PanelLogin = Named(new QFrame(parent), "PanelLogin");
    auto* outer = new QHBoxLayout(PanelLogin);
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
    return PanelLogin;
}

QFrame* TMainForm::MontaPanelPedidos(QWidget* parent) {
    PanelPedidos = Named(new QFrame(parent), "PanelPedidos");
    auto* rows = new QVBoxLayout(PanelPedidos);

    LabelAvisos = Named(PlainLabel(), "LabelAvisos");
    LabelAvisos->setAlignment(Qt::AlignCenter);
    LabelAvisos->setWordWrap(true);
    LabelAvisos->hide();

    auto* heading = new QHBoxLayout;
    Label6PEDIDOS = Named(PlainLabel(QStringLiteral("CALCULANDO PEDIDOS")), "Label6PEDIDOS");
    SpeedButton2 = Named(new QToolButton, "SpeedButton2");
    SpeedButton2->setText(QStringLiteral("🔧 Configurar aiqfome"));
    SpeedButton2->setAutoRaise(true);
    heading->addWidget(Label6PEDIDOS, 1);
    heading->addWidget(SpeedButton2);

    // The grid itself turns the wheel into moves of the current card.
    DBCtrlGrid1 = Named(new OrderCardGrid, "DBCtrlGrid1");

    rows->addWidget(LabelAvisos);
    rows->addLayout(heading);
    rows->addWidget(DBCtrlGrid1, 1);
    return PanelPedidos;
}

void TMainForm::MontaStatusBar() {
    auto* bar = Named(new QStatusBar(this), "StatusBar1");
    bar->setFixedHeight(kStatusBarHeight);
    bar->setSizeGripEnabled(false);
    StatusPanel0 = StatusPanel("StatusBar1Panel0", 200);
    StatusPanel1 = StatusPanel("StatusBar1Panel1", 500);
    bar->addWidget(StatusPanel0);
    bar->addWidget(StatusPanel1);
    setStatusBar(bar);
}

void TMainForm::MontaTimers() {
    TimerVersao = NewTimer(this, "TimerVersao", kTimerVersaoMs);
    TimerDelivery = NewTimer(this, "TimerDelivery", 1000);
    TimerCountDelivery = NewTimer(this, "TimerCountDelivery", 1000);
    TimerPedidos = NewTimer(this, "TimerPedidos", 500);
    TimerLogin = NewTimer(this, "TimerLogin", 1);
    TimerCadastroEntrega = NewTimer(this, "TimerCadastroEntrega", 500);
    TimerLoginAutomatico = NewTimer(this, "TimerLoginAutomatico", 500, true);
}

void TMainForm::LigaEventos() {
    connect(TimerVersao, &QTimer::timeout, this, &TMainForm::TimerVersaoTimer);
    connect(TimerDelivery, &QTimer::timeout, this, &TMainForm::TimerDeliveryTimer);
    connect(TimerCountDelivery, &QTimer::timeout, this, &TMainForm::TimerCountDeliveryTimer);
    connect(TimerPedidos, &QTimer::timeout, this, &TMainForm::TimerPedidosTimer);
    connect(TimerLogin, &QTimer::timeout, this, &TMainForm::TimerLoginTimer);
    connect(TimerCadastroEntrega, &QTimer::timeout, this, &TMainForm::TimerCadastroEntregaTimer);
    connect(TimerLoginAutomatico, &QTimer::timeout, this, &TMainForm::TimerLoginAutomaticoTimer);

    connect(Button4, &QPushButton::clicked, this, &TMainForm::Button4Click);
    // Enter signs in; the key itself goes on to the box as usual.
    for (QLineEdit* box : {EditEmail, EditSenha, ComboBoxAgendar}) {
        connect(box, &QLineEdit::returnPressed, Button4, &QPushButton::click);
    }
    connect(SpeedButton5, &QToolButton::clicked, this, &TMainForm::SpeedButton5Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TMainForm::SpeedButton2Click);
    connect(DBCtrlGrid1, &OrderCardGrid::logoClicked, this,
            [] { platform::OpenUrl(std::string(build::kMarketplacePortalUrl) + "/pedidos"); });

    // The check box and the minutes box react to changes made by the program too; the lists only
    // to the operator's choice (activated), never to a fill or a selection by the program.
    connect(CheckBoxRebimentoAutomatico, &QCheckBox::toggled, this,
            &TMainForm::CheckBoxRebimentoAutomaticoClick);
    connect(ComboBoxAgendar, &QLineEdit::textChanged, this, &TMainForm::ComboBoxAgendarChange);
    connect(ComboBoxCategorias, &QComboBox::activated, this, &TMainForm::ComboBoxCategoriasChange);
    connect(ComboBoxPagamentos, &QComboBox::activated, this, &TMainForm::ComboBoxPagamentosChange);
    connect(ComboBoxRetorno, &QComboBox::activated, this, &TMainForm::ComboBoxPagamentosChange);
}

void TMainForm::FormCreate() {
    VariaveisPadrao();
    vLogado = false;
    Logado(false);
    VirtualImage1->setPixmap(LogoImage(vpIndexLogo));
    setWindowTitle(vpEmpresa + QStringLiteral(" - v") + QStringLiteral(BRISKO_VERSION));
    for (QTimer* running : {TimerVersao, TimerDelivery, TimerPedidos, TimerLogin}) {
        running->start();
    }
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
        auto database = std::make_unique<store::Database>(arquivoBanco_, kEsperaBancoJanela);
        ExigeGravacao(*database, arquivoBanco_);
        // Whatever copy this is (the build's, an installed one run in place, one made before the
        // launcher kept its copies private), the passwords it will hold are the user's alone.
        store::KeepToOwner(arquivoBanco_);
        database_ = std::move(database);
    } catch (const DatabaseError& e) {
        ShowPlainMessage(nullptr, QMessageBox::NoIcon, QApplication::applicationDisplayName(),
                         QStringLiteral("Erro: Avise o Suporte") + QString::fromUtf8(e.what()),
                         QStringLiteral("MensagemErroBanco"));
        platform::StartCommandFileHidden(programFolder_ / BRISKO_COMMAND_FILE_NAME);
    }
}

store::Database& TMainForm::Banco() {
    if (!database_) {
        throw DatabaseError("Banco de dados não aberto: " + store::PathText(arquivoBanco_));
    }
    return *database_;
}

void TMainForm::RegistraCadastroDelivery(TFCadastroDelivery* dialog) {
    cadastroDelivery_ = dialog;
}

void TMainForm::RegistraEntrega(TFEntrega* dialog) {
    if (!database_) {
        return; // without the database the cards stay empty and the dialog has nothing to show
    }
    entrega_ = dialog;
    entrega_->Attach(*database_, vpTokenRovezor.toStdString(), options_.dispatch);
    connect(DBCtrlGrid1, &OrderCardGrid::courierRequested, this, &TMainForm::AbreEntrega);
    // The refresh paused while the dialog was open runs at once when it closes.
    connect(entrega_, &TFEntrega::closed, this, [this] { Inicia(TimerPedidos); });
}

void TMainForm::AdiaDialogos(std::function<void()> criaDialogos) {
    criaDialogos_ = std::move(criaDialogos);
}

void TMainForm::GaranteDialogos() {
    if (auto cria = std::exchange(criaDialogos_, nullptr)) {
        cria();
    }
}

bool TMainForm::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    if (event->type() == QEvent::Paint && !aposPintura_) {
        // After this paint has reached the screen, not inside it.
        QTimer::singleShot(0, this, &TMainForm::AposPrimeiraPintura);
    }
    return handled;
}

void TMainForm::AposPrimeiraPintura() {
    if (std::exchange(aposPintura_, true)) {
        return;
    }
    platform::WriteAutostartEntries(programFolder_ / BRISKO_PROGRAM_FILE_NAME);
    // The bundled family takes milliseconds to load that the first frame does not need: the panels
    // stay empty until the first countdown. Its longest text has to fit the 200 pixels of the first.
    QFont font(RobotoFamily());
    font.setPixelSize(12);
    for (QLabel* panel : {StatusPanel0, StatusPanel1}) {
        panel->setFont(font);
    }
    GaranteDialogos();
}

void TMainForm::AbreEntrega(const store::Pedido& row, const QString& dateLine) {
    if (!entrega_) {
        return;
    }
    // No refresh may replace the rows under the dialog; it comes 1 ms after the dialog closes.
    TimerPedidos->stop();
    DefineIntervalo(TimerPedidos, 1);
    entrega_->OpenFor(row, dateLine);
}

void TMainForm::MostraErroPadrao(const std::exception& e) {
    ShowPlainMessage(this, QMessageBox::Critical, QApplication::applicationDisplayName(),
                     QString::fromUtf8(e.what()), QStringLiteral("MensagemErro"));
}

void TMainForm::Logado(bool V) {
    PanelLogin->setFixedHeight(V ? 1 : kPanelLoginHeight);
    PanelLogin->setVisible(!V);
    PanelPedidos->setVisible(V);
    PanelMenu->setVisible(V);
    SpeedButton5->setVisible(V);
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!mostrada_ && !event->spontaneous()) {
        mostrada_ = true;
        FormShow();
        // A window that is never painted (kept minimised, say) still gets what follows the paint.
        QTimer::singleShot(kAposPinturaMaxMs, this, &TMainForm::AposPrimeiraPintura);
    }
}

void TMainForm::FormShow() {
    Label7->setText(QStringLiteral("Entre com sua conta - ") + vpEmpresa);
    if (!database_) {
        AbreBanco();
    }
    Inicia(TimerPedidos);
    std::optional<store::Empresa> empresa;
    try {
        if (database_) {
            empresa = store::LeEmpresa(*database_);
        }
    } catch (const std::exception& e) {
        MostraErroPadrao(e);
    }
    if (empresa && empresa->AUTOCONNECT == "S") {
        EditEmail->setText(Q(empresa->EMAIL));
        EditSenha->setText(Q(empresa->SENHA));
        CheckBoxAutoConect->setChecked(true);
        TimerLoginAutomatico->start();
    } else {
        EditEmail->clear();
        EditSenha->clear();
        CheckBoxAutoConect->setChecked(true);
        EditEmail->setFocus();
    }
}

void TMainForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // The rule is on the outer size, frame included.
    const QSize frame = frameGeometry().size() - size();
    const int width = std::max(frameGeometry().width(), kMinimumOuterWidth) - frame.width();
    const int height = std::max(frameGeometry().height(), kMinimumOuterHeight) - frame.height();
    if (width != this->width() || height != this->height()) {
        setFixedSize(width, height);
    }
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == VirtualImage1 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        VirtualImage1Click();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::VirtualImage1Click() {
    platform::OpenUrl(vpUrlEmpresa.toStdString());
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (FormCloseQuery()) {
        Encerra();
        event->accept(); // the window goes now; the process ends once the worker is done
    } else {
        event->ignore();
    }
}

bool TMainForm::FormCloseQuery() {
    return TimedMessageDlg(
               QStringLiteral("A integração irá para de funcionar! Deseja encerrar a aplicação? "), this) ==
           QMessageBox::Yes;
}

// Closing closes: marketplace calls, estimates and a sign-in in flight are abandoned at once and no
// new call starts (a courier request already sent is finished and marked by its own road), nothing
// is drawn or timed any more, and a start made from now on finds its front request untaken, so it
// waits for this process to end and then shows its own window.
void TMainForm::Encerra() {
    {
        const std::lock_guard lock(marcadorMutex_);
        encerrando_->store(true);
    }
    for (QTimer* timer : findChildren<QTimer*>(Qt::FindDirectChildrenOnly)) {
        timer->stop();
    }
    ciclo_->Encerra();
}

void TMainForm::TimerVersaoTimer() {
    TimerVersao->stop();
    versaoPool_.start([this, marker = platform::FrontRequestMarker(programFolder_)] {
        bool pedido = false;
        {
            const std::lock_guard lock(marcadorMutex_);
            // Only the marker's presence matters, so a half-written one counts too.
            std::error_code ignored;
            pedido = !encerrando_->load() && std::filesystem::exists(marker, ignored);
            if (pedido) {
                std::filesystem::remove(marker, ignored); // undeletable: asked again on the next tick
            }
        }
        QMetaObject::invokeMethod(
            this,
            [this, pedido] {
                if (pedido) {
                    TrazParaFrente();
                }
                if (!encerrando_->load()) {
                    TimerVersao->start();
                }
            },
            Qt::QueuedConnection);
    });
}

void TMainForm::TrazParaFrente() {
    if (encerrando_->load()) {
        return; // a window that closed stays closed
    }
    if (isMinimized()) {
        showNormal();
    }
    raise();
    activateWindow();
    platform::BringWindowToFront(reinterpret_cast<void*>(winId()));
}

// ---- Sign-in and sign-out ----

void TMainForm::Button4Click() {
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
            MostraErroLogin(TextoLegivel(result));
        } else {
            ConcluiLogin();
        }
    } catch (const std::exception& e) {
        // A database failure must not leave the sign-in controls disabled for good, nor a window
        // half signed in whose error line sits on the hidden sign-in panel.
        vLogado = false;
        Logado(false);
        MostraErroLogin(QString::fromUtf8(e.what()));
    }
    HabilitaLogin(true);
}

std::string TMainForm::ChamaLoginEmpresa(const std::string& email, const std::string& senha,
                                         bool autoConnect) const {
    // Runs on the helper thread: a connection of its own, since the window thread's is not shared.
    store::Database db(arquivoBanco_);
    return dispatch::LoginEmpresa(vpTokenRovezor.toStdString(), email, senha, autoConnect, db,
                                  options_.dispatch);
}

void TMainForm::ConcluiLogin() {
    store::Database& db = Banco();
    const std::optional<store::Empresa> empresa = store::LeEmpresa(db);
    if (!empresa || empresa->STATUS != "A") {
        MostraErroLogin(QStringLiteral("Empresa inativada pela ") + vpEmpresa);
        return;
    }
    vLogado = true;
    DBCtrlGrid1->hide(); // the list refresh shows it again when there are orders
    std::vector<store::Pedido> rows = store::ListaPedidos(db);
    const long long primeiro = rows.empty() ? 0 : rows.front().ID;
    DBCtrlGrid1->SetOrders(std::move(rows));
    DBCtrlGrid1->SelectId(primeiro);
    Logado(true);
    Label6PEDIDOS->setText(QStringLiteral("PEDIDOS"));

    LabelEmpresa->setText(TextoLegivel(empresa->NOME));
    LabelCIDADE->setText(TextoLegivel(empresa->CIDADE + " - " + empresa->UF));
    PreencheListas(empresa->TIPOSPAGAMENTOS, empresa->CATEGORIAS);

    store::ApagaPedidosAntigos(db);
    RestauraConfiguracao();

    GaranteDialogos();
    if (store::LeConfigDelivery(db).empty() && cadastroDelivery_) {
        cadastroDelivery_->AbreModal();
    }
    LabelErro->clear();
}

void TMainForm::PreencheListas(const std::string& tiposPagamentos, const std::string& categorias) {
    ComboBoxPagamentos->clear();
    for (const std::string& name : courier::PaymentChoices(tiposPagamentos)) {
        ComboBoxPagamentos->addItem(Q(name));
    }
    ComboBoxPagamentos->setCurrentIndex(ComboBoxPagamentos->count() > 0 ? 0 : -1);
    ComboBoxCategorias->clear();
    for (const std::string& name : store::ParseBracketList(categorias)) {
        ComboBoxCategorias->addItem(Q(name));
    }
    ComboBoxCategorias->setCurrentIndex(ComboBoxCategorias->count() > 0 ? 0 : -1);
}

void TMainForm::RestauraConfiguracao() {
    // The minutes box and the check box save through their own handlers when the stored value
    // differs; held back until every control is restored, so no save writes one not yet put back.
    const store::Configuracao config = store::LeConfiguracao(Banco()).value_or(store::Configuracao{});
    restauro_.While(
        [&] {
            SelecionaTexto(ComboBoxCategorias, config.CATEGORIAPADRAO);
            SelecionaTexto(ComboBoxPagamentos, config.PAGAMENTOPADRAO);
            ComboBoxAgendar->setText(config.TEMPOAGENDAMENTO.empty() ? kMinutosPadrao
                                                                     : Q(config.TEMPOAGENDAMENTO));
            SelecionaTexto(ComboBoxRetorno, config.RETORNOPADRAO);
            CheckBoxRebimentoAutomatico->setChecked(config.SOLICITACAOAUTOMATICO == 1);
        },
        [this] { GravaConfiguracao(); });
}

void TMainForm::MostraErroLogin(const QString& text) {
    LabelErro->setText(text);
    TrazParaFrente(); // an automatic sign-in at start that fails must be seen
}

void TMainForm::HabilitaLogin(bool enabled) {
    Button4->setText(enabled ? QStringLiteral("ENTRAR") : QStringLiteral("CONECTANDO"));
    for (QWidget* control :
         std::initializer_list<QWidget*>{Button4, EditEmail, EditSenha, CheckBoxAutoConect}) {
        control->setEnabled(enabled);
    }
}

void TMainForm::SpeedButton5Click() {
    if (TimedMessageDlg(QStringLiteral("Deseja sair da conta? "), this) != QMessageBox::Yes) {
        return;
    }
    vLogado = false;
    Logado(false);
    EditEmail->setFocus();
    EditSenha->clear();
    try {
        store::ApagaEmpresa(Banco());
    } catch (const std::exception& e) {
        MostraErroPadrao(e);
    }
}

// ---- Operator settings ----

void TMainForm::GravaConfiguracao() {
    if (restauro_.Holds()) {
        return; // the restore saves once at its end
    }
    store::Configuracao config;
    config.CATEGORIAPADRAO = ComboBoxCategorias->currentText().toStdString();
    config.PAGAMENTOPADRAO = ComboBoxPagamentos->currentText().toStdString();
    config.TEMPOAGENDAMENTO = ComboBoxAgendar->text().toStdString();
    config.RETORNOPADRAO = ComboBoxRetorno->currentText().toStdString();
    config.SOLICITACAOAUTOMATICO = CheckBoxRebimentoAutomatico->isChecked() ? 1 : 0;
    try {
        store::SubstituiConfiguracao(Banco(), config);
    } catch (const std::exception& e) {
        MostraErroPadrao(e);
    }
}

void TMainForm::CheckBoxRebimentoAutomaticoClick() {
    AtualizaListaImediata(); // the cards' courier buttons depend on the mode
    GravaConfiguracao();
    PanelMenu->setFixedHeight(kPanelMenuHeight);
}

void TMainForm::ComboBoxAgendarChange() {
    std::optional<std::string> corrigido;
    try {
        corrigido = courier::CorrectMinutesText(ComboBoxAgendar->text().toStdString());
    } catch (const ConvertError& e) {
        MostraErroPadrao(e); // the text stays as typed and nothing is saved
        return;
    }
    if (!corrigido) {
        return;
    }
    if (Q(*corrigido) != ComboBoxAgendar->text()) {
        ComboBoxAgendar->setText(Q(*corrigido)); // runs this handler again for the new text
    }
    GravaConfiguracao();
}

void TMainForm::ComboBoxPagamentosChange() {
    GravaConfiguracao();
}

void TMainForm::ComboBoxCategoriasChange() {
    GravaConfiguracao();
}

void TMainForm::SpeedButton2Click() {
    GaranteDialogos();
    if (cadastroDelivery_) {
        cadastroDelivery_->AbrePeloBotao();
    }
}

// ---- Timers ----

void TMainForm::PassoImediato() {
    if (passoEmCurso_) {
        passoSeguinte_ = true; // comes when the running pass ends; the timers stay stopped
        return;
    }
    DefineIntervalo(TimerDelivery, 1);
    Inicia(TimerDelivery);
}

void TMainForm::AtualizaListaImediata() {
    DefineIntervalo(TimerPedidos, 1);
    Inicia(TimerPedidos);
}

void TMainForm::TimerDeliveryTimer() {
    TimerDelivery->stop();
    TimerCountDelivery->stop();
    DefineIntervalo(TimerDelivery, 30000);
    if (ComboBoxAgendar->text().isEmpty()) {
        ComboBoxAgendar->setText(kMinutosPadrao); // saved by the box's own handler
    }
    if (vLogado) {
        ComboBoxAgendar->setEnabled(false);
        passoEmCurso_ = true;
        ciclo_->PedePasso(); // FimDoPasso restarts the timers when it is over
    } else {
        DefineIntervalo(TimerDelivery, 5000);
        CountDelivery = 5;
        Inicia(TimerCountDelivery);
        Inicia(TimerDelivery);
    }
}

void TMainForm::FimDoPasso() {
    passoEmCurso_ = false;
    if (std::exchange(passoSeguinte_, false)) {
        TimerDeliveryTimer(); // the next pass starts now; 30 s are counted from its end
        return;
    }
    ComboBoxAgendar->setEnabled(true);
    CountDelivery = 30;
    Inicia(TimerCountDelivery);
    Inicia(TimerDelivery);
}

void TMainForm::TimerCountDeliveryTimer() {
    --CountDelivery;
    StatusPanel0->setText(CountDelivery >= 2
                              ? QStringLiteral("Proxima Verificação em %1 segundos").arg(CountDelivery)
                              : QStringLiteral("Verificando..."));
}

void TMainForm::TimerPedidosTimer() {
    TimerPedidos->stop();
    DefineIntervalo(TimerPedidos, 2000);
    if (!vLogado) {
        DefineIntervalo(TimerPedidos, 1000);
        TimerPedidos->start();
        return;
    }
    try {
        RelePedidos();
        ultimoErroLista_.clear();
    } catch (const std::exception& e) {
        // Shown once while the failure lasts; the refresh goes on and recovers by itself.
        const QString message = QString::fromUtf8(e.what());
        if (message != ultimoErroLista_) {
            ultimoErroLista_ = message;
            StatusPanel1->setText(message);
        }
    }
    TimerPedidos->start();
}

void TMainForm::RelePedidos() {
    const long long atual = DBCtrlGrid1->CurrentId();
    DBCtrlGrid1->setUpdatesEnabled(false);
    struct Redraw {
        QWidget* grid;
        ~Redraw() { grid->setUpdatesEnabled(true); }
    } redraw{DBCtrlGrid1};

    std::vector<store::Pedido> rows = store::ListaPedidos(Banco());
    const auto count = rows.size();
    DBCtrlGrid1->SetOrders(std::move(rows));
    DBCtrlGrid1->SetAutomatic(CheckBoxRebimentoAutomatico->isChecked());
    if (count > 0) {
        DBCtrlGrid1->show();
        Label6PEDIDOS->setText(QStringLiteral("%1 PEDIDOS INTEGRADOS").arg(count));
    } else {
        DBCtrlGrid1->hide();
        Label6PEDIDOS->setText(QStringLiteral("SEM PEDIDOS"));
    }
    if (!DBCtrlGrid1->SelectId(atual)) {
        DBCtrlGrid1->SelectLast();
    }
}

void TMainForm::TimerLoginTimer() {
    TimerLogin->stop();
    DefineIntervalo(TimerLogin, 5000);
    Logado(vLogado);
    TimerLogin->start();
}

void TMainForm::TimerCadastroEntregaTimer() {
    TimerCadastroEntrega->stop();
    TrazParaFrente();
    GaranteDialogos();
    if (cadastroDelivery_) {
        cadastroDelivery_->AbreAposErroLogin();
    }
}

void TMainForm::TimerLoginAutomaticoTimer() {
    TimerLoginAutomatico->stop();
    Button4->click();
}

} // namespace brisko::ui
