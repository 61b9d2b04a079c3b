// The Qt window's wiring and layout: each control built from the layout table, each act
// reaching the presenter, the real dialogs and boxes. What the acts do is the presenter's, and
// is tested there.
#include <QAccessible>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include "tests/support/track_head.h"
#include "window/main_window.h"
#include "window/message_sink.h"
#include "window/run_progress.h"
#include "window/track_file_dialog.h"

namespace quellmark {
namespace {

// Answers the dialogs from a script: an empty entry cancels.
class ScriptedDialog : public TrackFileDialog {
  public:
    void Prepare(QWidget*) override { ++Prepared; }
    QStringList ShowOpen(const QString&) override {
        Shown << QStringLiteral("open");
        const QString Choice = Script.takeFirst();
        return Choice.isEmpty() ? QStringList() : Choice.split(QLatin1Char('|'));
    }
    QString ShowSave(const QString&) override { return Answer(QStringLiteral("save")); }
    QString ShowFolder(const QString&) override { return Answer(QStringLiteral("folder")); }

    QStringList Script;
    QStringList Shown;
    int Prepared = 0;

  private:
    QString Answer(const QString& Mode) {
        Shown << Mode;
        return Script.takeFirst();
    }
};

// Records each message; a question or a summary as its first line, then one line per detail.
class RecordingSink : public MessageSink {
  public:
    void ShowMessage(QWidget*, const QString& Text) override { Messages << Text; }
    bool Confirm(QWidget*, const QString& Question, const QStringList& Details) override {
        Messages << (QStringList{Question} + Details).join('\n');
        return true;
    }
    void ShowSummary(QWidget*, const QString& Headline, const QStringList&,
                     const QStringList& Details) override {
        Messages << (QStringList{Headline} + Details).join('\n');
    }
    QStringList Messages;
};

// Stands in for the progress box; runs Meanwhile on the first show.
class ScriptedProgress : public RunProgressView {
  public:
    void Show(QWidget*, const QString&, int, bool, std::function<void()> Stop) override {
        ++Shown;
        if (Meanwhile) {
            std::exchange(Meanwhile, {})(Stop);
        }
    }
    void Hide() override {}
    std::function<void(const std::function<void()>&)> Meanwhile;
    int Shown = 0;
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
    Control* Find(const char* Name) {
        auto* Found = Window->findChild<Control*>(QString::fromLatin1(Name));
        if (Found == nullptr) {
            qFatal("no control %s", Name);
        }
        return Found;
    }
    QLineEdit* InputField() { return Find<QLineEdit>("txtInputTrackFile"); }
    QLineEdit* OutputField() { return Find<QLineEdit>("txtOutputTrackFile"); }
    void Press(const char* Button) { Find<QPushButton>(Button)->click(); }
    void WaitForRun() { QTRY_VERIFY_WITH_TIMEOUT(!Window->Presenter().IsRunning(), 30000); }
    void RemoveIcons() {
        Press("cmdRemoveIcons");
        WaitForRun();
    }
    // Drops Urls on the window; whether the window took them.
    bool Drop(const QList<QUrl>& Urls) {
        QMimeData Data;
        Data.setUrls(Urls);
        QDragEnterEvent Enter({200, 150}, Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Window.get(), &Enter);
        QDropEvent Dropped(QPointF(200, 150), Qt::CopyAction, &Data, Qt::LeftButton,
                           Qt::NoModifier);
        QApplication::sendEvent(Window.get(), &Dropped);
        return Enter.isAccepted();
    }

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
        QVERIFY(Window->IsChecked(ControlId::optIconStateOff));
        QVERIFY(Window->IsChecked(ControlId::optViews));
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmdRemoveIcons"));
    }

