// The keys of outputs on Linux: a folder by its identity, or by its resolved path where its
// identities say nothing; a name as it is, or folded where the folder may ignore case.
#include "conversion/output_keys.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <map>

#include "conversion/failure.h"
#include "conversion/name_folding.h"
#include "conversion/path_syntax.h"
#include "conversion/posix/folder_kind.h"
#include "conversion/posix/output_target.h"

namespace quellmark {
namespace {

std::string IdentityText(const struct stat& Status) {
    return std::to_string(Status.st_dev) + ":" + std::to_string(Status.st_ino);
}

struct FolderKey {
    std::string Key;  // empty: the folder cannot be opened
    bool Folds = false;
    bool Identities = false;
};

FolderKey KeyOfFolder(const PathEntry& Entry) {
    FolderKey Found;
    struct stat Status {};
    if (!Entry.Folder.IsOpen() || ::fstat(Entry.Folder.Get(), &Status) != 0) {
        return Found;
    }
    Found.Folds = MayIgnoreCase(Entry.Folder.Get());
    Found.Identities = HasFileIdentities(Entry.Folder.Get());
    const std::string Resolved = Found.Identities ? std::string() : ResolvedFolderPath(Entry);
    Found.Key = Found.Identities || Resolved.empty() ? "folder " + IdentityText(Status)
                                                     : "path " + CaselessKeyBytes(Resolved);
    return Found;
}

}  // namespace

class OutputKeys::Folders {
  public:
    const FolderKey& Of(const PathEntry& Entry) {
        const auto Known = ByPath_.find(Entry.FolderPath);
        if (Known != ByPath_.end()) {
            return Known->second;
        }
        return ByPath_.emplace(Entry.FolderPath, KeyOfFolder(Entry)).first->second;
    }

  private:
    std::map<std::string, FolderKey> ByPath_;
};

OutputKeys::OutputKeys() : Folders_(std::make_unique<Folders>()) {}
OutputKeys::~OutputKeys() = default;

std::vector<std::string> OutputKeys::Of(const std::string& Path) {
    std::vector<std::string> Keys;
    struct stat Link {};
    const bool Exists = ::lstat(Path.c_str(), &Link) == 0;
    PathEntry Entry;
    // A plain name needs only its folder, which many outputs share; a link is followed to the
    // entry it leads to.
    if (Exists && S_ISLNK(Link.st_mode)) {
        try {
            Entry = ResolveOutputTarget(Path, false).Entry;
        } catch (const TrackFileError&) {
        }
    } else if (OpenParentFolder(Path, Entry) != 0) {
        Entry.Folder = FileDescriptor();
    }
    const FolderKey& Folder = Folders_->Of(Entry);
    if (Folder.Key.empty()) {
        Keys.push_back("as written " + FilesystemPathOf(Path).lexically_normal().string());
    } else {
        Keys.push_back(Folder.Key + "/" +
                       (Folder.Folds ? CaselessKeyBytes(Entry.Name) : Entry.Name));
    }
    if (const std::string File = OfFile(Path); !File.empty()) {
        Keys.push_back(File);
    }
    return Keys;
}

std::string OutputKeys::OfFile(const std::string& Path) {
    const FileDescriptor File(::open(Path.c_str(), O_PATH | O_CLOEXEC));
    struct stat Status {};
    if (!File.IsOpen() || ::fstat(File.Get(), &Status) != 0 || !HasFileIdentities(File.Get())) {
        return {};
    }
    return "file " + IdentityText(Status);
}

}  // namespace quellmark
