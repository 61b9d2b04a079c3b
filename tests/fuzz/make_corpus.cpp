// Writes a small corpus of real-looking tracks into the folder given: the conversion fuzzer
// starts from these and mutates them. The first byte of each picks the icon state, the
// replacement command and the block size.
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/track_head.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    const std::filesystem::path Folder = argv[1];
    std::filesystem::create_directories(Folder);
    const std::string Head = quellmark::test::TrackHead();
    std::string Body =
        "  1520 17 4 0\r\n  1521 279 1 0\r\n  1525 12 1 0\r\n  1535 279 0 0\r\n"
        "  1536 203 1 270 WING3\r\n";
    std::string BodyWithCr = Body;
    for (auto At = BodyWithCr.find("\r\n"); At != std::string::npos;
         At = BodyWithCr.find("\r\n", At)) {
        BodyWithCr.erase(At + 1, 1);
    }
    const struct {
        const char* Name;
        char First;
        std::string Text;
    } Tracks[] = {
        {"views-off.trk", 0, Head + Body},
        {"time-low.trk", 7, Head + Body},
        {"null-full-cr.trk", 9, Head + BodyWithCr},
        {"last-line-toggle.trk", 2, Head + "  1 279 1 0"},
        {"small-blocks.trk", 12 * 3 + 1, Head + Body},
        {"marker-at-end.trk", 1, Head.substr(0, Head.find("[$$$record]\r\n") + 13)},
        {"lf-only.trk", 3, "player W\nplayerNum 1\n"},
    };
    for (const auto& Track : Tracks) {
        std::ofstream(Folder / Track.Name, std::ios::binary) << Track.First << Track.Text;
    }
    return 0;
}
