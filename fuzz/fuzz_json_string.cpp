// The JSON string writer on any bytes: what it writes is always valid JSON that reads back as the
// input, with U+FFFD in place of each byte that is not well-formed UTF-8.
#include "BodyText.h"
#include "Json.h"
#include "JsonWriter.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto parsed = brisko::net::ParseJson(brisko::net::JsonString(input));
    if (!parsed || parsed->Text() != brisko::net::ToValidUtf8(input)) {
        std::abort();
    }
    return 0;
}
