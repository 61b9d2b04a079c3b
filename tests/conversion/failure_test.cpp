#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/fs.h>
#include <linux/seccomp.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "conversion/files/posix/file_descriptor.h"
#include "conversion/list_run.h"
#include "conversion/run.h"
#include "tests/conversion/run_fixture.h"
#include "tests/support/child_process.h"
#include "tests/support/device_nodes.h"
#include "tests/support/system_call_filter.h"
#include "tests/support/test_files.h"

namespace quellmark {
namespace {

namespace fs = std::filesystem;
using test::InChild;
using test::MakeTrack;
using test::ReadFile;
using test::TemporaryDirectory;
using test::WriteFile;

int OpenDescriptorCount() {
    return static_cast<int>(std::distance(fs::directory_iterator("/proc/self/fd"), {}));
}

TEST_F(RunFailure, RefusesPathsThatNameOneFile) {
    fs::create_symlink(Directory / "in.trk", Directory / "link.trk");
    fs::create_hard_link(Directory / "in.trk", Directory / "hard.trk");
    fs::create_directory(Directory / "sub");
    const FileDescriptor OnInput(open((Directory / "in.trk").c_str(), O_RDONLY | O_CLOEXEC));
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
        {"a descriptor open on the input", Directory / "in.trk",
         "/dev/fd/" + std::to_string(OnInput.Get())},
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

// Links Name to Target through Hops links, each reached through a folder link, so the chain
// is longer than the kernel follows while each link is short.
void MakeLinkChain(const std::string& Folder, int Hops, const std::string& Target) {
    fs::create_directory_symlink(".", Folder + "/d");
    for (int Hop = 1; Hop < Hops; ++Hop) {
        fs::create_symlink(Folder + "/d/d/l" + std::to_string(Hop + 1),
                           Folder + "/l" + std::to_string(Hop));
    }
    fs::create_symlink(Target, Folder + "/l" + std::to_string(Hops));
}

TEST_F(RunFailure, ReportsTheFileAndTheReasonAndKeepsEarlierFiles) {
    fs::create_directory(Directory / "folder");
    const std::string In = Directory / "in.trk";
    MakeLinkChain(Directory / "folder", 15, In);
    fs::create_symlink(Directory / "missing.trk", Directory / "folder/dangling.trk");
    const std::string Earlier = Directory / "earlier.trk";
    // Devices of the test's own: a fault that replaced one must not replace the machine's.
    const std::string Devices = Directory / "folder";
    bool HasDevices = true;
    for (const char* Device : {"null", "zero", "full"}) {
        HasDevices = test::MakeDevice(Devices, Device) && HasDevices;
    }
    if (!HasDevices) {
        std::printf("skipped: the rows about devices need root to make devices of their own\n");
    }
    struct ReportRow {
        const char* Name;
        std::string Input;
        std::string Output;
        std::string Message;
    };
    std::vector<ReportRow> Rows = {
        {"missing input", Directory / "none.trk", Earlier,
         "Can't open input track '" + (Directory / "none.trk") + "': No such file or directory"},
        {"input is a directory", Directory / "folder", Earlier,
         "Can't open input track '" + (Directory / "folder") + "': Is a directory"},
        {"empty input name", "", Earlier, "Can't open input track '': No such file or directory"},
        {"output folder missing", In, Directory / "none/out.trk",
         "Can't open folder '" + (Directory / "none") + "' of output track '" +
             (Directory / "none/out.trk") + "': No such file or directory"},
        {"output under a file", In, In + "/",
         "Can't create output track '" + In + "/': Not a directory"},
        {"links past the kernel's limit to the input", In, Directory / "folder/l1",
         "Can't create output track '" + (Directory / "folder/l1") +
             "': Too many levels of symbolic links"},
        {"link to a missing file", In, Directory / "folder/dangling.trk",
         "Can't create output track '" + (Directory / "folder/dangling.trk") +
             "': Symbolic link to a file that does not exist"},
        {"output is a directory", In, Directory / "folder",
         "Can't create output track '" + (Directory / "folder") + "': Is a directory"},
        {"output names a missing folder", In, Directory / "new/",
         "Can't create output track '" + (Directory / "new/") + "': No such file or directory"},
        {"empty output name", In, "", "Can't create output track '': No such file or directory"},
    };
    if (HasDevices) {
        Rows.push_back({"input is a device", Devices + "/zero", Earlier,
                        "Can't open input track '" + Devices + "/zero': Not a regular file"});
        for (const char* Device : {"null", "full"}) {
            Rows.push_back(
                {"output is a device", In, Devices + "/" + Device,
                 "Can't create output track '" + Devices + "/" + Device + "': Not a regular file"});
        }
    }
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
    for (const char* Device : {"null", "zero", "full"}) {
        EXPECT_TRUE(!HasDevices || fs::is_character_file(Devices + "/" + Device)) << Device;
    }
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
std::string RunLimited(RunFailure& Test, const std::string& Input, int Resource, rlim_t Limit) {
    return InChild([&] {
        const rlimit Limits{Limit, Limit};
        setrlimit(Resource, &Limits);
        return std::to_string(static_cast<int>(Test.Run(Input, Test.Directory / "earlier.trk"))) +
               " " + Test.Reason;
    });
}

TEST_F(RunFailure, FullDiskLeavesTheEarlierOutputAlone) {
    // A large input against a file size limit: the writes fail part of the way through.
    std::string Body;
    while (Body.size() < 300000) {
        Body += "  1520 17 4 0\r\n  1521 279 1 0\r\n";
    }
    WriteFile(Directory / "big.trk", MakeTrack(Body));
    EXPECT_EQ(RunLimited(*this, Directory / "big.trk", RLIMIT_FSIZE, 64 * 1024),
              std::to_string(static_cast<int>(RunOutcome::Failed)) + " Can't write output track '" +
                  (Directory / "earlier.trk") + "': File too large");
    EXPECT_EQ(ReadFile(Directory / "earlier.trk"), "earlier output\r\n");
    EXPECT_EQ(ReadFile(Directory / "big.trk"), MakeTrack(Body));
    EXPECT_EQ(Directory.Listing(), "big.trk|earlier.trk|in.trk");
}

TEST_F(RunFailure, LongLinesNeedNoMemoryOfTheirSize) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers need more address space than the limit leaves";
#else
    const std::string Long(64u << 20, 'x');
    const auto Outcome = [](RunOutcome Value) { return std::to_string(static_cast<int>(Value)); };
    const struct {
        const char* Name;
        std::string Input;
        std::string Report;
        std::string Output;
    } Rows[] = {
        {"64 MB plain line", Long, Outcome(RunOutcome::Stopped) + " ", Long + "\r\n"},
        {"64 MB toggle line", MakeTrack("  5 279 1 " + Long), Outcome(RunOutcome::Finished) + " ",
         MakeTrack("  0 279 1 0\r\n\r\n  0 279 0 0\r\n\r\n  5 203 1 270 WING3\r\n")},
        // The wing name is written later, so it is held: that one cannot fit.
        {"64 MB wing name", "player " + Long,
         Outcome(RunOutcome::Failed) + " Can't convert input track '" + (Directory / "long.trk") +
             "': Cannot allocate memory",
         "earlier output\r\n"},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        WriteFile(Directory / "earlier.trk", "earlier output\r\n");
        WriteFile(Directory / "long.trk", Row.Input);
        // Room for the program as the child has it plus 24 MB.
        EXPECT_EQ(InChild([&] {
                      std::size_t Pages = 0;
                      std::ifstream("/proc/self/statm") >> Pages;
                      const rlim_t Limit = Pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
                      const rlimit Limits{Limit + (24u << 20), Limit + (24u << 20)};
                      setrlimit(RLIMIT_AS, &Limits);
                      return Outcome(Run(Directory / "long.trk", Directory / "earlier.trk")) + " " +
                             Reason;
                  }),
                  Row.Report);
        EXPECT_TRUE(ReadFile(Directory / "earlier.trk") == Row.Output);
        EXPECT_EQ(Directory.Listing(), "earlier.trk|in.trk|long.trk");
    }
#endif
}

// An access ACL (user::rw-, user:Uid:r--, group::r--, mask::r--, other::---) in the kernel's
// attribute format.
std::string NamedUserAcl(std::uint32_t Uid) {
    std::string Acl;
    const auto Add = [&Acl](std::uint32_t Value, int Bytes) {
        for (int Byte = 0; Byte < Bytes; ++Byte) {
            Acl += static_cast<char>((Value >> (8 * Byte)) & 0xff);
        }
    };
    Add(2, 4);
    const std::uint32_t Entries[][3] = {
        {0x01, 6, ~0u}, {0x02, 4, Uid}, {0x04, 4, ~0u}, {0x10, 4, ~0u}, {0x20, 0, ~0u}};
    for (const auto& Entry : Entries) {
        Add(Entry[0], 2);
        Add(Entry[1], 2);
        Add(Entry[2], 4);
    }
    return Acl;
}

std::string AclOf(const std::string& Path) {
    std::string Value(256, '\0');
    const auto Size = getxattr(Path.c_str(), "system.posix_acl_access", Value.data(), Value.size());
    return Value.substr(0, Size < 0 ? 0 : static_cast<std::size_t>(Size));
}

TEST_F(RunFailure, ReplacedOutputKeepsWhatItHad) {
    const std::string Earlier = Directory / "earlier.trk";
    const struct {
        const char* Name;
        mode_t Mode;
        std::string Acl;
    } Rows[] = {
        {"private mode", 0640, ""},
        {"setuid and setgid", 06750, ""},
        {"named user's ACL entry", 0640, NamedUserAcl(65534)},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        WriteFile(Earlier, "earlier output\r\n");
        ASSERT_EQ(chmod(Earlier.c_str(), Row.Mode), 0);
        if (!Row.Acl.empty()) {
            ASSERT_EQ(setxattr(Earlier.c_str(), "system.posix_acl_access", Row.Acl.data(),
                               Row.Acl.size(), 0),
                      0);
        }
        const std::string AclBefore = AclOf(Earlier);
        ASSERT_EQ(Run(Directory / "in.trk", Earlier), RunOutcome::Finished) << Reason;
        struct stat Status {};
        ASSERT_EQ(stat(Earlier.c_str(), &Status), 0);
        EXPECT_EQ(Status.st_mode & 07777, Row.Mode);
        EXPECT_EQ(AclOf(Earlier), AclBefore);
        EXPECT_NE(ReadFile(Earlier), "earlier output\r\n");
    }

    fs::create_directory(Directory / "real");
    WriteFile(Directory / "real/target.trk", "old");
    fs::create_symlink("real/target.trk", Directory / "link.trk");
    ASSERT_EQ(Run(Directory / "in.trk", Directory / "link.trk"), RunOutcome::Finished);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(Directory / "link.trk")));
    EXPECT_EQ(ReadFile(Directory / "real/target.trk"), ReadFile(Earlier));
    EXPECT_EQ(Directory.Listing(), "earlier.trk|in.trk|link.trk|real");
}

TEST_F(RunFailure, TakesEveryNameTheFolderTakes) {
    // The longest name and path this folder takes, whatever the length of its own path.
    const auto NameMax = static_cast<std::size_t>(pathconf(Directory.Path().c_str(), _PC_NAME_MAX));
    const auto PathMax = static_cast<std::size_t>(pathconf(Directory.Path().c_str(), _PC_PATH_MAX));
    std::string Deep = Directory / "";
    while (PathMax - 1 - Deep.size() > NameMax) {
        Deep += std::string(std::min(NameMax, PathMax - 1 - Deep.size() - 2), 'd') + "/";
        fs::create_directory(Deep);
    }
    // As many links as the kernel follows in one path.
    fs::create_directory(Directory / "chain");
    for (int Hop = 1; Hop < 40; ++Hop) {
        fs::create_symlink(test::Numbered("c", Hop + 1),
                           Directory / "chain/c" + std::to_string(Hop));
    }
    fs::create_symlink(Directory / "earlier.trk", Directory / "chain/c40");
    const struct {
        const char* Name;
        std::string Output;
    } Rows[] = {
        {"the longest name", Directory / std::string(NameMax - 4, 'n') + ".trk"},
        {"the longest path", Deep + std::string(PathMax - 1 - Deep.size(), 'p')},
        {"40 links followed", Directory / "chain/c1"},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        ASSERT_EQ(Run(Directory / "in.trk", Row.Output), RunOutcome::Finished) << Reason;
        EXPECT_EQ(ReadFile(Row.Output).substr(0, 20), Track.substr(0, 20));
    }
}

TEST_F(RunFailure, DeathMidRunLeavesNothingBehind) {
    const std::string Big = WriteBigTrack();
    const struct {
        int Signal;
        bool Named;  // a folder without unnamed files: the temporary file has a name
    } Rows[] = {{SIGKILL, false}, {SIGTERM, false}, {SIGHUP, false},
                {SIGINT, false},  {SIGQUIT, false}, {SIGTERM, true},
                {SIGHUP, true},   {SIGINT, true},   {SIGQUIT, true}};
    for (const auto& Row : Rows) {
        SCOPED_TRACE(std::string(strsignal(Row.Signal)) + (Row.Named ? ", named" : ""));
        test::Child Running([&] {
            // Ctrl-\ asks for a core dump as well; none is wanted here.
            const rlimit NoCore{0, 0};
            setrlimit(RLIMIT_CORE, &NoCore);
            if (Row.Named && !test::RefuseSystemCalls({test::UnnamedFilesRefused()})) {
                return std::string("no filter");
            }
            for (;;) {
                Run(Big, Directory / "earlier.trk");
            }
        });
        usleep(150000);
        kill(Running.Pid(), Row.Signal);
        EXPECT_EQ(Running.Wait(), "");
        EXPECT_TRUE(WIFSIGNALED(Running.Status()) && WTERMSIG(Running.Status()) == Row.Signal);
        // A SIGKILL in the instant between the hidden name and the final one leaves a whole
        // hidden copy, which the next run into the folder removes.
        if (Row.Signal == SIGKILL) {
            EXPECT_EQ(InChild([&] {
                          return Report(Run(Directory / "in.trk", Directory / "earlier.trk"),
                                        Reason);
                      }),
                      Report(RunOutcome::Finished));
        }
        EXPECT_EQ(Directory.Listing(), "big.trk|earlier.trk|in.trk");
    }
}

// A signal the program ignores (SIGHUP under nohup) is still ignored while a named temporary
// file is written.
TEST_F(RunFailure, AnIgnoredHangupLetsTheRunFinish) {
    EXPECT_EQ(
        InChild([&] {
            if (!test::RefuseSystemCalls({test::UnnamedFilesRefused()})) {
                return std::string("no filter");
            }
            signal(SIGHUP, SIG_IGN);
            const RunResult Done = ConversionRun(
                {Directory / "in.trk", Directory / "earlier.trk"},
                [](RunStage, std::uint64_t, std::uint64_t) { return kill(getpid(), SIGHUP) == 0; });
            return Report(Done.Outcome, test::ReasonOf(Done));
        }),
        Report(RunOutcome::Finished));
    EXPECT_EQ(Directory.Listing(), "earlier.trk|in.trk");
}

// The name of the hidden file that a run killed outright, while it saves its new file to disk,
// leaves in Folder: a name only this program makes.
std::string LeftoverOfAKilledRun(const std::string& Input, const std::string& Folder) {
    const std::string Before = test::TemporaryDirectory::ListingOf(Folder);
    InChild([&] {
        if (test::RefuseSystemCalls({test::UnnamedFilesRefused()})) {
            ConversionRun({Input, Folder + "/killed.trk"},
                          [](RunStage Stage, std::uint64_t, std::uint64_t) {
                              return Stage != RunStage::Saving || kill(getpid(), SIGKILL) != 0;
                          });
        }
        return std::string();
    });
    for (const auto& Entry : fs::directory_iterator(Folder)) {
        const std::string Name = Entry.path().filename();
        if (Name.rfind(".quellmark-", 0) == 0 && Before.find(Name) == std::string::npos) {
            return Name;
        }
    }
    return "no leftover";
}

TEST_F(RunFailure, ANextRunRemovesLeftoversAndNothingElse) {
    const std::string Out = Directory / "out", Names = Directory / "names";
    fs::create_directory(Out);
    fs::create_directory(Names);
    const auto Harvested = [&] {
        const std::string Name = LeftoverOfAKilledRun(Directory / "in.trk", Names);
        fs::remove(Names + "/" + Name);
        return Name;
    };
    const std::string Killed = LeftoverOfAKilledRun(Directory / "in.trk", Out);
    ASSERT_EQ(Killed.rfind(".quellmark-", 0), 0u) << Killed;
    const std::string Live = Harvested(), Input = Harvested(), Listed = Harvested(),
                      Empty = Harvested(), Linked = Harvested(), Others = Harvested();
    WriteFile(Out + "/" + Live, "part of a track");
    int Locked[2];
    ASSERT_EQ(pipe(Locked), 0);
    // A live run's file, held locked by a process that goes on.
    test::Child Holder([&] {
        const int File = open((Out + "/" + Live).c_str(), O_RDWR);
        [[maybe_unused]] const auto Told =
            write(Locked[1], flock(File, LOCK_EX) == 0 ? "y" : "n", 1);
        pause();
        return std::string();
    });
    char Lock = 0;
    ASSERT_EQ(read(Locked[0], &Lock, 1), 1);
    ASSERT_EQ(Lock, 'y');
    const bool Root = geteuid() == 0;
    const struct {
        const char* Name;
        std::string File;
        bool Removed;
    } Rows[] = {
        {"left by a killed run", Killed, true},
        {"a live run's", Live, false},
        {"a track of the list", Listed, false},
        {"empty, as a live run's is in its first instant", Empty, false},
        {"with a second name", Linked, false},
        {"another user's", Others, !Root},
        {"named so by a person", ".quellmark-0123456789ab", false},
        {"in capitals", ".QUELLMARK-0123456789AB", false},
        {"a longer name", Killed + "0", false},
        {"without the dot", Killed.substr(1), false},
    };
    for (const auto& Row : Rows) {
        if (!fs::exists(Out + "/" + Row.File)) {
            WriteFile(Out + "/" + Row.File, Row.File == Empty ? "" : Track);
        }
    }
    fs::create_hard_link(Out + "/" + Linked, Directory / "kept.trk");
    if (Root) {
        ASSERT_EQ(chown((Out + "/" + Others).c_str(), 65534, 65534), 0);
    } else {
        std::printf("skipped: another user's file needs root to make\n");
    }
    // Each in a process of its own, which looks at a folder once: a single run whose track is
    // in its output's folder, and a list with a track in the folder.
    fs::create_directory(Directory / "own");
    WriteFile(Directory / "own/" + Input, Track);
    EXPECT_EQ(InChild([&] {
                  return Report(Run(Directory / "own/" + Input, Directory / "own/out.trk"), Reason);
              }),
              Report(RunOutcome::Finished));
    EXPECT_EQ(test::TemporaryDirectory::ListingOf(Directory / "own"), Input + "|out.trk");
    EXPECT_EQ(InChild([&] {
                  ListRun List({{Directory / "in.trk", Out + "/out.trk"},
                                {Out + "/" + Listed, Directory / "listed.trk"}},
                               1);
                  List.Run();
                  return Report(List.Results()[0].Result.Outcome) +
                         Report(List.Results()[1].Result.Outcome);
              }),
              Report(RunOutcome::Finished) + Report(RunOutcome::Finished));
    for (const auto& Row : Rows) {
        EXPECT_EQ(fs::exists(Out + "/" + Row.File), !Row.Removed) << Row.Name;
    }
    kill(Holder.Pid(), SIGKILL);
    Holder.Wait();
    close(Locked[0]);
    close(Locked[1]);
}

TEST_F(RunFailure, SystemFailuresFailTheRunAndLeaveNothing) {
    const std::string Earlier = Directory / "earlier.trk";
    const std::string Converted = InChild([&] {
        Run(Directory / "in.trk", Directory / "model.trk");
        return ReadFile(Directory / "model.trk");
    });
    fs::remove(Directory / "model.trk");
    const struct {
        const char* Name;
        std::initializer_list<test::RefusedCall> Refused;
        RunOutcome Outcome;
        std::string Message;
        std::string EarlierAfter;
    } Rows[] = {
        {"read error",
         {{__NR_read, EIO}},
         RunOutcome::Failed,
         "Can't read input track '" + (Directory / "in.trk") + "': Input/output error",
         "earlier output\r\n"},
        {"file sync fails",
         {{__NR_fdatasync, EIO}},
         RunOutcome::Failed,
         "Can't write output track '" + Earlier + "': Input/output error",
         "earlier output\r\n"},
        {"file sync fails on a named temporary file",
         {test::UnnamedFilesRefused(), {__NR_fdatasync, EIO}},
         RunOutcome::Failed,
         "Can't write output track '" + Earlier + "': Input/output error",
         "earlier output\r\n"},
        // Each fresh file is removed when it cannot be locked as a live run's.
        {"a named temporary file always locked by something else",
         {test::UnnamedFilesRefused(), {__NR_flock, EWOULDBLOCK}},
         RunOutcome::Failed,
         "Can't create a file in folder '" +
             (Directory / "").substr(0, (Directory / "").size() - 1) + "' for output track '" +
             Earlier + "': Resource temporarily unavailable",
         "earlier output\r\n"},
        // Who may read the track is not given up with the ACL.
        {"the ACL cannot be kept",
         {{__NR_fsetxattr, EOPNOTSUPP}},
         RunOutcome::Failed,
         "Can't keep the permissions of output track '" + Earlier + "': Operation not supported",
         "earlier output\r\n"},
        // The new track is in place by then, but it may not survive a crash: the run says so,
        // and does not call itself failed, which would say the earlier file is still there.
        {"folder sync fails",
         {{__NR_fsync, EIO}},
         RunOutcome::Finished,
         "Can't flush to disk folder '" + (Directory / "").substr(0, (Directory / "").size() - 1) +
             "' for output track '" + Earlier + "': Input/output error",
         Converted},
    };
    const std::string Acl = NamedUserAcl(65534);
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        WriteFile(Earlier, "earlier output\r\n");
        ASSERT_EQ(setxattr(Earlier.c_str(), "system.posix_acl_access", Acl.data(), Acl.size(), 0),
                  0);
        EXPECT_EQ(InChild([&] {
                      if (!test::RefuseSystemCalls(Row.Refused)) {
                          return std::string("no filter");
                      }
                      return Report(Run(Directory / "in.trk", Earlier), Reason);
                  }),
                  Report(Row.Outcome, Row.Message));
        EXPECT_EQ(ReadFile(Earlier), Row.EarlierAfter);
        EXPECT_EQ(Directory.Listing(), "earlier.trk|in.trk");
    }
}

