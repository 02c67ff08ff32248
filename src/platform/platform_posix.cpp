// The platform services on Linux and other POSIX systems; see DESIGN.md for the equivalents.
#include "AutostartEntry.h"
#include "Platform.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace brisko::platform {

namespace fs = std::filesystem;

namespace {

// An environment variable that names an absolute path; relative values are ignored, as the
// desktop base-directory rules ask, so nothing ever lands relative to the current directory.
std::optional<fs::path> AbsolutePathFromEnv(const char* variable) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == '\0' || !fs::path(value).is_absolute()) {
        return std::nullopt;
    }
    return fs::path(value);
}

// $XDG_RUNTIME_DIR, or a private folder of this user under /tmp. The /tmp folder must be a real
// directory owned by us: anyone can create names there, and a planted one must not be used.
std::optional<fs::path> RuntimeFolder() {
    if (auto runtime = AbsolutePathFromEnv("XDG_RUNTIME_DIR")) {
        return runtime;
    }
    const fs::path folder = fs::path("/tmp") / ("brisko-" + std::to_string(getuid()));
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return std::nullopt;
    }
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid()) {
        return std::nullopt;
    }
    return folder;
}

// How often a wait for a lock held elsewhere tries again.
constexpr std::chrono::milliseconds kLockRetry{20};

// A flock on an open file. A copy that found the lock taken keeps its file open, so that it can
// wait for the holder to let go.
class FileInstanceLock final : public InstanceLock {
public:
    FileInstanceLock(LockState state, int fd) : state_(state), fd_(fd) {}
    FileInstanceLock(const FileInstanceLock&) = delete;
    FileInstanceLock& operator=(const FileInstanceLock&) = delete;
    ~FileInstanceLock() override {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    LockState State() const override { return state_; }

    // One try; Unavailable when the file cannot be locked for another reason than a holder.
    LockState TryTake() {
        while (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EINTR) {
                return errno == EWOULDBLOCK ? LockState::AlreadyRunning : LockState::Unavailable;
            }
        }
        return state_ = LockState::Acquired;
    }

    bool WaitForRelease(std::chrono::milliseconds timeout) override {
        if (state_ != LockState::AlreadyRunning) {
            return state_ == LockState::Acquired;
        }
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            const LockState tried = TryTake();
            if (tried != LockState::AlreadyRunning) {
                return tried == LockState::Acquired;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                return false;
            }
            std::this_thread::sleep_for(kLockRetry);
        }
    }

private:
    LockState state_;
    int fd_;
};

std::unique_ptr<InstanceLock> LockWithoutFile(LockState state) {
    return std::make_unique<FileInstanceLock>(state, -1);
}

// Locks an open file (owning it from here on), or tells who has it.
std::unique_ptr<InstanceLock> LockOpenFile(int fd) {
    if (fd < 0) {
        return LockWithoutFile(LockState::Unavailable);
    }
    auto lock = std::make_unique<FileInstanceLock>(LockState::AlreadyRunning, fd);
    if (lock->TryTake() == LockState::Unavailable) {
        return LockWithoutFile(LockState::Unavailable);
    }
    return lock;
}

std::optional<fs::path> UserConfigRoot() {
    if (auto configHome = AbsolutePathFromEnv("XDG_CONFIG_HOME")) {
        return configHome;
    }
    if (auto home = AbsolutePathFromEnv("HOME")) {
        return *home / ".config";
    }
    if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir != nullptr) {
        return fs::path(user->pw_dir) / ".config";
    }
    return std::nullopt;
}

fs::path MachineConfigRoot() {
    if (const char* dirs = std::getenv("XDG_CONFIG_DIRS"); dirs != nullptr) {
        const std::string all(dirs);
        const fs::path first = all.substr(0, all.find(':'));
        if (first.is_absolute()) {
            return first;
        }
    }
    return "/etc/xdg";
}

// The Exec value of a desktop entry running programExe with the autostart argument. The path is
// quoted by the entry format's rules (\ " ` $ escaped inside quotes), then the value is escaped as
// a key-file string, and % doubled so that no part of the path reads as a field code.
std::string DesktopExecValue(const fs::path& programExe) {
    std::string command = "\"";
    for (const char c : programExe.string()) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            command += '\\';
        }
        command += c;
    }
    command += "\" ";
    command += kAutostartArgument;

    std::string value;
    for (const char c : command) {
        switch (c) {
        case '\\':
            value += "\\\\";
            break;
        case '\n':
            value += "\\n";
            break;
        case '\r':
            value += "\\r";
            break;
        case '\t':
            value += "\\t";
            break;
        case '%':
            value += "%%";
            break;
        default:
            value += c;
        }
    }
    return value;
}

