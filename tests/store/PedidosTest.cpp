#include <gtest/gtest.h>

#include <algorithm>

#include "StoreFixture.h"

namespace brisko::test {
namespace {

using store::Pedido;

std::vector<std::string> Ids(const std::vector<Pedido>& rows) {
    std::vector<std::string> ids;
    for (const auto& row : rows) {
        ids.push_back(row.IDPEDIDO);
    }
    return ids;
}

bool Contains(const std::vector<Pedido>& rows, std::string_view idPedido) {
    return std::any_of(rows.begin(), rows.end(), [&](const Pedido& p) { return p.IDPEDIDO == idPedido; });
}

struct WindowCase {
    const char* modifier;
    bool inside;
};

TEST_F(StoreTest, TimeWindowIsThirteenEngineHoursWithTheBoundInside) {
    const WindowCase cases[] = {
        {"+0 seconds", true},      {"-3 hours", true},
        {"-12 hours", true},       // marketplace 3 h behind UTC: created 9 h ago
        {"-13 hours", true},       // exactly the bound
        {"-46801 seconds", false}, // one second before the bound
        {"-14 hours", false},      // marketplace 3 h behind UTC: created 11 h ago
        {"-3 days", false},
    };
    const auto [list, pending] = WithinOneEngineSecond(db, [&] {
        db.Execute("DELETE FROM PEDIDOS");
        for (const auto& c : cases) {
            InsertOrderAt(db, {c.modifier, std::nullopt}, c.modifier);
        }
        InsertOrderWithText(db, {"null-date", std::nullopt}, std::nullopt);
        return std::pair{store::ListaPedidos(db), store::PedidosPendentes(db)};
    });
    for (const auto& c : cases) {
        EXPECT_EQ(Contains(list, c.modifier), c.inside) << c.modifier;
        EXPECT_EQ(Contains(pending, c.modifier), c.inside) << c.modifier;
    }
    EXPECT_FALSE(Contains(list, "null-date"));
    EXPECT_FALSE(Contains(pending, "null-date"));
}

TEST_F(StoreTest, ListPutsOrdersWithoutRequestFirstThenLatestImportFirst) {
    const struct {
        const char* id;
        std::optional<std::string> idMch;
    } rows[] = {
        {"a-null", std::nullopt},   {"b-rovezor", "ROVEZOR"},      {"c-empty", ""},
        {"d-erro", "ERRO ROVEZOR"}, {"e-entregue", "JA ENTREGUE"}, {"f-null", std::nullopt},
    };
    for (const auto& r : rows) {
        InsertOrderAt(db, {r.id, r.idMch}, "-1 hours");
    }
    EXPECT_EQ(Ids(store::ListaPedidos(db)),
              (std::vector<std::string>{"f-null", "c-empty", "a-null", "e-entregue", "d-erro", "b-rovezor"}));
    EXPECT_EQ(Ids(store::PedidosPendentes(db)), (std::vector<std::string>{"a-null", "c-empty", "f-null"}));
}

TEST_F(StoreTest, RetentionDeletesStrictlyOlderThanTwoEngineDaysWhateverTheState) {
    const int deleted = WithinOneEngineSecond(db, [&] {
        db.Execute("DELETE FROM PEDIDOS");
        InsertOrderAt(db, {"at-bound", std::nullopt}, "-2 days");
        InsertOrderAt(db, {"recent", "ROVEZOR"}, "-1 days");
        InsertOrderAt(db, {"old-pending", std::nullopt}, "-172801 seconds");
        InsertOrderAt(db, {"old-sent", "ROVEZOR"}, "-5 days");
        return store::ApagaPedidosAntigos(db);
    });
    EXPECT_EQ(deleted, 2);
    auto left = db.Prepare("SELECT IDPEDIDO FROM PEDIDOS ORDER BY ID");
    std::vector<std::string> ids;
    while (left.Step()) {
        ids.push_back(left.Text("IDPEDIDO"));
    }
    EXPECT_EQ(ids, (std::vector<std::string>{"at-bound", "recent"}));
}

TEST_F(StoreTest, InsertedOrderKeepsItsTextsAndStartsPending) {
    const store::NovoPedido novo{.DATAHORA = EngineTime(db, "-1 hours"),
                                 .IDPEDIDO = "98765432109876543210",
                                 .CLIENTE = "Ana Lu\xC3\xADsa",
                                 .TELEFONE = "(11) 99999-0000",
                                 .ENDERECO = "Rua A & B, 10 #2",
                                 .LATITUDE = "-23.5505",
                                 .LONGITUDE = "-46.6333"};
    EXPECT_FALSE(store::PedidoJaImportado(db, novo.IDPEDIDO));
    store::InserePedido(db, novo);
    EXPECT_TRUE(store::PedidoJaImportado(db, novo.IDPEDIDO));
    EXPECT_FALSE(store::PedidoJaImportado(db, "9876543210987654321"));

    const auto list = store::ListaPedidos(db);
    ASSERT_EQ(list.size(), 1u);
    const Pedido& p = list[0];
    EXPECT_EQ(p.ORIGEM, 1);
    EXPECT_EQ(p.IDPEDIDO, novo.IDPEDIDO);
    EXPECT_EQ(p.DATAHORA, novo.DATAHORA);
    EXPECT_EQ(p.CLIENTE, novo.CLIENTE);
    EXPECT_EQ(p.TELEFONE, novo.TELEFONE);
    EXPECT_EQ(p.ENDERECO, novo.ENDERECO);
    EXPECT_EQ(p.LATITUDE, novo.LATITUDE);
    EXPECT_EQ(p.LONGITUDE, novo.LONGITUDE);
    EXPECT_EQ(p.ID_MCH, "");
    EXPECT_EQ(p.VALUE, "");

    auto kinds = db.Prepare("SELECT typeof(ORIGEM) AS O, typeof(IDPEDIDO) AS I, typeof(VALUE) AS V, "
                            "typeof(ID_MCH) AS M FROM PEDIDOS");
    ASSERT_TRUE(kinds.Step());
    EXPECT_EQ(kinds.Text("O"), "integer");
    EXPECT_EQ(kinds.Text("I"), "text") << "a numeric-looking id stays text";
    EXPECT_EQ(kinds.Text("V"), "text");
    EXPECT_EQ(kinds.Text("M"), "null");
}

TEST_F(StoreTest, SecondInsertOfTheSameOrderFailsCleanly) {
    const store::NovoPedido novo{.DATAHORA = EngineTime(db, ""), .IDPEDIDO = "555"};
    store::InserePedido(db, novo);
    try {
        store::InserePedido(db, novo);
        FAIL() << "stored the same order twice";
    } catch (const DatabaseError& e) {
        EXPECT_STREQ(e.what(), "UNIQUE constraint failed: PEDIDOS.ORIGEM, PEDIDOS.IDPEDIDO");
    }
    EXPECT_EQ(store::ListaPedidos(db).size(), 1u);
    store::InserePedido(db, {.DATAHORA = novo.DATAHORA, .IDPEDIDO = "556"}); // the connection goes on
    EXPECT_EQ(store::ListaPedidos(db).size(), 2u);
}

TEST_F(StoreTest, StateMarksAndEstimateChangeOnlyTheirRow) {
    const long long a = InsertOrderAt(db, {"a", std::nullopt}, "-1 hours");
    const long long b = InsertOrderAt(db, {"b", std::nullopt}, "-1 hours");
    const struct {
        void (*mark)(store::Database&, long long);
        const char* state;
    } marks[] = {
        {store::MarcaRovezor, "ROVEZOR"},
        {store::MarcaJaEntregue, "JA ENTREGUE"},
    };
    for (const auto& m : marks) {
        m.mark(db, a);
        EXPECT_EQ(store::PedidoPorId(db, a).value().ID_MCH, m.state);
        EXPECT_EQ(store::PedidoPorId(db, b).value().ID_MCH, "");
        EXPECT_EQ(Ids(store::PedidosPendentes(db)), std::vector<std::string>{"b"}) << m.state;
    }

    store::GravaEstimativa(db, b, "12.50", "-23.5", "");
    const Pedido row = store::PedidoPorId(db, b).value();
    EXPECT_EQ(row.TAXAENTREGA, "12.50");
    EXPECT_EQ(row.LATITUDEMCH, "-23.5");
    EXPECT_EQ(row.LONGITUDEMCH, "");
    EXPECT_EQ(store::PedidoPorId(db, a).value().TAXAENTREGA, "");
    EXPECT_FALSE(store::PedidoPorId(db, 999).has_value());
}

TEST_F(StoreTest, AClaimTakesOnlyAnOrderStillInTheStateItWasReadIn) {
    struct Case {
        const char* what;
        std::optional<std::string> stored;
        const char* read;
        bool claimed;
        const char* after;
    };
    const Case cases[] = {
        {"pending as imported (NULL)", std::nullopt, "", true, "ERRO ROVEZOR"},
        {"pending, empty text", std::string(""), "", true, "ERRO ROVEZOR"},
        {"requested meanwhile", std::string("ROVEZOR"), "", false, "ROVEZOR"},
        {"claimed meanwhile", std::string("ERRO ROVEZOR"), "", false, "ERRO ROVEZOR"},
        {"delivered meanwhile", std::string("JA ENTREGUE"), "", false, "JA ENTREGUE"},
        {"a failed request, asked again by hand", std::string("ERRO ROVEZOR"), "ERRO ROVEZOR", true,
         "ERRO ROVEZOR"},
        {"requested, asked again by hand", std::string("ROVEZOR"), "ROVEZOR", true, "ERRO ROVEZOR"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const long long id = InsertOrderAt(db, {"claim-" + std::to_string(++n), c.stored}, "");
        EXPECT_EQ(store::ReservaPedido(db, id, c.read), c.claimed);
        EXPECT_EQ(store::PedidoPorId(db, id)->ID_MCH, c.after);
        if (c.claimed && std::string(c.read) != c.after) {
            EXPECT_FALSE(store::ReservaPedido(db, id, c.read)) << "claimed twice from one reading";
        }
    }
    EXPECT_FALSE(store::ReservaPedido(db, 999, "")) << "an order that is gone";
}

TEST_F(StoreTest, AnOrderGoesBackOnlyFromItsClaim) {
    const long long pending = InsertOrderAt(db, {"back-1", std::nullopt}, "");
    ASSERT_TRUE(store::ReservaPedido(db, pending, ""));
    store::DevolvePedido(db, pending, "");
    EXPECT_EQ(Ids(store::PedidosPendentes(db)), std::vector<std::string>{"back-1"});
    auto isNull = db.Prepare("SELECT ID_MCH IS NULL AS N FROM PEDIDOS WHERE ID = :ID");
    isNull.Bind(":ID", pending).Step();
    EXPECT_EQ(isNull.Integer("N"), 1) << "back as the import left it";

    const long long requested = InsertOrderAt(db, {"back-2", std::string("ROVEZOR")}, "");
    ASSERT_TRUE(store::ReservaPedido(db, requested, "ROVEZOR"));
    store::DevolvePedido(db, requested, "ROVEZOR");
    EXPECT_EQ(store::PedidoPorId(db, requested)->ID_MCH, "ROVEZOR");
    // Marked by someone else since the claim: left as it is.
    store::MarcaJaEntregue(db, requested);
    store::DevolvePedido(db, requested, "ROVEZOR");
    EXPECT_EQ(store::PedidoPorId(db, requested)->ID_MCH, "JA ENTREGUE");
}

} // namespace
} // namespace brisko::test
