#include "CycleBridge.h"

#include "BackgroundCall.h"
#include "PassRunner.h"
#include "PlainText.h"
#include "TextoLegivel.h"
#include "uMainForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>
#include <QTimer>

namespace brisko::ui {

CycleBridge::CycleBridge(TMainForm& form) : form_(form) {
    cycle::PassServices services;
    services.marketplace = form_.Opcoes().marketplace;
    services.dispatch = form_.Opcoes().dispatch;
    services.dispatchApiKey = form_.vpTokenRovezor.toStdString();
    runner_ = std::make_unique<cycle::PassRunner>(form_.ArquivoBanco(), std::move(services), Outlets());
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

template <class Write> void CycleBridge::Queued(Write write) {
    QMetaObject::invokeMethod(
        &context_,
        [this, write = std::move(write)] {
            if (!closing_) {
                write();
            }
        },
        Qt::QueuedConnection);
}

template <class Read, class Result> Result CycleBridge::Blocking(Read read, Result closed) {
    if (closing_) {
        return closed;
    }
    Result result = closed;
    QMetaObject::invokeMethod(
        &context_,
        [&] {
            if (!closing_) {
                result = read();
            }
        },
        QThread::currentThread() == context_.thread() ? Qt::DirectConnection : Qt::BlockingQueuedConnection);
    return result;
}

cycle::PassOutlets CycleBridge::Outlets() {
    TMainForm& f = form_;
    cycle::PassOutlets outlets;
    outlets.readStatus = [this, &f] {
        return Blocking([&f] { return f.StatusPanel1->text().toStdString(); }, std::string());
    };
    // The pass's texts carry the services' answers: cut here, on the worker, so that the window
    // thread never holds more than a readable line of them.
    outlets.status = [this, &f](const std::string& text) {
        Queued([&f, shown = TextoLegivel(text)] { f.StatusPanel1->setText(shown); });
    };
    outlets.showWarning = [this, &f](const std::string& text) {
        Queued([&f, shown = TextoLegivel(text)] {
            f.LabelAvisos->setText(shown);
            f.LabelAvisos->show();
        });
    };
    outlets.hideWarning = [this, &f] { Queued([&f] { f.LabelAvisos->hide(); }); };
    outlets.bringAccountDialog = [this, &f] {
        Queued([&f] {
            if (!f.TimerCadastroEntrega->isActive()) {
                f.TimerCadastroEntrega->start();
            }
        });
    };
    outlets.snapshot = [this, &f] {
        return Blocking(
            [&f] {
                courier::SchedulingInputs inputs;
                inputs.signedIn = f.vLogado;
                inputs.automatic = f.CheckBoxRebimentoAutomatico->isChecked();
                inputs.paymentName = f.ComboBoxPagamentos->currentText().toStdString();
                inputs.categoryName = f.ComboBoxCategorias->currentText().toStdString();
                inputs.returnText = f.ComboBoxRetorno->currentText().toStdString();
                inputs.minutesText = f.ComboBoxAgendar->text().toStdString();
                return inputs;
            },
            courier::SchedulingInputs{});
    };
    outlets.message = [this, &f](const std::string& text) {
        Blocking(
            [&f, shown = TextoLegivel(text)] {
                ShowPlainMessage(&f, QMessageBox::NoIcon, f.windowTitle(), shown,
                                 QStringLiteral("MensagemAgendamento"));
                return true;
            },
            false);
    };
    outlets.handBack = [this, &f] { Queued([&f] { f.FimDoPasso(); }); };
    return outlets;
}

} // namespace brisko::ui
