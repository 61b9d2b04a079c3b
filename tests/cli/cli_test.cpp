// quellmark-convert run as a user runs it: the real program, its exit status, its messages
// and the files it leaves.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "conversion/run.h"
#include "tests/support/device_nodes.h"
#include "tests/support/test_files.h"

namespace quellmark {
namespace {

using test::MakeTrack;
using test::ReadFile;
using test::WriteFile;

struct Result {
    int Status = -1;
    std::string Messages;  // standard error
};

// The program started with Arguments in Folder, under the command Wrapper when one is given;
// standard input and output are the files Input and Output when they are named, Output
// appended to when it starts with ">>". It runs under limits that end a program which writes
// or works without end within seconds, so that a fault cannot fill the disk or hang the suite.
class Started {
  public:
    Started(const std::string& Folder, const std::vector<std::string>& Arguments,
            const std::vector<std::string>& Wrapper = {}, const std::string& Input = {},
            const std::string& Output = {}) {
        int Pipe[2];
        if (pipe(Pipe) != 0) {
            return;
        }
        Child_ = fork();
        if (Child_ == 0) {
            dup2(Pipe[1], STDERR_FILENO);
            close(Pipe[0]);
            const rlimit FileSize{2u << 20, 2u << 20}, Seconds{30, 30};
            setrlimit(RLIMIT_FSIZE, &FileSize);
            setrlimit(RLIMIT_CPU, &Seconds);
            if (chdir(Folder.c_str()) != 0) {
                _exit(127);
            }
            if (!Input.empty() && freopen(Input.c_str(), "rb", stdin) == nullptr) {
                _exit(127);
            }
            const bool Append = Output.rfind(">>", 0) == 0;
            if (!Output.empty() && freopen(Output.substr(Append ? 2 : 0).c_str(),
                                           Append ? "ab" : "wb", stdout) == nullptr) {
                _exit(127);
            }
            // The leak check of a sanitizer build cannot work under a tracer.
            if (!Wrapper.empty()) {
                setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
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
        Messages_ = Pipe[0];
    }
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;
    ~Started() { Wait(); }

    Result Wait() {
        Result Got;
        if (Child_ <= 0) {
            return Got;
        }
        char Chunk[512];
        for (ssize_t Count; (Count = read(Messages_, Chunk, sizeof Chunk)) > 0;) {
            Got.Messages.append(Chunk, static_cast<std::size_t>(Count));
        }
        close(Messages_);
        int Status = 0;
        waitpid(Child_, &Status, 0);
        Child_ = -1;
        Got.Status = WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
        return Got;
    }

  private:
    pid_t Child_ = -1;
    int Messages_ = -1;
};

Result RunProgram(const std::string& Folder, const std::vector<std::string>& Arguments,
                  const std::vector<std::string>& Wrapper = {}, const std::string& Input = {},
                  const std::string& Output = {}) {
    return Started(Folder, Arguments, Wrapper, Input, Output).Wait();
}

class ConvertProgram : public ::testing::Test {
  public:
    void SetUp() override {
        WriteFile(Folder / "a.trk", Track);
        WriteFile(Folder / "short.trk", "player W\r\n");
        std::filesystem::create_directory(Folder / "out");
    }

    // What Track becomes, written out by hand: Pairs inserted toggle pairs, then each recorded
    // toggle replaced by the Start and End lines of the chosen command.
    static std::string Expected(int Pairs, const std::string& Start, const std::string& End) {
        std::string Output = test::TrackHead();
        for (int Pair = 0; Pair < Pairs; ++Pair) {
            Output += "  0 279 1 0\r\n\r\n  0 279 0 0\r\n\r\n";
        }
        return Output + "  1 " + Start + "\r\n  2 5 1 0\r\n  3 " + End + "\r\n";
    }
    static std::string Converted() { return Expected(0, "203 1 270 WING3", "203 0 0"); }

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
    const std::string Converted = this->Converted();
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
              "quellmark-convert: warning: 'short.trk' was not converted (no record section): "
              "'NoIcons_short.trk' is a copy with the icons still on\n"
              "quellmark-convert: Can't open input track 'none.trk': No such file or directory\n");
    EXPECT_EQ(ReadFile(Folder / "NoIcons_short.trk"), "player W\r\n");
    EXPECT_EQ(ReadFile(Folder / "NoIcons_a.trk"), Expected(3, "203 1 270 WING3", "203 0 0"));
    EXPECT_EQ(Folder.Listing(), "NoIcons_a.trk|NoIcons_short.trk|a.trk|out|short.trk");
}

// Each option writes the bytes written out here by hand, so that no fault of the engine or of
// the option names can hide behind the engine's own output.
TEST_F(ConvertProgram, WritesTheKnownBytesForEveryChoice) {
    const struct {
        std::vector<std::string> Arguments;
        std::string Output;
    } Rows[] = {
        {{}, Expected(0, "203 1 270 WING3", "203 0 0")},
        {{"-s", "off", "-c", "views"}, Expected(0, "203 1 270 WING3", "203 0 0")},
        {{"-s", "range"}, Expected(3, "203 1 270 WING3", "203 0 0")},
        {{"-s", "range-type"}, Expected(2, "203 1 270 WING3", "203 0 0")},
        {{"-s", "range-type-name"}, Expected(1, "203 1 270 WING3", "203 0 0")},
        {{"-c", "time-compression"}, Expected(0, "24 1 0", "24 0 0")},
        {{"--command", "none", "--icon-state", "range"}, Expected(3, "0 1 0", "0 0 0")},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(testing::PrintToString(Row.Arguments));
        auto Arguments = Row.Arguments;
        Arguments.insert(Arguments.end(), {"-f", "a.trk"});
        const auto Got = RunProgram(Folder / "", Arguments);
        EXPECT_EQ(Got.Status, 0) << Got.Messages;
        EXPECT_EQ(Got.Messages, "");
        EXPECT_EQ(ReadFile(Folder / "NoIcons_a.trk"), Row.Output);
    }
}

// What a call says and does, one row per way a script or a careless name could be misled.
TEST_F(ConvertProgram, SaysWhatReallyHappened) {
    const std::string Hostile = "x\033]0;PWNED\a\n.trk";
    WriteFile(Folder / Hostile, Track);
    std::filesystem::create_directory(Folder / "sub");
    WriteFile(Folder / "sub/a.trk", Track);
    WriteFile(Folder / "NoIcons_old.trk", Track);
    WriteFile(Folder / "NoIcons_old2.trk", Track);
    std::filesystem::create_symlink("missing.trk", Folder / "dangling.trk");
    std::filesystem::create_symlink("a.trk", Folder / "link.trk");
    WriteFile(Folder / "sub/short.trk", "player W\r\n");
    WriteFile(Folder / "-x.trk", Track);
    std::string Lf = Track;
    for (auto At = Lf.find("\r\n"); At != std::string::npos; At = Lf.find("\r\n", At)) {
        Lf.erase(At, 1);
    }
    WriteFile(Folder / "lf.trk", Lf);
    const std::string P = "quellmark-convert: ";
    const std::string Try = "Try 'quellmark-convert --help' for more information.\n";
    const std::string Changes = "2 icon toggles replaced, no toggle pair inserted";
    const struct {
        const char* Name;
        std::vector<std::string> Arguments;
        int Status;
        std::string Messages;
        std::string Listing;  // of the folder "out"
    } Rows[] = {
        {"two tracks to one output",
         {"-f", "-d", "out", "a.trk", "sub/a.trk"},
         1,
         P + "will not overwrite just-created 'out/NoIcons_a.trk' with 'sub/a.trk'\n",
         "NoIcons_a.trk"},
        {"a track given twice", {"-d", "out", "a.trk", "./a.trk"}, 0, "", "NoIcons_a.trk"},
        {"a track and a link to it", {"-d", "out", "a.trk", "link.trk"}, 0, "", "NoIcons_a.trk"},
        {"a track given twice, counted once",
         {"-v", "-d", "out", "a.trk", "./a.trk"},
         0,
         P + "'a.trk' -> 'out/NoIcons_a.trk': " + Changes + "\n" + P +
             "1 track: 1 converted, 0 not converted (copied with the icons still on), 0 failed\n",
         "NoIcons_a.trk"},
        // -n leaves alone only outputs that are tracks; what cannot be one fails as before.
        {"-n with an output that is a folder",
         {"-n", "-o", "out", "a.trk"},
         1,
         P + "Can't create output track 'out': Is a directory\n",
         ""},
        {"-n with an output that is a dangling link",
         {"-n", "-o", "dangling.trk", "a.trk"},
         1,
         P + "Can't create output track 'dangling.trk': Symbolic link to a file that does not "
             "exist\n",
         ""},
        {"-n counts what it left alone",
         {"-n", "-v", "-o", "short.trk", "a.trk"},
         0,
         P + "output track 'short.trk' exists -- left alone\n" + P +
             "1 track: 0 converted, 0 not converted (copied with the icons still on), 0 failed, 1 "
             "skipped\n",
         ""},
        {"-f with -n",
         {"-f", "-n", "a.trk"},
         2,
         P + "--force: cannot go with --skip-existing\n" + Try,
         ""},
        // Names a terminal must not see as they are, quoted as the shell writes them.
        {"a name with the last C1 control character",
         {"-d", "out", "a\xc2\x9f.trk"},
         1,
         P + "Can't open input track 'a'$'\\302\\237''.trk': No such file or directory\n",
         ""},
        {"a name with a tab",
         {"-d", "out", "a\tb.trk"},
         1,
         P + "Can't open input track 'a'$'\\t''b.trk': No such file or directory\n",
         ""},
        {"a name with a quote",
         {"-d", "out", "it's.trk"},
         1,
         P + "Can't open input track 'it'\\''s.trk': No such file or directory\n",
         ""},
        {"a name that ends in a control character",
         {"-d", "out", "end\x01"},
         1,
         P + "Can't open input track 'end'$'\\001': No such file or directory\n",
         ""},
        {"two copies to one output",
         {"-q", "-d", "out", "short.trk", "sub/short.trk"},
         1,
         P + "will not overwrite just-created 'out/NoIcons_short.trk' with 'sub/short.trk'\n",
         "NoIcons_short.trk"},
        {"a track named like an option after --",
         {"-d", "out", "--", "-x.trk"},
         0,
         "",
         "NoIcons_-x.trk"},
        {"an output of an earlier call",
         {"-d", "out", "NoIcons_old.trk"},
         0,
         P + "'NoIcons_old.trk' already has the NoIcons_ prefix -- unchanged\n",
         ""},
        // A second call on a folder meets every output of the first: one line for them all.
        {"outputs of an earlier call",
         {"-n", "-d", "out", "NoIcons_old.trk", "NoIcons_old2.trk", "a.trk"},
         0,
         P + "2 tracks already have the NoIcons_ prefix -- unchanged\n",
         "NoIcons_a.trk"},
        {"outputs of an earlier call, each named",
         {"-v", "-d", "out", "NoIcons_old.trk", "NoIcons_old2.trk"},
         0,
         P + "'NoIcons_old.trk' already has the NoIcons_ prefix -- unchanged\n" + P +
             "'NoIcons_old2.trk' already has the NoIcons_ prefix -- unchanged\n" + P +
             "2 tracks: 0 converted, 0 not converted (copied with the icons still on), 0 failed, 2 "
             "skipped\n",
         ""},
        {"outputs of an earlier call, quietly",
         {"-q", "-d", "out", "NoIcons_old.trk", "NoIcons_old2.trk"},
         0,
         "",
         ""},
        {"an output named on purpose",
         {"-o", "out/again.trk", "NoIcons_old.trk"},
         0,
         "",
         "again.trk"},
        {"no record section", {"-q", "-d", "out", "short.trk"}, 3, "", "NoIcons_short.trk"},
        {"lines that end in LF only",
         {"-d", "out", "lf.trk"},
         3,
         P + "warning: 'lf.trk' was not converted (its lines end in LF only, not CR LF): "
             "'out/NoIcons_lf.trk' is a copy with the icons still on; --lf-line-ends converts "
             "it\n",
         "NoIcons_lf.trk"},
        {"lines that end in LF only, converted as asked",
         {"-l", "-v", "-d", "out", "lf.trk"},
         0,
         P + "'lf.trk' -> 'out/NoIcons_lf.trk': " + Changes +
             "; its lines ended in LF only and are written with CR LF\n" + P +
             "1 track: 1 converted, 0 not converted (copied with the icons still on), 0 failed\n",
         "NoIcons_lf.trk"},
        {"a same-file refusal",
         {"-o", "a.trk", "a.trk"},
         1,
         P + "'a.trk' and 'a.trk': Input and Output Files Can't Be The Same File\n",
         ""},
        {"an output that is a folder",
         {"-o", "out", "a.trk"},
         1,
         P + "Can't create output track 'out': Is a directory\n",
         ""},
        {"an output that is a dangling link",
         {"-o", "dangling.trk", "a.trk"},
         1,
         P + "Can't create output track 'dangling.trk': Symbolic link to a file that does not "
             "exist\n",
         ""},
        {"an output in a missing folder",
         {"-o", "new/", "a.trk"},
         1,
         P + "Can't create output track 'new/': No such file or directory\n",
         ""},
        {"a name with control characters",
         {"-d", "none", Hostile},
         1,
         P + "Can't open folder 'none' of output track 'none/NoIcons_x'$'\\033'']0;PWNED'$'"
             "\\a\\n''.trk': No such file or directory\n",
         ""},
        {"a name with DEL",
         {"-d", "out", "del\x7f.trk"},
         1,
         P + "Can't open input track 'del'$'\\177''.trk': No such file or directory\n",
         ""},
        {"a name that starts with a control character",
         {"-d", "out", "\x01start.trk"},
         1,
         P + "Can't open input track $'\\001''start.trk': No such file or directory\n",
         ""},
        {"a name with a C1 control character",
         {"-d", "out",
          "a\xc2\x9b"
          "31m.trk"},
         1,
         P + "Can't open input track 'a'$'\\302\\233''31m.trk': No such file or directory\n",
         ""},
        {"the count of one track",
         {"-v", "-d", "out", "a.trk"},
         0,
         P + "'a.trk' -> 'out/NoIcons_a.trk': " + Changes + "\n" + P +
             "1 track: 1 converted, 0 not converted (copied with the icons still on), 0 failed\n",
         "NoIcons_a.trk"},
        {"an output that exists",
         {"-o", "short.trk", "a.trk"},
         1,
         P + "output track 'short.trk' already exists; use --force to replace it\n",
         ""},
        {"the counts with a skipped track",
         {"-v", "-d", "out", "a.trk", "NoIcons_old.trk"},
         0,
         P + "'a.trk' -> 'out/NoIcons_a.trk': " + Changes + "\n" + P +
             "'NoIcons_old.trk' already has the NoIcons_ prefix -- unchanged\n" + P +
             "2 tracks: 1 converted, 0 not converted (copied with the icons still on), 0 failed, 1 "
             "skipped\n",
         "NoIcons_a.trk"},
        {"an empty output folder",
         {"-d", "", "a.trk"},
         2,
         P + "--output-dir needs a DIR, not an empty name\n" + Try,
         ""},
        {"standard input into a folder",
         {"-d", "out", "-"},
         2,
         P + "standard input (-) has no name to give its output in --output-dir\n" + Try,
         ""},
        {"the counts at the end",
         {"-v", "-d", "out", "a.trk", "short.trk", "none.trk"},
         1,
         P + "'a.trk' -> 'out/NoIcons_a.trk': " + Changes + "\n" + P +
             "warning: 'short.trk' was not converted (no record section): "
             "'out/NoIcons_short.trk' is a copy with the icons still on\n" +
             P + "Can't open input track 'none.trk': No such file or directory\n" + P +
             "3 tracks: 1 converted, 1 not converted (copied with the icons still on), 1 failed\n",
         "NoIcons_a.trk|NoIcons_short.trk"},
        {"an unknown option first",
         {"--frobnicate"},
         2,
         P + "unrecognized option '--frobnicate'\nTry 'quellmark-convert --help' for more "
             "information.\n",
         ""},
        {"an unknown short option",
         {"-V"},
         2,
         P + "invalid option -- 'V'\nTry 'quellmark-convert --help' for more information.\n",
         ""},
        {"an empty output name",
         {"-o", "", "a.trk"},
         2,
         P + "--output needs a FILE, not an empty name\nTry 'quellmark-convert --help' for more "
             "information.\n",
         ""},
        {"quiet and verbose",
         {"-q", "-v", "a.trk"},
         2,
         P + "--quiet: cannot go with --verbose\nTry 'quellmark-convert --help' for more "
             "information.\n",
         ""},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        std::filesystem::remove_all(Folder / "out");
        std::filesystem::create_directory(Folder / "out");
        const auto Got = RunProgram(Folder / "", Row.Arguments);
        EXPECT_EQ(Got.Status, Row.Status);
        EXPECT_EQ(Got.Messages, Row.Messages);
        EXPECT_EQ(Folder.ListingOf(Folder / "out"), Row.Listing);
        EXPECT_EQ(ReadFile(Folder / "a.trk"), Track);
        if (std::filesystem::exists(Folder / "out/NoIcons_a.trk")) {
            EXPECT_EQ(ReadFile(Folder / "out/NoIcons_a.trk"), Converted());
        }
    }
}

// The help names the default value of each option that has one, and no other.
TEST_F(ConvertProgram, TheHelpMarksEachDefault) {
    Started Help(Folder / "", {"--help"});
    int Marked = 0;
    std::string Lines;
    FILE* Out = popen((std::string(QUELLMARK_CONVERT) + " --help").c_str(), "r");
    ASSERT_NE(Out, nullptr);
    char Line[512];
    while (std::fgets(Line, sizeof Line, Out) != nullptr) {
        const std::string Text = Line;
        if (Text.find("(the default)") != std::string::npos) {
            ++Marked;
            Lines += Text.substr(0, Text.find_first_not_of(' ', 2));
            Lines += Text.substr(2, Text.find(' ', 2) - 2) + "|";
        }
    }
    EXPECT_EQ(pclose(Out), 0);
    EXPECT_EQ(Help.Wait().Status, 0);
    EXPECT_EQ(Marked, 2);
    EXPECT_EQ(Lines, "  off|  views|");
}

// "-" is a stream, and only "-": standard input and output, never the input written into itself.
TEST_F(ConvertProgram, ConvertsThroughTheStandardStreams) {
    const std::string P = "quellmark-convert: ";
    const std::string SameFile = ": Input and Output Files Can't Be The Same File\n";
    const struct {
        const char* Name;
        std::vector<std::string> Arguments;
        std::string Input;   // standard input, a file in the folder
        std::string Output;  // standard output, a file in the folder (">>" appends)
        int Status;
        std::string Messages;
        std::string Written;  // the file that holds the converted track
    } Rows[] = {
        {"standard input to standard output",
         {"-"},
         "open.trk",
         "out/stdout.trk",
         0,
         "",
         "out/stdout.trk"},
        {"a track to standard output",
         {"-o", "-", "a.trk"},
         "",
         "out/stdout.trk",
         0,
         "",
         "out/stdout.trk"},
        {"standard input to a named output",
         {"-o", "out/b.trk", "-"},
         "a.trk",
         "out/stdout.trk",
         0,
         "",
         "out/b.trk"},
        {"a track appended to itself",
         {"-o", "-", "a.trk"},
         "",
         ">>a.trk",
         1,
         P + "'a.trk' and 'standard output'" + SameFile,
         ""},
        {"standard input appended to itself",
         {"-"},
         "a.trk",
         ">>a.trk",
         1,
         P + "'standard input' and 'standard output'" + SameFile,
         ""},
        {"a device to standard output",
         {"-o", "-", "dev/zero"},
         "",
         "out/stdout.trk",
         1,
         P + "Can't open input track 'dev/zero': Not a regular file\n",
         ""},
        {"a folder to standard output",
         {"-o", "-", "out"},
         "",
         "out/stdout.trk",
         1,
         P + "Can't open input track 'out': Is a directory\n",
         ""},
        {"standard output that is full",
         {"-o", "-", "a.trk"},
         "",
         "dev/full",
         1,
         P + "Can't write output track 'standard output': No space left on device\n",
         ""},
    };
    // Its last line without a line end: the output's CR LF comes after the last read.
    WriteFile(Folder / "open.trk", Track.substr(0, Track.size() - 2));
    // Devices of the test's own, never the machine's.
    std::filesystem::create_directory(Folder / "dev");
    const bool HasDevices =
        test::MakeDevice(Folder / "dev", "zero") && test::MakeDevice(Folder / "dev", "full");
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        const bool Device = Row.Output.rfind("dev/", 0) == 0 ||
                            (!Row.Arguments.empty() && Row.Arguments.back().rfind("dev/", 0) == 0);
        if (Device && !HasDevices) {
            std::printf("skipped: %s needs root to make devices of its own\n", Row.Name);
            continue;
        }
        std::filesystem::remove_all(Folder / "out");
        std::filesystem::create_directory(Folder / "out");
        const bool Append = Row.Output.rfind(">>", 0) == 0;
        const auto Got =
            RunProgram(Folder / "", Row.Arguments, {}, Row.Input.empty() ? "" : Folder / Row.Input,
                       Append ? ">>" + (Folder / Row.Output.substr(2)) : Folder / Row.Output);
        EXPECT_EQ(Got.Status, Row.Status);
        EXPECT_EQ(Got.Messages, Row.Messages);
        EXPECT_EQ(ReadFile(Folder / "a.trk"), Track);
        if (!Row.Written.empty()) {
            EXPECT_EQ(ReadFile(Folder / Row.Written), Converted());
        }
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
                                    {"/usr/bin/strace", "-o", Folder / "strace.log", "-e",
                                     std::string("inject=") + Call + ":signal=SIGTERM"});
        // Killed by the signal, once the new track is whole and in place.
        EXPECT_EQ(Got.Status, -1) << Got.Messages;
        EXPECT_EQ(ReadFile(Folder / "out/old.trk"), Converted());
        EXPECT_EQ(Folder.ListingOf(Folder / "out"), "old.trk");
    }
}

// A flush that fails: the track's data is no output at all, its folder's is said and counted
// as a failure, for a crash could still lose the new name.
TEST_F(ConvertProgram, AFailedFlushIsAFailure) {
    if (access("/usr/bin/strace", X_OK) != 0) {
        GTEST_SKIP() << "strace is needed to fail a chosen system call";
    }
    const std::string P = "quellmark-convert: ";
    const struct {
        const char* Call;
        std::string Messages;
        std::string Kept;
    } Rows[] = {
        {"fdatasync", P + "Can't write output track 'out/old.trk': Input/output error\n",
         "earlier output\r\n"},
        {"fsync",
         P + "'out/old.trk' is in place, but may not survive a crash: Can't flush to disk folder "
             "'out' for output track 'out/old.trk': Input/output error\n",
         Converted()},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Call);
        std::filesystem::remove_all(Folder / "out");
        std::filesystem::create_directory(Folder / "out");
        WriteFile(Folder / "out/old.trk", "earlier output\r\n");
        const auto Got = RunProgram(Folder / "", {"-f", "-o", "out/old.trk", "a.trk"},
                                    {"/usr/bin/strace", "-f", "-o", Folder / "strace.log", "-e",
                                     std::string("inject=") + Row.Call + ":error=EIO"});
        EXPECT_EQ(Got.Status, 1);
        EXPECT_EQ(Got.Messages, Row.Messages);
        EXPECT_EQ(ReadFile(Folder / "out/old.trk"), Row.Kept);
        EXPECT_EQ(Folder.ListingOf(Folder / "out"), "old.trk");
    }
}

