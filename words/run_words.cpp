#include "words/run_words.h"

#include "conversion/files/path_syntax.h"
#include "conversion/files/system_error_text.h"

namespace quellmark {
namespace {

std::string Count(std::size_t Number, const char* What) {
    return std::to_string(Number) + " " + What;
}

// What was being done, with the track and, for the steps done in it, the folder.
std::string StepText(const Failure& Failed, const QuoteFunction& Quote) {
    const std::string Track = Quote(Failed.Path);
    const std::string Folder = Quote(Failed.Folder);
    switch (Failed.Step) {
        case FailedStep::OpenInput:
            return "Can't open input track " + Track;
        case FailedStep::ReadInput:
            return "Can't read input track " + Track;
        case FailedStep::ConvertInput:
            return "Can't convert input track " + Track;
        case FailedStep::CreateOutput:
            return "Can't create output track " + Track;
        case FailedStep::ReplaceOutput:
            return "Can't replace output track " + Track;
        case FailedStep::WriteOutput:
            return "Can't write output track " + Track;
        case FailedStep::KeepPermissions:
            return "Can't keep the permissions of output track " + Track;
        case FailedStep::OpenOutputFolder:
            return "Can't open folder " + Folder + " of output track " + Track;
        case FailedStep::CreateInFolder:
            return "Can't create a file in folder " + Folder + " for output track " + Track;
        case FailedStep::ReplaceInFolder:
            return "Can't replace a file in folder " + Folder + " for output track " + Track;
        case FailedStep::FlushFolder:
            return "Can't flush to disk folder " + Folder + " for output track " + Track;
    }
    return "Can't convert input track " + Track;
}

}  // namespace

std::string StopReasonText(StopReason Why) {
    switch (Why) {
        case StopReason::LfLineEnds:
            return "its lines end in LF only, not CR LF";
        case StopReason::PreambleCut:
            return "the record section ends within 20 lines";
        case StopReason::NoRecordSection:
            break;
    }
    return "no record section";
}

QuoteFunction PlainQuotes(const ShowFunction& Show) {
    // Appended piece by piece: GCC 12 takes a quote put in front of a string for an overlapping
    // copy (-Wrestrict) at -O3.
    return [Show](const std::string& Name) {
        std::string Quoted(1, '\'');
        Quoted += Show(Name);
        Quoted += '\'';
        return Quoted;
    };
}

std::string ReasonText(const Reason& Why) {
    // The causes the program names itself, in its own words whatever the system said.
    switch (Why.Is) {
        case Cause::InUse:
            return "In use by another program";
        case Cause::NotRegularFile:
            return "Not a regular file";
        case Cause::DanglingLink:
            return "Symbolic link to a file that does not exist";
        case Cause::ChangedWhileOpened:
            return "Changed while it was opened";
        case Cause::WrittenTwice:
            return "An earlier track of the list is written to it";
        case Cause::ReadByTheList:
            return "It is a track of the list";
        default:
            break;
    }
    if (Why.Code != 0) {
        return SystemErrorText(Why.Code);
    }
    if (!Why.Text.empty()) {
        return Why.Text;
    }
    // The words the Linux build's system gives, on every system.
    switch (Why.Is) {
        case Cause::NotFound:
            return "No such file or directory";
        case Cause::Exists:
            return "File exists";
        case Cause::IsFolder:
            return "Is a directory";
        case Cause::NotFolder:
            return "Not a directory";
        case Cause::AccessDenied:
            return "Permission denied";
        case Cause::NoSpace:
            return "No space left on device";
        case Cause::TooLarge:
            return "File too large";
        case Cause::NameTooLong:
            return "File name too long";
        case Cause::TooManyLinks:
            return "Too many levels of symbolic links";
        case Cause::IoError:
            return "Input/output error";
        case Cause::OutOfMemory:
            return "Cannot allocate memory";
        default:
            break;
    }
    return "Unknown failure";
}

std::string FailureText(const Failure& Failed, const QuoteFunction& Quote) {
    return StepText(Failed, Quote) + ": " + ReasonText(Failed.Why);
}

std::string SameFileText() {
    return "Input and Output Files Can't Be The Same File";
}

std::string StoppedText(const TrackResult& Done, const QuoteFunction& Quote) {
    return Quote(Done.Track) + " was not converted (" + StopReasonText(Done.Result.StoppedBecause) +
           "): " + Quote(Done.Output) + " is a copy with the icons still on";
}

std::string NotOnDiskText(const TrackResult& Done, const QuoteFunction& Quote) {
    return Quote(Done.Output) + " is in place, but may not survive a crash: " +
           FailureText(*Done.Result.NotOnDisk, Quote);
}

std::string ChangesText(const RunResult& Result) {
    const auto Toggles = Result.TogglesReplaced;
    const auto Pairs = Result.PairsInserted;
    return (Toggles == 0   ? std::string("no recorded icon toggle to replace")
            : Toggles == 1 ? std::string("1 icon toggle replaced")
                           : std::to_string(Toggles) + " icon toggles replaced") +
           ", " +
           (Pairs == 0   ? std::string("no toggle pair inserted")
            : Pairs == 1 ? std::string("1 toggle pair inserted")
                         : std::to_string(Pairs) + " toggle pairs inserted") +
           (Result.CrAdded ? "; its lines ended in LF only and are written with CR LF" : "");
}

std::string CountsText(std::size_t Converted, std::size_t Copied, std::size_t Failed) {
    return Count(Converted, "converted") + ", " + Count(Copied, "not converted") +
           " (copied with the icons still on), " + Count(Failed, "failed");
}

}  // namespace quellmark
