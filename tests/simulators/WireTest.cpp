// What crosses sim-host's control channel arrives as it was sent: bodies and headers in any bytes,
// orders with their literals, overrides and flags.
#include "Wire.h"

#include <gtest/gtest.h>

namespace brisko::sim {
namespace {

// Every byte value, NUL and invalid UTF-8 included.
std::string AllBytes() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
        bytes += static_cast<char>(b);
    }
    return bytes;
}

template <typename Read> auto RoundTrip(const std::string& written, Read read) {
    const std::optional<net::JsonValue> parsed = net::ParseJson(written);
    EXPECT_TRUE(parsed.has_value()) << written;
    return read(parsed.value_or(net::JsonValue{}));
}

TEST(Wire, AnswersAndRequestsKeepEveryByte) {
    Answer answer = Answer()
                        .WithStatus(302)
                        .WithBody(AllBytes())
                        .WithContentType("text/plain; charset=ISO-8859-1")
                        .WithHeader("Location", "https://localhost:1/\xE9")
                        .WithDelay(std::chrono::milliseconds(1500))
                        .Endless(std::chrono::milliseconds(100));
    const Answer read = RoundTrip(wire::Write(answer), wire::ReadAnswer);
    EXPECT_EQ(read.status, 302);
    EXPECT_EQ(read.body, AllBytes());
    EXPECT_EQ(read.contentType, answer.contentType);
    EXPECT_EQ(read.headers, answer.headers);
    EXPECT_EQ(read.delay, answer.delay);
    EXPECT_EQ(read.ending, Answer::Ending::EndlessBody);
    EXPECT_EQ(read.chunkInterval, answer.chunkInterval);

    const RecordedRequest request{
        "POST", "/a?b=%20\xFF", "/a", {{"X-Raw", AllBytes()}, {"Host", "x"}}, AllBytes()};
    const RecordedRequest seen = RoundTrip(wire::Write(request), wire::ReadRequest);
    EXPECT_EQ(seen.method, request.method);
    EXPECT_EQ(seen.target, request.target);
    EXPECT_EQ(seen.path, request.path);
    EXPECT_EQ(seen.headers, request.headers);
    EXPECT_EQ(seen.body, request.body);
}

TEST(Wire, OrdersKeepLiteralsOverridesItemsAndFlags) {
    SimOrder order = MarketplaceSimulator::SampleOrder("42", std::chrono::minutes(5));
    order.isRead = false;
    order.isPickup = true;
    order.address.complement = kJsonNull;
    order.address.reference = JsonText("\xF0\x9F\x8D\x95 \"aspas\" \\");
    order.items.push_back({"Açaí", 3, "9.90", std::string("\0\xFF", 2)});
    order.searchOverrides["created_at"] = JsonText("2999-01-01 00:00:00");
    order.detailOverrides["user"] = std::nullopt;

    const SimOrder read = RoundTrip(wire::Write(order), wire::ReadOrder);
    EXPECT_EQ(wire::Write(read), wire::Write(order)); // nothing written is left unread
    EXPECT_EQ(read.address.reference, order.address.reference);
    ASSERT_EQ(read.items.size(), 3u);
    EXPECT_EQ(read.items[2].observation, order.items[2].observation);
    EXPECT_EQ(read.searchOverrides, order.searchOverrides);
    EXPECT_EQ(read.detailOverrides, order.detailOverrides);
}

TEST(Wire, TextsNotWrittenAsBytesAreRefused) {
    const std::optional<net::JsonValue> parsed = net::ParseJson(R"({"body":"\u20ac"})");
    ASSERT_TRUE(parsed.has_value());
    EXPECT_THROW(wire::BytesAt(*parsed, "body"), net::JsonError);
}

} // namespace
} // namespace brisko::sim
