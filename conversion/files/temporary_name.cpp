#include "conversion/files/temporary_name.h"

#include <cstdint>
#include <random>

namespace quellmark {
namespace {

constexpr std::string_view Prefix = ".quellmark-";
constexpr std::size_t Digits = 6;
constexpr std::string_view HexDigits = "0123456789abcdef";

// The check of a random part: its bits mixed (splitmix64's finaliser), the top 24 kept.
std::uint32_t CheckOf(std::uint32_t Random) {
    std::uint64_t Mixed = Random + 0x9e3779b97f4a7c15u;
    Mixed = (Mixed ^ (Mixed >> 30)) * 0xbf58476d1ce4e5b9u;
    Mixed = (Mixed ^ (Mixed >> 27)) * 0x94d049bb133111ebu;
    return static_cast<std::uint32_t>((Mixed ^ (Mixed >> 31)) >> 40);
}

void AppendHex(std::string& Name, std::uint32_t Value) {
    for (std::size_t At = Digits; At-- > 0;) {
        Name += HexDigits[(Value >> (4 * At)) & 0xf];
    }
}

// The value of Digits hexadecimal digits; false if one is not a lower-case digit.
bool ReadHex(std::string_view Text, std::uint32_t& Value) {
    Value = 0;
    for (const char Digit : Text) {
        const auto At = HexDigits.find(Digit);
        if (At == std::string_view::npos) {
            return false;
        }
        Value = Value << 4 | static_cast<std::uint32_t>(At);
    }
    return true;
}

}  // namespace

std::string MakeTemporaryName() {
    static thread_local std::mt19937 Random{std::random_device{}()};
    const std::uint32_t Part = Random() & 0xffffff;
    std::string Name(Prefix);
    AppendHex(Name, Part);
    AppendHex(Name, CheckOf(Part));
    return Name;
}

bool IsTemporaryName(std::string_view Name) {
    std::uint32_t Part = 0, Check = 0;
    return Name.size() == Prefix.size() + 2 * Digits && Name.substr(0, Prefix.size()) == Prefix &&
           ReadHex(Name.substr(Prefix.size(), Digits), Part) &&
           ReadHex(Name.substr(Prefix.size() + Digits), Check) && Check == CheckOf(Part);
}

}  // namespace quellmark