// The modes of the temporary files open in process Pid in Folder, named or not.
std::vector<fs::perms> TemporaryModes(int Pid, const std::string& Folder) {
    std::vector<fs::perms> Modes;
    for (const auto& Entry : fs::directory_iterator("/proc/" + std::to_string(Pid) + "/fd")) {
        std::error_code Error;
        const std::string Target = fs::read_symlink(Entry.path(), Error).string();
        if (Target.rfind(Folder + "/.quellmark-", 0) == 0 || Target.rfind(Folder + "/#", 0) == 0) {
            Modes.push_back(fs::status(Entry.path()).permissions());
        }
    }
    return Modes;
}

TEST_F(RunFailure, TheNewFileIsPrivateFromItsCreationWhereOthersCouldOpenIt) {
    const struct {
        const char* Name;
        bool Named;
        const char* Output;
        fs::perms Mode;  // of the new file while it is written
    } Rows[] = {
        {"a named file for a new track", true, "new.trk", fs::perms(0600)},
        {"a named file that replaces a track", true, "earlier.trk", fs::perms(0600)},
        {"an unnamed file that replaces a track", false, "earlier.trk", fs::perms(0600)},
        // Nobody can open an unnamed file for a new name: it takes the ordinary mode at once.
        {"an unnamed file for a new track", false, "new.trk", fs::perms(0666)},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        fs::remove(Directory / "new.trk");
        PausedRun Running({Directory / "in.trk", Directory / Row.Output, IconState::Full},
                          RunStage::Converting, [&] {
                              umask(0);
                              return !Row.Named ||
                                     test::RefuseSystemCalls({test::UnnamedFilesRefused()});
                          });
        ASSERT_TRUE(Running.Paused());
        EXPECT_EQ(TemporaryModes(Running.Pid(), Directory.Path()),
                  std::vector<fs::perms>{Row.Mode});
        EXPECT_EQ(Running.Resume(), Report(RunOutcome::Finished));
    }
    EXPECT_EQ(fs::status(Directory / "new.trk").permissions(), fs::perms(0666));
}

