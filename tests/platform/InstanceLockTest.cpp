// The single-instance lock: one holder per name, across processes, released with its owner, and
// never kept alive by a program the holder started.
#include "Platform.h"
#include "PlatformTestSupport.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace brisko::platform {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnv;
using test::TempFolder;

class InstanceLockTest : public ::testing::Test {
protected:
    TempFolder runtime;
    ScopedEnv runtimeDir{"XDG_RUNTIME_DIR", runtime.Path().string()};
};

// The state another process sees for `name`, taken in a forked child.
LockState StateSeenByAnotherProcess(const std::string& name) {
    const pid_t child = fork();
    if (child == 0) {
        _exit(static_cast<int>(AcquireInstanceLock(name)->State()));
    }
    int status = 0;
    waitpid(child, &status, 0);
    return static_cast<LockState>(WEXITSTATUS(status));
}

TEST_F(InstanceLockTest, OneHolderPerNameUntilItIsGone) {
    auto first = AcquireInstanceLock("BriskoDerereveMutex");
    ASSERT_EQ(first->State(), LockState::Acquired);
    EXPECT_TRUE(fs::exists(runtime / "BriskoDerereveMutex"));

    EXPECT_EQ(AcquireInstanceLock("BriskoDerereveMutex")->State(), LockState::AlreadyRunning);
    EXPECT_EQ(StateSeenByAnotherProcess("BriskoDerereveMutex"), LockState::AlreadyRunning);

    auto otherName = AcquireInstanceLock("BriskoDerereve2Mutex");
    EXPECT_EQ(otherName->State(), LockState::Acquired);

    first.reset();
    EXPECT_EQ(StateSeenByAnotherProcess("BriskoDerereveMutex"), LockState::Acquired);
    EXPECT_EQ(AcquireInstanceLock("BriskoDerereveMutex")->State(), LockState::Acquired);
}

TEST_F(InstanceLockTest, ProgramStartedByTheHolderDoesNotKeepTheLock) {
    auto lock = AcquireInstanceLock("BriskoDerereveMutex");
    ASSERT_EQ(lock->State(), LockState::Acquired);

    // A long-lived child, like the command file or a browser started from the program.
    TempFolder scripts;
    test::WriteFile(scripts / "linger.sh", "echo $$ > started.partial && mv started.partial started\n"
                                           "exec sleep 60\n");
    StartCommandFileHidden(scripts / "linger.sh");
    const auto started = test::WaitForFile(scripts / "started");
    ASSERT_TRUE(started) << "the child did not start";
    const pid_t lingering = std::stoi(*started);

    lock.reset();
    EXPECT_EQ(AcquireInstanceLock("BriskoDerereveMutex")->State(), LockState::Acquired)
        << "the started child inherited the lock";
    kill(lingering, SIGTERM);
}

TEST_F(InstanceLockTest, LockThatCannotBeCreatedIsUnavailable) {
    test::WriteFile(runtime / "plain-file", "");
    struct Case {
        const char* what;
        std::string runtimeDir;
        std::string name;
    };
    const Case cases[] = {
        {"runtime folder below a regular file", (runtime / "plain-file" / "run").string(),
         "BriskoDerereveMutex"},
        {"name with a folder separator", runtime.Path().string(), "../BriskoDerereveMutex"},
        {"empty name", runtime.Path().string(), ""},
    };
    for (const Case& c : cases) {
        ScopedEnv dir("XDG_RUNTIME_DIR", c.runtimeDir);
        EXPECT_EQ(AcquireInstanceLock(c.name)->State(), LockState::Unavailable) << c.what;
    }
    EXPECT_FALSE(fs::exists(runtime.Path().parent_path() / "BriskoDerereveMutex"));
}

TEST(InstanceLockFallback, WithoutRuntimeFolderUsesPrivateFolderUnderTmp) {
    ScopedEnv noRuntimeDir("XDG_RUNTIME_DIR", std::nullopt);
    const std::string name = "platform-tests-" + std::to_string(getpid()) + "Mutex";
    const fs::path folder = fs::path("/tmp") / ("brisko-" + std::to_string(getuid()));
    {
        auto lock = AcquireInstanceLock(name);
        ASSERT_EQ(lock->State(), LockState::Acquired);
        EXPECT_EQ(AcquireInstanceLock(name)->State(), LockState::AlreadyRunning);
        struct stat info {};
        ASSERT_EQ(lstat(folder.c_str(), &info), 0);
        EXPECT_TRUE(S_ISDIR(info.st_mode));
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        EXPECT_EQ(info.st_uid, getuid());
        EXPECT_TRUE(fs::exists(folder / name));
    }
    fs::remove(folder / name);
}

} // namespace
} // namespace brisko::platform
