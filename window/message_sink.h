// Where the window's messages go: a message box on screen, a recorder in tests.
#pragma once

#include <QString>

class QWidget;

namespace quellmark {

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(QWidget* Owner, const QString& Text) = 0;
    // Asks Question; true when the user agrees.
    virtual bool Confirm(QWidget* Owner, const QString& Question) = 0;
};

// A modal box with the text, one OK button, no icon and the title "Quellmark"; a question has
// "Convert" and "Cancel" instead.
class MessageBoxSink : public MessageSink {
  public:
    void ShowMessage(QWidget* Owner, const QString& Text) override;
    bool Confirm(QWidget* Owner, const QString& Question) override;
};

// Text with break opportunities after each '/' and inside long runs without spaces, so that a
// box wraps a long file name instead of cutting it off where it differs: at its end.
QString BreakableText(const QString& Text);

}  // namespace quellmark
