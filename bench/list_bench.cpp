// Times a list of small tracks converted by quellmark-convert against a plain copy of the same
// files flushed to disk once, medians of alternating rounds, each after every disk is flushed;
// and, where root can mount the tests' FUSE filesystem, a list on a folder whose every flush
// takes 10 ms, as a slow stick's does.
//
//   list_bench CONVERTER [tracks=1000] [rounds=7] [directory=$TMPDIR] [ODD_FS slow-tracks=200]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_system.h"
#include "tests/support/track_head.h"

namespace fs = std::filesystem;
using quellmark::bench::CopyFilesSynced;
using quellmark::bench::FlushDisks;
using quellmark::bench::RunProgram;

namespace {

// Tracks of 5 to 60 KB as sorties record them, the same ones on every machine.
std::vector<std::string> WriteTracks(const fs::path& Folder, std::size_t Count) {
    std::mt19937 Random(7);
    std::vector<std::string> Names;
    for (std::size_t At = 0; At < Count; ++At) {
        const std::size_t Size = 5000 + Random() % 55000;
        std::string Track = quellmark::test::TrackHead();
        for (unsigned Line = 0; Track.size() < Size; ++Line) {
            Track += "  " + std::to_string(Line / 10) +
                     (Line % 300 == 150 ? " 279 1 0" : " 17 4 0") + "\r\n";
        }
        char Name[32];
        std::snprintf(Name, sizeof Name, "sortie%05zu.trk", At);
        std::ofstream(Folder / Name, std::ios::binary) << Track;
        Names.emplace_back(Name);
    }
    return Names;
}

double Median(std::vector<double> Values) {
    std::sort(Values.begin(), Values.end());
    return Values[Values.size() / 2];
}

// Seconds Work takes, from an empty folder Out and nothing waiting to be written.
template <typename Action>
double Timed(const fs::path& Out, Action&& Work) {
    fs::remove_all(Out);
    fs::create_directories(Out);
    FlushDisks();
    const auto Start = std::chrono::steady_clock::now();
    Work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
}

std::vector<std::string> ConvertCommand(const std::string& Converter, const fs::path& Out,
                                        const std::vector<std::string>& Names) {
    std::vector<std::string> Command = {Converter, "-q", "-d", Out.string()};
    Command.insert(Command.end(), Names.begin(), Names.end());
    return Command;
}

void CompareWithCopy(const std::string& Converter, std::size_t Count, int Rounds,
                     const fs::path& Place) {
    const fs::path Folder =
        Place / ("quellmark-list-" + std::to_string(quellmark::bench::ProcessId()));
    fs::create_directories(Folder / "tracks");
    const auto Names = WriteTracks(Folder / "tracks", Count);
    std::vector<double> Copies, Runs;
    for (int Round = 0; Round <= Rounds; ++Round) {
        for (int Turn = 0; Turn < 2; ++Turn) {
            const bool Copy = (Round + Turn) % 2 == 0;
            const double Seconds =
                Copy ? Timed(Folder / "copy",
                             [&] { CopyFilesSynced(Names, Folder / "tracks", Folder / "copy"); })
                     : Timed(Folder / "out", [&] {
                           RunProgram(ConvertCommand(Converter, Folder / "out", Names),
                                      Folder / "tracks");
                       });
            // The first round only brings the tracks into the page cache.
            if (Round > 0) {
                (Copy ? Copies : Runs).push_back(Seconds);
            }
        }
    }
    const std::size_t Converted =
        static_cast<std::size_t>(std::distance(fs::directory_iterator(Folder / "out"), {}));
    fs::remove_all(Folder);
    std::printf("%zu tracks of 5-60 KB in %s, %d rounds, %zu converted\n", Count,
                Place.string().c_str(), Rounds, Converted);
    std::printf("copy, flushed to disk:          median %7.1f ms\n", Median(Copies) * 1e3);
    std::printf("quellmark-convert -d:           median %7.1f ms\n", Median(Runs) * 1e3);
    std::printf("list / copy:                    %.2f  (goal: at most 1.50)\n",
                Median(Runs) / Median(Copies));
}

// On the tests' FUSE filesystem with a 10 ms flush: root only, as the mount is.
void OnASlowStick(const std::string& Converter, const std::string& OddFs, std::size_t Count,
                  int Rounds, const fs::path& Place) {
    const fs::path Folder =
        Place / ("quellmark-slow-" + std::to_string(quellmark::bench::ProcessId()));
    fs::create_directories(Folder / "back");
    fs::create_directories(Folder / "stick");
    const auto Names = WriteTracks(Folder / "back", Count);
    // The filesystem leaves the working folder: it is given full paths.
    if (!RunProgram({"sh", "-c",
                     "\"$0\" \"$1\" \"$2\" --slow-flush >/dev/null 2>&1 & echo $! >pid; sleep 1",
                     OddFs, (Folder / "back").string(), (Folder / "stick").string()},
                    Folder)) {
        std::printf("slow stick: the test filesystem could not be mounted here\n");
        return;
    }
    std::vector<double> Runs;
    for (int Round = 0; Round <= Rounds; ++Round) {
        const double Seconds = Timed(Folder / "stick/out", [&] {
            RunProgram(ConvertCommand(Converter, Folder / "stick/out", Names), Folder / "stick");
        });
        if (Round > 0) {
            Runs.push_back(Seconds);
        }
    }
    RunProgram({"umount", "-l", (Folder / "stick").string()}, Folder);
    RunProgram({"sh", "-c", "kill $(cat pid)"}, Folder);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    fs::remove_all(Folder);
    std::printf("%zu tracks on a folder whose every flush takes 10 ms, %d rounds\n", Count, Rounds);
    std::printf("quellmark-convert -d:           median %7.1f ms  (goal: at most 1500)\n",
                Median(Runs) * 1e3);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: list_bench CONVERTER [tracks] [rounds] [directory] "
                     "[ODD_FS slow-tracks]\n");
        return 2;
    }
    const std::size_t Count = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1000;
    const int Rounds = argc > 3 ? std::atoi(argv[3]) : 7;
    const fs::path Place = argc > 4 ? fs::path(argv[4]) : fs::temp_directory_path();
    const std::string Converter = fs::absolute(argv[1]).string();
    CompareWithCopy(Converter, Count, Rounds, Place);
    if (argc > 5) {
        OnASlowStick(Converter, fs::absolute(argv[5]).string(),
                     argc > 6 ? std::strtoul(argv[6], nullptr, 10) : 200, Rounds, Place);
    }
    return 0;
}
