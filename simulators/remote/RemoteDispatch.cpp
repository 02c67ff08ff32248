// DispatchSimulator driven over the sim-host's control channel.
#include "RemoteState.h"
#include "Wire.h"

namespace brisko::sim {

DispatchSimulator::DispatchSimulator(std::string apiKey, SimOptions options)
    : SimServer(std::make_unique<Impl>(JsonObjectWriter()
                                           .Text("kind", "dispatch")
                                           .Member("apiKey", wire::Bytes(apiKey))
                                           .Member("options", wire::Write(options))
                                           .Close())) {}

std::vector<SimDelivery> DispatchSimulator::Deliveries() const {
    return wire::ReadList(State().Call("deliveries").ArrayAt("deliveries"), wire::ReadDelivery);
}

std::vector<std::map<std::string, std::string>> DispatchSimulator::Estimates() const {
    return wire::ReadList(State().Call("estimates").ArrayAt("estimates"), wire::ReadQueryValues);
}

} // namespace brisko::sim
