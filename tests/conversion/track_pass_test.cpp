// The block reader and the fast toggle search against a plain line-by-line model of the
// conversion, on generated tracks and at block sizes that split lines everywhere.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "conversion/failure.h"
#include "conversion/pass/icon_removal.h"
#include "conversion/pass/line_ends.h"
#include "conversion/pass/notable_bytes.h"
#include "conversion/pass/tokenizer.h"
#include "tests/support/page_end_bytes.h"
#include "tests/support/track_head.h"
#include "tests/support/track_lines.h"

namespace quellmark {
namespace {

TokenArray ModelTokens(std::string_view Line) {
    TokenArray Tokens;
    MySplit(TrimSpaces(Line), " ", Tokens);
    return Tokens;
}

// The conversion as a plain walk over a list of lines.
RunOutcome ModelConversion(std::string_view Input, IconState State, CommandType Command,
                           std::string& Output) {
    const auto Lines = test::SplitTrackLines(Input);
    std::size_t Next = 0;
    const auto Copy = [&] { Output.append(Lines[Next++]).append("\r\n"); };
    const auto FindKey = [&](const std::string& Key) -> std::optional<std::string> {
        while (Next < Lines.size()) {
            const auto Tokens = ModelTokens(Lines[Next]);
            Copy();
            if (Tokens[0] == Key) {
                return Tokens[1];
            }
        }
        return std::nullopt;
    };
    const auto Wing = FindKey("player").value_or(""), Number = FindKey("playerNum").value_or("");
    if (!FindKey("[$$$record]") || Next + 20 >= Lines.size()) {
        while (Next < Lines.size()) {
            Copy();
        }
        return RunOutcome::Stopped;
    }
    for (int Count = 0; Count < 20; ++Count) {
        Copy();
    }
    const int Pairs[] = {0, 1, 2, 3};
    for (int Count = 0; Count < Pairs[static_cast<int>(State)]; ++Count) {
        Output += "  0 279 1 0\r\n\r\n  0 279 0 0\r\n\r\n";
    }
    const char* Starts[] = {"203 1 270 ", "24 1 0", "0 1 0"};
    const char* Ends[] = {"203 0 0", "24 0 0", "0 0 0"};
    bool Start = true;
    for (; Next < Lines.size(); ++Next) {
        const auto Tokens = ModelTokens(Lines[Next]);
        if (Tokens.size() < 4 || Tokens[1] != "279") {
            Output.append(Lines[Next]).append("\r\n");
            continue;
        }
        Output += "  " + Tokens[0] + " " + (Start ? Starts : Ends)[static_cast<int>(Command)];
        if (Start && Command == CommandType::Views) {
            Output += Wing + Number;
        }
        Output += "\r\n";
        Start = !Start;
    }
    return RunOutcome::Finished;
}

// A track that mixes real-looking record lines with every kind of line that a careless
// search would get wrong.
std::string GenerateTrack(std::mt19937& Random) {
    const std::string Long(200, 'x'), Spaces(200, ' ');
    const std::string Pieces[] = {
        "  1520 17 4 0",
        "  1521 279 1 0",
        "  1522 279 0 0",
        "279 279 279",
        "  12790 5 1 0",
        "  15 2790 1 0",
        "  15 279",
        "  15\t279 1 0",
        "",
        " ",
        "  1 279 ",
        "27",
        "9 279 1",
        "player W",
        "playerNum 7",
        "[$$$record]",
        "  \x80\xff 279 1 0",
        "a\nb 279 c",
        "  8 279 1 0 extra tokens here",
        "  9  279 1 0",
        "  6 27 9 279 1",
        "  6 2799 279 1",
        // Longer than the small blocks: plain, key line, toggle line, and runs of spaces around
        // them.
        Long,
        "player " + Long,
        "playerNum " + Long + " 1",
        "  1 279 1 " + Long,
        Spaces + "2 279 1 0",
        "  3 279" + Spaces + "1",
        "  4 279" + Spaces,
        Long + " 279 1 0",
    };
    const char* Ends[] = {"\r\n", "\r\n", "\r\n", "\r\n", "\r", "\n", ""};
    std::uniform_int_distribution<std::size_t> PickPiece(0, std::size(Pieces) - 1);
    std::uniform_int_distribution<std::size_t> PickEnd(0, std::size(Ends) - 1);
    std::uniform_int_distribution<int> PickCount(0, 120);
    std::string Track;
    if (Random() % 4 != 0) {
        Track = test::TrackHead();
    }
    for (int Count = PickCount(Random); Count > 0; --Count) {
        Track += Pieces[PickPiece(Random)];
        Track += Ends[PickEnd(Random)];
    }
    return Track;
}

// Runs the pass over Input in memory, reading blocks of BlockSize, ahead on a thread of its own
// where asked; the writer takes at most BlockSize + 3 bytes a call, so that every flush meets
// short writes.
std::string RunWithBlocks(const std::string& Input, IconState State, CommandType Command,
                          std::size_t BlockSize, RunOutcome& Outcome, bool Ahead = false) {
    std::string_view Left = Input;
    std::string Output;
    TrackReader Reader(
        [&Left](char* Buffer, std::size_t Size) {
            const auto Count = std::min(Size, Left.size());
            std::copy_n(Left.data(), Count, Buffer);
            Left.remove_prefix(Count);
            return Count;
        },
        BlockSize, Ahead);
    TrackWriter Writer(
        [&Output, BlockSize](const WritePiece* Pieces, int Count) {
            std::size_t Written = 0;
            for (int Piece = 0; Piece < Count && Written < BlockSize + 3; ++Piece) {
                const auto Taken = std::min(Pieces[Piece].Size, BlockSize + 3 - Written);
                Output.append(Pieces[Piece].Data, Taken);
                Written += Taken;
            }
            return Written;
        },
        "out", BlockSize + 1);
    TrackPass Pass(Reader, Writer);
    Outcome = RemoveIcons(Pass, State, Command).Outcome;
    Writer.Flush();
    return Output;
}

// Runs the rest of a test with each scan the processor has, and the fastest again at the end.
class EachByteScan : public ::testing::TestWithParam<ByteScan> {
  public:
    void SetUp() override {
        const auto Supported = SupportedByteScans();
        if (std::find(Supported.begin(), Supported.end(), GetParam()) == Supported.end()) {
            GTEST_SKIP() << "this processor has no such scan";
        }
        UseByteScan(GetParam());
    }
    void TearDown() override { UseByteScan(SupportedByteScans().back()); }
};

// A write that takes nothing means the disk is full, whenever it comes: the run fails with
// that reason and never retries for ever.
TEST(TrackWriter, AWriteThatTakesNothingMeansTheDiskIsFull) {
    for (const std::size_t TakenFirst : {std::size_t{0}, std::size_t{3}}) {
        SCOPED_TRACE(TakenFirst);
        int Calls = 0;
        TrackWriter Writer(
            [&](const WritePiece* Pieces, int) -> std::size_t {
                if (++Calls > 100) {
                    throw std::runtime_error("retried for ever");
                }
                return Calls == 1 ? std::min(TakenFirst, Pieces[0].Size) : 0;
            },
            "out.trk", 64);
        Writer.WriteRaw("0123456789");
        try {
            Writer.Flush();
            ADD_FAILURE() << "a full disk went unnoticed";
        } catch (const TrackFileError& Error) {
            EXPECT_EQ(
                Error.Failed(),
                (Failure{FailedStep::WriteOutput, "out.trk", {}, Reason::Because(Cause::NoSpace)}));
        }
    }
}

// A CR goes before every LF that has none before it, wherever the reads and the blocks begin
// and end; nothing else changes.
TEST(LineEnds, ACrGoesBeforeEveryLoneLfWhateverTheBlocks) {
    const std::string Input = "a\nb\r\nc\r\r\n\n\rd\n";
    const std::string Expected = "a\r\nb\r\nc\r\r\n\r\n\rd\r\n";
    for (const std::size_t ReadAtMost : {1, 2, 3, 64}) {
        for (const std::size_t Asked : {1, 2, 3, 5, 64}) {
            SCOPED_TRACE(std::to_string(ReadAtMost) + " read, " + std::to_string(Asked) + " asked");
            std::string_view Left = Input;
            ReadFunction Read = LinesEndedWithCrLf([&](char* Buffer, std::size_t Size) {
                const auto Count = std::min({Size, ReadAtMost, Left.size()});
                std::copy_n(Left.data(), Count, Buffer);
                Left.remove_prefix(Count);
                return Count;
            });
            std::string Output;
            char Block[64];
            for (std::size_t Got; (Got = Read(Block, Asked)) > 0;) {
                ASSERT_LE(Got, Asked);
                Output.append(Block, Got);
            }
            EXPECT_EQ(Output, Expected);
        }
    }
}

// A read that fails ahead of the pass fails the pass where it would have used the block, with
// the file and the reason, whichever block it is.
TEST(TrackReader, AFailureReadAheadComesToThePass) {
    for (const int FailingBlock : {1, 2, 5}) {
        SCOPED_TRACE(FailingBlock);
        int Reads = 0;
        TrackReader Reader(
            [&](char* Buffer, std::size_t Size) -> std::size_t {
                if (++Reads == FailingBlock) {
                    ThrowFailure(FailedStep::ReadInput, "in.trk", Reason::Because(Cause::IoError));
                }
                std::fill_n(Buffer, Size, 'x');
                return Size;
            },
            8, true);
        int Blocks = 0;
        try {
            while (Reader.RefillIfEmpty()) {
                Reader.Consume(Reader.Buffered().size());
                ++Blocks;
            }
            ADD_FAILURE() << "the failure was lost";
        } catch (const TrackFileError& Error) {
            EXPECT_EQ(Error.Failed().Why, Reason::Because(Cause::IoError));
        }
        EXPECT_EQ(Blocks, FailingBlock - 1);
    }
}

TEST_P(EachByteScan, MatchesTheLineModelAtEveryBlockSize) {
    std::mt19937 Random(20261208);
    const std::size_t BlockSizes[] = {1, 2, 3, 5, 16, 61, 4096};
    for (int Track = 0; Track < 300; ++Track) {
        const std::string Input = GenerateTrack(Random);
        const auto State = static_cast<IconState>(Track % 4);
        const auto Command = static_cast<CommandType>(Track % 3);
        std::string Expected;
        const RunOutcome ExpectedOutcome = ModelConversion(Input, State, Command, Expected);
        for (const auto BlockSize : BlockSizes) {
            SCOPED_TRACE("track " + std::to_string(Track) + ", block " + std::to_string(BlockSize));
            RunOutcome Outcome{};
            ASSERT_EQ(RunWithBlocks(Input, State, Command, BlockSize, Outcome), Expected);
            ASSERT_EQ(Outcome, ExpectedOutcome);
            // Read ahead, the blocks change places under the pass: the same bytes all the same.
            // Each track is read ahead at one block size, the smallest ones now and then, since
            // every block handed between threads costs much where threads meet slowly (Wine).
            if (BlockSize == (Track % 6 == 0 ? 16 : Track % 2 == 0 ? 61 : 4096)) {
                ASSERT_EQ(RunWithBlocks(Input, State, Command, BlockSize, Outcome, true), Expected);
                ASSERT_EQ(Outcome, ExpectedOutcome);
            }
        }
    }
}

TEST_P(EachByteScan, FindsWhatTheByteLoopFindsAndReadsNoFurther) {
    std::mt19937 Random(8122026);
    const std::string Pieces[] = {" 279 ", " 27", "9 ", "\r\n", "\r", "\n", "x", " ", "279"};
    PageEndBytes Memory;
    for (int Round = 0; Round < 3000; ++Round) {
        std::string Bytes;
        while (Bytes.size() < static_cast<std::size_t>(Round % 300)) {
            Bytes += Round % 7 == 0 ? "x" : Pieces[Random() % std::size(Pieces)];
        }
        const std::string_view Placed = Memory.Place(Bytes);
        std::size_t Expected = 0;
        while (Expected < Bytes.size() &&
               !(Bytes[Expected] == '\r'
                     ? Expected + 1 == Bytes.size() || Bytes[Expected + 1] != '\n'
                     : Bytes.compare(Expected, 5, " 279 ") == 0)) {
            ++Expected;
        }
        ASSERT_EQ(FindNotableByte(Placed), Expected) << "round " << Round;
    }
}

std::string ScanName(const ::testing::TestParamInfo<ByteScan>& Info) {
    const char* Names[] = {"Plain", "Sse2", "Avx2"};
    return Names[static_cast<int>(Info.param)];
}

INSTANTIATE_TEST_SUITE_P(, EachByteScan,
                         ::testing::Values(ByteScan::Plain, ByteScan::Sse2, ByteScan::Avx2),
                         ScanName);

}  // namespace
}  // namespace quellmark
