#pragma once
// Carries out integration passes on one worker thread of its own, one at a time.
#include "IntegrationPass.h"

#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <mutex>
#include <thread>

namespace brisko::cycle {

class PassRunner {
public:
    // The worker opens its own connection to `databaseFile` at its first pass (and again at a
    // later pass if opening failed: that failure is reported like any error of a pass).
    PassRunner(std::filesystem::path databaseFile, PassServices services, PassOutlets outlets);
    // Drops a pass still waiting, waits for the running one to end, and joins the worker. The
    // window side must let blocking outlets return while it waits here.
    ~PassRunner();
    PassRunner(const PassRunner&) = delete;
    PassRunner& operator=(const PassRunner&) = delete;

    // Asks for a pass; returns at once, from any thread. Idle: the pass starts now. While a pass
    // runs: one more pass follows it, however many times this is called meanwhile.
    void RequestPass();

    // Blocks until no pass runs and none is waiting; answers how many passes have ended so far.
    std::size_t WaitIdle();

private:
    void Work();

    const std::filesystem::path databaseFile_;
    const PassServices services_;
    const PassOutlets outlets_;

    std::mutex mutex_;
    std::condition_variable wake_;
    bool requested_ = false;
    bool running_ = false;
    bool stopping_ = false;
    std::size_t passesEnded_ = 0;
    std::thread worker_; // last: starts after every member above is ready
};

} // namespace brisko::cycle
