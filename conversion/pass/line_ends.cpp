#include "conversion/pass/line_ends.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

namespace quellmark {

ReadFunction LinesEndedWithCrLf(ReadFunction Read) {
    struct State {
        ReadFunction Read;
        std::string Raw;         // the bytes of one read
        std::string Converted;   // those bytes with their CRs, not all handed on yet
        std::size_t Handed = 0;  // how many of Converted were
        bool AfterCr = false;    // the byte before the read was a CR
    };
    auto Shared = std::make_shared<State>();
    Shared->Read = std::move(Read);
    return [Shared](char* Buffer, std::size_t Size) -> std::size_t {
        State& Now = *Shared;
        if (Now.Handed == Now.Converted.size()) {
            Now.Raw.resize(std::max<std::size_t>(Size / 2, 1));
            Now.Raw.resize(Now.Read(Now.Raw.data(), Now.Raw.size()));
            Now.Converted.clear();
            Now.Handed = 0;
            for (const char Byte : Now.Raw) {
                if (Byte == '\n' && !Now.AfterCr) {
                    Now.Converted += '\r';
                }
                Now.Converted += Byte;
                Now.AfterCr = Byte == '\r';
            }
        }
        const std::size_t Count = std::min(Size, Now.Converted.size() - Now.Handed);
        std::memcpy(Buffer, Now.Converted.data() + Now.Handed, Count);
        Now.Handed += Count;
        return Count;
    };
}

}  // namespace quellmark
