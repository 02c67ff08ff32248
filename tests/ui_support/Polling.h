#pragma once
// Waiting for something another process or the event loop does, with a time-out instead of a
// fixed sleep.
#include <chrono>
#include <functional>

namespace brisko::test {

using namespace std::chrono_literals;

// Polls `done` until it holds or `timeout` passes; Qt events are processed between polls.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s);

} // namespace brisko::test
