#include <QApplication>

#include "window/main_window.h"
#include "window/message_sink.h"
#include "window/track_file_dialog.h"

int main(int argc, char** argv) {
    QApplication Application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quellmark"));
    quellmark::QtTrackFileDialog Dialog;
    quellmark::MessageBoxSink Messages;
    quellmark::Main Window(Dialog, Messages);
    Window.show();
    return QApplication::exec();
}
