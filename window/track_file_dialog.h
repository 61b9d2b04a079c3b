// The one file dialog that both "Browse" buttons share, behind a small interface so that tests
// can stand in for it.
#pragma once

#include <QFileDialog>
#include <QPointer>
#include <QString>

class QWidget;

namespace quellmark {

class TrackFileDialog {
  public:
    virtual ~TrackFileDialog() = default;

    // Called once when the window loads; the dialog itself may be built on first use.
    virtual void Prepare(QWidget* Owner) = 0;
    // Modal open and save dialogs, opened on the file chosen last. True when the user chose a
    // file, which FileName() then holds; false when the dialog was cancelled.
    virtual bool ShowOpen() = 0;
    virtual bool ShowSave() = 0;
    // The full path of the file chosen last; empty before the first choice.
    virtual QString FileName() const = 0;
    // Makes FileName the file chosen last, as when a file is dropped on the window.
    virtual void SetFileName(const QString& FileName) = 0;

    // The chosen file's name without its directory.
    QString FileTitle() const;
    // The chosen file's directory, ending in its separator; empty before the first choice.
    QString GetFilePath() const;
};

// The dialog on screen: Qt's own file dialog, so that the open dialog accepts a name that does
// not exist yet and the save dialog confirms before it replaces a file, on every desktop.
class QtTrackFileDialog : public TrackFileDialog {
  public:
    void Prepare(QWidget* Owner) override;
    bool ShowOpen() override { return Show(QFileDialog::AcceptOpen); }
    bool ShowSave() override { return Show(QFileDialog::AcceptSave); }
    QString FileName() const override { return FileName_; }
    void SetFileName(const QString& FileName) override { FileName_ = FileName; }

  private:
    bool Show(QFileDialog::AcceptMode Mode);
    QFileDialog& Dialog();

    // Building Qt's dialog takes longer than the whole window, so it waits for its first use.
    QPointer<QWidget> Owner_;
    QPointer<QFileDialog> Dialog_;
    QString FileName_;
};

}  // namespace quellmark
