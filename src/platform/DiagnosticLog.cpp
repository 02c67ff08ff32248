#include "DiagnosticLog.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <mutex>
#include <system_error>

namespace brisko::platform {
namespace {

struct LogState {
    std::mutex mutex;
    std::filesystem::path folder; // empty: closed
    std::size_t fileBytes = kLogFileBytes;
    int files = kLogFiles;
    std::ofstream out;
    std::size_t written = 0; // bytes in the file being written
};

LogState& State() {
    static LogState state;
    return state;
}

std::string Stamp() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d ", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis));
    return text;
}

void OpenCurrent(LogState& state) {
    std::error_code error;
    const std::filesystem::path file = LogFile(state.folder, 0);
    state.written = static_cast<std::size_t>(std::filesystem::file_size(file, error));
    if (error) {
        state.written = 0;
    }
    state.out.open(file, std::ios::binary | std::ios::app);
}

void Rotate(LogState& state) {
    state.out.close();
    std::error_code ignored;
    std::filesystem::remove(LogFile(state.folder, state.files - 1), ignored);
    for (int index = state.files - 2; index >= 0; --index) {
        std::filesystem::rename(LogFile(state.folder, index), LogFile(state.folder, index + 1), ignored);
    }
    OpenCurrent(state);
}

} // namespace

std::filesystem::path LogFile(const std::filesystem::path& folder, int index) {
    return folder / (index == 0 ? std::string("BriskoDerereve.log")
                                : "BriskoDerereve." + std::to_string(index) + ".log");
}

void OpenDiagnosticLog(const std::filesystem::path& folder, std::size_t fileBytes, int files) {
    LogState& state = State();
    const std::lock_guard lock(state.mutex);
    state.out.close();
    state.folder.clear();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        return;
    }
    state.folder = folder;
    state.fileBytes = fileBytes;
    state.files = files < 1 ? 1 : files;
    OpenCurrent(state);
    if (!state.out) {
        state.folder.clear();
    }
}

void CloseDiagnosticLog() {
    LogState& state = State();
    const std::lock_guard lock(state.mutex);
    state.out.close();
    state.folder.clear();
}

void Log(std::string_view text) {
    try {
        LogState& state = State();
        const std::lock_guard lock(state.mutex);
        if (state.folder.empty()) {
            return;
        }
        std::string line = Stamp();
        // One event, one line: a result text's own line breaks are kept visible, not obeyed.
        for (const char c : text) {
            line += c == '\n'   ? std::string_view("\\n")
                    : c == '\r' ? std::string_view("\\r")
                                : std::string_view(&c, 1);
        }
        line += '\n';
        if (state.written > 0 && state.written + line.size() > state.fileBytes) {
            Rotate(state);
        }
        state.out << line;
        state.out.flush();
        state.written += line.size();
    } catch (...) {
        // the log never fails what it records
    }
}

void LogFailure(std::string_view service, std::string_view method, std::string_view pathAndQuery, long status,
                std::string_view text) {
    constexpr std::size_t kTextBytes = 500;
    std::string line(service);
    line += ' ';
    line += method;
    line += ' ';
    line += pathAndQuery.substr(0, pathAndQuery.find('?'));
    line += " HTTP ";
    line += status > 0 ? std::to_string(status) : std::string("-");
    line += ": ";
    line += text.substr(0, kTextBytes);
    Log(line);
}

} // namespace brisko::platform
