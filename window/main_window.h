// The program's one window: the two track fields with their "Browse" buttons, the choice of
// the icon state at the start of the recording and of the replacement command, "Remove Icons"
// and "Bail Out". A view: the shared presenter decides what each act does.
#pragma once

#include <QWidget>
#include <map>
#include <string>
#include <vector>

#include "window/message_sink.h"
#include "window/run_progress.h"
#include "window_logic/main_presenter.h"
#include "window_logic/window_layout.h"

class QLineEdit;
class QThread;
class QTimer;

namespace quellmark {

class TrackFileDialog;

class Main : public QWidget, public MainView {
    Q_OBJECT

  public:
    Main(TrackFileDialog& Dialog, MessageSink& Messages, RunProgressView& Progress,
         QWidget* Parent = nullptr);
    ~Main() override;

    MainPresenter& Presenter() { return Presenter_; }
    QWidget* Control(ControlId Id) const { return Controls_.at(Id); }

    // MainView
    bool IsChecked(ControlId Option) const override;
    void ShowFields(const FieldsShown& Fields) override;
    std::vector<std::string> AskForTracks(const std::string& Last) override;
    std::string AskForOutput(const std::string& Last) override;
    std::string AskForFolder(const std::string& Last) override;
    void ShowMessage(const std::string& Text) override {
        Messages_.ShowMessage(this, QString::fromStdString(Text));
    }
    bool Confirm(const ListReport& Question) override;
    void ShowSummary(const ListReport& Summary) override;
    void StartWork(std::function<void()> Work) override;
    void ShowProgress(const ProgressShown& Progress) override;
    void HideProgress() override { Progress_.Hide(); }
    void Focus(ControlId Id) override { Control(Id)->setFocus(Qt::OtherFocusReason); }
    void Close() override { close(); }

  protected:
    // Local files dropped on the window are opened; folders are left out.
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;
    // Bail Out, or closing the window, stops a run first: nothing is left behind.
    void closeEvent(QCloseEvent* Event) override;
    // The window's first showing.
    bool eventFilter(QObject* Watched, QEvent* Event) override;

  private:
    void CreateControls();
    void SetTabOrder();
    void ConnectActions();
    void SetInputEnabled(bool Enabled);
    QLineEdit* Field(ControlId Id) const;

    TrackFileDialog& Dialog_;
    MessageSink& Messages_;
    RunProgressView& Progress_;
    MainPresenter Presenter_;
    std::map<ControlId, QWidget*> Controls_;
    bool Showing_ = false;  // the fields are being set from the presenter
    QThread* Worker_ = nullptr;
    QTimer* Ticks_ = nullptr;
};

}  // namespace quellmark