TEST_F(RunFailure, AFileThatAppearsIsReplacedOnlyWhereAsked) {
    const std::string New = Directory / "new.trk";
    const std::string Exists =
        Report(RunOutcome::Failed, "Can't create output track '" + New + "': File exists");
    const struct {
        const char* Name;
        bool Named;
        ExistingOutput IfExists;
        std::string Report;
    } Rows[] = {
        {"kept, unnamed temporary file", false, ExistingOutput::Keep, Exists},
        {"kept, named temporary file", true, ExistingOutput::Keep, Exists},
        {"replaced, unnamed temporary file", false, ExistingOutput::Replace,
         Report(RunOutcome::Finished)},
        {"replaced, named temporary file", true, ExistingOutput::Replace,
         Report(RunOutcome::Finished)},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        fs::remove(New);
        EXPECT_EQ(CreateDuringRun(Directory / "in.trk", New, Row.IfExists, Row.Named), Row.Report);
        const bool Kept = Row.IfExists == ExistingOutput::Keep;
        EXPECT_EQ(ReadFile(New).substr(0, 7), Kept ? "notes\r\n" : Track.substr(0, 7));
        // A replaced file keeps its attributes, whenever it came.
        EXPECT_EQ(fs::status(New).permissions(), fs::perms(0640));
        EXPECT_EQ(Directory.Listing(), "earlier.trk|in.trk|new.trk");
    }
    EXPECT_EQ(Run(Directory / "in.trk", Directory / "earlier.trk", ExistingOutput::Keep),
              RunOutcome::Failed);
    EXPECT_EQ(Reason,
              "Can't create output track '" + (Directory / "earlier.trk") + "': File exists");
    EXPECT_EQ(ReadFile(Directory / "earlier.trk"), "earlier output\r\n");
}

