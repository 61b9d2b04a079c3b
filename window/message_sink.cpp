#include "window/message_sink.h"

#include <QIcon>
#include <QMessageBox>
#include <QPushButton>

namespace quellmark {

void MessageBoxSink::ShowMessage(QWidget* Owner, const QString& Text) {
    QMessageBox Box(QMessageBox::NoIcon, QStringLiteral("Quellmark"), Text, QMessageBox::Ok, Owner);
    // Some styles put a picture on the OK button; the box shows text only.
    Box.button(QMessageBox::Ok)->setIcon(QIcon());
    Box.exec();
}

}  // namespace quellmark
