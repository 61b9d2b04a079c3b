// Runs on the systems tracks are really kept on, where root can build them: FUSE folders that
// ignore case or refuse changes of mode, no /proc, other users, leases, tiny filesystems.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sched.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "conversion/list_run.h"
#include "tests/conversion/run_fixture.h"
#include "tests/support/child_process.h"
#include "tests/support/system_call_filter.h"
#include "tests/support/test_files.h"

namespace quellmark {
namespace {

namespace fs = std::filesystem;
using test::InChild;
using test::ReadFile;
using test::WriteFile;

constexpr long FuseMagic = 0x65735546;

// The test filesystem mounted over a backing folder for the life of the object.
class OddFolder {
  public:
    OddFolder(const std::string& Backing, const std::string& MountPoint,
              const std::vector<std::string>& Options)
        : MountPoint_(MountPoint) {
        fs::create_directories(Backing);
        fs::create_directories(MountPoint);
        Process_ = fork();
        if (Process_ == 0) {
            // Should the test die, the filesystem unmounts itself: nothing stays mounted.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            std::vector<std::string> Words = {QUELLMARK_ODD_FS, Backing, MountPoint};
            Words.insert(Words.end(), Options.begin(), Options.end());
            std::vector<char*> Arguments;
            for (auto& Word : Words) {
                Arguments.push_back(Word.data());
            }
            Arguments.push_back(nullptr);
            execv(Arguments[0], Arguments.data());
            _exit(127);
        }
        for (int Wait = 0; Wait < 100 && !Mounted(); ++Wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    ~OddFolder() {
        umount2(MountPoint_.c_str(), MNT_DETACH);
        for (int Wait = 0; Wait < 100 && waitpid(Process_, nullptr, WNOHANG) == 0; ++Wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        kill(Process_, SIGKILL);
        waitpid(Process_, nullptr, 0);
    }
    bool Mounted() const {
        struct statfs System {};
        return statfs(MountPoint_.c_str(), &System) == 0 &&
               static_cast<long>(System.f_type) == FuseMagic;
    }

  private:
    std::string MountPoint_;
    pid_t Process_ = -1;
};

class OddSystem : public RunFailureAsRoot {};

TEST_F(OddSystem, KeepsTracksOnFoldersThatIgnoreCaseOrRefuseModes) {
    if (access("/dev/fuse", R_OK | W_OK) != 0) {
        GTEST_SKIP() << "no /dev/fuse to mount the test filesystem";
    }
    const std::string Back = Directory / "back", Mount = Directory / "mnt";
    const auto Failed = [&](const std::string& Action, const std::string& Name) {
        return Report(RunOutcome::Failed,
                      Action + " '" + Mount + "/" + Name + "': " + "Operation not permitted");
    };
    const struct {
        const char* Name;
        std::vector<std::string> Options;
        const char* Input;
        const char* Output;  // created beforehand with Mode when Mode is not 0
        mode_t Mode;
        std::string Report;
        bool CopyOfInput = false;  // the output a copy of the input, its time kept (cp -p)
    } Rows[] = {
        {"one file by two spellings",
         {"--casefold"},
         "case.trk",
         "CASE.TRK",
         0,
         Report(RunOutcome::SameFile)},
        {"one folder by two spellings",
         {"--casefold"},
         "Sub/x.trk",
         "sub/X.TRK",
         0,
         Report(RunOutcome::SameFile)},
        {"final sigma where names are upper-cased",
         {"--casefold"},
         "πτήσεις.trk",
         "ΠΤΉΣΕΙΣ.trk",
         0,
         Report(RunOutcome::SameFile)},
        {"y with diaeresis where names are upper-cased",
         {"--casefold"},
         "ÿ.trk",
         "Ÿ.TRK",
         0,
         Report(RunOutcome::SameFile)},
        {"Kelvin sign where names are lower-cased",
         {"--casefold-lower"},
         "\u212Aelvin.trk",
         "kelvin.trk",
         0,
         Report(RunOutcome::SameFile)},
        {"one folder by two spellings, one name",
         {"--casefold"},
         "Sub/x.trk",
         "SUB/x.trk",
         0,
         Report(RunOutcome::SameFile)},
        {"sharp s where case is folded fully",
         {"--casefold-full"},
         "stra\u00DFe.trk",
         "STRASSE.trk",
         0,
         Report(RunOutcome::SameFile)},
        {"a ligature where case is folded fully",
         {"--casefold-full"},
         "\uFB01le.trk",
         "FILE.trk",
         0,
         Report(RunOutcome::SameFile)},
        {"a decomposed letter for the composed one",
         {"--casefold-full"},
         "e\u0301.trk",
         "\u00E9.trk",
         0,
         Report(RunOutcome::SameFile)},
        {"names alike only when folded, where case is kept",
         {},
         "stra\u00DFe.trk",
         "STRASSE.trk",
         0,
         Report(RunOutcome::Finished)},
        {"copies kept alike in two folders",
         {},
         "Sub/x.trk",
         "x.trk",
         0644,
         Report(RunOutcome::Finished),
         true},
        {"copies kept alike in two folders where case is ignored",
         {"--casefold"},
         "Sub/x.trk",
         "X.TRK",
         0644,
         Report(RunOutcome::Finished),
         true},
        {"new name where case is ignored",
         {"--casefold"},
         "case.trk",
         "new.trk",
         0,
         Report(RunOutcome::Finished)},
        {"new file where modes are fixed",
         {"--refuse-chmod", "--file-mode=0755"},
         "in.trk",
         "new.trk",
         0,
         Report(RunOutcome::Finished)},
        {"replaced file where modes are fixed",
         {"--refuse-chmod", "--file-mode=0755"},
         "in.trk",
         "old.trk",
         0644,
         Report(RunOutcome::Finished)},
        {"replaced file no more open",
         {"--refuse-chmod", "--create-mode=0644"},
         "in.trk",
         "old.trk",
         0644,
         Report(RunOutcome::Finished)},
        {"replaced file that would be more open",
         {"--refuse-chmod", "--create-mode=0644"},
         "in.trk",
         "old.trk",
         0600,
         Failed("Can't keep the permissions of output track", "old.trk")},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        fs::remove_all(Back);
        fs::create_directories(Back + "/Sub");
        WriteFile(Back + "/" + Row.Input, Track);
        if (Row.Mode != 0) {
            WriteFile(Back + "/" + Row.Output, Row.CopyOfInput ? Track : "earlier output\r\n");
            fs::permissions(Back + "/" + Row.Output, fs::perms(Row.Mode));
        }
        if (Row.CopyOfInput) {
            fs::last_write_time(Back + "/" + Row.Output,
                                fs::last_write_time(Back + "/" + Row.Input));
        }
        const OddFolder Odd(Back, Mount, Row.Options);
        if (!Odd.Mounted()) {
            GTEST_SKIP() << "the FUSE test filesystem could not be mounted here";
        }
        EXPECT_EQ(Report(Run(Mount + "/" + Row.Input, Mount + "/" + Row.Output), Reason),
                  Row.Report);
        EXPECT_EQ(ReadFile(Back + "/" + Row.Input), Track);
        const bool Written = Row.Report == Report(RunOutcome::Finished);
        if (Row.Mode != 0 && !Written) {
            EXPECT_EQ(ReadFile(Back + "/" + Row.Output), "earlier output\r\n");
        }
        for (const auto& Entry : fs::recursive_directory_iterator(Back)) {
            EXPECT_NE(Entry.path().filename().string().rfind(".quellmark-", 0), 0u);
        }
    }
}

// Folders that rename only over names (no exclusive rename), or have no hard links either
// (vfat on FUSE): a new output still never replaces a file that appeared meanwhile unless that
// was asked for, and no hidden name is left beside it.
TEST_F(OddSystem, KeepsWhatAppearsWhereRenamesCannotKeepNames) {
    if (access("/dev/fuse", R_OK | W_OK) != 0) {
        GTEST_SKIP() << "no /dev/fuse to mount the test filesystem";
    }
    const std::string Back = Directory / "back", Mount = Directory / "mnt";
    const std::string Exists = Report(
        RunOutcome::Failed, "Can't create output track '" + Mount + "/new.trk': File exists");
    const struct {
        const char* Name;
        std::vector<std::string> Options;
        bool Appears;
        ExistingOutput IfExists;
        std::string Report;
    } Rows[] = {
        {"a new name, through a second name",
         {"--no-exclusive-rename"},
         false,
         ExistingOutput::Keep,
         Report(RunOutcome::Finished)},
        {"a file that appears, kept through a second name",
         {"--no-exclusive-rename"},
         true,
         ExistingOutput::Keep,
         Exists},
        {"a file that appears, kept where there are no links",
         {"--no-exclusive-rename", "--no-links"},
         true,
         ExistingOutput::Keep,
         Exists},
        {"a file that appears, replaced as asked",
         {"--no-exclusive-rename", "--no-links"},
         true,
         ExistingOutput::Replace,
         Report(RunOutcome::Finished)},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        fs::remove_all(Back);
        fs::create_directories(Back);
        const OddFolder Odd(Back, Mount, Row.Options);
        ASSERT_TRUE(Odd.Mounted());
        const std::string New = Mount + "/new.trk";
        EXPECT_EQ(Row.Appears
                      ? CreateDuringRun(Directory / "in.trk", New, Row.IfExists, false)
                      : InChild([&] {
                            return Report(Run(Directory / "in.trk", New, Row.IfExists), Reason);
                        }),
                  Row.Report);
        const bool Kept = Row.Appears && Row.IfExists == ExistingOutput::Keep;
        EXPECT_EQ(ReadFile(Back + "/new.trk").substr(0, 7),
                  Kept ? "notes\r\n" : Track.substr(0, 7));
        EXPECT_EQ(test::TemporaryDirectory::ListingOf(Back), "new.trk");
    }
}

// A list into one folder of tracks whose outputs the folder takes for one: the second is
// refused as written twice before anything is written, and the first converted; where the
// folder tells the names apart, both are converted.
TEST_F(OddSystem, AListWritesNoOutputTwiceWhereNamesFold) {
    if (access("/dev/fuse", R_OK | W_OK) != 0) {
        GTEST_SKIP() << "no /dev/fuse to mount the test filesystem";
    }
    const std::string Back = Directory / "back", Mount = Directory / "mnt";
    const struct {
        const char* Name;
        std::vector<std::string> Options;  // none: a folder of this machine's own disk
        const char* First;
        const char* Second;
        bool Refused;
    } Rows[] = {
        {"names that differ in case, upper-cased",
         {"--casefold"},
         "Mission.trk",
         "mission.trk",
         true},
        {"names that differ in case, lower-cased",
         {"--casefold-lower"},
         "\u212Aelvin.trk",
         "kelvin.trk",
         true},
        {"sharp s, folded fully", {"--casefold-full"}, "stra\u00DFe.trk", "STRASSE.trk", true},
        {"a decomposed letter, folded fully",
         {"--casefold-full"},
         "e\u0301.trk",
         "\u00E9.trk",
         true},
        {"names that differ in case, kept apart", {}, "Mission.trk", "mission.trk", false},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        fs::remove_all(Back);
        fs::create_directories(Back + "/a");
        fs::create_directories(Back + "/b");
        fs::create_directories(Back + "/out");
        WriteFile(Back + "/a/" + Row.First, Track);
        WriteFile(Back + "/b/" + Row.Second, Track + "  9 5 1 0\r\n");
        std::unique_ptr<OddFolder> Odd;
        std::string Folder = Back;
        if (!Row.Options.empty()) {
            Odd = std::make_unique<OddFolder>(Back, Mount, Row.Options);
            ASSERT_TRUE(Odd->Mounted());
            Folder = Mount;
        }
        const std::string Second = Folder + "/out/NoIcons_" + Row.Second;
        ListRun List({{Folder + "/a/" + Row.First, Folder + "/out/NoIcons_" + Row.First},
                      {Folder + "/b/" + Row.Second, Second}},
                     2);
        List.Run();
        EXPECT_EQ(test::ReasonOf(List.Results()[0].Result), "");
        EXPECT_EQ(test::ReasonOf(List.Results()[1].Result),
                  Row.Refused ? "Can't create output track '" + Second +
                                    "': An earlier track of the list is written to it"
                              : "");
        EXPECT_EQ(ReadFile(Back + "/out/NoIcons_" + std::string(Row.First)).substr(0, 20),
                  Track.substr(0, 20));
        EXPECT_EQ(test::TemporaryDirectory::ListingOf(Back + "/out"),
                  Row.Refused ? "NoIcons_" + std::string(Row.First)
                              : "NoIcons_" + std::string(Row.First) + "|NoIcons_" + Row.Second);
    }
}

// Runs Work in a child, ends it with Signal once it has waited Delay, and returns how the child
// ended: "<signal> <seconds>" within 10 s, else "still running".
std::string EndAfter(const std::function<std::string()>& Work, int Signal,
                     std::chrono::milliseconds Delay) {
    test::Child Running(Work);
    std::this_thread::sleep_for(Delay);
    kill(Running.Pid(), Signal);
    const auto Sent = std::chrono::steady_clock::now();
    for (int Wait = 0; Wait < 1000; ++Wait) {
        int Status = 0;
        if (waitpid(Running.Pid(), &Status, WNOHANG) == Running.Pid()) {
            const auto Seconds = std::chrono::duration_cast<std::chrono::seconds>(
                std::chrono::steady_clock::now() - Sent);
            return std::to_string(WIFSIGNALED(Status) ? WTERMSIG(Status) : -1) + " " +
                   std::to_string(Seconds.count());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(Running.Pid(), SIGKILL);
    return "still running";
}

TEST_F(OddSystem, HungOrFaultyFoldersNeitherTrapNorFool) {
    if (access("/dev/fuse", R_OK | W_OK) != 0) {
        GTEST_SKIP() << "no /dev/fuse to mount the test filesystem";
    }
    const std::string Back = Directory / "back", Mount = Directory / "mnt";
    fs::create_directories(Back);
    WriteFile(Back + "/in.trk", Track);
    WriteFile(Back + "/a.trk", "earlier a\r\n");
    WriteFile(Back + "/b.trk", "earlier b\r\n");
    fs::create_symlink("a.trk|b.trk", Back + "/flip.trk");
    // Ctrl-C while a read hangs, the temporary file named in a folder without unnamed files.
    {
        const OddFolder Dead(Back, Mount, {"--hang-reads"});
        ASSERT_TRUE(Dead.Mounted());
        EXPECT_EQ(EndAfter(
                      [&] {
                          test::RefuseSystemCalls({test::UnnamedFilesRefused()});
                          Run(Mount + "/in.trk", Directory / "earlier.trk");
                          return std::string("not stuck");
                      },
                      SIGINT, std::chrono::milliseconds(300)),
                  std::to_string(SIGINT) + " 0");
        EXPECT_EQ(Directory.Listing(), "back|earlier.trk|in.trk|mnt");
    }
    const struct {
        const char* Name;
        std::vector<std::string> Options;
        bool WithoutProc;
        std::string Input;
        std::string Output;
        std::string Report;
        bool Replaced;  // a.trk, the link's first target; b.trk is never replaced
    } Rows[] = {
        {"the output's link looked at twice",
         {"--flip-links"},
         false,
         Directory / "in.trk",
         Mount + "/flip.trk",
         Report(RunOutcome::Finished),
         true},
        {"the input's link looked at twice",
         {"--flip-links"},
         true,
         Mount + "/flip.trk",
         Directory / "earlier.trk",
         Report(RunOutcome::Failed,
                "Can't open input track '" + Mount + "/flip.trk': Changed while it was opened"),
         false},
        {"a late write error at close",
         {"--fail-close"},
         false,
         Directory / "in.trk",
         Mount + "/a.trk",
         Report(RunOutcome::Failed,
                "Can't write output track '" + Mount + "/a.trk': Input/output error"),
         false},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        WriteFile(Back + "/a.trk", "earlier a\r\n");
        const OddFolder Odd(Back, Mount, Row.Options);
        ASSERT_TRUE(Odd.Mounted());
        EXPECT_EQ(test::InChild([&] {
                      if (Row.WithoutProc && !test::LeaveProc()) {
                          return std::string("no private /proc");
                      }
                      return Report(Run(Row.Input, Row.Output), Reason);
                  }),
                  Row.Report);
        EXPECT_EQ(ReadFile(Back + "/a.trk") != "earlier a\r\n", Row.Replaced);
        EXPECT_EQ(ReadFile(Back + "/b.trk"), "earlier b\r\n");
        EXPECT_EQ(test::TemporaryDirectory::ListingOf(Back), "a.trk|b.trk|flip.trk|in.trk");
    }
}

// Hidden files on a folder without unnamed files, swept by later runs while a list writes its
// own beside them: no sweep takes a live run's file, in this process or another.
TEST_F(OddSystem, SweepsNeverTakeALiveRunsFile) {
    if (access("/dev/fuse", R_OK | W_OK) != 0) {
        GTEST_SKIP() << "no /dev/fuse to mount the test filesystem";
    }
    const std::string Back = Directory / "back", Mount = Directory / "mnt";
    fs::create_directories(Back + "/out");
    const OddFolder Odd(Back, Mount, {});
    ASSERT_TRUE(Odd.Mounted());
    std::vector<RunSettings> Runs;
    for (int At = 0; At < 300; ++At) {
        Runs.push_back({Directory / "in.trk", Mount + "/out/t" + std::to_string(At) + ".trk"});
    }
    // Other programs, each run of which sweeps the folder.
    std::vector<std::unique_ptr<test::Child>> Sweepers;
    for (int Sweeper = 0; Sweeper < 3; ++Sweeper) {
        Sweepers.push_back(std::make_unique<test::Child>([&, Sweeper] {
            std::string Failures;
            for (int Round = 0; Round < 60; ++Round) {
                if (Run(Directory / "in.trk", Mount + "/out/sweeper" + std::to_string(Sweeper) +
                                                  ".trk") != RunOutcome::Finished) {
                    Failures += Reason + "\n";
                }
            }
            return Failures;
        }));
    }
    EXPECT_EQ(InChild([&] {
                  ListRun List(Runs, 8);
                  return Tally(List);
              }),
              "300x " + Report(RunOutcome::Finished) + "|");
    for (auto& Sweeper : Sweepers) {
        EXPECT_EQ(Sweeper->Wait(), "");
    }
    for (const auto& Entry : fs::directory_iterator(Back + "/out")) {
        EXPECT_NE(Entry.path().filename().string().rfind(".quellmark-", 0), 0u);
    }
}

// A signal that ends the program while tracks are in flight on a folder without unnamed
// files, where each new file takes a while, as on a network folder: every hidden file goes
// with it, and no track starts another once the signal has come.
TEST_F(OddSystem, AnEndingSignalInAListLeavesNoHiddenFile) {
    if (access("/dev/fuse", R_OK | W_OK) != 0) {
        GTEST_SKIP() << "no /dev/fuse to mount the test filesystem";
    }
    const std::string Back = Directory / "back", Mount = Directory / "mnt";
    fs::create_directories(Back);
    const OddFolder Odd(Back, Mount, {"--slow-create"});
    ASSERT_TRUE(Odd.Mounted());
    int Round = 0;
    for (const int Signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        SCOPED_TRACE(strsignal(Signal));
        // A folder of its own each time: the filesystem may still be letting go of the files
        // the ended program had open in the last one.
        const std::string Out = "/out" + std::to_string(++Round);
        fs::create_directories(Back + Out);
        std::vector<RunSettings> Runs;
        for (int At = 0; At < 400; ++At) {
            Runs.push_back(
                {Directory / "in.trk", Mount + Out + "/t" + std::to_string(At) + ".trk"});
        }
        test::Child Running([&] {
            // Ctrl-\ asks for a core dump as well; none is wanted here.
            const rlimit NoCore{0, 0};
            setrlimit(RLIMIT_CORE, &NoCore);
            ListRun List(Runs, 8);
            List.Run();
            return std::string("not ended");
        });
        for (int Wait = 0; Wait < 1000 && std::distance(fs::directory_iterator(Back + Out),
                                                        fs::directory_iterator()) < 8;
             ++Wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        kill(Running.Pid(), Signal);
        EXPECT_EQ(Running.Wait(), "");
        EXPECT_TRUE(WIFSIGNALED(Running.Status()) && WTERMSIG(Running.Status()) == Signal);
        for (const auto& Entry : fs::directory_iterator(Back + Out)) {
            EXPECT_NE(Entry.path().filename().string().rfind(".quellmark-", 0), 0u);
        }
    }
}

TEST_F(OddSystem, WorksWithoutProc) {
    fs::permissions(Directory / "earlier.trk", fs::perms(0640));
    ASSERT_EQ(setxattr((Directory / "earlier.trk").c_str(), "user.note", "n", 1, 0) == 0 ||
                  errno == ENOTSUP,
              true);
    fs::create_symlink("earlier.trk", Directory / "link.trk");
    // As many links as the kernel follows in one path, followed here without /proc to fall
    // back on.
    fs::create_directory(Directory / "chain");
    for (int Hop = 1; Hop < 40; ++Hop) {
        fs::create_symlink(test::Numbered("c", Hop + 1),
                           Directory / "chain/c" + std::to_string(Hop));
    }
    fs::create_symlink("../earlier.trk", Directory / "chain/c40");
    const std::string Result = test::InChild([&] {
        if (!test::LeaveProc()) {
            return std::string("no private /proc");
        }
        std::string Reports;
        for (const char* Output : {"new.trk", "earlier.trk", "link.trk", "chain/c1"}) {
            Reports += Report(Run(Directory / "in.trk", Directory / Output), Reason) + "|";
        }
        return Reports;
    });
    if (Result == "no private /proc") {
        GTEST_SKIP() << "no mount namespace in which to unmount /proc";
    }
    const std::string Finished = Report(RunOutcome::Finished) + "|";
    EXPECT_EQ(Result, Finished + Finished + Finished + Finished);
    EXPECT_EQ(ReadFile(Directory / "earlier.trk"), ReadFile(Directory / "new.trk"));
    EXPECT_EQ(fs::status(Directory / "earlier.trk").permissions(), fs::perms(0640));
    char Note = 0;
    if (getxattr((Directory / "new.trk").c_str(), "user.note", &Note, 1) >= 0) {
        EXPECT_EQ(getxattr((Directory / "earlier.trk").c_str(), "user.note", &Note, 1), 1);
    }
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(Directory / "link.trk")));
    EXPECT_EQ(Directory.Listing(), "chain|earlier.trk|in.trk|link.trk|new.trk");
}

// A file capability that lets the file read any file (cap_dac_read_search+ep).
std::string ReadAnythingCapability() {
    const std::uint32_t Words[] = {0x02000001, 1u << 2, 0, 0, 0};
    return {reinterpret_cast<const char*>(Words), sizeof Words};
}

TEST_F(OddSystem, KeepsOwnerAndAttributesButNotWhatVouchesForOldContent) {
    const std::string Earlier = Directory / "earlier.trk";
    const std::string Capability = ReadAnythingCapability();
    const struct {
        const char* Name;
        const char* Attribute;
        std::string Value;
        bool Kept;
    } Rows[] = {
        {"user attribute", "user.note", "kept", true},
        {"file capability", "security.capability", Capability, false},
        {"listed as skipped in /etc/xattr.conf", "user.Beagle.note", "skipped", false},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        WriteFile(Earlier, "earlier output\r\n");
        ASSERT_EQ(chown(Earlier.c_str(), 65534, 65534), 0);
        if (setxattr(Earlier.c_str(), Row.Attribute, Row.Value.data(), Row.Value.size(), 0) != 0) {
            std::printf("skipped: %s cannot be set here\n", Row.Attribute);
            continue;
        }
        if (!Row.Kept && std::string(Row.Attribute).rfind("user.", 0) == 0 &&
            test::ReadFile("/etc/xattr.conf").find("user.Beagle.*") == std::string::npos) {
            std::printf("skipped: /etc/xattr.conf does not skip %s\n", Row.Attribute);
            continue;
        }
        ASSERT_EQ(Run(Directory / "in.trk", Earlier), RunOutcome::Finished) << Reason;
        struct stat Status {};
        ASSERT_EQ(stat(Earlier.c_str(), &Status), 0);
        EXPECT_EQ(Status.st_uid, 65534u);
        EXPECT_EQ(Status.st_gid, 65534u);
        std::string Value(64, '\0');
        const auto Size = getxattr(Earlier.c_str(), Row.Attribute, Value.data(), Value.size());
        EXPECT_EQ(Size >= 0, Row.Kept);
    }
}

TEST_F(OddSystem, AnotherUserGetsNoMoreThanBefore) {
    const std::string Shared = Directory / "shared";
    fs::create_directory(Shared);
    fs::permissions(Shared, fs::perms(0777));
    const struct {
        const char* Name;
        uid_t Owner;
        mode_t Mode;
        std::string Report;
        mode_t ModeAfter;
    } Rows[] = {
        // The owner cannot be kept, so neither are setuid and setgid.
        {"setuid file of another user", 1234, 06777, Report(RunOutcome::Finished), 0777},
        {"file this user may not write", 0, 0644,
         Failed("Can't create output track '" + Shared + "/o.trk': Permission denied"), 0644},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        WriteFile(Shared + "/o.trk", "earlier output\r\n");
        ASSERT_EQ(chown((Shared + "/o.trk").c_str(), Row.Owner, Row.Owner), 0);
        ASSERT_EQ(chmod((Shared + "/o.trk").c_str(), Row.Mode), 0);
        EXPECT_EQ(RunAsNobody(Directory / "in.trk", Shared + "/o.trk"), Row.Report);
        EXPECT_EQ(fs::status(Shared + "/o.trk").permissions(), fs::perms(Row.ModeAfter));
        EXPECT_EQ(test::TemporaryDirectory::ListingOf(Shared), "o.trk");
    }
}

TEST_F(OddSystem, RefusesEarlyWhatCannotSucceed) {
    const std::string Small = Directory / "small";
    fs::create_directory(Small);
    const std::string Sparse = Directory / "sparse.trk";
    WriteFile(Sparse, Track);
    fs::resize_file(Sparse, 64u << 20);
    const std::string Locked = Directory / "locked.trk";
    WriteFile(Locked, "earlier output\r\n");
    const FileFlags Append(Locked, FS_APPEND_FL);
    if (!Append.IsSet()) {
        GTEST_SKIP() << "this filesystem has no append-only files";
    }
    // A folder with room left only for root, as ext4 keeps for it.
    const std::string Back = Directory / "back", Mount = Directory / "mnt";
    const OddFolder Reserved(Back, Mount, {"--room-for-root-only"});
    ASSERT_TRUE(Reserved.Mounted());
    fs::permissions(Mount, fs::perms(0777));
    const struct {
        const char* Name;
        std::string Input;
        std::string Output;
        bool AsNobody;
        std::string Report;
    } Rows[] = {
        {"no room for the track", Sparse, Small + "/out.trk", false,
         Failed("Can't create a file in folder '" + Small + "' for output track '" + Small +
                "/out.trk': No space left on device")},
        {"append-only output", Directory / "in.trk", Locked, false,
         Failed("Can't replace output track '" + Locked + "': Operation not permitted")},
        {"room that is root's", Directory / "in.trk", Mount + "/out.trk", true,
         Failed("Can't create a file in folder '" + Mount + "' for output track '" + Mount +
                "/out.trk': No space left on device")},
        {"room that is root's, for root", Directory / "in.trk", Mount + "/root.trk", false,
         Report(RunOutcome::Finished)},
    };
    fs::permissions(Directory / "in.trk", fs::perms(0644));
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        // The small filesystem is mounted in the child's own mount namespace, which ends with it.
        EXPECT_EQ(InChild([&] {
                      if (unshare(CLONE_NEWNS) != 0 ||
                          mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                          mount("tmpfs", Small.c_str(), "tmpfs", 0, "size=1m") != 0) {
                          return std::string("no small filesystem");
                      }
                      const std::string Done = Row.AsNobody
                                                   ? RunAsNobody(Row.Input, Row.Output)
                                                   : Report(Run(Row.Input, Row.Output), Reason);
                      return Done + test::TemporaryDirectory::ListingOf(Small);
                  }),
                  Row.Report);
    }
    EXPECT_EQ(test::TemporaryDirectory::ListingOf(Back), "root.trk");
    EXPECT_EQ(ReadFile(Locked), "earlier output\r\n");
}

TEST_F(OddSystem, WaitsForWhatOnlyTakesTime) {
    // A working folder whose parent this user cannot search: reached only from where it is.
    const std::string Closed = Directory / "closed";
    fs::create_directories(Closed + "/open");
    fs::permissions(Closed, fs::perms(0700));
    fs::permissions(Closed + "/open", fs::perms(0777));
    WriteFile(Closed + "/open/in.trk", Track);
    WriteFile(Closed + "/open/out.trk", "earlier output\r\n");
    ASSERT_EQ(chown((Closed + "/open/out.trk").c_str(), 65534, 65534), 0);
    EXPECT_EQ(test::InChild([&] {
                  if (chdir((Closed + "/open").c_str()) != 0 || setgid(65534) != 0 ||
                      setuid(65534) != 0) {
                      return std::string("no user switch");
                  }
                  return Report(Run("in.trk", "out.trk"), Reason);
              }),
              Report(RunOutcome::Finished))
        << "unsearchable parent";
    EXPECT_NE(ReadFile(Closed + "/open/out.trk"), "earlier output\r\n");

    // A lease on the input, as a file server holds one: the run waits for its break.
    int Ready[2];
    ASSERT_EQ(pipe(Ready), 0);
    const pid_t Holder = fork();
    if (Holder == 0) {
        signal(SIGIO, [](int) { _exit(0); });
        const int Leased = open((Directory / "in.trk").c_str(), O_RDONLY);
        const char Result = fcntl(Leased, F_SETLEASE, F_WRLCK) == 0 ? 'y' : 'n';
        [[maybe_unused]] auto Written = write(Ready[1], &Result, 1);
        pause();
        _exit(1);
    }
    char Leased = 0;
    ASSERT_EQ(read(Ready[0], &Leased, 1), 1);
    close(Ready[0]);
    close(Ready[1]);
    if (Leased == 'y') {
        // Without /proc the input is opened again by its path, and the lease must be waited
        // for there too.
        EXPECT_EQ(test::InChild([&] {
                      if (!test::LeaveProc()) {
                          return std::string("no private /proc");
                      }
                      return Report(Run(Directory / "in.trk", Directory / "earlier.trk"), Reason);
                  }),
                  Report(RunOutcome::Finished))
            << "input under a lease, without /proc";
    } else {
        std::printf("skipped: leases are not enabled here\n");
        kill(Holder, SIGKILL);
    }
    waitpid(Holder, nullptr, 0);
}

}  // namespace
}  // namespace quellmark
