#include "conversion/pass/tokenizer.h"

#include <gtest/gtest.h>

namespace quellmark {
namespace {

using namespace std::string_literals;

struct SplitRow {
    const char* Name;
    std::string Text;
    std::string Seperator;
    TokenArray Expected;  // the pieces and the closing empty slot
};

TEST(MySplit, SplitsAsTracksExpect) {
    const SplitRow Rows[] = {
        {"key and value", "player WING", " ", {"player", "WING", ""}},
        {"record line", "0 279 1 0", " ", {"0", "279", "1", "0", ""}},
        {"two spaces give an empty piece", "a  b", " ", {"a", "", "b", ""}},
        {"trailing space", "a ", " ", {"a", "", ""}},
        {"leading space", " a", " ", {"", "a", ""}},
        {"no separator", "abc", " ", {"abc", ""}},
        {"empty string", "", " ", {""}},
        {"a tab does not separate", "a\tb", " ", {"a\tb", ""}},
        {"only a space", " ", " ", {"", "", ""}},
        {"spaces kept without separator", "  a  ", ",", {"  a  ", ""}},
        {"pieces trimmed of spaces", " a , b ", ",", {"a", "b", ""}},
        {"only the separator's first character is skipped", "xaby", "ab", {"x", "by", ""}},
        {"bytes passed through", "\x80\xff \0x"s, " ", {"\x80\xff", "\0x"s, ""}},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        TokenArray Result{"left", "over"};
        const int Count = MySplit(Row.Text, Row.Seperator, Result);
        EXPECT_EQ(Count, static_cast<int>(Row.Expected.size()) - 1);
        EXPECT_EQ(Result, Row.Expected);
    }
}

TEST(MySplit, KeepsEveryPiecePastOneHundredAndOne) {
    std::string Text = "t0";
    for (int Piece = 1; Piece < 250; ++Piece) {
        Text += " t" + std::to_string(Piece);
    }
    TokenArray Result;
    ASSERT_EQ(MySplit(Text, " ", Result), 250);
    ASSERT_EQ(Result.size(), 251u);
    EXPECT_EQ(Result[0], "t0");
    EXPECT_EQ(Result[1], "t1");
    EXPECT_EQ(Result[249], "t249");
    EXPECT_EQ(Result[250], "");
}

TEST(TrimSpaces, RemovesOnlySpaces) {
    EXPECT_EQ(TrimSpaces("  a b  "), "a b");
    EXPECT_EQ(TrimSpaces("\t a \t"), "\t a \t");
    EXPECT_EQ(TrimSpaces("   "), "");
}

}  // namespace
}  // namespace quellmark
