#include "CycleBridge.h"

#include "BackgroundCall.h"
#include "PassRunner.h"
#include "TextoLegivel.h"

#include <QMetaObject>
#include <QThread>

#include <utility>

namespace brisko::ui {

CycleBridge::CycleBridge(const std::filesystem::path& databaseFile, cycle::PassServices services,
                         std::function<courier::SchedulingInputs()> snapshot,
                         std::function<std::string()> readStatus, QObject* parent)
    : QObject(parent), snapshot_(std::move(snapshot)), readStatus_(std::move(readStatus)) {
    runner_ = std::make_unique<cycle::PassRunner>(databaseFile, std::move(services), Outlets());
}

CycleBridge::~CycleBridge() {
    closing_ = true;
    // A pass blocked on a question to the window needs the window thread to answer it, so the
    // wait for the worker runs beside an event loop rather than on this thread.
    RunInBackground([this] {
        runner_.reset();
        return true;
    });
}

void CycleBridge::PedePasso() {
    if (!closing_) {
        runner_->RequestPass();
    }
}

void CycleBridge::Encerra() {
    closing_ = true;
}

template <class Read, class Result> Result CycleBridge::Blocking(Read read, Result closed) {
    if (closing_) {
        return closed;
    }
    Result result = closed;
    QMetaObject::invokeMethod(
        this,
        [&] {
            if (!closing_) {
                result = read();
            }
        },
        QThread::currentThread() == thread() ? Qt::DirectConnection : Qt::BlockingQueuedConnection);
    return result;
}

cycle::PassOutlets CycleBridge::Outlets() {
    cycle::PassOutlets outlets;
    outlets.readStatus = [this] { return Blocking([this] { return readStatus_(); }, std::string()); };
    // The pass's texts carry the services' answers: cut here, on the worker, so that the window
    // thread never holds more than a readable line of them.
    outlets.status = [this](const std::string& text) { emit status(TextoLegivel(text)); };
    outlets.showWarning = [this](const std::string& text) { emit avisoMostrado(TextoLegivel(text)); };
    outlets.hideWarning = [this] { emit avisoOculto(); };
    outlets.bringAccountDialog = [this] { emit contaRecusada(); };
    outlets.snapshot = [this] {
        return Blocking([this] { return snapshot_(); }, courier::SchedulingInputs{});
    };
    outlets.message = [this](const std::string& text) {
        if (!closing_) {
            emit mensagem(TextoLegivel(text));
        }
    };
    outlets.handBack = [this] { emit devolvido(); };
    outlets.synced = [this](cycle::Sincronizacao resultado, const std::string& text) {
        emit sincronizado(static_cast<int>(resultado), TextoLegivel(text));
    };
    outlets.answered = [this](const store::Pedido& pedido, courier::RequestOutcome outcome,
                              const std::string& text) {
        emit solicitacaoRespondida(pedido.ID, QString::fromStdString(pedido.IDPEDIDO),
                                   static_cast<int>(outcome), TextoLegivel(text));
    };
    return outlets;
}

} // namespace brisko::ui
