#include "window_logic/window_words.h"

#include "conversion/files/output_name.h"
#include "conversion/files/path_syntax.h"
#include "window_logic/window_layout.h"

namespace quellmark {
namespace {

constexpr std::size_t FailuresInSight = 5;

std::string Count(std::size_t Number, const char* What) {
    return std::to_string(Number) + " " + What;
}

}  // namespace

std::string SingleTrackMessage(const TrackResult& Done, const QuoteFunction& Quote) {
    std::string Message;
    switch (Done.Result.Outcome) {
        case RunOutcome::Finished:
            Message = "Finished Processing\n\n" + Quote(FullPathOf(Done.Output)) + ": " +
                      ChangesText(Done.Result);
            break;
        case RunOutcome::SameFile:
            return SameFileText();
        case RunOutcome::Stopped:
            // The names alone: the window shows the folders already.
            Message =
                StoppedText({FileNameOf(Done.Track), FileNameOf(Done.Output), Done.Result}, Quote);
            break;
        case RunOutcome::Cancelled:
            return "Stopped by the user: " + Quote(FileNameOf(Done.Output)) + " was left as it was";
        case RunOutcome::Failed:
            return Done.Result.Failed ? FailureText(*Done.Result.Failed, Quote)
                                      : "Can't convert input track " + Quote(Done.Track);
    }
    if (Done.Result.NotOnDisk) {
        Message += "\n\n" + NotOnDiskText(Done, Quote);
    }
    return Message;
}

std::string EmptyFieldMessage(ControlId Field) {
    const bool Input = Field == ControlId::txtInputTrackFile;
    std::string Caption =
        ShownCaption(ControlOf(Input ? ControlId::Label1 : ControlId::Label2).Caption);
    if (!Caption.empty() && Caption.back() == ':') {
        Caption.pop_back();
    }
    return "The " + Caption + " field is empty: " +
           (Input ? "choose a track with Browse, or type its name."
                  : "type a name for the converted track, or choose one with Browse.");
}

std::string MissingTrackMessage(const std::string& Track, const ShowFunction& Show) {
    return FailureText({FailedStep::OpenInput, Track, {}, Reason::Because(Cause::NotFound)},
                       PlainQuotes(Show));
}

ListReport SummarizeList(const std::vector<TrackResult>& Results,
                         const std::vector<SkippedTrack>& Skipped, const ShowFunction& Show) {
    const QuoteFunction Quote = PlainQuotes(Show);
    std::vector<std::string> Failed, Stopped, Copied, Converted, Left;
    for (const auto& Done : Results) {
        const std::string Name = Show(FileNameOf(Done.Track)) + ": ";
        if (!Done.Started) {
            Left.push_back(Name + "not started");
            continue;
        }
        // In place, but perhaps not for good: a failure, as the command line counts it.
        if (Done.Result.NotOnDisk && (Done.Result.Outcome == RunOutcome::Finished ||
                                      Done.Result.Outcome == RunOutcome::Stopped)) {
            Failed.push_back(Name + NotOnDiskText(Done, Quote));
            continue;
        }
        switch (Done.Result.Outcome) {
            case RunOutcome::Finished:
                Converted.push_back(Name + "converted, " + ChangesText(Done.Result));
                break;
            case RunOutcome::Stopped:
                Copied.push_back(Name + "not converted (" +
                                 StopReasonText(Done.Result.StoppedBecause) +
                                 "): copied with the icons still on");
                break;
            case RunOutcome::SameFile:
                Failed.push_back(Name + SameFileText());
                break;
            case RunOutcome::Cancelled:
                Stopped.push_back(Name + "stopped by the user, output left as it was");
                break;
            case RunOutcome::Failed:
                Failed.push_back(Name + (Done.Result.Failed
                                             ? FailureText(*Done.Result.Failed, Quote)
                                             : "Can't convert input track " + Quote(Done.Track)));
                break;
        }
    }
    for (const auto& Each : Skipped) {
        Left.push_back(Show(FileNameOf(Each.Path)) + ": skipped (" +
                       (Each.Because == SkippedTrack::Why::Folder
                            ? std::string("a folder")
                            : "already has the " + OutputNameFor("") + " prefix") +
                       ")");
    }
    ListReport Summary;
    for (std::size_t At = 0; At < Failed.size() && At < FailuresInSight; ++At) {
        Summary.InSight.push_back("\u2022 " + Failed[At]);
    }
    if (Failed.size() > FailuresInSight) {
        Summary.InSight.push_back("\u2026 and " + std::to_string(Failed.size() - FailuresInSight) +
                                  " more");
    }
    Summary.Headline = CountsText(Converted.size(), Copied.size(), Failed.size());
    if (!Stopped.empty()) {
        Summary.Headline += ", " + Count(Stopped.size(), "stopped");
    }
    const std::size_t NotStarted = Left.size() - Skipped.size();
    if (NotStarted > 0) {
        Summary.Headline += ", " + Count(NotStarted, "not started");
    }
    if (!Skipped.empty()) {
        Summary.Headline += ", " + Count(Skipped.size(), "skipped");
    }
    for (const auto* Group : {&Failed, &Stopped, &Copied, &Converted, &Left}) {
        Summary.Lines.insert(Summary.Lines.end(), Group->begin(), Group->end());
    }
    return Summary;
}

ListReport ListQuestion(const std::vector<RunSettings>& Runs,
                        const std::function<bool(const std::string&)>& Exists,
                        const ShowFunction& Show) {
    ListReport Question;
    for (const auto& Run : Runs) {
        if (Exists(Run.OutputPath)) {
            Question.Lines.push_back(Show(Run.OutputPath));
        }
    }
    const std::size_t Existing = Question.Lines.size();
    const IconState State = Runs.empty() ? IconState::Off : Runs.front().InitialIconState;
    const CommandType Command = Runs.empty() ? CommandType::Views : Runs.front().ReplacementCommand;
    Question.Headline = "Convert these " + std::to_string(Runs.size()) + " tracks with \"" +
                        CaptionOf(State) + "\" and \"" + CaptionOf(Command) + "\"? " +
                        (Existing == 1 ? "One output exists and will be replaced."
                                       : Count(Existing, "outputs exist and will be replaced."));
    return Question;
}

ListReport TrackQuestion(const RunSettings& Run, bool OutputConfirmed,
                         const std::function<bool(const std::string&)>& Exists,
                         const ShowFunction& Show) {
    ListReport Question;
    // The same name for both is refused by the run, which asks nothing.
    if (OutputConfirmed || Run.OutputPath == Run.InputPath || !Exists(Run.OutputPath)) {
        return Question;
    }
    Question.Lines.push_back(Show(Run.OutputPath));
    Question.Headline = "Convert this track with \"" + CaptionOf(Run.InitialIconState) +
                        "\" and \"" + CaptionOf(Run.ReplacementCommand) +
                        "\"? Its output exists and will be replaced.";
    return Question;
}

ListReport LfQuestion(const std::vector<RunSettings>& Runs, const ShowFunction& Show) {
    ListReport Question;
    for (const auto& Run : Runs) {
        Question.Lines.push_back(Show(Run.InputPath));
    }
    Question.Headline =
        Runs.size() == 1
            ? "'" + Show(FileNameOf(Runs.front().InputPath)) +
                  "' was not converted: its lines end in LF only, not CR LF. Convert it, its "
                  "lines written with CR LF?"
            : std::to_string(Runs.size()) +
                  " tracks were not converted: their lines end in LF only, not CR LF. Convert "
                  "them, their lines written with CR LF?";
    return Question;
}

std::string ProgressLabel(const ListRun& Run, const ListProgress& Now, const ShowFunction& Show) {
    const std::string Name = FileNameOf(Run.Track(Now.Current).InputPath);
    const std::string Output = Show(FileNameOf(Run.Track(Now.Current).OutputPath));
    std::string Label = Now.Stage == RunStage::Placing  ? "Putting " + Output + " in place"
                        : Now.Stage == RunStage::Saving ? "Saving " + Output + " to disk"
                                                        : "Converting " + Show(Name);
    if (Now.Tracks > 1) {
        Label += " (track " + std::to_string(Now.Current + 1) + " of " +
                 std::to_string(Now.Tracks) + ")";
    }
    return Label + "\xe2\x80\xa6";
}

}  // namespace quellmark
