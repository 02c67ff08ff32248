#pragma once
// Operating-system services behind one interface; one implementation file per system
// (platform_posix.cpp, platform_win.cpp). No Qt here, so the Windows side compiles with mingw alone.
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

namespace brisko::platform {

// The running executable and its folder; every file of the program is found relative to the
// folder, never to the current directory. Throws std::filesystem::filesystem_error only when the
// system cannot name its own executable.
std::filesystem::path ExecutablePath();
std::filesystem::path ProgramFolder();

enum class LockState {
    Acquired,       // this copy holds the lock
    AlreadyRunning, // another copy holds the lock
    Unavailable     // the lock could not be created at all: carry on as the only copy
};

// A lock one process at a time holds, until the object (and so the process) goes away.
class InstanceLock {
public:
    virtual ~InstanceLock() = default;
    virtual LockState State() const = 0;
    // Another copy held it: waits up to `timeout` for that copy to let it go, and takes it then.
    // True once this object holds the lock; 0 tries once. Unavailable: false at once.
    virtual bool WaitForRelease(std::chrono::milliseconds timeout) = 0;
};

// The per-session instance lock named after the executable's file name + "Mutex".
// Windows: a named mutex of the logon session. Elsewhere: a lock file of that name in the user's
// runtime folder ($XDG_RUNTIME_DIR, or a private per-user folder under /tmp), not inherited by
// child processes.
std::unique_ptr<InstanceLock> AcquireInstanceLock(const std::string& name);

// An exclusive lock on `file`, made when missing and never deleted, that every process of the
// computer sees, whatever its session or runtime folder (flock / LockFileEx). A file that may only
// be read is locked all the same; one that cannot be opened at all is Unavailable. Not inherited by
// child processes.
std::unique_ptr<InstanceLock> AcquireFileLock(const std::filesystem::path& file);

// Writes the start-at-logon entries for the current user, then for the whole machine; a root
// that cannot be written is skipped silently. programExe is the full path the entries name.
// Windows: the "BriskoDerereve" value of both Run keys. Elsewhere: BriskoDerereve.desktop in
// $XDG_CONFIG_HOME/autostart, then in <first of $XDG_CONFIG_DIRS>/autostart.
void WriteAutostartEntries(const std::filesystem::path& programExe);

// Opens a web address (UTF-8) with the system's default handler; the outcome is not checked.
void OpenUrl(const std::string& url);

// Starts a command file hidden and detached, in its own folder, without waiting for it, with the
// caller's process id as its one argument. Outside Windows it runs as `/bin/sh <file> <pid>` with no
// terminal attached.
void StartCommandFileHidden(const std::filesystem::path& commandFile);

// Restores a minimised native window and brings it to the foreground (Win32 handle on Windows;
// elsewhere the toolkit does it and this does nothing).
void BringWindowToFront(void* nativeWindow);

// Plays the program's alert chime (AlertChime.h) without waiting for it. Windows: PlaySound from
// memory, or the system's exclamation sound when that fails. Elsewhere nothing is played and the
// answer is false, so that the caller may use what its toolkit offers.
bool PlayAlertSound();

} // namespace brisko::platform