// Writes <configRoot>/autostart/BriskoDerereve.desktop; gives up quietly when the root cannot be
// written. The entry is written beside its place and renamed over it, so a failed write never
// leaves a cut-off entry behind.
void WriteDesktopEntry(const fs::path& configRoot, const std::string& execValue) {
    std::error_code ec;
    const fs::path folder = configRoot / "autostart";
    fs::create_directories(folder, ec);
    if (ec) {
        return;
    }
    const std::string fileName = std::string(kAutostartEntryName) + ".desktop";
    const fs::path entry = folder / fileName;
    const fs::path partial = folder / (fileName + ".partial");
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << "[Desktop Entry]\n"
            << "Type=Application\n"
            << "Name=" << kAutostartEntryName << "\n"
            << "Exec=" << execValue << "\n"
            << "Terminal=false\n"
            << "X-GNOME-Autostart-enabled=true\n";
        out.close();
        if (!out) {
            fs::remove(partial, ec);
            return;
        }
    }
    fs::rename(partial, entry, ec);
    if (ec) {
        fs::remove(partial, ec);
    }
}

// Runs args[0] (searched on PATH) in a session of its own with stdin/stdout/stderr on /dev/null,
// and does not wait for it. The middle child exits at once, so the program is adopted by init and
// never lingers as a zombie of ours. Only async-signal-safe calls happen between fork and exec.
void SpawnDetached(const std::vector<std::string>& args, const fs::path& workingFolder) {
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    const std::string folder = workingFolder.string();

    const pid_t child = fork();
    if (child < 0) {
        return;
    }
    if (child == 0) {
        setsid();
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            const int devNull = open("/dev/null", O_RDWR);
            if (devNull >= 0) {
                dup2(devNull, STDIN_FILENO);
                dup2(devNull, STDOUT_FILENO);
                dup2(devNull, STDERR_FILENO);
                if (devNull > STDERR_FILENO) {
                    close(devNull);
                }
            }
            if (!folder.empty() && chdir(folder.c_str()) != 0) {
                _exit(127);
            }
            execvp(argv[0], argv.data());
            _exit(127);
        }
        _exit(grandchild < 0 ? 1 : 0);
    }
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
}

} // namespace

fs::path ExecutablePath() {
    return fs::read_symlink("/proc/self/exe");
}

fs::path ProgramFolder() {
    return ExecutablePath().parent_path();
}

std::unique_ptr<InstanceLock> AcquireInstanceLock(const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
        return LockWithoutFile(LockState::Unavailable);
    }
    const std::optional<fs::path> folder = RuntimeFolder();
    if (!folder) {
        return LockWithoutFile(LockState::Unavailable);
    }
    // O_CLOEXEC: a started child (the command file, the browser) must not keep the lock alive.
    return LockOpenFile(open((*folder / name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
}

std::unique_ptr<InstanceLock> AcquireFileLock(const fs::path& file) {
    // Readable by all: another user's copy on the same folder must be able to see the lock.
    int fd = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0 && (errno == EACCES || errno == EROFS)) {
        fd = open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW); // flock needs no write access
    }
    return LockOpenFile(fd);
}

void WriteAutostartEntries(const fs::path& programExe) {
    const std::string execValue = DesktopExecValue(programExe);
    if (const std::optional<fs::path> userRoot = UserConfigRoot()) {
        WriteDesktopEntry(*userRoot, execValue);
    }
    WriteDesktopEntry(MachineConfigRoot(), execValue);
}

void OpenUrl(const std::string& url) {
    SpawnDetached({"xdg-open", url}, {});
}

void StartCommandFileHidden(const fs::path& commandFile) {
    std::error_code ec;
    const fs::path file = fs::absolute(commandFile, ec);
    if (ec) {
        return;
    }
    SpawnDetached({"/bin/sh", file.string(), std::to_string(getpid())}, file.parent_path());
}

void BringWindowToFront(void* /*nativeWindow*/) {}

bool PlayAlertSound() {
    return false;
}

} // namespace brisko::platform
