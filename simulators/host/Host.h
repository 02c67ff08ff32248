#pragma once
// The simulators that sim-host runs for its callers, and the operations of the control channel on
// them (the caller's side is simulators/remote/). Each operation takes a JSON object and answers one.
#include "Json.h"
#include "SimServer.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace brisko::sim {

class Host {
public:
    // Answers the JSON object of the operation. Throws std::exception for an unknown operation or
    // simulator, or a request without what the operation needs.
    std::string Carry(std::string_view operation, const net::JsonValue& request);

private:
    // The simulator the request names, as T.
    template <typename T> std::shared_ptr<T> Find(const net::JsonValue& request);
    std::string Create(const net::JsonValue& request);
    void Destroy(const net::JsonValue& request);

    std::mutex mutex_;
    std::map<long long, std::shared_ptr<SimServer>> servers_;
    long long nextHandle_ = 1;
};

} // namespace brisko::sim
