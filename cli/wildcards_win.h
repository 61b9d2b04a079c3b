// Wildcards on Windows: the shell passes them as they are typed, and a Windows program
// expands them itself.
#pragma once

#include <string>
#include <vector>

namespace quellmark {

// Arguments with each TRACK whose last part holds * or ? replaced by the files it matches, in
// alphabetical order; one that matches none is kept, to be named as missing. Options and their
// values are left as they are, and so is "/?", which asks for the help.
std::vector<std::string> ExpandWildcards(const std::vector<std::string>& Arguments);

}  // namespace quellmark
