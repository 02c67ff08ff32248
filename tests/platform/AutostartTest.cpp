// Start-at-logon entries outside Windows: a desktop entry per root, current user first, with the
// program path quoted; a root that cannot be written is skipped without a word.
#include "Platform.h"
#include "PlatformTestSupport.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

namespace brisko::platform {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::ScopedEnv;
using test::TempFolder;

std::string EntryFor(const std::string& execLine) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=BriskoDerereve\n" +
           execLine +
           "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

class AutostartTest : public ::testing::Test {
protected:
    fs::path UserEntry() const { return roots / "user" / "autostart" / "BriskoDerereve.desktop"; }
    fs::path MachineEntry() const { return roots / "machine" / "autostart" / "BriskoDerereve.desktop"; }
    // A path that can never be a folder, whoever runs the tests: its parent is a regular file.
    fs::path Unwritable() const {
        test::WriteFile(roots / "plain-file", "");
        return roots / "plain-file" / "xdg";
    }

    TempFolder roots;
    ScopedEnv configHome{"XDG_CONFIG_HOME", (roots / "user").string()};
    ScopedEnv configDirs{"XDG_CONFIG_DIRS", (roots / "machine").string() + ":" + (roots / "second").string()};
};

TEST_F(AutostartTest, WritesUserThenMachineEntryNamingTheProgram) {
    WriteAutostartEntries("/opt/Brisko Derereve/BriskoDerereve");

    const std::string expected = EntryFor("Exec=\"/opt/Brisko Derereve/BriskoDerereve\" --autostart");
    EXPECT_EQ(ReadFile(UserEntry()), expected);
    EXPECT_EQ(ReadFile(MachineEntry()), expected);
    EXPECT_FALSE(fs::exists(roots / "second")) << "only the first machine folder is written";
}

TEST_F(AutostartTest, ReplacesAnEarlierEntryCompletely) {
    fs::create_directories(UserEntry().parent_path());
    test::WriteFile(UserEntry(), std::string(4096, 'x'));

    WriteAutostartEntries("/opt/brisko/BriskoDerereve");

    EXPECT_EQ(ReadFile(UserEntry()), EntryFor("Exec=\"/opt/brisko/BriskoDerereve\" --autostart"));
    EXPECT_EQ(std::distance(fs::directory_iterator(UserEntry().parent_path()), fs::directory_iterator()), 1)
        << "no partial file is left behind";
}

TEST_F(AutostartTest, ProgramPathIsQuotedSoThatNoCharacterChangesTheCommand) {
    struct Case {
        const char* path;
        const char* execLine;
    };
    // Inside quotes " ` $ \ take a backslash; the entry file then doubles every backslash; % is
    // doubled so that it never reads as a field code such as %u.
    const Case cases[] = {
        {"/opt/a b/BriskoDerereve", R"(Exec="/opt/a b/BriskoDerereve" --autostart)"},
        {"/opt/$HOME/BriskoDerereve", R"(Exec="/opt/\\$HOME/BriskoDerereve" --autostart)"},
        {"/opt/say \"hi\"/B", R"(Exec="/opt/say \\"hi\\"/B" --autostart)"},
        {"/opt/`id`/B", R"(Exec="/opt/\\`id\\`/B" --autostart)"},
        {"/opt/back\\slash/B", R"(Exec="/opt/back\\\\slash/B" --autostart)"},
        {"/opt/100%u/B", R"(Exec="/opt/100%%u/B" --autostart)"},
        {"/opt/two\nlines/B", R"(Exec="/opt/two\nlines/B" --autostart)"},
        {"/opt/Padaria São João/B", R"(Exec="/opt/Padaria São João/B" --autostart)"},
    };
    for (const Case& c : cases) {
        WriteAutostartEntries(c.path);
        EXPECT_EQ(ReadFile(UserEntry()), EntryFor(c.execLine)) << c.path;
    }
}

TEST_F(AutostartTest, RootThatCannotBeWrittenIsSkipped) {
    {
        ScopedEnv machine("XDG_CONFIG_DIRS", Unwritable().string());
        EXPECT_NO_THROW(WriteAutostartEntries("/opt/brisko/BriskoDerereve"));
        EXPECT_TRUE(fs::exists(UserEntry()));
    }
    fs::remove(UserEntry());
    {
        ScopedEnv user("XDG_CONFIG_HOME", Unwritable().string());
        EXPECT_NO_THROW(WriteAutostartEntries("/opt/brisko/BriskoDerereve"));
        EXPECT_TRUE(fs::exists(MachineEntry())) << "the machine entry still follows a failed user entry";
        EXPECT_FALSE(fs::exists(UserEntry()));
    }
}

TEST_F(AutostartTest, UserRootFallsBackToHomeConfigAndNeverTheCurrentFolder) {
    TempFolder workDir;
    const fs::path previous = fs::current_path();
    fs::current_path(workDir.Path());
    {
        ScopedEnv relative("XDG_CONFIG_HOME", "relative-config");
        ScopedEnv home("HOME", (roots / "home").string());
        WriteAutostartEntries("/opt/brisko/BriskoDerereve");
    }
    fs::current_path(previous);

    EXPECT_TRUE(fs::exists(roots / "home" / ".config" / "autostart" / "BriskoDerereve.desktop"));
    EXPECT_TRUE(fs::is_empty(workDir.Path()));
}

} // namespace
} // namespace brisko::platform
