// Importing one order: the detail's tests, the row built from it, and the result texts.
#include "MarketplaceFixture.h"

namespace brisko::test {
namespace {

using namespace std::chrono_literals;
using sim::Answer;
using sim::JsonText;
using sim::kJsonNull;

class ImportaPedido : public MarketplaceTest {
protected:
    std::string Import(const std::string& orderId) {
        return marketplace::ImportaPedidoAiqfome(Context(), simulator.IssueToken(kLogin), orderId);
    }

    // Imports order 42 changed by `change`; answers its row (an empty row when none was stored).
    ImportedRow ImportChanged(const std::function<void(sim::SimOrder&)>& change) {
        db.Execute("DELETE FROM PEDIDOS");
        simulator.UpdateOrder("42", change);
        EXPECT_EQ(Import("42"), "TRUE");
        const auto rows = Rows();
        return rows.empty() ? ImportedRow{} : rows.front();
    }

    void SetUp() override {
        MarketplaceTest::SetUp();
        order = AddOrder("42", 20min);
    }

    sim::SimOrder order;
};

TEST_F(ImportaPedido, StoresTheRowFromTheDetail) {
    // The simulator escapes non-ASCII characters by default: the parser decodes them after the
    // ASCII reduction, so the accents arrive.
    EXPECT_EQ(Import("42"), "TRUE");
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 1u);
    const ImportedRow& row = rows[0];
    EXPECT_EQ(row.ORIGEM, 1);
    EXPECT_EQ(row.IDPEDIDO, "42");
    EXPECT_EQ(row.DATAHORA, order.createdAt);
    EXPECT_EQ(row.VALUE, "");
    EXPECT_EQ(row.valueKind, "text"); // empty text, not NULL
    EXPECT_EQ(row.idMchKind, "null"); // no courier requested yet
    EXPECT_EQ(row.CLIENTE, "Maria Souza");
    EXPECT_EQ(row.TELEFONE, "7732214455");
    EXPECT_EQ(row.ENDERECO, "Rua das Flores 120, Apto 2 Perto da praça - Vitória da Conquista BA");
    EXPECT_EQ(row.LATITUDE, "-14.8615");
    EXPECT_EQ(row.LONGITUDE, "-40.8442");
    EXPECT_EQ(statuses, std::vector<std::string>{"Verificando pedido 42"});
}

TEST_F(ImportaPedido, TakesEachMemberAsTextWhateverItsKind) {
    struct Case {
        std::string what;
        std::function<void(sim::SimOrder&)> change;
        std::string ImportedRow::*column;
        std::string expected;
    };
    const std::vector<Case> cases{
        {"empty phone: the mobile", [](auto& o) { o.address.phone = JsonText(""); }, &ImportedRow::TELEFONE,
         "77999990000"},
        // A null in a phone or an address part is no value: never the word "null".
        {"null phone: the mobile", [](auto& o) { o.address.phone = kJsonNull; }, &ImportedRow::TELEFONE,
         "77999990000"},
        {"null phone and mobile",
         [](auto& o) {
             o.address.phone = kJsonNull;
             o.address.mobile_phone = kJsonNull;
         },
         &ImportedRow::TELEFONE, ""},
        {"both empty",
         [](auto& o) {
             o.address.phone = JsonText("");
             o.address.mobile_phone = JsonText("");
         },
         &ImportedRow::TELEFONE, ""},
        {"numeric phone", [](auto& o) { o.address.phone = "7732214455"; }, &ImportedRow::TELEFONE,
         "7732214455"},
        {"null complement and reference",
         [](auto& o) {
             o.address.complement = kJsonNull;
             o.address.reference = kJsonNull;
         },
         &ImportedRow::ENDERECO, "Rua das Flores 120,   - Vitória da Conquista BA"},
        {"numeric house number", [](auto& o) { o.address.number = "120"; }, &ImportedRow::ENDERECO,
         "Rua das Flores 120, Apto 2 Perto da praça - Vitória da Conquista BA"},
        {"latitude as a string", [](auto& o) { o.address.latitude = JsonText("-14.86150"); },
         &ImportedRow::LATITUDE, "-14.86150"},
        {"latitude as a number keeps its literal", [](auto& o) { o.address.latitude = "-14.86150"; },
         &ImportedRow::LATITUDE, "-14.86150"},
        {"null longitude", [](auto& o) { o.address.longitude = kJsonNull; }, &ImportedRow::LONGITUDE, "null"},
        {"created_at as received",
         [](auto& o) { o.detailOverrides["created_at"] = JsonText("2026-01-02T03:04:05Z"); },
         &ImportedRow::DATAHORA, "2026-01-02T03:04:05Z"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const sim::SimOrder original = order;
        EXPECT_EQ(ImportChanged(c.change).*c.column, c.expected);
        simulator.UpdateOrder("42", [&](sim::SimOrder& o) { o = original; });
    }
}

TEST_F(ImportaPedido, NonAsciiEscapedArrivesAsItIsAndRawUtf8ArrivesReduced) {
    const auto named = [](sim::SimOrder& o) {
        o.userName = "João";
        o.userSurname = "Ünal";
    };
    simulator.SetEscapeNonAscii(true);
    EXPECT_EQ(ImportChanged(named).CLIENTE, "João Ünal");
    simulator.SetEscapeNonAscii(false);
    EXPECT_EQ(ImportChanged(named).CLIENTE, "Joao Unal");
}

TEST_F(ImportaPedido, InsertsNothingUnlessAllFiveDetailTestsHold) {
    for (const auto& [member, literal] :
         std::vector<std::pair<std::string, std::string>>{{"is_ready", "true"},
                                                          {"is_pickup", "true"},
                                                          {"is_read", "false"},
                                                          {"is_cancelled", "true"},
                                                          {"is_delivered", "true"},
                                                          {"is_cancelled", JsonText("False")},
                                                          {"is_delivered", kJsonNull}}) {
        SCOPED_TRACE(member + " " + literal);
        statuses.clear();
        const ImportedRow row = ImportChanged([&](sim::SimOrder& o) {
            o.detailOverrides.clear();
            o.detailOverrides[member] = literal;
        });
        EXPECT_EQ(row.IDPEDIDO, "");
        EXPECT_EQ(statuses, std::vector<std::string>{});
    }
}

TEST_F(ImportaPedido, DetailAnswersThatCannotBeStoredGiveTheirTextsAndInsertNothing) {
    struct Case {
        int status;
        std::string body;
        std::string expected; // "*" for the generic failure text
    };
    const std::vector<Case> cases{
        {404, R"({"success":false,"data":{"message":"Pedido nao encontrado."}})",
         R"({"success":false,"data":{"message":"Pedido nao encontrado."}})"},
        {500, "", ""},
        {200, "nao e json", ""},
        {200, "[1]", "*"},
        {200, R"({"success":true})", "*"},
        {200, R"({"data":{"is_ready":false}})", "*"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        simulator.Script("GET", "/alfredo/orders/42", Answer().WithStatus(c.status).WithBody(c.body));
        const std::string result = Import("42");
        if (c.expected == "*") {
            EXPECT_TRUE(StartsWithGenericFailure(result)) << result;
        } else {
            EXPECT_EQ(result, c.expected);
        }
    }
    // The escape is the body's own text: only a parsed value has it decoded.
    EXPECT_EQ(Import("99"), R"({"success":false,"data":{"message":"Pedido n\u00e3o encontrado."}})");
    EXPECT_TRUE(Rows().empty());
}

TEST_F(ImportaPedido, ADetailLackingAMemberOfTheRowInsertsNothing) {
    for (const std::string member : {"city_name", "latitude", "mobile_phone"}) {
        SCOPED_TRACE(member);
        simulator.UpdateOrder("42", [&](sim::SimOrder& o) {
            o.detailOverrides["user"] =
                R"({"name":"A","surname":"B","address":{"street_name":"R","number":"1",)"
                R"("complement":"","reference":"","phone":"1","mobile_phone":"2",)"
                R"("city_name":"C","state_uf":"D","latitude":1,"longitude":2}})";
            const std::string quoted = "\"" + member + "\"";
            std::string& user = *o.detailOverrides["user"];
            user.replace(user.find(quoted), quoted.size(), "\"other\"");
        });
        EXPECT_TRUE(StartsWithGenericFailure(Import("42")));
        EXPECT_TRUE(Rows().empty());
    }
}

TEST_F(ImportaPedido, AnOrderAlreadyStoredIsRefusedByTheTableAndReportedAsAFailure) {
    ASSERT_EQ(Import("42"), "TRUE");
    const std::string again = Import("42");
    EXPECT_TRUE(StartsWithGenericFailure(again)) << again;
    EXPECT_NE(again.find("UNIQUE"), std::string::npos) << again;
    EXPECT_EQ(Rows().size(), 1u);
}

TEST_F(ImportaPedido, AnOrderIdStaysInsideThePath) {
    Import("7/../search?per_page=1");
    EXPECT_EQ(Targets(), std::vector<std::string>{"/alfredo/orders/7%2F..%2Fsearch%3Fper_page%3D1"});
}

} // namespace
} // namespace brisko::test
