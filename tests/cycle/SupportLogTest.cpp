// The support log after a whole signed-in day's road with failures: it tells the passes and the
// failed calls, and holds none of the secrets that went over the wire.
#include "CycleFixture.h"

#include "DiagnosticLog.h"

#include <chrono>
#include <fstream>
#include <sstream>

namespace brisko::test {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;
using ::testing::Not;

std::string EveryLogFile(const std::filesystem::path& folder) {
    std::string all;
    for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        all += text.str();
    }
    return all;
}

std::string Base64(const std::string& bytes) {
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned value = 0;
    int bits = -6;
    for (const unsigned char c : bytes) {
        value = (value << 8) + c;
        bits += 8;
        while (bits >= 0) {
            out += kDigits[(value >> bits) & 0x3F];
            bits -= 6;
        }
    }
    if (bits > -6) {
        out += kDigits[((value << 8) >> (bits + 8)) & 0x3F];
    }
    while (out.size() % 4 != 0) {
        out += '=';
    }
    return out;
}

TEST_F(CycleTest, TheSupportLogTellsPassesAndFailuresAndNoSecret) {
    TempFolder logs;
    platform::OpenDiagnosticLog(logs.Path());
    constexpr const char* kWrongStorePassword = "Errada#Senha-4477";
    constexpr const char* kWrongMarketPassword = "Errada#Aiq-9911";

    // A refused sign-in and a good one at the platform.
    EXPECT_NE(dispatch::LoginEmpresa(services.dispatchApiKey, "loja@demo.com", kWrongStorePassword, false, db,
                                     services.dispatch),
              "TRUE");
    ASSERT_EQ(dispatch::LoginEmpresa(services.dispatchApiKey, "loja@demo.com", "demo123", false, db,
                                     services.dispatch),
              "TRUE");
    // A pass with a refused marketplace account, then one that imports and requests, one refused.
    const long long account = AddAccount(kMarketLogin, kWrongMarketPassword);
    cycle::RunIntegrationPass(db, services, window.Outlets());
    store::GravaContaConfigDelivery(db, account, kMarketLogin, kMarketPassword);
    market.AddOrder(kMarketLogin, sim::MarketplaceSimulator::SampleOrder("990001", 10min));
    market.AddOrder(kMarketLogin, sim::MarketplaceSimulator::SampleOrder("990002", 5min));
    platform.Script("POST", kOpenPath,
                    sim::Answer().WithStatus(422).WithBody(R"({"errors":[{"message":"Inválido"}]})"));
    cycle::RunIntegrationPass(db, services, window.Outlets());
    platform::CloseDiagnosticLog();

    const std::string token = store::LeConfigDelivery(db).at(0).TOKEN;
    ASSERT_FALSE(token.empty());
    const std::string log = EveryLogFile(logs.Path());
    EXPECT_THAT(log, HasSubstr(" plataforma POST /api/integracao/abrirEntrega HTTP 422: Inválido"));
    EXPECT_THAT(log, HasSubstr(" marketplace POST /alfredo/auth/token HTTP 4"));
    EXPECT_THAT(log, HasSubstr(" plataforma GET /api/integracao/empresa HTTP 4"));
    EXPECT_THAT(log, HasSubstr(" ms: "));

    const std::string secrets[] = {
        "demo123",
        kWrongStorePassword,
        kMarketPassword,
        kWrongMarketPassword,
        services.dispatchApiKey,
        build::kMarketplaceClientKey,
        token,
        Base64("loja@demo.com:demo123"),
        Base64(std::string(build::kMarketplaceClientUser) + ":" + build::kMarketplaceClientKey),
        "Authorization",
        "Bearer",
        "api-key",
    };
    for (const std::string& secret : secrets) {
        EXPECT_THAT(log, Not(HasSubstr(secret))) << secret;
    }
}

} // namespace
} // namespace brisko::test
