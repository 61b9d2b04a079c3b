// What the window shows while a run goes on off the GUI thread: a progress dialog with a Stop
// button, behind a small interface so that tests can press Stop when they like.
#pragma once

#include <QString>
#include <functional>

class QProgressDialog;
class QWidget;

namespace quellmark {

class RunProgressView {
  public:
    virtual ~RunProgressView() = default;
    // A run starts; Stop ends it.
    virtual void Start(QWidget* Owner, std::function<void()> Stop) = 0;
    // Where the run is: Label names the track, Permille the share done of the whole run.
    virtual void Update(const QString& Label, int Permille) = 0;
    // The run has ended.
    virtual void Finish() = 0;
};

// A window-modal progress dialog titled "Quellmark", shown once a run has lasted half a second.
class ProgressDialogView : public RunProgressView {
  public:
    ~ProgressDialogView() override;
    void Start(QWidget* Owner, std::function<void()> Stop) override;
    void Update(const QString& Label, int Permille) override;
    void Finish() override;

  private:
    QProgressDialog* Dialog_ = nullptr;
};

}  // namespace quellmark
