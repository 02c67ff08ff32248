// Whose turn a start is: the first copy takes the instance lock and the lock beside the database; a
// later start hands over to a copy that takes its front request, waits for one that is closing, and
// runs once it has ended.
#include "SingleCopy.h"
#include "FrontRequest.h"
#include "ProgramFiles.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <optional>
#include <thread>

namespace brisko::app {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using platform::DatabaseLockFile;
using platform::FrontRequestMarker;
using platform::LockState;

constexpr const char* kInstanceName = "BriskoDerereveMutex";

class SingleCopyTest : public ::testing::Test {
protected:
    SingleCopyTest() {
        for (const fs::path& program : {folder / "program", folder / "other"}) {
            fs::create_directories(program / "BD");
            fs::create_directories(program / "open");
        }
        UseRuntime(runtime.Path());
    }
    ~SingleCopyTest() override { unsetenv("XDG_RUNTIME_DIR"); }

    static void UseRuntime(const fs::path& runtimeFolder) {
        setenv("XDG_RUNTIME_DIR", runtimeFolder.c_str(), 1);
    }

    fs::path Program() const { return folder / "program"; }
    fs::path Marker() const { return FrontRequestMarker(Program()); }

    // A start on another thread, as a second process would make it.
    std::future<std::optional<CopyLocks>> StartBeside(const fs::path& program, TurnWaits waits = Quick()) {
        return std::async(std::launch::async,
                          [program, waits] { return TakeTurn(program, kInstanceName, waits); });
    }

    static TurnWaits Quick() { return {20ms, 30s}; }

    static bool Holds(const std::optional<CopyLocks>& locks) {
        return locks && locks->instance->State() == LockState::Acquired &&
               locks->database->State() == LockState::Acquired;
    }

    // Waits until the start has left its front request.
    bool MarkerLeft() const {
        for (int i = 0; i < 1000 && !fs::exists(Marker()); ++i) {
            std::this_thread::sleep_for(10ms);
        }
        return fs::exists(Marker());
    }

    test::TempFolder folder;
    test::TempFolder runtime;
};

TEST_F(SingleCopyTest, TheFirstStartHoldsBothLocksAndLeavesNoFrontRequest) {
    const std::optional<CopyLocks> first = TakeTurn(Program(), kInstanceName);
    EXPECT_TRUE(Holds(first));
    EXPECT_TRUE(fs::exists(DatabaseLockFile(Program())));
    EXPECT_FALSE(fs::exists(Marker()));
}

TEST_F(SingleCopyTest, AStartHandsOverToARunningCopyThatTakesItsFrontRequest) {
    const std::optional<CopyLocks> running = TakeTurn(Program(), kInstanceName);
    ASSERT_TRUE(Holds(running));
    auto second = StartBeside(Program());
    ASSERT_TRUE(MarkerLeft());
    fs::remove(Marker()); // the running copy's bring-to-front poll
    EXPECT_FALSE(second.get().has_value());
}

TEST_F(SingleCopyTest, AStartWaitsForACopyThatIsClosingAndRunsOnceItHasEnded) {
    std::optional<CopyLocks> closing = TakeTurn(Program(), kInstanceName);
    ASSERT_TRUE(Holds(closing));
    auto second = StartBeside(Program());
    ASSERT_TRUE(MarkerLeft());
    // A closing copy takes no front request: the start is still waiting a while later.
    EXPECT_EQ(second.wait_for(500ms), std::future_status::timeout);
    closing.reset();
    const std::optional<CopyLocks> after = second.get();
    EXPECT_TRUE(Holds(after));
    EXPECT_TRUE(fs::exists(Marker())) << "its own window takes the front request once it runs";
}

TEST_F(SingleCopyTest, ACopyOfAnotherSessionOnTheSameFolderIsWaitedForToo) {
    std::optional<CopyLocks> otherSession = TakeTurn(Program(), kInstanceName);
    ASSERT_TRUE(Holds(otherSession));
    test::TempFolder ownRuntime;
    UseRuntime(ownRuntime.Path()); // this session's instance lock is free; the database is not

    auto handedOver = StartBeside(Program());
    ASSERT_TRUE(MarkerLeft());
    fs::remove(Marker());
    EXPECT_FALSE(handedOver.get().has_value());

    auto runsAfter = StartBeside(Program());
    ASSERT_TRUE(MarkerLeft());
    otherSession.reset();
    EXPECT_TRUE(Holds(runsAfter.get()));
}

TEST_F(SingleCopyTest, AStartFromAnotherFolderHandsOverAtOnceAndLeavesItsMarkerThere) {
    const std::optional<CopyLocks> running = TakeTurn(Program(), kInstanceName);
    ASSERT_TRUE(Holds(running));
    const fs::path other = folder / "other";
    EXPECT_FALSE(TakeTurn(other, kInstanceName, {20ms, 30s}).has_value());
    EXPECT_TRUE(fs::exists(FrontRequestMarker(other)));
    EXPECT_FALSE(fs::exists(Marker()));
}

TEST_F(SingleCopyTest, ACopyThatNeitherTakesTheRequestNorEndsIsWaitedForOnlySoLong) {
    const std::optional<CopyLocks> stuck = TakeTurn(Program(), kInstanceName);
    ASSERT_TRUE(Holds(stuck));
    EXPECT_FALSE(TakeTurn(Program(), kInstanceName, {20ms, 300ms}).has_value());
    EXPECT_TRUE(fs::exists(Marker()));
}

} // namespace
} // namespace brisko::app
