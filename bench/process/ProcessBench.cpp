// The program as a process, started the way an operator starts it, under the offscreen platform:
//  - start to first paint of the main window, beside the minimal Qt Widgets window (10 starts of
//    each, alternating); the first paint is stamped by the preloaded brisko_first_paint library;
//  - the same with the page cache dropped before every start (5 of each), where the system lets it;
//  - peak resident memory (VmHWM) after 60 s signed in with 50 orders in the list, both
//    simulators answering on the build's own ports.
// Each run gets a program folder of its own (a copy of the executable and a fresh database) and a
// home folder of its own, so that the autostart entry lands in the temporary folder.
#include "ConfigDelivery.h"
#include "DispatchSimulator.h"
#include "Figures.h"
#include "MarketplaceSimulator.h"
#include "ProcessStatus.h"
#include "Store.h"
#include "TempFolder.h"
#include "TestDatabase.h"
#include "URovezor.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using namespace brisko;
namespace fs = std::filesystem;

constexpr int kStarts = 10;

long long MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

// A program folder with a copy of the executable and a fresh database, and a home folder.
struct ProgramCopy {
    explicit ProgramCopy(const test::TempFolder& folder)
        : root(folder.Path()), program(root / "program" / fs::path(BENCH_PROGRAM).filename()),
          database(root / "program" / "BD" / "BANCO.db") {
        fs::create_directories(database.parent_path());
        fs::create_directories(root / "home");
        fs::create_directories(root / "run");
        fs::permissions(root / "run", fs::perms::owner_all, fs::perm_options::replace);
        fs::copy_file(BENCH_PROGRAM, program, fs::copy_options::overwrite_existing);
        test::FreshDatabase(database);
    }
    fs::path root;
    fs::path program;
    fs::path database;
};

struct Child {
    pid_t pid = -1;
    int output = -1; // the child's standard output
};

Child Spawn(const fs::path& executable, const fs::path& root, bool stampFirstPaint) {
    std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen", "HOME=" + (root / "home").string(),
                                    "XDG_CONFIG_HOME=" + (root / "home" / ".config").string(),
                                    "XDG_RUNTIME_DIR=" + (root / "run").string(), "PATH=/usr/bin:/bin"};
    if (stampFirstPaint) {
        env.push_back(std::string("LD_PRELOAD=") + BENCH_FIRST_PAINT_LIBRARY);
    }
    std::vector<char*> envp;
    for (std::string& entry : env) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    std::string path = executable.string();
    char* argv[] = {path.data(), nullptr};

    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    Child child;
    const int rc = posix_spawn(&child.pid, path.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (rc != 0) {
        close(pipeFds[0]);
        throw std::runtime_error("cannot start " + path);
    }
    child.output = pipeFds[0];
    return child;
}

// Milliseconds from just before the start to the first paint the child reports.
double StartToFirstPaint(const fs::path& executable, const fs::path& root) {
    const long long start = MonotonicNs();
    const Child child = Spawn(executable, root, true);
    std::string output;
    char buffer[256];
    ssize_t n = 0;
    while ((n = read(child.output, buffer, sizeof buffer)) > 0) {
        output.append(buffer, static_cast<std::size_t>(n));
    }
    close(child.output);
    int status = 0;
    waitpid(child.pid, &status, 0);
    const auto at = output.find("FIRST_PAINT ");
    if (at == std::string::npos) {
        throw std::runtime_error(executable.string() + " ended without a first paint: " + output);
    }
    const long long painted = std::stoll(output.substr(at + 12));
    const auto made = output.find("APPLICATION ");
    const double toApplication =
        made == std::string::npos ? 0
                                  : static_cast<double>(std::stoll(output.substr(made + 12)) - start) / 1e6;
    const double total = static_cast<double>(painted - start) / 1e6;
    std::cerr << "  " << executable.filename().string() << ": first paint " << total << " ms, of which "
              << toApplication << " ms before the application object was made\n";
    return total;
}

// Empties the system's page cache (root only); false where the system does not allow it.
bool DropPageCache() {
    sync();
    std::ofstream control("/proc/sys/vm/drop_caches");
    control << "3\n";
    control.flush();
    return control.good();
}

// The first start after the machine's start: nothing of either program, Qt or the fonts in memory.
// Every start drops the page cache first, which slows everything else on the machine for a while.
void ColdStart() {
    constexpr int kColdStarts = 5;
    test::TempFolder folder;
    const ProgramCopy copy(folder);
    std::vector<double> program;
    std::vector<double> minimal;
    for (int i = 0; i < kColdStarts; ++i) {
        for (auto [executable, times] :
             {std::pair{copy.program, &program}, std::pair{fs::path(BENCH_MINIMAL_WINDOW), &minimal}}) {
            if (!DropPageCache()) {
                bench::PrintRow("start to first paint, cold page cache",
                                "not measured: this system does not let the page cache be dropped",
                                "reported", false);
                return;
            }
            times->push_back(StartToFirstPaint(executable, copy.root));
        }
    }
    bench::PrintRow("start to first paint of the main window (offscreen, page cache dropped before each)",
                    "main window " + bench::Spread(program) + "; minimal window " + bench::Spread(minimal) +
                        "; ratio " + bench::Fixed(bench::Median(program) / bench::Median(minimal), 2),
                    "reported", true);
}

