// sim-host: runs simulators for test programs that cannot host them (built for another system and
// run under an emulator), driven over a plain HTTP control channel on 127.0.0.1.
//
//   sim-host [--port N] -- command [arguments...]   runs the command with BRISKO_SIM_HOST set, then
//                                                   stops; exits with the command's status
//   sim-host [--port N]                              serves until SIGINT or SIGTERM
#include "Host.h"
#include "Standalone.h"
#include "Wire.h"

#include <httplib.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>

extern char** environ;

namespace {

using brisko::sim::Host;

void Answer(Host& host, const httplib::Request& request, httplib::Response& response) {
    try {
        const std::optional<brisko::net::JsonValue> body = brisko::net::ParseJson(request.body);
        if (!body || !body->IsObject()) {
            throw std::invalid_argument("the request is no JSON object");
        }
        response.set_content(host.Carry(request.matches[1].str(), *body), "application/json");
    } catch (const std::exception& e) {
        response.status = 400;
        response.set_content(brisko::sim::JsonObjectWriter().Text("error", e.what()).Close(),
                             "application/json");
    }
}

// Runs the command with the host's address in its environment; answers its exit status.
int RunCommand(char** command, const std::string& address) {
    setenv(brisko::sim::wire::kHostVariable, address.c_str(), 1);
    pid_t child = 0;
    if (posix_spawnp(&child, command[0], nullptr, nullptr, command, environ) != 0) {
        std::cerr << "sim-host: cannot run " << command[0] << ": " << std::strerror(errno) << "\n";
        return 127;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

int main(int argc, char** argv) {
    int port = 0;
    char** command = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--port") == 0 && i + 1 < argc) {
            port = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--") == 0 && i + 1 < argc) {
            command = argv + i + 1;
            break;
        } else {
            std::cerr << "usage: sim-host [--port N] [-- command [arguments...]]\n";
            return 2;
        }
    }
    if (command == nullptr) {
        // Not with a command, which would inherit the blocked signals.
        brisko::sim::BlockStopSignals();
    }

    Host host;
    httplib::Server control;
    control.set_tcp_nodelay(true);
    control.Post(R"(/([a-z-]+))", [&host](const httplib::Request& request, httplib::Response& response) {
        Answer(host, request, response);
    });
    port = port == 0 ? control.bind_to_any_port("127.0.0.1")
                     : (control.bind_to_port("127.0.0.1", port) ? port : -1);
    if (port <= 0) {
        std::cerr << "sim-host: cannot listen on 127.0.0.1\n";
        return 1;
    }
    std::thread serving([&control] { control.listen_after_bind(); });
    const std::string address = "127.0.0.1:" + std::to_string(port);
    std::cout << "sim-host listening on " << address << std::endl;

    int status = 0;
    if (command != nullptr) {
        status = RunCommand(command, address);
    } else {
        brisko::sim::WaitForStopSignal();
    }
    control.stop();
    serving.join();
    return status;
}
