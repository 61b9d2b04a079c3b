// Where the window's messages go: a message box on screen, a recorder in tests.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QMessageBox;
class QWidget;

namespace quellmark {

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(QWidget* Owner, const QString& Text) = 0;
    // Asks Question, with Details (one line each) out of the way below it; true when the user
    // agrees.
    virtual bool Confirm(QWidget* Owner, const QString& Question, const QStringList& Details) = 0;
    // The end of a list: Headline with the counts, a line per track below it, the first
    // Failed of them failures, shown with a warning sign.
    virtual void ShowSummary(QWidget* Owner, const QString& Headline, const QStringList& Details,
                             int Failed) = 0;
};

// A modal box with the text, one OK button, no icon and the title "Quellmark"; a question has
// "Convert" and "Cancel" instead. Details go in the box's scrollable details area, so that no
// box grows taller than the screen.
class MessageBoxSink : public MessageSink {
  public:
    void ShowMessage(QWidget* Owner, const QString& Text) override;
    bool Confirm(QWidget* Owner, const QString& Question, const QStringList& Details) override;
    void ShowSummary(QWidget* Owner, const QString& Headline, const QStringList& Details,
                     int Failed) override;

    // Called with each box just before it is shown, for tests that look at the real box.
    std::function<void(QMessageBox&)> BeforeShow;

  private:
    void Show(QMessageBox& Box);
};

// Text with break opportunities after each '/' and inside long runs without spaces, so that a
// box wraps a long file name instead of cutting it off where it differs: at its end.
QString BreakableText(const QString& Text);

}  // namespace quellmark
