#include "window/track_file_dialog.h"

#include <QAbstractItemView>
#include <QCompleter>
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

QFileDialog& QtTrackFileDialog::Dialog() {
    if (Dialog_.isNull()) {
        Dialog_ = new QFileDialog(Owner_);
        Dialog_->setOption(QFileDialog::DontUseNativeDialog);
        Dialog_->setNameFilters(
            {QStringLiteral("Track Files (*.trk)"), QStringLiteral("All Files (*)")});
        FitToScreen(*Dialog_);
    }
    return *Dialog_;
}

QStringList QtTrackFileDialog::Show(QFileDialog::AcceptMode Mode, QFileDialog::FileMode Files,
                                    const QString& Last) {
    QFileDialog& Shown = Dialog();
    Shown.setAcceptMode(Mode);
    Shown.setFileMode(Files);
    Shown.setOption(QFileDialog::ShowDirsOnly, Files == QFileDialog::Directory);
    if (!Last.isEmpty()) {
        Shown.selectFile(Last);
    }
    const bool Chosen = Shown.exec() == QDialog::Accepted;
    HideCompletion(Shown);
    return Chosen ? Shown.selectedFiles() : QStringList();
}

QStringList QtTrackFileDialog::ShowOpen(const QString& Last) {
    // Several tracks at once; Qt takes several only among files that exist, so a name typed
    // for a file that is not there is refused by the dialog itself.
    return Show(QFileDialog::AcceptOpen, QFileDialog::ExistingFiles, Last);
}

QString QtTrackFileDialog::ShowSave(const QString& Last) {
    return Show(QFileDialog::AcceptSave, QFileDialog::AnyFile, Last).value(0);
}

QString QtTrackFileDialog::ShowFolder(const QString& Last) {
    return Show(QFileDialog::AcceptOpen, QFileDialog::Directory, Last).value(0);
}

}  // namespace quellmark
