#include "Wire.h"

#include "JsonWriter.h"

#include <initializer_list>
#include <utility>

namespace brisko::sim::wire {

namespace {

// The text members of each type, named once for both directions.
template <typename T> using TextFields = std::initializer_list<std::pair<std::string_view, std::string T::*>>;

const TextFields<RecordedRequest> kRequestTexts = {{"method", &RecordedRequest::method},
                                                   {"target", &RecordedRequest::target},
                                                   {"path", &RecordedRequest::path},
                                                   {"body", &RecordedRequest::body}};
const TextFields<SimAddress> kAddressTexts = {{"street_name", &SimAddress::street_name},
                                              {"number", &SimAddress::number},
                                              {"complement", &SimAddress::complement},
                                              {"reference", &SimAddress::reference},
                                              {"neighborhood_name", &SimAddress::neighborhood_name},
                                              {"phone", &SimAddress::phone},
                                              {"mobile_phone", &SimAddress::mobile_phone},
                                              {"city_name", &SimAddress::city_name},
                                              {"state_uf", &SimAddress::state_uf},
                                              {"zip_code", &SimAddress::zip_code},
                                              {"latitude", &SimAddress::latitude},
                                              {"longitude", &SimAddress::longitude}};
const TextFields<SimItem> kItemTexts = {
    {"name", &SimItem::name}, {"unitPrice", &SimItem::unitPrice}, {"observation", &SimItem::observation}};
const TextFields<SimOrder> kOrderTexts = {{"orderId", &SimOrder::orderId},
                                          {"createdAt", &SimOrder::createdAt},
                                          {"userName", &SimOrder::userName},
                                          {"userSurname", &SimOrder::userSurname},
                                          {"userMobilePhone", &SimOrder::userMobilePhone},
                                          {"paymentName", &SimOrder::paymentName},
                                          {"changeFor", &SimOrder::changeFor},
                                          {"total", &SimOrder::total}};
const std::initializer_list<std::pair<std::string_view, bool SimOrder::*>> kOrderFlags = {
    {"isRead", &SimOrder::isRead},
    {"isReady", &SimOrder::isReady},
    {"isPickup", &SimOrder::isPickup},
    {"isCancelled", &SimOrder::isCancelled},
    {"isDelivered", &SimOrder::isDelivered}};
const TextFields<SimDelivery> kDeliveryTexts = {
    {"loja", &SimDelivery::loja},           {"idExterno", &SimDelivery::idExterno},
    {"cliente", &SimDelivery::cliente},     {"endereco", &SimDelivery::endereco},
    {"data", &SimDelivery::data},           {"hora", &SimDelivery::hora},
    {"categoria", &SimDelivery::categoria}, {"pagamento", &SimDelivery::pagamento}};

template <typename T>
JsonObjectWriter& WriteTexts(JsonObjectWriter& writer, const T& from, const TextFields<T>& fields) {
    for (const auto& [name, member] : fields) {
        writer.Member(name, Bytes(from.*member));
    }
    return writer;
}

template <typename T> T ReadTexts(const net::JsonValue& value, const TextFields<T>& fields) {
    T into{};
    for (const auto& [name, member] : fields) {
        into.*member = BytesAt(value, name);
    }
    return into;
}

std::string Literal(const std::string& value) {
    return Bytes(value);
}

std::string Literal(const std::optional<std::string>& value) {
    return value ? Bytes(*value) : kJsonNull;
}

// Headers, query values and member overrides as [[name, value], ...]: names are byte strings too,
// and an override's value may be null (the member is left out).
template <typename Container> std::string WritePairs(const Container& pairs) {
    std::string out = "[";
    for (const auto& [name, value] : pairs) {
        out += out.size() > 1 ? ",[" : "[";
        out += Bytes(name) + "," + Literal(value) + "]";
    }
    return out + "]";
}

template <typename Container> Container ReadPairs(const net::JsonValue& array) {
    using Value = typename Container::value_type::second_type;
    Container pairs;
    for (const net::JsonValue& pair : array.Items()) {
        const net::JsonValue& value = pair.Items().at(1);
        pairs.insert(pairs.end(), {BytesOf(pair.Items().at(0)),
                                   value.Kind() == net::JsonKind::Null ? Value{} : Value{BytesOf(value)}});
    }
    return pairs;
}

std::chrono::milliseconds MillisecondsAt(const net::JsonValue& object, std::string_view name) {
    return std::chrono::milliseconds(NumberAt(object, name));
}

} // namespace

std::string Bytes(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        if (b < 0x80) {
            text += byte;
        } else {
            text += static_cast<char>(0xC0 | (b >> 6));
            text += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return net::JsonString(text);
}

std::string BytesOf(const net::JsonValue& value) {
    const std::string text = value.StrictString();
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            bytes += text[i];
        } else if ((lead == 0xC2 || lead == 0xC3) && i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[++i]);
            bytes += static_cast<char>(((lead & 0x03) << 6) | (next & 0x3F));
        } else {
            throw net::JsonError("Not a byte string");
        }
    }
    return bytes;
}

