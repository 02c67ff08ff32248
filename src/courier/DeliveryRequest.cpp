#include "DeliveryRequest.h"

#include "JsonWriter.h"

#include <string_view>

namespace brisko::courier {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// JSON number grammar: -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
bool IsJsonNumber(std::string_view text) {
    std::size_t i = 0;
    const auto digits = [&] {
        const std::size_t start = i;
        while (i < text.size() && IsDigit(text[i])) {
            ++i;
        }
        return i - start;
    };
    if (i < text.size() && text[i] == '-') {
        ++i;
    }
    if (i < text.size() && text[i] == '0') {
        ++i;
    } else if (digits() == 0) {
        return false;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        if (digits() == 0) {
            return false;
        }
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        if (digits() == 0) {
            return false;
        }
    }
    return i == text.size();
}

// These columns are numbers at the platform and go in unchanged; a text that is not a number
// (empty, or anything a marketplace answer put there) becomes null instead of breaking the
// document or adding members to it.
void AppendBareNumber(std::string& out, std::string_view text) {
    out += IsJsonNumber(text) ? text : std::string_view("null");
}

// Appends ,"name":"value" (no comma before the first member of an object).
void AppendStringMember(std::string& out, std::string_view name, std::string_view value) {
    if (out.back() != '{') {
        out += ',';
    }
    net::AppendJsonString(out, name);
    out += ':';
    net::AppendJsonString(out, value);
}

} // namespace

PickupTimeTexts PickupTime(const LocalDateTime& moment, int minutes) {
    const LocalDateTime pickup = AddSeconds(moment, static_cast<long long>(minutes) * 60);
    return {FormatBrDate(pickup), FormatHourMinute(pickup)};
}

std::string BuildDeliveryRequest(const DeliveryOptions& options, const PickupTimeTexts& pickup,
                                 const StoreForRequest& store, const OrderForRequest& order) {
    std::string out;
    out.reserve(768);
    out += '{';
    AppendStringMember(out, "forma_pagamento", options.paymentCode);
    out += ",\"empresa_id\":";
    AppendBareNumber(out, store.IDROVEZOR);
    // The platform's template has this one blank after the colon.
    out += options.returnTrip ? ",\"retorno\": true" : ",\"retorno\": false";
    AppendStringMember(out, "categoria_nome", options.category);
    AppendStringMember(out, "data", pickup.date);
    AppendStringMember(out, "hora", pickup.time);
    out += ",\"estimativas\":{\"estimativa_km\":5,\"estimativa_minutos\":8,\"estimativa_valor\":11}";

    out += ",\"partida\":{";
    AppendStringMember(out, "endereco", store.ENDERECO);
    out += ",\"complemento\":null";
    AppendStringMember(out, "bairro", store.BAIRRO);
    AppendStringMember(out, "cidade", store.CIDADE);
    AppendStringMember(out, "estado", store.UF);
    AppendStringMember(out, "referencia", "");
    AppendStringMember(out, "lat", store.LAT);
    AppendStringMember(out, "lng", store.LNG);
    out += '}';

    out += ",\"paradas\":[{";
    AppendStringMember(out, "nome_cliente_parada", order.CLIENTE);
    AppendStringMember(out, "telefone_cliente_parada", order.TELEFONE);
    AppendStringMember(out, "id_externo", "aiqfome " + order.IDPEDIDO);
    AppendStringMember(out, "endereco_parada", order.ENDERECO);
    AppendStringMember(out, "bairro_parada", "-");
    AppendStringMember(out, "cidade_parada", "-");
    AppendStringMember(out, "estado_parada", "-");
    out += ",\"lat_parada\":";
    AppendBareNumber(out, order.LATITUDE);
    out += ",\"lng_parada\":";
    AppendBareNumber(out, order.LONGITUDE);
    out += "}]}";
    return out;
}

} // namespace brisko::courier
