// The error-text extraction on any body: never crashes, never throws.
#include "URovezor.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    (void)brisko::dispatch::ExtraiErros(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
