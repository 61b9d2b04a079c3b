// The program's one window: the two track fields with their "Browse" buttons, the choice of
// the icon state at the start of the recording and of the replacement command, "Remove Icons"
// and "Bail Out".
#pragma once

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

    // The directories chosen through the dialog, each ending in its separator; empty at start.
    const QString& InputDirectory() const { return InputDirectory_; }
    const QString& OutputDirectory() const { return OutputDirectory_; }

  protected:
    // One local file dropped on the window is taken as the input track, as if chosen through
    // the input "Browse".
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
