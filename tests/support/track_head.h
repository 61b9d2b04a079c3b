// The start of a real-looking track, the same for the tests, the benchmark and the fuzz
// corpus: a header with the player keys (wing WING, number 3), the record marker and the
// 20-line preamble, all with CR LF line ends.
#pragma once

#include <string>

namespace quellmark::test {

inline std::string TrackHead() {
    std::string Head =
        "[$$$header]\r\n"
        "version 3\r\n"
        "  player WING\r\n"
        "playerNum 3\r\n"
        "[$$$record]\r\n";
    for (int Line = 1; Line <= 20; ++Line) {
        Head += "  0 " + std::to_string(Line) + " 0 0\r\n";
    }
    return Head;
}

}  // namespace quellmark::test
