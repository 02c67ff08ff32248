#pragma once
// The integration cycle seen from the main window: hands each pass to the Qt-free runner and
// carries the pass's outlets over to the window thread.
#include "IntegrationPass.h"

#include <QObject>

#include <atomic>
#include <memory>
#include <string>

namespace brisko::cycle {
class PassRunner;
}

namespace brisko::ui {

class TMainForm;

class CycleBridge {
public:
    explicit CycleBridge(TMainForm& form);
    // Waits for a running pass while the window thread keeps serving its outlets.
    ~CycleBridge();
    CycleBridge(const CycleBridge&) = delete;
    CycleBridge& operator=(const CycleBridge&) = delete;

    // A pass on the worker; one asked for while another runs comes after it, never beside it.
    void PedePasso();
    // The window is closing: from now on the pass reaches the window no more (its reads answer as
    // signed out, so no courier request starts) and no pass starts after the running one.
    void Encerra();

private:
    cycle::PassOutlets Outlets();
    // Runs `write` on the window thread later; skipped once the window is closing.
    template <class Write> void Queued(Write write);
    // Runs `read` on the window thread and waits for its answer; `closed` once the window is closing.
    template <class Read, class Result> Result Blocking(Read read, Result closed);

    TMainForm& form_;
    QObject context_; // lives on the window thread: the target of every carried call
    std::atomic<bool> closing_{false};
    std::unique_ptr<cycle::PassRunner> runner_;
};

} // namespace brisko::ui
