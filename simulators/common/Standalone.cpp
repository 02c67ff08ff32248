#include "Standalone.h"

#include <csignal>
#include <iostream>
#include <pthread.h>

namespace brisko::sim {

int RunUntilSignalled(SimServer& server, int port, std::string_view name) {
    // Blocked before the server's threads exist, so that they inherit the mask and the
    // signal is taken here by sigwait alone.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    if (!server.Start(port)) {
        std::cerr << name << ": cannot listen on 127.0.0.1:" << port << "\n";
        return 1;
    }
    std::cout << name << " listening on " << server.BaseUrl() << std::endl;
    int received = 0;
    sigwait(&signals, &received);
    server.Stop();
    std::cout << name << " stopped" << std::endl;
    return 0;
}

} // namespace brisko::sim
