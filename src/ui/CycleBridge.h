#pragma once
// The integration cycle seen from the window thread: hands each pass to the Qt-free runner on its
// worker and turns the pass's outlets into signals, which reach the window by queued connections.
#include "IntegrationPass.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace brisko::cycle {
class PassRunner;
}

namespace brisko::ui {

class CycleBridge : public QObject {
    Q_OBJECT
public:
    // `snapshot` and `readStatus` are called on the window thread while the pass waits for them.
    CycleBridge(const std::filesystem::path& databaseFile, cycle::PassServices services,
                std::function<courier::SchedulingInputs()> snapshot, std::function<std::string()> readStatus,
                QObject* parent = nullptr);
    // Waits for a running pass while the window thread keeps serving its outlets.
    ~CycleBridge() override;

    // A pass on the worker; one asked for while another runs comes after it, never beside it.
    void PedePasso();
    // The window is closing: from now on the pass reaches the window no more (its reads answer as
    // signed out, so no courier request starts) and no pass starts after the running one.
    void Encerra();

    // Calls `slot` for each of `signal`'s emissions, on the receiver's thread by a queued (or
    // blocking queued) connection; a call still on its way when the window closes is dropped.
    template <class Receiver, class... Args>
    void Liga(void (CycleBridge::*signal)(Args...), Receiver* receiver, void (Receiver::*slot)(Args...),
              Qt::ConnectionType type = Qt::QueuedConnection) {
        connect(
            this, signal, receiver,
            [this, receiver, slot](Args... args) {
                if (!closing_) {
                    (receiver->*slot)(args...);
                }
            },
            type);
    }

signals:
    // Emitted on the worker. The texts carry the services' answers, already cut to a readable line.
    void status(const QString& text);        // second status panel, new text
    void avisoMostrado(const QString& text); // the warning line shown with the text
    void avisoOculto();                      // the warning line hidden
    void contaRecusada();                    // the marketplace refused the account
    void mensagem(const QString& text);      // a message box; connect it blocking: the pass waits
    void devolvido();                        // the pass is over and hands the cycle back
    // How the pass's sync went (a cycle::Sincronizacao) with the last failure's text.
    void sincronizado(int resultado, const QString& text);
    // What an automatic request came to (a courier::RequestOutcome), with the platform's text.
    void solicitacaoRespondida(qlonglong id, const QString& idPedido, int outcome, const QString& text);

private:
    cycle::PassOutlets Outlets();
    // Runs `read` on the window thread and waits for its answer; `closed` once the window is closing.
    template <class Read, class Result> Result Blocking(Read read, Result closed);

    std::function<courier::SchedulingInputs()> snapshot_;
    std::function<std::string()> readStatus_;
    std::atomic<bool> closing_{false};
    std::unique_ptr<cycle::PassRunner> runner_;
};

} // namespace brisko::ui
