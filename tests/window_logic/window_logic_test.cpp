// What the windows decide without a toolkit, row by row: fields, lists, texts, arguments, Stop.
#include <gtest/gtest.h>

#include <cerrno>

#include <string>
#include <vector>

#include "conversion/output_name.h"
#include "tests/support/test_files.h"
#include "window_logic/list_run.h"
#include "window_logic/run_words.h"
#include "window_logic/track_arguments.h"
#include "window_logic/track_selection.h"

namespace quellmark {
namespace {

using test::MakeTrack;
using test::ReadFile;
using test::WriteFile;

std::string AsIs(const std::string& Path) {
    return Path;
}

#ifdef _WIN32
const std::string Root = "C:\\tracks\\";
#else
const std::string Root = "/tracks/";
#endif

TEST(TrackSelection, FieldsFollowWhatTheUserChose) {
    const struct {
        const char* Name;
        void (*Act)(TrackSelection&);
        // input text, output text, input tooltip, output tooltip, input of the first run
        std::vector<std::string> Expected;
    } Rows[] = {
        {"nothing chosen", [](TrackSelection&) {}, {"", "", "", "", ""}},
        {"one track",
         [](TrackSelection& Chosen) { Chosen.ChooseInput(Root + "a b.trk"); },
         {"a b.trk", "NoIcons_a b.trk", Root + "a b.trk", Root + "NoIcons_a b.trk",
          Root + "a b.trk"}},
        {"a bare name typed after a browse",
         [](TrackSelection& Chosen) {
             Chosen.ChooseInput(Root + "a.trk");
             Chosen.EditOutput("other.trk");
         },
         {"a.trk", "other.trk", Root + "a.trk", Root + "other.trk", Root + "a.trk"}},
        {"a list",
         [](TrackSelection& Chosen) {
             Chosen.ChooseList({Root + "a.trk", Root + "b.trk", Root + "c.trk", Root + "d.trk"});
         },
         {"4 tracks: a.trk, b.trk, c.trk, …", "NoIcons_<name> beside each",
          Root + "a.trk\n" + Root + "b.trk\n" + Root + "c.trk\n" + Root + "d.trk",
          Root + "NoIcons_a.trk\n" + Root + "NoIcons_b.trk\n" + Root + "NoIcons_c.trk\n" + Root +
              "NoIcons_d.trk",
          Root + "a.trk"}},
        {"a list of one is one track",
         [](TrackSelection& Chosen) { Chosen.ChooseList({Root + "a.trk"}); },
         {"a.trk", "NoIcons_a.trk", Root + "a.trk", Root + "NoIcons_a.trk", Root + "a.trk"}},
        {"typing in the input ends a list",
         [](TrackSelection& Chosen) {
             Chosen.ChooseInput(Root + "x.trk");
             Chosen.ChooseList({Root + "a.trk", Root + "b.trk"});
             Chosen.EditInput("c.trk");
         },
         {"c.trk", "NoIcons_x.trk", Root + "c.trk", Root + "NoIcons_x.trk", Root + "c.trk"}},
        {"a browse ends a list",
         [](TrackSelection& Chosen) {
             Chosen.ChooseList({Root + "a.trk", Root + "b.trk"});
             Chosen.ChooseInput(Root + "z.trk");
         },
         {"z.trk", "NoIcons_z.trk", Root + "z.trk", Root + "NoIcons_z.trk", Root + "z.trk"}},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        TrackSelection Chosen(AsIs);
        Row.Act(Chosen);
        const auto Runs = Chosen.Runs(IconState::Low, CommandType::TimeCompression);
        EXPECT_EQ((std::vector<std::string>{Chosen.InputText(), Chosen.OutputText(),
                                            Chosen.InputToolTip(), Chosen.OutputToolTip(),
                                            Runs.front().InputPath}),
                  Row.Expected);
        EXPECT_EQ(Runs.size(), Chosen.IsList() ? Chosen.List().size() : 1u);
        EXPECT_EQ(Runs.back().InitialIconState, IconState::Low);
    }
}

TEST(OutputName, EveryFrontEndNamesOutputsAlike) {
    EXPECT_EQ(OutputPathFor("a.trk"), "NoIcons_a.trk");
    EXPECT_EQ(OutputPathFor("sub/a.trk"), "sub/NoIcons_a.trk");
    EXPECT_EQ(OutputPathFor("sub/a.trk", "out"),
              "out" + std::string(Root.substr(Root.size() - 1)) + "NoIcons_a.trk");
    EXPECT_EQ(OutputPathFor("sub/a.trk", "out/"), "out/NoIcons_a.trk");
#ifdef _WIN32
    EXPECT_EQ(OutputPathFor("tracks\\a.trk"), "tracks\\NoIcons_a.trk");
    EXPECT_EQ(OutputPathFor("C:a.trk"), "C:NoIcons_a.trk");
#else
    EXPECT_EQ(OutputPathFor("back\\slash.trk"), "NoIcons_back\\slash.trk");
#endif
}

// A result of Outcome, stopped for Why or failed for lack of a folder, as the engine reports it.
TrackResult Done(RunOutcome Outcome, StopReason Why = StopReason::NoRecordSection,
                 bool Flushed = true) {
    TrackResult Result{Root + "a.trk", Root + "NoIcons_a.trk", {}};
    Result.Result.Outcome = Outcome;
    Result.Result.Stopped = Why;
    if (Outcome == RunOutcome::Failed) {
        Result.Result.Failed =
            Failure{FailedStep::OpenInput, "a.trk", {}, Reason::FromErrno(ENOENT)};
    }
    if (!Flushed) {
        Result.Result.NotOnDisk =
            Failure{FailedStep::FlushFolder, "x.trk", "f", Reason::FromErrno(EIO)};
    }
    return Result;
}

TEST(RunReport, EveryOutcomeHasItsText) {
    const std::string Copy = "'NoIcons_a.trk' is a copy with the icons still on";
    const std::string Copied = "copied with the icons still on";
    const struct {
        TrackResult Result;
        std::string Single;
        std::string InList;
    } Rows[] = {
        {Done(RunOutcome::Finished), "Finished Processing", "a.trk: converted"},
        {Done(RunOutcome::SameFile), "Input and Output Files Can't Be The Same File",
         "a.trk: Input and Output Files Can't Be The Same File"},
        {Done(RunOutcome::Stopped), "'a.trk' was not converted (no record section): " + Copy,
         "a.trk: not converted (no record section): " + Copied},
        {Done(RunOutcome::Stopped, StopReason::LfLineEnds),
         "'a.trk' was not converted (its lines end in LF only, not CR LF): " + Copy,
         "a.trk: not converted (its lines end in LF only, not CR LF): " + Copied},
        {Done(RunOutcome::Stopped, StopReason::PreambleCut),
         "'a.trk' was not converted (the record section ends within 20 lines): " + Copy,
         "a.trk: not converted (the record section ends within 20 lines): " + Copied},
        {Done(RunOutcome::Failed), "Can't open input track 'a.trk': No such file or directory",
         "a.trk: Can't open input track 'a.trk': No such file or directory"},
        {Done(RunOutcome::Cancelled), "Stopped by the user: 'NoIcons_a.trk' was left as it was",
         "a.trk: stopped by the user, output left as it was"},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Single);
        EXPECT_EQ(SingleTrackMessage(Row.Result, PlainQuotes(AsIs)), Row.Single);
        EXPECT_EQ(SummarizeList({Row.Result}, {}, AsIs).Lines,
                  std::vector<std::string>{Row.InList});
    }
}

TEST(RunReport, AMissingTrackIsNamedAsTheCommandLineNamesIt) {
    EXPECT_EQ(MissingTrackMessage("none.trk", AsIs),
              "Can't open input track 'none.trk': No such file or directory");
}

TEST(RunReport, SummaryCountsAndPutsFailuresFirst) {
    const auto Named = [](const char* Track, RunOutcome Outcome) {
        TrackResult Result = Done(Outcome);
        Result.Track = Track;
        Result.Result.Failed = Failure{FailedStep::ReadInput, "x", {}, Reason::InWords("why")};
        return Result;
    };
    const std::vector<TrackResult> Results = {
        Named("a.trk", RunOutcome::Finished),
        Named("b.trk", RunOutcome::Stopped),
        Named("c.trk", RunOutcome::Failed),
        Named("d.trk", RunOutcome::Finished),
    };
    const Report Summary = SummarizeList(Results, {"e.trk"}, AsIs);
    EXPECT_EQ(Summary.Headline,
              "2 converted, 1 copied unchanged, 1 failed, 1 not converted (stopped)");
    EXPECT_EQ(Summary.Lines,
              (std::vector<std::string>{
                  "c.trk: Can't read input track 'x': why",
                  "b.trk: not converted (no record section): copied with the icons still on",
                  "a.trk: converted", "d.trk: converted", "e.trk: not converted"}));
    EXPECT_EQ(Summary.Failed, 1u);
    EXPECT_EQ(SummarizeList({Results[0]}, {}, AsIs).Failed, 0u);
}

class Files : public ::testing::Test {
  public:
    const std::string Track = MakeTrack("  1 279 1 0\r\n");
    test::TemporaryDirectory Directory;
};

TEST_F(Files, TheQuestionNamesOnlyOutputsThatExist) {
    WriteFile(Directory / "NoIcons_b.trk", "earlier");
    const std::vector<RunSettings> Runs = {{Directory / "a.trk", Directory / "NoIcons_a.trk"},
                                           {Directory / "b.trk", Directory / "NoIcons_b.trk"}};
    const Report Question = ListQuestion(Runs, AsIs);
    EXPECT_EQ(Question.Lines, std::vector<std::string>{Directory / "NoIcons_b.trk"});
    EXPECT_EQ(Question.Headline,
              "Convert these 2 tracks with the options now selected? One output exists and will "
              "be replaced.");
    EXPECT_TRUE(ListQuestion({Runs[0]}, AsIs).Lines.empty());
}

TEST_F(Files, ArgumentsThatNameFilesAreThoseFiles) {
    const std::string Odd = Directory / "sortie:2.trk";
    WriteFile(Odd, Track);
    WriteFile(Directory / "a b.trk", Track);
#ifndef _WIN32
    // A Latin-1 name, as unzip gives for an archive made on Windows.
    const std::string Latin = Directory /
                              "\xdc"
                              "bung.trk";
    WriteFile(Latin, Track);
#else
    const std::string Latin = Odd;
#endif
    std::string Address = "file://" + Directory / "a%20b.trk";
    std::string Addressed = Directory / "a b.trk";
#ifdef _WIN32
    // file:///C:/… names C:/…, with the address's slashes.
    for (auto* Text : {&Address, &Addressed}) {
        for (auto& Character : *Text) {
            Character = Character == '\\' ? '/' : Character;
        }
    }
    Address.insert(7, "/");
#endif
    const auto Read = ReadTrackArguments({Odd, Latin, Address, Directory / "none.trk"});
    EXPECT_EQ(Read.Tracks,
              (std::vector<std::string>{Odd, Latin, Addressed, Directory / "none.trk"}));
    EXPECT_EQ(Read.Missing, std::vector<std::string>{Directory / "none.trk"});
}

TEST_F(Files, StopStartsNoOtherTrack) {
    WriteFile(Directory / "a.trk", Track);
    WriteFile(Directory / "b.trk", Track);
    WriteFile(Directory / "NoIcons_a.trk", "earlier");
    const std::vector<RunSettings> Runs = {{Directory / "a.trk", Directory / "NoIcons_a.trk"},
                                           {Directory / "b.trk", Directory / "NoIcons_b.trk"}};
    const struct {
        const char* Name;
        bool Stop;
        std::vector<RunOutcome> Outcomes;
        std::size_t NotConverted;
    } Rows[] = {
        {"stopped before the first track", true, {}, 2},
        {"run through", false, {RunOutcome::Finished, RunOutcome::Finished}, 0},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        ListRun Running(Runs);
        if (Row.Stop) {
            Running.Stop();
        }
        Running.Run();
        std::vector<RunOutcome> Outcomes;
        for (const auto& Result : Running.Results()) {
            Outcomes.push_back(Result.Result.Outcome);
        }
        EXPECT_EQ(Outcomes, Row.Outcomes);
        EXPECT_EQ(Running.NotConverted().size(), Row.NotConverted);
        EXPECT_EQ(ReadFile(Directory / "NoIcons_a.trk") == "earlier", Row.Stop);
        EXPECT_EQ(Directory.Listing(), Row.Stop ? "NoIcons_a.trk|a.trk|b.trk"
                                                : "NoIcons_a.trk|NoIcons_b.trk|a.trk|b.trk");
        EXPECT_EQ(Running.Progress().Tracks, 2u);
    }
}

TEST(ListRun, ProgressCountsBytesWithinTracksAndTracksInTheList) {
    const ListRun Two({{Root + "a.trk", Root + "NoIcons_a.trk"}, {Root + "b.trk", "x"}});
    const struct {
        ListProgress Now;
        int Permille;
    } Rows[] = {
        {{0, 2, 0, 100}, 0},
        {{0, 2, 50, 100}, 250},
        {{1, 2, 100, 100}, 1000},
        {{0, 1, 0, 0}, 0},
    };
    for (const auto& Row : Rows) {
        EXPECT_EQ(ProgressPermille(Row.Now), Row.Permille);
    }
    EXPECT_EQ(ProgressLabel(Two, AsIs), "Converting a.trk (track 1 of 2)\xe2\x80\xa6");
    EXPECT_EQ(SingleResult(Two).Result.Outcome, RunOutcome::Cancelled);
}

}  // namespace
}  // namespace quellmark
