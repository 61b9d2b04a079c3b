// The tracks named on the window program's command line, as a file manager passes them.
#pragma once

#include <QStringList>

namespace quellmark {

struct TrackArguments {
    QStringList Tracks;    // absolute paths of existing files
    QStringList Problems;  // one sentence for each argument that is no track file
};

// Sorts Arguments (paths or file:// addresses) into tracks and problems: a folder, a missing
// file or an address that is not local is a problem, never silently skipped.
TrackArguments CheckTrackArguments(const QStringList& Arguments);

}  // namespace quellmark
