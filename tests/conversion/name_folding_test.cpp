// Names folded as the filesystems and servers that ignore case compare them, checked against
// the International Components for Unicode: whatever the library takes for one name must have
// the program's key of that name.
#include <gtest/gtest.h>
#include <unicode/unorm2.h>
#include <unicode/ustring.h>

#include <string>

#include "conversion/files/name_folding.h"

namespace quellmark {
namespace {

// Text in canonical caseless form as the library makes it: decomposed, folded, decomposed.
std::string LibraryFolded(const std::string& Text) {
    UErrorCode Error = U_ZERO_ERROR;
    std::u16string Wide(Text.size() * 4 + 16, u'\0'), Other(Text.size() * 4 + 16, u'\0');
    const auto Size = [](const std::u16string& Of) { return static_cast<int32_t>(Of.size()); };
    int32_t Length = 0;
    u_strFromUTF8(Wide.data(), Size(Wide), &Length, Text.data(), static_cast<int32_t>(Text.size()),
                  &Error);
    const UNormalizer2* Decomposing = unorm2_getNFDInstance(&Error);
    Length = unorm2_normalize(Decomposing, Wide.data(), Length, Other.data(), Size(Other), &Error);
    Length =
        u_strFoldCase(Wide.data(), Size(Wide), Other.data(), Length, U_FOLD_CASE_DEFAULT, &Error);
    Length = unorm2_normalize(Decomposing, Wide.data(), Length, Other.data(), Size(Other), &Error);
    std::string Folded(static_cast<std::size_t>(Length) * 3 + 1, '\0');
    int32_t Bytes = 0;
    u_strToUTF8(Folded.data(), static_cast<int32_t>(Folded.size()), &Bytes, Other.data(), Length,
                &Error);
    Folded.resize(U_SUCCESS(Error) ? static_cast<std::size_t>(Bytes) : 0);
    return Folded;
}

std::string Utf8(char32_t Code) {
    std::string Text;
    if (Code < 0x80) {
        Text += static_cast<char>(Code);
    } else if (Code < 0x800) {
        Text += static_cast<char>(0xC0 | Code >> 6);
        Text += static_cast<char>(0x80 | (Code & 0x3F));
    } else if (Code < 0x10000) {
        Text += static_cast<char>(0xE0 | Code >> 12);
        Text += static_cast<char>(0x80 | (Code >> 6 & 0x3F));
        Text += static_cast<char>(0x80 | (Code & 0x3F));
    } else {
        Text += static_cast<char>(0xF0 | Code >> 18);
        Text += static_cast<char>(0x80 | (Code >> 12 & 0x3F));
        Text += static_cast<char>(0x80 | (Code >> 6 & 0x3F));
        Text += static_cast<char>(0x80 | (Code & 0x3F));
    }
    return Text;
}

// Every character of the first planes, alone and after a letter with marks in either order.
TEST(NameFolding, TakesForOneWhatTheUnicodeLibraryTakesForOne) {
    int Differing = 0;
    for (char32_t Code = 1; Code < 0x30000; ++Code) {
        if (Code >= 0xD800 && Code < 0xE000) {
            continue;
        }
        for (const std::string& Name : {Utf8(Code) + ".trk", "a\u0301" + Utf8(Code) + "\u0323"}) {
            const std::string Folded = LibraryFolded(Name);
            if (!Folded.empty() && CaselessKey(Name) != CaselessKey(Folded) && ++Differing <= 5) {
                ADD_FAILURE() << "U+" << std::hex << static_cast<unsigned>(Code) << " in '" << Name
                              << "' folds to '" << Folded << "'";
            }
        }
    }
    EXPECT_EQ(Differing, 0);
}

// What the filesystems that upper-case take for one, which full folding alone does not.
TEST(NameFolding, TakesForOneWhatExfatTakesForOne) {
    const struct {
        const char* One;
        const char* Other;
    } Rows[] = {
        {"\u03C2", "\u03A3"},  // final sigma, capital sigma
        {"\u0131", "I"},       // dotless i upper-cases to I
        {"\u017F", "S"},       // long s
        {"\u212A", "k"},       // Kelvin sign
        {"\u00FF", "\u0178"},  // y with diaeresis
    };
    for (const auto& Row : Rows) {
        EXPECT_EQ(CaselessKey(Row.One), CaselessKey(Row.Other)) << Row.One << " " << Row.Other;
    }
    EXPECT_NE(CaselessKey("a.trk"), CaselessKey("b.trk"));
    EXPECT_NE(CaselessKey("\xff.trk"), CaselessKey("\u00ff.trk"));
}

}  // namespace
}  // namespace quellmark
