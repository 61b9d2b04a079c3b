// The name a private output file has in the target's folder until it takes the final one.
#pragma once

#include <string>

namespace quellmark {

// A fresh ".quellmark-" name with 12 random hexadecimal digits: short, so that it fits beside
// any name the folder accepts, and hidden where a leading dot hides files.
std::string MakeTemporaryName();

}  // namespace quellmark
