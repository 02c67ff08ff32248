// A release build for real services must not trust the simulators' test CA, whose private key lies
// in a build folder; the release preset trusts the system's CAs only; every service speaks https.
#include "TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace brisko::test {
namespace {

using ::testing::HasSubstr;

const std::string kRealServices = " -DBRISKO_MARKETPLACE_API_URL=https://api.marketplace.example"
                                  " -DBRISKO_DISPATCH_API_URL=https://api.dispatch.example:8443";

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// CMake wraps its messages: every run of blanks and line breaks becomes one blank.
std::string OneLine(const std::string& text) {
    std::string line;
    for (const char c : text) {
        const bool blank = c == ' ' || c == '\n' || c == '\t';
        if (!blank || (!line.empty() && line.back() != ' ')) {
            line += blank ? ' ' : c;
        }
    }
    return line;
}

class ReleaseConfigure : public ::testing::Test {
protected:
    // `cmake --preset release` into the temporary folder with more -D values; true when it succeeds.
    bool Configure(const std::string& values) {
        const std::string command = std::string("cd '") + BRISKO_SOURCE_DIR + "' && '" +
                                    BRISKO_CMAKE_COMMAND + "' --preset release -B '" + Build().string() +
                                    "'" + values + " > '" + (folder / "output.txt").string() + "' 2>&1";
        const bool succeeded = std::system(command.c_str()) == 0;
        output = OneLine(ReadFile(folder / "output.txt"));
        return succeeded;
    }
    std::filesystem::path Build() const { return folder / "build"; }
    std::string TestCa() const { return (Build() / "simulators" / "certs" / "ca.pem").string(); }

    TempFolder folder;
    std::string output;
};

TEST_F(ReleaseConfigure, RealServicesWithTheTestCaAreRefused) {
    EXPECT_FALSE(Configure(kRealServices + " -DBRISKO_CA_FILE=" + TestCa())) << output;
    EXPECT_THAT(output, HasSubstr("BRISKO_MARKETPLACE_API_URL names api.marketplace.example, but "
                                  "BRISKO_CA_FILE is still the simulators' test CA"));
    EXPECT_FALSE(std::filesystem::exists(Build() / "build.ninja"));
}

TEST_F(ReleaseConfigure, RealServicesTrustTheSystemsCasOnlyByDefault) {
    ASSERT_TRUE(Configure(kRealServices)) << output;
    const std::string constants = ReadFile(Build() / "generated" / "BuildConstants.h");
    EXPECT_THAT(constants, HasSubstr("kCaFile = \"\";"));
    EXPECT_THAT(constants, HasSubstr("kDispatchApiUrl = \"https://api.dispatch.example:8443\";"));
}

TEST_F(ReleaseConfigure, AServiceOutsideHttpsIsRefused) {
    for (const char* url : {"http://api.dispatch.example", "https://api.dispatch.example/api"}) {
        EXPECT_FALSE(Configure(std::string(" -DBRISKO_DISPATCH_API_URL=") + url)) << output;
        EXPECT_THAT(output, HasSubstr("the services are reached over https only"));
    }
}

} // namespace
} // namespace brisko::test
