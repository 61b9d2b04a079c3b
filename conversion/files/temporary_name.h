// The name a private output file has in the target's folder until it takes the final one.
#pragma once

#include <string>
#include <string_view>

namespace quellmark {

// A fresh ".quellmark-" name with 12 hexadecimal digits: short, so that it fits beside any name
// the folder accepts, and hidden where a leading dot hides files. The first six digits are
// random; the last six are a check of the first, which a name that a person or another program
// made matches only by rare chance, so that a later run can tell this program's own files.
std::string MakeTemporaryName();

// Whether Name has exactly that form, its check included.
bool IsTemporaryName(std::string_view Name);

}  // namespace quellmark
