// The single-instance lock and the lock beside the database: one holder at a time, across
// processes, released with its owner, waited for by a later start, and never kept alive by a
// program the holder started.
#include "Platform.h"
#include "PlatformTestSupport.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
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

// The state another process sees, taken in a forked child.
LockState StateSeenByAnotherProcess(const std::function<std::unique_ptr<InstanceLock>()>& acquire) {
    const pid_t child = fork();
    if (child == 0) {
        _exit(static_cast<int>(acquire()->State()));
    }
    int status = 0;
    waitpid(child, &status, 0);
    return static_cast<LockState>(WEXITSTATUS(status));
}

LockState StateSeenByAnotherProcess(const std::string& name) {
    return StateSeenByAnotherProcess([&] { return AcquireInstanceLock(name); });
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
    TempFolder program;
    auto lock = AcquireInstanceLock("BriskoDerereveMutex");
    auto database = AcquireFileLock(program / "BANCO.db.lock");
    ASSERT_EQ(lock->State(), LockState::Acquired);
    ASSERT_EQ(database->State(), LockState::Acquired);

    // A long-lived child, like the command file or a browser started from the program.
    TempFolder scripts;
    test::WriteFile(scripts / "linger.sh", "echo $$ > started.partial && mv started.partial started\n"
                                           "exec sleep 60\n");
    StartCommandFileHidden(scripts / "linger.sh");
    const auto started = test::WaitForFile(scripts / "started");
    ASSERT_TRUE(started) << "the child did not start";
    const pid_t lingering = std::stoi(*started);

    lock.reset();
    database.reset();
    EXPECT_EQ(AcquireInstanceLock("BriskoDerereveMutex")->State(), LockState::Acquired)
        << "the started child inherited the lock";
    EXPECT_EQ(AcquireFileLock(program / "BANCO.db.lock")->State(), LockState::Acquired)
        << "the started child inherited the database's lock";
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

TEST_F(InstanceLockTest, ALaterStartWaitsForTheHolderAndTakesTheLockWhenItGoes) {
    TempFolder program;
    const std::function<std::unique_ptr<InstanceLock>()> kinds[] = {
        [] { return AcquireInstanceLock("BriskoDerereveMutex"); },
        [&] { return AcquireFileLock(program / "BANCO.db.lock"); },
    };
    for (const auto& acquire : kinds) {
        auto holder = acquire();
        ASSERT_EQ(holder->State(), LockState::Acquired);
        auto waiting = acquire();
        ASSERT_EQ(waiting->State(), LockState::AlreadyRunning);
        EXPECT_FALSE(waiting->WaitForRelease(std::chrono::milliseconds(0)));
        EXPECT_FALSE(waiting->WaitForRelease(std::chrono::milliseconds(100)));

        std::thread ends([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            holder.reset();
        });
        EXPECT_TRUE(waiting->WaitForRelease(std::chrono::seconds(30)));
        ends.join();
        EXPECT_EQ(waiting->State(), LockState::Acquired);
        EXPECT_EQ(StateSeenByAnotherProcess(acquire), LockState::AlreadyRunning);
        EXPECT_TRUE(waiting->WaitForRelease(std::chrono::milliseconds(0))); // held: nothing to wait for
    }
}

TEST_F(InstanceLockTest, TheLockBesideTheDatabaseIsSeenFromEveryRuntimeFolder) {
    TempFolder program;
    const fs::path file = program / "BANCO.db.lock";
    auto first = AcquireFileLock(file);
    ASSERT_EQ(first->State(), LockState::Acquired);
    EXPECT_TRUE(fs::exists(file));
    EXPECT_EQ(AcquireFileLock(file)->State(), LockState::AlreadyRunning);
    {
        // Another login session: a runtime folder of its own, where the instance lock is free.
        TempFolder otherRuntime;
        ScopedEnv otherSession("XDG_RUNTIME_DIR", otherRuntime.Path().string());
        EXPECT_EQ(StateSeenByAnotherProcess([&] { return AcquireInstanceLock("BriskoDerereveMutex"); }),
                  LockState::Acquired);
        EXPECT_EQ(StateSeenByAnotherProcess([&] { return AcquireFileLock(file); }),
                  LockState::AlreadyRunning);
    }
    EXPECT_EQ(AcquireFileLock(program / "other.lock")->State(), LockState::Acquired);

    first.reset();
    EXPECT_EQ(StateSeenByAnotherProcess([&] { return AcquireFileLock(file); }), LockState::Acquired);
    EXPECT_TRUE(fs::exists(file)); // never deleted: a copy waiting on it must keep seeing the same file

    auto nowhere = AcquireFileLock(program / "missing" / "BANCO.db.lock");
    EXPECT_EQ(nowhere->State(), LockState::Unavailable);
    EXPECT_FALSE(nowhere->WaitForRelease(std::chrono::milliseconds(100)));
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
