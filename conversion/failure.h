// What went wrong in a run, as data: the step that failed, the track and the folder it worked
// on, and why, in a small vocabulary of causes that is the same on every system. The words for
// it are the front ends' (window_logic/run_words.h).
#pragma once

#include <exception>
#include <string>

namespace quellmark {

enum class FailedStep {
    OpenInput,
    ReadInput,
    ConvertInput,  // the pass itself, out of memory
    CreateOutput,
    ReplaceOutput,
    WriteOutput,
    KeepPermissions,
    OpenOutputFolder,  // the steps from here on name the output's folder too
    CreateInFolder,
    ReplaceInFolder,
    FlushFolder,
};

// Why a step failed. Each system's file layer turns its own codes into these
// (system_error_text.h); the program names the causes from NotRegularFile on itself.
enum class Cause {
    NotFound,      // no file or folder of that name
    Exists,        // a file has the name already
    IsFolder,      // a folder where a file was wanted
    NotFolder,     // a file where a folder was wanted
    AccessDenied,  // not allowed, or not allowed here
    NoSpace,       // the disk or the user's share of it is full
    TooLarge,      // past the size a file may have
    NameTooLong,
    TooManyLinks,  // more symbolic links than the system follows
    IoError,       // the disk or the server failed
    OutOfMemory,
    InUse,               // another program holds the file
    NotRegularFile,      // a device, a pipe
    DanglingLink,        // a symbolic link to a file that does not exist
    ChangedWhileOpened,  // the name led to another file by the time it was opened
    WrittenTwice,        // an earlier track of the list has this output, as its folder compares
    ReadByTheList,       // the output is a track another run of the list reads
    Other,               // what only the system's own code, or a library's words, can say
};

struct Reason {
    Cause Is = Cause::Other;
    long Code = 0;     // the system's own code where it gave one (an errno, a Win32 error)
    std::string Text;  // a library's own words, where there are no others

    static Reason Because(Cause Is) { return {Is, 0, {}}; }
    static Reason InWords(std::string Words) { return {Cause::Other, 0, std::move(Words)}; }
    bool operator==(const Reason&) const = default;
};

struct Failure {
    FailedStep Step = FailedStep::ConvertInput;
    std::string Path;    // the track the step worked for, as the user named it
    std::string Folder;  // the output's folder, for the steps done in it
    Reason Why;
    bool operator==(const Failure&) const = default;
};

// A failed file operation, thrown inside the engine and caught by the run.
class TrackFileError : public std::exception {
  public:
    explicit TrackFileError(Failure Failed) : Failed_(std::move(Failed)) {}
    const Failure& Failed() const { return Failed_; }
    const char* what() const noexcept override { return "failed file operation of a run"; }

  private:
    Failure Failed_;
};

[[noreturn]] inline void ThrowFailure(FailedStep Step, const std::string& Path, Reason Why,
                                      const std::string& Folder = {}) {
    throw TrackFileError({Step, Path, Folder, std::move(Why)});
}

}  // namespace quellmark
