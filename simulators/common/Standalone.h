#pragma once
// Running a simulator as its own process (for the demo and for manual checks).
#include "SimServer.h"

#include <string_view>

namespace brisko::sim {

// Blocks SIGINT and SIGTERM in the calling thread and so in every thread started after it: call it
// before any, so that WaitForStopSignal alone takes them.
void BlockStopSignals();
// Waits until SIGINT or SIGTERM comes.
void WaitForStopSignal();

// Starts server on 127.0.0.1:port, prints where it listens, serves until SIGINT or SIGTERM,
// then stops it. Answers the process exit code (1 when the port could not be bound).
int RunUntilSignalled(SimServer& server, int port, std::string_view name);

} // namespace brisko::sim
