// The window program's own start, as a shell user meets it: what it answers without a display,
// and the status it ends with.
#include <QProcess>
#include <QTest>

namespace {

class ProgramStartTest : public QObject {
    Q_OBJECT

  private slots:
    void answersAsACommandLineProgram_data() {
        QTest::addColumn<QStringList>("Arguments");
        QTest::addColumn<int>("Status");
        QTest::addColumn<QString>("Printed");
        QTest::addColumn<QString>("Said");
        const QString Try = QStringLiteral("Try 'quellmark --help' for more information.\n");
        QTest::newRow("help") << QStringList{"--help"} << 0 << "[TRACK...]"
                              << "";
        QTest::newRow("help, short") << QStringList{"-h", "a.trk"} << 0 << "Track files to open."
                                     << "";
        QTest::newRow("version") << QStringList{"--version"} << 0
                                 << "quellmark (Quellmark) " QUELLMARK_VERSION "\n"
                                 << "";
        QTest::newRow("a wrong option") << QStringList{"--frobnicate", "a.trk"} << 2 << ""
                                        << "quellmark: Unknown option 'frobnicate'.\n" + Try;
        QTest::newRow("no display")
            << QStringList{"a.trk"} << 1 << ""
            << "quellmark: no display to show the window on (DISPLAY is not set)\n";
        QTest::newRow("a track that looks like an option")
            << QStringList{"--", "--help"} << 1 << ""
            << "quellmark: no display to show the window on (DISPLAY is not set)\n";
    }
    void answersAsACommandLineProgram() {
        QFETCH(QStringList, Arguments);
        QFETCH(int, Status);
        QFETCH(QString, Printed);
        QFETCH(QString, Said);
        QProcess Program;
        QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
        for (const char* Display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            Environment.remove(QString::fromLatin1(Display));
        }
        Program.setProcessEnvironment(Environment);
        Program.start(QStringLiteral(QUELLMARK_WINDOW_PROGRAM), Arguments);
        QVERIFY(Program.waitForFinished(30000));
        QCOMPARE(Program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(Program.exitCode(), Status);
        const QString Out = QString::fromUtf8(Program.readAllStandardOutput());
        QVERIFY2(Printed.isEmpty() ? Out.isEmpty() : Out.contains(Printed), qPrintable(Out));
        QCOMPARE(QString::fromUtf8(Program.readAllStandardError()), Said);
    }
};

}  // namespace

QTEST_GUILESS_MAIN(ProgramStartTest)
#include "program_start_test.moc"
