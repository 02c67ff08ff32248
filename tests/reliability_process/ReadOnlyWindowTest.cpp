// The main window created on a program folder (or only a database file) the program may not
// write: the operator reads why, in Portuguese, and the command file that ends the program is started.
#include "ReadOnlyFolder.h"

#include "ModalAnswerer.h"
#include "ProgramProcess.h"
#include "uMainForm.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace brisko::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFreshDbVariable = "BRISKO_READONLY_FRESH_DB";

// As root the modes would stop nothing, so this one test runs again as nobody, and its outcome is
// reported here. The binary and the fresh database are copied where nobody can reach them: the
// build folder may lie under a home folder nobody cannot enter.
void RunThisTestAsNobody() {
    QTemporaryDir copies;
    const fs::path folder = copies.path().toStdString();
    fs::permissions(folder,
                    fs::perms::others_read | fs::perms::others_exec | fs::perms::group_read |
                        fs::perms::group_exec,
                    fs::perm_options::add);
    const fs::path binary = folder / "reliability_readonly_tests";
    const fs::path freshDb = folder / "BANCO.db";
    const fs::path log = folder / "as-nobody.log";
    fs::copy_file(fs::read_symlink("/proc/self/exe"), binary);
    fs::copy_file(BRISKO_FRESH_DB, freshDb);
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string command = "env -u GTEST_OUTPUT " + std::string(kFreshDbVariable) + "='" +
                                freshDb.string() + "' " + AsNobodyPrefix() + "'" + binary.string() +
                                "' --gtest_filter=" + test->test_suite_name() + "." + test->name() + " > '" +
                                log.string() + "' 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << ReadFile(log);
    // A filter that matched nothing would pass as well.
    EXPECT_NE(ReadFile(log).find("[  PASSED  ] 1 test."), std::string::npos) << ReadFile(log);
}

fs::path FreshDb() {
    const char* copied = std::getenv(kFreshDbVariable);
    return copied != nullptr ? fs::path(copied) : fs::path(BRISKO_FRESH_DB);
}

// What is closed to the program: the whole folder, or only the database file in a folder it may
// write (there the engine itself leaves its two side files, so only the whole folder stays as it was).
struct Closed {
    const char* name;
    bool wholeFolder;
};

// Test listings name the case.
void PrintTo(const Closed& closed, std::ostream* out) {
    *out << closed.name;
}

class ReadOnlyWindowTest : public ::testing::TestWithParam<Closed> {};

TEST_P(ReadOnlyWindowTest, SaysWhyInPortugueseAndStartsTheCommandFile) {
    if (RunningAsRoot()) {
        RunThisTestAsNobody();
        return;
    }
    QTemporaryDir dir;
    const fs::path root = dir.path().toStdString();
    // The path shown in the message holds markup too: it must reach the operator as characters.
    const fs::path folder = root / "<b>x<" / "b><script>alert(1)<" / "script>";
    const fs::path commandMarker = root / "command-file-ran";
    fs::create_directories(folder / "BD");
    fs::copy_file(FreshDb(), folder / "BD" / "BANCO.db");
    // Stands in for the delivered command file (which ends the program): records the process id.
    std::ofstream(folder / "fechar.sh") << "echo \"$1\" > \"" << commandMarker.string() << "\"\n";
    if (GetParam().wholeFolder) {
        MakeReadOnly(folder);
    } else {
        fs::permissions(folder / "BD" / "BANCO.db",
                        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    }
    const WritableAgain reopen{folder};
    const std::string before = ListTree(folder);

    QString shown;
    Qt::TextFormat format = Qt::AutoText;
    ModalAnswerer answerer(QMessageBox::Ok, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            format = box->textFormat();
        }
    });
    {
        ui::TMainForm form(folder);
        ASSERT_TRUE(answerer.Seen()) << "no message box";
        shown = answerer.Seen()->text;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return ReadFile(commandMarker) == std::to_string(getpid()) + "\n"; }, 10'000))
            << "the command file was not started";
    }
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Erro: Avise o Suporteattempt to write a readonly database")))
        << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("não pode gravar no banco de dados"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QString::fromStdString((folder / "BD").string()))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("<b>x</b><script>alert(1)</script>"))) << shown.toStdString();
    EXPECT_EQ(format, Qt::PlainText);
    if (GetParam().wholeFolder) {
        EXPECT_EQ(ListTree(folder), before);
    }
}

INSTANTIATE_TEST_SUITE_P(Closed, ReadOnlyWindowTest,
                         ::testing::Values(Closed{"WholeFolder", true}, Closed{"DatabaseFileOnly", false}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace brisko::test
