#include "window/track_file_dialog.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileInfo>
#include <QHeaderView>
#include <QScreen>
#include <QTreeView>

namespace quellmark {
namespace {

// Qt's dialog can leave the completion popup of its name field on screen after a name was
// typed and Enter pressed; the popup then holds the keyboard and the window takes no keys.
void HideCompletion(QFileDialog& Dialog) {
    for (auto* Completer : Dialog.findChildren<QCompleter*>()) {
        if (Completer->popup() != nullptr && Completer->popup()->isVisible()) {
            Completer->popup()->hide();
        }
    }
    if (auto* Owner = Dialog.parentWidget(); Owner != nullptr) {
        Owner->activateWindow();
    }
}

// Room for the name, size and date columns, but never more than the screen: at a large
// scale on a small screen the dialog's own size would run past the screen's edge.
void FitToScreen(QFileDialog& Dialog) {
    for (auto* Details : Dialog.findChildren<QTreeView*>()) {
        Details->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        Details->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    const QScreen* Screen =
        Dialog.parentWidget() != nullptr ? Dialog.parentWidget()->screen() : Dialog.screen();
    const QRect Room = Screen->availableGeometry();
    const QSize Wanted = Dialog.sizeHint().expandedTo(
        QSize(Dialog.fontMetrics().averageCharWidth() * 90, Dialog.fontMetrics().height() * 24));
    Dialog.resize(Wanted.boundedTo(Room.size() * 9 / 10));
}

}  // namespace

QString TrackFileDialog::FileTitle() const {
    return QFileInfo(FileName()).fileName();
}

QString TrackFileDialog::GetFilePath() const {
    return FileName().left(FileName().size() - FileTitle().size());
}

void QtTrackFileDialog::Prepare(QWidget* Owner) {
    Owner_ = Owner;
}

QFileDialog& QtTrackFileDialog::Dialog() {
    if (Dialog_.isNull()) {
        Dialog_ = new QFileDialog(Owner_);
        Dialog_->setOption(QFileDialog::DontUseNativeDialog);
        Dialog_->setFileMode(QFileDialog::AnyFile);
        Dialog_->setNameFilters(
            {QStringLiteral("Track Files (*.trk)"), QStringLiteral("All Files (*)")});
        FitToScreen(*Dialog_);
    }
    return *Dialog_;
}

bool QtTrackFileDialog::Show(QFileDialog::AcceptMode Mode) {
    QFileDialog& Shown = Dialog();
    Shown.setAcceptMode(Mode);
    if (!FileName_.isEmpty()) {
        Shown.selectFile(FileName_);
    }
    const bool Chosen = Shown.exec() == QDialog::Accepted && !Shown.selectedFiles().isEmpty();
    HideCompletion(Shown);
    if (!Chosen) {
        return false;
    }
    FileName_ = Shown.selectedFiles().constFirst();
    return true;
}

}  // namespace quellmark
