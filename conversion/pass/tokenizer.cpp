#include "conversion/pass/tokenizer.h"

namespace quellmark {

std::string_view TrimSpaces(std::string_view Text) {
    const auto First = Text.find_first_not_of(' ');
    if (First == std::string_view::npos) {
        return {};
    }
    return Text.substr(First, Text.find_last_not_of(' ') - First + 1);
}

std::string_view FirstToken(std::string_view Text) {
    const auto Trimmed = TrimSpaces(Text);
    return Trimmed.substr(0, Trimmed.find(' '));
}

int MySplit(std::string_view StringToSplit, std::string_view Seperator, TokenArray& ResultArray) {
    ResultArray.clear();
    if (StringToSplit.find(Seperator) == std::string_view::npos) {
        // A string without the separator is kept whole, spaces and all.
        if (!StringToSplit.empty()) {
            ResultArray.emplace_back(StringToSplit);
        }
    } else {
        std::string_view Rest = StringToSplit;
        for (auto Position = Rest.find(Seperator);; Position = Rest.find(Seperator)) {
            if (Position == std::string_view::npos) {
                ResultArray.emplace_back(TrimSpaces(Rest));
                break;
            }
            ResultArray.emplace_back(TrimSpaces(Rest.substr(0, Position)));
            // Only the separator's first character is skipped, so the rest of a longer
            // separator starts the next piece.
            Rest.remove_prefix(Position + 1);
        }
    }
    ResultArray.emplace_back();
    return static_cast<int>(ResultArray.size() - 1);
}

}  // namespace quellmark
