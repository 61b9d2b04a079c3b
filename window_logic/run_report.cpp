#include "window_logic/run_report.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "conversion/output_name.h"

namespace quellmark {
namespace {

const std::string SameFileText = "Input and Output Files Can't Be The Same File";

std::string Quoted(const std::string& Text) {
    return "'" + Text + "'";
}

std::string Count(std::size_t Number, const char* What) {
    return std::to_string(Number) + " " + What;
}

}  // namespace

bool PathExists(const std::string& Path) {
    std::error_code Error;
#ifdef _WIN32
    const std::filesystem::path Name(std::u8string(Path.begin(), Path.end()));
#else
    const std::filesystem::path Name(Path);
#endif
    const auto Status = std::filesystem::symlink_status(Name, Error);
    return !Error && Status.type() != std::filesystem::file_type::not_found;
}

std::string MissingTrackMessage(const std::string& Track, const ShowFunction& Show) {
    return "Can't open input track " + Quoted(Show(Track)) + ": " + std::strerror(ENOENT);
}

std::string SingleTrackMessage(const TrackResult& Result, const ShowFunction& Show) {
    switch (Result.Outcome) {
        case RunOutcome::Finished:
            return "Finished Processing";
        case RunOutcome::SameFile:
            return SameFileText;
        case RunOutcome::Stopped:
            return "No record section in " + Quoted(Show(FileNameOf(Result.Track))) + ": " +
                   Quoted(Show(FileNameOf(Result.Output))) + " is a copy with the icons still on";
        case RunOutcome::Cancelled:
            return "Stopped by the user: " + Quoted(Show(FileNameOf(Result.Output))) +
                   " was left as it was";
        case RunOutcome::Failed:
            break;
    }
    return Result.Reason;
}

Report SummarizeList(const std::vector<TrackResult>& Results,
                     const std::vector<std::string>& NotConverted, const ShowFunction& Show) {
    std::vector<std::string> Failed, Copied, Converted;
    for (const auto& Result : Results) {
        const std::string Name = Show(FileNameOf(Result.Track)) + ": ";
        switch (Result.Outcome) {
            case RunOutcome::Finished:
                Converted.push_back(Name + "converted");
                break;
            case RunOutcome::Stopped:
                Copied.push_back(Name + "no record section, copied with the icons still on");
                break;
            case RunOutcome::SameFile:
                Failed.push_back(Name + SameFileText);
                break;
            case RunOutcome::Cancelled:
                Failed.push_back(Name + "stopped by the user, output left as it was");
                break;
            case RunOutcome::Failed:
                Failed.push_back(Name + Result.Reason);
                break;
        }
    }
    Report Summary;
    Summary.Failed = Failed.size();
    Summary.Headline = Count(Converted.size(), "converted") + ", " +
                       Count(Copied.size(), "copied unchanged") + ", " +
                       Count(Failed.size(), "failed");
    if (!NotConverted.empty()) {
        Summary.Headline += ", " + Count(NotConverted.size(), "not converted (stopped)");
    }
    for (const auto* Group : {&Failed, &Copied, &Converted}) {
        Summary.Lines.insert(Summary.Lines.end(), Group->begin(), Group->end());
    }
    for (const auto& Track : NotConverted) {
        Summary.Lines.push_back(Show(FileNameOf(Track)) + ": not converted");
    }
    return Summary;
}

Report ListQuestion(const std::vector<RunSettings>& Runs, const ShowFunction& Show) {
    Report Question;
    for (const auto& Run : Runs) {
        if (PathExists(Run.OutputPath)) {
            Question.Lines.push_back(Show(Run.OutputPath));
        }
    }
    const std::size_t Existing = Question.Lines.size();
    Question.Headline = "Convert these " + std::to_string(Runs.size()) +
                        " tracks with the options now selected? " +
                        (Existing == 1 ? "One output exists and will be replaced."
                                       : Count(Existing, "outputs exist and will be replaced."));
    return Question;
}

}  // namespace quellmark
