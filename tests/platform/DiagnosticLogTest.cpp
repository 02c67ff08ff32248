// The diagnostic log's files: lines with their time, one event per line, and a bounded number of
// bounded files however much is written.
#include "DiagnosticLog.h"
#include "DigitShape.h"
#include "TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace brisko::platform {
namespace {

namespace fs = std::filesystem;
using test::DigitShape;
using ::testing::HasSubstr;

std::string Contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(DiagnosticLogTest, KeepsAFewSmallFilesTheNewestLinesInTheFirst) {
    test::TempFolder folder;
    const fs::path logs = folder / "log";
    constexpr std::size_t kBytes = 2000;
    OpenDiagnosticLog(logs, kBytes, 3);
    for (int i = 0; i < 200; ++i) {
        Log("linha " + std::to_string(i));
    }
    LogFailure("plataforma", "GET", "/api/integracao/estimarEntrega?endereco_desejado=Rua%20X", 500,
               "falhou\r\nde novo");
    CloseDiagnosticLog();
    Log("depois de fechado");

    int files = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(logs)) {
        ++files;
        EXPECT_LE(fs::file_size(entry.path()), kBytes) << entry.path();
    }
    EXPECT_EQ(files, 3);
    const std::string newest = Contents(LogFile(logs, 0));
    EXPECT_THAT(newest, HasSubstr("linha 199\n"));
    EXPECT_THAT(newest,
                HasSubstr(" plataforma GET /api/integracao/estimarEntrega HTTP 500: falhou\\r\\nde novo\n"));
    EXPECT_THAT(newest, ::testing::Not(HasSubstr("depois de fechado")));
    EXPECT_EQ(DigitShape(newest.substr(0, newest.find(" linha "))), "9999-99-99 99:99:99.999");
    EXPECT_THAT(Contents(LogFile(logs, 2)), ::testing::Not(HasSubstr("linha 0\n"))); // the oldest went
}

} // namespace
} // namespace brisko::platform
