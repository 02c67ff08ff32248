#pragma once
// A program folder nobody may write (directories 0555, files 0444, the executable 0555), and the
// means to run a process as an ordinary user: root ignores file modes, so as root the process is
// started as user nobody instead.
#include <filesystem>
#include <string>

namespace brisko::test {

inline constexpr unsigned kNobody = 65534;

bool RunningAsRoot();

// Sets every directory under and including `folder` to 0555 and every file to 0444 (0555 for
// `executable`), or back to 0755 / 0644 so that a temporary folder can be removed again.
void MakeReadOnly(const std::filesystem::path& folder, const std::filesystem::path& executable = {});
void MakeWritable(const std::filesystem::path& folder);

// Opens the folder again when the test ends, however it ends, so that it can be removed.
struct WritableAgain {
    std::filesystem::path folder;
    ~WritableAgain() { MakeWritable(folder); }
};

// The names under `folder`, to show that nothing was added or removed.
std::string ListTree(const std::filesystem::path& folder);

// The command that runs the rest of a command line as user nobody (empty unless root).
std::string AsNobodyPrefix();

} // namespace brisko::test
