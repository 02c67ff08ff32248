// The platform services on Windows: plain Win32, so that it builds with mingw-w64 alone.
#include "AlertChime.h"
#include "AutostartEntry.h"
#include "Platform.h"
#include "RunKeyWin.h"

#include <mmsystem.h>
#include <shellapi.h>

#include <algorithm>
#include <string_view>

namespace brisko::platform {

namespace fs = std::filesystem;

namespace {

std::wstring Utf8ToWide(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
    return wide;
}

// How often a wait for a file lock held elsewhere tries again.
constexpr DWORD kLockRetryMs = 20;

DWORD WaitMs(std::chrono::milliseconds timeout) {
    return static_cast<DWORD>(std::clamp<std::chrono::milliseconds::rep>(timeout.count(), 0, INFINITE - 1));
}

// A named mutex. A copy that found it taken keeps its handle, so that it can wait for the holder.
class MutexInstanceLock final : public InstanceLock {
public:
    MutexInstanceLock(LockState state, HANDLE mutex) : state_(state), mutex_(mutex) {}
    MutexInstanceLock(const MutexInstanceLock&) = delete;
    MutexInstanceLock& operator=(const MutexInstanceLock&) = delete;
    ~MutexInstanceLock() override {
        if (mutex_ != nullptr) {
            CloseHandle(mutex_);
        }
    }
    LockState State() const override { return state_; }

    bool WaitForRelease(std::chrono::milliseconds timeout) override {
        if (state_ != LockState::AlreadyRunning) {
            return state_ == LockState::Acquired;
        }
        // A holder that ends without releasing leaves the mutex abandoned: it is ours all the same.
        const DWORD waited = WaitForSingleObject(mutex_, WaitMs(timeout));
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
            state_ = LockState::Acquired;
        }
        return state_ == LockState::Acquired;
    }

private:
    LockState state_;
    HANDLE mutex_;
};

// LockFileEx on the first byte of an open file. A copy that found it taken keeps its handle, so
// that it can wait for the holder.
class FileLock final : public InstanceLock {
public:
    explicit FileLock(HANDLE file) : file_(file) {}
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock() override {
        if (file_ != INVALID_HANDLE_VALUE) {
            CloseHandle(file_); // the lock goes with the handle
        }
    }
    LockState State() const override { return state_; }

    LockState TryTake() {
        OVERLAPPED first{};
        if (LockFileEx(file_, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &first)) {
            return state_ = LockState::Acquired;
        }
        return state_ = GetLastError() == ERROR_LOCK_VIOLATION ? LockState::AlreadyRunning
                                                               : LockState::Unavailable;
    }

    bool WaitForRelease(std::chrono::milliseconds timeout) override {
        if (state_ != LockState::AlreadyRunning) {
            return state_ == LockState::Acquired;
        }
        const ULONGLONG deadline = GetTickCount64() + WaitMs(timeout);
        while (TryTake() == LockState::AlreadyRunning) {
            if (GetTickCount64() >= deadline) {
                return false;
            }
            Sleep(kLockRetryMs);
        }
        return state_ == LockState::Acquired;
    }

private:
    HANDLE file_;
    LockState state_ = LockState::Unavailable;
};

HANDLE OpenLockFile(const fs::path& file, DWORD access, DWORD disposition) {
    // Full sharing: every copy opens the same file to lock it; the handle is not inherited.
    return CreateFileW(file.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

std::wstring AutostartCommand(const fs::path& programExe) {
    return L"\"" + programExe.wstring() + L"\" " + Utf8ToWide(kAutostartArgument);
}

bool WriteRunValue(HKEY root, const wchar_t* runKey, const fs::path& programExe) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, runKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const std::wstring name = Utf8ToWide(kAutostartEntryName);
    const std::wstring data = AutostartCommand(programExe);
    const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    const LSTATUS status =
        RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), bytes);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

fs::path ExecutablePath() {
    // Grow the buffer until the whole path fits: paths may exceed MAX_PATH.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            throw fs::filesystem_error("GetModuleFileNameW", std::error_code(static_cast<int>(GetLastError()),
                                                                             std::system_category()));
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return fs::path(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

fs::path ProgramFolder() {
    return ExecutablePath().parent_path();
}

std::unique_ptr<InstanceLock> AcquireInstanceLock(const std::string& name) {
    // No "Global\" prefix: the lock belongs to the current logon session.
    HANDLE mutex = CreateMutexW(nullptr, TRUE, Utf8ToWide(name).c_str());
    if (mutex == nullptr) {
        return std::make_unique<MutexInstanceLock>(LockState::Unavailable, nullptr);
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        return std::make_unique<MutexInstanceLock>(LockState::AlreadyRunning, mutex);
    }
    return std::make_unique<MutexInstanceLock>(LockState::Acquired, mutex);
}

std::unique_ptr<InstanceLock> AcquireFileLock(const fs::path& file) {
    HANDLE handle = OpenLockFile(file, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
    if (handle == INVALID_HANDLE_VALUE) {
        handle = OpenLockFile(file, GENERIC_READ, OPEN_EXISTING); // locking needs no write access
    }
    auto lock = std::make_unique<FileLock>(handle);
    if (handle != INVALID_HANDLE_VALUE) {
        lock->TryTake();
    }
    return lock;
}

void WriteAutostartEntries(const fs::path& programExe) {
    // Without administrator rights the machine key cannot be opened; that root is then skipped.
    WriteRunValue(HKEY_CURRENT_USER, kUserRunKey, programExe);
    WriteRunValue(HKEY_LOCAL_MACHINE, kMachineRunKey, programExe);
}

void OpenUrl(const std::string& url) {
    ShellExecuteW(nullptr, L"open", Utf8ToWide(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void StartCommandFileHidden(const fs::path& commandFile) {
    const std::wstring folder = commandFile.parent_path().wstring();
    const std::wstring pid = std::to_wstring(GetCurrentProcessId());
    ShellExecuteW(nullptr, L"open", commandFile.c_str(), pid.c_str(),
                  folder.empty() ? nullptr : folder.c_str(), SW_HIDE);
}

void BringWindowToFront(void* nativeWindow) {
    const auto window = static_cast<HWND>(nativeWindow);
    if (window == nullptr || !IsWindow(window)) {
        return;
    }
    // Only a minimised window is restored: SW_RESTORE would also shrink a maximised one.
    if (IsIconic(window)) {
        ShowWindow(window, SW_RESTORE);
    }
    SetForegroundWindow(window);
}

bool PlayAlertSound() {
    // The chime's bytes live as long as the program, as an asynchronous play needs; the system's
    // exclamation sound stands in where the chime cannot be played.
    const std::string& chime = AlertChimeWav();
    if (PlaySoundW(reinterpret_cast<LPCWSTR>(chime.data()), nullptr,
                   SND_MEMORY | SND_ASYNC | SND_NODEFAULT)) {
        return true;
    }
    return MessageBeep(MB_ICONEXCLAMATION) != FALSE;
}

} // namespace brisko::platform
