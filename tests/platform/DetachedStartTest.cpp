// Programs started by the platform layer: the command file runs hidden in its own folder with the
// caller's process id, and the browser hand-off passes the address as one untouched argument;
// neither is waited for nor left as a zombie.
#include "Platform.h"
#include "PlatformTestSupport.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/wait.h>
#include <unistd.h>

namespace brisko::platform {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnv;
using test::TempFolder;

void ExpectNoChildLeft() {
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST(StartCommandFileHidden, RunsDetachedInItsFolderWithTheCallersPid) {
    TempFolder root;
    const fs::path folder = root / "pasta com espaço";
    fs::create_directories(folder);
    // The script waits for "go", which the test makes only after the call returned: a start that
    // waited for the script would find it saying so. Relative names work only in its own folder.
    test::WriteFile(folder / "fechar.sh", R"(i=0
while [ ! -e go ] && [ $i -lt 400 ]; do sleep 0.05; i=$((i+1)); done
[ -e go ] || { echo "the caller waited" > marker; exit 0; }
streams=$(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2)
{
  printf '%s\n' "$1"
  pwd -P
  printf '%s\n' "$streams"
  cut -d' ' -f6 /proc/$$/stat
} > marker.partial
mv marker.partial marker
)");

    StartCommandFileHidden(folder / "fechar.sh");
    test::WriteFile(folder / "go", "");

    const auto marker = test::WaitForFile(folder / "marker");
    ASSERT_TRUE(marker) << "the command file did not run";
    const std::string expectedStart = std::to_string(getpid()) + "\n" + fs::canonical(folder).string() +
                                      "\n" + "/dev/null\n/dev/null\n/dev/null\n";
    ASSERT_EQ(marker->substr(0, expectedStart.size()), expectedStart);
    EXPECT_NE(std::stol(marker->substr(expectedStart.size())), static_cast<long>(getsid(0)))
        << "the command file must not share the caller's session";
    ExpectNoChildLeft();
}

TEST(OpenUrl, HandsTheAddressToXdgOpenAsOneArgument) {
    TempFolder root;
    fs::create_directories(root / "bin");
    const fs::path received = root / "received";
    test::WriteFile(root / "bin" / "xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > '" + received.string() +
                                                   ".partial'\nmv '" + received.string() + ".partial' '" +
                                                   received.string() + "'\n");
    fs::permissions(root / "bin" / "xdg-open", fs::perms::owner_all);
    ScopedEnv path("PATH", (root / "bin").string() + ":" + std::getenv("PATH"));

    const std::string url = "https://127.0.0.1:27801/pedidos?a=1&b=$(touch injected) 'ç' ;x";
    OpenUrl(url);

    const auto argument = test::WaitForFile(received);
    ASSERT_TRUE(argument) << "xdg-open was not started";
    EXPECT_EQ(*argument, url);
    EXPECT_FALSE(fs::exists("injected"));
    ExpectNoChildLeft();
}

} // namespace
} // namespace brisko::platform
