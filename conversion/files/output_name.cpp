#include "conversion/files/output_name.h"

#include "conversion/files/path_syntax.h"

namespace quellmark {

std::string OutputNameFor(const std::string& TrackName) {
    return "NoIcons_" + TrackName;
}

bool IsOutputName(const std::string& Path) {
    return FileNameOf(Path).rfind(OutputNameFor(""), 0) == 0;
}

std::string OutputPathFor(const std::string& TrackPath, const std::string& Folder) {
    return JoinPath(Folder.empty() ? FolderPartOf(TrackPath) : Folder,
                    OutputNameFor(FileNameOf(TrackPath)));
}

}  // namespace quellmark
