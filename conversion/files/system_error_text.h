// The system's own error codes (an errno on Linux, a Win32 error on Windows): the cause each
// stands for, and the system's own words for it, without a closing full stop. One mapping per
// system.
#pragma once

#include <string>

#include "conversion/failure.h"

namespace quellmark {

// The cause Code stands for, with Code kept for the words.
Reason SystemReason(long Code);

std::string SystemErrorText(long Code);

// A failure with the system's code as its reason.
[[noreturn]] inline void ThrowSystemError(FailedStep Step, const std::string& Path, long Code,
                                          const std::string& Folder = {}) {
    ThrowFailure(Step, Path, SystemReason(Code), Folder);
}

}  // namespace quellmark
