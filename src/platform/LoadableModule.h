#pragma once
// Shared libraries of the program loaded while it runs, so that their dependencies cost nothing at
// start-up. One implementation file per system (module_posix.cpp, module_win.cpp).
#include <filesystem>
#include <string>

namespace brisko::platform {

// Loads `file` (a bare file name is looked for the system's way) and answers the address of its
// exported `entry`, or nullptr with `failure` set. The module stays loaded for the rest of the
// process. Never throws.
void* LoadModuleEntry(const std::filesystem::path& file, const char* entry, std::string& failure);

} // namespace brisko::platform
