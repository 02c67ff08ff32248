// The Win32 platform layer, run under wine: the named-mutex instance lock and the file lock beside
// the database (held, seen from another process, waited for), the Run-key autostart entries, the
// program folder, the hidden command file, bringing a window forward.
// Self-contained (mingw has no GoogleTest here): prints "N passed, M failed", exits 1 on a failure.
#include "Platform.h"
#include "RunKeyWin.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <fstream>
#include <memory>
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

constexpr wchar_t kLockStateArgument[] = L"--lock-state";
constexpr wchar_t kHoldArgument[] = L"--hold";
constexpr wchar_t kValueName[] = L"BriskoDerereve";

std::string Utf8(const std::wstring& wide) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(length > 0 ? length - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, text.data(), length, nullptr, nullptr);
    return text;
}

// The instance lock of that name, or the file lock of that path when it names a path.
std::unique_ptr<InstanceLock> Acquire(const std::wstring& nameOrFile) {
    if (nameOrFile.find(L'\\') != std::wstring::npos) {
        return AcquireFileLock(fs::path(nameOrFile));
    }
    return AcquireInstanceLock(Utf8(nameOrFile));
}

// This program started again with `arguments`; the caller waits for it and closes the handle.
HANDLE StartThisProgram(const std::wstring& arguments) {
    std::wstring command = L"\"" + ExecutablePath().wstring() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

// The lock state another process sees for `nameOrFile`: this program started again as a probe.
LockState StateSeenByAnotherProcess(const std::wstring& nameOrFile) {
    HANDLE probe = StartThisProgram(L"--lock-state \"" + nameOrFile + L"\"");
    if (probe == nullptr) {
        return static_cast<LockState>(-1);
    }
    WaitForSingleObject(probe, 60000);
    DWORD code = 0;
    GetExitCodeProcess(probe, &code);
    CloseHandle(probe);
    return static_cast<LockState>(code);
}

// Another process that takes the lock, holds it for `ms` and ends without letting it go itself.
// Answers once that process holds it; nullptr when it never did.
HANDLE HeldByAnotherProcess(const std::wstring& nameOrFile, int ms) {
    HANDLE holder = StartThisProgram(L"--hold \"" + nameOrFile + L"\" " + std::to_wstring(ms));
    for (int i = 0; holder != nullptr && i < 3000; ++i) {
        if (Acquire(nameOrFile)->State() == LockState::AlreadyRunning) {
            return holder;
        }
        Sleep(20);
    }
    return nullptr;
}

void InstanceLockIsOnePerNameUntilItsHolderIsGone() {
    auto first = AcquireInstanceLock("BriskoDerereve.exeMutex");
    CHECK(first->State() == LockState::Acquired);
    CHECK(AcquireInstanceLock("BriskoDerereve.exeMutex")->State() == LockState::AlreadyRunning);
    CHECK(StateSeenByAnotherProcess(L"BriskoDerereve.exeMutex") == LockState::AlreadyRunning);
    CHECK(AcquireInstanceLock("Other.exeMutex")->State() == LockState::Acquired);

    first.reset();
    CHECK(StateSeenByAnotherProcess(L"BriskoDerereve.exeMutex") == LockState::Acquired);
    CHECK(AcquireInstanceLock("BriskoDerereve.exeMutex")->State() == LockState::Acquired);
}

void FileLockIsOnePerFileAcrossProcessesAndSurvivesAReadOnlyFile() {
    const fs::path folder = fs::temp_directory_path() / L"brisko-lock-\u00e7";
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    fs::create_directories(folder);
    const fs::path file = folder / L"BANCO.db.lock";
    {
        auto first = AcquireFileLock(file);
        CHECK(first->State() == LockState::Acquired);
        CHECK(fs::exists(file));
        CHECK(AcquireFileLock(file)->State() == LockState::AlreadyRunning);
        CHECK(StateSeenByAnotherProcess(file.wstring()) == LockState::AlreadyRunning);
        CHECK(AcquireFileLock(folder / L"other.lock")->State() == LockState::Acquired);
    }
    CHECK(StateSeenByAnotherProcess(file.wstring()) == LockState::Acquired);

    // A file that may only be read is locked all the same; no file and no folder: unavailable.
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
    {
        auto readOnly = AcquireFileLock(file);
        CHECK(readOnly->State() == LockState::Acquired);
        CHECK(StateSeenByAnotherProcess(file.wstring()) == LockState::AlreadyRunning);
    }
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    auto nowhere = AcquireFileLock(folder / L"missing" / L"BANCO.db.lock");
    CHECK(nowhere->State() == LockState::Unavailable);
    CHECK(!nowhere->WaitForRelease(std::chrono::milliseconds(100)));
    fs::remove_all(folder, ignored);
}

// A start that finds the lock taken waits for its holder to end, within its time, and then holds
// it; a holder that ends without letting go (an abandoned mutex) counts as gone.
void WaitingForALockEndsWhenItsHolderEnds() {
    const fs::path folder = fs::temp_directory_path() / L"brisko-wait";
    std::error_code ignored;
    fs::create_directories(folder);
    for (const std::wstring& nameOrFile :
         {std::wstring(L"BriskoWait.exeMutex"), (folder / L"BANCO.db.lock").wstring()}) {
        HANDLE holder = HeldByAnotherProcess(nameOrFile, 1500);
        CHECK(holder != nullptr);
        auto waiting = Acquire(nameOrFile);
        CHECK(waiting->State() == LockState::AlreadyRunning);
        CHECK(!waiting->WaitForRelease(std::chrono::milliseconds(100)));
        CHECK(waiting->WaitForRelease(std::chrono::seconds(60)));
        CHECK(waiting->State() == LockState::Acquired);
        CHECK(StateSeenByAnotherProcess(nameOrFile) == LockState::AlreadyRunning);
        if (holder != nullptr) {
            WaitForSingleObject(holder, 60000);
            CloseHandle(holder);
        }
    }
    fs::remove_all(folder, ignored);
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
    // Relative names: the marker lands in the folder only when the script runs there; it holds the
    // argument, the caller's process id.
    std::ofstream(folder / L"fechar.bat") << "@echo off\r\necho %1> marker.partial\r\n"
                                             "move /y marker.partial marker > nul\r\n";

    StartCommandFileHidden(folder / L"fechar.bat");
    CHECK(WaitForFile(folder / L"marker", std::chrono::seconds(60)));
    std::string pid;
    std::ifstream(folder / L"marker") >> pid;
    CHECK(pid == std::to_string(GetCurrentProcessId()));
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

} // namespace

int main() {
    // The probes' arguments carry paths: read as UTF-16, not through the ANSI code page.
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc == 3 && std::wcscmp(argv[1], kLockStateArgument) == 0) {
        return static_cast<int>(Acquire(argv[2])->State());
    }
    if (argc == 4 && std::wcscmp(argv[1], kHoldArgument) == 0) {
        const auto held = Acquire(argv[2]);
        held->WaitForRelease(std::chrono::seconds(60)); // the test's own probe may hold it a moment
        Sleep(static_cast<DWORD>(std::wcstol(argv[3], nullptr, 10)));
        ExitProcess(held->State() == LockState::Acquired ? 0 : 1); // the lock is left to the system
    }
    InstanceLockIsOnePerNameUntilItsHolderIsGone();
    FileLockIsOnePerFileAcrossProcessesAndSurvivesAReadOnlyFile();
    WaitingForALockEndsWhenItsHolderEnds();
    AutostartEntriesNameTheQuotedProgramPath();
    RootThatCannotBeWrittenIsSkipped();
    ProgramFolderIsTheExecutablesNotTheCurrentOne();
    CommandFileRunsInItsOwnFolder();
    BringWindowToFrontRestoresOnlyAMinimisedWindow();
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
