#pragma once
// The diagnostic log for support: a few small files in the program folder's log folder, the newest
// first, each line with its local time. Nothing that signs in (passwords, tokens, keys, the
// Authorization header) is ever handed to it: callers write outcomes, operations, statuses and
// result texts only. Writing never throws and never fails what it records.
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace brisko::platform {

inline constexpr std::size_t kLogFileBytes = std::size_t{1} << 20;
inline constexpr int kLogFiles = 4;

inline std::filesystem::path LogFolder(const std::filesystem::path& programFolder) {
    return programFolder / "log";
}

// The log file `index` of the folder: 0 the one written, 1 the one before, ...
std::filesystem::path LogFile(const std::filesystem::path& folder, int index);

// Opens the process's log in `folder` (made when missing); the lines written before go nowhere.
// A folder that cannot be written leaves the log closed, silently.
void OpenDiagnosticLog(const std::filesystem::path& folder, std::size_t fileBytes = kLogFileBytes,
                       int files = kLogFiles);
// Closes it: later lines go nowhere.
void CloseDiagnosticLog();
// Appends one line, from any thread: "yyyy-mm-dd hh:mm:ss.mmm <text>". A line that would take the
// file past its size starts a new file; the oldest goes.
void Log(std::string_view text);
// One failed call of a service: "<service> <method> <path> HTTP <status>: <text>". The query goes
// (it carries addresses), the status reads "-" when no response came, the text is cut to 500 bytes.
void LogFailure(std::string_view service, std::string_view method, std::string_view pathAndQuery, long status,
                std::string_view text);

} // namespace brisko::platform