std::string BytesAt(const net::JsonValue& object, std::string_view name) {
    return BytesOf(object.At(name));
}

long long NumberAt(const net::JsonValue& object, std::string_view name) {
    return std::stoll(object.TextAt(name));
}

std::string Write(const Answer& answer) {
    return JsonObjectWriter()
        .Member("status", std::to_string(answer.status))
        .Member("body", Bytes(answer.body))
        .Member("contentType", Bytes(answer.contentType))
        .Member("headers", WritePairs(answer.headers))
        .Member("delay", std::to_string(answer.delay.count()))
        .Member("ending", std::to_string(static_cast<int>(answer.ending)))
        .Member("chunkInterval", std::to_string(answer.chunkInterval.count()))
        .Close();
}

Answer ReadAnswer(const net::JsonValue& value) {
    Answer answer;
    answer.status = static_cast<int>(NumberAt(value, "status"));
    answer.body = BytesAt(value, "body");
    answer.contentType = BytesAt(value, "contentType");
    answer.headers = ReadPairs<decltype(answer.headers)>(value.ArrayAt("headers"));
    answer.delay = MillisecondsAt(value, "delay");
    answer.ending = static_cast<Answer::Ending>(NumberAt(value, "ending"));
    answer.chunkInterval = MillisecondsAt(value, "chunkInterval");
    return answer;
}

std::string Write(const RecordedRequest& request) {
    JsonObjectWriter writer;
    return WriteTexts(writer, request, kRequestTexts).Member("headers", WritePairs(request.headers)).Close();
}

RecordedRequest ReadRequest(const net::JsonValue& value) {
    RecordedRequest request = ReadTexts(value, kRequestTexts);
    request.headers = ReadPairs<decltype(request.headers)>(value.ArrayAt("headers"));
    return request;
}

std::string Write(const SimOptions& options) {
    const auto version = [](SimTls tls) { return std::to_string(static_cast<int>(tls)); };
    return JsonObjectWriter()
        .Member("certificate", Bytes(options.certificate.certificate.generic_string()))
        .Member("key", Bytes(options.certificate.key.generic_string()))
        .Member("lowestTls", version(options.lowestTls))
        .Member("highestTls", options.highestTls ? version(*options.highestTls) : kJsonNull)
        .Close();
}

SimOptions ReadOptions(const net::JsonValue& value) {
    SimOptions options{{BytesAt(value, "certificate"), BytesAt(value, "key")},
                       static_cast<SimTls>(NumberAt(value, "lowestTls")),
                       std::nullopt};
    if (value.At("highestTls").Kind() != net::JsonKind::Null) {
        options.highestTls = static_cast<SimTls>(NumberAt(value, "highestTls"));
    }
    return options;
}

std::string Write(const SimOrder& order) {
    JsonObjectWriter writer;
    WriteTexts(writer, order, kOrderTexts);
    for (const auto& [name, member] : kOrderFlags) {
        writer.Flag(name, order.*member);
    }
    std::string items = "[";
    for (const SimItem& item : order.items) {
        JsonObjectWriter itemWriter;
        items += items.size() > 1 ? "," : "";
        items += WriteTexts(itemWriter, item, kItemTexts)
                     .Member("quantity", std::to_string(item.quantity))
                     .Close();
    }
    JsonObjectWriter addressWriter;
    return writer.Member("address", WriteTexts(addressWriter, order.address, kAddressTexts).Close())
        .Member("items", items + "]")
        .Member("searchOverrides", WritePairs(order.searchOverrides))
        .Member("detailOverrides", WritePairs(order.detailOverrides))
        .Close();
}

SimOrder ReadOrder(const net::JsonValue& value) {
    SimOrder order = ReadTexts(value, kOrderTexts);
    for (const auto& [name, member] : kOrderFlags) {
        order.*member = value.At(name).Kind() == net::JsonKind::True;
    }
    order.address = ReadTexts(value.ObjectAt("address"), kAddressTexts);
    order.items = ReadList(value.ArrayAt("items"), [](const net::JsonValue& item) {
        SimItem read = ReadTexts(item, kItemTexts);
        read.quantity = static_cast<int>(NumberAt(item, "quantity"));
        return read;
    });
    order.searchOverrides = ReadPairs<MemberOverrides>(value.ArrayAt("searchOverrides"));
    order.detailOverrides = ReadPairs<MemberOverrides>(value.ArrayAt("detailOverrides"));
    return order;
}

std::string Write(const SimDelivery& delivery) {
    JsonObjectWriter writer;
    return WriteTexts(writer, delivery, kDeliveryTexts)
        .Member("idMch", std::to_string(delivery.idMch))
        .Close();
}

SimDelivery ReadDelivery(const net::JsonValue& value) {
    SimDelivery delivery = ReadTexts(value, kDeliveryTexts);
    delivery.idMch = NumberAt(value, "idMch");
    return delivery;
}

std::string Write(const QueryValues& values) {
    return WritePairs(values);
}

QueryValues ReadQueryValues(const net::JsonValue& value) {
    return ReadPairs<QueryValues>(value);
}

} // namespace brisko::sim::wire
