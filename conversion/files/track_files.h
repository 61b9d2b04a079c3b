// The two files of a run, as the system's file layer gives them: one interface here, one
// implementation per system (posix/track_files_posix.cpp, windows/track_files_win.cpp), chosen
// by the build. Paths are UTF-8 text on every system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "conversion/byte_streams.h"
#include "conversion/failure.h"
#include "conversion/files/file_identity.h"
#include "conversion/files/folder_flushes.h"
#include "conversion/files/leftover_sweep.h"
#include "conversion/settings.h"

namespace quellmark {

// The identity of the file Path leads to, links followed; none when nothing is there.
std::optional<FileIdentity> IdentityOf(const std::string& Path);

// How many tracks can be converted at once (at most Wanted, at least one) with the files each
// holds open, in what the system still lets this process open; and how many files are left
// besides, to keep folders open for a later flush.
struct OpenRoom {
    std::size_t Tracks = 1;
    std::size_t Spare = 0;
};
OpenRoom RoomForTracks(std::size_t Wanted);

// Asked at each step of a commit whether to go on.
using CommitGate = std::function<bool(RunStage Stage)>;

struct CommitResult {
    bool Placed = false;
    std::optional<Failure> NotOnDisk;
    std::shared_ptr<const DeferredFlush> FlushLater;  // the folder's flush, where put off
};

// The input track, open for reading.
class InputTrackFile {
  public:
    virtual ~InputTrackFile() = default;
    // The size when it was opened; 0 for a stream of unknown size.
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
    // Puts the written file in place of any earlier one, as the settings asked: on disk first,
    // with the earlier file's permissions. GoOn is asked before the flush (Saving) and before
    // the rename (Placing); where it says no, nothing is put in place. Throws TrackFileError;
    // the earlier file is then untouched. Once the file is in place, a folder that cannot be
    // flushed to disk is no longer a failure of the run: it is returned, since the track may
    // not survive a crash. With Later, the folder's flush is put off to it.
    virtual CommitResult Commit(const CommitGate& GoOn, FolderFlushes* Later) = 0;
};

struct TrackFiles {
    std::unique_ptr<InputTrackFile> Input;
    std::unique_ptr<OutputTrackFile> Output;  // none: the output would be the input itself
};

// Opens Settings' input (a file, or standard input) and prepares its output (a file, or
// standard output), in that order. The output is none where it leads to the input by links,
// other spellings or aliases, or is standard output writing into the input. Throws
// TrackFileError for an input that is missing, unreadable or no regular file, and for an
// output that cannot be created or, as Settings.IfOutputExists says, must not replace a file.
// Where the output's folder is cleared of what killed runs left, Sweep tells the list's tracks.
TrackFiles OpenTrackFiles(const RunSettings& Settings, LeftoverSweep* Sweep = nullptr);

}  // namespace quellmark
