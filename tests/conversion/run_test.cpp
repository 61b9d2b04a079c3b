#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "conversion/run.h"
#include "tests/support/test_files.h"

namespace quellmark {
namespace {

using namespace std::string_literals;
using test::Convert;
using test::MakeTrack;
using test::TrackHead;

// What the run inserts after the preamble for NumToggles pairs.
std::string Inserted(int NumToggles) {
    std::string Lines;
    for (int Count = 0; Count < NumToggles; ++Count) {
        Lines += "  0 279 1 0\r\n\r\n  0 279 0 0\r\n\r\n";
    }
    return Lines;
}

// Count preamble lines after a marker.
std::string Preamble(int Count) {
    std::string Lines;
    for (int Line = 1; Line <= Count; ++Line) {
        Lines += test::Numbered("p", Line) + "\r\n";
    }
    return Lines;
}

struct RunRow {
    const char* Name;
    std::string Input;
    IconState State;
    CommandType Command;
    std::string Expected;
    RunOutcome Outcome;
};

void CheckRows(const std::vector<RunRow>& Rows) {
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        RunOutcome Outcome{};
        EXPECT_EQ(Convert(Row.Input, Row.State, Row.Command, Outcome), Row.Expected);
        EXPECT_EQ(Outcome, Row.Outcome);
    }
}

constexpr auto Off = IconState::Off;
constexpr auto Views = CommandType::Views;
constexpr auto Finished = RunOutcome::Finished;
constexpr auto Stopped = RunOutcome::Stopped;

// Text with each CR LF made a lone LF, as a Linux editor leaves a track.
std::string WithLfEnds(std::string Text) {
    for (auto At = Text.find("\r\n"); At != std::string::npos; At = Text.find("\r\n", At)) {
        Text.erase(At, 1);
    }
    return Text;
}

// Lines that end in LF alone are read as lines where asked, and written with CR LF; a track
// of CR LF lines is the same either way; without asking, such a track is one long line.
TEST(ConversionRun, ReadsLinesThatEndInLfAloneWhereAsked) {
    const std::string Body = "  1520 279 1 0\r\n  1525 1 2 3\r\n  1535 279 0 0\r\n";
    const std::string Converted =
        MakeTrack("  1520 203 1 270 WING3\r\n  1525 1 2 3\r\n  1535 203 0 0\r\n");
    const struct {
        const char* Name;
        std::string Input;
        bool LfLineEnds;
        std::string Expected;
        RunOutcome Outcome;
        bool CrAdded;
    } Rows[] = {
        {"LF lines, asked", WithLfEnds(MakeTrack(Body)), true, Converted, Finished, true},
        {"LF lines, not asked", WithLfEnds(MakeTrack(Body)), false,
         WithLfEnds(MakeTrack(Body)) + "\r\n", Stopped, false},
        {"CR LF lines, asked", MakeTrack(Body), true, Converted, Finished, false},
        {"some lines of each, asked", WithLfEnds(TrackHead()) + Body, true, Converted, Finished,
         false},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        const test::TemporaryDirectory Directory;
        test::WriteFile(Directory / "in.trk", Row.Input);
        RunSettings Settings{Directory / "in.trk", Directory / "out.trk", Off, Views};
        Settings.LfLineEnds = Row.LfLineEnds;
        const RunResult Done = ConversionRun(Settings);
        EXPECT_EQ(Done.Outcome, Row.Outcome);
        EXPECT_EQ(Done.CrAdded, Row.CrAdded);
        EXPECT_EQ(test::ReadFile(Directory / "out.trk"), Row.Expected);
    }
}

TEST(ConversionRun, InsertsTogglePairsForEveryIconState) {
    const std::string Body = "  5 1 2 3\r\n";
    CheckRows({
        {"off inserts nothing", MakeTrack(Body), Off, Views, MakeTrack(Body), Finished},
        {"full inserts one pair", MakeTrack(Body), IconState::Full, Views,
         TrackHead() + Inserted(1) + Body, Finished},
        {"medium inserts two pairs", MakeTrack(Body), IconState::Medium, Views,
         TrackHead() + Inserted(2) + Body, Finished},
        {"low inserts three pairs", MakeTrack(Body), IconState::Low, Views,
         TrackHead() + Inserted(3) + Body, Finished},
        {"pairs go in even when nothing follows the preamble but one line", MakeTrack("x"),
         IconState::Full, Views, TrackHead() + Inserted(1) + "x\r\n", Finished},
    });
}

TEST(ConversionRun, ReplacesRecordedTogglesWithTheChosenCommand) {
    const std::string Body = "  1520 279 1 0\r\n  1525 1 2 3\r\n  1535 279 0 0\r\n";
    CheckRows({
        {"views", MakeTrack(Body), Off, Views,
         MakeTrack("  1520 203 1 270 WING3\r\n  1525 1 2 3\r\n  1535 203 0 0\r\n"), Finished},
        {"time compression", MakeTrack(Body), Off, CommandType::TimeCompression,
         MakeTrack("  1520 24 1 0\r\n  1525 1 2 3\r\n  1535 24 0 0\r\n"), Finished},
        {"null command", MakeTrack(Body), Off, CommandType::UseNullCommand,
         MakeTrack("  1520 0 1 0\r\n  1525 1 2 3\r\n  1535 0 0 0\r\n"), Finished},
        {"low with views", MakeTrack(Body), IconState::Low, Views,
         TrackHead() + Inserted(3) + "  1520 203 1 270 WING3\r\n  1525 1 2 3\r\n  1535 203 0 0\r\n",
         Finished},
        {"toggles pair by position, an odd one ends on a start line",
         MakeTrack("  1 279 0 0\r\n  2 279 1 0\r\n  3 279 0 0\r\n"), Off, Views,
         MakeTrack("  1 203 1 270 WING3\r\n  2 203 0 0\r\n  3 203 1 270 WING3\r\n"), Finished},
        {"time kept whatever its width, trailing spaces and arguments dropped",
         MakeTrack("123456 279 1 0 9   \r\n"), Off, CommandType::TimeCompression,
         MakeTrack("  123456 24 1 0\r\n"), Finished},
        {"lines that only look like toggles are copied",
         MakeTrack("  15 279\r\n  15 2790 1 0\r\n  15\t279 1 0\r\n  279 15 1 0\r\n  15 279x 1\r\n"),
         Off, Views,
         MakeTrack("  15 279\r\n  15 2790 1 0\r\n  15\t279 1 0\r\n  279 15 1 0\r\n  15 279x 1\r\n"),
         Finished},
        {"two spaces before the code make it the third token", MakeTrack("  15  279 1\r\n"), Off,
         Views, MakeTrack("  15  279 1\r\n"), Finished},
        {"a trailing space does not make a third token", MakeTrack("15 279 \r\n"), Off, Views,
         MakeTrack("15 279 \r\n"), Finished},
    });
}

TEST(ConversionRun, ReadsTheHeaderKeysInOrder) {
    const std::string Marker = "[$$$record]\r\n";
    const std::string Toggle = "  7 279 1 0\r\n";
    const auto Track = [&](const std::string& Header) {
        return Header + Marker + Preamble(20) + Toggle;
    };
    const auto Converted = [&](const std::string& Header) {
        return Header + Marker + Preamble(20);
    };
    CheckRows({
        {"indented keys", Track("  player  \r\n   playerNum 3  \r\n"), Off, Views,
         Converted("  player  \r\n   playerNum 3  \r\n") + "  7 203 1 270 3\r\n", Finished},
        {"two spaces after the key leave the wing empty", Track("player  WING\r\nplayerNum 3\r\n"),
         Off, Views, Converted("player  WING\r\nplayerNum 3\r\n") + "  7 203 1 270 3\r\n",
         Finished},
        {"wing and number joined, extra tokens ignored",
         Track("player Alpha x\r\nplayerNum 12 y\r\n"), Off, Views,
         Converted("player Alpha x\r\nplayerNum 12 y\r\n") + "  7 203 1 270 Alpha12\r\n", Finished},
        {"no player line", Track("playerNum 3\r\n"), Off, Views, Track("playerNum 3\r\n"), Stopped},
        {"keys are case-sensitive", Track("Player WING\r\nplayerNum 3\r\n"), Off, Views,
         Track("Player WING\r\nplayerNum 3\r\n"), Stopped},
        {"a tab is not a space", Track("\tplayer WING\r\nplayerNum 3\r\n"), Off, Views,
         Track("\tplayer WING\r\nplayerNum 3\r\n"), Stopped},
        {"number before wing is not seen again", Track("playerNum 3\r\nplayer WING\r\n"), Off,
         Views, Track("playerNum 3\r\nplayer WING\r\n"), Stopped},
        {"marker before the number is not seen again",
         "player W\r\n" + Marker + "playerNum 3\r\n" + Preamble(20) + Toggle, Off, Views,
         "player W\r\n" + Marker + "playerNum 3\r\n" + Preamble(20) + Toggle, Stopped},
        {"marker with more text, indented",
         "player W\r\nplayerNum 3\r\n  [$$$record] 1 2\r\n" + Preamble(20) + Toggle, Off, Views,
         "player W\r\nplayerNum 3\r\n  [$$$record] 1 2\r\n" + Preamble(20) + "  7 203 1 270 W3\r\n",
         Finished},
        {"key-like text later in a line does not count", Track("x player W\r\nplayerNum 3\r\n"),
         Off, Views, Track("x player W\r\nplayerNum 3\r\n"), Stopped},
        {"empty input", "", IconState::Low, Views, "", Stopped},
    });
}

TEST(ConversionRun, InsertsAfterExactlyTwentyPreambleLines) {
    const std::string Header = "player W\r\nplayerNum 1\r\n[$$$record]\r\n";
    const std::string ToggleInPreamble = "  0 279 1 0\r\n";
    CheckRows({
        {"marker is the last line", Header, IconState::Full, Views, Header, Stopped},
        {"19 lines", Header + Preamble(19), IconState::Full, Views, Header + Preamble(19), Stopped},
        {"20 lines", Header + Preamble(20), IconState::Full, Views, Header + Preamble(20), Stopped},
        {"21 lines", Header + Preamble(21), IconState::Full, Views,
         Header + Preamble(20) + Inserted(1) + "p21\r\n", Finished},
        {"a toggle inside the preamble is copied and not paired",
         Header + ToggleInPreamble + Preamble(19) + "  5 279 0 0\r\n", Off, Views,
         Header + ToggleInPreamble + Preamble(19) + "  5 203 1 270 W1\r\n", Finished},
    });
}

TEST(ConversionRun, NormalisesLineEndsAndPassesBytesThrough) {
    const std::string Head = TrackHead();
    CheckRows({
        {"lone CR ends a line", Head + "a\rb\r  3 279 1 0\r", Off, CommandType::UseNullCommand,
         Head + "a\r\nb\r\n  3 0 1 0\r\n", Finished},
        {"lone LF stays inside a line", Head + "a\nb\r\n\n  3 279 1 0\r\n", Off, Views,
         Head + "a\nb\r\n\n  3 279 1 0\r\n", Finished},
        {"last line without line end", Head + "  1 279 1 0\r\nlast", Off, Views,
         Head + "  1 203 1 270 WING3\r\nlast\r\n", Finished},
        {"toggle as last line without line end", Head + "  1 279 1 0\r\n  2 279 0 0", Off, Views,
         Head + "  1 203 1 270 WING3\r\n  2 203 0 0\r\n", Finished},
        {"empty lines and CR CR LF", Head + "\r\n\r\na\r\r\n\r", Off, Views,
         Head + "\r\n\r\na\r\n\r\n\r\n", Finished},
        {"high bytes and NUL", Head + "\x80\xff\0 \xe9\r\n"s + "\0 279 1 0\r\n"s, Off,
         CommandType::TimeCompression, Head + "\x80\xff\0 \xe9\r\n"s + "  \0 24 1 0\r\n"s,
         Finished},
        {"a file of LF line ends is one line", "player W\nplayerNum 1\n[$$$record]\n", Off, Views,
         "player W\nplayerNum 1\n[$$$record]\n\r\n", Stopped},
        {"header with lone CRs", "player W\rplayerNum 1\r[$$$record]\r" + Preamble(20) + "x\r", Off,
         Views, "player W\r\nplayerNum 1\r\n[$$$record]\r\n" + Preamble(20) + "x\r\n", Finished},
        {"only CR characters", "\r\r\r", Off, Views, "\r\n\r\n\r\n", Stopped},
    });
}

TEST(ConversionRun, ReportsProgressAndEndsWhenAsked) {
    const test::TemporaryDirectory Directory;
    std::string Body;
    while (Body.size() < (3u << 20)) {
        Body += "  1520 17 4 0\r\n  1521 279 1 0\r\n";
    }
    const std::string Input = MakeTrack(Body);
    test::WriteFile(Directory / "in.trk", Input);
    // Stopped after a number of blocks, or when the run reaches a stage: up to the rename the
    // earlier output stays as it was.
    const struct {
        const char* Name;
        RunStage StopAt;
        int BlocksBeforeStop;  // 0: never stops while converting
        RunOutcome Outcome;
    } Rows[] = {
        {"stopped after the first block", RunStage::Converting, 1, RunOutcome::Cancelled},
        {"stopped before the flush", RunStage::Saving, 0, RunOutcome::Cancelled},
        {"stopped before the rename", RunStage::Placing, 0, RunOutcome::Cancelled},
        {"run through", RunStage::Converting, 0, Finished},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        test::WriteFile(Directory / "out.trk", "earlier");
        std::vector<std::uint64_t> Seen;
        const auto Outcome =
            ConversionRun({Directory / "in.trk", Directory / "out.trk"}, [&](RunStage Stage,
                                                                             std::uint64_t Read,
                                                                             std::uint64_t InAll) {
                EXPECT_EQ(InAll, Input.size());
                if (Stage != RunStage::Converting) {
                    return Stage != Row.StopAt;
                }
                Seen.push_back(Read);
                return Row.BlocksBeforeStop == 0 ||
                       Seen.size() < static_cast<std::size_t>(Row.BlocksBeforeStop);
            }).Outcome;
        EXPECT_EQ(Outcome, Row.Outcome);
        EXPECT_EQ(test::ReadFile(Directory / "out.trk") == "earlier",
                  Row.Outcome == RunOutcome::Cancelled);
        EXPECT_EQ(Directory.Listing(), "in.trk|out.trk");
        ASSERT_FALSE(Seen.empty());
        EXPECT_EQ(Seen.back(), Row.BlocksBeforeStop == 0 ? Input.size() : Seen.front());
    }
}

}  // namespace
}  // namespace quellmark
