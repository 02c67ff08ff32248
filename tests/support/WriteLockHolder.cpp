#include "WriteLockHolder.h"

namespace brisko::test {

WriteLockHolder::~WriteLockHolder() {
    if (releaser_.joinable()) {
        releaser_.join();
    }
    Release();
}

void WriteLockHolder::ReleaseAfter(std::chrono::milliseconds held) {
    releaser_ = std::thread([this, held] {
        std::this_thread::sleep_for(held);
        Release();
    });
}

} // namespace brisko::test
