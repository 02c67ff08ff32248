#include "SimOrder.h"

#include "JsonWriter.h"

#include <algorithm>

namespace brisko::sim {

JsonLiteral JsonText(std::string_view text) {
    return net::JsonString(text);
}

JsonObjectWriter& JsonObjectWriter::Member(std::string_view name, const JsonLiteral& value) {
    if (overrides_ != nullptr) {
        if (const auto found = overrides_->find(std::string(name)); found != overrides_->end()) {
            written_.emplace_back(name);
            if (found->second) {
                Write(name, *found->second);
            }
            return *this;
        }
    }
    Write(name, value);
    return *this;
}

void JsonObjectWriter::Write(std::string_view name, const JsonLiteral& value) {
    if (text_.size() > 1) {
        text_ += ',';
    }
    net::AppendJsonString(text_, name);
    text_ += ':';
    text_ += value;
}

std::string JsonObjectWriter::Close() {
    if (overrides_ != nullptr) {
        for (const auto& [name, value] : *overrides_) {
            if (value && std::find(written_.begin(), written_.end(), name) == written_.end()) {
                Write(name, *value);
            }
        }
    }
    text_ += '}';
    return text_;
}

std::string SearchElementJson(const SimOrder& order) {
    return JsonObjectWriter(&order.searchOverrides)
        .Text("order_id", order.orderId)
        .Text("created_at", order.createdAt)
        .Flag("is_read", order.isRead)
        .Flag("is_ready", order.isReady)
        .Flag("is_cancelled", order.isCancelled)
        .Flag("is_delivered", order.isDelivered)
        .Flag("order_is_pickup", order.isPickup)
        .Text("user_name", order.userName + " " + order.userSurname)
        .Text("total", order.total)
        .Close();
}

namespace {

std::string ItemsJson(const SimOrder& order) {
    std::string text = "[";
    int id = 1;
    for (const SimItem& item : order.items) {
        if (text.size() > 1) {
            text += ',';
        }
        text += JsonObjectWriter()
                    .Member("id", std::to_string(id++))
                    .Text("name", item.name)
                    .Member("quantity", std::to_string(item.quantity))
                    .Text("unit_price", item.unitPrice)
                    .Text("observation", item.observation)
                    .Close();
    }
    return text + "]";
}

std::string AddressJson(const SimAddress& a) {
    return JsonObjectWriter()
        .Member("street_name", a.street_name)
        .Member("number", a.number)
        .Member("complement", a.complement)
        .Member("reference", a.reference)
        .Member("neighborhood_name", a.neighborhood_name)
        .Member("phone", a.phone)
        .Member("mobile_phone", a.mobile_phone)
        .Member("city_name", a.city_name)
        .Member("state_uf", a.state_uf)
        .Member("zip_code", a.zip_code)
        .Member("latitude", a.latitude)
        .Member("longitude", a.longitude)
        .Close();
}

} // namespace

std::string DetailJson(const SimOrder& order) {
    const std::string user = JsonObjectWriter()
                                 .Text("name", order.userName)
                                 .Text("surname", order.userSurname)
                                 .Member("mobile_phone", order.userMobilePhone)
                                 .Member("address", AddressJson(order.address))
                                 .Close();
    const std::string payment = JsonObjectWriter()
                                    .Member("id", "1")
                                    .Text("name", order.paymentName)
                                    .Member("change_for", order.changeFor)
                                    .Close();
    const bool digits = !order.orderId.empty() && std::all_of(order.orderId.begin(), order.orderId.end(),
                                                              [](char c) { return c >= '0' && c <= '9'; });
    const std::string data = JsonObjectWriter(&order.detailOverrides)
                                 .Member("id", digits ? order.orderId : JsonText(order.orderId))
                                 .Text("created_at", order.createdAt)
                                 .Flag("is_read", order.isRead)
                                 .Flag("is_ready", order.isReady)
                                 .Flag("is_pickup", order.isPickup)
                                 .Flag("is_cancelled", order.isCancelled)
                                 .Flag("is_delivered", order.isDelivered)
                                 .Member("items", ItemsJson(order))
                                 .Member("user", user)
                                 .Member("payment_method", payment)
                                 .Text("total", order.total)
                                 .Close();
    return JsonObjectWriter().Member("data", data).Close();
}

std::string ErrorJson(std::string_view message) {
    return JsonObjectWriter()
        .Member("success", "false")
        .Member("data", JsonObjectWriter().Text("message", message).Close())
        .Close();
}

std::string EscapeNonAscii(std::string_view json) {
    std::string out;
    out.reserve(json.size());
    const auto appendUnit = [&out](unsigned unit) {
        static constexpr char kHex[] = "0123456789abcdef";
        out += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4) {
            out += kHex[(unit >> shift) & 0xFu];
        }
    };
    for (std::size_t i = 0; i < json.size();) {
        const auto lead = static_cast<unsigned char>(json[i]);
        if (lead < 0x80) {
            out += json[i++];
            continue;
        }
        const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        unsigned codePoint = lead & (length == 4 ? 0x07u : length == 3 ? 0x0Fu : 0x1Fu);
        for (std::size_t k = 1; k < length && i + k < json.size(); ++k) {
            codePoint = (codePoint << 6) | (static_cast<unsigned char>(json[i + k]) & 0x3Fu);
        }
        i += length;
        if (codePoint >= 0x10000) {
            codePoint -= 0x10000;
            appendUnit(0xD800 + (codePoint >> 10));
            appendUnit(0xDC00 + (codePoint & 0x3FF));
        } else {
            appendUnit(codePoint);
        }
    }
    return out;
}

} // namespace brisko::sim
