#pragma once
// The JSON forms in which the simulators' data crosses the sim-host's control channel, written and
// read in this one place by both ends.
#include "DispatchSimulator.h"
#include "Json.h"
#include "MarketplaceSimulator.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace brisko::sim::wire {

// Names the sim-host's control channel for the test programs of a remote build: "127.0.0.1:<port>".
inline constexpr const char* kHostVariable = "BRISKO_SIM_HOST";

// The decoded query values of one estimate.
using QueryValues = std::map<std::string, std::string>;

// A byte string as a JSON string literal of one character per byte (U+0000 to U+00FF), so that a
// body in any charset, or bytes that are no UTF-8 at all, arrive unchanged.
std::string Bytes(std::string_view bytes);
// The byte string of a value written by Bytes; throws net::JsonError for anything else.
std::string BytesOf(const net::JsonValue& value);
// BytesOf the member name; throws net::JsonError when it is absent.
std::string BytesAt(const net::JsonValue& object, std::string_view name);
long long NumberAt(const net::JsonValue& object, std::string_view name);

std::string Write(const Answer& answer);
std::string Write(const RecordedRequest& request);
std::string Write(const SimOptions& options);
std::string Write(const SimOrder& order);
std::string Write(const SimDelivery& delivery);
std::string Write(const QueryValues& values);

Answer ReadAnswer(const net::JsonValue& value);
RecordedRequest ReadRequest(const net::JsonValue& value);
SimOptions ReadOptions(const net::JsonValue& value);
SimOrder ReadOrder(const net::JsonValue& value);
SimDelivery ReadDelivery(const net::JsonValue& value);
QueryValues ReadQueryValues(const net::JsonValue& value);

template <typename T> std::string WriteList(const std::vector<T>& items) {
    std::string out = "[";
    for (const T& item : items) {
        out += out.size() > 1 ? "," : "";
        out += Write(item);
    }
    return out + "]";
}

template <typename Read> auto ReadList(const net::JsonValue& array, Read read) {
    std::vector<decltype(read(array))> items;
    for (const net::JsonValue& item : array.Items()) {
        items.push_back(read(item));
    }
    return items;
}

} // namespace brisko::sim::wire
