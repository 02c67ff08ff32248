// The installed program: `cmake --install` into a temporary prefix, then the launcher, which runs
// each user's own copy of the program folder because the installed one is not the user's to write.
#include "ProgramProcess.h"

#include "Database.h"
#include "Migrations.h"

#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace brisko::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class InstalledProgramTest : public ::testing::Test {
protected:
    fs::path Prefix() const { return session.Root() / "prefix"; }
    fs::path UserFolder() const { return session.Root() / "data" / "BriskoDerereve"; }

    std::map<std::string, std::string> Environment() const {
        auto env = session.Environment();
        env["XDG_DATA_HOME"] = (session.Root() / "data").string();
        return env;
    }

    // Started by the launcher; its window exists once it has written its autostart entry.
    std::unique_ptr<ProgramProcess> Launch() {
        fs::remove(session.UserAutostart());
        auto program = std::make_unique<ProgramProcess>(Prefix() / "bin" / "briskoderereve", Environment());
        EXPECT_TRUE(QTest::qWaitFor([&] { return fs::exists(session.UserAutostart()); }, 20'000))
            << "the launched program never created its window";
        return program;
    }

    Session session;
};

TEST(ProgramFolder, TheBuildsDatabaseIsTheUsersAlone) {
    EXPECT_EQ(fs::status(fs::path(BRISKO_PROGRAM_DIR) / "BD").permissions(), fs::perms(0700));
    EXPECT_EQ(fs::status(fs::path(BRISKO_PROGRAM_DIR) / "BD" / "BANCO.db").permissions(), fs::perms(0600));
}

TEST_F(InstalledProgramTest, LauncherRunsTheUsersOwnCopyAndKeepsItsDatabaseAcrossStarts) {
    const std::string install = std::string("'") + BRISKO_CMAKE_COMMAND + "' --install '" + BRISKO_BUILD_DIR +
                                "' --prefix '" + Prefix().string() + "' > /dev/null";
    ASSERT_EQ(std::system(install.c_str()), 0) << install;
    const fs::path installed = Prefix() / "lib" / "briskoderereve";
    for (const char* file : {"BriskoDerereve", "fechar.sh", "BD/BANCO.db"}) {
        EXPECT_TRUE(fs::exists(installed / file)) << file;
    }
    EXPECT_TRUE(fs::exists(Prefix() / "share" / "applications" / "briskoderereve.desktop"));
    {
        // Delivered at the newest schema: a new store's first start has nothing to upgrade.
        const fs::path delivered = session.Root() / "delivered.db";
        fs::copy_file(installed / "BD" / "BANCO.db", delivered);
        store::Database db(delivered);
        EXPECT_EQ(store::SchemaVersion(db), store::NewestSchemaVersion());
    }

    {
        auto first = Launch();
        // The program runs from the user's folder: its autostart entry names the copy there.
        EXPECT_NE(ReadFile(session.UserAutostart()).find((UserFolder() / "BriskoDerereve").string()),
                  std::string::npos)
            << ReadFile(session.UserAutostart());
        EXPECT_TRUE(fs::exists(UserFolder() / "fechar.sh"));
        EXPECT_TRUE(fs::exists(UserFolder() / "open"));
        EXPECT_FALSE(fs::exists(installed / "open")) << "the program wrote into the installed folder";
    }

    // The user's copy will hold the passwords: the user's alone, folders and database.
    const fs::path userDb = UserFolder() / "BD" / "BANCO.db";
    EXPECT_EQ(fs::status(UserFolder()).permissions(), fs::perms(0700));
    EXPECT_EQ(fs::status(UserFolder() / "BD").permissions(), fs::perms(0700));
    EXPECT_EQ(fs::status(userDb).permissions(), fs::perms(0600));
    // The installed one holds only the tables, and every user's launcher copies it.
    EXPECT_EQ(fs::status(installed / "BD" / "BANCO.db").permissions() & fs::perms::others_read,
              fs::perms::others_read);

    // What the operator stored stays through the next start (an update starts the same way), and a
    // copy left open to others by an older launcher is closed.
    {
        store::Database db(userDb);
        db.Prepare("INSERT INTO CONFIGURACAO (NOME, TEMPOAGENDAMENTO) VALUES ('PADRAO', '45')").Step();
    }
    fs::permissions(userDb, fs::perms(0644));
    fs::permissions(UserFolder() / "BD", fs::perms(0755));
    auto second = Launch();
    EXPECT_EQ(fs::status(userDb).permissions(), fs::perms(0600));
    EXPECT_EQ(fs::status(UserFolder() / "BD").permissions(), fs::perms(0700));
    store::Database db(userDb);
    auto row = db.Prepare("SELECT TEMPOAGENDAMENTO FROM CONFIGURACAO");
    ASSERT_TRUE(row.Step()) << "the launcher replaced the user's database";
    EXPECT_EQ(row.Text("TEMPOAGENDAMENTO"), "45");
}

} // namespace
} // namespace brisko::test