    // Every control where the table puts it, in its font, with its caption shown whole.
    void layout() {
        for (const auto& Each : WindowControls()) {
            QWidget* Control = Window->Control(Each.Id);
            QCOMPARE(Control->objectName(), QString::fromLatin1(Each.Name));
            QCOMPARE(Control->geometry(), QRect(Each.Where.Left / 15, Each.Where.Top / 15,
                                                Each.Where.Width / 15, Each.Where.Height / 15));
            QCOMPARE(Control->font().pointSizeF(), Each.Points);
            QVERIFY(Control->font().bold());
            QString Shown;
            int Room = 0;
            if (auto* Button = qobject_cast<QAbstractButton*>(Control)) {
                Shown = Button->text().replace(QStringLiteral("&&"), QStringLiteral("&"));
                QStyleOptionButton Option;
                Option.initFrom(Button);
                const bool Radio = qobject_cast<QRadioButton*>(Button) != nullptr;
                Room = Control->style()
                           ->subElementRect(Radio ? QStyle::SE_RadioButtonContents
                                                  : QStyle::SE_PushButtonContents,
                                            &Option, Button)
                           .width();
            } else if (auto* Label = qobject_cast<QLabel*>(Control)) {
                Shown = Label->text();
                Room = Label->contentsRect().width();
            } else if (auto* Group = qobject_cast<QGroupBox*>(Control)) {
                Shown = Group->title();
                Room = Group->width() - 16;
            }
            QCOMPARE(Shown.toStdString(), ShownCaption(Each.Caption));
            QVERIFY2(QFontMetrics(Control->font()).horizontalAdvance(Shown) <= Room, Each.Name);
        }
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
            Find<QRadioButton>(qPrintable(Option))->setChecked(true);
        }
        Find<QPushButton>("cmdRemoveIcons")->setFocus();
        QStringList Visited;
        for (int Step = 0; Step < Expected.size(); ++Step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            Visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(Visited, Expected);
    }

    void arrowKeysMoveWithinAnOptionGroup() {
        auto* Off = Find<QRadioButton>("optIconStateOff");
        Off->setFocus();
        QTest::keyClick(Off, Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("optIconStateLow"));
        QVERIFY(Window->IsChecked(ControlId::optIconStateLow));
    }

    // Each option the user clicks reaches the run.
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
        QTest::mouseClick(Find<QRadioButton>(qPrintable(IconOption)), Qt::LeftButton, {},
                          QPoint(8, 8));
        QTest::mouseClick(Find<QRadioButton>(qPrintable(CommandOption)), Qt::LeftButton, {},
                          QPoint(8, 8));
        QTest::mouseClick(Find<QPushButton>("cmdRemoveIcons"), Qt::LeftButton);
        WaitForRun();
        QVERIFY(Sink->Messages.value(0).startsWith(QStringLiteral("Finished Processing")));
        const QByteArray Output = ReadFile(Path("out.trk"));
        QCOMPARE(Output.count("  0 279 1 0\r\n\r\n  0 279 0 0\r\n\r\n"), InsertedPairs);
        QVERIFY(Output.endsWith(StartLine));
    }

    // The Browse buttons reach the dialogs, and names with spaces and accents come back whole;
    // a list takes no typing and its output Browse picks a folder.
    void browseAndTypingReachThePresenter() {
        const QString Track = Path(QStringLiteral("pistes d'été/vol 1.trk"));
        Dialog->Script = {Track, Path("a.trk") + "|" + Path("b.trk"), Path("out")};
        Press("cmdInputBrowse");
        QCOMPARE(InputField()->text(), QStringLiteral("vol 1.trk"));
        QCOMPARE(OutputField()->toolTip(), Path(QStringLiteral("pistes d'été/NoIcons_vol 1.trk")));
        QTest::keyClicks(OutputField(), QStringLiteral("x"));
        QCOMPARE(OutputField()->toolTip(), Path(QStringLiteral("pistes d'été/NoIcons_vol 1.trkx")));
        Press("cmdInputBrowse");
        QCOMPARE(InputField()->text(), QStringLiteral("2 tracks: a.trk, b.trk"));
        QVERIFY(InputField()->isReadOnly() && OutputField()->isReadOnly());
        Press("cmdOutputBrowse");
        QCOMPARE(Dialog->Shown, QStringList({"open", "open", "folder"}));
        QCOMPARE(OutputField()->text(), "NoIcons_<name> in " + Path("out"));
    }

    void dropsReachThePresenter() {
        WriteFile(Path("a.trk"), "");
        QVERIFY(!Drop({QUrl(QStringLiteral("https://example.org/a.trk"))}));
        QVERIFY(InputField()->text().isEmpty());
        QVERIFY(Drop({QUrl::fromLocalFile(Path("a.trk"))}));
        QCOMPARE(InputField()->text(), QStringLiteral("a.trk"));
        QVERIFY(Dialog->Shown.isEmpty());
    }

