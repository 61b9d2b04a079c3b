// Lists as several tracks in flight at once: every promise of a single run holds for each
// track, under the limits the process runs with, whatever the others do.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
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

// Whether this thread and the process have SIGXFSZ as a program expects it: its default action,
// not held back, none waiting.
std::string FileSizeSignal() {
    struct sigaction Action {};
    sigset_t Held, Waiting;
    sigaction(SIGXFSZ, nullptr, &Action);
    pthread_sigmask(SIG_BLOCK, nullptr, &Held);
    sigpending(&Waiting);
    return std::string(Action.sa_handler == SIG_DFL ? "" : "SIGXFSZ not default ") +
           (sigismember(&Held, SIGXFSZ) ? "SIGXFSZ held " : "") +
           (sigismember(&Waiting, SIGXFSZ) ? "SIGXFSZ waiting" : "");
}

class ListFailure : public RunFailure {
  public:
    // Count tracks named t<n>.trk, converted into out/ (each into a folder of its own there,
    // with FolderEach), the first Big where asked.
    std::vector<RunSettings> Tracks(std::size_t Count, bool WithBig = false,
                                    bool FolderEach = false) {
        fs::create_directories(Directory / "out");
        std::vector<RunSettings> Runs;
        for (std::size_t At = 0; At < Count; ++At) {
            const std::string Name = test::Numbered("t", At) + ".trk";
            if (!fs::exists(Directory / Name)) {
                WriteFile(Directory / Name, Track);
            }
            const std::string Folder = FolderEach ? "out/f" + std::to_string(At) + "/" : "out/";
            fs::create_directories(Directory / Folder);
            Runs.push_back({Directory / Name, Directory / (Folder + Name), IconState::Full});
        }
        if (WithBig) {
            Runs.front().InputPath = WriteBigTrack();
        }
        return Runs;
    }
};

TEST_F(ListFailure, EveryTrackKeepsToTheLimitsOfTheProcess) {
    const std::string Finished = Report(RunOutcome::Finished);
    const struct {
        const char* Name;
        int Resource;
        rlim_t Limit;
        std::size_t Tracks;
        bool WithBig;
        std::string Said;
        bool FolderEach = false;
    } Rows[] = {
        // Only the track that does not fit fails, and the program goes on as it was.
        {"a file size limit", RLIMIT_FSIZE, 1u << 20, 6, true,
         "1x " +
             Report(RunOutcome::Failed, "Can't write output track '" + (Directory / "out/t0.trk") +
                                            "': File too large") +
             "|5x " + Finished + "|"},
        {"sixteen files open at most", RLIMIT_NOFILE, 16, 40, false, "40x " + Finished + "|"},
        {"as few files as one track needs", RLIMIT_NOFILE, 11, 10, false, "10x " + Finished + "|"},
        // Folders waiting for their flush are kept open only as far as there is room.
        {"sixteen files open, a folder each", RLIMIT_NOFILE, 16, 40, false, "40x " + Finished + "|",
         true},
        // Past the first batch, each batch starts with its own first track.
        {"three batches", RLIMIT_NOFILE, 1024, 150, false, "150x " + Finished + "|"},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        fs::remove_all(Directory / "out");
        const auto Runs = Tracks(Row.Tracks, Row.WithBig, Row.FolderEach);
        EXPECT_EQ(InChild([&] {
                      const rlimit Limits{Row.Limit, Row.Limit};
                      if (setrlimit(Row.Resource, &Limits) != 0) {
                          return std::string("no limit");
                      }
                      ListRun List(Runs, 8);
                      return Tally(List) + FileSizeSignal();
                  }),
                  Row.Said);
        // Every track that was converted has its output, and nothing else is there.
        std::ptrdiff_t Outputs = 0;
        for (const auto& Entry : fs::recursive_directory_iterator(Directory / "out")) {
            Outputs += Entry.is_regular_file();
        }
        EXPECT_EQ(Outputs, static_cast<std::ptrdiff_t>(Row.Tracks - (Row.WithBig ? 1 : 0)));
    }
}

// Each track's result says what the flush of its folder did, by the time the result is said.
TEST_F(ListFailure, EachTrackSaysWhatTheFlushOfItsFolderDid) {
    const auto Runs = Tracks(2);
    const std::string Out = Directory / "out";
    const auto NotOnDisk = [&](const std::string& Name) {
        return Report(RunOutcome::Finished, "Can't flush to disk folder '" + Out +
                                                "' for output track '" + Out + "/" + Name +
                                                "': Input/output error");
    };
    const struct {
        const char* Name;
        int Error;
        std::string Said;
    } Rows[] = {
        {"a flush that fails", EIO,
         "1x " + NotOnDisk("t0.trk") + "|1x " + NotOnDisk("t1.trk") + "|"},
        {"no flush for folders there", EINVAL, "2x " + Report(RunOutcome::Finished) + "|"},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        EXPECT_EQ(InChild([&] {
                      if (!test::RefuseSystemCalls({{__NR_fsync, Row.Error}})) {
                          return std::string("no filter");
                      }
                      ListRun List(Runs, 2);
                      return Tally(List);
                  }),
                  Row.Said);
    }
}

// A folder that can be written to and searched but not read cannot be flushed: a list does
// not put off what cannot be done.
TEST_F(ListFailure, NoFlushIsPutOffWhereNoneCanBeDone) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to act as another user";
    }
    const auto Runs = Tracks(2);
    fs::permissions(Directory / "", fs::perms(0755));
    fs::permissions(Directory / "out", fs::perms(0333));
    EXPECT_EQ(InChild([&] {
                  if (setgid(65534) != 0 || setuid(65534) != 0) {
                      return std::string("no user switch");
                  }
                  ListRun List(Runs, 2);
                  return Tally(List);
              }),
              "2x " + Report(RunOutcome::Finished) + "|");
    fs::permissions(Directory / "out", fs::perms(0755));
}

}  // namespace
}  // namespace quellmark
