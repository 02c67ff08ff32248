#pragma once
// A fresh database file with the demo store signed in, both simulators on 127.0.0.1 over HTTPS,
// and window outlets that record what a pass does to the window, from whichever thread.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "AgendamentoAutomatico.h"
#include "BuildConstants.h"
#include "DispatchSimulator.h"
#include "IntegrationPass.h"
#include "MarketplaceSimulator.h"
#include "Store.h"
#include "TempFolder.h"
#include "TestDatabase.h"
#include "URovezor.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <string>
#include <vector>

namespace brisko::test {

inline constexpr const char* kMarketLogin = "loja";
inline constexpr const char* kMarketPassword = "segredo";
inline constexpr const char* kOpenPath = "/api/integracao/abrirEntrega";

// The window as a pass sees it. Events are kept in order as "kind:text".
class WindowRecorder {
public:
    // The choices of a store that may schedule: signed in, ticked, a payment and category it accepts.
    WindowRecorder() {
        inputs.signedIn = true;
        inputs.automatic = true;
        inputs.paymentName = "Dinheiro";
        inputs.categoryName = "Moto";
        inputs.returnText = "Não";
        inputs.minutesText = "120";
    }

    cycle::PassOutlets Outlets() {
        cycle::PassOutlets o;
        o.readStatus = [this] {
            const std::lock_guard lock(mutex_);
            return panel_;
        };
        o.status = [this](const std::string& text) {
            Record("status", text);
            const std::lock_guard lock(mutex_);
            panel_ = text;
        };
        o.showWarning = [this](const std::string& text) { Record("warning", text); };
        o.hideWarning = [this] { Record("hideWarning", ""); };
        o.bringAccountDialog = [this] { Record("accountDialog", ""); };
        o.snapshot = [this] {
            Record("snapshot", "");
            const std::lock_guard lock(mutex_);
            return inputs;
        };
        o.message = [this](const std::string& text) { Record("message", text); };
        o.handBack = [this] { Record("handBack", ""); };
        return o;
    }

    courier::SchedulingOutlets SchedulingOutlets() {
        const cycle::PassOutlets o = Outlets();
        return {o.status, o.message};
    }

    void SetPanel(std::string text) {
        const std::lock_guard lock(mutex_);
        panel_ = std::move(text);
    }

    std::vector<std::string> Events() const {
        const std::lock_guard lock(mutex_);
        return events_;
    }
    // The texts of one kind of event, in order.
    std::vector<std::string> Texts(const std::string& kind) const {
        std::vector<std::string> texts;
        for (const std::string& event : Events()) {
            if (event.compare(0, kind.size() + 1, kind + ":") == 0) {
                texts.push_back(event.substr(kind.size() + 1));
            }
        }
        return texts;
    }
    std::size_t Count(const std::string& kind) const { return Texts(kind).size(); }

    courier::SchedulingInputs inputs; // what the snapshot answers; set before the pass

private:
    void Record(const std::string& kind, const std::string& text) {
        const std::lock_guard lock(mutex_);
        events_.push_back(kind + ":" + text);
    }

    mutable std::mutex mutex_;
    std::string panel_;
    std::vector<std::string> events_;
};

class CycleTest : public ::testing::Test {
protected:
    CycleTest() : file_((FreshDatabase(folder_ / "BANCO.db"), folder_ / "BANCO.db")), db(file_) {}

    void SetUp() override {
        ASSERT_TRUE(platform.Start());
        ASSERT_TRUE(market.Start());
        market.AddAccount(kMarketLogin, kMarketPassword);
        services.dispatch.baseUrl = platform.BaseUrl();
        services.dispatch.caFile = sim::TestCaFile().string();
        services.dispatch.connectTimeout = std::chrono::seconds(5);
        services.dispatch.readTimeout = std::chrono::seconds(5);
        services.marketplace.baseUrl = market.BaseUrl();
        services.marketplace.caFile = sim::TestCaFile().string();
        services.marketplace.connectTimeout = std::chrono::seconds(5);
        services.marketplace.readTimeout = std::chrono::seconds(5);
        // The store's record comes from a real sign-in at the platform.
        ASSERT_EQ(dispatch::LoginEmpresa(services.dispatchApiKey, "loja@demo.com", "demo123", false, db,
                                         services.dispatch),
                  "TRUE");
        platform.ClearRequests();
    }

    long long AddAccount(const std::string& login, const std::string& password) {
        const long long id = store::InsereConfigDeliveryVazia(db);
        if (!login.empty() || !password.empty()) {
            store::GravaContaConfigDelivery(db, id, login, password);
        }
        return id;
    }

    long long AddPending(const std::string& idPedido) {
        return InsertOrderAt(db, {idPedido, std::nullopt}, "");
    }

    void Schedule() {
        courier::AbrirEntregaAgendarAutomatico(window.inputs, db, services.dispatchApiKey,
                                               window.SchedulingOutlets(), services.dispatch);
    }

    // ID_MCH of every order, in ID order.
    std::vector<std::string> Marks() {
        std::vector<std::string> marks;
        store::Statement row = db.Prepare("SELECT ID_MCH FROM PEDIDOS ORDER BY ID");
        while (row.Step()) {
            marks.push_back(row.Text("ID_MCH"));
        }
        return marks;
    }

    // The requests of that path the simulator received, in order.
    static std::vector<sim::RecordedRequest> RequestsTo(const sim::SimServer& server,
                                                        const std::string& path) {
        std::vector<sim::RecordedRequest> found;
        for (const sim::RecordedRequest& request : server.Requests()) {
            if (request.path == path) {
                found.push_back(request);
            }
        }
        return found;
    }

    std::vector<std::string> SentOrderIds() {
        std::vector<std::string> ids;
        for (const sim::SimDelivery& delivery : platform.Deliveries()) {
            ids.push_back(delivery.idExterno);
        }
        return ids;
    }

private:
    TempFolder folder_;

protected:
    const std::filesystem::path file_;
    store::Database db;
    sim::DispatchSimulator platform{build::kDispatchApiKey};
    sim::MarketplaceSimulator market;
    cycle::PassServices services;
    WindowRecorder window;
};

} // namespace brisko::test
