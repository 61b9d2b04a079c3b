// Inputs far from what a recording looks like: huge lines, huge line counts, many tokens.
#include <gtest/gtest.h>

#include <string>

#include "conversion/run.h"
#include "tests/support/test_files.h"

namespace quellmark {
namespace {

using test::Convert;
using test::MakeTrack;

std::string Repeat(std::string_view Piece, std::size_t Times) {
    std::string Text;
    Text.reserve(Piece.size() * Times);
    for (std::size_t Count = 0; Count < Times; ++Count) {
        Text += Piece;
    }
    return Text;
}

TEST(OddInput, ComesOutRight) {
    const std::string BigLine(50u << 20, 'x');
    const std::string LongLine(5u << 20, 'x');  // five read blocks
    const std::string ManyTokens = Repeat(" t", 10000);
    const struct {
        const char* Name;
        std::string Input;
        std::string Expected;
        RunOutcome Outcome;
    } Rows[] = {
        {"a single 50 MB line", BigLine, BigLine + "\r\n", RunOutcome::Stopped},
        {"a 5 MB toggle line", MakeTrack("  5 279 1 " + LongLine), MakeTrack("  5 24 1 0\r\n"),
         RunOutcome::Finished},
        {"a 5 MB time field", MakeTrack(LongLine + " 279 1\r\n"),
         MakeTrack("  " + LongLine + " 24 1 0\r\n"), RunOutcome::Finished},
        {"a million empty lines", MakeTrack(Repeat("\r\n", 1000000) + "  9 279 1 0\r\n"),
         MakeTrack(Repeat("\r\n", 1000000) + "  9 24 1 0\r\n"), RunOutcome::Finished},
        {"a toggle line of 10,000 tokens", MakeTrack("  5 279 1 0" + ManyTokens + "\r\n"),
         MakeTrack("  5 24 1 0\r\n"), RunOutcome::Finished},
        {"a header line of 10,000 tokens", "player W" + ManyTokens + "\r\n",
         "player W" + ManyTokens + "\r\n", RunOutcome::Stopped},
        {"only CR characters", std::string(1000000, '\r'), Repeat("\r\n", 1000000),
         RunOutcome::Stopped},
        {"only LF characters", std::string(100000, '\n'), std::string(100000, '\n') + "\r\n",
         RunOutcome::Stopped},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        RunOutcome Outcome{};
        const auto Output =
            Convert(Row.Input, IconState::Off, CommandType::TimeCompression, Outcome);
        EXPECT_EQ(Outcome, Row.Outcome);
        EXPECT_EQ(Output.size(), Row.Expected.size());
        EXPECT_TRUE(Output == Row.Expected);
    }
}

}  // namespace
}  // namespace quellmark
