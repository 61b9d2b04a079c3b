// The program's one window: the two track fields with their "Browse" buttons, the choice of
// the icon state at the start of the recording and of the replacement command, "Remove Icons"
// and "Bail Out".
#pragma once

#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "conversion/run.h"
#include "window_logic/list_run.h"
#include "window_logic/track_selection.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QThread;
class QTimer;

namespace quellmark {

class MessageSink;
class RunProgressView;
class TrackFileDialog;

class Main : public QWidget {
    Q_OBJECT

  public:
    Main(TrackFileDialog& Dialog, MessageSink& Messages, RunProgressView& Progress,
         QWidget* Parent = nullptr);
    ~Main() override;

    IconState GetInitialIconState() const;
    CommandType GetCommandType() const;

    // Takes one track as the input, as if chosen through the input "Browse"; several become a
    // list that "Remove Icons" converts with the options then selected. Paths are the
    // system's bytes.
    void OpenTracks(const std::vector<std::string>& Tracks);

    // Runs Action once the window is on screen and placed, so that a box it shows is centred
    // on the window.
    void WhenOnScreen(std::function<void()> Action);

    // The directories chosen through the dialog, each ending in its separator; empty at start.
    QString InputDirectory() const;
    QString OutputDirectory() const;
    // Whether a run is under way; the window takes no input meanwhile.
    bool IsRunning() const { return Running_ != nullptr; }

  signals:
    void RunFinished();

  protected:
    // Local files dropped on the window are opened as by OpenTracks; folders are ignored.
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;
    // Bail Out, or closing the window, stops a run first: nothing is left behind.
    void closeEvent(QCloseEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

  private:
    void CreateControls();
    void SetTabOrder();
    void ConnectActions();

    void RemoveIcons();
    void StartRuns(std::vector<RunSettings> Runs);
    void ShowProgress();
    void EndRuns();
    void StopRuns();
    void AbandonRuns();
    void BrowseInput();
    void BrowseOutput();
    void ShowSelection();
    void ShowFullPaths();

    TrackFileDialog& Dialog_;
    MessageSink& Messages_;
    RunProgressView& Progress_;
    TrackSelection Selection_;
    std::unique_ptr<ListRun> Running_;
    bool Showing_ = false;  // the fields are being set from the selection
    QThread* Worker_ = nullptr;
    QTimer* ProgressTimer_ = nullptr;
    std::vector<std::function<void()>> OnScreen_;

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
