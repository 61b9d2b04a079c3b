// Splitting of track lines into tokens.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quellmark {

// Slots 0 to count-1 hold the pieces in order; slot count holds the empty string.
using TokenArray = std::vector<std::string>;

// Splits StringToSplit at Seperator (not empty) into ResultArray and returns the number of
// pieces. Every piece is kept, however many there are.
int MySplit(std::string_view StringToSplit, std::string_view Seperator, TokenArray& ResultArray);

// Text without its leading and trailing space characters (tabs stay).
std::string_view TrimSpaces(std::string_view Text);

// Token 0 of MySplit(TrimSpaces(Text), " ", ...), found without building any piece.
std::string_view FirstToken(std::string_view Text);

}  // namespace quellmark
