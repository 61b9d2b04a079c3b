#include "conversion/pass/track_pass.h"

#include <cstring>

#include "conversion/pass/notable_bytes.h"

namespace quellmark {
namespace {

constexpr std::string_view ToggleCode = "279";

// The index of the first space or CR of Bytes from From on; Bytes.size() if there is none.
std::size_t FindSpaceOrReturn(std::string_view Bytes, std::size_t From) {
    while (From < Bytes.size() && Bytes[From] != ' ' && Bytes[From] != '\r') {
        ++From;
    }
    return From;
}

std::size_t FindReturn(std::string_view Bytes) {
    const auto* Return = static_cast<const char*>(std::memchr(Bytes.data(), '\r', Bytes.size()));
    return Return == nullptr ? Bytes.size() : static_cast<std::size_t>(Return - Bytes.data());
}

}  // namespace

TrackPass::TrackPass(TrackReader& Input, TrackWriter& Output) : Input_(Input), Output_(Output) {
    Input_.OnBlockReuse([this] { Output_.Flush(); });
}

bool TrackPass::InputExhausted() {
    if (AfterReturn_) {
        AfterReturn_ = false;
        if (Input_.RefillIfEmpty() && Input_.Buffered().front() == '\n') {
            Input_.Consume(1);
        }
    }
    return !Input_.RefillIfEmpty();
}

// Ends the line at the CR at Return in Bytes, copying Bytes up to it and writing the line end
// unless the line is skipped. A CR LF goes with the copied stretch as it stands.
void TrackPass::EndLineAt(std::string_view Bytes, std::size_t Return, Rest What) {
    const bool LineFeedFollows = Return + 1 < Bytes.size() && Bytes[Return + 1] == '\n';
    if (What == Rest::Copy && LineFeedFollows) {
        Output_.WriteBorrowed(Bytes.substr(0, Return + 2));
    } else if (What == Rest::Copy) {
        Output_.WriteBorrowed(Bytes.substr(0, Return));
        Output_.WriteRaw("\r\n");
    }
    Input_.Consume(Return + 1 + (LineFeedFollows ? 1 : 0));
    AfterReturn_ = Return + 1 == Bytes.size();
}

void TrackPass::FinishLine(Rest What) {
    while (Input_.RefillIfEmpty()) {
        const auto Bytes = Input_.Buffered();
        const auto Return = FindReturn(Bytes);
        if (Return < Bytes.size()) {
            EndLineAt(Bytes, Return, What);
            return;
        }
        if (What == Rest::Copy) {
            Output_.WriteBorrowed(Bytes);
        }
        Input_.Consume(Bytes.size());
    }
    // The last line had no line end: a copied one gets one.
    if (What == Rest::Copy) {
        Output_.WriteRaw("\r\n");
    }
}

void TrackPass::WriteSpaces(std::size_t Count) {
    static const std::string Spaces(256, ' ');
    for (; Count > 0; Count -= std::min(Count, Spaces.size())) {
        Output_.WriteRaw(std::string_view(Spaces).substr(0, Count));
    }
}

// Copies one line. Its tokens are those of the line without its leading and trailing spaces,
// split at single spaces: token 0 is compared with Key as it streams by, and token 1, the
// only part held, is collected only when token 0 is Key.
bool TrackPass::ReadKeyLine(std::string_view Key, std::string& Value) {
    enum class Part { Leading, Token0, Token1 } At = Part::Leading;
    std::size_t Matched = 0;
    while (Input_.RefillIfEmpty()) {
        const auto Bytes = Input_.Buffered();
        std::size_t Next = 0;
        while (Next < Bytes.size() && Bytes[Next] != '\r') {
            const char Byte = Bytes[Next];
            if (At == Part::Leading && Byte == ' ') {
                ++Next;
            } else if (At != Part::Token1 && Byte != ' ' && Matched < Key.size() &&
                       Key[Matched] == Byte) {
                At = Part::Token0;
                ++Matched;
                ++Next;
            } else if (At == Part::Token0 && Byte == ' ' && Matched == Key.size()) {
                At = Part::Token1;
                ++Next;
            } else if (At == Part::Token1 && Byte != ' ') {
                const auto End = FindSpaceOrReturn(Bytes, Next);
                Value.append(Bytes.substr(Next, End - Next));
                Next = End;
            } else {
                // Token 0 is not Key, or token 1 is complete: the rest is only copied.
                Output_.WriteBorrowed(Bytes.substr(0, Next));
                Input_.Consume(Next);
                FinishLine(Rest::Copy);
                return At == Part::Token1;
            }
        }
        if (Next < Bytes.size()) {
            EndLineAt(Bytes, Next, Rest::Copy);
            return At == Part::Token1 || (At == Part::Token0 && Matched == Key.size());
        }
        Output_.WriteBorrowed(Bytes);
        Input_.Consume(Bytes.size());
    }
    Output_.WriteRaw("\r\n");
    return At == Part::Token1 || (At == Part::Token0 && Matched == Key.size());
}

// Value gets bytes only from a line whose token 0 is Key, so it stays empty until one is found.
bool TrackPass::FindKeyLine(std::string_view Key, std::string& Value) {
    while (!InputExhausted()) {
        if (ReadKeyLine(Key, Value)) {
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
    if (InputExhausted()) {
        return false;
    }
    for (int Count = 1; Count <= NumLines; ++Count) {
        FinishLine(Rest::Copy);
        if (InputExhausted()) {
            return false;
        }
    }
    return true;
}

// Judges one line from its start. A toggle line, after its leading spaces, reads: the time,
// one space, "279", a space, and at least one more byte that is not a trailing space. Until
// that is known, the leading spaces are held as a count, the time and the code as bytes, the
// spaces after the code as a count; they are written back as read when the line is no toggle.
bool TrackPass::ReadToggleLine(std::string& ToggleCommandLine) {
    enum class Part { Leading, Time, Code, Gap } At = Part::Leading;
    std::size_t Leading = 0, Code = 0, Gap = 0;
    Time_.clear();
    const auto WriteHeld = [&] {
        WriteSpaces(Leading);
        Output_.WriteRaw(Time_);
        if (At == Part::Code || At == Part::Gap) {
            Output_.WriteRaw(" ");
            Output_.WriteRaw(ToggleCode.substr(0, Code));
        }
        WriteSpaces(Gap);
    };
    while (Input_.RefillIfEmpty()) {
        const auto Bytes = Input_.Buffered();
        for (std::size_t Next = 0; Next < Bytes.size();) {
            const char Byte = Bytes[Next];
            if (Byte == '\r') {
                Input_.Consume(Next);
                WriteHeld();
                EndLineAt(Input_.Buffered(), 0, Rest::Copy);
                return false;
            }
            if (At == Part::Leading && Byte == ' ') {
                ++Leading;
                ++Next;
            } else if (At == Part::Leading || (At == Part::Time && Byte != ' ')) {
                At = Part::Time;
                const auto End = FindSpaceOrReturn(Bytes, Next);
                Time_.append(Bytes.substr(Next, End - Next));
                Next = End;
            } else if (At == Part::Time) {
                At = Part::Code;
                ++Next;
            } else if (At == Part::Code && Code < ToggleCode.size() && Byte == ToggleCode[Code]) {
                ++Code;
                ++Next;
            } else if ((At == Part::Code && Byte == ' ' && Code == ToggleCode.size()) ||
                       (At == Part::Gap && Byte == ' ')) {
                At = Part::Gap;
                ++Gap;
                ++Next;
            } else if (At == Part::Gap) {
                ToggleCommandLine.assign(Time_).append(" ").append(ToggleCode);
                Input_.Consume(Next);
                FinishLine(Rest::Skip);
                return true;
            } else {
                Input_.Consume(Next);
                WriteHeld();
                FinishLine(Rest::Copy);
                return false;
            }
        }
        Input_.Consume(Bytes.size());
    }
    WriteHeld();
    Output_.WriteRaw("\r\n");
    return false;
}

bool TrackPass::FindNextIconToggle(std::string& ToggleCommandLine) {
    while (!InputExhausted()) {
        // Every line before the one that holds the first notable byte is a plain CR LF line,
        // copied as it stands; that line, or the unfinished last one, is judged on its own.
        const auto Bytes = Input_.Buffered();
        const auto Notable = FindNotableByte(Bytes);
        const auto Return = Bytes.substr(0, Notable).rfind('\r');
        const auto LineStart = Return == std::string_view::npos ? 0 : Return + 2;
        Output_.WriteBorrowed(Bytes.substr(0, LineStart));
        Input_.Consume(LineStart);
        if (LineStart < Bytes.size() && ReadToggleLine(ToggleCommandLine)) {
            return true;
        }
    }
    return false;
}

}  // namespace quellmark
