// Names on the terminal: a file name can hold any byte but '/' and NUL, and one that holds
// control characters could retitle or clear the terminal, or forge a whole message line.
#pragma once

#include <string>

namespace quellmark {

// Name in single quotes, with each control character (C0, DEL and C1) and each byte that is no
// UTF-8 outside them as the shell writes it ($'\033', $'\n', $'\302\233'), as coreutils quotes
// names.
std::string QuotedName(const std::string& Name);

}  // namespace quellmark
