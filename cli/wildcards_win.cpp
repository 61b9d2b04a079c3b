#include "cli/wildcards_win.h"

#include <windows.h>

#include <algorithm>
#include <set>

#include "cli/convert_options.h"
#include "conversion/files/path_syntax.h"
#include "conversion/files/windows/long_path.h"
#include "windows_text/windows_text.h"

namespace quellmark {
namespace {

// The options whose value is the next argument.
const std::set<std::string> TakesValue = NamesTakingAValue();

std::vector<std::string> Matches(const std::string& Pattern) {
    std::vector<std::string> Found;
    WIN32_FIND_DATAW Item{};
    const HANDLE Search = FindFirstFileExW(LongPath(Pattern).c_str(), FindExInfoBasic, &Item,
                                           FindExSearchNameMatch, nullptr, 0);
    if (Search == INVALID_HANDLE_VALUE) {
        return Found;
    }
    do {
        if ((Item.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            Found.push_back(FolderPartOf(Pattern) + Utf8Text(Item.cFileName));
        }
    } while (FindNextFileW(Search, &Item));
    FindClose(Search);
    std::sort(Found.begin(), Found.end());
    return Found;
}

}  // namespace

std::vector<std::string> ExpandWildcards(const std::vector<std::string>& Arguments) {
    std::vector<std::string> Expanded;
    bool OptionsEnded = false;
    for (std::size_t At = 0; At < Arguments.size(); ++At) {
        const std::string& Word = Arguments[At];
        const bool Option = !OptionsEnded && Word.size() > 1 && Word.front() == '-';
        OptionsEnded = OptionsEnded || Word == "--";
        const bool Value = At > 0 && !OptionsEnded && TakesValue.contains(Arguments[At - 1]);
        const bool Wild = FileNameOf(Word).find_first_of("*?") != std::string::npos;
        const auto Found =
            Option || Value || !Wild || Word == "/?" ? std::vector<std::string>{} : Matches(Word);
        if (Found.empty()) {
            Expanded.push_back(Word);
        } else {
            Expanded.insert(Expanded.end(), Found.begin(), Found.end());
        }
    }
    return Expanded;
}

}  // namespace quellmark
