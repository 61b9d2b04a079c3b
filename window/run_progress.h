// What the window shows while a run goes on off the GUI thread: a progress box with a Stop
// button, behind a small interface so that tests can press Stop when they like.
#pragma once

#include <QString>
#include <functional>

class QDialog;
class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

namespace quellmark {

class RunProgressView {
  public:
    virtual ~RunProgressView() = default;
    // Shows the box over Owner, or updates it: Label names the track, Permille the share done
    // of the whole run; Stop ends it while Stoppable.
    virtual void Show(QWidget* Owner, const QString& Label, int Permille, bool Stoppable,
                      std::function<void()> Stop) = 0;
    virtual void Hide() = 0;
};

// A progress box titled "Quellmark" over the window, not modal: the window itself takes no
// input but Bail Out and its close, which stop the run too. Stop has the focus, and Esc
// presses it.
class ProgressDialogView : public RunProgressView {
  public:
    ~ProgressDialogView() override;
    void Show(QWidget* Owner, const QString& Label, int Permille, bool Stoppable,
              std::function<void()> Stop) override;
    void Hide() override;

  private:
    QDialog* Dialog_ = nullptr;
    QLabel* Text_ = nullptr;
    QProgressBar* Bar_ = nullptr;
    QPushButton* StopButton_ = nullptr;
};

}  // namespace quellmark
