// Times a conversion run against two plain copies of the same track, in the same process, and
// reports the medians, their ratios and the peak memory; or the peak memory and speed of runs
// on odd tracks.
//
//   conversion_bench [megabytes=200] [repetitions=15] [directory=$TMPDIR]   (/dev/shm: tmpfs)
//   conversion_bench odd [directory=$TMPDIR]     peak memory of runs on odd tracks
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "bench/bench_system.h"
#include "conversion/run.h"
#include "tests/support/test_files.h"
#include "tests/support/track_head.h"

namespace fs = std::filesystem;

namespace {

// A track as a recording looks: header, marker, preamble, then record lines of about 18 bytes
// with CR LF ends and an icon toggle pair every few hundred lines.
void WriteTrack(const fs::path& Path, std::size_t Megabytes) {
    std::ofstream File(Path, std::ios::binary | std::ios::trunc);
    std::string Block = quellmark::test::TrackHead();
    const std::size_t Target = Megabytes << 20;
    std::size_t Written = 0;
    unsigned Time = 0;
    for (unsigned Line = 0; Written + Block.size() < Target; ++Line) {
        if (Line % 10 == 0) {
            ++Time;
        }
        const auto Text = std::to_string(Time);
        if (Line % 300 == 150) {
            Block += "  " + Text + " 279 1 0\r\n";
        } else if (Line % 300 == 170) {
            Block += "  " + Text + " 279 0 0\r\n";
        } else {
            Block += "  " + Text + " " + std::to_string(Line % 40) + " 4 0\r\n";
        }
        if (Block.size() > (1 << 20)) {
            File.write(Block.data(), static_cast<std::streamsize>(Block.size()));
            Written += Block.size();
            Block.clear();
        }
    }
    File.write(Block.data(), static_cast<std::streamsize>(Block.size()));
}

template <typename Action>
double TimeSeconds(Action&& Run) {
    const auto Start = std::chrono::steady_clock::now();
    Run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
}

double Median(std::vector<double> Values) {
    std::sort(Values.begin(), Values.end());
    return Values[Values.size() / 2];
}

// Writes Head, then Piece Times times, then Tail, without holding the whole file.
void WriteRepeated(const fs::path& Path, const std::string& Head, const std::string& Piece,
                   std::size_t Times, const std::string& Tail) {
    std::ofstream File(Path, std::ios::binary | std::ios::trunc);
    File << Head;
    std::string Block;
    for (std::size_t Count = 0; Count < Times; ++Count) {
        Block += Piece;
        if (Block.size() >= (1 << 20)) {
            File << Block;
            Block.clear();
        }
    }
    File << Block << Tail;
}

int MeasureOddTracks(const fs::path& Directory) {
    const std::string Head = quellmark::test::TrackHead();
    const struct {
        const char* Name;
        std::string Before, Piece;
        std::size_t Times;
        std::string After;
    } Cases[] = {
        {"200 MB track of 18-byte lines", Head, "  1520 17 4 0\r\n  1520 279 1 0\r\n", 5500000, ""},
        {"1 GB line without line ends", "", "x", 1u << 30, ""},
        {"256 MB track with LF line ends", "", "  1520 17 4 0\n  1520 279 1 0\n", 9000000, ""},
        {"16 MB line of 8M tokens, player", "player", " t", 8u << 20, "\r\n"},
        {"16 MB toggle line of 8M tokens", Head + "  1 279", " t", 8u << 20, "\r\n"},
        {"10 million CR characters", "", "\r", 10000000, ""},
    };
    const auto Input = Directory / "odd.trk", Output = Directory / "odd-out.trk";
    std::printf("odd tracks, each run in a child of its own (goal: at most 16 MB peak):\n");
    for (const auto& Case : Cases) {
        WriteRepeated(Input, Case.Before, Case.Piece, Case.Times, Case.After);
        const double Megabytes = fs::file_size(Input) / 1e6;
        double Peak = 0;
        const double Seconds =
            TimeSeconds([&] { Peak = quellmark::bench::RunPeakMegabytes(Input, Output); });
        std::printf("  %-34s %7.1f MB file %6.1f MB peak %7.0f MB/s\n", Case.Name, Megabytes, Peak,
                    Megabytes / Seconds);
    }
    fs::remove_all(Directory);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    using quellmark::bench::ProcessId;
    if (quellmark::bench::RunOneIfAsked(argc, argv)) {
        return 0;
    }
    if (argc > 1 && std::string_view(argv[1]) == "odd") {
        const fs::path Directory =
            fs::path(argc > 2 ? argv[2] : fs::temp_directory_path().string()) /
            ("quellmark-odd-" + std::to_string(ProcessId()));
        fs::create_directories(Directory);
        return MeasureOddTracks(Directory);
    }
    const std::size_t Megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 200;
    const int Repetitions = argc > 2 ? std::atoi(argv[2]) : 15;
    const fs::path Place = argc > 3 ? argv[3] : fs::temp_directory_path().string();
    const fs::path Directory = Place / ("quellmark-bench-" + std::to_string(ProcessId()));
    fs::create_directories(Directory);
    const auto Input = Directory / "in.trk", Copy = Directory / "copy.trk",
               Output = Directory / "out.trk";
    WriteTrack(Input, Megabytes);
    const auto InputSize = fs::file_size(Input);

    const quellmark::RunSettings Settings{Input.string(), Output.string(),
                                          quellmark::IconState::Low, quellmark::CommandType::Views};
    std::vector<double> RangeCopyTimes, BlockCopyTimes, RunTimes;
    std::uintmax_t OutputSize = 0;
    quellmark::RunResult Done;
    bool Ok = true;
    // The three take turns in a rotating order, so that neither a slow spell of the machine
    // nor the cost of freeing the previous file falls on one of them alone.
    const auto Measure = [&](int Which) {
        fs::remove(Copy);
        fs::remove(Output);
        if (Which == 0) {
            return TimeSeconds([&] { fs::copy_file(Input, Copy); });
        }
        if (Which == 1) {
            return TimeSeconds([&] { Ok = quellmark::bench::CopyByBlocks(Input, Copy) && Ok; });
        }
        const double Seconds = TimeSeconds([&] {
            Done = quellmark::ConversionRun(Settings);
            Ok = Ok && Done.Outcome == quellmark::RunOutcome::Finished;
        });
        OutputSize = Ok ? fs::file_size(Output) : 0;
        return Seconds;
    };
    std::vector<double>* Times[] = {&RangeCopyTimes, &BlockCopyTimes, &RunTimes};
    for (int Round = 0; Round <= Repetitions; ++Round) {
        for (int Turn = 0; Turn < 3; ++Turn) {
            const int Which = (Round + Turn) % 3;
            const double Seconds = Measure(Which);
            // The first round only brings the input into the page cache.
            if (Round > 0) {
                Times[Which]->push_back(Seconds);
            }
        }
    }
    fs::remove(Copy);
    fs::remove_all(Directory);
    if (!Ok) {
        std::fprintf(stderr, "conversion failed: %s\n", quellmark::test::ReasonOf(Done).c_str());
        return 1;
    }

    const double RangeCopy = Median(RangeCopyTimes), BlockCopy = Median(BlockCopyTimes),
                 Run = Median(RunTimes);
    const double Gigabytes = static_cast<double>(InputSize) / 1e9;
    std::printf("track: %.1f MB in, %.1f MB out, %d rounds, in %s\n", InputSize / 1e6,
                OutputSize / 1e6, Repetitions, Place.string().c_str());
    std::printf("system's file copy:       median %7.1f ms  (%.2f GB/s)\n", RangeCopy * 1e3,
                Gigabytes / RangeCopy);
    std::printf("read/write copy, synced:  median %7.1f ms  (%.2f GB/s)\n", BlockCopy * 1e3,
                Gigabytes / BlockCopy);
    std::printf("conversion run:           median %7.1f ms  (%.2f GB/s)\n", Run * 1e3,
                Gigabytes / Run);
    std::printf("run / read-write copy:    %.2f  (goal on tmpfs: at most 1.20)\n", Run / BlockCopy);
    std::printf("run / system's file copy: %.2f\n", Run / RangeCopy);
    std::printf("peak memory:              %.1f MB\n", quellmark::bench::PeakMegabytes());
    return 0;
}
