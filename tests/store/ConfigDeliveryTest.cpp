#include <gtest/gtest.h>

#include "StoreFixture.h"

namespace brisko::test {
namespace {

TEST_F(StoreTest, AccountRowIsAddedEmptyThenFilledByItsId) {
    const long long id = store::InsereConfigDeliveryVazia(db);
    const long long second = store::InsereConfigDeliveryVazia(db);
    EXPECT_GT(second, id);

    auto rows = store::LeConfigDelivery(db);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].ID, id);
    EXPECT_EQ(rows[0].IDORIGEM, 0);
    EXPECT_EQ(rows[0].LOGIN, "");

    store::GravaContaConfigDelivery(db, id, "loja@aiq", "p@ss word");
    store::GravaTokenConfigDelivery(db, id, "tok-1", {2024, 5, 22, 18, 30, 5, 250});
    store::GravaContaConfigDelivery(db, id, "loja@aiq2", "outra"); // saving keeps the token

    rows = store::LeConfigDelivery(db);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].ID, id);
    EXPECT_EQ(rows[0].IDORIGEM, 1);
    EXPECT_EQ(rows[0].ORIGEM, "AIQFOME");
    EXPECT_EQ(rows[0].LOGIN, "loja@aiq2");
    EXPECT_EQ(rows[0].SENHA, "outra");
    EXPECT_EQ(rows[0].TOKEN, "tok-1");
    EXPECT_EQ(rows[0].VALIDADE, "2024-05-22 18:30:05.250");
    EXPECT_EQ(rows[1].ID, second);
    EXPECT_EQ(rows[1].LOGIN, "") << "only the row with the given ID changes";
    EXPECT_EQ(rows[1].TOKEN, "");
}

TEST_F(StoreTest, TokenExpiryIsStoredAsTextToTheMillisecond) {
    const long long id = store::InsereConfigDeliveryVazia(db);
    const struct {
        LocalDateTime moment;
        const char* text;
    } cases[] = {
        {{2024, 5, 22, 18, 30, 5, 250}, "2024-05-22 18:30:05.250"},
        {{2025, 1, 2, 3, 4, 5, 6}, "2025-01-02 03:04:05.006"},
        {{1999, 12, 31, 23, 59, 59, 999}, "1999-12-31 23:59:59.999"},
    };
    for (const auto& c : cases) {
        store::GravaTokenConfigDelivery(db, id, "t", c.moment);
        auto row = db.Prepare("SELECT VALIDADE, typeof(VALIDADE) AS K FROM CONFIGDELIVERY");
        ASSERT_TRUE(row.Step());
        EXPECT_EQ(row.Text("VALIDADE"), c.text);
        EXPECT_EQ(row.Text("K"), "text");
    }
}

} // namespace
} // namespace brisko::test
