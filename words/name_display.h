// How a front end shows a path: as text for the screen, and inside a message with its quotes.
#pragma once

#include <functional>
#include <string>

namespace quellmark {

// A path as text for the screen, without quotes: the system's bytes decoded in the windows.
using ShowFunction = std::function<std::string(const std::string& Path)>;

// A name as a message shows it, quotes included: as the shell quotes it on the command line,
// between plain quotes in the windows.
using QuoteFunction = std::function<std::string(const std::string& Name)>;

}  // namespace quellmark
