// What went wrong in a run, as data: the step that failed, the track and the folder it worked
// on, and the system's reason. The words for it are the front ends' (window_logic/run_words.h).
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

// Reasons the program finds itself, where the system has no code that says it.
enum class NamedReason {
    NotRegularFile,
    ChangedWhileOpened,
    DanglingLink,   // a symbolic link to a file that does not exist
    InUse,          // another program holds the file
    WrittenTwice,   // an earlier track of the list has this output, as its folder compares names
    ReadByTheList,  // the output is a track another run of the list reads
    Unknown,
};

struct Reason {
    enum class Kind { Errno, System, Named, Text };
    Kind Of = Kind::Errno;
    long Code = 0;  // an errno, or the system's own code (a Win32 error on Windows)
    NamedReason Named = NamedReason::Unknown;
    std::string Text;  // a library's own words, for Text

    static Reason FromErrno(int ErrorNumber) { return {Kind::Errno, ErrorNumber, {}, {}}; }
    static Reason FromSystem(long Code) { return {Kind::System, Code, {}, {}}; }
    static Reason Because(NamedReason Why) { return {Kind::Named, 0, Why, {}}; }
    static Reason InWords(std::string Words) { return {Kind::Text, 0, {}, std::move(Words)}; }
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

[[noreturn]] void ThrowFailure(FailedStep Step, const std::string& Path, Reason Why,
                               const std::string& Folder = {});

// The same with an errno as the reason.
[[noreturn]] void ThrowFileError(FailedStep Step, const std::string& Path, int ErrorNumber);

}  // namespace quellmark
