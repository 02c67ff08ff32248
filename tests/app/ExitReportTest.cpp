// The developers' exit report.
#include "ExitReport.h"
#include "ProgramProcess.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <regex>

namespace brisko::test {
namespace {

TEST(ExitReportTest, RecordsPeakAndResidentMemoryOfThisProcess) {
    QTemporaryDir dir;
    const std::filesystem::path folder = dir.path().toStdString();
    std::filesystem::create_directories(folder / "open");
    EXPECT_EQ(app::ExitReportSwitch(folder), folder / "open" / "report.ini");

    app::WriteExitReport(folder);
    const std::string report = ReadFile(folder / "open" / "report.txt");
    for (const char* field : {"VmHWM", "VmRSS"}) {
        EXPECT_TRUE(
            std::regex_search(report, std::regex(std::string("(^|\n)") + field + R"(:\s+[1-9][0-9]* kB)")))
            << field << " missing from:\n"
            << report;
    }
}

} // namespace
} // namespace brisko::test
