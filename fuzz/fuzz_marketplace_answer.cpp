// The marketplace client's answer handling on any status, charset and body: the answer read as the
// client reads it, then as a sign-in, as a search (each element's tests) and as an order's detail.
#include "AnswerInput.h"
#include "Conversions.h"
#include "MarketplaceRequest.h"
#include "OrderReading.h"

#include <cstddef>
#include <cstdint>
#include <exception>

namespace {

using brisko::net::JsonValue;
namespace mp = brisko::marketplace;

template <class Work> void Guarded(Work&& work) {
    try {
        work();
    } catch (const std::exception&) {
        // The client turns these into its failure texts.
    }
}

void AsSearch(const JsonValue& answer) {
    const JsonValue* list = answer.Find("data");
    if (list == nullptr || !list->IsArray()) {
        return;
    }
    for (const JsonValue& element : list->Items()) {
        Guarded([&] {
            const auto createdAt = mp::ReadSearchDateTime(element.TextAt("created_at"));
            (void)mp::RecentEnough(createdAt, brisko::Clock::now());
            (void)mp::ListedOrderWanted(element);
            (void)element.TextAt("order_id");
        });
    }
}

void AsDetail(const JsonValue& answer) {
    Guarded([&] {
        const JsonValue& detail = answer.ObjectAt("data");
        (void)mp::DetailAllowsImport(detail);
        (void)mp::RowFromDetail(detail, "1");
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const brisko::fuzz::AnswerInput input = brisko::fuzz::ReadInput(data, size);
    const mp::MarketplaceAnswer answer = mp::ReadAnswer(input.status, std::string(input.body), input.charset);
    if (!answer.json || !answer.json->IsObject()) {
        return 0;
    }
    Guarded([&] { (void)mp::TokenFromAnswer(*answer.json); });
    AsSearch(*answer.json);
    AsDetail(*answer.json);
    return 0;
}
