#include "ControlChannel.h"

#include "Wire.h"

#include <curl/curl.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace brisko::sim::remote {

namespace {

// Where the host listens; read once, the first time a test needs a simulator.
const std::string& HostAddress() {
    static const std::string address = [] {
        const char* value = std::getenv(wire::kHostVariable);
        if (value == nullptr || *value == '\0') {
            throw std::runtime_error(std::string(wire::kHostVariable) +
                                     " is not set: run the tests under sim-host (sim-host -- ctest ...)");
        }
        return std::string(value);
    }();
    return address;
}

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

} // namespace

net::JsonValue Call(std::string_view operation, const std::string& request) {
    static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
    const std::string url = "http://" + HostAddress() + "/" + std::string(operation);
    const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (initialised != CURLE_OK || !curl) {
        throw std::runtime_error("sim-host: libcurl could not be set up");
    }
    const std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headers(
        curl_slist_append(nullptr, "Content-Type: application/json"), curl_slist_free_all);
    std::string body;
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_NOPROXY, "*"); // a proxy from the environment must not see it
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, request.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.size()));
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(curl.get(), CURLOPT_CONNECTTIMEOUT_MS, 5000L);
    // Stopping a server waits for its answers in flight: generous, but a hung host ends the test.
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT_MS, 120000L);
    const CURLcode code = curl_easy_perform(curl.get());
    if (code != CURLE_OK) {
        throw std::runtime_error("sim-host at " + HostAddress() + ": " + curl_easy_strerror(code));
    }
    long status = 0;
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
    std::optional<net::JsonValue> answer = net::ParseJson(body);
    if (status != 200 || !answer || !answer->IsObject()) {
        const net::JsonValue* error = answer ? answer->Find("error") : nullptr;
        throw std::runtime_error("sim-host refused " + std::string(operation) + ": " +
                                 (error != nullptr ? error->Text() : body));
    }
    return std::move(*answer);
}

} // namespace brisko::sim::remote
