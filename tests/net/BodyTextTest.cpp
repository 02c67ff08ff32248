#include "BodyText.h"
#include "ResultText.h"
#include "Url.h"

#include <gtest/gtest.h>

namespace brisko::net {
namespace {

TEST(BodyText, DecodesByTheDeclaredCharset) {
    struct Case {
        std::string body;
        const char* charset;
        std::string text;
    };
    const Case cases[] = {
        {"Jo\xE3o \xC7", "iso-8859-1", "Jo\xC3\xA3o \xC3\x87"},
        {"Jo\xE3o", "ISO-8859-1", "Jo\xC3\xA3o"},
        {"\xE9", "latin1", "\xC3\xA9"},
        {"\x80 \x93x\x94 \xE9", "windows-1252", "\xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D \xC3\xA9"},
        {"\x80", "iso-8859-1", "\xC2\x80"},
        {"Jo\xC3\xA3o", "utf-8", "Jo\xC3\xA3o"},
        {"Jo\xC3\xA3o", "", "Jo\xC3\xA3o"},
        {"Jo\xC3\xA3o", "koi8-r", "Jo\xC3\xA3o"},
        {"a\xFF"
         "b",
         "utf-8",
         "a\xEF\xBF\xBD"
         "b"},
        {"\xE3o", "", "\xEF\xBF\xBDo"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeBody(c.body, c.charset), c.text) << c.charset << " " << c.body;
    }
}

TEST(BodyText, ReducesToSevenBitAscii) {
    struct Case {
        std::string utf8;
        std::string ascii;
    };
    const Case cases[] = {
        {"S\xC3\xA3o Jos\xC3\xA9 \xC3\x87"
         "a\xC3\xA7"
         "a \xC3\x89",
         "Sao Jose Caca E"},
        {"\xC3\x80\xC3\x81\xC3\x82\xC3\x83\xC3\x84 \xC3\xBC\xC3\xB1\xC3\xBF \xC5\xA0\xC5\xBE",
         "AAAAA uny Sz"},
        {"a\xCC\x83", "a"},                  // decomposed ã
        {"\xE2\x82\xAC 5", "? 5"},           // euro sign
        {"\xC3\x86\xC3\x9F\xC2\xBA", "???"}, // Æ ß º are no accented letters
        {"\xF0\x9F\x98\x80!", "?!"},         // one '?' per character, not per byte
        {"x\xFFy", "x?y"},                   // invalid byte
        {"plain {\"a\":1}\r\n", "plain {\"a\":1}\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReduceToAscii(c.utf8), c.ascii) << c.utf8;
    }
}

TEST(BodyText, DecodesToAsciiInOneStepAsDecodingThenReducingWould) {
    const std::pair<std::string, const char*> bodies[] = {
        {"Jo\xE3o \xC7 \x80\x9F\xFF", "iso-8859-1"},
        {"\x80 \x93x\x94 \xE9\x8A", "windows-1252"},
        {"S\xC3\xA3o a\xCC\x83 \xE2\x82\xAC \xF0\x9F\x98\x80 x\xFFy \xC3", "utf-8"},
        {"\xE3o \xED\xA0\x80 \xC0\xAF", ""},
        {std::string(4096, '\xFF'), "koi8-r"},
    };
    for (const auto& [body, charset] : bodies) {
        const std::string ascii = DecodeToAscii(body, charset);
        EXPECT_EQ(ascii, ReduceToAscii(DecodeBody(body, charset))) << charset << " " << body;
        // Never longer than the body, where the decoded text may be three times as long.
        EXPECT_LE(ascii.size(), body.size());
    }
}

TEST(Url, PercentEncodeKeepsOnlyUnreservedCharacters) {
    const std::pair<std::string, std::string> cases[] = {
        {"Rua A & B = 5 + 6 #2", "Rua%20A%20%26%20B%20%3D%205%20%2B%206%20%232"},
        {"S\xC3\xA3o Paulo/SP", "S%C3%A3o%20Paulo%2FSP"},
        {"-._~AZaz09", "-._~AZaz09"},
        {"?%", "%3F%25"},
        {"", ""},
    };
    for (const auto& [value, encoded] : cases) {
        EXPECT_EQ(PercentEncode(value), encoded) << value;
    }
}

TEST(ResultTexts, GenericFailureJoinsPrefixAndMessageWithoutBlank) {
    EXPECT_EQ(kTrue, "TRUE");
    EXPECT_EQ(GenericFailure("Read timed out."),
              "Sem Conex\xC3\xA3o - Verifique sua Internet! ,Read timed out.");
    EXPECT_EQ(GenericFailure(""), "Sem Conex\xC3\xA3o - Verifique sua Internet! ,");
}

} // namespace
} // namespace brisko::net