TEST_F(RunFailure, ReplacesFromTheFolderAsGiven) {
    const struct {
        const char* Name;
        std::function<std::string()> Work;
    } Rows[] = {
        // Deeper than the longest path the system takes: reached only relative to the
        // working folder.
        {"folder deeper than the path limit",
         [&] {
             std::string Result = "no folder";
             if (chdir(Directory.Path().c_str()) != 0) {
                 return Result;
             }
             const std::string Part(250, 'd');
             int Depth = 0;
             for (; Depth < 20 && mkdir(Part.c_str(), 0700) == 0 && chdir(Part.c_str()) == 0;
                  ++Depth) {
             }
             WriteFile("in.trk", Track);
             WriteFile("out.trk", "earlier output\r\n");
             Result = Report(Run("in.trk", "out.trk"), Reason) +
                      (ReadFile("out.trk") == ReadFile("in.trk") ? "unchanged" : "") +
                      test::TemporaryDirectory::ListingOf(".");
             unlink("in.trk");
             unlink("out.trk");
             for (; Depth > 0 && chdir("..") == 0 && rmdir(Part.c_str()) == 0; --Depth) {
             }
             return Result;
         }},
        // Runs that replace one output at once: each finds the folder entry while others
        // rename over it.
        {"320 runs to one output",
         [&] {
             std::vector<std::unique_ptr<test::Child>> Runs;
             for (int Process = 0; Process < 8; ++Process) {
                 Runs.push_back(std::make_unique<test::Child>([&] {
                     std::string Failures;
                     for (int Round = 0; Round < 40; ++Round) {
                         if (Run(Directory / "in.trk", Directory / "earlier.trk") !=
                             RunOutcome::Finished) {
                             Failures += Reason + "\n";
                         }
                     }
                     return Failures;
                 }));
             }
             std::string Failures;
             for (auto& Running : Runs) {
                 Failures += Running->Wait();
             }
             return Report(RunOutcome::Finished, Failures) +
                    test::TemporaryDirectory::ListingOf(Directory / "");
         }},
        // Another program that puts other files in place of the output in bursts of 2 ms,
        // many times while a run looks at it: the run holds on until the name keeps still.
        {"an output renamed over in bursts",
         [&] {
             const std::string Fresh = Directory / "fresh.tmp";
             WriteFile(Fresh, "renamed over\r\n");
             test::Child Renamer([&] {
                 for (;;) {
                     const auto Burst = std::chrono::steady_clock::now();
                     while (std::chrono::steady_clock::now() - Burst <
                            std::chrono::milliseconds(2)) {
                         renameat2(AT_FDCWD, Fresh.c_str(), AT_FDCWD,
                                   (Directory / "earlier.trk").c_str(), RENAME_EXCHANGE);
                     }
                     std::this_thread::sleep_for(std::chrono::milliseconds(2));
                 }
                 return std::string();
             });
             std::string Failures;
             for (int Round = 0; Round < 300; ++Round) {
                 if (Run(Directory / "in.trk", Directory / "earlier.trk") != RunOutcome::Finished) {
                     Failures += Reason + "\n";
                 }
             }
             kill(Renamer.Pid(), SIGKILL);
             Renamer.Wait();
             fs::remove(Fresh);
             return Report(RunOutcome::Finished, Failures) +
                    test::TemporaryDirectory::ListingOf(Directory / "");
         }},
    };
    EXPECT_EQ(InChild(Rows[0].Work), Report(RunOutcome::Finished) + "in.trk|out.trk")
        << Rows[0].Name;
    EXPECT_EQ(Rows[1].Work(), Report(RunOutcome::Finished) + "earlier.trk|in.trk") << Rows[1].Name;
    EXPECT_EQ(Rows[2].Work(), Report(RunOutcome::Finished) + "earlier.trk|in.trk") << Rows[2].Name;
}

