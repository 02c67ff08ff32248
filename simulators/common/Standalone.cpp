#include "Standalone.h"

#include <csignal>
#include <iostream>
#include <pthread.h>

namespace brisko::sim {

namespace {

sigset_t StopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

} // namespace

void BlockStopSignals() {
    const sigset_t signals = StopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

void WaitForStopSignal() {
    const sigset_t signals = StopSignals();
    int received = 0;
    sigwait(&signals, &received);
}

int RunUntilSignalled(SimServer& server, int port, std::string_view name) {
    BlockStopSignals();
    if (!server.Start(port)) {
        std::cerr << name << ": cannot listen on 127.0.0.1:" << port << "\n";
        return 1;
    }
    std::cout << name << " listening on " << server.BaseUrl() << std::endl;
    WaitForStopSignal();
    server.Stop();
    std::cout << name << " stopped" << std::endl;
    return 0;
}

} // namespace brisko::sim
