#pragma once
// The status bar and the integration cycle it shows: a countdown to the next pass in the first
// panel, the pass's progress and errors in the second, the time of the last pass that synced in the
// third, and the timers that start each pass.
#include "IntegrationPass.h"

#include <QDateTime>
#include <QStatusBar>

#include <filesystem>
#include <functional>
#include <memory>

class QFont;
class QLabel;
class QTimer;

namespace brisko::ui {

class CycleBridge;

class CycleStatusBar : public QStatusBar {
    Q_OBJECT
public:
    // `snapshot` is the window's inputs of the pass; it says, too, whether the store is signed in.
    CycleStatusBar(const std::filesystem::path& databaseFile, cycle::PassServices services,
                   std::function<courier::SchedulingInputs()> snapshot, QWidget* parent);
    ~CycleStatusBar() override;

    // The bridge whose signals carry the pass's other outlets to the window.
    CycleBridge& Ponte() { return *ciclo_; }

    // Starts the pass timer; the window calls it once, at creation.
    void Comeca();
    // A pass as soon as possible; one asked for while a pass runs comes after it, never beside it.
    void PassoImediato();
    // The second panel's text (an error of the list refresh, say).
    void MostraStatus(const QString& text);
    // The bundled family, once the window has painted.
    void DefineFonte(const QFont& font);
    // The window is closing: the timers stop and the pass reaches the window no more.
    void Encerra();
    // Stops the timers and waits for a running pass; nothing of the cycle runs afterwards.
    void Termina();
    // The clock the health line reads (the system's unless a test sets one).
    void DefineRelogio(std::function<QDateTime()> relogio) { relogio_ = std::move(relogio); }
    // The health line redrawn for the clock's time: stale (warning colour) when signed in and the
    // last pass that synced, or the sign-in if none has since, is older than two minutes.
    void AtualizaSaude();

signals:
    // A pass is due: the minutes box gets its default when empty (before the sign-in is checked).
    void passoDevido();
    // A pass starts on the worker (true) or has handed the cycle back (false).
    void passoEmCurso(bool running);

private:
    void TimerDeliveryTimer();
    void TimerCountDeliveryTimer();
    void FimDoPasso();
    void ParaTimers();
    void Sincronizou(int resultado, const QString& text);

    std::function<courier::SchedulingInputs()> snapshot_;
    QLabel* StatusPanel0 = nullptr; // countdown to the next pass
    QLabel* StatusPanel1 = nullptr; // progress and errors of the cycle
    QLabel* StatusPanel2 = nullptr; // health line: time of the last pass that synced
    QTimer* TimerSaude = nullptr;
    std::function<QDateTime()> relogio_ = [] { return QDateTime::currentDateTime(); };
    QDateTime ultimaSincronizacao_;
    QDateTime logadoDesde_; // null while signed out
    QTimer* TimerDelivery = nullptr;
    QTimer* TimerCountDelivery = nullptr;
    int CountDelivery = 0;
    bool passoEmCurso_ = false;  // a pass was asked for and has not handed the cycle back yet
    bool passoSeguinte_ = false; // an immediate pass asked for meanwhile: it starts when that pass ends
    std::unique_ptr<CycleBridge> ciclo_;
};

} // namespace brisko::ui
