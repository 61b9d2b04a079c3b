// The lines of a track as the tests' models see them: a line ends at CR LF or at a lone CR.
#pragma once

#include <string_view>
#include <vector>

namespace quellmark::test {

// Fills Lines, keeping its memory from call to call.
inline void SplitTrackLines(std::string_view Bytes, std::vector<std::string_view>& Lines) {
    Lines.clear();
    std::size_t At = 0;
    while (At < Bytes.size()) {
        const auto Return = Bytes.find('\r', At);
        if (Return == std::string_view::npos) {
            Lines.push_back(Bytes.substr(At));
            break;
        }
        Lines.push_back(Bytes.substr(At, Return - At));
        At = Return + 1 + (Return + 1 < Bytes.size() && Bytes[Return + 1] == '\n' ? 1 : 0);
    }
}

inline std::vector<std::string_view> SplitTrackLines(std::string_view Bytes) {
    std::vector<std::string_view> Lines;
    SplitTrackLines(Bytes, Lines);
    return Lines;
}

}  // namespace quellmark::test
