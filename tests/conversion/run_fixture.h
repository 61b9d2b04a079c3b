// The fixtures of the engine's failure tests: a folder with an input track and an earlier
// output, runs that report their outcome and reason, and what root can do besides.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "conversion/list_run.h"
#include "conversion/run.h"
#include "tests/support/child_process.h"
#include "tests/support/system_call_filter.h"
#include "tests/support/test_files.h"

namespace quellmark {

class RunFailure : public ::testing::Test {
  public:
    void SetUp() override {
        test::WriteFile(Directory / "in.trk", Track);
        test::WriteFile(Directory / "earlier.trk", "earlier output\r\n");
    }

    RunOutcome Run(const std::string& Input, const std::string& Output,
                   ExistingOutput IfExists = ExistingOutput::Replace) {
        const RunResult Done =
            ConversionRun({Input, Output, IconState::Full, CommandType::Views, IfExists});
        Reason = test::ReasonOf(Done);
        return Done.Outcome;
    }

    // An 8 MB track beside the others, long enough to be caught mid-run; returns its path.
    std::string WriteBigTrack() {
        std::string Body;
        while (Body.size() < (8u << 20)) {
            Body += "  1520 17 4 0\r\n  1521 279 1 0\r\n";
        }
        test::WriteFile(Directory / "big.trk", test::MakeTrack(Body));
        return Directory / "big.trk";
    }

    const std::string Track = test::MakeTrack("  1 279 1 0\r\n  2 279 0 0\r\n");
    test::TemporaryDirectory Directory;
    std::string Reason;
};

// Outcome and reason as one string, "<outcome> <reason>", to compare with one expectation.
inline std::string Report(RunOutcome Outcome, const std::string& Reason = "") {
    return std::to_string(static_cast<int>(Outcome)) + " " + Reason;
}

// Each outcome and reason of a list as it was said, with how many tracks had it, in the order
// first said: "<count>x <outcome> <reason>|…".
inline std::string Tally(ListRun& List) {
    std::vector<std::string> Order;
    std::map<std::string, int> Counts;
    List.Run([&](std::size_t, const TrackResult& Done) {
        const std::string Said = Report(Done.Result.Outcome, test::ReasonOf(Done.Result));
        if (Counts[Said]++ == 0) {
            Order.push_back(Said);
        }
    });
    std::string Joined;
    for (const auto& Said : Order) {
        Joined += std::to_string(Counts[Said]) + "x " + Said + "|";
    }
    return Joined;
}

// Root only: other users, the kernel's link protection, folder flags.
class RunFailureAsRoot : public RunFailure {
  public:
    void SetUp() override {
        if (geteuid() != 0) {
            GTEST_SKIP() << "needs root to act as another user and to set kernel options";
        }
        RunFailure::SetUp();
        std::filesystem::permissions(Directory / "", std::filesystem::perms(0755));
    }

    // Runs the conversion as the user nobody and returns "<outcome> <reason>".
    std::string RunAsNobody(const std::string& Input, const std::string& Output) {
        return test::InChild([&] {
            if (setgid(65534) != 0 || setuid(65534) != 0) {
                return std::string("no user switch");
            }
            return Report(Run(Input, Output), Reason);
        });
    }

    static std::string Failed(const std::string& Message) {
        return Report(RunOutcome::Failed, Message);
    }
};

// The value of a kernel option, read only: the tests never change the machine's settings.
inline std::string KernelOption(const std::string& Path) {
    std::string Value;
    std::ifstream(Path) >> Value;
    return Value;
}

// Flags (append-only, immutable) added to a file or folder of the test's own for the life of
// the object, so that its folder can be removed however the test ends.
class FileFlags {
  public:
    FileFlags(std::string Path, int Flags) : Path_(std::move(Path)), Flags_(Flags) {
        Set_ = Change(Flags_, true);
    }
    FileFlags(const FileFlags&) = delete;
    FileFlags& operator=(const FileFlags&) = delete;
    ~FileFlags() { Clear(); }
    // Whether the flags could be set.
    bool IsSet() const { return Set_; }
    bool Clear() { return !std::exchange(Set_, false) || Change(Flags_, false); }

  private:
    bool Change(int Flags, bool On) const {
        const int Descriptor = open(Path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        int Now = 0;
        bool Done = ioctl(Descriptor, FS_IOC_GETFLAGS, &Now) == 0;
        Now = On ? Now | Flags : Now & ~Flags;
        Done = Done && ioctl(Descriptor, FS_IOC_SETFLAGS, &Now) == 0;
        close(Descriptor);
        return Done;
    }

    std::string Path_;
    int Flags_;
    bool Set_ = false;
};

// A conversion in a child process that waits at the first step of the stage asked until the
// test lets it go on; Prepare runs in the child first (a filter, a limit) and says whether it
// could.
class PausedRun {
  public:
    PausedRun(
        const RunSettings& Settings, RunStage At,
        const std::function<bool()>& Prepare = [] { return true; })
        : Pipes_(MakePipes()), Child_([this, Settings, At, Prepare] {
              if (!Prepare()) {
                  return std::string("not prepared");
              }
              bool Told = false;
              const RunResult Done =
                  ConversionRun(Settings, [&](RunStage Stage, std::uint64_t, std::uint64_t) {
                      char Go = 0;
                      if (Stage == At && !Told) {
                          Told = write(Pipes_[1], "x", 1) == 1 && read(Pipes_[2], &Go, 1) == 1;
                      }
                      return true;
                  });
              return Report(Done.Outcome, test::ReasonOf(Done));
          }) {}
    PausedRun(const PausedRun&) = delete;
    PausedRun& operator=(const PausedRun&) = delete;
    ~PausedRun() {
        Resume();
        for (const int End : Pipes_) {
            close(End);
        }
    }

    // Whether the run got to the step; false when it ended before.
    bool Paused() {
        char Signal = 0;
        return read(Pipes_[0], &Signal, 1) == 1;
    }
    int Pid() const { return Child_.Pid(); }
    // Lets the run go on, and returns "<outcome> <reason>" once it has ended.
    std::string Resume() {
        [[maybe_unused]] const auto Told = write(Pipes_[3], "x", 1);
        close(Pipes_[0]);
        Pipes_[0] = -1;
        return Child_.Wait();
    }
    int Status() const { return Child_.Status(); }

  private:
    // Paused: the child's end [1], the test's [0]; resumed: the test's [3], the child's [2].
    static std::array<int, 4> MakePipes() {
        std::array<int, 4> Ends{-1, -1, -1, -1};
        if (pipe(Ends.data()) != 0 || pipe(Ends.data() + 2) != 0) {
            throw std::runtime_error("no pipe");
        }
        return Ends;
    }

    std::array<int, 4> Pipes_;
    test::Child Child_;
};

// Converts Input into Output in a child, as IfExists says, while another program creates
// Output: after the run has looked at the output path and before it puts its file in place.
// Named: the folder is taken for one without unnamed files.
inline std::string CreateDuringRun(const std::string& Input, const std::string& Output,
                                   ExistingOutput IfExists, bool Named) {
    PausedRun Running(
        {Input, Output, IconState::Full, CommandType::Views, IfExists}, RunStage::Converting,
        [Named] { return !Named || test::RefuseSystemCalls({test::UnnamedFilesRefused()}); });
    if (Running.Paused()) {
        const int Created = open(Output.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0640);
        [[maybe_unused]] auto Written = write(Created, "notes\r\n", 7);
        close(Created);
    }
    return Running.Resume();
}

}  // namespace quellmark
