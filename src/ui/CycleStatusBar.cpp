#include "CycleStatusBar.h"

#include "CycleBridge.h"
#include "PlainText.h"
#include "WindowTimers.h"

#include <QLabel>

#include <algorithm>
#include <utility>

namespace brisko::ui {

namespace {

constexpr int kStatusBarHeight = 31;
constexpr int kSaudeMs = 1000;
constexpr qint64 kSincronizacaoAntigaSegundos = 120;

QLabel* StatusPanel(const char* name, int width) {
    auto* panel = Named(PlainLabel(), name);
    panel->setFixedWidth(width);
    panel->setAlignment(Qt::AlignCenter);
    return panel;
}

} // namespace

CycleStatusBar::CycleStatusBar(const std::filesystem::path& databaseFile, cycle::PassServices services,
                               std::function<courier::SchedulingInputs()> snapshot, QWidget* parent)
    : QStatusBar(parent), snapshot_(std::move(snapshot)) {
    setObjectName(QStringLiteral("StatusBar1"));
    setFixedHeight(kStatusBarHeight);
    setSizeGripEnabled(false);
    StatusPanel0 = StatusPanel("StatusBar1Panel0", 200);
    StatusPanel1 = StatusPanel("StatusBar1Panel1", 500);
    addWidget(StatusPanel0);
    addWidget(StatusPanel1);
    StatusPanel2 = Named(PlainLabel(), "StatusBar1Panel2");
    StatusPanel2->setAlignment(Qt::AlignCenter);
    addWidget(StatusPanel2, 1);
    TimerSaude = NewTimer(this, "TimerSaude", kSaudeMs);
    connect(TimerSaude, &QTimer::timeout, this, &CycleStatusBar::AtualizaSaude);

    TimerDelivery = NewTimer(this, "TimerDelivery", 1000);
    TimerCountDelivery = NewTimer(this, "TimerCountDelivery", 1000);
    connect(TimerDelivery, &QTimer::timeout, this, &CycleStatusBar::TimerDeliveryTimer);
    connect(TimerCountDelivery, &QTimer::timeout, this, &CycleStatusBar::TimerCountDeliveryTimer);

    ciclo_ = std::make_unique<CycleBridge>(databaseFile, std::move(services), snapshot_,
                                           [this] { return StatusPanel1->text().toStdString(); });
    ciclo_->Liga(&CycleBridge::status, this, &CycleStatusBar::MostraStatus);
    ciclo_->Liga(&CycleBridge::devolvido, this, &CycleStatusBar::FimDoPasso);
    ciclo_->Liga(&CycleBridge::sincronizado, this, &CycleStatusBar::Sincronizou);
}

CycleStatusBar::~CycleStatusBar() {
    Termina();
}

void CycleStatusBar::Comeca() {
    TimerDelivery->start();
    TimerSaude->start();
    AtualizaSaude();
}

void CycleStatusBar::PassoImediato() {
    if (passoEmCurso_) {
        passoSeguinte_ = true; // comes when the running pass ends; the timers stay stopped
        return;
    }
    DefineIntervalo(TimerDelivery, 1);
    Inicia(TimerDelivery);
}

void CycleStatusBar::MostraStatus(const QString& text) {
    StatusPanel1->setText(text);
}

void CycleStatusBar::DefineFonte(const QFont& font) {
    for (QLabel* panel : {StatusPanel0, StatusPanel1, StatusPanel2}) {
        panel->setFont(font);
    }
}

void CycleStatusBar::ParaTimers() {
    TimerDelivery->stop();
    TimerCountDelivery->stop();
    TimerSaude->stop();
}

void CycleStatusBar::Sincronizou(int resultado, const QString&) {
    if (resultado == static_cast<int>(cycle::Sincronizacao::Conectada)) {
        ultimaSincronizacao_ = relogio_();
        AtualizaSaude();
    }
}

void CycleStatusBar::AtualizaSaude() {
    const QDateTime agora = relogio_();
    const bool logado = snapshot_().signedIn;
    if (!logado) {
        logadoDesde_ = QDateTime();
    } else if (logadoDesde_.isNull()) {
        logadoDesde_ = agora;
    }
    StatusPanel2->setText(QStringLiteral("Última sincronização: ") +
                          (ultimaSincronizacao_.isNull()
                               ? QStringLiteral("--:--:--")
                               : ultimaSincronizacao_.toString(QStringLiteral("HH:mm:ss"))));
    // A sync from before this sign-in does not count against it (a null time is the earliest).
    const QDateTime desde = std::max(ultimaSincronizacao_, logadoDesde_);
    const bool antiga = logado && desde.secsTo(agora) > kSincronizacaoAntigaSegundos;
    QPalette cores = StatusPanel2->palette();
    cores.setColor(QPalette::WindowText,
                   palette().color(antiga ? QPalette::BrightText : QPalette::WindowText));
    StatusPanel2->setPalette(cores);
    StatusPanel2->setProperty("antiga", antiga);
}

void CycleStatusBar::Encerra() {
    ParaTimers();
    ciclo_->Encerra();
}

void CycleStatusBar::Termina() {
    if (ciclo_) {
        ParaTimers();
        ciclo_.reset(); // waits for a running pass, whose outlets point at this window
    }
}

void CycleStatusBar::TimerDeliveryTimer() {
    TimerDelivery->stop();
    TimerCountDelivery->stop();
    DefineIntervalo(TimerDelivery, 30000);
    emit passoDevido();
    if (snapshot_().signedIn) {
        emit passoEmCurso(true);
        passoEmCurso_ = true;
        ciclo_->PedePasso(); // FimDoPasso restarts the timers when it is over
    } else {
        DefineIntervalo(TimerDelivery, 5000);
        CountDelivery = 5;
        Inicia(TimerCountDelivery);
        Inicia(TimerDelivery);
    }
}

void CycleStatusBar::FimDoPasso() {
    passoEmCurso_ = false;
    if (std::exchange(passoSeguinte_, false)) {
        TimerDeliveryTimer(); // the next pass starts now; 30 s are counted from its end
        return;
    }
    emit passoEmCurso(false);
    CountDelivery = 30;
    Inicia(TimerCountDelivery);
    Inicia(TimerDelivery);
}

void CycleStatusBar::TimerCountDeliveryTimer() {
    --CountDelivery;
    StatusPanel0->setText(CountDelivery >= 2
                              ? QStringLiteral("Proxima Verificação em %1 segundos").arg(CountDelivery)
                              : QStringLiteral("Verificando..."));
}

} // namespace brisko::ui
