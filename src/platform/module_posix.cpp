#include "LoadableModule.h"

#include <dlfcn.h>

namespace brisko::platform {

void* LoadModuleEntry(const std::filesystem::path& file, const char* entry, std::string& failure) {
    // Never closed: the entry's address must stay valid for every later call.
    void* module = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        const char* why = dlerror();
        failure = why != nullptr ? why : "cannot load " + file.string();
        return nullptr;
    }
    dlerror(); // a null symbol is told from a missing one by the error it leaves
    void* address = dlsym(module, entry);
    if (const char* why = dlerror(); why != nullptr || address == nullptr) {
        failure = why != nullptr ? why : std::string(entry) + " is null in " + file.string();
        return nullptr;
    }
    return address;
}

} // namespace brisko::platform
