// The platform services on Windows: plain Win32, so that it builds with mingw-w64 alone.
#include "AutostartEntry.h"
#include "Platform.h"
#include "RunKeyWin.h"

#include <shellapi.h>

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

private:
    LockState state_;
    HANDLE mutex_;
};

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
        CloseHandle(mutex);
        return std::make_unique<MutexInstanceLock>(LockState::AlreadyRunning, nullptr);
    }
    return std::make_unique<MutexInstanceLock>(LockState::Acquired, mutex);
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
    ShellExecuteW(nullptr, L"open", commandFile.c_str(), nullptr, folder.empty() ? nullptr : folder.c_str(),
                  SW_HIDE);
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

bool SyncFileToDisk(const fs::path& file) {
    // Full sharing: the file stays open in the database engine meanwhile. Without backup semantics
    // a folder cannot be opened, so a folder in the file's place fails as it should.
    HANDLE handle =
        CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool flushed = FlushFileBuffers(handle) != 0;
    return CloseHandle(handle) != 0 && flushed;
}

} // namespace brisko::platform
