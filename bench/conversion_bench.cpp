// Times a conversion run against a plain copy of the same track, in the same process, and
// reports the medians, their ratio and the peak memory.
//
//   conversion_bench [megabytes=200] [repetitions=7] [directory=$TMPDIR]
//   conversion_bench odd [directory=$TMPDIR]     peak memory of runs on odd tracks
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/run.h"

namespace fs = std::filesystem;

namespace {

// A track as a recording looks: header, marker, preamble, then record lines of about 18 bytes
// with CR LF ends and an icon toggle pair every few hundred lines.
void WriteTrack(const fs::path& Path, std::size_t Megabytes) {
    std::ofstream File(Path, std::ios::binary | std::ios::trunc);
    std::string Block =
        "[$$$header]\r\nversion 3\r\n  player WING\r\nplayerNum 3\r\n[$$$record]\r\n";
    for (int Line = 0; Line < 20; ++Line) {
        Block += "  0 100 1 0\r\n";
    }
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

long PeakKilobytes() {
    rusage Usage{};
    getrusage(RUSAGE_SELF, &Usage);
    return Usage.ru_maxrss;
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

// Peak resident memory of a conversion run in a child process of its own, in MB.
double RunPeakMegabytes(const fs::path& Input, const fs::path& Output) {
    const pid_t Child = fork();
    if (Child == 0) {
        quellmark::ConversionRun(
            {Input, Output, quellmark::IconState::Low, quellmark::CommandType::Views});
        _exit(0);
    }
    int Status = 0;
    rusage Usage{};
    wait4(Child, &Status, 0, &Usage);
    return Usage.ru_maxrss / 1024.0;
}

int MeasureOddTracks(const fs::path& Directory) {
    std::string Head = "player W\r\nplayerNum 1\r\n[$$$record]\r\n";
    for (int Line = 0; Line < 20; ++Line) {
        Head += "  0 100 1 0\r\n";
    }
    const struct {
        const char* Name;
        std::string Before, Piece;
        std::size_t Times;
        std::string After;
    } Cases[] = {
        {"200 MB track of 18-byte lines", Head, "  1520 17 4 0\r\n  1520 279 1 0\r\n", 5500000, ""},
        {"one 50 MB line", "", "x", 50u << 20, ""},
        {"50 MB toggle line", Head + "  1 279 1 ", "x", 50u << 20, "\r\n"},
        {"1 million empty lines", Head, "\r\n", 1000000, ""},
        {"line of 10,000 tokens", Head + "  1 279 1 0", " t", 10000, "\r\n"},
        {"10 million CR characters", "", "\r", 10000000, ""},
    };
    const auto Input = Directory / "odd.trk", Output = Directory / "odd-out.trk";
    std::printf("peak memory of a run (MB):\n");
    for (const auto& Case : Cases) {
        WriteRepeated(Input, Case.Before, Case.Piece, Case.Times, Case.After);
        std::printf("  %-32s %6.1f MB file  %6.1f MB peak\n", Case.Name, fs::file_size(Input) / 1e6,
                    RunPeakMegabytes(Input, Output));
    }
    fs::remove_all(Directory);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string_view(argv[1]) == "odd") {
        const fs::path Directory =
            fs::path(argc > 2 ? argv[2] : fs::temp_directory_path().string()) /
            ("quellmark-odd-" + std::to_string(::getpid()));
        fs::create_directories(Directory);
        return MeasureOddTracks(Directory);
    }
    const std::size_t Megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 200;
    const int Repetitions = argc > 2 ? std::atoi(argv[2]) : 7;
    const fs::path Directory = fs::path(argc > 3 ? argv[3] : fs::temp_directory_path().string()) /
                               ("quellmark-bench-" + std::to_string(::getpid()));
    fs::create_directories(Directory);
    const auto Input = Directory / "in.trk", Copy = Directory / "copy.trk",
               Output = Directory / "out.trk";
    WriteTrack(Input, Megabytes);
    const auto InputSize = fs::file_size(Input);

    const quellmark::RunSettings Settings{Input, Output, quellmark::IconState::Low,
                                          quellmark::CommandType::Views};
    std::vector<double> CopyTimes, RunTimes;
    std::string Reason;
    bool Ok = true;
    for (int Round = 0; Round <= Repetitions; ++Round) {
        fs::remove(Copy);
        fs::remove(Output);
        const double CopyTime = TimeSeconds([&] { fs::copy_file(Input, Copy); });
        fs::remove(Copy);
        const double RunTime = TimeSeconds([&] {
            Ok = Ok &&
                 quellmark::ConversionRun(Settings, &Reason) == quellmark::RunOutcome::Finished;
        });
        // The first round only brings the input into the page cache.
        if (Round > 0) {
            CopyTimes.push_back(CopyTime);
            RunTimes.push_back(RunTime);
        }
    }
    const auto OutputSize = fs::file_size(Output);
    fs::remove_all(Directory);
    if (!Ok) {
        std::fprintf(stderr, "conversion failed: %s\n", Reason.c_str());
        return 1;
    }

    const double Copy_ = Median(CopyTimes), Run = Median(RunTimes);
    const double Gigabytes = static_cast<double>(InputSize) / 1e9;
    std::printf("track: %.1f MB in, %.1f MB out, %d rounds\n", InputSize / 1e6, OutputSize / 1e6,
                Repetitions);
    std::printf("plain copy:     median %7.1f ms  (%.2f GB/s)\n", Copy_ * 1e3, Gigabytes / Copy_);
    std::printf("conversion run: median %7.1f ms  (%.2f GB/s)\n", Run * 1e3, Gigabytes / Run);
    std::printf("ratio run/copy: %.2f\n", Run / Copy_);
    std::printf("peak memory:    %.1f MB\n", PeakKilobytes() / 1024.0);
    return 0;
}
