#include "OrderReading.h"

#include "Conversions.h"

#include <chrono>
#include <string>

namespace brisko::marketplace {

namespace {

// A null phone or address part means there is none: read as empty text, so a null phone falls back
// to the mobile number and the word "null" never reaches the courier or the card.
std::string TextOrEmptyAt(const net::JsonValue& object, std::string_view name) {
    const net::JsonValue& value = object.At(name);
    return value.Kind() == net::JsonKind::Null ? std::string() : value.Text();
}

} // namespace

TokenGrant TokenFromAnswer(const net::JsonValue& answer) {
    const net::JsonValue& data = answer.ObjectAt("data");
    TokenGrant grant;
    grant.token = data.TextAt("access_token");
    grant.expiresIn = ToWholeNumber(data.TextAt("expires_in"));
    return grant;
}

long long WholeHoursApart(Clock::time_point a, Clock::time_point b) {
    const auto apart = a > b ? a - b : b - a;
    return std::chrono::duration_cast<std::chrono::milliseconds>(apart).count() / 3600000;
}

bool RecentEnough(const LocalDateTime& createdAt, Clock::time_point now) {
    // A year far from now is not recent, and the clock could not even hold it (its nanoseconds
    // reach from 1677 to 2262 only): such a date must not reach the conversion.
    const int yearsApart = createdAt.year - ToLocal(now).year;
    if (yearsApart > 1 || yearsApart < -1) {
        return false;
    }
    return WholeHoursApart(FromLocal(createdAt), now) <= 3;
}

bool ListedOrderWanted(const net::JsonValue& element) {
    return element.TextAt("is_ready") == "false" && element.TextAt("order_is_pickup") == "false" &&
           element.TextAt("is_read") == "true";
}

bool DetailAllowsImport(const net::JsonValue& data) {
    return data.TextAt("is_ready") == "false" && data.TextAt("is_pickup") == "false" &&
           data.TextAt("is_read") == "true" && data.TextAt("is_cancelled") == "false" &&
           data.TextAt("is_delivered") == "false";
}

store::NovoPedido RowFromDetail(const net::JsonValue& data, std::string_view orderId) {
    const std::string createdAt = data.TextAt("created_at");
    const net::JsonValue& user = data.ObjectAt("user");
    const std::string name = user.TextAt("name");
    const std::string surname = user.TextAt("surname");
    const net::JsonValue& address = user.ObjectAt("address");
    const std::string street = address.TextAt("street_name");
    const std::string number = address.TextAt("number");
    const std::string complement = TextOrEmptyAt(address, "complement");
    const std::string reference = TextOrEmptyAt(address, "reference");
    const std::string phone = TextOrEmptyAt(address, "phone");
    const std::string mobilePhone = TextOrEmptyAt(address, "mobile_phone");
    const std::string city = address.TextAt("city_name");
    const std::string state = address.TextAt("state_uf");
    const std::string latitude = address.TextAt("latitude");
    const std::string longitude = address.TextAt("longitude");

    store::NovoPedido row;
    row.DATAHORA = createdAt;
    row.IDPEDIDO = orderId;
    row.CLIENTE = name;
    row.CLIENTE += ' ';
    row.CLIENTE += surname;
    row.TELEFONE = phone.empty() ? mobilePhone : phone;
    row.ENDERECO = street + " " + number + ", " + complement + " " + reference + " - " + city + " " + state;
    row.LATITUDE = latitude;
    row.LONGITUDE = longitude;
    return row;
}

} // namespace brisko::marketplace
