// Loading an entry of a module while the program runs: the program's HTTPS module as built, and the
// failures a missing file or entry give.
#include "HttpsModule.h"
#include "LoadableModule.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace brisko::platform {
namespace {

TEST(ModuleTest, EntryIsFoundInTheModuleAndFailuresSayWhy) {
    std::string failure;
    const std::filesystem::path built = std::filesystem::path(BRISKO_PROGRAM_DIR) / net::kHttpsModuleFile;
    EXPECT_NE(LoadModuleEntry(built, net::kHttpsEntry, failure), nullptr) << failure;

    EXPECT_EQ(LoadModuleEntry(built, "NoSuchEntry", failure), nullptr);
    EXPECT_NE(failure.find("NoSuchEntry"), std::string::npos) << failure;
    failure.clear();
    EXPECT_EQ(LoadModuleEntry(built.parent_path() / "no-such-module.so", net::kHttpsEntry, failure), nullptr);
    EXPECT_NE(failure.find("no-such-module.so"), std::string::npos) << failure;
}

} // namespace
} // namespace brisko::platform
