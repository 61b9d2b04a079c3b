// How many descriptors the tracks of a list may take: the limit less what the process holds.
#include <fcntl.h>
#include <sys/resource.h>

#include <algorithm>

#include "conversion/files/track_files.h"

namespace quellmark {
namespace {

// The most a track holds at once: its input, the output's folder, an earlier output, the new
// file and its lock, the folder being swept and a file in it, and one for a folder on the way
// through a link.
constexpr std::size_t PerTrack = 8;
// Left for whatever else the program opens meanwhile (a dialog, a log).
constexpr std::size_t Margin = 4;
// Past this, no list can run short: the descriptors held are not counted.
constexpr rlim_t Plenty = 4096;

std::size_t DescriptorsHeld(rlim_t Limit) {
    std::size_t Held = 0;
    for (rlim_t Descriptor = 0; Descriptor < Limit; ++Descriptor) {
        Held += ::fcntl(static_cast<int>(Descriptor), F_GETFD) != -1;
    }
    return Held;
}

}  // namespace

OpenRoom RoomForTracks(std::size_t Wanted) {
    rlimit Limit{};
    if (::getrlimit(RLIMIT_NOFILE, &Limit) != 0 || Limit.rlim_cur == RLIM_INFINITY ||
        Limit.rlim_cur >= Plenty) {
        return {Wanted, Plenty};
    }
    const std::size_t Held = DescriptorsHeld(Limit.rlim_cur) + Margin;
    const std::size_t Free = Limit.rlim_cur > Held ? Limit.rlim_cur - Held : 0;
    const std::size_t Tracks =
        std::clamp<std::size_t>(Free / PerTrack, 1, std::max<std::size_t>(Wanted, 1));
    return {Tracks, Free > Tracks * PerTrack ? Free - Tracks * PerTrack : 0};
}

}  // namespace quellmark
