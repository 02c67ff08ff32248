#include "BareCurl.h"

#include <curl/curl.h>

#include <fstream>
#include <mutex>
#include <stdexcept>

namespace brisko::bench {
namespace {

// Where libcurl looks for the system's CAs when it is given none (our client relies on that).
constexpr const char* kSystemBundle = "/etc/ssl/certs/ca-certificates.crt";

size_t Discard(char*, size_t size, size_t count, void*) {
    return size * count;
}

// Runs one transfer to its end on the shared multi handle.
CURLcode PerformOn(CURLM* multi, CURL* easy) {
    curl_multi_add_handle(multi, easy);
    int running = 1;
    CURLcode result = CURLE_FAILED_INIT;
    while (running != 0) {
        curl_multi_perform(multi, &running);
        if (running != 0) {
            curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
        }
    }
    int queued = 0;
    while (const CURLMsg* message = curl_multi_info_read(multi, &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
            result = message->data.result;
        }
    }
    curl_multi_remove_handle(multi, easy);
    return result;
}

bool AddedByLibcurl(const std::string& name) {
    return name == "Host" || name == "Content-Length";
}

} // namespace

std::vector<BareRequest> FromRecorded(const std::vector<sim::RecordedRequest>& recorded,
                                      const std::string& baseUrl) {
    std::vector<BareRequest> requests;
    for (const sim::RecordedRequest& r : recorded) {
        BareRequest bare{r.method, baseUrl + r.target, {}, r.body};
        for (const auto& [name, value] : r.headers) {
            if (!AddedByLibcurl(name)) {
                bare.headerLines.push_back(name + ": " + value);
            }
        }
        requests.push_back(std::move(bare));
    }
    return requests;
}

void WriteCaBundle(const std::filesystem::path& bundle, const std::filesystem::path& extraCa) {
    std::ofstream out(bundle, std::ios::binary);
    for (const std::filesystem::path& part : {std::filesystem::path(kSystemBundle), extraCa}) {
        std::ifstream in(part, std::ios::binary);
        if (!in) {
            throw std::runtime_error("Cannot read " + part.string());
        }
        out << in.rdbuf() << '\n';
    }
}

int SendBare(const std::vector<BareRequest>& requests, const std::filesystem::path& caBundle,
             CaReading reading) {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    CURLM* multi = reading == CaReading::Once ? curl_multi_init() : nullptr;
    int succeeded = 0;
    for (const BareRequest& request : requests) {
        CURL* h = curl_easy_init();
        curl_slist* headers = nullptr;
        for (const std::string& line : request.headerLines) {
            headers = curl_slist_append(headers, line.c_str());
        }
        headers = curl_slist_append(headers, "Expect:");
        curl_easy_setopt(h, CURLOPT_URL, request.url.c_str());
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(h, CURLOPT_FORBID_REUSE, 1L);
        curl_easy_setopt(h, CURLOPT_HTTP_VERSION, long{CURL_HTTP_VERSION_1_1});
        curl_easy_setopt(h, CURLOPT_SSLVERSION,
                         long{CURL_SSLVERSION_TLSv1_2} | long{CURL_SSLVERSION_MAX_TLSv1_2});
        curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
        curl_easy_setopt(h, CURLOPT_CAINFO, caBundle.c_str());
        if (multi != nullptr) {
            // libcurl keeps a read bundle only when no CA folder is looked up beside it.
            curl_easy_setopt(h, CURLOPT_CAPATH, static_cast<const char*>(nullptr));
        }
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Discard);
        if (request.method == "POST") {
            curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
            curl_easy_setopt(h, CURLOPT_POSTFIELDS, request.body.data());
        }
        const CURLcode code = multi != nullptr ? PerformOn(multi, h) : curl_easy_perform(h);
        long status = 0;
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
        curl_slist_free_all(headers);
        curl_easy_cleanup(h);
        if (code != CURLE_OK) {
            if (multi != nullptr) {
                curl_multi_cleanup(multi);
            }
            throw std::runtime_error(std::string("Bare request failed: ") + curl_easy_strerror(code));
        }
        succeeded += status >= 200 && status < 300 ? 1 : 0;
    }
    if (multi != nullptr) {
        curl_multi_cleanup(multi);
    }
    return succeeded;
}

} // namespace brisko::bench