TEST_F(RunFailure, WorksWhereTheFolderHasNoUnnamedFiles) {
    fs::permissions(Directory / "earlier.trk", fs::perms(0640));
    const auto Finished = std::to_string(static_cast<int>(RunOutcome::Finished)) + " ";
    const std::string Report = InChild([&] {
        if (!test::RefuseSystemCalls({test::UnnamedFilesRefused()})) {
            return std::string("no filter");
        }
        umask(022);
        const auto New = Run(Directory / "in.trk", Directory / "new.trk");
        const auto Replaced = Run(Directory / "in.trk", Directory / "earlier.trk");
        return std::to_string(static_cast<int>(New)) + " " +
               std::to_string(static_cast<int>(Replaced)) + " " + Reason;
    });
    EXPECT_EQ(Report, std::to_string(static_cast<int>(RunOutcome::Finished)) + " " + Finished);
    EXPECT_EQ(fs::status(Directory / "new.trk").permissions(), fs::perms(0644));
    EXPECT_EQ(fs::status(Directory / "earlier.trk").permissions(), fs::perms(0640));
    EXPECT_EQ(ReadFile(Directory / "earlier.trk"), ReadFile(Directory / "new.trk"));
    EXPECT_EQ(Directory.Listing(), "earlier.trk|in.trk|new.trk");
}

