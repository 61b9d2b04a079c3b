// The system's own words for one of its error codes (an errno on Linux, a Win32 error on
// Windows), without a closing full stop.
#pragma once

#include <string>

namespace quellmark {

std::string SystemErrorText(long Code);

}  // namespace quellmark
