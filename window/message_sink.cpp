#include "window/message_sink.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <algorithm>

#include "window_logic/window_layout.h"

namespace quellmark {
namespace {

constexpr QChar ZeroWidthSpace(0x200B);
constexpr int LongestUnbrokenRun = 40;

// A box no narrower than this keeps "Quellmark" whole in the title bar of any window manager.
int TitleWidth(const QWidget& Box) {
    return Box.fontMetrics().horizontalAdvance(QStringLiteral("Quellmark")) * 3;
}

QLabel* TextLabel(const QString& Text, QWidget* Parent) {
    auto* Label = new QLabel(BreakableText(Text), Parent);
    Label->setWordWrap(true);
    Label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A box too low for everything takes the room from the list, never from the text.
    QSizePolicy Policy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    Policy.setHeightForWidth(true);
    Label->setSizePolicy(Policy);
    return Label;
}

// A box with Text, a warning sign where asked, and Lines in a list of their own that grows with
// the box; a question's buttons are Convert and Cancel, Cancel the default, else OK.
void BuildListBox(QDialog& Box, const QString& Text, const QString& InSight,
                  const QStringList& Lines, bool Warning, bool Question) {
    Box.setWindowTitle(QStringLiteral("Quellmark"));
    Box.setSizeGripEnabled(true);
    auto* Layout = new QGridLayout(&Box);
    if (Warning) {
        auto* Sign = new QLabel(&Box);
        Sign->setPixmap(Box.style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
        Layout->addWidget(Sign, 0, 0, 2, 1, Qt::AlignTop);
    }
    // Beside the sign, or across the box without one.
    const int Column = Warning ? 1 : 0, Span = Warning ? 1 : 2;
    Layout->addWidget(TextLabel(Text, &Box), 0, Column, 1, Span);
    if (!InSight.isEmpty()) {
        Layout->addWidget(TextLabel(InSight, &Box), 1, Column, 1, Span);
    }
    auto* List = new QPlainTextEdit(Lines.join(QLatin1Char('\n')), &Box);
    List->setReadOnly(true);
    List->setLineWrapMode(QPlainTextEdit::NoWrap);
    List->setAccessibleName(Question ? QString::fromUtf8(QuestionListAccessibleName)
                                     : QStringLiteral("Every track's result"));
    const QFontMetrics Metrics(List->font());
    // A few lines in sight at once, however few the tracks.
    List->setMinimumHeight(Metrics.lineSpacing() * (std::min<int>(Lines.size(), 6) + 1) +
                           2 * List->frameWidth());
    Layout->addWidget(List, 2, 0, 1, 2);
    Layout->setRowStretch(2, 1);
    // The text takes the width the sign leaves, never half of it.
    Layout->setColumnStretch(1, 1);
    auto* Buttons = new QDialogButtonBox(&Box);
    if (Question) {
        Buttons->addButton(QStringLiteral("Convert"), QDialogButtonBox::AcceptRole);
    }
    QPushButton* Default =
        Buttons->addButton(Question ? QDialogButtonBox::Cancel : QDialogButtonBox::Ok);
    Default->setIcon(QIcon());
    Default->setDefault(true);
    Default->setFocus();
    QObject::connect(Buttons, &QDialogButtonBox::accepted, &Box, &QDialog::accept);
    QObject::connect(Buttons, &QDialogButtonBox::rejected, &Box, &QDialog::reject);
    Layout->addWidget(Buttons, 3, 0, 1, 2);
    const QSize Room = Box.screen()->availableGeometry().size() * 9 / 10;
    const int Width =
        std::min(std::max(Metrics.averageCharWidth() * 100, TitleWidth(Box)), Room.width());
    // High enough for the wrapped text in full at that width, a reason of many lines included,
    // and for the list's lines up to 16: the layout counts the editor's own hint for the list,
    // which is neither.
    Layout->activate();
    const int ListHigh =
        List->minimumHeight() +
        Metrics.lineSpacing() * (std::min<int>(Lines.size(), 16) - std::min<int>(Lines.size(), 6));
    const int Needed = Layout->totalHeightForWidth(Width) -
                       std::max(List->sizeHint().height(), List->minimumHeight()) + ListHigh;
    Box.resize(Width, std::min(Needed, Room.height()));
}

}  // namespace

QString BreakableText(const QString& Text) {
    QString Broken;
    int Run = 0;
    for (const QChar Character : Text) {
        Broken += Character;
        Run = Character.isSpace() ? 0 : Run + 1;
        // Never right after a quote or a drive's colon: "'/" alone must not end a line.
        const bool Separator = Character == QLatin1Char('/') || Character == QLatin1Char('\\');
        if ((Separator && Run > 2) || Run == LongestUnbrokenRun) {
            Broken += ZeroWidthSpace;
            Run = 0;
        }
    }
    return Broken;
}

void MessageBoxSink::ShowMessage(QWidget* Owner, const QString& Text) {
    QMessageBox Box(QMessageBox::NoIcon, QStringLiteral("Quellmark"), BreakableText(Text),
                    QMessageBox::Ok, Owner);
    if (auto* Layout = qobject_cast<QGridLayout*>(Box.layout())) {
        Layout->addItem(
            new QSpacerItem(TitleWidth(Box), 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
            Layout->rowCount(), 0, 1, Layout->columnCount());
    }
    // Some styles put a picture on the OK button; the box shows text only.
    Box.button(QMessageBox::Ok)->setIcon(QIcon());
    Show(Box);
}

bool MessageBoxSink::Confirm(QWidget* Owner, const QString& Question, const QStringList& Details) {
    QDialog Box(Owner);
    BuildListBox(Box, Question, {}, Details, false, true);
    return Show(Box) == QDialog::Accepted;
}

void MessageBoxSink::ShowSummary(QWidget* Owner, const QString& Headline,
                                 const QStringList& InSight, const QStringList& Details) {
    QDialog Box(Owner);
    BuildListBox(Box, Headline, InSight.join(QLatin1Char('\n')), Details, !InSight.isEmpty(),
                 false);
    Show(Box);
}

int MessageBoxSink::Show(QDialog& Box) {
    if (BeforeShow) {
        BeforeShow(Box);
    }
    return Box.exec();
}

}  // namespace quellmark
