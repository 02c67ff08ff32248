#include "Json.h"

#include <gtest/gtest.h>

#include <string>

namespace brisko::net {
namespace {

JsonValue Parse(std::string_view text) {
    auto value = ParseJson(text);
    EXPECT_TRUE(value.has_value()) << text;
    return value.value_or(JsonValue());
}

TEST(JsonReader, KeepsKindsAndTheTextOfEveryValue) {
    struct Case {
        const char* json;
        JsonKind kind;
        const char* text;
    };
    const Case cases[] = {
        {R"("plain")", JsonKind::String, "plain"},
        {R"("a\"b\\c\u00e3\n")", JsonKind::String, "a\"b\\c\xC3\xA3\n"},
        {R"("\ud83d\ude00")", JsonKind::String, "\xF0\x9F\x98\x80"},
        {"11.50", JsonKind::Number, "11.50"},
        {"1e2", JsonKind::Number, "1e2"},
        {"-0.0", JsonKind::Number, "-0.0"},
        {"12345678901234567890", JsonKind::Number, "12345678901234567890"},
        {"1E+308", JsonKind::Number, "1E+308"},
        {"true", JsonKind::True, "true"},
        {"false", JsonKind::False, "false"},
        {"null", JsonKind::Null, "null"},
        {R"({"a":1})", JsonKind::Object, ""},
        {"[1,2]", JsonKind::Array, ""},
        {" \t\r\n[] \n", JsonKind::Array, ""},
    };
    for (const Case& c : cases) {
        const JsonValue value = Parse(c.json);
        EXPECT_EQ(value.Kind(), c.kind) << c.json;
        EXPECT_EQ(value.Text(), c.text) << c.json;
    }
}

TEST(JsonReader, RefusesWhatIsNotJson) {
    const std::string refused[] = {
        "",
        "   ",
        "{",
        R"({"a":1,})",
        "[1 2]",
        "{} {}",
        "01",
        "NaN",
        "'single'",
        "// comment\n1",
        "<html>error</html>",
        "1e309",                    // exponent above 308: a known limit of the parser
        "\"\xC3\"",                 // truncated UTF-8
        "\"\xC0\xAF\"",             // overlong form
        "\"\xED\xA0\x80\"",         // encoded surrogate
        "\"\xFF\"",                 // byte that never appears in UTF-8
        std::string("{}\0{", 3),    // a NUL byte does not end the text early
        std::string("\"a\0b\"", 5), // raw control character in a string
        std::string(kMaxJsonDepth + 1, '[') + std::string(kMaxJsonDepth + 1, ']'),
    };
    for (const std::string& text : refused) {
        EXPECT_FALSE(ParseJson(text).has_value()) << text;
    }
    // The deepest nesting still read.
    EXPECT_TRUE(ParseJson(std::string(kMaxJsonDepth, '[') + std::string(kMaxJsonDepth, ']')).has_value());
}

TEST(JsonReader, ADocumentOfMoreValuesThanTheCapIsRefusedAsAFailure) {
    // Every value counts once: containers, members' values and items alike.
    const auto array = [](std::size_t items) {
        std::string text = "[";
        for (std::size_t i = 0; i < items; ++i) {
            text += i == 0 ? "0" : ",0";
        }
        return text + "]";
    };
    EXPECT_TRUE(ParseJson(array(kMaxJsonValues - 1)).has_value());
    EXPECT_THROW(ParseJson(array(kMaxJsonValues)), JsonError);
    EXPECT_TRUE(ParseJson(R"({"a":[1,{"b":null}]})", 5).has_value());
    EXPECT_THROW(ParseJson(R"({"a":[1,{"b":null}]})", 4), JsonError);
    try {
        ParseJson("[[],{},\"s\"]", 3);
        ADD_FAILURE() << "four values passed a cap of three";
    } catch (const JsonError& e) {
        EXPECT_STREQ(e.what(), "The JSON document holds more than 3 values");
    }
    // Text that is no JSON within the cap stays no document.
    EXPECT_FALSE(ParseJson("[0,0,", 5).has_value());
}

TEST(JsonReader, KeepsMemberOrderNestingAndFirstOfTwinNames) {
    const JsonValue doc = Parse(R"({"z":1,"a":{"k":[true,null,"s",{"x":"y"}]},"m":"v","z":2})");
    ASSERT_EQ(doc.Members().size(), 4u);
    EXPECT_EQ(doc.Members()[0].name, "z");
    EXPECT_EQ(doc.Members()[1].name, "a");
    EXPECT_EQ(doc.Members()[2].name, "m");
    EXPECT_EQ(doc.TextAt("z"), "1");

    const JsonValue& list = doc.ObjectAt("a").ArrayAt("k");
    ASSERT_EQ(list.Items().size(), 4u);
    EXPECT_EQ(list.Items()[0].Text(), "true");
    EXPECT_EQ(list.Items()[1].Text(), "null");
    EXPECT_EQ(list.Items()[2].Text(), "s");
    EXPECT_EQ(list.Items()[3].TextAt("x"), "y");
}

TEST(JsonReader, MemberReadingsAndTheirFailures) {
    const JsonValue doc = Parse(R"({"s":"t","n":0.10,"o":{},"a":[],"nul":null,"f":false})");
    EXPECT_EQ(doc.TextAt("s"), "t");
    EXPECT_EQ(doc.TextAt("n"), "0.10");
    EXPECT_EQ(doc.TextAt("o"), "");
    EXPECT_EQ(doc.TextAt("a"), "");
    EXPECT_EQ(doc.TextAt("nul"), "null");
    EXPECT_EQ(doc.TextAt("f"), "false");

    EXPECT_EQ(doc.Find("missing"), nullptr);
    EXPECT_EQ(doc.Find("s")->Text(), "t");
    EXPECT_EQ(Parse("[1]").Find("s"), nullptr);

    const auto message = [&](auto reading) -> std::string {
        try {
            reading();
        } catch (const JsonError& e) {
            return e.what();
        }
        return "no error";
    };
    EXPECT_EQ(message([&] { doc.TextAt("missing"); }), "JSON member \"missing\" not found");
    EXPECT_EQ(message([&] { doc.ObjectAt("a"); }), "JSON member \"a\" is array, not object");
    EXPECT_EQ(message([&] { doc.ArrayAt("s"); }), "JSON member \"s\" is string, not array");
    EXPECT_EQ(message([&] { doc.ObjectAt("missing"); }), "JSON member \"missing\" not found");
    EXPECT_EQ(message([&] { Parse("[]").At("s"); }), "Cannot read member \"s\" of a JSON array");
}

TEST(JsonReader, StrictStringConversion) {
    const JsonValue doc =
        Parse(R"({"str":"-23.5","num":-46.64,"nul":null,"obj":{"a":1},"arr":[1],"t":true})");
    EXPECT_EQ(doc.At("str").StrictString(), "-23.5");
    EXPECT_EQ(doc.At("num").StrictString(), "-46.64");
    EXPECT_EQ(doc.At("nul").StrictString(), "");
    EXPECT_EQ(doc.At("t").StrictString(), "true");

    const auto message = [](const JsonValue& value) -> std::string {
        try {
            value.StrictString();
        } catch (const JsonError& e) {
            return e.what();
        }
        return "no error";
    };
    EXPECT_EQ(message(doc.At("obj")), "Conversion from object to string is not supported");
    EXPECT_EQ(message(doc.At("arr")), "Conversion from array to string is not supported");
}

} // namespace
} // namespace brisko::net
