#include "LoadableModule.h"

#include <windows.h>

namespace brisko::platform {

void* LoadModuleEntry(const std::filesystem::path& file, const char* entry, std::string& failure) {
    // Never freed: the entry's address must stay valid for every later call.
    HMODULE module = LoadLibraryW(file.c_str());
    if (module == nullptr) {
        failure = "cannot load " + file.string() + " (error " + std::to_string(GetLastError()) + ")";
        return nullptr;
    }
    FARPROC address = GetProcAddress(module, entry);
    if (address == nullptr) {
        failure = std::string("no ") + entry + " in " + file.string() + " (error " +
                  std::to_string(GetLastError()) + ")";
        return nullptr;
    }
    return reinterpret_cast<void*>(address);
}

} // namespace brisko::platform
