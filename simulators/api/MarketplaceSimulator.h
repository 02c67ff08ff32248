#pragma once
// A local stand-in for the food marketplace's API: token sign-in, order search and order detail
// over HTTPS, plus a plain HTML order page at /pedidos. Answers are shaped like a real public
// marketplace API; tests add and change orders directly and script odd answers through the base's
// hooks.
#include "SimOrder.h"
#include "SimServer.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace brisko::sim {

struct IntegratorCredentials {
    std::string clientUser;
    std::string clientKey;
};

// The integrator credentials the program is built with.
IntegratorCredentials BuildIntegrator();

class MarketplaceSimulator : public SimServer {
public:
    using Clock = std::chrono::system_clock;

    explicit MarketplaceSimulator(IntegratorCredentials integrator = BuildIntegrator(),
                                  SimOptions options = {});

    // A store account that can sign in.
    void AddAccount(const std::string& login, const std::string& password);
    // Adds an order to an account's list (the account is created without a password if unknown).
    void AddOrder(const std::string& login, SimOrder order);
    // Changes the order with that id; false when there is none. In-process the change is made under
    // the simulator's lock; remote, the order is read, changed here and written back.
    bool UpdateOrder(const std::string& orderId, const std::function<void(SimOrder&)>& change);
    std::vector<SimOrder> Orders(const std::string& login) const;

    // A token of the account as the sign-in would issue it, without a request.
    std::string IssueToken(const std::string& login);
    // Every token issued so far stops being accepted.
    void ExpireTokens();
    // The literal sent as "expires_in" (default the number 3600); a whole number in it, as a
    // number or a string, is also how long the token lives.
    void SetExpiresIn(JsonLiteral literal);
    // true (default): non-ASCII characters go as \uXXXX escapes; false: as raw UTF-8.
    void SetEscapeNonAscii(bool escape);
    // In-process only. Runs before every request is answered (the demo lets its orders move on there).
    void SetBeforeEachRequest(std::function<void()> hook);

    // A complete order with a customer and an address, created `ago` before now.
    static SimOrder SampleOrder(const std::string& orderId, Clock::duration ago);
    // The store's local date-time of a moment, "YYYY-MM-DD HH:MM:SS".
    static std::string LocalDateTimeText(Clock::time_point moment);
};

} // namespace brisko::sim
