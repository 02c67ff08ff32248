#pragma once
// What every marketplace operation needs besides its own arguments: the worker's database
// connection, where the marketplace API is, who we are to it, and where progress texts go.
#include "BuildConstants.h"
#include "Database.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace brisko::marketplace {

struct Endpoint {
    std::string baseUrl = build::kMarketplaceApiUrl; // https://host[:port], no trailing slash
    std::string caFile = build::kCaFile;             // trusted besides the system's; "" for none
    std::chrono::milliseconds connectTimeout{10000};
    std::chrono::milliseconds readTimeout{10000};
    // Once it reads true (the program is closing), calls are abandoned at once and no new one is
    // made. Empty: never abandoned.
    std::shared_ptr<const std::atomic<bool>> abandon;
};

// The integrator's identity, the same for every store: the contact address goes in every request,
// the client user and key as Basic credentials on the token request only.
struct Integrator {
    std::string contactEmail = build::kMarketplaceContactEmail;
    std::string clientUser = build::kMarketplaceClientUser;
    std::string clientKey = build::kMarketplaceClientKey;
};

// Receives "Verificando token", "Verificando pedidos", "Verificando pedido <id>". The client knows
// no window: the caller hands the text on to wherever it is shown.
using StatusOutlet = std::function<void(const std::string&)>;

struct Context {
    store::Database& db;
    Endpoint endpoint{};
    Integrator integrator{};
    StatusOutlet status{};

    void Status(const std::string& text) const {
        if (status) {
            status(text);
        }
    }
};

} // namespace brisko::marketplace
