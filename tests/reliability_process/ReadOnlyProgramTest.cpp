// The real executable started from a program folder nobody may write, with a home folder it
// cannot write either (the autostart entries land there): it must neither crash nor write, it
// must hold the single-instance lock, and a second start must hand over and leave.
#include "ReadOnlyFolder.h"

#include "ProgramProcess.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace brisko::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A started program whose raw wait status (signal, core) is kept; killed when it goes away.
class Started {
public:
    Started(const std::string& command, const fs::path& errors) {
        pid_ = fork();
        if (pid_ == 0) {
            const int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(err, STDERR_FILENO);
            execl("/bin/sh", "sh", "-c", ("exec " + command).c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~Started() {
        if (!status_) {
            kill(pid_, SIGKILL);
            Wait(10s);
        }
    }
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;

    // The wait status once the process has ended within the time-out.
    std::optional<int> Wait(std::chrono::milliseconds timeout) {
        const bool ended = QTest::qWaitFor(
            [&] {
                int status = 0;
                if (!status_ && waitpid(pid_, &status, WNOHANG) == pid_) {
                    status_ = status;
                }
                return status_.has_value();
            },
            static_cast<int>(timeout.count()));
        return ended ? status_ : std::nullopt;
    }
    void Terminate() { kill(pid_, SIGTERM); }

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

class ReadOnlyProgramTest : public ::testing::Test {
protected:
    ReadOnlyProgramTest() : root(dir.path().toStdString()) {
        // nobody must traverse the temporary root to reach the folders below it.
        fs::permissions(root, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
        fs::create_directories(folder / "BD");
        fs::create_directories(home);
        fs::create_directories(runtime);
        fs::copy_file(fs::path(BRISKO_PROGRAM_DIR) / BRISKO_PROGRAM_FILE_NAME, exe);
        fs::copy_file(fs::path(BRISKO_PROGRAM_DIR) / "fechar.sh", folder / "fechar.sh");
        fs::copy_file(BRISKO_FRESH_DB, folder / "BD" / "BANCO.db");
        MakeReadOnly(folder, exe);
        MakeReadOnly(home);
        if (RunningAsRoot()) {
            // The runtime folder (where the instance lock lives) is the user's own, as it is on a desktop.
            EXPECT_EQ(chown(runtime.c_str(), kNobody, kNobody), 0);
        }
    }
    ~ReadOnlyProgramTest() override {
        MakeWritable(folder);
        MakeWritable(home);
    }

    std::unique_ptr<Started> Start(const std::string& errorsName) {
        const std::string command = "env -i PATH=/usr/bin:/bin QT_QPA_PLATFORM=offscreen HOME='" +
                                    home.string() + "' XDG_CONFIG_HOME='" + (home / "config").string() +
                                    "' XDG_CONFIG_DIRS='" + (home / "xdg").string() + "' XDG_RUNTIME_DIR='" +
                                    runtime.string() + "' " + AsNobodyPrefix() + "'" + exe.string() + "'";
        return std::make_unique<Started>(command, root / errorsName);
    }

    // Whether some process holds the program's instance lock. Read from the kernel's lock table:
    // trying the lock ourselves could win it for a moment and send the program away as a second copy.
    bool LockHeld() const {
        struct stat info {};
        if (stat((runtime / (std::string(BRISKO_PROGRAM_FILE_NAME) + "Mutex")).c_str(), &info) != 0) {
            return false;
        }
        const std::string inode = ":" + std::to_string(info.st_ino) + " ";
        std::ifstream locks("/proc/locks");
        for (std::string line; std::getline(locks, line);) {
            if (line.find("FLOCK") != std::string::npos && line.find(inode) != std::string::npos) {
                return true;
            }
        }
        return false;
    }

    static void ExpectNoCrashReport(const std::string& errors) {
        for (const char* sign :
             {"terminate called", "what():", "Segmentation", "Aborted", "ASSERT", "Fatal"}) {
            EXPECT_EQ(errors.find(sign), std::string::npos) << sign << " in:\n" << errors;
        }
    }

    QTemporaryDir dir;
    fs::path root;
    fs::path folder = root / "program";
    fs::path exe = folder / BRISKO_PROGRAM_FILE_NAME;
    fs::path home = root / "home";
    fs::path runtime = root / "run";
};

TEST_F(ReadOnlyProgramTest, RunsWithoutCrashWritesNothingAndASecondStartHandsOverAndLeaves) {
    const std::string before = ListTree(folder);
    auto first = Start("first.err");
    ASSERT_TRUE(QTest::qWaitFor([&] { return LockHeld(); }, 20'000)) << ReadFile(root / "first.err");

    auto second = Start("second.err");
    const auto handedOver = second->Wait(20s);
    ASSERT_TRUE(handedOver) << "the second start did not end";
    EXPECT_TRUE(WIFEXITED(*handedOver) && WEXITSTATUS(*handedOver) == 0) << "wait status " << *handedOver;

    // The first copy is waiting for the operator to read its message: it must still be there.
    EXPECT_FALSE(first->Wait(3s)) << "the first copy ended: wait status " << *first->Wait(0ms) << "\n"
                                  << ReadFile(root / "first.err");
    EXPECT_TRUE(LockHeld());
    first->Terminate();
    const auto ended = first->Wait(20s);
    ASSERT_TRUE(ended) << "the first copy did not end on SIGTERM";
    EXPECT_TRUE(WIFSIGNALED(*ended) && WTERMSIG(*ended) == SIGTERM && !WCOREDUMP(*ended))
        << "wait status " << *ended;

    ExpectNoCrashReport(ReadFile(root / "first.err"));
    ExpectNoCrashReport(ReadFile(root / "second.err"));
    EXPECT_EQ(ListTree(folder), before);
    EXPECT_EQ(ListTree(home), "");
}

} // namespace
} // namespace brisko::test
