// The largest answer a client takes, 32 MiB for the marketplace's order search, written to cost the
// most: a value every two bytes, bytes that widen when decoded, nesting, one long string. Each
// search ends with a clear text, and the memory it took stays within a bound far below what the
// same bodies cost without the JSON value cap and with the decoded copies (gigabytes for the first).
#include "CycleFixture.h"
#include "RawTlsServer.h"
#include "ResultText.h"
#include "UAiqfome.h"

#include <malloc.h>

#include <fstream>
#include <functional>
#include <iostream>

namespace brisko::test {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Matcher;
using ::testing::SizeIs;
using ::testing::StartsWith;

constexpr std::size_t kBody = std::size_t{32} << 20;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true; // a sanitizer keeps freed blocks and shadows every byte
#else
constexpr bool kSanitized = false;
#endif

// The process's resident set, and its peak since the last ResetPeak, in bytes (Linux).
std::size_t StatusFigure(const std::string& name) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(name + ":", 0) == 0) {
            return std::stoull(line.substr(name.size() + 1)) * 1024;
        }
    }
    return 0;
}
// Gives freed memory back to the system first, so that what the next call takes shows as new pages.
void ResetPeak() {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}

// A JSON text of exactly kBody bytes: `head`, then `item` repeated, separated by commas, then `tail`.
std::string Repeated(const std::string& head, const std::string& item, const std::string& tail) {
    std::string text = head;
    text.reserve(kBody);
    while (text.size() + 1 + item.size() + tail.size() <= kBody) {
        text += item;
        text += ',';
    }
    text.pop_back();
    text += tail;
    text.append(kBody - text.size(), ' ');
    return text;
}

struct HostileBody {
    const char* name;
    std::string status;
    std::string contentType;
    std::function<std::string()> body; // made when its turn comes: 32 MiB each
    Matcher<std::string> result;
};

std::vector<HostileBody> Bodies() {
    const Matcher<std::string> tooManyValues =
        AllOf(StartsWith(net::GenericFailure("")), HasSubstr("more than 524288 values"));
    return {
        {"a value every two bytes", "200 OK", "application/json",
         [] { return Repeated(R"({"data":[)", "0", "]}"); }, tooManyValues},
        {"an empty object every three bytes", "200 OK", "application/json",
         [] { return Repeated(R"({"data":[)", "{}", "]}"); }, tooManyValues},
        {"members every six bytes", "200 OK", "application/json",
         [] { return Repeated(R"({"data":[{)", R"("a":0)", "}]}"); }, tooManyValues},
        {"one string of 32 MiB", "200 OK", "application/json",
         [] { return R"({"data":")" + std::string(kBody - 11, 'x') + "\"}"; },
         AllOf(StartsWith(net::GenericFailure("")), HasSubstr("not array"))},
        // Each invalid byte would decode to three; the text a person gets is one '?' per byte.
        {"invalid UTF-8 in an error", "500 Internal Server Error", "text/plain; charset=utf-8",
         [] { return std::string(kBody, '\xFF'); }, SizeIs(kBody)},
        {"Latin-1 that doubles in UTF-8", "200 OK", "application/json; charset=iso-8859-1",
         [] { return std::string(kBody, '\xE9'); }, SizeIs(kBody)},
        {"nesting past the depth cap", "200 OK", "application/json", [] { return std::string(kBody, '['); },
         SizeIs(kBody)},
    };
}

class HostileBodies : public CycleTest {};

TEST_F(HostileBodies, A32MiBSearchAnswerEndsClearlyInBoundedMemory) {
    const sim::ServerCertificate certificate = sim::TestServerCertificate();
    std::size_t worst = 0;
    for (const HostileBody& hostile : Bodies()) {
        SCOPED_TRACE(hostile.name);
        const std::string body = hostile.body();
        ASSERT_EQ(body.size(), kBody);
        const std::string head = "HTTP/1.1 " + hostile.status + "\r\nContent-Type: " + hostile.contentType +
                                 "\r\nContent-Length: " + std::to_string(kBody) + "\r\n\r\n";
        RawTlsServer server(certificate.certificate.string(), certificate.key.string(),
                            [&](RawConnection& c) {
                                if (c.Write(head)) {
                                    c.Write(body);
                                }
                            });
        marketplace::Endpoint endpoint = services.marketplace;
        endpoint.baseUrl = server.BaseUrl();
        const marketplace::Context context{db, endpoint, services.integrator, {}};

        ResetPeak();
        const std::size_t before = StatusFigure("VmRSS");
        const std::string result = marketplace::BuscaPedidosAiqfome(context, "token");
        const std::size_t peak = StatusFigure("VmHWM");
        const std::size_t took = peak > before ? peak - before : 0;
        worst = std::max(worst, took);
        EXPECT_THAT(result, hostile.result);
        std::cout << "[figure] " << hostile.name << " | " << took / (1024 * 1024) << " MiB above the "
                  << before / (1024 * 1024) << " MiB resident before | " << result.size() << " bytes | "
                  << result.substr(0, 80) << "\n";
    }
    std::cout << "[figure] worst 32 MiB search answer: " << worst / (1024 * 1024) << " MiB\n";
    if (!kSanitized) {
        // The body's bytes, its ASCII text and the tree of at most 524,288 values; without the cap
        // the first body alone built a tree of 16.7 million values.
        EXPECT_LE(worst, std::size_t{256} << 20);
    }
}

} // namespace
} // namespace brisko::test
