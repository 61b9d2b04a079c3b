#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "conversion/run.h"
#include "tests/conversion/test_files.h"

namespace quellmark {
namespace {

namespace fs = std::filesystem;
using test::MakeTrack;
using test::ReadFile;
using test::TemporaryDirectory;
using test::WriteFile;

int OpenDescriptorCount() {
    return static_cast<int>(std::distance(fs::directory_iterator("/proc/self/fd"), {}));
}

class RunFailure : public ::testing::Test {
  public:
    void SetUp() override {
        WriteFile(Directory / "in.trk", Track);
        WriteFile(Directory / "earlier.trk", "earlier output\r\n");
    }

    RunOutcome Run(const std::string& Input, const std::string& Output) {
        Reason.clear();
        return ConversionRun({Input, Output, IconState::Full, CommandType::Views}, &Reason);
    }

    const std::string Track = MakeTrack("  1 279 1 0\r\n  2 279 0 0\r\n");
    TemporaryDirectory Directory;
    std::string Reason;
};

TEST_F(RunFailure, RefusesPathsThatNameOneFile) {
    fs::create_symlink(Directory / "in.trk", Directory / "link.trk");
    fs::create_hard_link(Directory / "in.trk", Directory / "hard.trk");
    fs::create_directory(Directory / "sub");
    const struct {
        const char* Name;
        std::string Input;
        std::string Output;
    } Rows[] = {
        {"identical strings", Directory / "in.trk", Directory / "in.trk"},
        {"both empty", "", ""},
        {"relative parts", Directory / "in.trk", Directory / "./sub/../in.trk"},
        {"symbolic link to the input", Directory / "in.trk", Directory / "link.trk"},
        {"hard link to the input", Directory / "in.trk", Directory / "hard.trk"},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        EXPECT_EQ(Run(Row.Input, Row.Output), RunOutcome::SameFile);
        EXPECT_EQ(ReadFile(Directory / "in.trk"), Track);
    }
    EXPECT_EQ(Directory.Listing(), "earlier.trk|hard.trk|in.trk|link.trk|sub");
}

TEST_F(RunFailure, NamesWhichDifferOnlyInCaseAreDifferentFiles) {
    EXPECT_EQ(Run(Directory / "in.trk", Directory / "IN.trk"), RunOutcome::Finished);
    EXPECT_EQ(ReadFile(Directory / "in.trk"), Track);
    EXPECT_NE(ReadFile(Directory / "IN.trk"), Track);
}

TEST_F(RunFailure, ReportsTheFileAndTheReasonAndKeepsEarlierFiles) {
    fs::create_directory(Directory / "folder");
    const std::string In = Directory / "in.trk";
    const std::string Earlier = Directory / "earlier.trk";
    const struct {
        const char* Name;
        std::string Input;
        std::string Output;
        std::string Message;
    } Rows[] = {
        {"missing input", Directory / "none.trk", Earlier,
         "Can't open input track '" + (Directory / "none.trk") + "': No such file or directory"},
        {"input is a directory", Directory / "folder", Earlier,
         "Can't open input track '" + (Directory / "folder") + "': Is a directory"},
        {"input is a device", "/dev/zero", Earlier,
         "Can't open input track '/dev/zero': Not a regular file"},
        {"empty input name", "", Earlier, "Can't open input track '': No such file or directory"},
        {"output folder missing", In, Directory / "none/out.trk",
         "Can't create output track '" + (Directory / "none/out.trk") +
             "': No such file or directory"},
        {"output is a directory", In, Directory / "folder",
         "Can't create output track '" + (Directory / "folder") + "': Is a directory"},
        {"output names a folder", In, Directory / "new/",
         "Can't create output track '" + (Directory / "new/") + "': Is a directory"},
        {"output is the null device", In, "/dev/null",
         "Can't create output track '/dev/null': Not a regular file"},
        {"output is a full device", In, "/dev/full",
         "Can't create output track '/dev/full': Not a regular file"},
        {"empty output name", In, "", "Can't create output track '': No such file or directory"},
    };
    const int DescriptorsBefore = OpenDescriptorCount();
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        EXPECT_EQ(Run(Row.Input, Row.Output), RunOutcome::Failed);
        EXPECT_EQ(Reason, Row.Message);
        EXPECT_EQ(ReadFile(In), Track);
        EXPECT_EQ(ReadFile(Earlier), "earlier output\r\n");
        EXPECT_EQ(Directory.Listing(), "earlier.trk|folder|in.trk");
        EXPECT_EQ(OpenDescriptorCount(), DescriptorsBefore);
    }
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST_F(RunFailure, EveryOutcomeClosesItsFilesAndCleansUp) {
    WriteFile(Directory / "short.trk", "player W\r\n");
    const struct {
        const char* Name;
        std::string Input;
        RunOutcome Outcome;
        std::string Listing;
    } Rows[] = {
        {"finished", Directory / "in.trk", RunOutcome::Finished, "earlier.trk|in.trk|short.trk"},
        {"stopped", Directory / "short.trk", RunOutcome::Stopped, "earlier.trk|in.trk|short.trk"},
        {"same file", Directory / "earlier.trk", RunOutcome::SameFile,
         "earlier.trk|in.trk|short.trk"},
        {"failed", Directory / "none.trk", RunOutcome::Failed, "earlier.trk|in.trk|short.trk"},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        const int DescriptorsBefore = OpenDescriptorCount();
        EXPECT_EQ(Run(Row.Input, Directory / "earlier.trk"), Row.Outcome);
        EXPECT_EQ(OpenDescriptorCount(), DescriptorsBefore);
        EXPECT_EQ(Directory.Listing(), Row.Listing);
        EXPECT_EQ(ReadFile(Directory / "in.trk"), Track);
    }
    EXPECT_EQ(ReadFile(Directory / "earlier.trk"), "player W\r\n");
}

// Converts Input into earlier.trk in a child process under a resource limit and returns
// "<outcome> <reason>".
std::string RunLimited(RunFailure& Test, const std::string& Input, int Resource, rlim_t Limit,
                       std::string& Reason) {
    int Pipe[2];
    if (pipe(Pipe) != 0) {
        return "no pipe";
    }
    const pid_t Child = fork();
    if (Child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit Limits{Limit, Limit};
        setrlimit(Resource, &Limits);
        const auto Outcome = ConversionRun(
            {Input, Test.Directory / "earlier.trk", IconState::Full, CommandType::Views}, &Reason);
        const std::string Report = std::to_string(static_cast<int>(Outcome)) + " " + Reason;
        [[maybe_unused]] auto Written = write(Pipe[1], Report.data(), Report.size());
        _exit(0);
    }
    close(Pipe[1]);
    std::string Report;
    char Chunk[256];
    for (ssize_t Count; (Count = read(Pipe[0], Chunk, sizeof Chunk)) > 0;) {
        Report.append(Chunk, static_cast<std::size_t>(Count));
    }
    close(Pipe[0]);
    waitpid(Child, nullptr, 0);
    return Report;
}

TEST_F(RunFailure, FullDiskLeavesTheEarlierOutputAlone) {
    // A large input against a file size limit: the writes fail part of the way through.
    std::string Body;
    while (Body.size() < 300000) {
        Body += "  1520 17 4 0\r\n  1521 279 1 0\r\n";
    }
    WriteFile(Directory / "big.trk", MakeTrack(Body));
    EXPECT_EQ(RunLimited(*this, Directory / "big.trk", RLIMIT_FSIZE, 64 * 1024, Reason),
              std::to_string(static_cast<int>(RunOutcome::Failed)) + " Can't write output track '" +
                  (Directory / "earlier.trk") + "': File too large");
    EXPECT_EQ(ReadFile(Directory / "earlier.trk"), "earlier output\r\n");
    EXPECT_EQ(ReadFile(Directory / "big.trk"), MakeTrack(Body));
    EXPECT_EQ(Directory.Listing(), "big.trk|earlier.trk|in.trk");
}

TEST_F(RunFailure, LineTooLongForMemoryFailsCleanly) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#else
    WriteFile(Directory / "long.trk", std::string(48u << 20, 'x'));
    rlimit Current{};
    getrlimit(RLIMIT_AS, &Current);
    // Room for the program as it is now plus 40 MB: the read block cannot grow to 64 MB.
    std::size_t Mapped = 0;
    std::ifstream Maps("/proc/self/statm");
    Maps >> Mapped;
    const rlim_t Limit = Mapped * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (40u << 20);
    EXPECT_EQ(RunLimited(*this, Directory / "long.trk", RLIMIT_AS, Limit, Reason),
              std::to_string(static_cast<int>(RunOutcome::Failed)) + " Can't read input track '" +
                  (Directory / "long.trk") + "': Cannot allocate memory");
    EXPECT_EQ(ReadFile(Directory / "earlier.trk"), "earlier output\r\n");
    EXPECT_EQ(Directory.Listing(), "earlier.trk|in.trk|long.trk");
#endif
}

TEST_F(RunFailure, ReplacedOutputKeepsItsPermissionsAndLinks) {
    fs::permissions(Directory / "earlier.trk", fs::perms(0640));
    ASSERT_EQ(Run(Directory / "in.trk", Directory / "earlier.trk"), RunOutcome::Finished);
    EXPECT_EQ(fs::status(Directory / "earlier.trk").permissions(), fs::perms(0640));
    EXPECT_NE(ReadFile(Directory / "earlier.trk"), "earlier output\r\n");

    fs::create_directory(Directory / "real");
    WriteFile(Directory / "real/target.trk", "old");
    fs::create_symlink("real/target.trk", Directory / "link.trk");
    ASSERT_EQ(Run(Directory / "in.trk", Directory / "link.trk"), RunOutcome::Finished);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(Directory / "link.trk")));
    EXPECT_EQ(ReadFile(Directory / "real/target.trk"), ReadFile(Directory / "earlier.trk"));
    EXPECT_EQ(Directory.Listing(), "earlier.trk|in.trk|link.trk|real");
}

}  // namespace
}  // namespace quellmark
