// The real program, started twice and under other names, in temporary program folders.
#include "ProgramProcess.h"

#include <QTest>

#include <gtest/gtest.h>

#include <fstream>

namespace brisko::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kMarkerText = "[Tramel]\r\nAbrir=1\r\n";

class StartupTest : public ::testing::Test {
protected:
    fs::path Folder(const std::string& name) const { return session.Root() / name; }

    // The first copy has created its main window once its autostart entry exists.
    std::unique_ptr<ProgramProcess> StartFirstCopy(const ProgramCopy& copy) {
        auto process = std::make_unique<ProgramProcess>(copy.exe, session.Environment());
        EXPECT_TRUE(QTest::qWaitFor([&] { return fs::exists(session.UserAutostart()); }, 10'000))
            << "the first copy never created its window";
        return process;
    }

    static void PlaceMarker(const ProgramCopy& copy) {
        fs::create_directories(copy.Marker().parent_path());
        std::ofstream(copy.Marker()) << kMarkerText;
    }

    Session session;
};

TEST_F(StartupTest, SecondStartFromTheSameFolderHandsOverAndEndsWithoutAWindow) {
    ProgramCopy copy(Folder("program"), "BriskoDerereve");
    auto first = StartFirstCopy(copy);

    // Without any display the toolkit aborts the process, so exit code 0 shows that the second
    // start ended before creating the application or a window.
    auto noDisplay = session.Environment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        noDisplay.erase(name);
    }
    ProgramProcess second(copy.exe, noDisplay);
    EXPECT_EQ(second.WaitExit(10s), std::optional<int>(0));

    EXPECT_TRUE(QTest::qWaitFor([&] { return !fs::exists(copy.Marker()); }, 10'000))
        << "the running copy never came forward";
    EXPECT_TRUE(first->Running());
}

TEST_F(StartupTest, SecondStartFromAnotherFolderLeavesItsMarkerThere) {
    ProgramCopy running(Folder("running"), "BriskoDerereve");
    ProgramCopy other(Folder("other"), "BriskoDerereve");
    auto first = StartFirstCopy(running);

    ProgramProcess second(other.exe, session.Environment("config-second"));
    ASSERT_EQ(second.WaitExit(10s), std::optional<int>(0));
    EXPECT_EQ(ReadFile(other.Marker()), kMarkerText);

    // Once the running copy has answered a request in its own folder, the other marker has been
    // passed over by at least one poll.
    PlaceMarker(running);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fs::exists(running.Marker()); }, 10'000));
    EXPECT_TRUE(fs::exists(other.Marker()));
    EXPECT_TRUE(first->Running());
}

TEST_F(StartupTest, CopyUnderAnotherNameRunsBesideAndStillNamesTheProgramInItsAutostartEntry) {
    ProgramCopy running(Folder("running"), "BriskoDerereve");
    ProgramCopy renamed(Folder("renamed"), "BriskoOutroNome");
    auto first = StartFirstCopy(running);

    ProgramProcess beside(renamed.exe, session.Environment("config-renamed"));
    const fs::path entry = session.Root() / "config-renamed/autostart/BriskoDerereve.desktop";
    ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(entry); }, 10'000))
        << "the renamed copy never created its window";
    EXPECT_NE(
        ReadFile(entry).find("Exec=\"" + (renamed.folder / "BriskoDerereve").string() + "\" --autostart"),
        std::string::npos)
        << ReadFile(entry);
    EXPECT_TRUE(beside.Running());
    EXPECT_TRUE(first->Running());
}

TEST_F(StartupTest, LeftoverMarkerIsConsumedByTheNewCopy) {
    ProgramCopy copy(Folder("program"), "BriskoDerereve");
    PlaceMarker(copy);
    auto first = StartFirstCopy(copy);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !fs::exists(copy.Marker()); }, 10'000));
    EXPECT_TRUE(first->Running());
}

TEST_F(StartupTest, AutostartEntriesForUserAndMachineNameTheProgramFolder) {
    ProgramCopy copy(Folder("program"), "BriskoDerereve");
    auto first = StartFirstCopy(copy);
    const std::string exec = "Exec=\"" + copy.exe.string() + "\" --autostart\n";
    for (const fs::path& entry : {session.UserAutostart(), session.MachineAutostart()}) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return ReadFile(entry).find(exec) != std::string::npos; }, 10'000))
            << entry << ":\n"
            << ReadFile(entry);
    }
}

} // namespace
} // namespace brisko::test
