// Program entry: one copy per executable name and per database; a second start hands over to the
// running copy and ends before any window exists (so it needs no display).
#include "DarkStyle.h"
#include "DiagnosticLog.h"
#include "ExitReport.h"
#include "PathText.h"
#include "Platform.h"
#include "ProgramFiles.h"
#include "SingleCopy.h"
#include "uMainForm.h"

#include <QApplication>

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

namespace {

int RunWindows(char* programName, const std::filesystem::path& programFolder) {
    // The command line is not read: Qt sees the program name only, so however the program was
    // started (the autostart entry adds " --autostart") it behaves the same.
    int qtArgc = 1;
    char* qtArgv[] = {programName, nullptr};
    QApplication app(qtArgc, qtArgv);
    brisko::ui::ApplyDarkStyle(app);

    brisko::ui::TMainForm mainForm(programFolder);
    mainForm.show();
    return app.exec();
}

} // namespace

int main(int, char** argv) {
    namespace fs = std::filesystem;
    namespace platform = brisko::platform;

    const fs::path programFolder = platform::ProgramFolder();
    std::error_code ignored;
    fs::create_directories(platform::RequestFolder(programFolder), ignored);

    // Held until the process ends: no other copy touches the database meanwhile.
    const std::optional<brisko::app::CopyLocks> locks = brisko::app::TakeTurn(
        programFolder, brisko::store::PathText(platform::ExecutablePath().filename()) + "Mutex");
    if (!locks) {
        return 0;
    }

    const bool exitReport = fs::exists(brisko::app::ExitReportSwitch(programFolder), ignored);
    platform::OpenDiagnosticLog(platform::LogFolder(programFolder));
    platform::Log("início");
    const int exitCode = RunWindows(argv[0], programFolder);
    platform::Log("fim, código " + std::to_string(exitCode));
    platform::CloseDiagnosticLog();
    if (exitReport) {
        brisko::app::WriteExitReport(programFolder);
    }
    return exitCode;
}
