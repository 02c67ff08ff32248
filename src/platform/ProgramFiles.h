#pragma once
// The files the program keeps in its folder besides the executable, named once for every part that
// reads or writes them (the window, the start-up, the tests).
#include <filesystem>

namespace brisko::platform {

inline std::filesystem::path DatabaseFile(const std::filesystem::path& programFolder) {
    return programFolder / "BD" / "BANCO.db";
}

// The lock file beside the database.
inline std::filesystem::path DatabaseLockFile(const std::filesystem::path& programFolder) {
    return programFolder / "BD" / "BANCO.db.lock";
}

// Where a second start leaves its requests to the running copy, and developers their switches.
inline std::filesystem::path RequestFolder(const std::filesystem::path& programFolder) {
    return programFolder / "open";
}

// The bring-to-front request a second start leaves for the running copy.
inline std::filesystem::path FrontRequestMarker(const std::filesystem::path& programFolder) {
    return RequestFolder(programFolder) / "open.ini";
}

} // namespace brisko::platform
