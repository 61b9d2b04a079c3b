#include "window/message_sink.h"

#include <QGridLayout>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>

namespace quellmark {
namespace {

constexpr QChar ZeroWidthSpace(0x200B);
constexpr int LongestUnbrokenRun = 40;

// A box no narrower than this keeps "Quellmark" whole in the title bar of any window manager.
// The box sizes itself from its layout, so the width goes in as a spacer there.
void SetUp(QMessageBox& Box) {
    auto* Layout = qobject_cast<QGridLayout*>(Box.layout());
    if (Layout != nullptr) {
        const int Width = Box.fontMetrics().horizontalAdvance(QStringLiteral("Quellmark")) * 3;
        Layout->addItem(new QSpacerItem(Width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                        Layout->rowCount(), 0, 1, Layout->columnCount());
    }
}

}  // namespace

QString BreakableText(const QString& Text) {
    QString Broken;
    int Run = 0;
    for (const QChar Character : Text) {
        Broken += Character;
        Run = Character.isSpace() ? 0 : Run + 1;
        if (Character == QLatin1Char('/') || Run == LongestUnbrokenRun) {
            Broken += ZeroWidthSpace;
            Run = 0;
        }
    }
    return Broken;
}

void MessageBoxSink::ShowMessage(QWidget* Owner, const QString& Text) {
    QMessageBox Box(QMessageBox::NoIcon, QStringLiteral("Quellmark"), BreakableText(Text),
                    QMessageBox::Ok, Owner);
    SetUp(Box);
    // Some styles put a picture on the OK button; the box shows text only.
    Box.button(QMessageBox::Ok)->setIcon(QIcon());
    Show(Box);
}

bool MessageBoxSink::Confirm(QWidget* Owner, const QString& Question, const QStringList& Details) {
    QMessageBox Box(QMessageBox::NoIcon, QStringLiteral("Quellmark"), BreakableText(Question),
                    QMessageBox::NoButton, Owner);
    SetUp(Box);
    auto* Convert = Box.addButton(QMessageBox::tr("Convert"), QMessageBox::AcceptRole);
    Box.addButton(QMessageBox::Cancel)->setIcon(QIcon());
    Box.setDefaultButton(Convert);
    Box.setDetailedText(Details.join(QLatin1Char('\n')));
    Show(Box);
    return Box.clickedButton() == Convert;
}

void MessageBoxSink::ShowSummary(QWidget* Owner, const QString& Headline,
                                 const QStringList& Details, int Failed) {
    QMessageBox Box(Failed > 0 ? QMessageBox::Warning : QMessageBox::NoIcon,
                    QStringLiteral("Quellmark"), BreakableText(Headline), QMessageBox::Ok, Owner);
    SetUp(Box);
    // The first failures in sight; all of them, and every other track, in the details.
    constexpr int FailuresInSight = 5;
    // Each marked, so that a reason that wraps is not taken for the next track.
    QStringList Sight;
    for (const auto& Line : Details.mid(0, std::min(Failed, FailuresInSight))) {
        Sight << QStringLiteral("• ") + Line;
    }
    if (Failed > FailuresInSight) {
        Sight << QMessageBox::tr("… and %1 more").arg(Failed - FailuresInSight);
    }
    Box.setInformativeText(BreakableText(Sight.join(QLatin1Char('\n'))));
    Box.button(QMessageBox::Ok)->setIcon(QIcon());
    Box.setDetailedText(Details.join(QLatin1Char('\n')));
    Show(Box);
}

void MessageBoxSink::Show(QMessageBox& Box) {
    if (BeforeShow) {
        BeforeShow(Box);
    }
    Box.exec();
}

}  // namespace quellmark
