// SimServer driven over the sim-host's control channel.
#include "RemoteState.h"
#include "SimOrder.h"
#include "Wire.h"

#include <iostream>

namespace brisko::sim {

std::filesystem::path TestCertificateFolder() {
    static const std::filesystem::path folder = wire::BytesAt(remote::Call("hello"), "certificates");
    return folder;
}

SimServer::Impl::Impl(const std::string& creation)
    : handle(remote::Call("create", creation).TextAt("server")) {}

net::JsonValue SimServer::Impl::Call(std::string_view operation, Members members) const {
    JsonObjectWriter request;
    request.Member("server", handle);
    for (const auto& [name, value] : members) {
        request.Member(name, value);
    }
    return remote::Call(operation, request.Close());
}

SimServer::SimServer(std::optional<Answer> fallback, SimOptions options)
    : SimServer(std::make_unique<Impl>(JsonObjectWriter()
                                           .Text("kind", "server")
                                           .Member("fallback", fallback ? wire::Write(*fallback) : kJsonNull)
                                           .Member("options", wire::Write(options))
                                           .Close())) {}

SimServer::SimServer(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

SimServer::~SimServer() {
    try {
        impl_->Call("destroy");
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n"; // left to the host, which ends them all when it stops
    }
}

bool SimServer::Start(int port) {
    const net::JsonValue started = impl_->Call("start", {{"port", std::to_string(port)}});
    impl_->port = static_cast<int>(wire::NumberAt(started, "port"));
    return started.At("started").Kind() == net::JsonKind::True;
}

void SimServer::Stop() {
    impl_->Call("stop");
}

int SimServer::Port() const {
    return impl_->port;
}

std::string SimServer::BaseUrl() const {
    return "https://localhost:" + std::to_string(impl_->port);
}

void SimServer::Script(std::string method, std::string path, Answer answer) {
    impl_->Call(
        "script",
        {{"method", wire::Bytes(method)}, {"path", wire::Bytes(path)}, {"answer", wire::Write(answer)}});
}

void SimServer::ClearScript() {
    impl_->Call("clear-script");
}

std::vector<RecordedRequest> SimServer::Requests() const {
    return wire::ReadList(impl_->Call("requests").ArrayAt("requests"), wire::ReadRequest);
}

void SimServer::ClearRequests() {
    impl_->Call("clear-requests");
}

void SimServer::SetAnswerDelay(std::chrono::milliseconds delay, std::string path) {
    impl_->Call("answer-delay", {{"ms", std::to_string(delay.count())}, {"path", wire::Bytes(path)}});
}

void SimServer::SetRoundTrip(std::chrono::milliseconds roundTrip) {
    impl_->Call("round-trip", {{"ms", std::to_string(roundTrip.count())}});
}

} // namespace brisko::sim
