// The Win32 platform layer, run under wine: the named-mutex instance lock, the Run-key autostart
// entries, the program folder, the hidden command file, bringing a window forward, flushing a
// file to the disk.
// Self-contained (mingw has no GoogleTest here): prints "N passed, M failed", exits 1 on a failure.
#include "Platform.h"
#include "RunKeyWin.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

namespace fs = std::filesystem;
using namespace brisko::platform;

namespace {

int passed = 0;
int failed = 0;

void Check(bool ok, const char* what, int line) {
    if (ok) {
        ++passed;
    } else {
        ++failed;
        std::printf("FAILED line %d: %s\n", line, what);
    }
}
#define CHECK(condition) Check((condition), #condition, __LINE__)

constexpr char kLockStateArgument[] = "--lock-state";
constexpr wchar_t kValueName[] = L"BriskoDerereve";

// The lock state another process sees for `name`: this program started again as a probe.
LockState StateSeenByAnotherProcess(const std::string& name) {
    std::wstring command =
        L"\"" + ExecutablePath().wstring() + L"\" --lock-state " + fs::path(name).wstring();
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return static_cast<LockState>(-1);
    }
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<LockState>(code);
}

void InstanceLockIsOnePerNameUntilItsHolderIsGone() {
    auto first = AcquireInstanceLock("BriskoDerereve.exeMutex");
    CHECK(first->State() == LockState::Acquired);
    CHECK(AcquireInstanceLock("BriskoDerereve.exeMutex")->State() == LockState::AlreadyRunning);
    CHECK(StateSeenByAnotherProcess("BriskoDerereve.exeMutex") == LockState::AlreadyRunning);
    CHECK(AcquireInstanceLock("Other.exeMutex")->State() == LockState::Acquired);

    first.reset();
    CHECK(StateSeenByAnotherProcess("BriskoDerereve.exeMutex") == LockState::Acquired);
    CHECK(AcquireInstanceLock("BriskoDerereve.exeMutex")->State() == LockState::Acquired);
}

// The "BriskoDerereve" value under root\runKey, or "<missing>".
std::wstring RunValue(HKEY root, const wchar_t* runKey) {
    wchar_t data[1024] = {};
    DWORD size = sizeof(data);
    DWORD type = 0;
    if (RegGetValueW(root, runKey, kValueName, RRF_RT_ANY, &type, data, &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return L"<missing>";
    }
    return data;
}

void AutostartEntriesNameTheQuotedProgramPath() {
    const fs::path program = L"C:\\Program Files\\Padaria S\u00e3o Jo\u00e3o\\BriskoDerereve.exe";
    const std::wstring expected =
        L"\"C:\\Program Files\\Padaria S\u00e3o Jo\u00e3o\\BriskoDerereve.exe\" --autostart";
    CHECK(AutostartCommand(program) == expected);

    // An earlier value, longer than the new one, is replaced as a whole.
    const std::wstring earlier(300, L'x');
    RegSetKeyValueW(HKEY_CURRENT_USER, kUserRunKey, kValueName, REG_SZ, earlier.c_str(),
                    static_cast<DWORD>((earlier.size() + 1) * sizeof(wchar_t)));

    WriteAutostartEntries(program);
    CHECK(RunValue(HKEY_CURRENT_USER, kUserRunKey) == expected);
    // Under wine the machine key is writable, so it must be written too.
    CHECK(RunValue(HKEY_LOCAL_MACHINE, kMachineRunKey) == expected);

    // Leave no entry that a later start of this wine prefix would try to run.
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kUserRunKey, kValueName);
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kMachineRunKey, kValueName);
}

