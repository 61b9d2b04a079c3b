// A whole conversion on arbitrary bytes, in memory so that no file is touched, at a block
// size the first byte picks; checked against what must hold for every track: the
// run ends in Finished or Stopped; a stopped run's output is the input's lines with CR LF ends;
// a finished run keeps every other line in order, inserts four lines per toggle pair after the
// preamble, and replaces every toggle line after it, start and end lines in turn.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/pass/icon_removal.h"
#include "conversion/pass/tokenizer.h"
#include "conversion/pass/track_pass.h"
#include "tests/support/track_lines.h"

namespace {

void Check(bool Holds) {
    if (!Holds) {
        std::abort();
    }
}

// Tokens of a line by the program's own rule, which the pass's streaming judgement must match:
// MySplit at single spaces after trimming spaces.
const quellmark::TokenArray& Tokens(std::string_view Line) {
    static quellmark::TokenArray Found;
    quellmark::MySplit(quellmark::TrimSpaces(Line), " ", Found);
    return Found;
}

std::string_view Token(const quellmark::TokenArray& Found, std::size_t Index) {
    return Index < Found.size() ? std::string_view(Found[Index]) : std::string_view();
}

// Converts Input in memory, through the reader's and the writer's seams below the file calls.
quellmark::RunOutcome Convert(std::string_view Input, quellmark::IconState State,
                              quellmark::CommandType Command, std::size_t BlockSize,
                              std::string& Output) {
    quellmark::TrackReader Reader(
        [&Input](char* Buffer, std::size_t Size) {
            const auto Count = std::min(Size, Input.size());
            std::copy_n(Input.data(), Count, Buffer);
            Input.remove_prefix(Count);
            return Count;
        },
        BlockSize);
    quellmark::TrackWriter Writer(
        [&Output](const quellmark::WritePiece* Pieces, int Count) {
            std::size_t Written = 0;
            for (int Piece = 0; Piece < Count; ++Piece) {
                Output.append(Pieces[Piece].Data, Pieces[Piece].Size);
                Written += Pieces[Piece].Size;
            }
            return Written;
        },
        "out.trk", BlockSize);
    quellmark::TrackPass Pass(Reader, Writer);
    const auto Outcome = quellmark::RemoveIcons(Pass, State, Command).Outcome;
    Writer.Flush();
    return Outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    if (Size == 0) {
        return 0;
    }
    const auto State = static_cast<quellmark::IconState>(Data[0] % 4);
    const auto Command = static_cast<quellmark::CommandType>((Data[0] / 4) % 3);
    const std::string_view Input(reinterpret_cast<const char*>(Data) + 1, Size - 1);
    // Tiny blocks split lines and line ends everywhere; on long inputs they grow, so that no
    // run takes more than 64 blocks.
    const std::size_t BlockSizes[] = {4096, 1, 2, 3, 61, 512};
    const std::size_t BlockSize = std::max(BlockSizes[(Data[0] / 12) % 6], Input.size() / 64);
    // Kept from run to run, as their memory is.
    static std::string Output, Expected;
    static std::vector<std::string_view> In, Out;
    Output.clear();
    Expected.clear();
    const auto Outcome = Convert(Input, State, Command, BlockSize, Output);
    Check(Outcome == quellmark::RunOutcome::Finished || Outcome == quellmark::RunOutcome::Stopped);

    quellmark::test::SplitTrackLines(Input, In);
    std::size_t Next = 0;
    bool FoundMarker = true;
    for (const std::string_view Key : {"player", "playerNum", "[$$$record]"}) {
        FoundMarker = false;
        while (!FoundMarker && Next < In.size()) {
            // A token equal to Key is part of the line, so most lines need no split.
            FoundMarker =
                In[Next].find(Key) != std::string_view::npos && Token(Tokens(In[Next]), 0) == Key;
            ++Next;
        }
    }
    const std::size_t PreambleEnd = Next + 20;
    if (!FoundMarker || PreambleEnd >= In.size()) {
        Check(Outcome == quellmark::RunOutcome::Stopped);
        for (const auto Line : In) {
            Expected.append(Line).append("\r\n");
        }
        Check(Output == Expected);
        return 0;
    }
    Check(Outcome == quellmark::RunOutcome::Finished);

    quellmark::test::SplitTrackLines(Output, Out);
    // Off, Full, Medium and Low insert 0, 1, 2 and 3 pairs of four lines.
    const std::size_t Inserted = 4 * static_cast<std::size_t>(State);
    Check(Output.size() >= 2 && Output.substr(Output.size() - 2) == "\r\n");
    Check(Out.size() == In.size() + Inserted);
    for (std::size_t Line = 0; Line < PreambleEnd; ++Line) {
        Check(Out[Line] == In[Line]);
    }
    for (std::size_t Line = 0; Line < Inserted; ++Line) {
        Check(Out[PreambleEnd + Line] == (Line % 4 == 0   ? "  0 279 1 0"
                                          : Line % 4 == 2 ? "  0 279 0 0"
                                                          : ""));
    }
    const char* Codes[] = {"203 ", "24 ", "0 "};
    bool Start = true;
    for (std::size_t Line = PreambleEnd; Line < In.size(); ++Line) {
        const auto& Found =
            In[Line].find("279") == std::string_view::npos ? Tokens({}) : Tokens(In[Line]);
        const auto Written = Out[Line + Inserted];
        if (Found.size() < 4 || Found[1] != "279") {
            Check(Written == In[Line]);
            continue;
        }
        const std::string Head = "  " + std::string(Found[0]) + " " +
                                 Codes[static_cast<int>(Command)] + (Start ? "1 " : "0 ");
        Check(Written.substr(0, Head.size()) == Head);
        Start = !Start;
    }
    return 0;
}
