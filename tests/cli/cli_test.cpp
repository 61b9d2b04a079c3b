// quellmark-convert run as a user runs it: the real program, its exit status, its messages
// and the files it leaves.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "conversion/run.h"
#include "tests/conversion/test_files.h"

namespace quellmark {
namespace {

using test::MakeTrack;
using test::ReadFile;
using test::WriteFile;

struct Result {
    int Status = -1;
    std::string Messages;  // standard error
};

// Runs the program with Arguments in Folder, under the command Wrapper when one is given.
Result RunProgram(const std::string& Folder, const std::vector<std::string>& Arguments,
                  const std::vector<std::string>& Wrapper = {}) {
    int Pipe[2];
    if (pipe(Pipe) != 0) {
        return {};
    }
    const pid_t Child = fork();
    if (Child == 0) {
        dup2(Pipe[1], STDERR_FILENO);
        close(Pipe[0]);
        if (chdir(Folder.c_str()) != 0) {
            _exit(127);
        }
        std::vector<char*> Argv;
        for (const auto& Word : Wrapper) {
            Argv.push_back(const_cast<char*>(Word.c_str()));
        }
        Argv.push_back(const_cast<char*>(QUELLMARK_CONVERT));
        for (const auto& Argument : Arguments) {
            Argv.push_back(const_cast<char*>(Argument.c_str()));
        }
        Argv.push_back(nullptr);
        execv(Argv[0], Argv.data());
        _exit(127);
    }
    close(Pipe[1]);
    Result Got;
    char Chunk[512];
    for (ssize_t Count; (Count = read(Pipe[0], Chunk, sizeof Chunk)) > 0;) {
        Got.Messages.append(Chunk, static_cast<std::size_t>(Count));
    }
    close(Pipe[0]);
    int Status = 0;
    waitpid(Child, &Status, 0);
    Got.Status = WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
    return Got;
}

class ConvertProgram : public ::testing::Test {
  public:
    void SetUp() override {
        WriteFile(Folder / "a.trk", Track);
        WriteFile(Folder / "short.trk", "player W\r\n");
        std::filesystem::create_directory(Folder / "out");
    }

    // What the engine, and so the window, writes for Track with these choices.
    std::string Expected(IconState State, CommandType Command) {
        const test::TemporaryDirectory Other;
        WriteFile(Other / "in.trk", Track);
        ConversionRun({Other / "in.trk", Other / "out.trk", State, Command});
        return ReadFile(Other / "out.trk");
    }

