// A whole conversion on arbitrary bytes, checked against what must hold for every track: the
// run ends in Finished or Stopped; a stopped run's output is the input's lines with CR LF ends;
// a finished run keeps every other line in order, inserts four lines per toggle pair after the
// preamble, and replaces every toggle line after it, start and end lines in turn.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/run.h"
#include "tests/support/track_lines.h"

namespace {

void Check(bool Holds) {
    if (!Holds) {
        std::abort();
    }
}

// Tokens of a line: split at single spaces after trimming spaces.
std::vector<std::string_view> Tokens(std::string_view Line) {
    const auto First = Line.find_first_not_of(' ');
    if (First == std::string_view::npos) {
        return {};
    }
    Line = Line.substr(First, Line.find_last_not_of(' ') - First + 1);
    std::vector<std::string_view> Found;
    for (auto Space = Line.find(' '); Space != std::string_view::npos; Space = Line.find(' ')) {
        Found.push_back(Line.substr(0, Space));
        Line.remove_prefix(Space + 1);
    }
    Found.push_back(Line);
    return Found;
}

std::string_view Token(const std::vector<std::string_view>& Found, std::size_t Index) {
    return Index < Found.size() ? Found[Index] : std::string_view();
}

std::string ReadAll(const std::filesystem::path& Path) {
    std::ifstream File(Path, std::ios::binary);
    return {std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    if (Size == 0) {
        return 0;
    }
    const auto State = static_cast<quellmark::IconState>(Data[0] % 4);
    const auto Command = static_cast<quellmark::CommandType>((Data[0] / 4) % 3);
    const std::string_view Input(reinterpret_cast<const char*>(Data) + 1, Size - 1);

    static const auto Directory = [] {
        auto Path = std::filesystem::temp_directory_path() /
                    ("quellmark-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(Path);
        return Path;
    }();
    const auto InputPath = Directory / "in.trk", OutputPath = Directory / "out.trk";
    std::ofstream(InputPath, std::ios::binary | std::ios::trunc)
        .write(Input.data(), static_cast<std::streamsize>(Input.size()));
    std::string Reason;
    const auto Outcome = quellmark::ConversionRun(
        {InputPath.string(), OutputPath.string(), State, Command}, &Reason);
    Check(Outcome == quellmark::RunOutcome::Finished || Outcome == quellmark::RunOutcome::Stopped);
    const std::string Output = ReadAll(OutputPath);

    const auto In = quellmark::test::SplitTrackLines(Input);
    std::string Expected;
    std::size_t Next = 0;
    bool FoundMarker = true;
    for (const std::string_view Key : {"player", "playerNum", "[$$$record]"}) {
        FoundMarker = false;
        while (!FoundMarker && Next < In.size()) {
            FoundMarker = Token(Tokens(In[Next++]), 0) == Key;
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

    const auto Out = quellmark::test::SplitTrackLines(Output);
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
        const auto Found = Tokens(In[Line]);
        const auto Written = Out[Line + Inserted];
        if (Found.size() < 3 || Found[1] != "279") {
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
