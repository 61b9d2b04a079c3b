// The file dialogs both "Browse" buttons use, behind a small interface so that tests can stand
// in for them.
#pragma once

#include <QFileDialog>
#include <QPointer>
#include <QString>
#include <QStringList>

class QWidget;

namespace quellmark {

class TrackFileDialog {
  public:
    virtual ~TrackFileDialog() = default;

    // Called once when the window loads; the dialog itself may be built on first use.
    virtual void Prepare(QWidget* Owner) = 0;
    // Modal dialogs opened on Last: the open dialog takes one track or several, the save
    // dialog one name and confirms before it replaces a file, the folder dialog a folder.
    // Empty when cancelled.
    virtual QStringList ShowOpen(const QString& Last) = 0;
    virtual QString ShowSave(const QString& Last) = 0;
    virtual QString ShowFolder(const QString& Last) = 0;
};

// Qt's own file dialog, so that the open dialog accepts a name that does not exist yet and the
// save dialog confirms before it replaces a file, on every desktop.
class QtTrackFileDialog : public TrackFileDialog {
  public:
    void Prepare(QWidget* Owner) override { Owner_ = Owner; }
    QStringList ShowOpen(const QString& Last) override;
    QString ShowSave(const QString& Last) override;
    QString ShowFolder(const QString& Last) override;

  private:
    QStringList Show(QFileDialog::AcceptMode Mode, QFileDialog::FileMode Files,
                     const QString& Last);
    QFileDialog& Dialog();

    // Building Qt's dialog takes longer than the whole window, so it waits for its first use.
    QPointer<QWidget> Owner_;
    QPointer<QFileDialog> Dialog_;
};

}  // namespace quellmark
