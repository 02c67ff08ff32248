#include "ExitReport.h"

#include "ProgramFiles.h"

#include <fstream>
#include <string>

namespace brisko::app {

namespace {

// Peak virtual size, peak resident size ("high water mark") and current resident size.
constexpr const char* kMemoryFields[] = {"VmPeak:", "VmHWM:", "VmRSS:"};

bool IsMemoryField(const std::string& line) {
    for (const char* field : kMemoryFields) {
        if (line.starts_with(field)) {
            return true;
        }
    }
    return false;
}

} // namespace

std::filesystem::path ExitReportSwitch(const std::filesystem::path& programFolder) {
    return platform::RequestFolder(programFolder) / "report.ini";
}

void WriteExitReport(const std::filesystem::path& programFolder) {
    std::ofstream report(platform::RequestFolder(programFolder) / "report.txt", std::ios::trunc);
    std::ifstream status("/proc/self/status");
    bool any = false;
    for (std::string line; std::getline(status, line);) {
        if (IsMemoryField(line)) {
            report << line << '\n';
            any = true;
        }
    }
    if (!any) {
        report << "memory figures not available on this system\n";
    }
}

} // namespace brisko::app
