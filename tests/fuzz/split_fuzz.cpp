// MySplit on arbitrary strings and separators: no fault, and the pieces put back together give
// the string again; FirstToken agrees with it.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "conversion/pass/tokenizer.h"

namespace {

void Check(bool Holds) {
    if (!Holds) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string_view Bytes(reinterpret_cast<const char*>(Data), Size);
    quellmark::TokenArray Pieces;

    // With the separator the tracks use, every piece is the text between two spaces.
    const int Count = quellmark::MySplit(Bytes, " ", Pieces);
    Check(Count >= 0 && Pieces.size() == static_cast<std::size_t>(Count) + 1);
    Check(Pieces.back().empty());
    if (Bytes.find(' ') == std::string_view::npos) {
        Check(Count == (Bytes.empty() ? 0 : 1) && Pieces[0] == Bytes);
    } else {
        std::string Joined = Pieces[0];
        for (int Index = 1; Index < Count; ++Index) {
            Joined += " " + Pieces[Index];
        }
        Check(Joined == Bytes);
    }

    // The pass takes a line's time without splitting it; it must be MySplit's token 0.
    quellmark::MySplit(quellmark::TrimSpaces(Bytes), " ", Pieces);
    Check(quellmark::FirstToken(Bytes) == Pieces[0]);

    // Any other separator: the first byte says how long it is.
    if (Size > 1) {
        const std::size_t Length = 1 + Data[0] % 3;
        const auto Seperator = Bytes.substr(1, Length);
        const int Other = quellmark::MySplit(Bytes.substr(1 + Seperator.size()), Seperator, Pieces);
        Check(Other >= 0 && Pieces.size() == static_cast<std::size_t>(Other) + 1);
        Check(Pieces.back().empty());
    }
    return 0;
}
