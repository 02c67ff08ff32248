#pragma once
// The in-process server behind SimServer: cpp-httplib over OpenSSL on 127.0.0.1. A simulator
// derives its own state from it and answers in Handle what nothing was scripted for.
#include "SimServer.h"

#include <httplib.h>

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

namespace brisko::sim {

struct SimServer::Impl {
    Impl(std::optional<Answer> fallbackAnswer, const SimOptions& options);
    virtual ~Impl() = default;

    // A request that nothing was scripted for: the fallback answer, or 404 with no body.
    virtual void Handle(const httplib::Request& request, httplib::Response& response);

    // Waits up to duration; false when the server is stopping (the wait ended early).
    bool WaitUnlessStopping(std::chrono::milliseconds duration);
    void Serve(const httplib::Request& request, httplib::Response& response);
    std::optional<Answer> TakeScripted(const std::string& method, const std::string& path);
    void Apply(const Answer& answer, httplib::Response& response);
    // The network's share of a request's time under the lock: see SetRoundTrip.
    std::chrono::milliseconds NetworkDelay(const httplib::Request& request);

    const std::optional<Answer> fallback;
    httplib::SSLServer server;
    std::thread thread;
    int port = 0;

    mutable std::mutex mutex;
    std::condition_variable stopping;
    bool stopRequested = false;
    std::vector<RecordedRequest> requests;
    std::map<std::pair<std::string, std::string>, std::deque<Answer>> script;
    std::chrono::milliseconds answerDelay{0}; // after every answer to delayedPath ("": any path)
    std::string delayedPath;
    std::chrono::milliseconds roundTrip{0};
    std::deque<int> recentClientPorts; // the connections lately seen, newest last
};

} // namespace brisko::sim
