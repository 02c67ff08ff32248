#include "TempFolder.h"

#include <atomic>
#include <chrono>
#include <random>
#include <string>
#include <system_error>

namespace brisko::test {
namespace {

std::string UniqueName() {
    static std::atomic<unsigned> counter{0};
    std::random_device device;
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    return "brisko-test-" + std::to_string(device()) + "-" + std::to_string(ticks) + "-" +
           std::to_string(counter++);
}

} // namespace

TempFolder::TempFolder() {
    const auto base = std::filesystem::temp_directory_path();
    do {
        path_ = base / UniqueName();
    } while (!std::filesystem::create_directory(path_));
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

} // namespace brisko::test
