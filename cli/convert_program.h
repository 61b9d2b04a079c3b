// quellmark-convert: the command-line front end to the conversion engine.
#pragma once

#include <string>
#include <vector>

namespace quellmark {

// Runs the program on its command line, the program's name first, as UTF-8 text; returns the
// exit status.
int RunConvertProgram(const std::vector<std::string>& Arguments);

}  // namespace quellmark
