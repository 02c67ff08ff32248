#pragma once
// An order as the marketplace stand-in keeps it, and the JSON texts it answers with. Member values
// that real services send in mixed kinds (numbers or strings, null or "") are kept as JSON
// literals, so that a test can give each one the kind it needs.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brisko::sim {

// A JSON value exactly as it goes on the wire: "\"text\"", "-23.55", "null", "true".
using JsonLiteral = std::string;
inline const JsonLiteral kJsonNull = "null";
JsonLiteral JsonText(std::string_view text); // a JSON string literal of text

struct SimAddress {
    JsonLiteral street_name = JsonText("");
    JsonLiteral number = JsonText("");
    JsonLiteral complement = JsonText("");
    JsonLiteral reference = JsonText("");
    JsonLiteral neighborhood_name = JsonText("");
    JsonLiteral phone = JsonText("");
    JsonLiteral mobile_phone = JsonText("");
    JsonLiteral city_name = JsonText("");
    JsonLiteral state_uf = JsonText("");
    JsonLiteral zip_code = JsonText("");
    JsonLiteral latitude = kJsonNull;
    JsonLiteral longitude = kJsonNull;
};

struct SimItem {
    std::string name;
    int quantity = 1;
    std::string unitPrice; // money goes as a string, "25.90"
    std::string observation;
};

// Members replaced (a literal) or left out (nullopt) of an answer object; names that the object
// does not have are added at its end.
using MemberOverrides = std::map<std::string, std::optional<JsonLiteral>>;

struct SimOrder {
    std::string orderId;   // digits, sent as a string in the search and as a number in the detail
    std::string createdAt; // "YYYY-MM-DD HH:MM:SS" in the store's local time
    bool isRead = true;
    bool isReady = false;
    bool isPickup = false;
    bool isCancelled = false;
    bool isDelivered = false;
    std::string userName;
    std::string userSurname;
    JsonLiteral userMobilePhone = JsonText("");
    SimAddress address;
    std::vector<SimItem> items;
    std::string paymentName = "Dinheiro";
    JsonLiteral changeFor = kJsonNull; // money as a string or null
    std::string total = "0.00";
    MemberOverrides searchOverrides; // on this order's element of the search's "data"
    MemberOverrides detailOverrides; // on the detail's "data" object
};

// The answers' JSON texts (UTF-8, non-ASCII characters as they are).
std::string SearchElementJson(const SimOrder& order);
std::string DetailJson(const SimOrder& order);
std::string ErrorJson(std::string_view message);

// Every non-ASCII character of a UTF-8 JSON text as a \uXXXX escape (surrogate pairs above
// U+FFFF). Outside strings a JSON text has only ASCII, so the whole text can go through it.
std::string EscapeNonAscii(std::string_view json);

// Builds a JSON object member by member, applying overrides on the way.
class JsonObjectWriter {
public:
    explicit JsonObjectWriter(const MemberOverrides* overrides = nullptr) : overrides_(overrides) {}
    JsonObjectWriter& Member(std::string_view name, const JsonLiteral& value);
    JsonObjectWriter& Text(std::string_view name, std::string_view value) {
        return Member(name, JsonText(value));
    }
    JsonObjectWriter& Flag(std::string_view name, bool value) {
        return Member(name, value ? "true" : "false");
    }
    std::string Close();

private:
    void Write(std::string_view name, const JsonLiteral& value);

    const MemberOverrides* overrides_;
    std::vector<std::string> written_;
    std::string text_ = "{";
};

} // namespace brisko::sim
