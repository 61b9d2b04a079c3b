// The two files of a run, as the system's file layer gives them: one interface here, one
// implementation per system beside it (track_files_posix.cpp, track_files_win.cpp), chosen by
// the build. Paths are UTF-8 text on every system.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "conversion/settings.h"
#include "conversion/track_reader.h"
#include "conversion/track_writer.h"

namespace quellmark {

// The input track, open for reading.
class InputTrackFile {
  public:
    virtual ~InputTrackFile() = default;
    // The size when it was opened.
    virtual std::uint64_t Size() const = 0;
    // Reads the file from where the last read ended; failures name the file and the reason.
    virtual ReadFunction Reader() = 0;
};

// The output track being written: private until Commit puts it in place, and gone without a
// trace if it is destroyed before.
class OutputTrackFile {
  public:
    virtual ~OutputTrackFile() = default;
    // Writes to the private file; failures name the file and the reason.
    virtual WriteFunction Writer() = 0;
    // Puts the written file in place of any earlier one, as Settings asked: synced to disk
    // first, with the earlier file's permissions. Throws TrackFileError; the earlier file is
    // then untouched.
    virtual void Commit() = 0;
};

// Opens the regular file at Path for reading. Throws TrackFileError for a missing or
// unreadable file and for anything that is not a regular file (a folder, a device, a pipe).
std::unique_ptr<InputTrackFile> OpenInputTrackFile(const std::string& Path);

// Prepares the output at Settings.OutputPath, or gives nullptr when that path leads to Input
// itself (by links, other spellings or aliases). Throws TrackFileError when the output cannot
// be created or, as Settings.IfOutputExists says, must not replace a file.
std::unique_ptr<OutputTrackFile> CreateOutputTrackFile(const RunSettings& Settings,
                                                       const InputTrackFile& Input);

}  // namespace quellmark
