#include "conversion/files/folder_flushes.h"

namespace quellmark {

// A rename on Windows is on disk with the file system's own journal: no folder is flushed.
class FolderFlushes::Folders {};

FolderFlushes::FolderFlushes(std::size_t) : Folders_(std::make_unique<Folders>()) {}

FolderFlushes::~FolderFlushes() = default;

void FolderFlushes::FlushAll() {}

}  // namespace quellmark
