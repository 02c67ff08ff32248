// MarketplaceSimulator driven over the sim-host's control channel.
#include "RemoteState.h"
#include "Wire.h"

namespace brisko::sim {

MarketplaceSimulator::MarketplaceSimulator(IntegratorCredentials integrator, SimOptions options)
    : SimServer(std::make_unique<Impl>(JsonObjectWriter()
                                           .Text("kind", "marketplace")
                                           .Member("clientUser", wire::Bytes(integrator.clientUser))
                                           .Member("clientKey", wire::Bytes(integrator.clientKey))
                                           .Member("options", wire::Write(options))
                                           .Close())) {}

void MarketplaceSimulator::AddAccount(const std::string& login, const std::string& password) {
    State().Call("add-account", {{"login", wire::Bytes(login)}, {"password", wire::Bytes(password)}});
}

void MarketplaceSimulator::AddOrder(const std::string& login, SimOrder order) {
    State().Call("add-order", {{"login", wire::Bytes(login)}, {"order", wire::Write(order)}});
}

bool MarketplaceSimulator::UpdateOrder(const std::string& orderId,
                                       const std::function<void(SimOrder&)>& change) {
    const net::JsonValue found = State().Call("order", {{"orderId", wire::Bytes(orderId)}});
    if (found.At("order").Kind() == net::JsonKind::Null) {
        return false;
    }
    SimOrder order = wire::ReadOrder(found.At("order"));
    change(order);
    const net::JsonValue replaced =
        State().Call("replace-order", {{"orderId", wire::Bytes(orderId)}, {"order", wire::Write(order)}});
    return replaced.At("found").Kind() == net::JsonKind::True;
}

std::vector<SimOrder> MarketplaceSimulator::Orders(const std::string& login) const {
    return wire::ReadList(State().Call("orders", {{"login", wire::Bytes(login)}}).ArrayAt("orders"),
                          wire::ReadOrder);
}

std::string MarketplaceSimulator::IssueToken(const std::string& login) {
    return wire::BytesAt(State().Call("issue-token", {{"login", wire::Bytes(login)}}), "token");
}

void MarketplaceSimulator::ExpireTokens() {
    State().Call("expire-tokens");
}

void MarketplaceSimulator::SetExpiresIn(JsonLiteral literal) {
    State().Call("set-expires-in", {{"literal", wire::Bytes(literal)}});
}

void MarketplaceSimulator::SetEscapeNonAscii(bool escape) {
    State().Call("set-escape-non-ascii", {{"escape", escape ? "true" : "false"}});
}

} // namespace brisko::sim