// Whether a file in Folder whose name starts with Prefix is held locked by another process;
// waits for one to appear. "none" when none appeared.
std::string LockOfFileIn(const std::string& Folder, const std::string& Prefix) {
    for (int Wait = 0; Wait < 2000; ++Wait) {
        for (const auto& Entry : std::filesystem::directory_iterator(Folder)) {
            if (Entry.path().filename().string().rfind(Prefix, 0) != 0) {
                continue;
            }
            const int File = open(Entry.path().c_str(), O_RDONLY | O_CLOEXEC);
            const bool Free = File >= 0 && flock(File, LOCK_EX | LOCK_NB) == 0;
            close(File);
            return Free ? "not locked" : "locked";
        }
        usleep(1000);
    }
    return "none";
}

// The program slowed down at a chosen system call, while the test acts: a run that takes its
// final name only after a while, or saves its track while another program creates the output.
TEST_F(ConvertProgram, HoldsItsFilesAndKeepsWhatAppearsAtItsSlowestSteps) {
    if (access("/usr/bin/strace", X_OK) != 0) {
        GTEST_SKIP() << "strace is needed to slow a chosen system call";
    }
    const std::string P = "quellmark-convert: ";
    const auto Slowed = [&](const char* Call) {
        return std::vector<std::string>{
            "/usr/bin/strace",     "-f", "-o",
            Folder / "strace.log", "-e", std::string("inject=") + Call + ":delay_enter=400000"};
    };
    // Until the new track has its final name, its hidden file stays locked, after its close
    // too: no later run takes it for a leftover.
    {
        WriteFile(Folder / "out/old.trk", "earlier output\r\n");
        Started Running(Folder / "", {"-f", "-o", "out/old.trk", "a.trk"}, Slowed("renameat"));
        EXPECT_EQ(LockOfFileIn(Folder / "out", ".quellmark-"), "locked");
        const auto Got = Running.Wait();
        EXPECT_EQ(Got.Status, 0) << Got.Messages;
        EXPECT_EQ(ReadFile(Folder / "out/old.trk"), Converted());
        EXPECT_EQ(Folder.ListingOf(Folder / "out"), "old.trk");
    }
    // With -n an output that another program creates during the run is left alone, as one
    // that was there before.
    const struct {
        const char* Name;
        std::vector<std::string> Arguments;
        std::string Messages;
    } Rows[] = {
        {"quietly", {"-n", "-d", "out", "a.trk"}, ""},
        {"said with -v",
         {"-n", "-v", "-d", "out", "a.trk"},
         P + "output track 'out/NoIcons_a.trk' exists -- left alone\n" + P +
             "1 track: 0 converted, 0 not converted (copied with the icons still on), 0 failed, 1 "
             "skipped\n"},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        std::filesystem::remove_all(Folder / "out");
        std::filesystem::create_directory(Folder / "out");
        Started Running(Folder / "", Row.Arguments, Slowed("fdatasync"));
        usleep(200000);
        WriteFile(Folder / "out/NoIcons_a.trk", "notes\r\n");
        const auto Got = Running.Wait();
        EXPECT_EQ(Got.Status, 0);
        EXPECT_EQ(Got.Messages, Row.Messages);
        EXPECT_EQ(ReadFile(Folder / "out/NoIcons_a.trk"), "notes\r\n");
        EXPECT_EQ(Folder.ListingOf(Folder / "out"), "NoIcons_a.trk");
    }
}

}  // namespace
}  // namespace quellmark
