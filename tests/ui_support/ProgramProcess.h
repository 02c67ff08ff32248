#pragma once
// The real program in temporary program folders, started with its own session folders (runtime,
// configuration) so that it never meets a developer's running copy or writes outside the test.
#include "ProgramFiles.h"

#include <QTemporaryDir>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>

namespace brisko::test {

// A program folder holding a copy of the built executable (under any file name), the prepared
// database and the command file.
struct ProgramCopy {
    ProgramCopy(const std::filesystem::path& folder, const std::string& exeName);
    std::filesystem::path folder;
    std::filesystem::path exe;

    std::filesystem::path Marker() const { return platform::FrontRequestMarker(folder); }
};

// One user's desktop session: runtime folder (where the instance lock lives) and configuration
// folders (where the autostart entries land).
class Session {
public:
    Session();
    std::filesystem::path Root() const { return root_.path().toStdString(); }
    std::filesystem::path UserAutostart() const { return Root() / "config/autostart/BriskoDerereve.desktop"; }
    std::filesystem::path MachineAutostart() const { return Root() / "xdg/autostart/BriskoDerereve.desktop"; }
    // The same session seen with another configuration folder, to tell which copy wrote entries.
    std::map<std::string, std::string> Environment(const std::string& configFolder = "config") const;

private:
    QTemporaryDir root_;
};

// A started program; killed and reaped when the object goes away.
class ProgramProcess {
public:
    ProgramProcess(const std::filesystem::path& exe, const std::map<std::string, std::string>& environment);
    ~ProgramProcess();
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    // The exit code once the process has ended within the time-out; nothing if it still runs.
    std::optional<int> WaitExit(std::chrono::milliseconds timeout);
    bool Running();

private:
    pid_t pid_ = -1;
    std::optional<int> exitCode_;
};

std::string ReadFile(const std::filesystem::path& file);

} // namespace brisko::test
