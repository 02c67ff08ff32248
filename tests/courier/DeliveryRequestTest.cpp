#include "DeliveryRequest.h"

#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <string>
#include <vector>

namespace brisko::courier {
namespace {

LocalDateTime At(int year, int month, int day, int hour, int minute, int second) {
    return {year, month, day, hour, minute, second, 0};
}

TEST(PickupTime, AddsMinutesAndDropsSeconds) {
    struct Case {
        LocalDateTime moment;
        int minutes;
        std::string date, time;
    };
    const std::vector<Case> cases{
        {At(2024, 12, 31, 23, 10, 0), 120, "01/01/2025", "01:10"},
        {At(2024, 12, 31, 9, 58, 59), 5, "31/12/2024", "10:03"},
        {At(2024, 12, 31, 14, 35, 50), 30, "31/12/2024", "15:05"},
        {At(2024, 2, 28, 23, 30, 0), 45, "29/02/2024", "00:15"},
        {At(2025, 1, 1, 0, 0, 0), 0, "01/01/2025", "00:00"},
    };
    for (const auto& c : cases) {
        const auto pickup = PickupTime(c.moment, c.minutes);
        EXPECT_EQ(pickup.date, c.date) << c.minutes;
        EXPECT_EQ(pickup.time, c.time) << c.minutes;
    }
}

StoreForRequest SampleStore() {
    return {"812", "Rua das Flores, 10", "Centro", "Vilamar", "SP", "-23.5505", "-46.6333"};
}

OrderForRequest SampleOrder() {
    return {"4711", "Maria Souza", "11999990000", "Av. Brasil, 200 - ap 3", "-23.5611", "-46.6559"};
}

TEST(BuildDeliveryRequest, WritesTheExactDocument) {
    const DeliveryOptions options{"X", false, "A", 30};
    const auto pickup = PickupTime(At(2024, 12, 31, 14, 35, 50), options.minutes);
    EXPECT_EQ(BuildDeliveryRequest(options, pickup, SampleStore(), SampleOrder()),
              R"({"forma_pagamento":"X","empresa_id":812,"retorno": false,"categoria_nome":"A",)"
              R"("data":"31/12/2024","hora":"15:05",)"
              R"("estimativas":{"estimativa_km":5,"estimativa_minutos":8,"estimativa_valor":11},)"
              R"("partida":{"endereco":"Rua das Flores, 10","complemento":null,"bairro":"Centro",)"
              R"("cidade":"Vilamar","estado":"SP","referencia":"","lat":"-23.5505","lng":"-46.6333"},)"
              R"("paradas":[{"nome_cliente_parada":"Maria Souza","telefone_cliente_parada":"11999990000",)"
              R"("id_externo":"aiqfome 4711","endereco_parada":"Av. Brasil, 200 - ap 3",)"
              R"("bairro_parada":"-","cidade_parada":"-","estado_parada":"-",)"
              R"("lat_parada":-23.5611,"lng_parada":-46.6559}]})");
}

TEST(BuildDeliveryRequest, ReturnTripAndEmptyTextsStayInPlace) {
    OrderForRequest order = SampleOrder();
    order.TELEFONE.clear();
    const std::string document =
        BuildDeliveryRequest({"R", true, "", 5}, {"01/01/2025", "01:10"}, SampleStore(), order);
    EXPECT_NE(document.find(R"("retorno": true,"categoria_nome":"",)"), std::string::npos) << document;
    EXPECT_NE(document.find(R"("telefone_cliente_parada":"",)"), std::string::npos) << document;
}

// Values as the platform reads them back: every string member must survive escaping intact.
TEST(BuildDeliveryRequest, HostileTextsAreEscapedAndTheDocumentStaysValid) {
    const std::string nasty = "a\"b\\c\n\t\x01\x1f} ],\"x\":\"é";
    const StoreForRequest store{"7",          nasty + "end", nasty + "bai", nasty + "cid",
                                nasty + "uf", nasty + "lat", nasty + "lng"};
    const OrderForRequest order{nasty + "id", nasty + "cli", nasty + "tel", nasty + "end", "1", "2"};
    const DeliveryOptions options{nasty + "pay", false, nasty + "cat", 5};
    const PickupTimeTexts pickup{nasty + "date", nasty + "time"};

    const std::string document = BuildDeliveryRequest(options, pickup, store, order);
    rapidjson::Document json;
    json.Parse(document.c_str(), document.size());
    ASSERT_FALSE(json.HasParseError()) << document;

    const auto text = [](const rapidjson::Value& v) {
        return std::string(v.GetString(), v.GetStringLength());
    };
    EXPECT_EQ(text(json["forma_pagamento"]), nasty + "pay");
    EXPECT_EQ(text(json["categoria_nome"]), nasty + "cat");
    EXPECT_EQ(text(json["data"]), nasty + "date");
    EXPECT_EQ(text(json["hora"]), nasty + "time");
    const auto& from = json["partida"];
    EXPECT_EQ(text(from["endereco"]), nasty + "end");
    EXPECT_EQ(text(from["bairro"]), nasty + "bai");
    EXPECT_EQ(text(from["cidade"]), nasty + "cid");
    EXPECT_EQ(text(from["estado"]), nasty + "uf");
    EXPECT_EQ(text(from["lat"]), nasty + "lat");
    EXPECT_EQ(text(from["lng"]), nasty + "lng");
    ASSERT_EQ(json["paradas"].Size(), 1u);
    const auto& stop = json["paradas"][0];
    EXPECT_EQ(text(stop["nome_cliente_parada"]), nasty + "cli");
    EXPECT_EQ(text(stop["telefone_cliente_parada"]), nasty + "tel");
    EXPECT_EQ(text(stop["id_externo"]), "aiqfome " + nasty + "id");
    EXPECT_EQ(text(stop["endereco_parada"]), nasty + "end");
    EXPECT_EQ(json.MemberCount(), 9u);
    EXPECT_EQ(from.MemberCount(), 8u);
    EXPECT_EQ(stop.MemberCount(), 9u);
}

// empresa_id and the stop's coordinates are numbers at the platform: a number literal goes in as
// it is; anything else would break the document or smuggle members into it, so it becomes null.
TEST(BuildDeliveryRequest, BareMembersTakeOnlyNumberLiterals) {
    struct Case {
        std::string column;
        std::string written;
    };
    const std::vector<Case> cases{
        {"-23.5611", "-23.5611"}, {"0", "0"},         {"12345678901234567890", "12345678901234567890"},
        {"-0.5e-3", "-0.5e-3"},   {"1E+2", "1E+2"},   {"", "null"},
        {"abc", "null"},          {"-23,56", "null"}, {"01", "null"},
        {"1.", "null"},           {".5", "null"},     {"-", "null"},
        {"1e", "null"},           {" 1", "null"},     {R"(1,"forma_pagamento":"F")", "null"},
    };
    for (const auto& c : cases) {
        StoreForRequest store = SampleStore();
        store.IDROVEZOR = c.column;
        OrderForRequest order = SampleOrder();
        order.LATITUDE = c.column;
        order.LONGITUDE = c.column;
        const std::string document = BuildDeliveryRequest({"F", false, "A", 5}, {"d", "t"}, store, order);
        EXPECT_NE(document.find("\"empresa_id\":" + c.written + ",\"retorno\""), std::string::npos)
            << document;
        EXPECT_NE(document.find("\"lat_parada\":" + c.written + ",\"lng_parada\":" + c.written + "}]}"),
                  std::string::npos)
            << document;
        rapidjson::Document json;
        json.Parse(document.c_str(), document.size());
        EXPECT_FALSE(json.HasParseError()) << document;
    }
}

} // namespace
} // namespace brisko::courier