    const std::string Track = MakeTrack("  1 279 1 0\r\n  2 5 1 0\r\n  3 279 0 0\r\n");
    test::TemporaryDirectory Folder;
};

TEST_F(ConvertProgram, RefusesWrongCommandLines) {
    const std::vector<std::string> Rows[] = {
        {},
        {"--bogus", "a.trk"},
        {"-s", "low", "a.trk"},
        {"-c", "neither", "a.trk"},
        {"-o", "x.trk", "a.trk", "short.trk"},
        {"-o", "x.trk", "-d", "out", "a.trk"},
    };
    for (const auto& Arguments : Rows) {
        SCOPED_TRACE(testing::PrintToString(Arguments));
        const auto Got = RunProgram(Folder / "", Arguments);
        EXPECT_EQ(Got.Status, 2);
        EXPECT_EQ(Got.Messages.rfind("quellmark-convert: ", 0), 0u) << Got.Messages;
        EXPECT_NE(Got.Messages.find("Try 'quellmark-convert --help'"), std::string::npos);
    }
    EXPECT_EQ(Folder.Listing(), "a.trk|out|short.trk");
}

TEST_F(ConvertProgram, NamesOutputsAndReplacesOnlyWhenForced) {
    const std::string Converted = Expected(IconState::Off, CommandType::Views);
    const struct {
        const char* Name;
        std::vector<std::string> Arguments;
        bool Earlier;  // an earlier file at the output
        int Status;
        std::string Output;
        std::string Content;
    } Rows[] = {
        {"beside the track", {"a.trk"}, false, 0, "NoIcons_a.trk", Converted},
        {"existing output kept", {"a.trk"}, true, 1, "NoIcons_a.trk", "earlier\r\n"},
        {"existing output forced", {"-f", "a.trk"}, true, 0, "NoIcons_a.trk", Converted},
        {"into a folder",
         {"-d", "out", Folder / "a.trk"},
         false,
         0,
         "out/NoIcons_a.trk",
         Converted},
        {"named output", {"-o", "out/b.trk", "a.trk"}, false, 0, "out/b.trk", Converted},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        std::filesystem::remove(Folder / Row.Output);
        if (Row.Earlier) {
            WriteFile(Folder / Row.Output, "earlier\r\n");
        }
        const auto Got = RunProgram(Folder / "", Row.Arguments);
        EXPECT_EQ(Got.Status, Row.Status) << Got.Messages;
        EXPECT_EQ(ReadFile(Folder / Row.Output), Row.Content);
    }
}

TEST_F(ConvertProgram, GoesOnPastTracksThatStopOrFail) {
    const auto Got = RunProgram(Folder / "", {"-s", "range", "short.trk", "none.trk", "a.trk"});
    EXPECT_EQ(Got.Status, 1);
    EXPECT_EQ(Got.Messages,
              "quellmark-convert: warning: 'short.trk' has no record section, or it ends within "
              "20 lines; 'NoIcons_short.trk' is an unchanged copy\n"
              "quellmark-convert: Can't open input track 'none.trk': No such file or directory\n");
    EXPECT_EQ(ReadFile(Folder / "NoIcons_short.trk"), "player W\r\n");
    EXPECT_EQ(ReadFile(Folder / "NoIcons_a.trk"), Expected(IconState::Low, CommandType::Views));
    EXPECT_EQ(Folder.Listing(), "NoIcons_a.trk|NoIcons_short.trk|a.trk|out|short.trk");
}

TEST_F(ConvertProgram, WritesWhatTheWindowWrites) {
    const struct {
        const char* Command;
        CommandType Type;
    } Rows[] = {
        {"views", CommandType::Views},
        {"time-compression", CommandType::TimeCompression},
        {"none", CommandType::UseNullCommand},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Command);
        const auto Got = RunProgram(Folder / "", {"-f", "-s", "range", "-c", Row.Command, "a.trk"});
        EXPECT_EQ(Got.Status, 0) << Got.Messages;
        EXPECT_EQ(Got.Messages, "");
        EXPECT_EQ(ReadFile(Folder / "NoIcons_a.trk"), Expected(IconState::Low, Row.Type));
    }
}

TEST_F(ConvertProgram, ASignalWhileTheTrackTakesItsNameLeavesOneWholeTrack) {
    if (access("/usr/bin/strace", X_OK) != 0) {
        GTEST_SKIP() << "strace is needed to send a signal at a chosen system call";
    }
    for (const char* Call : {"linkat", "renameat"}) {
        SCOPED_TRACE(Call);
        WriteFile(Folder / "out/old.trk", "earlier output\r\n");
        const auto Got = RunProgram(Folder / "", {"-f", "-o", "out/old.trk", "a.trk"},
                                    {"/usr/bin/strace", "-o", "/dev/null", "-e",
                                     std::string("inject=") + Call + ":signal=SIGTERM"});
        // Killed by the signal, once the new track is whole and in place.
        EXPECT_EQ(Got.Status, -1) << Got.Messages;
        EXPECT_EQ(ReadFile(Folder / "out/old.trk"), Expected(IconState::Off, CommandType::Views));
        EXPECT_EQ(Folder.ListingOf(Folder / "out"), "old.trk");
    }
}

}  // namespace
}  // namespace quellmark
