#include "cli/name_quoting.h"

#include <cstdio>

namespace quellmark {
namespace {

bool IsControl(unsigned char Byte) {
    return Byte < 0x20 || Byte == 0x7f;
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
    for (std::size_t At = 0; At < Name.size(); ++At) {
        const auto Byte = static_cast<unsigned char>(Name[At]);
        if (IsControl(Byte)) {
            Quoted += InQuotes ? "'$'" : "";
            Quoted += Escaped(Byte);
            InQuotes = false;
            if (At + 1 == Name.size() || !IsControl(static_cast<unsigned char>(Name[At + 1]))) {
                Quoted += "''";
                InQuotes = true;
            }
        } else if (Byte == '\'') {
            Quoted += "'\\''";
        } else {
            Quoted += Name[At];
        }
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

std::string SafeMessage(std::string Message, const std::vector<std::string>& Names) {
    for (const auto& Name : Names) {
        const std::string Plain = "'" + Name + "'";
        const std::string Quoted = QuotedName(Name);
        if (Plain == Quoted) {
            continue;
        }
        for (auto At = Message.find(Plain); At != std::string::npos;
             At = Message.find(Plain, At + Quoted.size())) {
            Message.replace(At, Plain.size(), Quoted);
        }
    }
    for (auto& Character : Message) {
        if (IsControl(static_cast<unsigned char>(Character))) {
            Character = '?';
        }
    }
    return Message;
}

}  // namespace quellmark
