#include "Json.h"
#include "URovezor.h"

#include <exception>

namespace brisko::dispatch {

std::string ExtraiErros(std::string_view body) {
    try {
        const std::optional<net::JsonValue> answer = net::ParseJson(body);
        if (!answer || !answer->IsObject()) {
            return {};
        }
        const net::JsonValue* errors = answer->Find("errors");
        if (errors == nullptr || !errors->IsArray()) {
            return {};
        }
        std::string text;
        for (const net::JsonValue& item : errors->Items()) {
            if (item.IsObject()) {
                text += item.TextAt("message");
            } else if (item.Kind() == net::JsonKind::String) {
                text += item.Text();
            } else {
                continue;
            }
            text += "\r\n";
        }
        return text;
    } catch (const std::exception&) {
        // One unreadable item spoils the whole list: the caller then shows the body itself.
        return {};
    }
}

} // namespace brisko::dispatch
