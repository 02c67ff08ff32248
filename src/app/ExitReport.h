#pragma once
// The developers' exit report, switched on by the presence of "open/report.ini" at start: the
// process's memory figures as the operating system counts them, written when the windows are gone.
#include <filesystem>

namespace brisko::app {

std::filesystem::path ExitReportSwitch(const std::filesystem::path& programFolder);

// Writes "open/report.txt": peak and still-resident memory of this process, or a line saying the
// system does not expose them.
void WriteExitReport(const std::filesystem::path& programFolder);

} // namespace brisko::app
