// Where the window's messages go: a message box on screen, a recorder in tests.
#pragma once

#include <QString>

class QWidget;

namespace quellmark {

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(QWidget* Owner, const QString& Text) = 0;
};

// A modal box with the text, one OK button, no icon and the title "Quellmark".
class MessageBoxSink : public MessageSink {
  public:
    void ShowMessage(QWidget* Owner, const QString& Text) override;
};

}  // namespace quellmark
