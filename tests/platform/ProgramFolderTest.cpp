// The program folder is where the executable lies, whatever the current directory is.
#include "Platform.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

namespace brisko::platform {
namespace {

namespace fs = std::filesystem;

TEST(ProgramFolder, IsTheExecutablesFolderNotTheCurrentOne) {
    test::TempFolder elsewhere;
    const fs::path previous = fs::current_path();
    fs::current_path(elsewhere.Path());
    const fs::path executable = ExecutablePath();
    const fs::path folder = ProgramFolder();
    fs::current_path(previous);

    EXPECT_EQ(executable.filename(), "platform_tests");
    EXPECT_EQ(folder, fs::canonical(PLATFORM_TESTS_DIR));
    EXPECT_EQ(executable.parent_path(), folder);
}

} // namespace
} // namespace brisko::platform
