#include "Http.h"

#include "HttpsModule.h"
#include "LoadableModule.h"
#include "Platform.h"

#include <exception>

namespace brisko::net {

namespace {

struct LoadedTransfer {
    HttpsEntry entry = nullptr;
    std::string failure; // why there is no entry
};

LoadedTransfer LoadTransfer() {
    LoadedTransfer loaded;
    std::string besideProgram;
    try {
        const auto file = platform::ProgramFolder() / kHttpsModuleFile;
        if (void* address = platform::LoadModuleEntry(file, kHttpsEntry, besideProgram)) {
            loaded.entry = reinterpret_cast<HttpsEntry>(address);
            return loaded;
        }
    } catch (const std::exception& e) {
        besideProgram = e.what();
    }
    if (void* address = platform::LoadModuleEntry(kHttpsModuleFile, kHttpsEntry, loaded.failure)) {
        loaded.entry = reinterpret_cast<HttpsEntry>(address);
    } else {
        loaded.failure = "HTTPS module not loaded: " + besideProgram + "; " + loaded.failure;
    }
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
