#pragma once
// The Windows start-at-logon entries, one Run key per root; apart so that a test can hand the
// writer a root that cannot be written.
#include <windows.h>

#include <filesystem>
#include <string>

namespace brisko::platform {

// The Run keys, relative to their roots (HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE).
inline constexpr wchar_t kUserRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kMachineRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// The value data: the quoted program path followed by the autostart argument.
std::wstring AutostartCommand(const std::filesystem::path& programExe);

// Opens (or creates) runKey under root for full access and sets the "BriskoDerereve" string
// value; false, with nothing changed, when the key cannot be opened or the value not set.
bool WriteRunValue(HKEY root, const wchar_t* runKey, const std::filesystem::path& programExe);

} // namespace brisko::platform
