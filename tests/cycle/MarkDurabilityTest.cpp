// Courier marks of automatic scheduling reach the disk before the pass ends, also when the log
// cannot be flushed by its name, and the connection's commits wait for the disk again afterwards.
#include "BackgroundLogSync.h"
#include "CycleFixture.h"

#include <filesystem>

namespace brisko::test {
namespace {

using ::testing::ElementsAre;

long long Synchronous(store::Database& db) {
    store::Statement setting = db.Prepare("PRAGMA synchronous");
    setting.Step();
    return setting.Integer("synchronous");
}

sim::Answer Refused() {
    return sim::Answer().WithBody(R"({"response":{"erros":["Fora da área"]}})");
}

TEST_F(CycleTest, MarksOfAPassAreFlushedEvenWhenTheLogsNameFailsAndCommitsWaitAgainAfter) {
    const std::filesystem::path log = store::WriteAheadLogFile(db);
    ASSERT_TRUE(std::filesystem::exists(log));
    struct Case {
        const char* what;
        bool folderAtTheLogsName;
        const char* firstId;
        const char* secondId;
    };
    const Case cases[] = {{"flushed by its name", false, "801", "802"},
                          {"a folder where the name leads", true, "811", "812"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.folderAtTheLogsName) {
            std::filesystem::remove(log);
            std::filesystem::create_directory(log);
        }
        platform.ClearRequests();
        const long long accepted = AddPending(c.firstId);
        const long long refused = AddPending(c.secondId);
        platform.Script("POST", kOpenPath, sim::Answer().WithBody(R"({"response":{"id_mch":1}})"));
        platform.Script("POST", kOpenPath, Refused());
        Schedule();

        EXPECT_EQ(RequestsTo(platform, kOpenPath).size(), 2u);
        EXPECT_EQ(store::PedidoPorId(db, accepted)->ID_MCH, "ROVEZOR");
        EXPECT_EQ(store::PedidoPorId(db, refused)->ID_MCH, "ERRO ROVEZOR");
        EXPECT_EQ(window.Texts("status").back(), "Erro:  - Fora da área") << "no other failure shown";
        EXPECT_EQ(Synchronous(db), 2);
    }
    std::filesystem::remove(log); // the engine deletes its log at the close
}

TEST_F(CycleTest, AMarkThatFailsToCommitStopsThePassAndCommitsWaitAgain) {
    AddPending("701");
    AddPending("702");
    AddPending("703");
    db.Execute("CREATE TRIGGER refuse_702 BEFORE UPDATE OF ID_MCH ON PEDIDOS WHEN OLD.IDPEDIDO = '702' "
               "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    Schedule();

    EXPECT_THAT(SentOrderIds(), ElementsAre("aiqfome 701", "aiqfome 702")) << "nothing sent after it";
    EXPECT_THAT(Marks(), ElementsAre("ROVEZOR", "", ""));
    EXPECT_THAT(window.Texts("status"), ElementsAre("EDatabaseError"));
    EXPECT_EQ(Synchronous(db), 2);
}

} // namespace
} // namespace brisko::test
