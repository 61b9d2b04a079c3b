#include "conversion/failure.h"

namespace quellmark {

void ThrowFailure(FailedStep Step, const std::string& Path, Reason Why, const std::string& Folder) {
    throw TrackFileError({Step, Path, Folder, std::move(Why)});
}

}  // namespace quellmark