void RootThatCannotBeWrittenIsSkipped() {
    const fs::path program = L"C:\\Brisko\\BriskoDerereve.exe";
    HKEY closed = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\BriskoPlatformTest", 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &closed, nullptr);
    RegCloseKey(closed);
    const HKEY invalid = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7ffe0));

    CHECK(!WriteRunValue(closed, L"Run", program));
    CHECK(!WriteRunValue(invalid, L"Run", program));
    CHECK(!WriteRunValue(nullptr, L"Run", program));
    // A skipped root leaves the other one to be written.
    CHECK(WriteRunValue(HKEY_CURRENT_USER, L"Software\\BriskoPlatformTest\\Run", program));
    CHECK(RunValue(HKEY_CURRENT_USER, L"Software\\BriskoPlatformTest\\Run") == AutostartCommand(program));
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\BriskoPlatformTest");
}

void ProgramFolderIsTheExecutablesNotTheCurrentOne() {
    const fs::path before = ExecutablePath();
    SetCurrentDirectoryW(fs::temp_directory_path().c_str());
    CHECK(ExecutablePath() == before);
    CHECK(ExecutablePath().filename() == L"platform_win_tests.exe");
    CHECK(ProgramFolder() == before.parent_path());
    CHECK(ProgramFolder().is_absolute());
}

bool WaitForFile(const fs::path& file, std::chrono::seconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!fs::exists(file)) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

void CommandFileRunsInItsOwnFolder() {
    // A folder name outside ASCII checks the UTF-16 path all the way to the shell.
    const fs::path folder = fs::temp_directory_path() /
                            (L"brisko fechar \u00e7\u00e3o " + std::to_wstring(GetCurrentProcessId()));
    fs::create_directories(folder);
    // Relative names: the marker lands in the folder only when the script runs there.
    std::ofstream(folder / L"fechar.bat") << "@echo off\r\necho ran> marker.partial\r\n"
                                             "move /y marker.partial marker > nul\r\n";

    StartCommandFileHidden(folder / L"fechar.bat");
    CHECK(WaitForFile(folder / L"marker", std::chrono::seconds(60)));
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

void BringWindowToFrontRestoresOnlyAMinimisedWindow() {
    BringWindowToFront(nullptr);

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"BriskoPlatformTestWindow";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"test", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                                  nullptr, nullptr, windowClass.hInstance, nullptr);
    CHECK(window != nullptr);

    ShowWindow(window, SW_MINIMIZE);
    CHECK(IsIconic(window));
    BringWindowToFront(window);
    CHECK(!IsIconic(window));
    CHECK(IsWindowVisible(window));

    ShowWindow(window, SW_MAXIMIZE);
    BringWindowToFront(window);
    CHECK(IsZoomed(window));
    DestroyWindow(window);
    BringWindowToFront(window); // no longer a window: nothing happens
}

void SyncFileToDiskFlushesAFileOpenElsewhereAndRefusesWhatIsNoFile() {
    const fs::path folder = fs::temp_directory_path() / L"brisko-sync-\u00e7";
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    fs::create_directories(folder / L"folder-wal");
    {
        std::ofstream writer(folder / L"BANCO.db-wal", std::ios::binary);
        writer << "frames";
        writer.flush();
        CHECK(SyncFileToDisk(folder / L"BANCO.db-wal"));
    }
    CHECK(!SyncFileToDisk(folder / L"missing-wal"));
    CHECK(!fs::exists(folder / L"missing-wal"));
    CHECK(!SyncFileToDisk(folder / L"folder-wal"));
    fs::remove_all(folder, ignored);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], kLockStateArgument) == 0) {
        return static_cast<int>(AcquireInstanceLock(argv[2])->State());
    }
    InstanceLockIsOnePerNameUntilItsHolderIsGone();
    AutostartEntriesNameTheQuotedProgramPath();
    RootThatCannotBeWrittenIsSkipped();
    ProgramFolderIsTheExecutablesNotTheCurrentOne();
    CommandFileRunsInItsOwnFolder();
    BringWindowToFrontRestoresOnlyAMinimisedWindow();
    SyncFileToDiskFlushesAFileOpenElsewhereAndRefusesWhatIsNoFile();
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
