#pragma once
// The baseline of the figures over HTTPS: the very requests our client made, sent again with
// plain libcurl easy calls in a loop (curl_easy_perform, one fresh handle per request), with the
// same TLS versions, the same certificate checks and the same trusted CAs, and nothing else: no
// JSON, no database, no status texts.
#include "SimServer.h"

#include <filesystem>
#include <string>
#include <vector>

namespace brisko::bench {

struct BareRequest {
    std::string method;
    std::string url;
    std::vector<std::string> headerLines; // "Name: value", as our client sent them
    std::string body;
};

// What a simulator recorded, to be sent again to it (Host and Content-Length are left to libcurl).
std::vector<BareRequest> FromRecorded(const std::vector<sim::RecordedRequest>& recorded,
                                      const std::string& baseUrl);

// The trust our client has (the system's CA bundle plus the extra CA file) as one PEM file, the
// way the curl command line is given it with --cacert.
void WriteCaBundle(const std::filesystem::path& bundle, const std::filesystem::path& extraCa);

// How the bare requests get their trusted CAs.
enum class CaReading {
    PerRequest, // each request its own easy handle and curl_easy_perform: the bundle is read every
                // time, as one curl command line per request does
    Once,       // one multi handle runs the fresh easy handles one after the other: libcurl reads
                // the bundle once and keeps it (its CA cache), as one curl command line given all
                // the addresses does; connections are still not reused
};

// Sends every request in order; answers how many got a 2xx status. Throws when one fails outright.
int SendBare(const std::vector<BareRequest>& requests, const std::filesystem::path& caBundle,
             CaReading reading);

} // namespace brisko::bench
