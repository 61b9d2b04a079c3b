#include "conversion/files/name_folding.h"

#include <algorithm>
#include <iterator>

namespace quellmark {
namespace {

struct CodeMapping {
    char32_t Code;
    char32_t To[3];  // unused places 0
};
struct CodeClass {
    char32_t Code;
    unsigned char Class;
};
struct CodePair {
    char32_t Code;
    char32_t To;
};

#include "conversion/files/unicode_tables.inc"

template <typename Row, std::size_t Size>
const Row* Find(const Row (&Table)[Size], char32_t Code) {
    const Row* Found =
        std::lower_bound(std::begin(Table), std::end(Table), Code,
                         [](const Row& Each, char32_t Wanted) { return Each.Code < Wanted; });
    return Found != std::end(Table) && Found->Code == Code ? Found : nullptr;
}

char32_t Mapped(const CodePair* Found, char32_t Code) {
    return Found != nullptr ? Found->To : Code;
}

unsigned char CombiningClass(char32_t Code) {
    const CodeClass* Found = Find(CombiningClasses, Code);
    return Found != nullptr ? Found->Class : 0;
}

// Hangul syllables decompose by rule, not by table.
constexpr char32_t SyllableBase = 0xAC00, LeadBase = 0x1100, VowelBase = 0x1161, TrailBase = 0x11A7;
constexpr char32_t VowelCount = 21, TrailCount = 28, SyllableCount = 11172;

void Decompose(char32_t Code, std::u32string& Into) {
    if (Code >= SyllableBase && Code < SyllableBase + SyllableCount) {
        const char32_t Index = Code - SyllableBase;
        Into += LeadBase + Index / (VowelCount * TrailCount);
        Into += VowelBase + Index % (VowelCount * TrailCount) / TrailCount;
        if (Index % TrailCount != 0) {
            Into += TrailBase + Index % TrailCount;
        }
        return;
    }
    if (const CodeMapping* Found = Find(Decompositions, Code)) {
        for (const char32_t Part : Found->To) {
            if (Part != 0) {
                Decompose(Part, Into);
            }
        }
        return;
    }
    Into += Code;
}

// The canonical decomposition of Text, its combining marks in their canonical order.
std::u32string Decomposed(const std::u32string& Text) {
    std::u32string Result;
    for (const char32_t Code : Text) {
        Decompose(Code, Result);
    }
    // Marks between two starters are ordered by their class; equal classes keep their order.
    for (std::size_t Start = 0; Start < Result.size();) {
        std::size_t End = Start;
        while (End < Result.size() && CombiningClass(Result[End]) != 0) {
            ++End;
        }
        std::stable_sort(Result.begin() + static_cast<std::ptrdiff_t>(Start),
                         Result.begin() + static_cast<std::ptrdiff_t>(End),
                         [](char32_t One, char32_t Other) {
                             return CombiningClass(One) < CombiningClass(Other);
                         });
        Start = End + 1;
    }
    return Result;
}

std::u32string CaseFolded(const std::u32string& Text) {
    std::u32string Result;
    for (const char32_t Code : Text) {
        const char32_t Upper = Mapped(Find(SimpleUpper, Code), Code);
        const char32_t Simple = Mapped(Find(SimpleLower, Upper), Upper);
        if (const CodeMapping* Found = Find(CaseFoldings, Simple)) {
            for (const char32_t Part : Found->To) {
                if (Part != 0) {
                    Result += Part;
                }
            }
        } else {
            Result += Simple;
        }
    }
    return Result;
}

// Name as code points; a byte that starts no valid UTF-8 sequence becomes a mark no code point
// has.
std::u32string CodePoints(std::string_view Name) {
    std::u32string Result;
    for (std::size_t At = 0; At < Name.size();) {
        const auto Lead = static_cast<unsigned char>(Name[At]);
        const std::size_t Length = Lead < 0x80       ? 1
                                   : Lead >> 5 == 6  ? 2
                                   : Lead >> 4 == 14 ? 3
                                   : Lead >> 3 == 30 ? 4
                                                     : 0;
        char32_t Code = Length == 1 ? Lead : Lead & (0x7f >> Length);
        bool Valid = Length != 0 && At + Length <= Name.size();
        for (std::size_t Next = 1; Valid && Next < Length; ++Next) {
            const auto Byte = static_cast<unsigned char>(Name[At + Next]);
            Valid = Byte >> 6 == 2;
            Code = Code << 6 | (Byte & 0x3f);
        }
        if (!Valid || Code > 0x10FFFF) {
            Result += static_cast<char32_t>(0x110000 + Lead);
            ++At;
            continue;
        }
        Result += Code;
        At += Length;
    }
    return Result;
}

}  // namespace

std::u32string CaselessKey(std::string_view Name) {
    return Decomposed(CaseFolded(Decomposed(CodePoints(Name))));
}

std::string CaselessKeyBytes(std::string_view Name) {
    std::string Bytes;
    for (const char32_t Code : CaselessKey(Name)) {
        for (int Byte = 3; Byte >= 0; --Byte) {
            Bytes += static_cast<char>((Code >> (8 * Byte)) & 0xff);
        }
    }
    return Bytes;
}

}  // namespace quellmark
