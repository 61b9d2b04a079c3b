// Which file a name or a stream leads to, whatever the names on the way: the device and inode
// on Linux, the volume and the file's id on Windows. Nothing outside the file layers looks
// inside.
#pragma once

#include <cstdint>

namespace quellmark {

struct FileIdentity {
    std::uint64_t Volume = 0;
    std::uint64_t Id[2] = {};
    bool operator==(const FileIdentity&) const = default;
};

}  // namespace quellmark
