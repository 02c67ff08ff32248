#include "IntegrationPass.h"

#include "ConfigDelivery.h"
#include "DiagnosticLog.h"
#include "Errors.h"
#include "ResultText.h"
#include "UAiqfome.h"

#include <chrono>
#include <exception>

namespace brisko::cycle {

namespace {

constexpr const char* kLoginIncorreto = "LOGIN E SENHA AIQFOME INCORRETO";

void Status(const PassOutlets& outlets, const std::string& text) {
    if (outlets.status) {
        outlets.status(text);
    }
}

void ShowWarning(const PassOutlets& outlets, const std::string& text) {
    if (outlets.showWarning) {
        outlets.showWarning(text);
    }
}

void SyncAccounts(store::Database& db, const PassServices& services, const PassOutlets& outlets) {
    Sincronizacao resultado = Sincronizacao::SemConta;
    std::string falha;
    const marketplace::Context context{db, services.marketplace, services.integrator, outlets.status};
    for (const store::ConfigDelivery& account : store::LeConfigDelivery(db)) {
        // The row the account dialog adds before its first save; one empty field alone is sent on.
        if (account.LOGIN.empty() && account.SENHA.empty()) {
            Status(outlets, "Aiqfome não cadastrado");
            continue;
        }
        const std::string result =
            marketplace::ConectaAiqfome(context, std::to_string(account.ID), account.LOGIN, account.SENHA);
        if (result != net::kTrue) {
            resultado = Sincronizacao::Falhou;
            falha = result == marketplace::kLoginRefused ? kLoginIncorreto : result;
        } else if (resultado == Sincronizacao::SemConta) {
            resultado = Sincronizacao::Conectada;
        }
        if (result == net::kTrue) {
            if (outlets.hideWarning) {
                outlets.hideWarning();
            }
            Status(outlets, "Aiqfome conectado");
        } else if (result == marketplace::kLoginRefused) {
            Status(outlets, kLoginIncorreto);
            ShowWarning(outlets, kLoginIncorreto);
            if (outlets.bringAccountDialog) {
                outlets.bringAccountDialog();
            }
        } else {
            Status(outlets, result);
            ShowWarning(outlets, result);
        }
    }
    if (outlets.synced) {
        outlets.synced(resultado, falha);
    }
}

void Pass(store::Database& db, const PassServices& services, const PassOutlets& outlets) {
    if (!outlets.readStatus || outlets.readStatus().empty()) {
        Status(outlets, "Verificando integração");
    }
    SyncAccounts(db, services, outlets);
    // The window's choices as they are now, after the sync, not as they were at the tick.
    const courier::SchedulingInputs inputs =
        outlets.snapshot ? outlets.snapshot() : courier::SchedulingInputs{};
    courier::AbrirEntregaAgendarAutomatico(inputs, db, services.dispatchApiKey,
                                           {outlets.status, outlets.message, outlets.answered},
                                           services.dispatch);
}

} // namespace

void RunIntegrationPass(store::Database& db, const PassServices& services, const PassOutlets& original) {
    // The log gets the pass's outcome, its last status, and its duration. Every outlet is called on
    // this thread while the pass runs.
    const auto started = std::chrono::steady_clock::now();
    std::string lastStatus;
    PassOutlets outlets = original;
    outlets.status = [&lastStatus, status = original.status](const std::string& text) {
        lastStatus = text;
        if (status) {
            status(text);
        }
    };
    // An error that ends the pass early must not end the cycle: it is shown, and the window gets
    // the cycle back as after any pass.
    try {
        Pass(db, services, outlets);
    } catch (const std::exception& e) {
        Status(outlets, e.what());
    } catch (...) {
        Status(outlets, "Exception");
    }
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    platform::Log("passo em " + std::to_string(elapsed.count()) + " ms: " + lastStatus);
    if (outlets.handBack) {
        outlets.handBack();
    }
}

} // namespace brisko::cycle
