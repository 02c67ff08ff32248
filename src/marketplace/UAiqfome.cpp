#include "UAiqfome.h"

#include "ConfigDelivery.h"
#include "Conversions.h"
#include "Historico.h"
#include "JsonWriter.h"
#include "MarketplaceRequest.h"
#include "OrderReading.h"
#include "Pedidos.h"
#include "ResultText.h"
#include "Url.h"

#include <exception>
#include <unordered_set>

namespace brisko::marketplace {
namespace {

const net::JsonValue& RequireObject(const MarketplaceAnswer& answer) {
    if (!answer.json->IsObject()) {
        std::string message = "The answer is a JSON ";
        message += net::JsonKindName(answer.json->Kind());
        message += ", not an object";
        throw net::JsonError(message);
    }
    return *answer.json;
}

std::string SearchPath() {
    const LocalDateTime today = LocalNow();
    const LocalDateTime yesterday = AddSeconds(today, -24 * 60 * 60);
    // The brackets go percent-encoded, as a query must carry them.
    std::string path = "/alfredo/orders/search?per_page=99999&filter%5Bdate_start%5D=";
    path += FormatIsoDate(yesterday);
    path += "&filter%5Bdate_end%5D=";
    path += FormatIsoDate(today);
    return path;
}

// Walks the listed orders; an error in any element ends the walk by throwing.
void WalkListedOrders(const Context& context, std::string_view token, const net::JsonValue& list) {
    // An import that a power cut takes back is still listed and comes again with the next sync, so
    // the walk's commits need not wait for the disk; commits that must survive one (courier marks
    // above all) are made outside it and wait as ever.
    const store::CommitsWithoutDiskWait relaxed(context.db);
    // Read once: a search lists two days of orders, and a query per listed order cost more than the
    // rest of the walk. Only an id met before in this walk may have been stored since; it alone is
    // checked again, so an order listed twice and imported at its first listing is not fetched again.
    const std::unordered_set<std::string> stored = store::PedidosImportados(context.db);
    std::unordered_set<std::string> seen;
    for (const net::JsonValue& element : list.ArrayAt("data").Items()) {
        const LocalDateTime createdAt = ReadSearchDateTime(element.TextAt("created_at"));
        if (!RecentEnough(createdAt, Clock::now()) || !ListedOrderWanted(element)) {
            continue;
        }
        const std::string orderId = element.TextAt("order_id");
        if (stored.contains(orderId) ||
            (!seen.insert(orderId).second && store::PedidoJaImportado(context.db, orderId))) {
            continue;
        }
        ImportaPedidoAiqfome(context, token, orderId); // a failed import waits for the next sync
    }
}

} // namespace

std::string TokenRequestBody(std::string_view login, std::string_view password) {
    std::string body = "  {\"username\" : ";
    net::AppendJsonString(body, login);
    body += ",\"password\" : ";
    net::AppendJsonString(body, password);
    body += '}';
    return body;
}

std::string ConectaAiqfome(const Context& context, std::string_view id, std::string_view login,
                           std::string_view password) {
    std::string body = TokenRequestBody(login, password);
    context.Status("Verificando token");
    const MarketplaceAnswer answer = PostWithBasic(context, "/alfredo/auth/token", std::move(body));
    if (!answer.answered) {
        return net::GenericFailure(answer.failure);
    }
    if (answer.status == 200 && answer.json) {
        TokenGrant grant;
        try {
            grant = TokenFromAnswer(RequireObject(answer));
        } catch (const std::exception& e) {
            return net::GenericFailure(e.what());
        }
        try {
            const long long rowId = ToWholeNumber(id);
            store::GravaTokenConfigDelivery(context.db, rowId, grant.token,
                                            AddSeconds(LocalNow(), grant.expiresIn));
            return BuscaPedidosAiqfome(context, grant.token);
        } catch (const std::exception& e) {
            return e.what();
        }
    }
    if (answer.status == 401) {
        return std::string(kLoginRefused);
    }
    return answer.text;
}

std::string BuscaPedidosAiqfome(const Context& context, std::string_view token) {
    try {
        const std::string path = SearchPath();
        context.Status("Verificando pedidos");
        const MarketplaceAnswer answer = GetWithBearer(context, path, token, kSearchLimits);
        if (!answer.answered) {
            return net::GenericFailure(answer.failure);
        }
        if (answer.status != 200 || !answer.json) {
            return answer.text;
        }
        WalkListedOrders(context, token, RequireObject(answer));
        return std::string(net::kTrue);
    } catch (const std::exception& e) {
        return net::GenericFailure(e.what());
    }
}

std::string ImportaPedidoAiqfome(const Context& context, std::string_view token, std::string_view orderId) {
    try {
        std::string path = "/alfredo/orders/";
        path += net::PercentEncode(orderId); // an id never reaches into the path or the query
        const MarketplaceAnswer answer = GetWithBearer(context, path, token);
        if (!answer.answered) {
            return net::GenericFailure(answer.failure);
        }
        if (answer.status != 200) {
            return answer.text;
        }
        if (!answer.json) {
            return {};
        }
        const net::JsonValue& data = RequireObject(answer).ObjectAt("data");
        if (DetailAllowsImport(data)) {
            std::string status = "Verificando pedido ";
            status += orderId;
            context.Status(status);
            const store::NovoPedido row = RowFromDetail(data, orderId);
            store::InserePedido(context.db, row);
            const std::string failure =
                store::AnotaEvento(context.db, {row.IDPEDIDO, store::kEventoImportado, row.CLIENTE});
            if (!failure.empty()) {
                context.Status(failure);
            }
        }
        return std::string(net::kTrue);
    } catch (const std::exception& e) {
        return net::GenericFailure(e.what());
    }
}

} // namespace brisko::marketplace