void StartUp() {
    test::TempFolder folder;
    const ProgramCopy copy(folder);
    std::vector<double> program;
    std::vector<double> minimal;
    StartToFirstPaint(copy.program, copy.root); // warm-up of both: the page cache holds them after
    StartToFirstPaint(BENCH_MINIMAL_WINDOW, copy.root);
    for (int i = 0; i < kStarts; ++i) {
        program.push_back(StartToFirstPaint(copy.program, copy.root));
        minimal.push_back(StartToFirstPaint(BENCH_MINIMAL_WINDOW, copy.root));
    }
    const double ratio = bench::Median(program) / bench::Median(minimal);
    bench::PrintRow("start to first paint of the main window (offscreen, warm page cache)",
                    "main window " + bench::Spread(program) + "; minimal window " + bench::Spread(minimal) +
                        "; ratio " + bench::Fixed(ratio, 2),
                    "≤ 1.5 × minimal", ratio <= 1.5);
}

std::size_t CountPath(const sim::SimServer& server, const std::string& path) {
    std::size_t n = 0;
    for (const sim::RecordedRequest& request : server.Requests()) {
        n += request.path == path ? 1 : 0;
    }
    return n;
}

void IdleMemory() {
    constexpr auto kIdle = std::chrono::seconds(60);
    sim::DispatchSimulator platform{build::kDispatchApiKey};
    sim::MarketplaceSimulator market;
    if (!platform.Start(build::kDispatchSimPort) || !market.Start(build::kMarketplaceSimPort)) {
        bench::PrintRow("idle memory (peak RSS, 60 s signed in, 50 orders)",
                        "not measured: the build's simulator ports are taken", "≤ 60 MB", false);
        return;
    }
    market.AddAccount("loja-bench", "segredo");
    test::TempFolder folder;
    const ProgramCopy copy(folder);
    {
        store::Database db(copy.database);
        // Signed in with automatic sign-in on, so that the program signs in by itself at start.
        if (dispatch::LoginEmpresa(build::kDispatchApiKey, "loja@demo.com", "demo123", true, db) != "TRUE") {
            throw std::runtime_error("sign-in at the platform failed");
        }
        store::GravaContaConfigDelivery(db, store::InsereConfigDeliveryVazia(db), "loja-bench", "segredo");
        store::Transaction transaction(db);
        for (int i = 0; i < 50; ++i) {
            test::InsertOrderAt(db, {std::to_string(600000 + i), std::string("ROVEZOR")},
                                std::to_string(-10 * i) + " minutes");
        }
        transaction.Commit();
    }
    platform.ClearRequests();
    const Child child = Spawn(copy.program, copy.root, false);
    std::this_thread::sleep_for(kIdle);
    const long long peakKb = bench::StatusField(child.pid, "VmHWM");
    const long long nowKb = bench::StatusField(child.pid, "VmRSS");
    kill(child.pid, SIGKILL);
    waitpid(child.pid, nullptr, 0);
    close(child.output);
    const std::size_t signIns = CountPath(platform, "/api/integracao/empresa");
    const std::size_t passes = CountPath(market, "/alfredo/auth/token");
    std::cerr << "idle memory: VmHWM " << peakKb << " kB, VmRSS " << nowKb << " kB, sign-ins " << signIns
              << ", passes " << passes << "\n";
    if (signIns == 0 || passes == 0) {
        bench::PrintRow("idle memory (peak RSS, 60 s signed in, 50 orders)",
                        "not measured: the program did not sign in and run a pass", "≤ 60 MB", false);
        return;
    }
    const double peakMb = static_cast<double>(peakKb) / 1024;
    bench::PrintRow("idle memory (peak RSS, 60 s signed in, 50 orders)",
                    "peak " + bench::Fixed(peakMb) + " MB (resident at 60 s " +
                        bench::Fixed(static_cast<double>(nowKb) / 1024) + " MB; " + std::to_string(passes) +
                        " passes ran)",
                    "≤ 60 MB", peakMb <= 60);
}

} // namespace

int main(int argc, char** argv) {
    const std::string only = argc > 1 ? argv[1] : "";
    try {
        if (only.empty() || only == "start") {
            StartUp();
        }
        if (only.empty() || only == "cold") {
            ColdStart();
        }
        if (only.empty() || only == "memory") {
            IdleMemory();
        }
    } catch (const std::exception& e) {
        std::cerr << "bench_process: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
