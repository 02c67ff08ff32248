// The JSON reader on any bytes: never crashes, and whatever it accepts can be read all through.
#include "Json.h"

#include <cstddef>
#include <cstdint>

namespace {

void ReadAll(const brisko::net::JsonValue& value) {
    (void)value.Text();
    try {
        (void)value.StrictString();
    } catch (const brisko::net::JsonError&) {
    }
    for (const auto& item : value.Items()) {
        ReadAll(item);
    }
    for (const auto& member : value.Members()) {
        (void)value.Find(member.name);
        ReadAll(member.value);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const auto parsed =
            brisko::net::ParseJson(std::string_view(reinterpret_cast<const char*>(data), size));
        if (parsed) {
            ReadAll(*parsed);
        }
    } catch (const brisko::net::JsonError&) {
        // More values than the cap: refused, not read.
    }
    return 0;
}
