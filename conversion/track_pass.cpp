#include "conversion/track_pass.h"

#include <cstring>

#include "conversion/tokenizer.h"

namespace quellmark {
namespace {

constexpr std::string_view ToggleCode = "279";

// On x86-64 the search below also comes in an AVX2 build, chosen at start where the processor
// has it: twice the bytes per step of the baseline SSE2.
#if defined(__x86_64__) && defined(__GNUC__)
#define QUELLMARK_WITH_AVX2 __attribute__((target_clones("avx2", "default")))
#else
#define QUELLMARK_WITH_AVX2
#endif

// The index of the first byte of Bytes that begins "279" or is a CR with something other than
// LF after it; Bytes.size() if there is none. Only lines holding such a byte need a closer
// look: every other line is a CR LF line that is copied as it stands. The last two bytes are
// judged only as far as the bytes after them are present.
QUELLMARK_WITH_AVX2 std::size_t FindNotableByte(std::string_view Bytes) {
    const auto* Data = reinterpret_cast<const unsigned char*>(Bytes.data());
    const std::size_t Size = Bytes.size();
    constexpr std::size_t Chunk = 64;
    std::size_t At = 0;
    // Branch-free over a chunk so that the compiler turns it into vector instructions.
    for (; At + Chunk + 2 <= Size; At += Chunk) {
        unsigned Seen = 0;
        for (std::size_t K = At; K < At + Chunk; ++K) {
            const unsigned char First = Data[K], Second = Data[K + 1], Third = Data[K + 2];
            Seen |= static_cast<unsigned>((First == '2') & (Second == '7') & (Third == '9')) |
                    static_cast<unsigned>((First == '\r') & (Second != '\n'));
        }
        if (Seen != 0) {
            break;
        }
    }
    for (; At + 1 < Size; ++At) {
        if ((Data[At] == '\r' && Data[At + 1] != '\n') ||
            (At + 2 < Size && Data[At] == '2' && Data[At + 1] == '7' && Data[At + 2] == '9')) {
            return At;
        }
    }
    return Size;
}

// The start of the line that holds Bytes[At], when Bytes starts at the start of a line.
std::size_t StartOfLine(std::string_view Bytes, std::size_t At) {
    const auto* Return = static_cast<const char*>(memrchr(Bytes.data(), '\r', At));
    if (Return == nullptr) {
        return 0;
    }
    const auto After = static_cast<std::size_t>(Return - Bytes.data()) + 1;
    return After + (After < Bytes.size() && Bytes[After] == '\n' ? 1 : 0);
}

}  // namespace

TrackPass::TrackPass(TrackReader& Input, TrackWriter& Output) : Input_(Input), Output_(Output) {
    Input_.OnBlockReuse([this] { Output_.Flush(); });
}

bool IsIconToggle(std::string_view Line) {
    // The split at single spaces, without building the pieces: three or more tokens means two
    // or more spaces inside the trimmed line, and token 1 lies between the first two.
    const auto Trimmed = TrimSpaces(Line);
    const auto First = Trimmed.find(' ');
    if (First == std::string_view::npos) {
        return false;
    }
    const auto Second = Trimmed.find(' ', First + 1);
    return Second != std::string_view::npos &&
           Trimmed.substr(First + 1, Second - First - 1) == ToggleCode;
}

bool TrackPass::FindKeyLine(std::string_view Key, std::string& Value) {
    TokenArray Tokens;
    while (!Input_.Exhausted()) {
        const auto Line = Input_.ReadLine();
        Output_.WriteLine(Line);
        // A line without the key anywhere cannot start with it, so most lines skip the split.
        if (Line.find(Key) != std::string_view::npos &&
            MySplit(TrimSpaces(Line), " ", Tokens) > 0 && Tokens[0] == Key) {
            Value = Tokens[1];
            return true;
        }
    }
    return false;
}

std::string TrackPass::FindPlayerWing() {
    std::string Wing;
    FindKeyLine("player", Wing);
    return Wing;
}

std::string TrackPass::FindPlayerNum() {
    std::string Number;
    FindKeyLine("playerNum", Number);
    return Number;
}

bool TrackPass::FindRecordSection() {
    std::string Unused;
    return FindKeyLine("[$$$record]", Unused);
}

bool TrackPass::LineWalk(int NumLines) {
    if (Input_.Exhausted()) {
        return false;
    }
    for (int Count = 1; Count <= NumLines; ++Count) {
        Output_.WriteLine(Input_.ReadLine());
        if (Input_.Exhausted()) {
            return false;
        }
    }
    return true;
}

bool TrackPass::FindNextIconToggle(std::string& ToggleCommandLine) {
    while (!Input_.Exhausted()) {
        const auto Bytes = Input_.Buffered();
        const auto Notable = FindNotableByte(Bytes);
        if (Notable < Bytes.size()) {
            // Everything before the notable byte's line is whole CR LF lines.
            const auto LineStart = StartOfLine(Bytes, Notable);
            Output_.WriteBorrowed(Bytes.substr(0, LineStart));
            Input_.Consume(LineStart);
        } else {
            // Copy the whole lines; the partial line at the end is judged with the next block.
            const auto* Return =
                static_cast<const char*>(memrchr(Bytes.data(), '\r', Bytes.size() - 1));
            if (Return != nullptr) {
                const auto Whole = static_cast<std::size_t>(Return - Bytes.data()) + 2;
                Output_.WriteBorrowed(Bytes.substr(0, Whole));
                Input_.Consume(Whole);
            }
            if (Input_.Fill() || Input_.Exhausted()) {
                continue;
            }
        }
        const auto Line = Input_.ReadLine();
        if (IsIconToggle(Line)) {
            ToggleCommandLine.assign(Line);
            return true;
        }
        Output_.WriteLine(Line);
    }
    return false;
}

}  // namespace quellmark
