// The output track, written to a private temporary file in the target's folder and put in
// place only when the run succeeds and the data is on disk, so that a failed run leaves any
// earlier file exactly as it was.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "conversion/failure.h"
#include "conversion/files/leftover_sweep.h"
#include "conversion/files/posix/file_descriptor.h"
#include "conversion/files/posix/interrupt_cleanup.h"
#include "conversion/files/posix/output_target.h"
#include "conversion/files/save_sequence.h"
#include "conversion/files/track_files.h"

namespace quellmark {

class OutputFile final : private SaveSteps {
  public:
    // Creates the temporary file for Target: unnamed where the filesystem allows it, so that
    // nothing is left if the process dies; else under a short hidden name, readable by its
    // owner only and removed if the program is interrupted. ExpectedSize is the size the
    // output will about have: a folder with less room fails at once. Leftovers of killed runs
    // are removed from the folder first, but never Input, the run's track, nor a track of
    // List. Throws TrackFileError.
    OutputFile(OutputTarget Target, std::uint64_t ExpectedSize,
               const std::optional<FileIdentity>& Input, LeftoverSweep* List);
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    // Removes any name the temporary file got unless Commit succeeded.
    ~OutputFile();

    int Descriptor() const { return File_.Get(); }

    // Gives the file the attributes of the one it replaces, syncs it, moves it into place and
    // syncs the folder, asking GoOn before the sync and before the move (see save_sequence.h).
    // A file that took a new name meanwhile is replaced only where the target allows replacing.
    // Throws TrackFileError; the target is untouched unless the move happened. A folder that
    // cannot be synced after the move is returned. With Later, the folder's sync is put off to
    // it.
    CommitResult Commit(const CommitGate& GoOn, FolderFlushes* Later);

  private:
    void KeepAttributes() override;
    void FlushData() override;
    void TakeName() override;
    CommitResult FlushName(FolderFlushes* Later) override;

    void CheckRoom(std::uint64_t ExpectedSize) const;
    void CreateNamed();
    void LinkUnnamed();
    void MoveIntoPlace();
    void AdoptAppearedFile(int Into);
    std::optional<Failure> SyncFolder() const;
    [[noreturn]] void ThrowFolderError(FailedStep Step, int ErrorNumber) const;

    OutputTarget Target_;
    FileDescriptor File_;
    bool Unnamed_ = false;
    // The name the file has in the folder until it is committed: the final one only when it
    // was new. Removed by the destructor after a failure.
    std::string TemporaryName_;
    InterruptCleanup Cleanup_;
    bool Committed_ = false;
};

}  // namespace quellmark
