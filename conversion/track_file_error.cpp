#include "conversion/track_file_error.h"

#include <cstring>

namespace quellmark {

void ThrowFileError(const std::string& Action, const std::string& Path, int ErrorNumber) {
    throw TrackFileError(Action + " '" + Path + "': " + std::strerror(ErrorNumber));
}

}  // namespace quellmark