TEST_F(RunFailureAsRoot, LetsNoOneIn) {
    WriteFile(Directory / "victim.trk", "victim\r\n");
    // The kernel's own check of a link another user planted, where it is on: the test leaves the
    // machine's settings as they are.
    if (KernelOption("/proc/sys/fs/protected_symlinks") == "1") {
        const std::string Sticky = Directory / "sticky";
        fs::create_directory(Sticky);
        fs::permissions(Sticky, fs::perms(01777));
        fs::create_symlink(Directory / "victim.trk", Sticky + "/planted.trk");
        ASSERT_EQ(lchown((Sticky + "/planted.trk").c_str(), 65534, 65534), 0);
        EXPECT_EQ(Run(Directory / "in.trk", Sticky + "/planted.trk"), RunOutcome::Failed);
        EXPECT_EQ(Reason,
                  "Can't create output track '" + Sticky + "/planted.trk': Permission denied");
        EXPECT_EQ(ReadFile(Directory / "victim.trk"), "victim\r\n");
    } else {
        std::printf(
            "skipped: the kernel does not protect symbolic links here "
            "(fs.protected_symlinks is not 1)\n");
    }

    // Another user watching the folder never gets to read a copy of a private track.
    fs::permissions(Directory / "in.trk", fs::perms(0600));
    fs::permissions(Directory / "earlier.trk", fs::perms(0600));
    fs::permissions(Directory / "victim.trk", fs::perms(0600));
    const pid_t Watcher = fork();
    if (Watcher == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) {
            _exit(2);
        }
        for (int Round = 0; Round < 20000; ++Round) {
            for (const auto& Entry : fs::directory_iterator(Directory / "")) {
                const int Descriptor = open(Entry.path().c_str(), O_RDONLY | O_NONBLOCK);
                if (Descriptor >= 0 && Entry.is_regular_file()) {
                    _exit(1);
                }
                close(Descriptor);
            }
        }
        _exit(0);
    }
    for (int Round = 0; Round < 200; ++Round) {
        Run(Directory / "in.trk", Directory / "earlier.trk");
    }
    int Status = 0;
    waitpid(Watcher, &Status, 0);
    EXPECT_EQ(WEXITSTATUS(Status), 0) << "another user read a file in the folder";
}

