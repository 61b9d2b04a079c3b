#include "window/track_batch.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>

#include "conversion/run.h"
#include "window/message_sink.h"

namespace quellmark {
namespace {

QString Tr(const char* Text) {
    return QCoreApplication::translate("quellmark::TrackBatch", Text);
}

QString Question(const QStringList& Tracks) {
    QString Text = Tr("Convert these %1 tracks with the options now selected? Each becomes "
                      "NoIcons_<name> in its own folder.")
                       .arg(Tracks.size());
    QStringList Existing;
    for (const auto& Track : Tracks) {
        const QFileInfo Output(ListOutputFor(Track));
        if (Output.exists() || Output.isSymLink()) {
            Existing << Output.filePath();
        }
    }
    if (!Existing.isEmpty()) {
        Text += QStringLiteral("\n\n") + Tr("These outputs exist and will be replaced:") +
                QStringLiteral("\n") + Existing.join(QLatin1Char('\n'));
    }
    return Text;
}

QString ConvertOne(const QString& Track, IconState State, CommandType Command) {
    std::string Reason;
    const QString Name = QFileInfo(Track).fileName() + QStringLiteral(": ");
    switch (ConversionRun({QFile::encodeName(Track).toStdString(),
                           QFile::encodeName(ListOutputFor(Track)).toStdString(), State, Command},
                          &Reason)) {
        case RunOutcome::Finished:
            return Name + Tr("finished");
        case RunOutcome::Stopped:
            return Name + Tr("no record section, copied unchanged");
        case RunOutcome::SameFile:
            return Name + Tr("Input and Output Files Can't Be The Same File");
        case RunOutcome::Failed:
            break;
    }
    return Name + QFile::decodeName(QByteArray::fromStdString(Reason));
}

}  // namespace

QString ListOutputFor(const QString& Track) {
    const QFileInfo Info(Track);
    return Info.dir().filePath(QStringLiteral("NoIcons_") + Info.fileName());
}

void ConvertTrackList(QWidget* Owner, MessageSink& Messages, const QStringList& Tracks,
                      IconState InitialIconState, CommandType ReplacementCommand) {
    if (!Messages.Confirm(Owner, Question(Tracks))) {
        return;
    }
    QProgressDialog Progress(Tr("Converting tracks…"), Tr("Stop"), 0,
                             static_cast<int>(Tracks.size()), Owner);
    Progress.setWindowTitle(QStringLiteral("Quellmark"));
    Progress.setWindowModality(Qt::WindowModal);
    Progress.setMinimumDuration(400);
    QStringList Results;
    for (const auto& Track : Tracks) {
        if (Progress.wasCanceled()) {
            Results << QFileInfo(Track).fileName() + QStringLiteral(": ") + Tr("not converted");
            continue;
        }
        Progress.setLabelText(Tr("Converting %1…").arg(QFileInfo(Track).fileName()));
        Results << ConvertOne(Track, InitialIconState, ReplacementCommand);
        Progress.setValue(static_cast<int>(Results.size()));
    }
    Progress.reset();
    Messages.ShowMessage(Owner, Results.join(QLatin1Char('\n')));
}

}  // namespace quellmark
