#include "conversion/temporary_name.h"

#include <random>

namespace quellmark {
namespace {

constexpr std::string_view Prefix = ".quellmark-";
constexpr std::size_t Digits = 12;
constexpr std::string_view HexDigits = "0123456789abcdef";

}  // namespace

std::string MakeTemporaryName() {
    static thread_local std::mt19937_64 Random{std::random_device{}()};
    std::string Name(Prefix);
    for (std::size_t At = 0; At < Digits; ++At) {
        Name += HexDigits[Random() % 16];
    }
    return Name;
}

bool IsTemporaryName(std::string_view Name) {
    return Name.size() == Prefix.size() + Digits && Name.substr(0, Prefix.size()) == Prefix &&
           Name.find_first_not_of(HexDigits, Prefix.size()) == std::string_view::npos;
}

}  // namespace quellmark