TEST_F(RunFailureAsRoot, WritesWhereverTheUserMay) {
    const std::string Closed = Directory / "closed";
    fs::create_directory(Closed);
    WriteFile(Closed + "/old.trk", "earlier output\r\n");
    WriteFile(Closed + "/case.trk", Track);
    // A copy kept alike, as cp -p makes it: only identities tell the two apart here.
    WriteFile(Closed + "/CASE.trk", Track);
    fs::last_write_time(Closed + "/CASE.trk", fs::last_write_time(Closed + "/case.trk"));
    for (const char* Name : {"old.trk", "case.trk", "CASE.trk"}) {
        ASSERT_EQ(chown((Closed + "/" + Name).c_str(), 65534, 65534), 0);
    }
    // Written and searched, but not listed, by the user nobody.
    fs::permissions(Closed, fs::perms(0333));
    const struct {
        const char* Name;
        std::string Input;
        std::string Output;
    } Rows[] = {
        {"a new file in a folder that cannot be listed", Directory / "in.trk", Closed + "/new.trk"},
        {"a file replaced there", Directory / "in.trk", Closed + "/old.trk"},
        {"names that differ in case there", Closed + "/case.trk", Closed + "/CASE.trk"},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        EXPECT_EQ(RunAsNobody(Row.Input, Row.Output), Report(RunOutcome::Finished));
        EXPECT_EQ(ReadFile(Row.Output).substr(0, 20), Track.substr(0, 20));
    }
    EXPECT_EQ(ReadFile(Closed + "/case.trk"), Track);
    fs::permissions(Closed, fs::perms(0755));
    EXPECT_EQ(test::TemporaryDirectory::ListingOf(Closed), "CASE.trk|case.trk|new.trk|old.trk");

    // A path directly under the root folder, and no /proc there.
    EXPECT_EQ(InChild([&] {
                  if (chroot(Directory.Path().c_str()) != 0 || chdir("/") != 0) {
                      return std::string("no chroot");
                  }
                  return Report(Run("/in.trk", "/new.trk"), Reason) +
                         Report(Run("/in.trk", "/earlier.trk"), Reason);
              }),
              Report(RunOutcome::Finished) + Report(RunOutcome::Finished));
    EXPECT_EQ(ReadFile(Directory / "new.trk"), ReadFile(Directory / "earlier.trk"));
}

