#pragma once
// The result texts that every client operation answers.
#include <string>
#include <string_view>

namespace brisko::net {

// Success. Callers compare with it case-sensitively.
inline constexpr std::string_view kTrue = "TRUE";

// A failure without an HTTP error status: the fixed prefix, then the failure's own message.
inline std::string GenericFailure(std::string_view message) {
    std::string text = "Sem Conexão - Verifique sua Internet! ,";
    text += message;
    return text;
}

} // namespace brisko::net
