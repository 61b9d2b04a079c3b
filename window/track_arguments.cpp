#include "window/track_arguments.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>

namespace quellmark {
namespace {

QString Tr(const char* Text) {
    return QCoreApplication::translate("quellmark::TrackArguments", Text);
}

}  // namespace

TrackArguments CheckTrackArguments(const QStringList& Arguments) {
    TrackArguments Checked;
    for (const auto& Argument : Arguments) {
        QString Path = Argument;
        const QUrl Url(Argument);
        if (Url.isValid() && Url.scheme().size() > 1) {
            if (!Url.isLocalFile()) {
                Checked.Problems << Tr("Can't open '%1': not a local file").arg(Argument);
                continue;
            }
            Path = Url.toLocalFile();
        }
        const QFileInfo Info(Path);
        if (Info.isDir()) {
            Checked.Problems << Tr("Can't open '%1': it is a folder, not a track").arg(Argument);
        } else if (!Info.exists()) {
            Checked.Problems << Tr("Can't open '%1': no such file").arg(Argument);
        } else {
            Checked.Tracks << Info.absoluteFilePath();
        }
    }
    return Checked;
}

}  // namespace quellmark
