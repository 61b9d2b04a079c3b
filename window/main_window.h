// The program's one window: the two track fields with their "Browse" buttons, the choice of
// the icon state at the start of the recording and of the replacement command, "Remove Icons"
// and "Bail Out".
#pragma once

#include <QStringList>
#include <QWidget>

#include "conversion/run.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quellmark {

class MessageSink;
class TrackFileDialog;

class Main : public QWidget {
    Q_OBJECT

  public:
    Main(TrackFileDialog& Dialog, MessageSink& Messages, QWidget* Parent = nullptr);

    IconState GetInitialIconState() const;
    CommandType GetCommandType() const;

    // Takes one track as the input, as if chosen through the input "Browse"; several are
    // converted as a list, after one question (see ConvertTrackList).
    void OpenTracks(const QStringList& Tracks);

    // The directories chosen through the dialog, each ending in its separator; empty at start.
    const QString& InputDirectory() const { return InputDirectory_; }
    const QString& OutputDirectory() const { return OutputDirectory_; }

  protected:
    // Local files dropped on the window are opened as by OpenTracks; folders are ignored.
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;

  private:
    void CreateControls();
    void SetTabOrder();
    void ConnectActions();

    void RemoveIcons();
    void BrowseInput();
    void BrowseOutput();
    void UseChosenInput();
    void ShowFullPaths();
    RunSettings MakeRunSettings() const;

    TrackFileDialog& Dialog_;
    MessageSink& Messages_;
    QString InputDirectory_;
    QString OutputDirectory_;

    QLabel* Label1 = nullptr;
    QLineEdit* txtInputTrackFile = nullptr;
    QPushButton* cmdInputBrowse = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtOutputTrackFile = nullptr;
    QPushButton* cmdOutputBrowse = nullptr;
    QGroupBox* Frame1 = nullptr;
    QRadioButton* optIconStateOff = nullptr;
    QRadioButton* optIconStateLow = nullptr;
    QRadioButton* optIconStateMedium = nullptr;
    QRadioButton* optIconStateFull = nullptr;
    QGroupBox* Frame2 = nullptr;
    QRadioButton* optViews = nullptr;
    QRadioButton* optTimeCompression = nullptr;
    QRadioButton* optUseNullCommand = nullptr;
    QPushButton* cmdRemoveIcons = nullptr;
    QPushButton* cmdExit = nullptr;
};

}  // namespace quellmark
