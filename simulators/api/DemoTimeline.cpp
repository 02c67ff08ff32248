#include "DemoTimeline.h"

#include <array>

namespace brisko::sim {
namespace {

using namespace std::chrono_literals;

constexpr auto kReadAfter = 90s;       // the store accepts an order this long after it arrives
constexpr auto kReadyAfter = 25min;    // a BecomesReady order is ready this long after it arrives
constexpr auto kCancelledAfter = 3min; // a Cancelled order is called off this long after it arrives

struct Customer {
    const char* name;
    const char* surname;
    const char* street;
    const char* number;
    JsonLiteral complement;
    JsonLiteral reference;
    const char* phone;
    const char* mobile;
    JsonLiteral latitude;
    JsonLiteral longitude;
};

// Mixed kinds on purpose: coordinates as numbers, strings or null, complements "" or null.
const std::array<Customer, 6>& Customers() {
    static const std::array<Customer, 6> customers{{
        {"João", "Conceição", "Rua Treze de Maio", "45", JsonText("Casa"), JsonText("Ao lado da padaria"),
         "1132210001", "11988110001", "-23.5621", "-46.6463"},
        {"Ana", "Lima", "Rua Augusta", "1200", JsonText(""), kJsonNull, "", "11988110002",
         JsonText("-23.5558"), JsonText("-46.6596")},
        {"Pedro", "Araújo", "Travessa Ipê", "s/n", kJsonNull, kJsonNull, "1132210003", "11988110003",
         kJsonNull, kJsonNull},
        {"Luíza", "Gonçalves", "Rua Frei Caneca", "77", JsonText("Bloco B, apto 12"), JsonText("Portão azul"),
         "", "11988110004", "-23.5541", "-46.6530"},
        {"Carlos", "Melo", "Alameda Santos", "310", JsonText("Fundos"), JsonText(""), "1132210005",
         "11988110005", JsonText("-23.5671"), "-46.6512"},
        {"Beatriz", "Nogueira", "Praça Oswaldo Cruz", "8", JsonText(""), JsonText("Em frente à igreja"), "",
         "11988110006", "-23.5706", "-46.6448"},
    }};
    return customers;
}

} // namespace

DemoTimeline::DemoTimeline(MarketplaceSimulator& simulator, Clock::time_point start)
    : simulator_(simulator), nextArrival_(start + kArrivalInterval) {
    simulator_.AddAccount(kLogin, kPassword);
    Add(Kind::Delivery, start - 5h); // too old to import
    Add(Kind::Delivery, start - 3h - 20min);
    Add(Kind::BecomesReady, start - 2h); // already ready
    Add(Kind::Pickup, start - 50min);
    Add(Kind::Cancelled, start - 30min);
    Add(Kind::Delivery, start - 10min);
    Add(Kind::Delivery, start - 20s); // still unread
    Advance(start);
}

void DemoTimeline::Add(Kind kind, Clock::time_point createdAt) {
    const std::string orderId = std::to_string(nextId_++);
    const Customer& customer = Customers()[arrivals_.size() % Customers().size()];
    SimOrder order = MarketplaceSimulator::SampleOrder(orderId, Clock::duration::zero());
    order.createdAt = MarketplaceSimulator::LocalDateTimeText(createdAt);
    order.userName = customer.name;
    order.userSurname = customer.surname;
    order.userMobilePhone = JsonText(customer.mobile);
    order.address.street_name = JsonText(customer.street);
    order.address.number = JsonText(customer.number);
    order.address.complement = customer.complement;
    order.address.reference = customer.reference;
    order.address.phone = JsonText(customer.phone);
    order.address.mobile_phone = JsonText(customer.mobile);
    order.address.latitude = customer.latitude;
    order.address.longitude = customer.longitude;
    // The demo store signs in at the dispatch platform from this town: deliveries stay local.
    order.address.city_name = JsonText("São Paulo");
    order.address.state_uf = JsonText("SP");
    order.isPickup = kind == Kind::Pickup;
    order.isRead = false;
    simulator_.AddOrder(kLogin, std::move(order));
    arrivals_.push_back({orderId, kind, createdAt});
}

void DemoTimeline::Advance(Clock::time_point now) {
    std::lock_guard lock(mutex_);
    static constexpr std::array kCycle{Kind::Delivery, Kind::Delivery, Kind::BecomesReady,
                                       Kind::Pickup,   Kind::Delivery, Kind::Cancelled};
    while (nextArrival_ <= now) {
        Add(kCycle[static_cast<std::size_t>(nextId_) % kCycle.size()], nextArrival_);
        nextArrival_ += kArrivalInterval;
    }
    for (const Arrival& arrival : arrivals_) {
        const auto age = now - arrival.createdAt;
        simulator_.UpdateOrder(arrival.orderId, [&](SimOrder& order) {
            order.isRead = age >= kReadAfter;
            order.isReady = arrival.kind == Kind::BecomesReady && age >= kReadyAfter;
            order.isCancelled = arrival.kind == Kind::Cancelled && age >= kCancelledAfter;
        });
    }
}

} // namespace brisko::sim
