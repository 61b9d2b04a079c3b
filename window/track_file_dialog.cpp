#include "window/track_file_dialog.h"

#include <QFileInfo>

namespace quellmark {

QString TrackFileDialog::FileTitle() const {
    return QFileInfo(FileName()).fileName();
}

QString TrackFileDialog::GetFilePath() const {
    return FileName().left(FileName().size() - FileTitle().size());
}

void QtTrackFileDialog::Prepare(QWidget* Owner) {
    Dialog_ = new QFileDialog(Owner);
    Dialog_->setOption(QFileDialog::DontUseNativeDialog);
    Dialog_->setFileMode(QFileDialog::AnyFile);
    Dialog_->setNameFilters(
        {QStringLiteral("Track Files (*.trk)"), QStringLiteral("All Files (*)")});
}

bool QtTrackFileDialog::Show(QFileDialog::AcceptMode Mode) {
    Dialog_->setAcceptMode(Mode);
    if (!FileName_.isEmpty()) {
        Dialog_->selectFile(FileName_);
    }
    if (Dialog_->exec() != QDialog::Accepted || Dialog_->selectedFiles().isEmpty()) {
        return false;
    }
    FileName_ = Dialog_->selectedFiles().constFirst();
    return true;
}

}  // namespace quellmark
