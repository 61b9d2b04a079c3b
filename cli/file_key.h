// Which file a path leads to, so that one call never writes one output twice nor converts one
// track twice, whatever the names on the way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quellmark {

struct FileKey {
    std::uint64_t Volume = 0;
    std::uint64_t Index[2] = {};
    bool operator==(const FileKey&) const = default;
};

// The key of the file Path leads to, links followed; none when nothing is there.
std::optional<FileKey> FileKeyOf(const std::string& Path);

}  // namespace quellmark
