// The window driven as a user would, with a stand-in file dialog and a message recorder.
#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

#include <sys/stat.h>

#include "tests/support/track_head.h"
#include "window/main_window.h"
#include "window/message_sink.h"
#include "window/run_progress.h"
#include "window/track_file_dialog.h"

namespace quellmark {
namespace {

// Answers the dialogs from a script: a path is chosen, an empty entry cancels.
class ScriptedDialog : public TrackFileDialog {
  public:
    void Prepare(QWidget*) override { ++Prepared; }
    bool ShowOpen() override { return Answer(QStringLiteral("open")); }
    bool ShowSave() override { return Answer(QStringLiteral("save")); }
    QString FileName() const override { return FileName_; }
    void SetFileName(const QString& FileName) override { FileName_ = FileName; }

    QStringList Script;
    QStringList Shown;
    int Prepared = 0;

  private:
    bool Answer(const QString& Mode) {
        Shown << Mode;
        const QString Choice = Script.takeFirst();
        if (Choice.isEmpty()) {
            return false;
        }
        FileName_ = Choice;
        return true;
    }
    QString FileName_;
};

// Records each message; a question or a summary as its first line, then one line per detail.
class RecordingSink : public MessageSink {
  public:
    void ShowMessage(QWidget*, const QString& Text) override { Messages << Text; }
    bool Confirm(QWidget*, const QString& Question, const QStringList& Details) override {
        Questions << (QStringList{Question} + Details).join('\n');
        return Answer;
    }
    void ShowSummary(QWidget*, const QString& Headline, const QStringList& Details,
                     int Failed) override {
        Messages << (QStringList{Headline} + Details).join('\n');
        Failures << Failed;
    }
    QStringList Messages;
    QStringList Questions;
    QList<int> Failures;
    bool Answer = true;
};

// Stands in for the progress dialog; presses Stop as soon as a run starts when asked to, and
// runs Meanwhile while the run is under way.
class ScriptedProgress : public RunProgressView {
  public:
    void Start(QWidget*, std::function<void()> Stop) override {
        ++Started;
        if (StopAtOnce) {
            Stop();
        }
        if (Meanwhile) {
            Meanwhile();
        }
    }
    void Update(const QString&, int) override {}
    void Finish() override { ++Finished; }
    bool StopAtOnce = false;
    std::function<void()> Meanwhile;
    int Started = 0;
    int Finished = 0;
};

QByteArray Track(const QByteArray& Body) {
    return QByteArray::fromStdString(test::TrackHead()) + Body;
}

void WriteFile(const QString& Path, const QByteArray& Content) {
    QFile File(Path);
    QVERIFY(File.open(QIODevice::WriteOnly));
    QCOMPARE(File.write(Content), Content.size());
}

QByteArray ReadFile(const QString& Path) {
    QFile File(Path);
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray("<missing>");
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

  private:
    template <typename Control>
    Control* Find(const QString& Name) {
        auto* Found = Window->findChild<Control*>(Name);
        if (Found == nullptr) {
            qFatal("no control %s", qPrintable(Name));
        }
        return Found;
    }
    QLineEdit* InputField() { return Find<QLineEdit>(QStringLiteral("txtInputTrackFile")); }
    QLineEdit* OutputField() { return Find<QLineEdit>(QStringLiteral("txtOutputTrackFile")); }
    void Press(const char* Button) { Find<QPushButton>(QString::fromLatin1(Button))->click(); }
    // Presses "Remove Icons" and waits for the run, which goes on in a thread of its own.
    void RemoveIcons() {
        Press("cmdRemoveIcons");
        WaitForRun();
    }
    void WaitForRun() { QTRY_VERIFY_WITH_TIMEOUT(!Window->IsRunning(), 20000); }

    std::unique_ptr<QTemporaryDir> Folder;
    QString Path(const QString& Name) const { return Folder->filePath(Name); }
    std::unique_ptr<ScriptedDialog> Dialog;
    std::unique_ptr<RecordingSink> Sink;
    std::unique_ptr<ScriptedProgress> Progress;
    std::unique_ptr<Main> Window;

  private slots:
    void init() {
        Folder = std::make_unique<QTemporaryDir>();
        QVERIFY(Folder->isValid());
        Dialog = std::make_unique<ScriptedDialog>();
        Sink = std::make_unique<RecordingSink>();
        Progress = std::make_unique<ScriptedProgress>();
        Window = std::make_unique<Main>(*Dialog, *Sink, *Progress);
        Window->show();
        QVERIFY(QTest::qWaitForWindowActive(Window.get()));
    }
    void cleanup() { Window.reset(); }

    void startsReady() {
        QCOMPARE(Window->windowTitle(), QStringLiteral("Quellmark"));
        QCOMPARE(Window->size(), QSize(436, 295));
        QCOMPARE(Dialog->Prepared, 1);
        QVERIFY(InputField()->text().isEmpty());
        QVERIFY(OutputField()->text().isEmpty());
        QVERIFY(Find<QRadioButton>(QStringLiteral("optIconStateOff"))->isChecked());
        QVERIFY(Find<QRadioButton>(QStringLiteral("optViews"))->isChecked());
        QCOMPARE(Window->GetInitialIconState(), IconState::Off);
        QCOMPARE(Window->GetCommandType(), CommandType::Views);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmdRemoveIcons"));
        QVERIFY(Window->InputDirectory().isEmpty());
        QVERIFY(Window->OutputDirectory().isEmpty());
    }

    void layout_data() {
        QTest::addColumn<QString>("Caption");
        QTest::addColumn<QRect>("Twips");
        QTest::addColumn<qreal>("Points");
        const auto Row = [](const char* Name, const char* Caption, QRect Twips, qreal Points) {
            QTest::newRow(Name) << QString::fromUtf8(Caption) << Twips << Points;
        };
        Row("Label1", "Input Track:", {0, 360, 1695, 375}, 12);
        Row("txtInputTrackFile", "", {1680, 360, 3495, 375}, 12);
        Row("cmdInputBrowse", "Browse", {5280, 360, 1215, 375}, 12);
        Row("Label2", "Output Track:", {0, 1080, 1695, 375}, 12);
        Row("txtOutputTrackFile", "", {1680, 1080, 3495, 375}, 12);
        Row("cmdOutputBrowse", "Browse", {5280, 1080, 1215, 375}, 12);
        Row("Frame1", "Original Icon State", {480, 1800, 2415, 1815}, 8.25);
        Row("optIconStateOff", "Off", {120, 240, 1455, 375}, 8.25);
        Row("optIconStateLow", "Range Only", {120, 600, 1455, 375}, 8.25);
        Row("optIconStateMedium", "Range & Type", {120, 960, 1575, 375}, 8.25);
        Row("optIconStateFull", "Range, Type & Name", {120, 1320, 2175, 375}, 8.25);
        Row("Frame2", "What To Screw Up", {3120, 1800, 2175, 1575}, 8.25);
        Row("optViews", "Views", {120, 240, 1695, 300}, 8.25);
        Row("optTimeCompression", "Time Compression", {120, 600, 1935, 300}, 8.25);
        Row("optUseNullCommand", "Neither (Untested)", {120, 960, 1935, 300}, 8.25);
        Row("cmdRemoveIcons", "Remove Icons", {480, 3840, 1455, 375}, 8.25);
        Row("cmdExit", "Bail Out", {5040, 3840, 1455, 375}, 12);
    }

    // Every control where the layout puts it, in its font, with its caption shown whole.
    void layout() {
        QFETCH(QString, Caption);
        QFETCH(QRect, Twips);
        QFETCH(qreal, Points);
        auto* Control = Find<QWidget>(QString::fromLatin1(QTest::currentDataTag()));
        QCOMPARE(Control->geometry(),
                 QRect(Twips.x() / 15, Twips.y() / 15, Twips.width() / 15, Twips.height() / 15));
        QCOMPARE(Control->font().pointSizeF(), Points);
        QVERIFY(Control->font().bold());

        const QFontMetrics Metrics(Control->font());
        QString Shown;
        int Room = 0;
        if (auto* Button = qobject_cast<QAbstractButton*>(Control)) {
            Shown = Button->text().replace(QStringLiteral("&&"), QStringLiteral("&"));
            QStyleOptionButton Option;
            Option.initFrom(Button);
            const bool Radio = qobject_cast<QRadioButton*>(Button) != nullptr;
            Room = Control->style()
                       ->subElementRect(
                           Radio ? QStyle::SE_RadioButtonContents : QStyle::SE_PushButtonContents,
                           &Option, Button)
                       .width();
        } else if (auto* Label = qobject_cast<QLabel*>(Control)) {
            Shown = Label->text();
            Room = Label->contentsRect().width();
        } else if (auto* Group = qobject_cast<QGroupBox*>(Control)) {
            Shown = Group->title();
            Room = Group->width() - 16;
        }
        QCOMPARE(Shown, Caption);
        QVERIFY2(Metrics.horizontalAdvance(Shown) <= Room,
                 qPrintable(QStringLiteral("needs %1 px, has %2 in %3")
                                .arg(Metrics.horizontalAdvance(Shown))
                                .arg(Room)
                                .arg(Control->font().family())));
    }

    // Tab follows the layout's order and, as usual for option groups, stops only on the selected
    // option of each group.
    void tabVisitsControlsInOrder_data() {
        QTest::addColumn<QStringList>("Selected");
        QTest::addColumn<QStringList>("Expected");
        QTest::newRow("at start") << QStringList{}
                                  << QStringList{"optIconStateOff", "txtInputTrackFile",
                                                 "cmdInputBrowse",  "txtOutputTrackFile",
                                                 "cmdOutputBrowse", "optViews",
                                                 "cmdExit",         "cmdRemoveIcons"};
        QTest::newRow("other options")
            << QStringList{"optIconStateMedium", "optUseNullCommand"}
            << QStringList{"optIconStateMedium", "txtInputTrackFile", "cmdInputBrowse",
                           "txtOutputTrackFile", "cmdOutputBrowse",   "cmdExit",
                           "optUseNullCommand",  "cmdRemoveIcons"};
    }

    void tabVisitsControlsInOrder() {
        QFETCH(QStringList, Selected);
        QFETCH(QStringList, Expected);
        for (const auto& Option : Selected) {
            Find<QRadioButton>(Option)->setChecked(true);
        }
        Find<QPushButton>(QStringLiteral("cmdRemoveIcons"))->setFocus();
        QStringList Visited;
        for (int Step = 0; Step < Expected.size(); ++Step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            Visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(Visited, Expected);
    }

    void arrowKeysMoveWithinAnOptionGroup() {
        auto* Off = Find<QRadioButton>(QStringLiteral("optIconStateOff"));
        Off->setFocus();
        QTest::keyClick(Off, Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("optIconStateLow"));
        QCOMPARE(Window->GetInitialIconState(), IconState::Low);
    }

    void optionsChooseTheRun_data() {
        QTest::addColumn<QString>("IconOption");
        QTest::addColumn<QString>("CommandOption");
        QTest::addColumn<int>("InsertedPairs");
        QTest::addColumn<QByteArray>("StartLine");
        QTest::newRow("off, views") << "optIconStateOff"
                                    << "optViews" << 0 << QByteArray("  9 203 1 270 WING3\r\n");
        QTest::newRow("range only, time compression")
            << "optIconStateLow"
            << "optTimeCompression" << 3 << QByteArray("  9 24 1 0\r\n");
        QTest::newRow("range and type, neither")
            << "optIconStateMedium"
            << "optUseNullCommand" << 2 << QByteArray("  9 0 1 0\r\n");
        QTest::newRow("range, type and name, views")
            << "optIconStateFull"
            << "optViews" << 1 << QByteArray("  9 203 1 270 WING3\r\n");
    }

    void optionsChooseTheRun() {
        QFETCH(QString, IconOption);
        QFETCH(QString, CommandOption);
        QFETCH(int, InsertedPairs);
        QFETCH(QByteArray, StartLine);
        WriteFile(Path("in.trk"), Track("  9 279 1 0\r\n"));
        InputField()->setText(Path("in.trk"));
        OutputField()->setText(Path("out.trk"));
        QTest::mouseClick(Find<QRadioButton>(IconOption), Qt::LeftButton, {}, QPoint(8, 8));
        QTest::mouseClick(Find<QRadioButton>(CommandOption), Qt::LeftButton, {}, QPoint(8, 8));
        QTest::mouseClick(Find<QPushButton>(QStringLiteral("cmdRemoveIcons")), Qt::LeftButton);
        WaitForRun();

        QCOMPARE(Sink->Messages, QStringList{QStringLiteral("Finished Processing")});
        const QByteArray Output = ReadFile(Path("out.trk"));
        QCOMPARE(Output.count("  0 279 1 0\r\n\r\n  0 279 0 0\r\n\r\n"), InsertedPairs);
        QVERIFY(Output.endsWith(StartLine));
    }

    void removeIconsAtOnceRefusesSameFile() {
        RemoveIcons();
        QCOMPARE(Sink->Messages,
                 QStringList{QStringLiteral("Input and Output Files Can't Be The Same File")});
    }

    // Unlike the first version of the window, which said nothing of a track without a record
    // section, the user learns that the output still has the icons on.
    void trackWithoutRecordSectionIsNamedAndWindowStaysReady() {
        WriteFile(Path("short.trk"), "player W\r\nno record section\r\n");
        WriteFile(Path("in.trk"), Track("  9 279 1 0\r\n"));
        InputField()->setText(Path("short.trk"));
        OutputField()->setText(Path("out.trk"));
        RemoveIcons();
        QCOMPARE(Sink->Messages, QStringList{"'short.trk' was not converted (no record section): "
                                             "'out.trk' is a copy with the icons still on"});
        QCOMPARE(ReadFile(Path("out.trk")), QByteArray("player W\r\nno record section\r\n"));

        InputField()->setText(Path("in.trk"));
        RemoveIcons();
        QCOMPARE(Sink->Messages.constLast(), QStringLiteral("Finished Processing"));
    }

    void failedRunNamesFileAndReason() {
        InputField()->setText(Path("missing.trk"));
        OutputField()->setText(Path("out.trk"));
        RemoveIcons();
        QCOMPARE(
            Sink->Messages,
            QStringList{QStringLiteral("Can't open input track '%1': No such file or directory")
                            .arg(Path("missing.trk"))});
        QVERIFY(!QFile::exists(Path("out.trk")));
    }

    void browseFillsFieldsAndDirectories_data() {
        QTest::addColumn<QStringList>("Script");
        QTest::addColumn<QStringList>("Buttons");
        QTest::addColumn<QStringList>("Expected");  // input, output, input dir, output dir
        const QStringList In = {"cmdInputBrowse"}, Out = {"cmdOutputBrowse"};
        QTest::newRow("input") << QStringList{"/tracks/a.trk"} << In
                               << QStringList{"a.trk", "NoIcons_a.trk", "/tracks/", "/tracks/"};
        QTest::newRow("input then output") << QStringList{"/tracks/a.trk", "/out/b.trk"} << In + Out
                                           << QStringList{"a.trk", "b.trk", "/tracks/", "/out/"};
        QTest::newRow("output then input follows the input")
            << QStringList{"/out/b.trk", "/tracks/a.trk"} << Out + In
            << QStringList{"a.trk", "NoIcons_a.trk", "/tracks/", "/tracks/"};
        QTest::newRow("cancelled input at start")
            << QStringList{""} << In << QStringList{"", "", "", ""};
        QTest::newRow("cancelled input after both chosen")
            << QStringList{"/tracks/a.trk", "/out/b.trk", ""} << In + Out + In
            << QStringList{"a.trk", "b.trk", "/tracks/", "/out/"};
        QTest::newRow("cancelled output after input only")
            << QStringList{"/tracks/a.trk", ""} << In + Out
            << QStringList{"a.trk", "NoIcons_a.trk", "/tracks/", "/tracks/"};
        QTest::newRow("names with spaces and accents")
            << QStringList{"/pistes d'été/vol 1.trk"} << In
            << QStringList{"vol 1.trk", "NoIcons_vol 1.trk", "/pistes d'été/", "/pistes d'été/"};
    }

    void browseFillsFieldsAndDirectories() {
        QFETCH(QStringList, Script);
        QFETCH(QStringList, Buttons);
        QFETCH(QStringList, Expected);
        Dialog->Script = Script;
        for (const auto& Button : Buttons) {
            QTest::mouseClick(Find<QPushButton>(Button), Qt::LeftButton);
        }
        QStringList Modes;
        for (const auto& Button : Buttons) {
            Modes << (Button == "cmdInputBrowse" ? "open" : "save");
        }
        QCOMPARE(Dialog->Shown, Modes);
        QCOMPARE(QStringList({InputField()->text(), OutputField()->text(), Window->InputDirectory(),
                              Window->OutputDirectory()}),
                 Expected);
    }

    // After a browse, a bare name is taken in the chosen directory and a full path as typed.
    void typedNamesJoinTheChosenDirectory() {
        QDir(Folder->path()).mkdir(QStringLiteral("élan vital"));
        const QString Chosen = Path(QStringLiteral("élan vital/ä b.trk"));
        WriteFile(Chosen, Track("  9 279 1 0\r\n"));
        Dialog->Script = {Chosen};
        Press("cmdInputBrowse");
        RemoveIcons();
        QCOMPARE(Sink->Messages, QStringList{QStringLiteral("Finished Processing")});
        QVERIFY(ReadFile(Path(QStringLiteral("élan vital/NoIcons_ä b.trk")))
                    .endsWith("  9 203 1 270 WING3\r\n"));

        OutputField()->setText(Path(QStringLiteral("elsewhere.trk")));
        RemoveIcons();
        QVERIFY(QFile::exists(Path(QStringLiteral("elsewhere.trk"))));

        OutputField()->setText(QStringLiteral("second.trk"));
        RemoveIcons();
        QVERIFY(QFile::exists(Path(QStringLiteral("élan vital/second.trk"))));
    }

    // Enter and Esc press nothing unless a button has the focus.
    void keysPressOnlyTheFocusedButton() {
        InputField()->setFocus();
        QTest::keyClick(InputField(), Qt::Key_Return);
        QTest::keyClick(InputField(), Qt::Key_Enter);
        QTest::keyClick(InputField(), Qt::Key_Escape);
        QVERIFY(Sink->Messages.isEmpty());
        QVERIFY(Window->isVisible());

        auto* Button = Find<QPushButton>(QStringLiteral("cmdRemoveIcons"));
        Button->setFocus();
        QTest::keyClick(Button, Qt::Key_Return);
        WaitForRun();
        QTest::keyClick(Button, Qt::Key_Space);
        WaitForRun();
        QCOMPARE(Sink->Messages.size(), 2);
    }

    // The dialog on screen: filters, modes, a name that does not exist yet, and a cancel that
    // keeps the last choice.
    void realDialogOffersTrackFiles() {
        QTest::ignoreMessage(QtWarningMsg, "This plugin does not support propagateSizeHints()");
        QtTrackFileDialog Real;
        Real.Prepare(Window.get());
        QStringList Seen;
        const auto Answer = [&](const QString& Name) {
            QTimer::singleShot(0, this, [&, Name] {
                auto* Shown = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                QVERIFY(Shown != nullptr);
                Seen << Shown->nameFilters().join(QLatin1Char('|')) << Shown->selectedNameFilter()
                     << (Shown->acceptMode() == QFileDialog::AcceptOpen ? "open" : "save")
                     << Shown->defaultSuffix() << Shown->selectedFiles().value(0);
                if (Name.isEmpty()) {
                    Shown->reject();
                } else {
                    Shown->selectFile(Name);
                    static_cast<QDialog*>(Shown)->accept();
                }
            });
        };
        Answer(Path("new"));
        QVERIFY(Real.ShowOpen());
        QCOMPARE(Real.FileName(), Path("new"));
        QCOMPARE(Real.FileTitle(), QStringLiteral("new"));
        QCOMPARE(Real.GetFilePath(), Folder->path() + "/");
        Answer(QString());
        QVERIFY(!Real.ShowSave());
        QCOMPARE(Real.FileName(), Path("new"));
        QCOMPARE(Seen, QStringList({"Track Files (*.trk)|All Files (*)", "Track Files (*.trk)",
                                    "open", "", Seen.value(4), "Track Files (*.trk)|All Files (*)",
                                    "Track Files (*.trk)", "save", "", Path("new")}));
    }

    void dropTakesOneLocalFileAsInput_data() {
        QTest::addColumn<QList<QUrl>>("Urls");
        QTest::addColumn<bool>("Taken");
        const QUrl Track = QUrl::fromLocalFile(QStringLiteral("/pistes d'été/vol 1.trk"));
        QTest::newRow("one local file") << QList<QUrl>{Track} << true;
        QTest::newRow("a file and a folder")
            << QList<QUrl>{QUrl::fromLocalFile(QDir::tempPath()), Track} << true;
        QTest::newRow("a web address")
            << QList<QUrl>{QUrl(QStringLiteral("https://example.org/a.trk"))} << false;
        QTest::newRow("a folder") << QList<QUrl>{QUrl::fromLocalFile(QDir::tempPath())} << false;
        QTest::newRow("nothing") << QList<QUrl>{} << false;
    }

    void dropTakesOneLocalFileAsInput() {
        QFETCH(QList<QUrl>, Urls);
        QFETCH(bool, Taken);
        OutputField()->setText(QStringLiteral("kept.trk"));
        QMimeData Data;
        Data.setUrls(Urls);
        Data.setText(QStringLiteral("/text/only.trk"));
        QDragEnterEvent Enter({200, 150}, Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Window.get(), &Enter);
        QCOMPARE(Enter.isAccepted(), Taken);
        QDropEvent Drop(QPointF(200, 150), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Window.get(), &Drop);

        const QStringList Fields = {InputField()->text(), OutputField()->text(),
                                    Window->InputDirectory(), Window->OutputDirectory()};
        if (Taken) {
            QCOMPARE(Fields, QStringList({"vol 1.trk", "NoIcons_vol 1.trk", "/pistes d'été/",
                                          "/pistes d'été/"}));
            QCOMPARE(Dialog->FileName(), QStringLiteral("/pistes d'été/vol 1.trk"));
        } else {
            QCOMPARE(Fields, QStringList({"", "kept.trk", "", ""}));
        }
        QVERIFY(Dialog->Shown.isEmpty());
    }

    void droppedTracksAreConvertedAsAList_data() {
        QTest::addColumn<bool>("Answer");
        QTest::newRow("convert") << true;
        QTest::newRow("cancel") << false;
    }

    // A drop loads the list; the options are chosen after it; "Remove Icons" asks only about
    // the outputs it would replace, and one summary names every track, failures first.
    void droppedTracksAreConvertedAsAList() {
        QFETCH(bool, Answer);
        Sink->Answer = Answer;
        WriteFile(Path("good.trk"), Track("  9 279 1 0\r\n"));
        WriteFile(Path("NoIcons_good.trk"), "earlier\r\n");
        WriteFile(Path("short.trk"), "player W\r\n");
        QVERIFY(mkfifo(QFile::encodeName(Path("pipe.trk")).constData(), 0600) == 0);
        QMimeData Data;
        Data.setUrls({QUrl::fromLocalFile(Path("good.trk")), QUrl::fromLocalFile(Path("short.trk")),
                      QUrl::fromLocalFile(Path("pipe.trk"))});
        QDragEnterEvent Enter({200, 150}, Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Window.get(), &Enter);
        QDropEvent Drop(QPointF(200, 150), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Window.get(), &Drop);

        QVERIFY(Sink->Questions.isEmpty());
        QCOMPARE(InputField()->text(), QStringLiteral("3 tracks: good.trk, short.trk, pipe.trk"));
        QCOMPARE(OutputField()->text(), QStringLiteral("NoIcons_<name> beside each"));
        QCOMPARE(OutputField()->toolTip(),
                 QStringList({Path("NoIcons_good.trk"), Path("NoIcons_short.trk"),
                              Path("NoIcons_pipe.trk")})
                     .join('\n'));
        Window->findChild<QRadioButton*>(QStringLiteral("optTimeCompression"))->click();
        RemoveIcons();

        QCOMPARE(Sink->Questions,
                 QStringList{"Convert these 3 tracks with the options now selected? One output "
                             "exists and will be replaced.\n" +
                             Path("NoIcons_good.trk")});
        if (!Answer) {
            QVERIFY(Sink->Messages.isEmpty());
            QCOMPARE(ReadFile(Path("NoIcons_good.trk")), QByteArray("earlier\r\n"));
            QVERIFY(!QFileInfo::exists(Path("NoIcons_short.trk")));
            return;
        }
        QCOMPARE(
            Sink->Messages,
            QStringList({"1 converted, 1 copied unchanged, 1 failed\npipe.trk: Can't open "
                         "input track '" +
                         Path("pipe.trk") +
                         "': Not a regular file\nshort.trk: not converted (no record section): "
                         "copied with the icons still on\ngood.trk: converted"}));
        QCOMPARE(Sink->Failures, QList<int>{1});
        QCOMPARE(ReadFile(Path("NoIcons_good.trk")), Track("  9 24 1 0\r\n"));
        QCOMPARE(ReadFile(Path("NoIcons_short.trk")), QByteArray("player W\r\n"));
        QVERIFY(!QFileInfo::exists(Path("NoIcons_pipe.trk")));

        // Typing in the input field goes back to one track.
        InputField()->setText(Path("good.trk"));
        QCOMPARE(OutputField()->isReadOnly(), false);
        QCOMPARE(InputField()->toolTip(), Path("good.trk"));
    }

    void stopEndsTheRunAndKeepsTheEarlierOutput_data() {
        QTest::addColumn<int>("Tracks");
        QTest::addColumn<QString>("Message");
        QTest::newRow("one track")
            << 1 << "Stopped by the user: 'NoIcons_a.trk' was left as it was";
        QTest::newRow("a list") << 2
                                << "0 converted, 0 copied unchanged, 0 failed, 2 not converted "
                                   "(stopped)\na.trk: not converted\nb.trk: not converted";
    }

    void stopEndsTheRunAndKeepsTheEarlierOutput() {
        QFETCH(int, Tracks);
        QFETCH(QString, Message);
        WriteFile(Path("a.trk"), Track("  9 279 1 0\r\n"));
        WriteFile(Path("b.trk"), Track("  9 279 1 0\r\n"));
        WriteFile(Path("NoIcons_a.trk"), "earlier\r\n");
        std::vector<std::string> Chosen = {Path("a.trk").toStdString()};
        if (Tracks == 2) {
            Chosen.push_back(Path("b.trk").toStdString());
        }
        Window->OpenTracks(Chosen);
        Progress->StopAtOnce = true;
        Sink->Answer = true;
        RemoveIcons();
        QCOMPARE(Sink->Messages, QStringList{Message});
        QCOMPARE(ReadFile(Path("NoIcons_a.trk")), QByteArray("earlier\r\n"));
        QStringList Names = QDir(Folder->path()).entryList(QDir::Files | QDir::Hidden);
        Names.sort();
        QCOMPARE(Names, QStringList({"NoIcons_a.trk", "a.trk", "b.trk"}));
        QCOMPARE(Progress->Finished, 1);
    }

    // While a run goes on, the window takes no input: no second run, no change of options.
    void windowTakesNoInputDuringARun() {
        WriteFile(Path("a.trk"), Track("  9 279 1 0\r\n"));
        Window->OpenTracks({Path("a.trk").toStdString()});
        Progress->Meanwhile = [this] {
            QTest::mouseClick(Find<QPushButton>(QStringLiteral("cmdRemoveIcons")), Qt::LeftButton);
            QTest::mouseClick(Find<QRadioButton>(QStringLiteral("optIconStateFull")),
                              Qt::LeftButton, {}, QPoint(8, 8));
        };
        RemoveIcons();
        QCOMPARE(Progress->Started, 1);
        QCOMPARE(Sink->Messages, QStringList{QStringLiteral("Finished Processing")});
        QCOMPARE(Window->GetInitialIconState(), IconState::Off);
    }

    // A box asked for before the window is on screen waits for it, so that it is centred on it.
    void boxesWaitForTheWindow() {
        Main Later(*Dialog, *Sink, *Progress);
        bool Shown = false;
        Later.WhenOnScreen([&] { Shown = Later.isVisible(); });
        QTest::qWait(20);
        QVERIFY(!Shown);
        Later.show();
        QTRY_VERIFY(Shown);
    }

    // The real box, once: title, text, buttons, icon, and the details below.
    void realBoxesSayWhatTheRecorderSays() {
        MessageBoxSink Real;
        QStringList Seen;
        Real.BeforeShow = [&](QMessageBox& Box) {
            QStringList Buttons;
            for (auto* Button : Box.buttons()) {
                Buttons << Button->text();
            }
            Seen << QStringList{Box.windowTitle(),
                                Box.text().remove(QChar(0x200B)),
                                Box.informativeText().remove(QChar(0x200B)),
                                Buttons.join('|'),
                                QString::number(Box.icon()),
                                Box.detailedText()}
                        .join(';');
            QTimer::singleShot(0, &Box, [&Box] { Box.done(0); });
        };
        Real.ShowMessage(Window.get(), QStringLiteral("Finished Processing"));
        Real.ShowSummary(Window.get(), QStringLiteral("1 converted, 0 copied unchanged, 1 failed"),
                         {QStringLiteral("b.trk: failed"), QStringLiteral("a.trk: converted")}, 1);
        QCOMPARE(Seen, QStringList({"Quellmark;Finished Processing;;OK;0;",
                                    "Quellmark;1 converted, 0 copied unchanged, 1 failed;• b.trk: "
                                    "failed;OK|Show Details...;2;"
                                    "b.trk: failed\na.trk: converted"}));
    }

    void longNamesCanWrap() {
        const QString Name = QStringLiteral("/tracks/") + QString(100, QLatin1Char('x'));
        const QString Broken = BreakableText(Name);
        QCOMPARE(QString(Broken).remove(QChar(0x200B)), Name);
        QVERIFY(Broken.count(QChar(0x200B)) >= 4);
    }

    void fieldsAreNamedByTheirLabels() {
        QCOMPARE(QAccessible::queryAccessibleInterface(InputField())->text(QAccessible::Name),
                 QStringLiteral("Input Track:"));
        QCOMPARE(QAccessible::queryAccessibleInterface(OutputField())->text(QAccessible::Name),
                 QStringLiteral("Output Track:"));
    }

    void windowShowsTheProgramIcon() { QVERIFY(!Window->windowIcon().pixmap(32, 32).isNull()); }

    void bailOutClosesTheWindow() {
        Press("cmdExit");
        QVERIFY(!Window->isVisible());
    }
};

}  // namespace quellmark

namespace {

QtMessageHandler PreviousHandler = nullptr;

void FilterMessages(QtMsgType Type, const QMessageLogContext& Context, const QString& Text) {
    // The offscreen platform says this of every window; it is no fault of the program.
    if (Text.contains(QLatin1String("propagateSizeHints"))) {
        return;
    }
    PreviousHandler(Type, Context, Text);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString Runtime = QDir::temp().filePath(QStringLiteral("quellmark-test-runtime"));
    QDir().mkpath(Runtime);
    QFile::setPermissions(Runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(Runtime));
    PreviousHandler = qInstallMessageHandler(FilterMessages);
    QApplication Application(argc, argv);
    quellmark::WindowTest Test;
    return QTest::qExec(&Test, argc, argv);
}

#include "window_test.moc"
