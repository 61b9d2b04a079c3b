// The failure of a file operation during a run, with a message for the user.
#pragma once

#include <stdexcept>
#include <string>

namespace quellmark {

class TrackFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// "<Action> '<Path>': <Reason>", the form of every failure message of a run.
std::string FileErrorText(const std::string& Action, const std::string& Path,
                          const std::string& Reason);

// Throws TrackFileError with the system's reason for ErrorNumber.
[[noreturn]] void ThrowFileError(const std::string& Action, const std::string& Path,
                                 int ErrorNumber);

// Throws TrackFileError for a file that is there but is no regular file (a device, a pipe).
[[noreturn]] void ThrowNotRegularFile(const std::string& Action, const std::string& Path);

}  // namespace quellmark
