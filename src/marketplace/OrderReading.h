#pragma once
// Reading the marketplace's answers: the token of a sign-in, the tests an order must pass to be
// imported, and the local row built from an order's detail. Members are read as text; a missing
// one throws JsonError.
#include "Json.h"
#include "LocalTime.h"
#include "Pedidos.h"

#include <string>
#include <string_view>

namespace brisko::marketplace {

struct TokenGrant {
    std::string token;
    long long expiresIn = 0; // seconds
};

// data.access_token and data.expires_in (a whole number, else ConvertError) of a sign-in's answer.
TokenGrant TokenFromAnswer(const net::JsonValue& answer);

// Whole hours between two moments, whichever comes first, fraction dropped.
long long WholeHoursApart(Clock::time_point a, Clock::time_point b);

// Created less than 4 hours from now, in either direction.
bool RecentEnough(const LocalDateTime& createdAt, Clock::time_point now);

// A search element: not ready, not a pickup order, read by the store (tested in this order).
bool ListedOrderWanted(const net::JsonValue& element);

// A detail's `data`: not ready, not pickup, read, not cancelled, not delivered (in this order).
bool DetailAllowsImport(const net::JsonValue& data);

// The PEDIDOS row of an order from its detail's `data`.
store::NovoPedido RowFromDetail(const net::JsonValue& data, std::string_view orderId);

} // namespace brisko::marketplace