    // Enter and Esc press nothing unless a button has the focus.
    void keysPressOnlyTheFocusedButton() {
        InputField()->setFocus();
        QTest::keyClick(InputField(), Qt::Key_Return);
        QTest::keyClick(InputField(), Qt::Key_Escape);
        QVERIFY(Sink->Messages.isEmpty());
        QVERIFY(Window->isVisible());
        auto* Button = Find<QPushButton>("cmdRemoveIcons");
        Button->setFocus();
        QTest::keyClick(Button, Qt::Key_Return);
        WaitForRun();
        QTest::keyClick(Button, Qt::Key_Space);
        WaitForRun();
        QCOMPARE(Sink->Messages.size(), 2);
    }

    // While a run goes on, the window takes no input but Bail Out and its close, which stop
    // the run and close the window once it has ended.
    void aRunTakesNoInputButItsEnd_data() {
        QTest::addColumn<bool>("BailOut");
        QTest::newRow("Bail Out") << true;
        QTest::newRow("the window's close") << false;
    }

    void aRunTakesNoInputButItsEnd() {
        QFETCH(bool, BailOut);
        WriteFile(Path("a.trk"), Track("  9 279 1 0\r\n"));
        WriteFile(Path("NoIcons_a.trk"), "earlier");
        // A lease on the track, as a file server holds one, keeps the run waiting until the
        // test lets go: long enough for the progress box, whatever the machine's speed.
        signal(SIGIO, SIG_IGN);
        const int Leased = open(QFile::encodeName(Path("a.trk")).constData(), O_RDONLY);
        if (fcntl(Leased, F_SETLEASE, F_WRLCK) != 0) {
            close(Leased);
            QSKIP("leases are not enabled here");
        }
        Window->Presenter().OpenTracks({QFile::encodeName(Path("a.trk")).toStdString()});
        Progress->Meanwhile = [this, BailOut, Leased](const std::function<void()>&) {
            QTest::mouseClick(Find<QPushButton>("cmdRemoveIcons"), Qt::LeftButton);
            QTest::mouseClick(Find<QRadioButton>("optIconStateFull"), Qt::LeftButton, {},
                              QPoint(8, 8));
            if (BailOut) {
                QTest::mouseClick(Find<QPushButton>("cmdExit"), Qt::LeftButton);
            } else {
                Window->close();
            }
            QVERIFY(Window->isVisible());
            fcntl(Leased, F_SETLEASE, F_UNLCK);
            close(Leased);
        };
        Press("cmdRemoveIcons");
        QTRY_VERIFY_WITH_TIMEOUT(!Window->isVisible(), 30000);
        QVERIFY(Progress->Shown >= 1);
        QVERIFY(Window->IsChecked(ControlId::optIconStateOff));
        // Only the question before the earlier output is replaced; no result after the close.
        QCOMPARE(Sink->Messages.size(), 1);
        QVERIFY(Sink->Messages.front().startsWith(QStringLiteral("Convert this track")));
        QCOMPARE(ReadFile(Path("NoIcons_a.trk")), QByteArray("earlier"));
    }

    // The real progress box: Stop has the focus, Esc presses it, and it ends the run.
    void theRealProgressBoxStops() {
        ProgressDialogView Real;
        bool Stopped = false;
        Real.Show(Window.get(), QStringLiteral("Converting a.trk"), 10, true,
                  [&] { Stopped = true; });
        auto* Box = Window->findChild<QDialog*>();
        QVERIFY(Box != nullptr);
        QVERIFY(QTest::qWaitForWindowActive(Box));
        QTRY_COMPARE(QApplication::focusWidget(), Box->findChild<QPushButton*>());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(Stopped);
        Real.Show(Window.get(), QStringLiteral("Putting NoIcons_a.trk in place"), 999, false, {});
        QVERIFY(!Box->findChild<QPushButton*>()->isEnabled());
        Real.Hide();
    }

