#pragma once
// The standalone simulator's demo account "loja-demo" / "demo123": orders that arrive over time and
// move on as a store's would. New orders come unread and are read after a while; some become ready,
// some are for pickup, some are cancelled.
#include "MarketplaceSimulator.h"

#include <chrono>
#include <mutex>
#include <string>
#include <vector>

namespace brisko::sim {

class DemoTimeline {
public:
    using Clock = MarketplaceSimulator::Clock;

    static constexpr const char* kLogin = "loja-demo";
    static constexpr const char* kPassword = "demo123";
    static constexpr std::chrono::minutes kArrivalInterval{2};

    // Adds the demo account with a few orders of the last hours.
    DemoTimeline(MarketplaceSimulator& simulator, Clock::time_point start);

    // Adds the orders due by `now` and moves every demo order to its state at `now`.
    void Advance(Clock::time_point now);

private:
    enum class Kind { Delivery, BecomesReady, Pickup, Cancelled };
    struct Arrival {
        std::string orderId;
        Kind kind;
        Clock::time_point createdAt;
    };

    void Add(Kind kind, Clock::time_point createdAt);

    MarketplaceSimulator& simulator_;
    std::mutex mutex_;
    std::vector<Arrival> arrivals_;
    Clock::time_point nextArrival_;
    long long nextId_ = 9100001;
};

} // namespace brisko::sim
