#include "conversion/track_file_error.h"

#include <cstring>

namespace quellmark {

std::string FileErrorText(const std::string& Action, const std::string& Path,
                          const std::string& Reason) {
    return Action + " '" + Path + "': " + Reason;
}

void ThrowFileError(const std::string& Action, const std::string& Path, int ErrorNumber) {
    throw TrackFileError(FileErrorText(Action, Path, std::strerror(ErrorNumber)));
}

void ThrowNotRegularFile(const std::string& Action, const std::string& Path) {
    throw TrackFileError(FileErrorText(Action, Path, "Not a regular file"));
}

}  // namespace quellmark