    // The dialog on screen: filters, modes, several tracks at once, and a cancel.
    void realDialogOffersTrackFiles() {
        QTest::ignoreMessage(QtWarningMsg, "This plugin does not support propagateSizeHints()");
        WriteFile(Path("a.trk"), "");
        WriteFile(Path("b.trk"), "");
        QtTrackFileDialog Real;
        Real.Prepare(Window.get());
        QStringList Seen;
        const auto Answer = [&](const QString& Names) {
            QTimer::singleShot(0, this, [&, Names] {
                auto* Shown = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                QVERIFY(Shown != nullptr);
                Seen << Shown->nameFilters().join(QLatin1Char('|'))
                     << (Shown->acceptMode() == QFileDialog::AcceptOpen ? "open" : "save")
                     << QString::number(Shown->fileMode());
                if (Names.isEmpty()) {
                    Shown->reject();
                } else {
                    Shown->selectFile(Names);
                    static_cast<QDialog*>(Shown)->accept();
                }
            });
        };
        Answer(QStringLiteral("\"a.trk\" \"b.trk\""));
        Real.ShowOpen(Folder->path() + "/");
        Answer(QString());
        QVERIFY(Real.ShowSave(Path("a.trk")).isEmpty());
        QCOMPARE(Seen, QStringList({"Track Files (*.trk)|All Files (*)", "open",
                                    QString::number(QFileDialog::ExistingFiles),
                                    "Track Files (*.trk)|All Files (*)", "save",
                                    QString::number(QFileDialog::AnyFile)}));
    }

    // The real boxes, once each: title, text, buttons and the list below; Cancel is the
    // question's default, and the question is only answered yes by Convert.
    void realBoxesSayWhatTheRecorderSays_data() {
        QTest::addColumn<QString>("Pressed");
        QTest::addColumn<bool>("Converts");
        QTest::newRow("Enter on the default") << QString() << false;
        QTest::newRow("Convert") << QStringLiteral("Convert") << true;
        QTest::newRow("the box's close") << QStringLiteral("close") << false;
    }

    void realBoxesSayWhatTheRecorderSays() {
        QFETCH(QString, Pressed);
        QFETCH(bool, Converts);
        MessageBoxSink Real;
        QStringList Seen;
        Real.BeforeShow = [&](QDialog& Box) {
            QStringList Texts;
            for (auto* Label : Box.findChildren<QLabel*>()) {
                Texts << Label->text().remove(QChar(0x200B));
            }
            QStringList Buttons;
            for (auto* Button : Box.findChildren<QPushButton*>()) {
                Buttons << Button->text() + (Button->isDefault() ? "*" : "");
            }
            auto* List = Box.findChild<QPlainTextEdit*>();
            Seen << QStringList{Box.windowTitle(), Texts.join('|'), Buttons.join('|'),
                                List != nullptr ? List->toPlainText() : QString()}
                        .join(';');
            QTimer::singleShot(0, &Box, [&Box, Pressed] {
                if (Pressed == "close") {
                    Box.close();
                    return;
                }
                QPushButton* Chosen = nullptr;
                for (auto* Button : Box.findChildren<QPushButton*>()) {
                    if (Button->text() == Pressed || (Chosen == nullptr && Button->isDefault())) {
                        Chosen = Button;
                    }
                }
                Chosen->click();
            });
        };
        QCOMPARE(Real.Confirm(Window.get(), QStringLiteral("Convert these 2 tracks?"),
                              {QStringLiteral("/t/NoIcons_a.trk")}),
                 Converts);
        Real.ShowSummary(Window.get(), QStringLiteral("1 converted, 1 failed"),
                         {QStringLiteral("\u2022 b.trk: failed")},
                         {QStringLiteral("b.trk: failed"), QStringLiteral("a.trk: converted")});
        QCOMPARE(Seen, QStringList({"Quellmark;Convert these 2 tracks?;Convert|Cancel*;"
                                    "/t/NoIcons_a.trk",
                                    "Quellmark;|1 converted, 1 failed|• b.trk: failed;OK*;"
                                    "b.trk: failed\na.trk: converted"}));
    }

    void longNamesWrapAtSeparatorsButNeverAfterAQuote() {
        const QString Broken = BreakableText(QStringLiteral("'/tracks/") + QString(100, 'x'));
        QVERIFY(Broken.startsWith(QStringLiteral("'/tracks/") + QChar(0x200B)));
        QVERIFY(Broken.count(QChar(0x200B)) >= 3);
    }

