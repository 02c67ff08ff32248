#include "Http.h"

#include "CurlOption.h"
#include "Redirects.h"
#include "TrustedCertificates.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string_view>

namespace brisko::net {

namespace {

using SteadyClock = std::chrono::steady_clock;

// Followed redirects end after this many hops instead of looping forever.
constexpr long kMaxRedirects = 15;
// Longest sleep between two looks at the transfer: how late the read time-out may fire.
constexpr int kWatchdogTickMs = 50;
// A whole call may last its connect time-out plus this many read time-outs.
constexpr int kReadTimeoutsPerCall = 3;

// libcurl's global set-up is done once, before any handle exists, whichever thread calls first.
void EnsureCurlInitialised() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct MultiDeleter {
    void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;
using MultiHandle = std::unique_ptr<CURLM, MultiDeleter>;
using HeaderList = std::unique_ptr<curl_slist, ListDeleter>;

std::string Lowercase(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The charset parameter of a Content-Type value, unquoted and lower-cased; "" when absent.
std::string CharsetOf(std::string_view contentType) {
    std::size_t start = contentType.find(';');
    while (start != std::string_view::npos) {
        const std::size_t end = contentType.find(';', start + 1);
        const std::string_view parameter =
            Trim(contentType.substr(start + 1, end == std::string_view::npos ? end : end - start - 1));
        const std::size_t equals = parameter.find('=');
        if (equals != std::string_view::npos && Lowercase(Trim(parameter.substr(0, equals))) == "charset") {
            std::string_view value = Trim(parameter.substr(equals + 1));
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
                value = value.substr(1, value.size() - 2);
            }
            return Lowercase(value);
        }
        start = end;
    }
    return {};
}

long CurlTlsVersion(Tls version) {
    switch (version) {
    case Tls::v1_0:
        return long{CURL_SSLVERSION_TLSv1_0};
    case Tls::v1_1:
        return long{CURL_SSLVERSION_TLSv1_1};
    case Tls::v1_2:
        return long{CURL_SSLVERSION_TLSv1_2};
    case Tls::v1_3:
        break;
    }
    return long{CURL_SSLVERSION_TLSv1_3};
}

long CurlTlsRange(TlsRange range) {
    // The highest version goes in the upper 16 bits (CURL_SSLVERSION_MAX_*).
    return CurlTlsVersion(range.lowest) | (CurlTlsVersion(range.highest) << 16);
}

// State of one transfer, shared with libcurl's callbacks.
struct Transfer {
    Transfer(const HttpRequest& r, CURL* h, SteadyClock::time_point callStart)
        : request(r), handle(h), start(callStart) {}

    const HttpRequest& request;
    CURL* handle;
    std::string body;
    std::string failure;                 // set by a callback that stopped the transfer
    const SteadyClock::time_point start; // of the whole call, followed redirects included
    SteadyClock::time_point lastActivity = SteadyClock::now();
    curl_off_t lastDown = 0;
    curl_off_t lastUp = 0;

    void Touch() { lastActivity = SteadyClock::now(); }

    // The connection is made, its TLS handshake included: from here on the request may reach the
    // server. (The pre-transfer time is set only once the request is on its way, too late to tell.)
    bool Connected() const {
        curl_off_t handshaken = 0;
        curl_off_t preTransfer = 0;
        curl_easy_getinfo(handle, CURLINFO_APPCONNECT_TIME_T, &handshaken);
        curl_easy_getinfo(handle, CURLINFO_PRETRANSFER_TIME_T, &preTransfer);
        return handshaken != 0 || preTransfer != 0;
    }

    // True, with the failure set, once the caller has abandoned the call and it may still be dropped.
    bool Abandoned() {
        if (!request.abandon || !request.abandon->load() || (!request.abandonOnceSent && Connected())) {
            return false;
        }
        failure = kAbandoned;
        return true;
    }

    static constexpr const char* kAbandoned = "Call abandoned: the program is closing";
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto& t = *static_cast<Transfer*>(user);
    const size_t length = size * count;
    t.Touch();
    if (t.body.size() + length > t.request.maxBody) {
        t.failure = "Response body larger than " + std::to_string(t.request.maxBody) + " bytes";
        return 0; // anything short of length stops the transfer
    }
    t.body.append(data, length);
    return length;
}

size_t OnHeader(char*, size_t size, size_t count, void* user) {
    static_cast<Transfer*>(user)->Touch();
    return size * count;
}

// The read time-out: the transfer fails once no byte has moved for that long. While the
// connection (and its TLS handshake) is still being made, the connect time-out rules instead.
// Every byte restarts the read time-out, so the whole call has a ceiling of its own as well.
int OnProgress(void* user, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t uploaded) {
    auto& t = *static_cast<Transfer*>(user);
    if (t.Abandoned()) {
        return 1;
    }
    const auto ceiling = t.request.connectTimeout + kReadTimeoutsPerCall * t.request.readTimeout;
    if (SteadyClock::now() - t.start >= ceiling) {
        t.failure = "Transfer took longer than " + std::to_string(ceiling.count()) + " ms";
        return 1;
    }
    if (downloaded != t.lastDown || uploaded != t.lastUp) {
        t.lastDown = downloaded;
        t.lastUp = uploaded;
        t.Touch();
        return 0;
    }
    if (!t.Connected()) {
        t.Touch();
        return 0;
    }
    if (SteadyClock::now() - t.lastActivity >= t.request.readTimeout) {
        t.failure =
            "Read timed out: nothing received for " + std::to_string(t.request.readTimeout.count()) + " ms";
        return 1;
    }
    return 0;
}

bool HasHeader(const HttpRequest& request, std::string_view name) {
    const std::string wanted = Lowercase(name);
    return std::any_of(request.headers.begin(), request.headers.end(),
                       [&](const auto& header) { return Lowercase(header.first) == wanted; });
}

// A header line is sent as one line: a CR, LF or NUL in a name or value (a token from a server,
// say) would end it early and let the rest pass as headers of its own, so such a call is refused.
void RefuseBrokenLines(const HttpRequest& request) {
    for (const auto& [name, value] : request.headers) {
        if ((name + value).find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) {
            throw std::runtime_error("Header " + name +
                                     " holds a line break or NUL: the request was not sent");
        }
    }
}

// The caller's headers, plus blank entries that keep libcurl from adding its own defaults
// (Accept: */*, Expect: 100-continue, a form Content-Type on POST).
HeaderList BuildHeaders(const HttpRequest& request) {
    RefuseBrokenLines(request);
    curl_slist* list = nullptr;
    const auto add = [&](const std::string& line) {
        curl_slist* grown = curl_slist_append(list, line.c_str());
        if (grown == nullptr) {
            curl_slist_free_all(list);
            throw std::bad_alloc();
        }
        list = grown;
    };
    for (const auto& [name, value] : request.headers) {
        // "Name;" is libcurl's way to send a header with an empty value.
        add(value.empty() ? name + ";" : name + ": " + value);
    }
    for (const char* suppressed : {"Accept", "Expect", "Content-Type"}) {
        if (!HasHeader(request, suppressed)) {
            add(std::string(suppressed) + ":");
        }
    }
    return HeaderList(list);
}

void Check(CURLMcode code) {
    if (code != CURLM_OK) {
        throw std::runtime_error(curl_multi_strerror(code));
    }
}

// Runs the transfer to its end. A multi handle of its own (instead of curl_easy_perform, which
// sleeps up to a second between looks) lets the read time-out and an abandonment take effect close
// to their moment.
CURLcode RunTransfer(CURL* easy, Transfer& transfer) {
    const MultiHandle multi(curl_multi_init());
    if (!multi) {
        throw std::runtime_error("Cannot create an HTTP transfer");
    }
    Check(curl_multi_add_handle(multi.get(), easy));
    struct Attached {
        CURLM* multi;
        CURL* easy;
        ~Attached() { curl_multi_remove_handle(multi, easy); }
    } attached{multi.get(), easy};

    int running = 1;
    while (running != 0) {
        if (transfer.Abandoned()) {
            return CURLE_ABORTED_BY_CALLBACK;
        }
        Check(curl_multi_perform(multi.get(), &running));
        if (running != 0) {
            Check(curl_multi_poll(multi.get(), nullptr, 0, kWatchdogTickMs, nullptr));
        }
    }
    int queued = 0;
    while (const CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
            return message->data.result;
        }
    }
    throw std::runtime_error("HTTP transfer ended without a result");
}

// One request to `url` with everything else from `request`. A redirect's absolute target goes to
// `location`.
HttpOutcome PerformOnce(const HttpRequest& request, const std::string& url, SteadyClock::time_point callStart,
                        std::string& location) {
    EasyHandle easy(curl_easy_init());
    if (!easy) {
        return {std::nullopt, "Cannot create an HTTP client"};
    }
    CURL* h = easy.get();
    Transfer transfer(request, h, callStart);
    TrustedCertificates trusted(request.extraCaFile);
    char errorText[CURL_ERROR_SIZE] = {};
    const HeaderList headers = BuildHeaders(request);

    SetCurlOption(h, CURLOPT_ERRORBUFFER, errorText);
    SetCurlOption(h, CURLOPT_URL, url.c_str());
    SetCurlOption(h, CURLOPT_PROTOCOLS_STR, "https");
    SetCurlOption(h, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    SetCurlOption(h, CURLOPT_NOSIGNAL, 1L);
    SetCurlOption(h, CURLOPT_FORBID_REUSE, 1L); // never re-sends a request on a reused connection
    SetCurlOption(h, CURLOPT_PROXY, "");        // no proxy from the environment
    SetCurlOption(h, CURLOPT_HTTP_VERSION, long{CURL_HTTP_VERSION_1_1});
    SetCurlOption(h, CURLOPT_HTTPHEADER, headers.get());

    if (request.method == "GET") {
        SetCurlOption(h, CURLOPT_HTTPGET, 1L);
    } else if (request.method == "HEAD") {
        SetCurlOption(h, CURLOPT_NOBODY, 1L);
    } else {
        if (request.method != "POST") {
            SetCurlOption(h, CURLOPT_CUSTOMREQUEST, request.method.c_str());
        }
        if (request.method == "POST" || !request.body.empty()) {
            SetCurlOption(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
            SetCurlOption(h, CURLOPT_POSTFIELDS, request.body.data());
        }
    }

    if (request.basic) {
        SetCurlOption(h, CURLOPT_HTTPAUTH, long{CURLAUTH_BASIC}); // Basic only: sent on the first request
        SetCurlOption(h, CURLOPT_USERNAME, request.basic->first.c_str());
        SetCurlOption(h, CURLOPT_PASSWORD, request.basic->second.c_str());
    }

    SetCurlOption(h, CURLOPT_SSL_VERIFYPEER, 1L);
    SetCurlOption(h, CURLOPT_SSL_VERIFYHOST, 2L);
    SetCurlOption(h, CURLOPT_SSLVERSION, CurlTlsRange(request.tls));
    trusted.ApplyTo(h);

    // Redirects are followed here, one fresh handle per hop, never by libcurl: it would send the
    // caller's headers (an API key, say) to wherever a Location points.
    SetCurlOption(h, CURLOPT_FOLLOWLOCATION, 0L);

    SetCurlOption(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request.connectTimeout.count()));
    SetCurlOption(h, CURLOPT_NOPROGRESS, 0L);
    SetCurlOption(h, CURLOPT_XFERINFOFUNCTION, &OnProgress);
    SetCurlOption(h, CURLOPT_XFERINFODATA, static_cast<void*>(&transfer));
    SetCurlOption(h, CURLOPT_WRITEFUNCTION, &OnBody);
    SetCurlOption(h, CURLOPT_WRITEDATA, static_cast<void*>(&transfer));
    SetCurlOption(h, CURLOPT_HEADERFUNCTION, &OnHeader);
    SetCurlOption(h, CURLOPT_HEADERDATA, static_cast<void*>(&transfer));

    const CURLcode code = RunTransfer(h, transfer);
    if (code != CURLE_OK) {
        const bool sent = transfer.Connected();
        if (!transfer.failure.empty()) {
            return {std::nullopt, transfer.failure, sent};
        }
        if (!trusted.Failure().empty()) {
            return {std::nullopt, trusted.Failure(), sent};
        }
        return {std::nullopt, errorText[0] != '\0' ? std::string(errorText) : curl_easy_strerror(code), sent};
    }

    HttpResponse response;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &response.status);
    const char* contentType = nullptr;
    if (curl_easy_getinfo(h, CURLINFO_CONTENT_TYPE, &contentType) == CURLE_OK && contentType != nullptr) {
        response.charset = CharsetOf(contentType);
    }
    const char* redirect = nullptr;
    if (curl_easy_getinfo(h, CURLINFO_REDIRECT_URL, &redirect) == CURLE_OK && redirect != nullptr) {
        location = redirect;
    }
    response.body = std::move(transfer.body);
    return {std::move(response), {}, true};
}

HttpOutcome PerformOrThrow(const HttpRequest& request) {
    EnsureCurlInitialised();
    const SteadyClock::time_point start = SteadyClock::now();
    std::string url = request.url;
    for (long hops = 0;; ++hops) {
        if (request.abandon && request.abandon->load()) {
            return {std::nullopt, Transfer::kAbandoned, hops > 0};
        }
        std::string location;
        HttpOutcome outcome = PerformOnce(request, url, start, location);
        if (!outcome.response || request.redirects == Redirects::Returned ||
            !IsRedirectStatus(outcome.response->status) || location.empty()) {
            return outcome;
        }
        // A redirect not followed fails the call, but its request did reach the server.
        if (hops == kMaxRedirects) {
            return {std::nullopt, "More than " + std::to_string(kMaxRedirects) + " redirects", true};
        }
        std::string refusal = RedirectRefusal(url, location, request.method, outcome.response->status);
        if (!refusal.empty()) {
            return {std::nullopt, std::move(refusal), true};
        }
        url = std::move(location);
    }
}

} // namespace

HttpOutcome Perform(const HttpRequest& request) {
    try {
        return PerformOrThrow(request);
    } catch (const std::exception& e) {
        return {std::nullopt, e.what()};
    }
}

} // namespace brisko::net
