#include "ProgramProcess.h"

#include <QTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace brisko::test {

namespace fs = std::filesystem;

ProgramCopy::ProgramCopy(const fs::path& folder_, const std::string& exeName)
    : folder(folder_), exe(folder_ / exeName) {
    const fs::path built = BRISKO_PROGRAM_DIR;
    fs::create_directories(folder / "BD");
    fs::copy_file(built / BRISKO_PROGRAM_FILE_NAME, exe);
    fs::copy_file(built / "BD" / "BANCO.db", folder / "BD" / "BANCO.db");
    fs::copy_file(built / "fechar.sh", folder / "fechar.sh");
}

Session::Session() {
    fs::permissions(Root(), fs::perms::owner_all, fs::perm_options::replace);
}

std::map<std::string, std::string> Session::Environment(const std::string& configFolder) const {
    std::map<std::string, std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const auto eq = text.find('=');
        if (eq != std::string::npos) {
            env[text.substr(0, eq)] = text.substr(eq + 1);
        }
    }
    env["QT_QPA_PLATFORM"] = "offscreen";
    env["HOME"] = Root().string();
    env["XDG_RUNTIME_DIR"] = Root().string();
    env["XDG_CONFIG_HOME"] = (Root() / configFolder).string();
    env["XDG_CONFIG_DIRS"] = (Root() / "xdg").string();
    return env;
}

ProgramProcess::ProgramProcess(const fs::path& exe, const std::map<std::string, std::string>& environment) {
    std::vector<std::string> envText;
    for (const auto& [name, value] : environment) {
        envText.push_back(name + "=" + value);
    }
    std::vector<char*> envp;
    for (auto& text : envText) {
        envp.push_back(text.data());
    }
    envp.push_back(nullptr);
    std::string exeText = exe.string();
    char* argv[] = {exeText.data(), nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int failed = posix_spawn(&pid_, exeText.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        throw std::runtime_error("cannot start " + exeText);
    }
}

ProgramProcess::~ProgramProcess() {
    if (!exitCode_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

std::optional<int> ProgramProcess::WaitExit(std::chrono::milliseconds timeout) {
    const bool exited = QTest::qWaitFor(
        [this] {
            int status = 0;
            if (!exitCode_ && waitpid(pid_, &status, WNOHANG) == pid_) {
                exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            return exitCode_.has_value();
        },
        static_cast<int>(timeout.count()));
    return exited ? exitCode_ : std::nullopt;
}

bool ProgramProcess::Running() {
    return !WaitExit(std::chrono::milliseconds(0)).has_value();
}

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace brisko::test
