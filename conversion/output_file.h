// The output track, written to a temporary file beside its target and moved into place only
// when the run succeeds, so that a failed run leaves any earlier file exactly as it was.
#pragma once

#include <string>

#include "conversion/file_descriptor.h"

namespace quellmark {

class OutputFile {
  public:
    // Prepares to replace or create the file at Path. A symbolic link is followed, so the link
    // stays and its target gets the new content. Throws TrackFileError when the target exists
    // and is not a writable regular file, or when the temporary file cannot be created.
    explicit OutputFile(std::string Path);
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    // Removes the temporary file unless Commit succeeded.
    ~OutputFile();

    int Descriptor() const { return File_.Get(); }

    // Closes the temporary file and moves it over the target. Throws TrackFileError.
    void Commit();

  private:
    std::string Path_;
    std::string Target_;
    std::string TemporaryPath_;
    FileDescriptor File_;
    bool Committed_ = false;
};

}  // namespace quellmark
