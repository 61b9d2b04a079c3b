// What the windows decide without a toolkit, row by row, on both systems: the layout, paths,
// fields, words, and the presenter driven through a fake window as a user would drive it.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "conversion/files/output_name.h"
#include "conversion/files/path_syntax.h"
#include "tests/support/test_files.h"
#include "window_logic/main_presenter.h"
#include "window_logic/track_arguments.h"
#include "window_logic/window_layout.h"
#include "window_logic/window_words.h"

namespace quellmark {
namespace {

using test::MakeTrack;
using test::ReadFile;
using test::WriteFile;

std::string AsIs(const std::string& Path) {
    return Path;
}

// Names a parameterised row by its Name member, letters and digits only.
template <typename Row>
std::string RowName(const testing::TestParamInfo<Row>& Info) {
    std::string Name;
    for (const char Character : std::string(Info.param.Name)) {
        Name += std::isalnum(static_cast<unsigned char>(Character)) ? Character : '_';
    }
    return Name;
}

const bool WindowsPaths = PreferredSeparator() == '\\';
const std::string Root = WindowsPaths ? "C:\\tracks\\" : "/tracks/";
const char Sep = PreferredSeparator();

// The layout the window was drawn with; the views are built from the table and checked
// against it, so this is where the numbers are checked.
struct LayoutRow {
    const char* Name;
    const char* Caption;
    TwipRect Where;
    double Points;
    int TabIndex;
};

class WindowLayout : public testing::TestWithParam<LayoutRow> {};

TEST_P(WindowLayout, EveryControlStandsWhereTheLayoutPutsIt) {
    const LayoutRow& Row = GetParam();
    int Found = 0;
    for (const auto& Each : WindowControls()) {
        if (std::string(Each.Name) == Row.Name) {
            ++Found;
            EXPECT_EQ(ShownCaption(Each.Caption), Row.Caption);
            EXPECT_EQ(Each.Where, Row.Where);
            EXPECT_EQ(Each.Points, Row.Points);
            EXPECT_EQ(Each.TabIndex, Row.TabIndex);
        }
    }
    EXPECT_EQ(Found, 1);
}

INSTANTIATE_TEST_SUITE_P(
    , WindowLayout,
    testing::Values(
        LayoutRow{"Label1", "Input Track:", {0, 360, 1695, 375}, 12, 6},
        LayoutRow{"txtInputTrackFile", "", {1680, 360, 3495, 375}, 12, 7},
        LayoutRow{"cmdInputBrowse", "Browse", {5280, 360, 1215, 375}, 12, 8},
        LayoutRow{"Label2", "Output Track:", {0, 1080, 1695, 375}, 12, 9},
        LayoutRow{"txtOutputTrackFile", "", {1680, 1080, 3495, 375}, 12, 10},
        LayoutRow{"cmdOutputBrowse", "Browse", {5280, 1080, 1215, 375}, 12, 11},
        LayoutRow{"Frame1", "Original Icon State", {480, 1800, 2415, 1815}, 8.25, 1},
        LayoutRow{"optIconStateOff", "Off", {120, 240, 1455, 375}, 8.25, 2},
        LayoutRow{"optIconStateLow", "Range Only", {120, 600, 1455, 375}, 8.25, 3},
        LayoutRow{"optIconStateMedium", "Range & Type", {120, 960, 1575, 375}, 8.25, 4},
        LayoutRow{"optIconStateFull", "Range, Type & Name", {120, 1320, 2175, 375}, 8.25, 5},
        LayoutRow{"Frame2", "What To Screw Up", {3120, 1800, 2175, 1575}, 8.25, 12},
        LayoutRow{"optViews", "Views", {120, 240, 1695, 300}, 8.25, 13},
        LayoutRow{"optTimeCompression", "Time Compression", {120, 600, 1935, 300}, 8.25, 14},
        LayoutRow{"optUseNullCommand", "Neither (Untested)", {120, 960, 1935, 300}, 8.25, 16},
        LayoutRow{"cmdRemoveIcons", "Remove Icons", {480, 3840, 1455, 375}, 8.25, 0},
        LayoutRow{"cmdExit", "Bail Out", {5040, 3840, 1455, 375}, 12, 15}),
    RowName<LayoutRow>);

using TrackNames = std::vector<std::string>;

class HandOver : public testing::TestWithParam<TrackNames> {};

TEST_P(HandOver, TracksArriveAsTheyLeft) {
    EXPECT_EQ(UnpackedTracks(PackedTracks(GetParam())), GetParam());
}

INSTANTIATE_TEST_SUITE_P(, HandOver,
                         testing::Values(TrackNames{}, TrackNames{"a.trk", ""},
                                         TrackNames{"Spuren \u00fc/\u00dcbung.trk", "b c.trk"}));

struct CommandLineRow {
    const char* Name;
    TrackNames Words;
    TrackNames Options;
    TrackNames Tracks;
};

class WindowStart : public testing::TestWithParam<CommandLineRow> {};

TEST_P(WindowStart, SplitsOptionsFromTracks) {
    const auto Line = SplitWindowCommandLine(GetParam().Words);
    EXPECT_EQ(Line.Options, GetParam().Options);
    EXPECT_EQ(Line.Tracks, GetParam().Tracks);
}

INSTANTIATE_TEST_SUITE_P(
    , WindowStart,
    testing::Values(
        CommandLineRow{"tracks only", {"a.trk", "b c.trk"}, {}, {"a.trk", "b c.trk"}},
        CommandLineRow{"an option among tracks", {"a.trk", "--help"}, {"--help"}, {"a.trk"}},
        CommandLineRow{"a lone dash is a name", {"-"}, {}, {"-"}},
        CommandLineRow{"after the end of options", {"--", "-x.trk", "--"}, {}, {"-x.trk", "--"}},
        CommandLineRow{"a short option", {"-h"}, {"-h"}, {}}),
    RowName<CommandLineRow>);

struct ChoiceRow {
    const char* Name;
    std::vector<ControlId> Checked;
    IconState State;
    CommandType Command;
};

class OptionChoice : public testing::TestWithParam<ChoiceRow> {};

TEST_P(OptionChoice, TheCheckedOptionsChooseTheRun) {
    const auto IsChecked = [](ControlId Id) { return std::ranges::count(GetParam().Checked, Id); };
    EXPECT_EQ(ChosenIconState(IsChecked), GetParam().State);
    EXPECT_EQ(ChosenCommand(IsChecked), GetParam().Command);
}

INSTANTIATE_TEST_SUITE_P(
    , OptionChoice,
    testing::Values(ChoiceRow{"none checked", {}, IconState::Off, CommandType::Views},
                    ChoiceRow{"the last of each group",
                              {ControlId::optIconStateFull, ControlId::optUseNullCommand},
                              IconState::Full,
                              CommandType::UseNullCommand}),
    RowName<ChoiceRow>);

struct PathRow {
    const char* Name;
    std::string Got;
    std::string Expected;
};

class PathSyntax : public testing::TestWithParam<PathRow> {};

TEST_P(PathSyntax, SplitsAndJoinsAsTheSystemDoes) {
    EXPECT_EQ(GetParam().Got, GetParam().Expected);
}

std::vector<PathRow> PathRows() {
    std::vector<PathRow> Rows = {
        PathRow{"output beside the track", OutputPathFor("sub/a.trk"), "sub/NoIcons_a.trk"},
        // The name the one-track result gives: where the working folder is, not as typed.
        PathRow{"a relative name made full",
                IsFullPath(FullPathOf("sub/a.trk")) ? FileNameOf(FullPathOf("sub/a.trk")) : "",
                "a.trk"},
        PathRow{"a full name kept", FullPathOf(Root + "a.trk"), Root + "a.trk"},
        PathRow{"output of a bare name", OutputPathFor("a.trk"), "NoIcons_a.trk"},
        PathRow{"output in a folder", OutputPathFor("sub/a.trk", "out"),
                "out" + std::string(1, Sep) + "NoIcons_a.trk"},
        PathRow{"output in a folder with its separator", OutputPathFor("sub/a.trk", "out/"),
                "out/NoIcons_a.trk"},
        PathRow{"folder of a name under the root", FolderNameOf(std::string(1, Sep) + "x.trk"),
                std::string(1, Sep)},
        PathRow{"folder of a bare name", FolderNameOf("x.trk"), "."},
        PathRow{"folder of a nested name", FolderNameOf("a/b/x.trk"), "a/b"},
        PathRow{"file address with escapes", LocalPathOfFileUrl("file:///t/%C3%BCbung%20a.trk"),
                "/t/\xc3\xbc"
                "bung a.trk"},
        PathRow{"file address with lower-case escapes",
                LocalPathOfFileUrl("file:///t/%c3%bf%2a.trk"), "/t/\xc3\xbf*.trk"},
        PathRow{"file address on localhost", LocalPathOfFileUrl("file://localhost/t/a.trk"),
                "/t/a.trk"},
        PathRow{"no file address", LocalPathOfFileUrl("https://example.org/a.trk"), ""},
        PathRow{"full path", IsFullPath(Root + "a.trk") ? "full" : "relative", "full"},
        PathRow{"relative path", IsFullPath("a.trk") ? "full" : "relative", "relative"}};
    if (WindowsPaths) {
        Rows.insert(
            Rows.end(),
            {PathRow{"backslashes", OutputPathFor("tracks\\a.trk"), "tracks\\NoIcons_a.trk"},
             PathRow{"a drive's working folder", OutputPathFor("C:a.trk"), "C:NoIcons_a.trk"},
             PathRow{"a drive's root", FolderNameOf("C:\\x.trk"), "C:\\"},
             PathRow{"file address with a drive", LocalPathOfFileUrl("file:///C:/a.trk"),
                     "C:/a.trk"}});
    } else {
        Rows.push_back(PathRow{"a backslash is a letter", OutputPathFor("back\\slash.trk"),
                               "NoIcons_back\\slash.trk"});
    }
    return Rows;
}

INSTANTIATE_TEST_SUITE_P(, PathSyntax, testing::ValuesIn(PathRows()), RowName<PathRow>);

struct SelectionRow {
    const char* Name;
    std::function<void(TrackSelection&)> Act;
    // input text, output text, input tooltip, output tooltip, first run's input and output
    std::vector<std::string> Expected;
};

class Selection : public testing::TestWithParam<SelectionRow> {};

TEST_P(Selection, FieldsFollowWhatTheUserChose) {
    TrackSelection Chosen(AsIs);
    GetParam().Act(Chosen);
    const auto Runs = Chosen.Runs(IconState::Low, CommandType::TimeCompression);
    EXPECT_EQ((std::vector<std::string>{Chosen.InputText(), Chosen.OutputText(),
                                        Chosen.InputToolTip(), Chosen.OutputToolTip(),
                                        Runs.front().InputPath, Runs.front().OutputPath}),
              GetParam().Expected);
    EXPECT_EQ(Runs.size(), Chosen.IsList() ? Chosen.List().size() : 1u);
    EXPECT_EQ(Runs.back().InitialIconState, IconState::Low);
}

std::vector<std::string> ManyTracks(int Count) {
    std::vector<std::string> Tracks;
    for (int At = 0; At < Count; ++At) {
        Tracks.push_back(Root + "t" + std::to_string(At) + ".trk");
    }
    return Tracks;
}

INSTANTIATE_TEST_SUITE_P(
    , Selection,
    testing::Values(
        SelectionRow{"nothing chosen", [](TrackSelection&) {}, {"", "", "", "", "", ""}},
        SelectionRow{"one track",
                     [](TrackSelection& Chosen) { Chosen.ChooseInput(Root + "a b.trk"); },
                     {"a b.trk", "NoIcons_a b.trk", Root + "a b.trk", Root + "NoIcons_a b.trk",
                      Root + "a b.trk", Root + "NoIcons_a b.trk"}},
        SelectionRow{"a bare name typed after a browse",
                     [](TrackSelection& Chosen) {
                         Chosen.ChooseInput(Root + "a.trk");
                         Chosen.EditOutput("other.trk");
                     },
                     {"a.trk", "other.trk", Root + "a.trk", Root + "other.trk", Root + "a.trk",
                      Root + "other.trk"}},
        SelectionRow{"an output field emptied after a browse",
                     [](TrackSelection& Chosen) {
                         Chosen.ChooseInput(Root + "a.trk");
                         Chosen.EditOutput("");
                     },
                     {"a.trk", "", Root + "a.trk", "", Root + "a.trk", ""}},
        SelectionRow{
            "a list",
            [](TrackSelection& Chosen) {
                Chosen.ChooseList({Root + "a.trk", Root + "b.trk", Root + "c.trk", Root + "d.trk"});
            },
            {"4 tracks: a.trk, b.trk, c.trk, \xe2\x80\xa6", "NoIcons_<name> beside each",
             Root + "a.trk\n" + Root + "b.trk\n" + Root + "c.trk\n" + Root + "d.trk",
             Root + "NoIcons_a.trk\n" + Root + "NoIcons_b.trk\n" + Root + "NoIcons_c.trk\n" + Root +
                 "NoIcons_d.trk",
             Root + "a.trk", Root + "NoIcons_a.trk"}},
        SelectionRow{"a list into a chosen folder",
                     [](TrackSelection& Chosen) {
                         Chosen.ChooseList({Root + "a.trk", Root + "b.trk"});
                         Chosen.ChooseOutputFolder(Root + "out");
                     },
                     {"2 tracks: a.trk, b.trk", "NoIcons_<name> in " + Root + "out",
                      Root + "a.trk\n" + Root + "b.trk",
                      Root + "out" + Sep + "NoIcons_a.trk\n" + Root + "out" + Sep + "NoIcons_b.trk",
                      Root + "a.trk", Root + "out" + Sep + "NoIcons_a.trk"}},
        SelectionRow{
            "a list takes no typing",
            [](TrackSelection& Chosen) {
                Chosen.ChooseList({Root + "a.trk", Root + "b.trk"});
                Chosen.EditInput("2 tracks: a.trk, b.trkx");
                Chosen.EditOutput("x");
            },
            {"2 tracks: a.trk, b.trk", "NoIcons_<name> beside each",
             Root + "a.trk\n" + Root + "b.trk", Root + "NoIcons_a.trk\n" + Root + "NoIcons_b.trk",
             Root + "a.trk", Root + "NoIcons_a.trk"}},
        SelectionRow{
            "a long list's tooltips",
            [](TrackSelection& Chosen) { Chosen.ChooseList(ManyTracks(25)); },
            {"25 tracks: t0.trk, t1.trk, t2.trk, \xe2\x80\xa6", "NoIcons_<name> beside each",
             [] {
                 std::string Tip;
                 for (const auto& Track : ManyTracks(20)) {
                     Tip += Track + "\n";
                 }
                 return Tip + "\xe2\x80\xa6 and 5 more";
             }(),
             [] {
                 std::string Tip;
                 for (const auto& Track : ManyTracks(20)) {
                     Tip += OutputPathFor(Track) + "\n";
                 }
                 return Tip + "\xe2\x80\xa6 and 5 more";
             }(),
             Root + "t0.trk", Root + "NoIcons_t0.trk"}},
        SelectionRow{
            "a tooltip of exactly twenty tracks",
            [](TrackSelection& Chosen) { Chosen.ChooseList(ManyTracks(20)); },
            {"20 tracks: t0.trk, t1.trk, t2.trk, \xe2\x80\xa6", "NoIcons_<name> beside each",
             [] {
                 std::string Tip;
                 for (const auto& Track : ManyTracks(20)) {
                     Tip += (Tip.empty() ? "" : "\n") + Track;
                 }
                 return Tip;
             }(),
             [] {
                 std::string Tip;
                 for (const auto& Track : ManyTracks(20)) {
                     Tip += (Tip.empty() ? "" : "\n") + OutputPathFor(Track);
                 }
                 return Tip;
             }(),
             Root + "t0.trk", Root + "NoIcons_t0.trk"}},
        SelectionRow{"an output chosen in another folder",
                     [](TrackSelection& Chosen) {
                         Chosen.ChooseInput(Root + "a.trk");
                         Chosen.ChooseOutput(Root + "out" + Sep + "b.trk");
                     },
                     {"a.trk", "b.trk", Root + "a.trk", Root + "out" + Sep + "b.trk",
                      Root + "a.trk", Root + "out" + Sep + "b.trk"}},
        SelectionRow{
            "a new list beside its tracks again",
            [](TrackSelection& Chosen) {
                Chosen.ChooseList({Root + "a.trk", Root + "b.trk"});
                Chosen.ChooseOutputFolder(Root + "out");
                Chosen.ChooseList({Root + "c.trk", Root + "d.trk"});
            },
            {"2 tracks: c.trk, d.trk", "NoIcons_<name> beside each",
             Root + "c.trk\n" + Root + "d.trk", Root + "NoIcons_c.trk\n" + Root + "NoIcons_d.trk",
             Root + "c.trk", Root + "NoIcons_c.trk"}},
        SelectionRow{"a browse ends a list",
                     [](TrackSelection& Chosen) {
                         Chosen.ChooseList({Root + "a.trk", Root + "b.trk"});
                         Chosen.ChooseInput(Root + "z.trk");
                     },
                     {"z.trk", "NoIcons_z.trk", Root + "z.trk", Root + "NoIcons_z.trk",
                      Root + "z.trk", Root + "NoIcons_z.trk"}}),
    RowName<SelectionRow>);

// A result of Outcome, stopped for Why or failed for lack of a folder, as the engine reports it.
TrackResult Done(RunOutcome Outcome, StopReason Why = StopReason::NoRecordSection,
                 bool Flushed = true) {
    TrackResult Result{Root + "a.trk", Root + "NoIcons_a.trk", {}};
    Result.Result.Outcome = Outcome;
    Result.Result.StoppedBecause = Why;
    Result.Result.TogglesReplaced = 2;
    if (Outcome == RunOutcome::Failed) {
        Result.Result.Failed =
            Failure{FailedStep::OpenInput, "a.trk", {}, Reason::Because(Cause::NotFound)};
    }
    if (!Flushed) {
        Result.Result.NotOnDisk =
            Failure{FailedStep::FlushFolder, "x.trk", "f", Reason::Because(Cause::IoError)};
    }
    return Result;
}

struct WordsRow {
    const char* Name;
    TrackResult Result;
    std::string Single;
    std::string InList;
};

class Words : public testing::TestWithParam<WordsRow> {};

TEST_P(Words, EveryOutcomeHasItsText) {
    EXPECT_EQ(SingleTrackMessage(GetParam().Result, PlainQuotes(AsIs)), GetParam().Single);
    EXPECT_EQ(SummarizeList({GetParam().Result}, {}, AsIs).Lines,
              std::vector<std::string>{GetParam().InList});
}

const std::string Copy = "'NoIcons_a.trk' is a copy with the icons still on";
const std::string Copied = "copied with the icons still on";
const std::string Changes = "2 icon toggles replaced, no toggle pair inserted";

INSTANTIATE_TEST_SUITE_P(
    , Words,
    testing::Values(
        WordsRow{"finished", Done(RunOutcome::Finished),
                 "Finished Processing\n\n'" + Root + "NoIcons_a.trk': " + Changes,
                 "a.trk: converted, " + Changes},
        WordsRow{"one toggle",
                 [] {
                     TrackResult One = Done(RunOutcome::Finished);
                     One.Result.TogglesReplaced = 1;
                     One.Result.PairsInserted = 1;
                     return One;
                 }(),
                 "Finished Processing\n\n'" + Root +
                     "NoIcons_a.trk': 1 icon toggle replaced, 1 toggle pair inserted",
                 "a.trk: converted, 1 icon toggle replaced, 1 toggle pair inserted"},
        WordsRow{"in place, but not on disk", Done(RunOutcome::Finished, {}, false),
                 "Finished Processing\n\n'" + Root + "NoIcons_a.trk': " + Changes + "\n\n'" + Root +
                     "NoIcons_a.trk' is in place, but may not survive a crash: Can't flush to disk "
                     "folder 'f' for output track 'x.trk': Input/output error",
                 "a.trk: '" + Root +
                     "NoIcons_a.trk' is in place, but may not survive a crash: Can't flush to disk "
                     "folder 'f' for output track 'x.trk': Input/output error"},
        WordsRow{"same file", Done(RunOutcome::SameFile),
                 "Input and Output Files Can't Be The Same File",
                 "a.trk: Input and Output Files Can't Be The Same File"},
        WordsRow{"no record section", Done(RunOutcome::Stopped),
                 "'a.trk' was not converted (no record section): " + Copy,
                 "a.trk: not converted (no record section): " + Copied},
        WordsRow{"LF line ends", Done(RunOutcome::Stopped, StopReason::LfLineEnds),
                 "'a.trk' was not converted (its lines end in LF only, not CR LF): " + Copy,
                 "a.trk: not converted (its lines end in LF only, not CR LF): " + Copied},
        WordsRow{"a short record section", Done(RunOutcome::Stopped, StopReason::PreambleCut),
                 "'a.trk' was not converted (the record section ends within 20 lines): " + Copy,
                 "a.trk: not converted (the record section ends within 20 lines): " + Copied},
        WordsRow{"failed", Done(RunOutcome::Failed),
                 "Can't open input track 'a.trk': No such file or directory",
                 "a.trk: Can't open input track 'a.trk': No such file or directory"},
        WordsRow{"stopped by the user", Done(RunOutcome::Cancelled),
                 "Stopped by the user: 'NoIcons_a.trk' was left as it was",
                 "a.trk: stopped by the user, output left as it was"}),
    RowName<WordsRow>);

TEST(RunWords, ASummaryCountsEveryKindAndPutsFailuresFirst) {
    std::vector<TrackResult> Results = {
        Done(RunOutcome::Finished), Done(RunOutcome::Stopped),
        Done(RunOutcome::Failed),   Done(RunOutcome::Cancelled),
        Done(RunOutcome::SameFile), Done(RunOutcome::Finished, {}, false)};
    Results.push_back(Done(RunOutcome::Cancelled));
    Results.back().Started = false;
    const ListReport Summary =
        SummarizeList(Results, {{Root + "NoIcons_b.trk", SkippedTrack::Why::AlreadyOutput}}, AsIs);
    EXPECT_EQ(Summary.Headline,
              "1 converted, 1 not converted (copied with the icons still on), 3 failed, "
              "1 stopped, 1 not started, 1 skipped");
    EXPECT_EQ(Summary.InSight.size(), 3u);
    EXPECT_EQ(Summary.InSight.front(), "\u2022 " + Summary.Lines.front());
    EXPECT_EQ(Summary.Lines.front(),
              "a.trk: Can't open input track 'a.trk': No such file or directory");
    const ListReport Many = SummarizeList(std::vector(7, Done(RunOutcome::Failed)), {}, AsIs);
    EXPECT_EQ(Many.InSight.size(), 6u);
    EXPECT_EQ(Many.InSight.back(), "\u2026 and 2 more");
    // Exactly as many as are in sight: none more to tell of.
    const ListReport Five = SummarizeList(std::vector(5, Done(RunOutcome::Failed)), {}, AsIs);
    EXPECT_EQ(Five.InSight.size(), 5u);
    EXPECT_EQ(Five.InSight.back().rfind("\u2022 ", 0), 0u);
    // Stopped by the user before copied, so that what the user did reads first after failures.
    const ListReport Order =
        SummarizeList({Done(RunOutcome::Stopped), Done(RunOutcome::Cancelled)}, {}, AsIs);
    ASSERT_EQ(Order.Lines.size(), 2u);
    EXPECT_EQ(Order.Lines[0], "a.trk: stopped by the user, output left as it was");
    EXPECT_EQ(Summary.Lines.back(), "NoIcons_b.trk: skipped (already has the NoIcons_ prefix)");
}

// Waits, at most ten seconds, until Done says yes.
void WaitFor(const std::function<bool()>& Done) {
    for (int Wait = 0; Wait < 10000 && !Done(); ++Wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// Two tracks in flight, their runs played by the test: the progress shows the stage of the
// furthest track started, whatever the other reports, and names a file being saved by its
// output.
TEST(ListProgress, ShowsTheFurthestTrackAndWhatItDoes) {
    std::atomic<bool> SecondStarted{false}, FirstLooked{false};
    std::vector<std::string> Seen;
    ListRun* List = nullptr;
    const auto Look = [&] {
        const ListProgress Now = List->Progress();
        Seen.push_back(ProgressLabel(*List, Now, AsIs) + (Now.Stoppable ? "" : " (no Stop)"));
    };
    ListRun Two(
        {{Root + "a.trk", Root + "NoIcons_a.trk"}, {Root + "b.trk", Root + "NoIcons_b.trk"}}, 2,
        [&](const RunSettings& Run, const RunProgress& Progress, const ListShares&) {
            if (Run.InputPath == Root + "a.trk") {
                WaitFor([&] { return SecondStarted.load(); });
                Progress(RunStage::Saving, 0, 0);
                Look();
                FirstLooked = true;
            } else {
                SecondStarted = true;
                WaitFor([&] { return FirstLooked.load(); });
                Progress(RunStage::Saving, 0, 0);
                Look();
                Progress(RunStage::Placing, 0, 0);
                Look();
            }
            RunResult Done;
            Done.Outcome = RunOutcome::Finished;
            return Done;
        });
    List = &Two;
    Two.Run();
    EXPECT_EQ(Seen, (std::vector<std::string>{
                        "Converting b.trk (track 2 of 2)\xe2\x80\xa6",
                        "Saving NoIcons_b.trk to disk (track 2 of 2)\xe2\x80\xa6",
                        "Putting NoIcons_b.trk in place (track 2 of 2)\xe2\x80\xa6"}));
}

// A single track can be stopped until it is put in place, and not while it is.
TEST(ListProgress, OneTrackIsStoppableUntilItTakesItsName) {
    std::vector<bool> Stoppable;
    ListRun* List = nullptr;
    ListRun One({{Root + "a.trk", Root + "NoIcons_a.trk"}}, 1,
                [&](const RunSettings&, const RunProgress& Progress, const ListShares&) {
                    for (const RunStage Stage :
                         {RunStage::Converting, RunStage::Saving, RunStage::Placing}) {
                        Progress(Stage, 0, 0);
                        Stoppable.push_back(List->Progress().Stoppable);
                    }
                    return RunResult{};
                });
    List = &One;
    One.Run();
    EXPECT_EQ(Stoppable, (std::vector<bool>{true, true, false}));
}

TEST(RunWords, TheQuestionNamesTheOptionsAndOnlyOutputsThatExist) {
    const std::vector<RunSettings> Runs = {
        {Root + "a.trk", Root + "NoIcons_a.trk", IconState::Low, CommandType::TimeCompression},
        {Root + "b.trk", Root + "NoIcons_b.trk", IconState::Low, CommandType::TimeCompression}};
    const auto Exists = [](const std::string& Path) { return Path == Root + "NoIcons_b.trk"; };
    const ListReport Question = ListQuestion(Runs, Exists, AsIs);
    EXPECT_EQ(Question.Lines, std::vector<std::string>{Root + "NoIcons_b.trk"});
    EXPECT_EQ(Question.Headline,
              "Convert these 2 tracks with \"Range Only\" and \"Time Compression\"? One output "
              "exists and will be replaced.");
    EXPECT_TRUE(ListQuestion({Runs[0]}, Exists, AsIs).Lines.empty());
}

// A window as the presenter sees it: choices and answers set by the test, everything shown
// recorded. Work runs at once, on the test's thread, unless the test holds it back.
class FakeWindow : public MainView {
  public:
    bool IsChecked(ControlId Option) const override { return std::ranges::count(Checked, Option); }
    void ShowFields(const FieldsShown& Shown) override { Fields = Shown; }
    std::vector<std::string> AskForTracks(const std::string&) override { return OpenAnswer; }
    std::string AskForOutput(const std::string&) override { return SaveAnswer; }
    std::string AskForFolder(const std::string&) override { return FolderAnswer; }
    void ShowMessage(const std::string& Text) override { Said.push_back(Text); }
    bool Confirm(const ListReport& Question) override {
        Said.push_back("? " + Question.Headline);
        return ConfirmAnswer;
    }
    void ShowSummary(const ListReport& Summary) override {
        std::string Text = Summary.Headline;
        for (const auto& Line : Summary.Lines) {
            Text += "\n" + Line;
        }
        Said.push_back(Text);
    }
    void StartWork(std::function<void()> Work) override {
        Held = std::move(Work);
        if (BeforeWork) {
            BeforeWork();
        }
        if (!HoldWork) {
            FinishWork();
        }
    }
    void FinishWork() {
        std::exchange(Held, {})();
        Presenter->WorkEnded();
    }
    void ShowProgress(const ProgressShown& Progress) override { Progressed.push_back(Progress); }
    void HideProgress() override { ++Hidden; }
    void Focus(ControlId Control) override { Focused.push_back({Control, Said.size()}); }
    void Close() override { Closed = true; }

    MainPresenter* Presenter = nullptr;
    std::vector<ControlId> Checked{ControlId::optIconStateOff, ControlId::optViews};
    FieldsShown Fields;
    std::vector<std::string> OpenAnswer;
    std::string SaveAnswer, FolderAnswer;
    bool ConfirmAnswer = true;
    std::vector<std::string> Said;
    std::function<void()> BeforeWork;
    bool HoldWork = false;
    std::function<void()> Held;
    std::vector<ProgressShown> Progressed;
    // Each control given the focus, and how many things had been said by then.
    std::vector<std::pair<ControlId, std::size_t>> Focused;
    int Hidden = 0;
    bool Closed = false;
};

class Presenting : public testing::Test {
  public:
    Presenting() {
        Window.Presenter = &Presenter;
        WriteFile(Directory / "a.trk", Track);
        WriteFile(Directory / "b.trk", Track);
        WriteFile(Directory / "short.trk", "player W\r\n");
    }
    std::chrono::steady_clock::time_point Now;
    FakeWindow Window;
    MainPresenter Presenter{Window, AsIs, SystemFileLookup(), [this] { return Now; }};
    const std::string Track = MakeTrack("  1 279 1 0\r\n  2 279 0 0\r\n");
    test::TemporaryDirectory Directory;
};

TEST_F(Presenting, AMissingTrackAtStartIsSaidOnceTheWindowShows) {
    Presenter.OpenArguments({Directory / "none.trk"});
    EXPECT_TRUE(Window.Said.empty());
    Presenter.WindowShown();
    Presenter.WindowShown();
    EXPECT_EQ(Window.Said,
              std::vector<std::string>{"Can't open input track '" + (Directory / "none.trk") +
                                       "': No such file or directory"});
}

TEST_F(Presenting, SeveralTracksAtStartAreAListEvenWithOneMissing) {
    Presenter.OpenArguments({Directory / "a.trk", Directory / "none.trk"});
    Presenter.WindowShown();
    EXPECT_TRUE(Window.Said.empty());
    EXPECT_EQ(Window.Fields.InputText, "2 tracks: a.trk, none.trk");
    Presenter.RemoveIconsPressed();
    EXPECT_EQ(Window.Said.back().rfind("1 converted, 0 not converted (copied with the icons still "
                                       "on), 1 failed\nnone.trk: Can't open input track",
                                       0),
              0u)
        << Window.Said.back();
}

// Every byte of the list is done once it has ended, also of tracks that ended before their
// last byte was read.
TEST_F(Presenting, AListCountsTheBytesOfEveryTrack) {
    std::filesystem::create_directory(Directory / "folder");
    const std::string Short = "player W\r\n";
    const struct {
        const char* Name;
        RunSettings Run;
        std::uint64_t Bytes;
    } Rows[] = {
        {"converted", {Directory / "a.trk", Directory / "NoIcons_a.trk"}, Track.size()},
        {"copied", {Directory / "short.trk", Directory / "NoIcons_short.trk"}, Short.size()},
        {"failed before a byte was read",
         {Directory / "b.trk", Directory / "folder"},
         Track.size()},
        {"refused before the list began",
         {Directory / "b.trk", Directory / "NoIcons_a.trk"},
         Track.size()},
    };
    std::vector<RunSettings> Runs;
    std::uint64_t Bytes = 0;
    for (const auto& Row : Rows) {
        Runs.push_back(Row.Run);
        Bytes += Row.Bytes;
    }
    ListRun List(Runs, 2);
    List.Run();
    const ListProgress Now = List.Progress();
    EXPECT_EQ(Now.BytesDone, Bytes);
    EXPECT_EQ(Now.BytesInAll, Bytes);
    EXPECT_EQ(ProgressPermille(Now), 1000);
}

// Before any track starts, an output that the folder would take for an earlier track's output,
// or that is a track of the list, is refused, and named as such.
TEST_F(Presenting, AListWritesNoFileTwiceNorOverItsOwnTracks) {
    std::filesystem::create_directories(Directory / "sub");
    std::filesystem::create_directories(Directory / "out");
    WriteFile(Directory / "sub/a.trk", Track);
    WriteFile(Directory / "Mission.trk", Track);
    WriteFile(Directory / "sub/mission.trk", Track);
    const std::string Out = Directory / "out";
    const auto Refused = [](const std::string& Output, Cause Why) {
        return FailureText({FailedStep::CreateOutput, Output, {}, Reason::Because(Why)},
                           PlainQuotes(AsIs));
    };
    // Names that differ in case are one where the system takes them for one (Windows).
    const std::string Twice = Refused(Out + Sep + "NoIcons_mission.trk", Cause::WrittenTwice);
    const struct {
        const char* Name;
        std::vector<RunSettings> Runs;
        std::vector<std::string> Said;  // each track's failure, or "" where it was converted
    } Rows[] = {
        {"one output for two tracks",
         {{Directory / "a.trk", Out + Sep + "NoIcons_a.trk"},
          {Directory / "sub/a.trk", Out + Sep + "NoIcons_a.trk"}},
         {"", Refused(Out + Sep + "NoIcons_a.trk", Cause::WrittenTwice)}},
        {"outputs that differ only in case",
         {{Directory / "Mission.trk", Out + Sep + "NoIcons_Mission.trk"},
          {Directory / "sub/mission.trk", Out + Sep + "NoIcons_mission.trk"}},
         {"", WindowsPaths ? Twice : ""}},
        {"an output that is a later track",
         {{Directory / "a.trk", Directory / "b.trk"}, {Directory / "b.trk", Out + Sep + "b.trk"}},
         {Refused(Directory / "b.trk", Cause::ReadByTheList), ""}},
        {"an output that is an earlier track",
         {{Directory / "b.trk", Out + Sep + "b.trk"}, {Directory / "a.trk", Directory / "b.trk"}},
         {"", Refused(Directory / "b.trk", Cause::ReadByTheList)}},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        std::filesystem::remove_all(Out);
        std::filesystem::create_directories(Out);
        WriteFile(Directory / "b.trk", Track);
        ListRun List(Row.Runs, 2);
        List.Run();
        std::vector<std::string> Said;
        for (const auto& Done : List.Results()) {
            Said.push_back(Done.Result.Failed ? FailureText(*Done.Result.Failed, PlainQuotes(AsIs))
                                              : std::string());
        }
        EXPECT_EQ(Said, Row.Said);
        EXPECT_EQ(ReadFile(Directory / "b.trk"), Track);
    }
}

// Several in flight at once, a long track first and a missing one among them: every result in
// the order given, each told as soon as it and those before it are done, none stopped by
// another's failure.
TEST_F(Presenting, AListInFlightSaysEveryResultInOrder) {
    std::string Long;
    while (Long.size() < (4u << 20)) {
        Long += "  1520 17 4 0\r\n";
    }
    WriteFile(Directory / "long.trk", MakeTrack(Long));
    std::vector<RunSettings> Runs;
    for (const char* Name : {"long.trk", "a.trk", "none.trk", "b.trk", "short.trk"}) {
        Runs.push_back({Directory / Name, Directory / ("NoIcons_" + std::string(Name))});
    }
    ListRun Five(Runs, 3);
    std::vector<std::size_t> Told;
    std::vector<RunOutcome> Outcomes;
    Five.Run([&](std::size_t At, const TrackResult& Done) {
        Told.push_back(At);
        Outcomes.push_back(Done.Result.Outcome);
    });
    EXPECT_EQ(Told, (std::vector<std::size_t>{0, 1, 2, 3, 4}));
    EXPECT_EQ(Outcomes, (std::vector<RunOutcome>{RunOutcome::Finished, RunOutcome::Finished,
                                                 RunOutcome::Failed, RunOutcome::Finished,
                                                 RunOutcome::Stopped}));
}

TEST_F(Presenting, ALinkToNothingIsThereAndNotMissing) {
    std::error_code Error;
    std::filesystem::create_symlink("none.trk", Directory / "dangling.trk", Error);
    if (Error) {
        GTEST_SKIP() << "no symbolic link can be made here: " << Error.message();
    }
    EXPECT_TRUE(SystemFileLookup().Exists(Directory / "dangling.trk"));
    EXPECT_FALSE(SystemFileLookup().Exists(Directory / "none.trk"));
}

TEST_F(Presenting, OneTrackIsConvertedAndWhatChangedIsSaid) {
    Presenter.OpenArguments({Directory / "a.trk"});
    Window.Checked = {ControlId::optIconStateLow, ControlId::optViews};
    Presenter.RemoveIconsPressed();
    EXPECT_EQ(Window.Said,
              std::vector<std::string>{"Finished Processing\n\n'" + (Directory / "NoIcons_a.trk") +
                                       "': 2 icon toggles replaced, 3 toggle pairs inserted"});
    EXPECT_EQ(Window.Fields.InputText, "a.trk");
    EXPECT_FALSE(Window.Fields.ReadOnly);
}

TEST_F(Presenting, AListIsAskedAboutOnlyWhenItWouldReplaceAndSummedUp) {
    const struct {
        const char* Name;
        bool Earlier;
        bool Answer;
        std::vector<std::string> Said;
        bool FolderOutput = false;
    } Rows[] = {
        {"nothing to replace",
         false,
         true,
         {"2 converted, 0 not converted (copied with the icons still on), 0 failed, 1 skipped\n"
          "a.trk: converted, 2 icon toggles replaced, no toggle pair inserted\n"
          "b.trk: converted, 2 icon toggles replaced, no toggle pair inserted\n"
          "NoIcons_x.trk: skipped (already has the NoIcons_ prefix)"}},
        {"cancelled",
         true,
         false,
         {"? Convert these 2 tracks with \"Off\" and \"Views\"? One output exists and will be "
          "replaced."}},
        // A folder is not replaced: its track fails, unasked.
        {"an output that is a folder",
         false,
         true,
         {"1 converted, 0 not converted (copied with the icons still on), 1 failed, 1 skipped\n"
          "b.trk: Can't create output track '" +
          (Directory / "NoIcons_b.trk") +
          "': Is a directory\n"
          "a.trk: converted, 2 icon toggles replaced, no toggle pair inserted\n"
          "NoIcons_x.trk: skipped (already has the NoIcons_ prefix)"},
         true},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        std::filesystem::remove(test::FromUtf8(Directory / "NoIcons_a.trk"));
        std::filesystem::remove_all(test::FromUtf8(Directory / "NoIcons_b.trk"));
        if (Row.Earlier) {
            WriteFile(Directory / "NoIcons_a.trk", "earlier");
        }
        if (Row.FolderOutput) {
            std::filesystem::create_directory(test::FromUtf8(Directory / "NoIcons_b.trk"));
        }
        Window.Said.clear();
        Window.ConfirmAnswer = Row.Answer;
        Presenter.OpenTracks(
            {Directory / "a.trk", Directory / "b.trk", Directory / "NoIcons_x.trk"});
        EXPECT_TRUE(Window.Fields.ReadOnly);
        Presenter.RemoveIconsPressed();
        EXPECT_EQ(Window.Said, Row.Said);
        EXPECT_EQ(Row.Answer,
                  test::TemporaryDirectory::ListingOf(Directory.Path()).find("NoIcons_b.trk") !=
                      std::string::npos);
    }
}

TEST_F(Presenting, ListsAreChosenAndLeftInTheWindow) {
    std::filesystem::create_directory(test::FromUtf8(Directory / "out"));
    std::filesystem::create_directory(test::FromUtf8(Directory / "folder"));
    // Dropped: a folder is left out; a list's output Browse picks a folder.
    Presenter.OpenTracks({Directory / "a.trk", Directory / "b.trk", Directory / "folder"});
    Window.FolderAnswer = Directory / "out";
    Presenter.OutputBrowsePressed();
    EXPECT_EQ(Window.Fields.OutputText, "NoIcons_<name> in " + (Directory / "out"));
    Presenter.InputEdited("x");
    EXPECT_EQ(Window.Fields.InputText, "2 tracks: a.trk, b.trk");
    Presenter.RemoveIconsPressed();
    EXPECT_EQ(ReadFile(Directory / "out" + Sep + "NoIcons_b.trk").substr(0, 10),
              Track.substr(0, 10));
    EXPECT_NE(Window.Said.back().find("folder: skipped (a folder)"), std::string::npos);
    // The input Browse takes several tracks as a list, and one as one track.
    Window.OpenAnswer = {Directory / "a.trk", Directory / "short.trk"};
    Presenter.InputBrowsePressed();
    EXPECT_EQ(Window.Fields.InputText, "2 tracks: a.trk, short.trk");
    Window.OpenAnswer = {Directory / "b.trk"};
    Presenter.InputBrowsePressed();
    EXPECT_EQ(Window.Fields.InputText, "b.trk");
    EXPECT_FALSE(Window.Fields.ReadOnly);
    // A single folder dropped changes nothing.
    Presenter.OpenTracks({Directory / "folder"});
    EXPECT_EQ(Window.Fields.InputText, "b.trk");
}

TEST_F(Presenting, ProgressShowsAfterHalfASecondAndStopKeepsTheEarlierOutput) {
    WriteFile(Directory / "NoIcons_a.trk", "earlier");
    const struct {
        const char* Name;
        std::vector<std::string> Tracks;
        std::string Label;
        std::string Said;
    } Rows[] = {
        {"one track",
         {"a.trk"},
         "Converting a.trk\xe2\x80\xa6",
         "Stopped by the user: 'NoIcons_a.trk' was left as it was"},
        {"a list",
         {"a.trk", "b.trk"},
         "Converting a.trk (track 1 of 2)\xe2\x80\xa6",
         "0 converted, 0 not converted (copied with the icons still on), 0 failed, 2 not "
         "started\na.trk: not started\nb.trk: not started"},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        std::vector<std::string> Paths;
        for (const auto& Name : Row.Tracks) {
            Paths.push_back(Directory / Name);
        }
        Presenter.OpenTracks(Paths);
        Window.Progressed.clear();
        Window.HoldWork = true;
        Presenter.RemoveIconsPressed();
        Now += std::chrono::milliseconds(400);
        Presenter.Tick();
        EXPECT_TRUE(Window.Progressed.empty());
        Now += std::chrono::milliseconds(200);
        Presenter.Tick();
        ASSERT_EQ(Window.Progressed.size(), 1u);
        EXPECT_EQ(Window.Progressed[0].Label, Row.Label);
        EXPECT_EQ(Window.Progressed[0].Permille, 0);
        Presenter.StopPressed();
        Window.FinishWork();
        EXPECT_EQ(Window.Said.back(), Row.Said);
        EXPECT_EQ(ReadFile(Directory / "NoIcons_a.trk"), "earlier");
    }
    EXPECT_EQ(Window.Hidden, 2);
}

// One track whose output exists is converted only once the user said so: in the save dialog,
// or in a question whose default keeps the file.
TEST_F(Presenting, OneTrackAsksBeforeItReplacesAnOutput) {
    const std::string Question =
        "? Convert this track with \"Off\" and \"Views\"? Its output exists and will "
        "be replaced.";
    const struct {
        const char* Name;
        bool Exists;
        bool ChosenInTheSaveDialog;
        bool Answer;
        std::vector<std::string> Asked;
        bool Replaced;
    } Rows[] = {
        {"no output yet", false, false, true, {}, true},
        {"an output, yes", true, false, true, {Question}, true},
        {"an output, no", true, false, false, {Question}, false},
        {"an output chosen in the save dialog", true, true, false, {}, true},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        std::filesystem::remove(Directory / "NoIcons_a.trk");
        if (Row.Exists) {
            WriteFile(Directory / "NoIcons_a.trk", "earlier");
        }
        Presenter.OpenTracks({Directory / "a.trk"});
        if (Row.ChosenInTheSaveDialog) {
            Window.SaveAnswer = Directory / "NoIcons_a.trk";
            Presenter.OutputBrowsePressed();
        }
        Window.Said.clear();
        Window.ConfirmAnswer = Row.Answer;
        Presenter.RemoveIconsPressed();
        const std::vector<std::string> Asked(
            Window.Said.begin(),
            Window.Said.begin() + static_cast<std::ptrdiff_t>(
                                      std::min<std::size_t>(Window.Said.size(), Row.Asked.size())));
        EXPECT_EQ(Asked, Row.Asked);
        EXPECT_EQ(ReadFile(Directory / "NoIcons_a.trk") != "earlier", Row.Replaced);
    }
    // A name typed after the save dialog is asked about again.
    Presenter.OutputEdited("NoIcons_b.trk");
    Presenter.OutputEdited("NoIcons_a.trk");
    Window.Said.clear();
    Window.ConfirmAnswer = false;
    Presenter.RemoveIconsPressed();
    EXPECT_EQ(Window.Said, std::vector<std::string>{Question});
}

// A track whose lines end in LF only is copied as the reading rule has it, and then the user
// may have it converted with its lines written with CR LF.
TEST_F(Presenting, ATrackOfLfLinesCanBeConvertedOnceAsked) {
    std::string Lf = Track;
    for (auto At = Lf.find("\r\n"); At != std::string::npos; At = Lf.find("\r\n", At)) {
        Lf.erase(At, 1);
    }
    WriteFile(Directory / "lf.trk", Lf);
    const std::string Copied =
        "'lf.trk' was not converted (its lines end in LF only, not CR LF): "
        "'NoIcons_lf.trk' is a copy with the icons still on";
    const std::string Asked =
        "? 'lf.trk' was not converted: its lines end in LF only, not CR "
        "LF. Convert it, its lines written with CR LF?";
    for (const bool Answer : {false, true}) {
        SCOPED_TRACE(Answer);
        std::filesystem::remove(test::FromUtf8(Directory / "NoIcons_lf.trk"));
        Presenter.OpenTracks({Directory / "lf.trk"});
        Window.Said.clear();
        Window.ConfirmAnswer = Answer;
        Presenter.RemoveIconsPressed();
        std::vector<std::string> Said = {Copied, Asked};
        if (Answer) {
            Said.push_back("Finished Processing\n\n'" + (Directory / "NoIcons_lf.trk") +
                           "': 2 icon toggles replaced, no toggle pair inserted; its lines ended "
                           "in LF only and are written with CR LF");
        }
        EXPECT_EQ(Window.Said, Said);
        EXPECT_EQ(ReadFile(Directory / "NoIcons_lf.trk") == Lf + "\r\n", !Answer);
    }
}

// Named at start or handed over later, a track that names no file is said to be missing
// once the window is on screen; a single earlier output dropped is taken as one track.
TEST_F(Presenting, WhatArrivesIsSaidOrOpened) {
    Presenter.WindowShown();
    Presenter.OpenArguments({Directory / "none.trk"});
    EXPECT_EQ(Window.Said,
              std::vector<std::string>{"Can't open input track '" + (Directory / "none.trk") +
                                       "': No such file or directory"});
    WriteFile(Directory / "NoIcons_x.trk", Track);
    Presenter.OpenTracks({Directory / "NoIcons_x.trk"});
    EXPECT_EQ(Window.Fields.InputText, "NoIcons_x.trk");
}

// Once closing was asked during a run, Stop is never offered again: the window is going.
TEST_F(Presenting, StopIsNotOfferedOnceClosingWasAsked) {
    Presenter.OpenTracks({Directory / "a.trk"});
    Window.HoldWork = true;
    Presenter.RemoveIconsPressed();
    Now += std::chrono::milliseconds(600);
    Presenter.Tick();
    ASSERT_EQ(Window.Progressed.size(), 1u);
    EXPECT_TRUE(Window.Progressed.back().Stoppable);
    EXPECT_FALSE(Presenter.CloseAsked());
    Presenter.Tick();
    EXPECT_FALSE(Window.Progressed.back().Stoppable);
    Window.FinishWork();
    EXPECT_TRUE(Window.Closed);
}

// After the box that ends a run, Remove Icons has the focus again, so that the next Enter
// starts the next run rather than leaving the program.
TEST_F(Presenting, TheFocusGoesBackToRemoveIconsAfterARun) {
    for (const auto& Tracks :
         {std::vector<std::string>{Directory / "a.trk"},
          std::vector<std::string>{Directory / "a.trk", Directory / "b.trk"}}) {
        SCOPED_TRACE(Tracks.size());
        Presenter.OpenTracks(Tracks);
        Window.Said.clear();
        Window.Focused.clear();
        Window.ConfirmAnswer = true;
        Presenter.RemoveIconsPressed();
        ASSERT_FALSE(Window.Said.empty());
        EXPECT_EQ(Window.Focused, (std::vector<std::pair<ControlId, std::size_t>>{
                                      {ControlId::cmdRemoveIcons, Window.Said.size()}}));
    }
}

// Tracks handed over or dropped while a run goes on change nothing under it: they are opened
// once it has ended.
TEST_F(Presenting, TracksThatArriveDuringARunWaitForItsEnd) {
    for (const bool Dropped : {true, false}) {
        SCOPED_TRACE(Dropped ? "dropped" : "handed over");
        Presenter.OpenTracks({Directory / "a.trk"});
        Window.HoldWork = true;
        Window.ConfirmAnswer = true;
        Presenter.RemoveIconsPressed();
        if (Dropped) {
            Presenter.OpenTracks({Directory / "b.trk", Directory / "short.trk"});
        } else {
            Presenter.OpenArguments({Directory / "b.trk"});
        }
        EXPECT_EQ(Window.Fields.InputText, "a.trk");
        Window.FinishWork();
        EXPECT_EQ(Window.Fields.InputText, Dropped ? "2 tracks: b.trk, short.trk" : "b.trk");
        Window.HoldWork = false;
    }
}

TEST_F(Presenting, ClosingDuringARunStopsItAndClosesOnceItEnded) {
    WriteFile(Directory / "NoIcons_a.trk", "earlier");
    Presenter.OpenTracks({Directory / "a.trk"});
    Window.BeforeWork = [this] { EXPECT_FALSE(Presenter.CloseAsked()); };
    Presenter.RemoveIconsPressed();
    EXPECT_TRUE(Window.Closed);
    // Only the question before the earlier output is replaced; no result after the close.
    ASSERT_EQ(Window.Said.size(), 1u);
    EXPECT_EQ(Window.Said.front().rfind("? Convert this track", 0), 0u);
    EXPECT_EQ(ReadFile(Directory / "NoIcons_a.trk"), "earlier");
    EXPECT_TRUE(Presenter.CloseAsked());
}

// An emptied field names no file: Remove Icons says which field is empty and starts nothing.
TEST_F(Presenting, AnEmptyFieldIsNamed) {
    const struct {
        const char* Name;
        bool EmptyInput;
        std::string Said;
    } Rows[] = {
        {"input", true,
         "The Input Track field is empty: choose a track with Browse, or type its name."},
        {"output", false,
         "The Output Track field is empty: type a name for the converted track, or choose one "
         "with Browse."},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        Window.OpenAnswer = {Directory / "a.trk"};
        Presenter.InputBrowsePressed();
        if (Row.EmptyInput) {
            Presenter.InputEdited("");
        } else {
            Presenter.OutputEdited("");
        }
        Window.Said.clear();
        Presenter.RemoveIconsPressed();
        EXPECT_EQ(Window.Said, std::vector<std::string>{Row.Said});
        EXPECT_FALSE(Presenter.IsRunning());
    }
    EXPECT_EQ(test::TemporaryDirectory::ListingOf(Directory.Path()), "a.trk|b.trk|short.trk");
}

}  // namespace
}  // namespace quellmark
