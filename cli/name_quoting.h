// Names on the terminal: a file name can hold any byte but '/' and NUL, and one that holds
// control characters could retitle or clear the terminal, or forge a whole message line.
#pragma once

#include <string>
#include <vector>

namespace quellmark {

// Name in single quotes, with each control character outside them as the shell writes it
// ($'\033', $'\n'), as coreutils quotes names.
std::string QuotedName(const std::string& Name);

// Message with each 'Name' it holds quoted as QuotedName quotes it, and any control character
// left in it shown as '?'.
std::string SafeMessage(std::string Message, const std::vector<std::string>& Names);

}  // namespace quellmark
