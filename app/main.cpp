#include <QApplication>
#include <QCommandLineParser>
#include <QFontInfo>
#include <cstdio>
#include <string>
#include <vector>

#include "window/main_window.h"
#include "window/message_sink.h"
#include "window/run_progress.h"
#include "window/track_file_dialog.h"
#include "window_logic/track_arguments.h"

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

// --help, --version and wrong options are answered without a display, as a command-line
// program answers them: a wrong option gives exit status 2, as quellmark-convert gives.
int AnswerOptions(int argc, char** argv) {
    QCoreApplication Core(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quellmark"));
    QCommandLineParser Parser;
    Parser.setApplicationDescription(QString::fromUtf8(quellmark::WindowProgramPurpose));
    Parser.addHelpOption();
    const QCommandLineOption Version(QStringList{QStringLiteral("version")},
                                     QStringLiteral("Print the version."));
    Parser.addOption(Version);
    Parser.addPositionalArgument(QStringLiteral("TRACK"),
                                 QString::fromUtf8(quellmark::WindowProgramTracks),
                                 QStringLiteral("[TRACK...]"));
    if (!Parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "quellmark: %s\nTry 'quellmark --help' for more information.\n",
                     qPrintable(Parser.errorText()));
        return 2;
    }
    if (Parser.isSet(Version)) {
        std::printf("quellmark (Quellmark) %s\n", QUELLMARK_VERSION);
        return 0;
    }
    Parser.showHelp(0);
}

}  // namespace

int main(int argc, char** argv) {
    const auto Line = quellmark::SplitWindowCommandLine({argv + 1, argv + argc});
    if (!Line.Options.empty()) {
        return AnswerOptions(argc, argv);
    }
    // Qt would abort with a long story; a command-line user gets one line and a status.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fprintf(stderr, "quellmark: no display to show the window on (DISPLAY is not set)\n");
        return 1;
    }
    QApplication Application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quellmark"));
    QApplication::setApplicationVersion(QStringLiteral(QUELLMARK_VERSION));
    UseProportionalFont();

    quellmark::QtTrackFileDialog Dialog;
    quellmark::MessageBoxSink Messages;
    quellmark::ProgressDialogView Progress;
    quellmark::Main Window(Dialog, Messages, Progress);
    Window.Presenter().OpenArguments(Line.Tracks);
    Window.show();
    return QApplication::exec();
}
