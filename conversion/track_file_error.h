// The failure of a file operation during a run, with a message for the user.
#pragma once

#include <stdexcept>
#include <string>

namespace quellmark {

class TrackFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Throws TrackFileError "<Action> '<Path>': <system reason for ErrorNumber>".
[[noreturn]] void ThrowFileError(const std::string& Action, const std::string& Path,
                                 int ErrorNumber);

}  // namespace quellmark
