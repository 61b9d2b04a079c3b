// The name a private output file has in the target's folder until it takes the final one.
#pragma once

#include <string>
#include <string_view>

namespace quellmark {

// A fresh ".quellmark-" name with 12 random hexadecimal digits: short, so that it fits beside
// any name the folder accepts, and hidden where a leading dot hides files.
std::string MakeTemporaryName();

// Whether Name has exactly that form.
bool IsTemporaryName(std::string_view Name);

}  // namespace quellmark
