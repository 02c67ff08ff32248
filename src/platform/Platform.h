#pragma once
// Operating-system services behind one interface; one implementation file per system
// (platform_posix.cpp, platform_win.cpp). No Qt here, so the Windows side compiles with mingw alone.
#include <filesystem>
#include <memory>
#include <string>

namespace brisko::platform {

// The folder of the running executable; every file of the program is found relative to it.
std::filesystem::path ExecutablePath();
std::filesystem::path ProgramFolder();

enum class LockState {
    Acquired,       // this copy is the only one with this executable name
    AlreadyRunning, // another copy holds the lock
    Unavailable     // the lock could not be created at all: carry on as the only copy
};

// The per-session instance lock named after the executable's file name + "Mutex". Held until
// the object (and so the process) goes away.
class InstanceLock {
public:
    virtual ~InstanceLock() = default;
    virtual LockState State() const = 0;
};
std::unique_ptr<InstanceLock> AcquireInstanceLock(const std::string& name);

// Writes the start-at-logon entries for the current user, then for the whole machine; a root
// that cannot be written is skipped silently. programExe is the full path the entries name.
void WriteAutostartEntries(const std::filesystem::path& programExe);

// Opens a web address with the system's default handler; the outcome is not checked.
void OpenUrl(const std::string& url);

// Starts a command file hidden and detached, without waiting for it.
void StartCommandFileHidden(const std::filesystem::path& commandFile);

// Restores a minimised native window and brings it to the foreground (Win32 handle on Windows;
// elsewhere the toolkit does it and this does nothing).
void BringWindowToFront(void* nativeWindow);

} // namespace brisko::platform
