#pragma once
// The JSON body of a courier request: the store as pickup point, the order's customer as the one stop.
#include "DeliveryOptions.h"
#include "LocalTime.h"

#include <string>

namespace brisko::courier {

// The store's record columns the document needs (table EMPRESA).
struct StoreForRequest {
    std::string IDROVEZOR;
    std::string ENDERECO;
    std::string BAIRRO;
    std::string CIDADE;
    std::string UF;
    std::string LAT;
    std::string LNG;
};

// The order's columns the document needs (table PEDIDOS). IDPEDIDO is the marketplace's number as
// stored, without the "aiqfome " prefix.
struct OrderForRequest {
    std::string IDPEDIDO;
    std::string CLIENTE;
    std::string TELEFONE;
    std::string ENDERECO;
    std::string LATITUDE;
    std::string LONGITUDE;
};

struct PickupTimeTexts {
    std::string date; // dd/mm/yyyy
    std::string time; // hh:nn
};

// The moment plus the minutes, seconds dropped, with day, month and year roll-over.
PickupTimeTexts PickupTime(const LocalDateTime& moment, int minutes);

// The document, compact, members in the platform's fixed order. String members are escaped;
// empresa_id, lat_parada and lng_parada go in bare when their text is a JSON number and as null
// otherwise, so the document is always valid JSON.
std::string BuildDeliveryRequest(const DeliveryOptions& options, const PickupTimeTexts& pickup,
                                 const StoreForRequest& store, const OrderForRequest& order);

} // namespace brisko::courier
