#include "BracketList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brisko::store {
namespace {

using Items = std::vector<std::string>;

struct ParseCase {
    std::string text;
    Items items;
};

TEST(ParseBracketList, ReadsItemsAsTheStoreWroteThem) {
    const std::vector<ParseCase> cases{
        {"", {}},
        {"[F] [D] [X] ", {"F", "D", "X"}},
        {"[a[b]", {"ab"}},         // "[" inside an item does not restart it
        {"[[a]]", {"a", ""}},      // a stray "]" closes an empty item
        {"x]", {""}},              // text outside brackets is ignored
        {"[abc", {}},              // an item never closed is dropped
        {"[a] b [c]", {"a", "c"}}, // blanks and text between items do no harm
        {"[ a ]", {" a "}},        // items are not trimmed
        {"[]", {""}},
        {"[Entrega rápida] [Moto]", {"Entrega rápida", "Moto"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseBracketList(c.text), c.items) << "text: " << c.text;
    }
}

TEST(WriteBracketList, WritesEveryItemBracketedWithATrailingBlank) {
    EXPECT_EQ(WriteBracketList({"F", "D", "X"}), "[F] [D] [X] ");
    EXPECT_EQ(WriteBracketList({}), "");
    EXPECT_EQ(ParseBracketList(WriteBracketList({"Moto", " ", ""})), (Items{"Moto", " ", ""}));
}

// 63 items of "[ab] " fill 315 characters; the text stops at 255 = 51 whole items.
TEST(WriteBracketList, CutsAfterThe255thCharacter) {
    const Items items(63, "ab");
    const std::string text = WriteBracketList(items);
    EXPECT_EQ(text.size(), 255u);
    EXPECT_EQ(ParseBracketList(text), Items(51, "ab"));

    // An item cut before its "]" is not read back.
    Items longItems(50, "abc"); // 50 x 6 = 300 characters; 42 whole items = 252, then "[ab"
    const std::string cut = WriteBracketList(longItems);
    EXPECT_EQ(cut.size(), 255u);
    EXPECT_EQ(cut.substr(252), "[ab");
    EXPECT_EQ(ParseBracketList(cut), Items(42, "abc"));
}

TEST(WriteBracketList, CountsCharactersNotBytesAndNeverSplitsOne) {
    // The filler's entry ends at character 251; "[", "x", "é", "ç" are characters 252 to 255.
    const std::string filler(248, 'a'); // "[" + 248 + "] " = 251 characters
    const Items items{filler, "xéçãz"};
    const std::string text = WriteBracketList(items);
    // 251 + "[xéç" = 255 characters; "ç" is two bytes and is kept whole.
    EXPECT_EQ(text.substr(251), "[xéç");
    EXPECT_EQ(text.size(), 251u + 1 + 1 + 2 + 2);

    // A two-byte character that is the 255th stays whole; one that would be the 256th is left out.
    const std::string filler2(249, 'a'); // 252 characters with its brackets and blank
    const std::string cut = WriteBracketList({filler2, "éé"});
    EXPECT_EQ(cut.substr(252), "[éé");
    const std::string over = WriteBracketList({filler2, "aéé"});
    EXPECT_EQ(over.substr(252), "[aé"); // the second "é" would be the 256th character
}

} // namespace
} // namespace brisko::store
