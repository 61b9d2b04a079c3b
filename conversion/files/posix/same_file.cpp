#include "conversion/files/posix/same_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "conversion/files/name_folding.h"
#include "conversion/files/posix/folder_kind.h"

namespace quellmark {
namespace {

// Whether the folder lists both names as they are spelled: then they are two files. A folder
// that cannot be listed tells nothing.
bool ListsBoth(const PathEntry& Entry, const std::string& One, const std::string& Other) {
    if (!Entry.FolderReadable) {
        return false;
    }
    DIR* Listing =
        ::fdopendir(::openat(Entry.Folder.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (Listing == nullptr) {
        return false;
    }
    bool SeenOne = false, SeenOther = false;
    while (const dirent* Item = ::readdir(Listing)) {
        SeenOne = SeenOne || One == Item->d_name;
        SeenOther = SeenOther || Other == Item->d_name;
    }
    ::closedir(Listing);
    return SeenOne && SeenOther;
}

}  // namespace

bool ReplacesInput(const OutputTarget& Target, const InputTrack& Input,
                   const std::string& InputPath) {
    if (!Target.Existing.IsOpen()) {
        return false;
    }
    if (Target.ExistingIdentity == Input.Identity) {
        return true;
    }
    // Elsewhere an identity of its own makes another file, whatever the names.
    if (Target.ExistingIdentity.Volume != Input.Identity.Volume ||
        HasFileIdentities(Target.Entry.Folder.Get())) {
        return false;
    }
    // A folder that ignores case, or a server that folds case fully or takes the composed and
    // decomposed forms of a letter for one, may still give one file two identities, one for
    // each spelling of its name, and its folder too. Each sign that they are two files is
    // looked for; where none is found they are taken for one, since a refused run loses
    // nothing.
    PathEntry InputEntry;
    if (FindPathEntry(InputPath, Input.File.Get(), Input.Identity, InputEntry) != 0 ||
        CaselessKey(InputEntry.Name) != CaselessKey(Target.Entry.Name)) {
        return false;
    }
    const std::string InputFolder = ResolvedFolderPath(InputEntry);
    const std::string OutputFolder = ResolvedFolderPath(Target.Entry);
    if (!InputFolder.empty() && !OutputFolder.empty() &&
        CaselessKey(InputFolder) != CaselessKey(OutputFolder)) {
        return false;
    }
    struct stat InputStatus {};
    const struct stat& Output = Target.ExistingStatus;
    if (::fstat(Input.File.Get(), &InputStatus) != 0 || InputStatus.st_size != Output.st_size ||
        InputStatus.st_mtim.tv_sec != Output.st_mtim.tv_sec ||
        InputStatus.st_mtim.tv_nsec != Output.st_mtim.tv_nsec) {
        return false;
    }
    return InputEntry.Name == Target.Entry.Name ||
           !ListsBoth(Target.Entry, InputEntry.Name, Target.Entry.Name);
}

}  // namespace quellmark