    // The two Browse buttons, the progress bar and the question's list say what they are for.
    void screenReadersHearWhatEachIsFor() {
        const auto Name = [](QWidget* Widget) {
            return QAccessible::queryAccessibleInterface(Widget)->text(QAccessible::Name);
        };
        QCOMPARE(Name(Find<QPushButton>("cmdInputBrowse")),
                 QStringLiteral("Browse for the input track"));
        QCOMPARE(Name(Find<QPushButton>("cmdOutputBrowse")),
                 QStringLiteral("Browse for the output track"));
        ProgressDialogView Real;
        Real.Show(Window.get(), QStringLiteral("Converting a.trk (track 2 of 3)\u2026"), 500, true,
                  [] {});
        auto* Bar = Window->findChild<QProgressBar*>();
        QVERIFY(Bar != nullptr);
        QCOMPARE(Name(Bar), QStringLiteral("Progress of the run"));
        QCOMPARE(QAccessible::queryAccessibleInterface(Bar)->text(QAccessible::Description),
                 QStringLiteral("Converting a.trk (track 2 of 3)\u2026"));
        Real.Hide();
        MessageBoxSink Boxes;
        QString Listed;
        Boxes.BeforeShow = [&](QDialog& Box) {
            Listed = Name(Box.findChild<QPlainTextEdit*>());
            QTimer::singleShot(0, &Box, &QDialog::reject);
        };
        Boxes.Confirm(Window.get(), QStringLiteral("Convert these 2 tracks?"),
                      {QStringLiteral("/t/NoIcons_a.trk")});
        QCOMPARE(Listed, QStringLiteral("Outputs that will be replaced"));
    }

    // A summary whose failure has a long reason opens large enough for it: the text beside the
    // sign, the reason whole, several of the list's lines in sight.
    void aSummaryWithAFailureIsReadableAsItOpens() {
        const QString Reason = QStringLiteral("b.trk: Can't create output track '/tracks/") +
                               QString(255, 'n') + QStringLiteral(".trk': File name too long");
        MessageBoxSink Real;
        QStringList Faults;
        Real.BeforeShow = [&](QDialog& Box) {
            QTimer::singleShot(0, &Box, [&Box, &Faults] {
                for (auto* Label : Box.findChildren<QLabel*>()) {
                    if (Label->wordWrap() &&
                        Label->height() < Label->heightForWidth(Label->width())) {
                        Faults << QStringLiteral("cut: ") + Label->text().left(30);
                    }
                    if (Label->wordWrap() && Label->x() > Box.width() / 4) {
                        Faults << QStringLiteral("in the right half: ") + Label->text().left(30);
                    }
                }
                auto* List = Box.findChild<QPlainTextEdit*>();
                if (List->viewport()->height() < 3 * List->fontMetrics().lineSpacing()) {
                    Faults << QStringLiteral("list of less than three lines");
                }
                Box.reject();
            });
        };
        Real.ShowSummary(Window.get(), QStringLiteral("1 converted, 0 not converted, 1 failed"),
                         {QStringLiteral("\u2022 ") + Reason},
                         {Reason, QStringLiteral("a.trk: converted")});
        QCOMPARE(Faults, QStringList());
    }

    // After the box that ends a run, the next Enter starts another run: Remove Icons has the
    // focus again, never Bail Out.
    void removeIconsHasTheFocusAfterARun() {
        WriteFile(Path("a.trk"), Track("  9 279 1 0\r\n"));
        Window->Presenter().OpenTracks({QFile::encodeName(Path("a.trk")).toStdString()});
        Find<QPushButton>("cmdRemoveIcons")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        WaitForRun();
        QCOMPARE(Sink->Messages.size(), 1);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmdRemoveIcons"));
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
    // A fault that writes without end fails within seconds; no core file is left.
    const rlimit FileSize{256u << 20, 256u << 20};
    const rlimit NoCore{0, 0};
    setrlimit(RLIMIT_FSIZE, &FileSize);
    setrlimit(RLIMIT_CORE, &NoCore);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Every folder the toolkit writes to is the test's own (0700), removed at the end.
    const QTemporaryDir Home;
    for (const char* Variable : {"HOME", "XDG_RUNTIME_DIR", "XDG_CACHE_HOME", "XDG_CONFIG_HOME"}) {
        qputenv(Variable, QFile::encodeName(Home.path()));
    }
    PreviousHandler = qInstallMessageHandler(FilterMessages);
    QApplication Application(argc, argv);
    quellmark::WindowTest Test;
    return QTest::qExec(&Test, argc, argv);
}

#include "window_test.moc"
