#include "uMainForm.h"

#include "AlertasDaJanela.h"
#include "Artwork.h"
#include "BuildConstants.h"
#include "CycleBridge.h"
#include "CycleStatusBar.h"
#include "DayReportBar.h"
#include "DiagnosticLog.h"
#include "Fonts.h"
#include "Migrations.h"
#include "OrderCardGrid.h"
#include "PathText.h"
#include "PlainText.h"
#include "Platform.h"
#include "ProgramFiles.h"
#include "SettingsPanel.h"
#include "SignInPanel.h"
#include "Store.h"
#include "TimedMessageDlg.h"
#include "UCadastroDelivery.h"
#include "UEntrega.h"
#include "UPreferencias.h"
#include "WindowTimers.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <system_error>
#include <utility>

namespace brisko::ui {

namespace {

constexpr int kBannerHeight = 73;
constexpr int kPanelLoginHeight = 450;
constexpr int kTimerVersaoMs = 1000;
constexpr int kMinimumOuterWidth = 900;
constexpr int kMinimumOuterHeight = 600;
constexpr int kAposPinturaMaxMs = 2000;
// The alerts' line sits right of the centred logo, which is 300 pixels wide.
constexpr int kAlertaX = 600;
constexpr int kAlertaMargem = 4;
// How long the window's own statements wait for a lock another connection holds: enough for the
// worker's short writes, far below a freeze the operator would notice.
constexpr std::chrono::milliseconds kEsperaBancoJanela{300};

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
      arquivoBanco_(platform::DatabaseFile(programFolder_)), options_(std::move(options)),
      vpEmpresa(QStringLiteral("Brisko Derereve Vilamar")),
      vpUrlEmpresa(QString::fromUtf8(build::kDispatchWebUrl) + QStringLiteral("/solicitacao/gestaoPedido")),
      vpTokenRovezor(build::kDispatchApiKey), vpIndexLogo(LogoWhite) {
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
    MontaAlertas();
    versaoPool_.setMaxThreadCount(1);

    FormCreate();
}

TMainForm::~TMainForm() {
    // The dialogs go first, as they did when the program's entry owned them.
    cadastroDelivery_.reset();
    entrega_.reset();
    for (QTimer* timer : {TimerVersao, TimerPedidos, TimerLogin, TimerCadastroEntrega}) {
        timer->stop(); // nothing new starts while the window waits for its helpers below
    }
    PanelLogin->Encerra();
    // A check still running would hand its result to a window that is going away.
    versaoPool_.waitForDone();
    StatusBar1->Termina(); // waits for a running pass, whose outlets point at this window
}

void TMainForm::MontaAlertas() {
    LabelAlerta = Named(PlainLabel(), "LabelAlerta");
    LabelAlerta->setParent(VirtualImage1);
    LabelAlerta->setWordWrap(true);
    LabelAlerta->setAlignment(Qt::AlignCenter);
    LabelAlerta->setAutoFillBackground(true);
    // In the style's accent, which nothing else fills a whole line with.
    QPalette cores = LabelAlerta->palette();
    cores.setColor(QPalette::Window, cores.color(QPalette::Highlight));
    cores.setColor(QPalette::WindowText, cores.color(QPalette::HighlightedText));
    LabelAlerta->setPalette(cores);
    QFont letra = LabelAlerta->font();
    letra.setPixelSize(11);
    LabelAlerta->setFont(letra);
    LabelAlerta->hide();
    PosicionaAlerta();

    alertas_ = new AlertasDaJanela(this, LabelAlerta, vpUrlEmpresa, this);
    connect(alertas_, &AlertasDaJanela::janelaPedida, this, &TMainForm::TrazParaFrente);
    CycleBridge& ciclo = StatusBar1->Ponte();
    ciclo.Liga(&CycleBridge::sincronizado, alertas_, &AlertasDaJanela::Sincronizou);
    ciclo.Liga(&CycleBridge::solicitacaoRespondida, alertas_, &AlertasDaJanela::Respondida);

    preferencias_ = new TFPreferencias([this]() -> store::Database& { return Banco(); }, this);
    connect(PanelMenu, &SettingsPanel::preferenciasPedidas, preferencias_, &TFPreferencias::Abre);
    connect(preferencias_, &TFPreferencias::mudou, this,
            [this](const PreferenciasDeAlerta& p) { alertas_->DefinePreferencias(p.alertas, p.som); });
}

void TMainForm::RestauraPreferencias() {
    if (!database_) {
        return;
    }
    try {
        const PreferenciasDeAlerta p = LePreferenciasDeAlerta(*database_);
        alertas_->DefinePreferencias(p.alertas, p.som);
    } catch (const std::exception&) {
        // Unreadable preferences leave the alerts on, as for a database that never stored them.
    }
}

void TMainForm::PosicionaAlerta() {
    LabelAlerta->setGeometry(kAlertaX, kAlertaMargem,
                             std::max(0, VirtualImage1->width() - kAlertaX - kAlertaMargem),
                             kBannerHeight - 2 * kAlertaMargem);
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

    const auto banco = [this]() -> store::Database& { return Banco(); };
    BarraRelatorioDia = new DayReportBar(VirtualImage1, banco);
    PanelMenu = new SettingsPanel(banco, central);
    PanelLogin = new SignInPanel(arquivoBanco_, vpTokenRovezor, options_.dispatch, vpEmpresa, banco, central);
    column->addWidget(VirtualImage1);
    column->addWidget(PanelMenu);
    column->addWidget(PanelLogin);
    column->addWidget(MontaPanelPedidos(central), 1);
    column->addStretch(0); // takes the room of the order panel while that is hidden

    cycle::PassServices services;
    services.marketplace = options_.marketplace;
    services.dispatch = options_.dispatch;
    services.dispatchApiKey = vpTokenRovezor;
    StatusBar1 = new CycleStatusBar(
        arquivoBanco_, std::move(services), [this] { return Entradas(); }, this);
    setStatusBar(StatusBar1);
    setFixedSize(886, 565); // the operator cannot drag it to another size; only the rule below sets one
    if (const QScreen* s = screen()) {
        move(s->availableGeometry().center() - rect().center());
    }
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

void TMainForm::MontaTimers() {
    TimerVersao = NewTimer(this, "TimerVersao", kTimerVersaoMs);
    TimerPedidos = NewTimer(this, "TimerPedidos", 500);
    TimerLogin = NewTimer(this, "TimerLogin", 1);
    TimerCadastroEntrega = NewTimer(this, "TimerCadastroEntrega", 500);
}

void TMainForm::LigaEventos() {
    connect(TimerVersao, &QTimer::timeout, this, &TMainForm::TimerVersaoTimer);
    connect(TimerPedidos, &QTimer::timeout, this, &TMainForm::TimerPedidosTimer);
    connect(TimerLogin, &QTimer::timeout, this, &TMainForm::TimerLoginTimer);
    connect(TimerCadastroEntrega, &QTimer::timeout, this, &TMainForm::TimerCadastroEntregaTimer);

    connect(PanelLogin, &SignInPanel::entrou, this, &TMainForm::Entrou);
    connect(PanelLogin, &SignInPanel::saiu, this, &TMainForm::Saiu);
    connect(PanelLogin, &SignInPanel::atencao, this, &TMainForm::TrazParaFrente);
    connect(SpeedButton5, &QToolButton::clicked, PanelLogin, &SignInPanel::Sai);
    // Enter in the minutes box signs in too, as in the sign-in boxes.
    connect(PanelMenu->Minutos(), &QLineEdit::returnPressed, PanelLogin->BotaoEntrar(), &QPushButton::click);
    connect(PanelMenu, &SettingsPanel::automaticoMudou, this, &TMainForm::AtualizaListaImediata);

    connect(SpeedButton2, &QToolButton::clicked, this, [this] {
        GaranteDialogos();
        if (cadastroDelivery_) {
            cadastroDelivery_->AbrePeloBotao();
        }
    });
    connect(DBCtrlGrid1, &OrderCardGrid::logoClicked, this,
            [] { platform::OpenUrl(std::string(build::kMarketplacePortalUrl) + "/pedidos"); });

    connect(StatusBar1, &CycleStatusBar::passoDevido, PanelMenu, &SettingsPanel::GaranteMinutos);
    connect(StatusBar1, &CycleStatusBar::passoEmCurso, PanelMenu, &SettingsPanel::BloqueiaMinutos);
    CycleBridge& ciclo = StatusBar1->Ponte();
    ciclo.Liga(&CycleBridge::avisoMostrado, this, &TMainForm::MostraAviso);
    ciclo.Liga(&CycleBridge::avisoOculto, this, &TMainForm::OcultaAviso);
    ciclo.Liga(&CycleBridge::contaRecusada, this, &TMainForm::PedeCadastro);
    ciclo.Liga(&CycleBridge::mensagem, this, &TMainForm::MostraMensagem, Qt::BlockingQueuedConnection);
}

void TMainForm::FormCreate() {
    AbreBanco();
    RestauraPreferencias();
    vLogado = false;
    Logado(false);
    VirtualImage1->setPixmap(LogoImage(vpIndexLogo));
    setWindowTitle(vpEmpresa + QStringLiteral(" - v") + QStringLiteral(BRISKO_VERSION));
    TimerVersao->start();
    StatusBar1->Comeca();
    TimerPedidos->start();
    TimerLogin->start();
}

void TMainForm::AbreBanco() {
    try {
        auto database = std::make_unique<store::Database>(arquivoBanco_, kEsperaBancoJanela);
        ExigeGravacao(*database, arquivoBanco_);
        // Before any other connection opens the file: the worker and the helpers find it current.
        if (const int before = store::Migrate(*database); before != store::NewestSchemaVersion()) {
            platform::Log("banco atualizado da versão " + std::to_string(before) + " para a " +
                          std::to_string(store::NewestSchemaVersion()));
        }
        // Whatever copy this is (the build's, an installed one run in place, one made before the
        // launcher kept its copies private), the passwords it will hold are the user's alone.
        store::KeepToOwner(arquivoBanco_);
        database_ = std::move(database);
    } catch (const DatabaseError& e) {
        platform::Log(std::string("banco não aberto: ") + e.what());
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

courier::SchedulingInputs TMainForm::Entradas() const {
    courier::SchedulingInputs inputs = PanelMenu->Entradas();
    inputs.signedIn = vLogado;
    return inputs;
}

void TMainForm::GaranteDialogos() {
    if (dialogosCriados_ || !database_) {
        return; // without the database the cards stay empty and the dialogs have nothing to show
    }
    dialogosCriados_ = true;
    // Transient to the window, so closing the window ends the program even while one is open.
    entrega_ = std::make_unique<TFEntrega>(this);
    entrega_->Attach(*database_, vpTokenRovezor, options_.dispatch);
    connect(DBCtrlGrid1, &OrderCardGrid::courierRequested, this, &TMainForm::AbreEntrega);
    // The refresh paused while the dialog was open runs at once when it closes.
    connect(entrega_.get(), &TFEntrega::closed, this, [this] { Inicia(TimerPedidos); });
    connect(entrega_.get(), &TFEntrega::historyFailed, StatusBar1, &CycleStatusBar::MostraStatus);
    cadastroDelivery_ = std::make_unique<TFCadastroDelivery>(*database_, this);
    connect(cadastroDelivery_.get(), &TFCadastroDelivery::contaGravada, this, &TMainForm::PassoImediato);
}

bool TMainForm::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    if (event->type() == QEvent::WindowActivate && alertas_) {
        alertas_->Olhou();
    }
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
    StatusBar1->DefineFonte(font);
    GaranteDialogos();
}

void TMainForm::AbreEntrega(const store::Pedido& row, const QString& dateLine) {
    // No refresh may replace the rows under the dialog; it comes 1 ms after the dialog closes.
    TimerPedidos->stop();
    DefineIntervalo(TimerPedidos, 1);
    entrega_->OpenFor(row, dateLine);
}

void TMainForm::Logado(bool V) {
    PanelLogin->setFixedHeight(V ? 1 : kPanelLoginHeight);
    PanelLogin->setVisible(!V);
    PanelPedidos->setVisible(V);
    PanelMenu->setVisible(V);
    SpeedButton5->setVisible(V);
    BarraRelatorioDia->setVisible(V);
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
    PanelLogin->MostraTitulo();
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
        ShowDefaultError(this, e);
    }
    PanelLogin->Prepara(empresa);
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
    if (watched == VirtualImage1 && event->type() == QEvent::Resize) {
        PosicionaAlerta();
    }
    if (watched == VirtualImage1 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        platform::OpenUrl(vpUrlEmpresa.toStdString());
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
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
    for (QTimer* timer : {TimerVersao, TimerPedidos, TimerLogin, TimerCadastroEntrega}) {
        timer->stop();
    }
    PanelLogin->Encerra();
    StatusBar1->Encerra();
    alertas_->Encerra();
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

// ---- The panels' outcomes ----

void TMainForm::Entrou(const store::Empresa& empresa) {
    try {
        store::Database& db = Banco();
        vLogado = true;
        DBCtrlGrid1->hide(); // the list refresh shows it again when there are orders
        std::vector<store::Pedido> rows = store::ListaPedidos(db);
        const long long primeiro = rows.empty() ? 0 : rows.front().ID;
        DBCtrlGrid1->SetOrders(std::move(rows));
        DBCtrlGrid1->SelectId(primeiro);
        Logado(true);
        Label6PEDIDOS->setText(QStringLiteral("PEDIDOS"));
        PanelMenu->Preenche(empresa);
        PanelMenu->RestauraConfiguracao();

        GaranteDialogos();
        if (store::LeConfigDelivery(db).empty() && cadastroDelivery_) {
            cadastroDelivery_->AbreModal();
        }
    } catch (const std::exception& e) {
        // As for a failure of the sign-in itself: signed out, the error on the sign-in panel.
        Saiu();
        PanelLogin->MostraErro(QString::fromUtf8(e.what()));
    }
}

void TMainForm::Saiu() {
    vLogado = false;
    Logado(false);
}

void TMainForm::MostraAviso(const QString& text) {
    LabelAvisos->setText(text);
    LabelAvisos->show();
}

void TMainForm::OcultaAviso() {
    LabelAvisos->hide();
}

void TMainForm::PedeCadastro() {
    Inicia(TimerCadastroEntrega);
}

void TMainForm::MostraMensagem(const QString& text) {
    ShowPlainMessage(this, QMessageBox::NoIcon, windowTitle(), text, QStringLiteral("MensagemAgendamento"));
}

// ---- Timers ----

void TMainForm::PassoImediato() {
    StatusBar1->PassoImediato();
}

void TMainForm::AtualizaListaImediata() {
    DefineIntervalo(TimerPedidos, 1);
    Inicia(TimerPedidos);
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
            StatusBar1->MostraStatus(message);
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
    std::map<std::string, std::string> held;
    for (store::PedidoRetido& hold : store::PedidosRetidos(Banco())) {
        held.emplace(std::move(hold.IDPEDIDO), std::move(hold.TAXA));
    }
    alertas_->Pedidos(rows, PanelMenu->Automatico(), held);
    DBCtrlGrid1->SetOrders(std::move(rows));
    DBCtrlGrid1->SetAutomatic(PanelMenu->Automatico());
    DBCtrlGrid1->SetHeld(std::move(held));
    BarraRelatorioDia->Atualiza();
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

} // namespace brisko::ui
