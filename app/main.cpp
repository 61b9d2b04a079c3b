#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QFontInfo>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "window/main_window.h"
#include "window/message_sink.h"
#include "window/run_progress.h"
#include "window/track_file_dialog.h"
#include "window_logic/run_words.h"
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

struct CommandLine {
    bool HasOptions = false;
    std::vector<std::string> Tracks;  // the bytes the shell passed
};

CommandLine SplitCommandLine(int argc, char** argv) {
    CommandLine Line;
    bool OptionsEnded = false;
    for (int At = 1; At < argc; ++At) {
        const std::string_view Word = argv[At];
        if (!OptionsEnded && Word == "--") {
            OptionsEnded = true;
        } else if (!OptionsEnded && Word.size() > 1 && Word.front() == '-') {
            Line.HasOptions = true;
        } else {
            Line.Tracks.emplace_back(Word);
        }
    }
    return Line;
}

// --help, --version and wrong options are answered without a display, as a command-line
// program answers them: a wrong option gives exit status 2, as quellmark-convert gives.
int AnswerOptions(int argc, char** argv) {
    QCoreApplication Core(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quellmark"));
    QCommandLineParser Parser;
    Parser.setApplicationDescription(
        QCoreApplication::translate("main",
                                    "Rewrite a recorded track so that it plays back without "
                                    "object icons. One TRACK is opened as the input; "
                                    "several are loaded as a list to convert."));
    Parser.addHelpOption();
    const QCommandLineOption Version(QStringList{QStringLiteral("version")},
                                     QCoreApplication::translate("main", "Print the version."));
    Parser.addOption(Version);
    Parser.addPositionalArgument(QStringLiteral("TRACK"),
                                 QCoreApplication::translate("main", "Track files to open."),
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
    const CommandLine Line = SplitCommandLine(argc, argv);
    if (Line.HasOptions) {
        return AnswerOptions(argc, argv);
    }
    QApplication Application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quellmark"));
    QApplication::setApplicationVersion(QStringLiteral(QUELLMARK_VERSION));
    UseProportionalFont();

    quellmark::QtTrackFileDialog Dialog;
    quellmark::MessageBoxSink Messages;
    quellmark::ProgressDialogView Progress;
    quellmark::Main Window(Dialog, Messages, Progress);
    Window.show();
    const auto Arguments = quellmark::ReadTrackArguments(Line.Tracks);
    if (Arguments.Tracks.size() == 1 && !Arguments.Missing.empty()) {
        // Once the window is placed, so that the box is centred on it.
        const QString Problem = QString::fromStdString(
            quellmark::MissingTrackMessage(Arguments.Missing.front(), [](const std::string& Path) {
                return QFile::decodeName(QByteArray::fromStdString(Path)).toStdString();
            }));
        Window.WhenOnScreen(
            [&Messages, &Window, Problem] { Messages.ShowMessage(&Window, Problem); });
    } else {
        Window.OpenTracks(Arguments.Tracks);
    }
    return QApplication::exec();
}
