#include "Http.h"

#include "HttpsModule.h"
#include "LoadableModule.h"
#include "Platform.h"

#include <exception>
#include <filesystem>
#include <string>
#include <vector>

namespace brisko::net {

namespace {

struct LoadedTransfer {
    HttpsEntry entry = nullptr;
    std::string failure; // why there is no entry
};

// Beside the program (an installed or copied program folder), else in the build's program folder
// (tests and benchmarks run from folders of their own).
LoadedTransfer LoadTransfer() {
    LoadedTransfer loaded;
    std::vector<std::filesystem::path> candidates;
    try {
        candidates.push_back(platform::ProgramFolder() / kHttpsModuleFile);
    } catch (const std::exception& e) {
        loaded.failure = e.what();
    }
    candidates.push_back(std::filesystem::path(BRISKO_HTTPS_MODULE_BUILD_DIR) / kHttpsModuleFile);
    for (const std::filesystem::path& file : candidates) {
        std::string failure;
        if (void* address = platform::LoadModuleEntry(file, kHttpsEntry, failure)) {
            loaded.entry = reinterpret_cast<HttpsEntry>(address);
            return loaded;
        }
        loaded.failure += (loaded.failure.empty() ? "" : "; ") + failure;
    }
    loaded.failure = "HTTPS module not loaded: " + loaded.failure;
    return loaded;
}

} // namespace

HttpOutcome Perform(const HttpRequest& request) {
    // Loaded once per process, by whichever thread calls first; the others wait for it.
    static const LoadedTransfer transfer = LoadTransfer();
    if (transfer.entry == nullptr) {
        return {std::nullopt, transfer.failure};
    }
    HttpOutcome outcome;
    transfer.entry(&request, &outcome);
    return outcome;
}

} // namespace brisko::net
