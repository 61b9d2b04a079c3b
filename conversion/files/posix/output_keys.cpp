// The keys of outputs on Linux: a folder by its identity, or by its resolved path where its
// identities say nothing; a name as it is, or folded where the folder may ignore case.
#include "conversion/files/output_keys.h"

#include <sys/stat.h>

#include <map>

#include "conversion/failure.h"
#include "conversion/files/name_folding.h"
#include "conversion/files/path_syntax.h"
#include "conversion/files/posix/folder_kind.h"
#include "conversion/files/posix/output_target.h"

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
    // The key of the folder Entry has open, known by Path (as written, or as links led).
    const FolderKey& Of(const std::string& Path, const PathEntry& Entry) {
        return ByPath_.emplace(Path, KeyOfFolder(Entry)).first->second;
    }
    const FolderKey* Known(const std::string& Path) const {
        const auto Found = ByPath_.find(Path);
        return Found != ByPath_.end() ? &Found->second : nullptr;
    }

    std::map<dev_t, bool> Identities;

  private:
    std::map<std::string, FolderKey> ByPath_;
};

OutputKeys::OutputKeys() : Folders_(std::make_unique<Folders>()) {}
OutputKeys::~OutputKeys() = default;

std::vector<std::string> OutputKeys::Of(const std::string& Path) {
    std::vector<std::string> Keys;
    struct stat Link {};
    const bool Exists = ::lstat(Path.c_str(), &Link) == 0;
    std::string Name = FileNameOf(Path);
    const FolderKey* Folder = nullptr;
    // A plain name needs only its folder, which many outputs share and which is looked at
    // once; a link is followed to the entry it leads to.
    if (Exists && S_ISLNK(Link.st_mode)) {
        PathEntry Entry;
        try {
            Entry = ResolveOutputTarget(Path, false).Entry;
        } catch (const TrackFileError&) {
        }
        Name = Entry.Name;
        Folder = &Folders_->Of("link " + Entry.FolderPath, Entry);
    } else if (Folder = Folders_->Known(FolderNameOf(Path)); Folder == nullptr) {
        PathEntry Entry;
        if (OpenParentFolder(Path, Entry) != 0) {
            Entry.Folder = FileDescriptor();
        }
        Folder = &Folders_->Of(FolderNameOf(Path), Entry);
    }
    if (Folder->Key.empty()) {
        Keys.push_back("as written " + FilesystemPathOf(Path).lexically_normal().string());
    } else {
        Keys.push_back(Folder->Key + "/" + (Folder->Folds ? CaselessKeyBytes(Name) : Name));
    }
    if (Exists && S_ISLNK(Link.st_mode)) {
        if (const std::string File = OfFile(Path); !File.empty()) {
            Keys.push_back(File);
        }
    } else if (Exists && Folder->Identities) {
        Keys.push_back("file " + IdentityText(Link));
    }
    return Keys;
}

std::string OutputKeys::OfFile(const std::string& Path, std::optional<FileIdentity>* Identity) {
    struct stat Status {};
    if (::stat(Path.c_str(), &Status) != 0) {
        return {};
    }
    if (Identity != nullptr) {
        *Identity = IdentityOf(Status);
    }
    // Whether identities mean something is a matter of the filesystem: asked once a device.
    const auto Known = Folders_->Identities.find(Status.st_dev);
    const bool Identities =
        Known != Folders_->Identities.end()
            ? Known->second
            : Folders_->Identities.emplace(Status.st_dev, HasFileIdentitiesAt(Path)).first->second;
    return Identities ? "file " + IdentityText(Status) : std::string();
}

}  // namespace quellmark
