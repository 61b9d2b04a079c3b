#include "cli/convert_options.h"

#include <iterator>
#include <string_view>

namespace quellmark {
namespace {

struct OptionRow {
    ConvertOption Option;
    const char* Names;
    bool TakesValue;
};

constexpr OptionRow Options[] = {
    {ConvertOption::IconState, "-s,--icon-state", true},
    {ConvertOption::Command, "-c,--command", true},
    {ConvertOption::Output, "-o,--output", true},
    {ConvertOption::OutputFolder, "-d,--output-dir", true},
    {ConvertOption::Force, "-f,--force", false},
    {ConvertOption::SkipExisting, "-n,--skip-existing", false},
    {ConvertOption::LfLineEnds, "-l,--lf-line-ends", false},
    {ConvertOption::Quiet, "-q,--quiet", false},
    {ConvertOption::Verbose, "-v,--verbose", false},
};

}  // namespace

const char* NamesOf(ConvertOption Option) {
    for (const auto& Row : Options) {
        if (Row.Option == Option) {
            return Row.Names;
        }
    }
    return "";
}

std::set<std::string> NamesTakingAValue() {
    std::set<std::string> Names;
    for (const auto& Row : Options) {
        if (!Row.TakesValue) {
            continue;
        }
        const std::string_view Both = Row.Names;
        const auto Comma = Both.find(',');
        Names.emplace(Both.substr(0, Comma));
        Names.emplace(Both.substr(Comma + 1));
    }
    return Names;
}

}  // namespace quellmark
