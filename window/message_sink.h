// Where the window's messages go: boxes on screen, a recorder in tests.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QDialog;
class QWidget;

namespace quellmark {

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(QWidget* Owner, const QString& Text) = 0;
    // Asks Question, with Details (one line each) in a list below it; true when the user
    // chooses Convert. Cancel is the default.
    virtual bool Confirm(QWidget* Owner, const QString& Question, const QStringList& Details) = 0;
    // The end of a list: Headline with the counts, InSight (the first failures) below it with a
    // warning sign where there are any, and a line per track in a list.
    virtual void ShowSummary(QWidget* Owner, const QString& Headline, const QStringList& InSight,
                             const QStringList& Details) = 0;
};

// A modal box titled "Quellmark" with the text and one OK button, no icon. A question or a
// summary shows its lines in a list that can be read at any length: the box starts at a useful
// size, never taller than the screen, and can be made larger.
class MessageBoxSink : public MessageSink {
  public:
    void ShowMessage(QWidget* Owner, const QString& Text) override;
    bool Confirm(QWidget* Owner, const QString& Question, const QStringList& Details) override;
    void ShowSummary(QWidget* Owner, const QString& Headline, const QStringList& InSight,
                     const QStringList& Details) override;

    // Called with each box just before it is shown, for tests that look at the real box.
    std::function<void(QDialog&)> BeforeShow;

  private:
    int Show(QDialog& Box);
};

// Text with break opportunities after each separator and inside long runs without spaces, so
// that a box wraps a long file name instead of cutting it off where it differs: at its end.
QString BreakableText(const QString& Text);

}  // namespace quellmark
