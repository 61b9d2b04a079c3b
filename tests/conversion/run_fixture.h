// The fixtures of the engine's failure tests: a folder with an input track and an earlier
// output, runs that report their outcome and reason, and what root can do besides.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "conversion/run.h"
#include "tests/support/child_process.h"
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

// Sets a kernel option for the life of the object.
class KernelOption {
  public:
    KernelOption(std::string Path, const std::string& Value) : Path_(std::move(Path)) {
        std::ifstream(Path_) >> Old_;
        std::ofstream(Path_) << Value;
    }
    ~KernelOption() { std::ofstream(Path_) << Old_; }

  private:
    std::string Path_;
    std::string Old_;
};

inline void SetFolderFlags(const std::string& Folder, int Flags) {
    const int Descriptor = open(Folder.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(ioctl(Descriptor, FS_IOC_SETFLAGS, &Flags), 0);
    close(Descriptor);
}

}  // namespace quellmark
