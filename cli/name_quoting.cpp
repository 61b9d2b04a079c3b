#include "cli/name_quoting.h"

#include <cstdio>

namespace quellmark {
namespace {

// The length of the character that starts at At, as UTF-8 counts it; 0 for a byte that starts
// none.
std::size_t CharacterLength(const std::string& Name, std::size_t At) {
    const auto Lead = static_cast<unsigned char>(Name[At]);
    const std::size_t Length = Lead < 0x80           ? 1
                               : (Lead >> 5) == 0x6  ? 2
                               : (Lead >> 4) == 0xe  ? 3
                               : (Lead >> 3) == 0x1e ? 4
                                                     : 0;
    if (Length == 0 || At + Length > Name.size()) {
        return 0;
    }
    for (std::size_t Next = 1; Next < Length; ++Next) {
        if ((static_cast<unsigned char>(Name[At + Next]) >> 6) != 0x2) {
            return 0;
        }
    }
    return Length;
}

// The bytes from At that a terminal must not see as they are: a control character, C0 or DEL
// or C1 (U+0080 to U+009F, which xterm takes as CSI and the like), or a byte that is no UTF-8.
// Returns how many, or 0 when the character there is printable.
std::size_t UnprintableAt(const std::string& Name, std::size_t At) {
    const auto Lead = static_cast<unsigned char>(Name[At]);
    const std::size_t Length = CharacterLength(Name, At);
    if (Length == 0 || Lead < 0x20 || Lead == 0x7f) {
        return 1;
    }
    const bool C1 = Length == 2 && Lead == 0xc2 && static_cast<unsigned char>(Name[At + 1]) < 0xa0;
    return C1 ? 2 : 0;
}

std::string Escaped(unsigned char Byte) {
    switch (Byte) {
        case '\a':
            return "\\a";
        case '\b':
            return "\\b";
        case '\t':
            return "\\t";
        case '\n':
            return "\\n";
        case '\v':
            return "\\v";
        case '\f':
            return "\\f";
        case '\r':
            return "\\r";
        default: {
            char Octal[8];
            std::snprintf(Octal, sizeof Octal, "\\%03o", Byte);
            return Octal;
        }
    }
}

}  // namespace

std::string QuotedName(const std::string& Name) {
    std::string Quoted = "'";
    bool InQuotes = true;
    for (std::size_t At = 0; At < Name.size();) {
        if (const std::size_t Unprintable = UnprintableAt(Name, At); Unprintable > 0) {
            Quoted += InQuotes ? "'$'" : "";
            for (std::size_t Byte = 0; Byte < Unprintable; ++Byte) {
                Quoted += Escaped(static_cast<unsigned char>(Name[At + Byte]));
            }
            At += Unprintable;
            InQuotes = false;
            if (At == Name.size() || UnprintableAt(Name, At) == 0) {
                Quoted += "''";
                InQuotes = true;
            }
            continue;
        }
        const std::size_t Length = CharacterLength(Name, At);
        if (Name[At] == '\'') {
            Quoted += "'\\''";
        } else {
            Quoted.append(Name, At, Length);
        }
        At += Length;
    }
    Quoted += "'";
    // A name that starts or ends with a control character gains an empty '' beside it.
    if (Quoted.rfind("''$'", 0) == 0) {
        Quoted.erase(0, 2);
    }
    if (Quoted.size() >= 4 && Quoted.compare(Quoted.size() - 3, 3, "'''") == 0) {
        Quoted.erase(Quoted.size() - 2);
    }
    return Quoted;
}

}  // namespace quellmark
