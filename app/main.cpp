#include <QApplication>
#include <QCommandLineParser>
#include <QFontInfo>
#include <QTimer>

#include "window/main_window.h"
#include "window/message_sink.h"
#include "window/track_arguments.h"
#include "window/track_file_dialog.h"

namespace {

// Where fontconfig's sans-serif is a monospace face (a minimal install with only the
// Liberation fonts), dialogs and message boxes would be drawn in it.
void UseProportionalFont() {
    QFont Font = QApplication::font();
    if (QFontInfo(Font).fixedPitch()) {
        Font.setFamily(QStringLiteral("Liberation Sans"));
        QApplication::setFont(Font);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication Application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quellmark"));
    QApplication::setApplicationVersion(QStringLiteral(QUELLMARK_VERSION));
    QCommandLineParser Parser;
    Parser.setApplicationDescription(
        QApplication::translate("main",
                                "Rewrite a recorded track so that it plays back without "
                                "object icons. One TRACK is opened as the input; "
                                "several are converted as a list."));
    Parser.addHelpOption();
    Parser.addVersionOption();
    Parser.addPositionalArgument(QStringLiteral("TRACK"),
                                 QApplication::translate("main", "Track files to open."),
                                 QStringLiteral("[TRACK...]"));
    Parser.process(Application);
    UseProportionalFont();

    quellmark::QtTrackFileDialog Dialog;
    quellmark::MessageBoxSink Messages;
    quellmark::Main Window(Dialog, Messages);
    Window.show();
    const auto Arguments = quellmark::CheckTrackArguments(Parser.positionalArguments());
    // Once the window is on screen, so that any message box has it as its owner.
    QTimer::singleShot(0, &Window, [&] {
        if (!Arguments.Problems.isEmpty()) {
            Messages.ShowMessage(&Window, Arguments.Problems.join(QLatin1Char('\n')));
        }
        Window.OpenTracks(Arguments.Tracks);
    });
    return QApplication::exec();
}