TEST_F(RunFailureAsRoot, NamesTheFolderThatRefuses) {
    const std::string ReadOnly = Directory / "rod";
    fs::create_directory(ReadOnly);
    WriteFile(ReadOnly + "/o.trk", "earlier\r\n");
    fs::permissions(ReadOnly + "/o.trk", fs::perms(0666));
    fs::permissions(ReadOnly, fs::perms(0555));
    EXPECT_EQ(RunAsNobody(Directory / "in.trk", ReadOnly + "/o.trk"),
              Failed("Can't create a file in folder '" + ReadOnly + "' for output track '" +
                     ReadOnly + "/o.trk': Permission denied"));

    const std::string AppendOnly = Directory / "append";
    fs::create_directory(AppendOnly);
    WriteFile(AppendOnly + "/o.trk", "earlier\r\n");
    FileFlags Flags(AppendOnly, FS_APPEND_FL);
    ASSERT_TRUE(Flags.IsSet());
    EXPECT_EQ(Run(Directory / "in.trk", AppendOnly + "/o.trk"), RunOutcome::Failed);
    EXPECT_EQ(Reason, "Can't replace a file in folder '" + AppendOnly + "' for output track '" +
                          AppendOnly + "/o.trk': Operation not permitted");
    EXPECT_EQ(Run(Directory / "in.trk", AppendOnly + "/new.trk"), RunOutcome::Finished);
    ASSERT_TRUE(Flags.Clear());
    EXPECT_EQ(ReadFile(AppendOnly + "/o.trk"), "earlier\r\n");
    EXPECT_EQ(test::TemporaryDirectory::ListingOf(AppendOnly), "new.trk|o.trk");
}

}  // namespace
}  // namespace quellmark
