#include "window/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include "conversion/output_name.h"
#include "window/message_sink.h"
#include "window/run_progress.h"
#include "window/track_file_dialog.h"
#include "window_logic/run_words.h"

namespace quellmark {
namespace {

// The layout is kept in twips, 15 to a logical pixel.
QRect FromTwips(int Left, int Top, int Width, int Height) {
    return {Left / 15, Top / 15, Width / 15, Height / 15};
}

// The face the layout was drawn for where it exists, else one of the same width: wider faces
// such as DejaVu Sans would clip the captions.
QFont CaptionFont(qreal Points) {
    QString Family = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    for (const auto* Candidate : {"MS Sans Serif", "Liberation Sans", "Arial"}) {
        if (QFontDatabase::hasFamily(QString::fromLatin1(Candidate))) {
            Family = QString::fromLatin1(Candidate);
            break;
        }
    }
    QFont Font(Family);
    Font.setPointSizeF(Points);
    Font.setBold(true);
    return Font;
}

template <typename Control>
Control* Place(QWidget* Parent, const char* Name, const QString& Caption, const QRect& Where) {
    auto* Created = new Control(Caption, Parent);
    Created->setObjectName(QString::fromLatin1(Name));
    Created->setGeometry(Where);
    return Created;
}

// The system's bytes of a name, and a name's text for the screen.
std::string Bytes(const QString& Name) {
    return QFile::encodeName(Name).toStdString();
}

QString Text(const std::string& Bytes) {
    return QFile::decodeName(QByteArray::fromStdString(Bytes));
}

std::string Shown(const std::string& Path) {
    return Text(Path).toStdString();
}

QStringList Lines(const std::vector<std::string>& Texts) {
    QStringList All;
    for (const auto& Line : Texts) {
        All << QString::fromStdString(Line);
    }
    return All;
}

// The local files in Data that are not folders.
std::vector<std::string> DroppedFiles(const QMimeData* Data) {
    std::vector<std::string> Files;
    for (const auto& Url : Data->urls()) {
        if (Url.isLocalFile() && !QFileInfo(Url.toLocalFile()).isDir()) {
            Files.push_back(Bytes(Url.toLocalFile()));
        }
    }
    return Files;
}

// Input that would start a second run, or change what the running one was asked to do.
bool IsInput(const QEvent* Event) {
    switch (Event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::Shortcut:
        case QEvent::DragEnter:
        case QEvent::Drop:
            return true;
        default:
            return false;
    }
}

}  // namespace

Main::Main(TrackFileDialog& Dialog, MessageSink& Messages, RunProgressView& Progress,
           QWidget* Parent)
    : QWidget(Parent),
      Dialog_(Dialog),
      Messages_(Messages),
      Progress_(Progress),
      Selection_(Shown) {
    setWindowTitle(QStringLiteral("Quellmark"));
    // Drawing the icon loads the SVG support, which would delay the window: it comes just after.
    QTimer::singleShot(0, this,
                       [this] { setWindowIcon(QIcon(QStringLiteral(":/quellmark.svg"))); });
    setAcceptDrops(true);
    setFont(CaptionFont(12));
    setFixedSize(FromTwips(0, 0, 6540, 4425).size());
    CreateControls();
    SetTabOrder();
    ConnectActions();
    Dialog_.Prepare(this);
    cmdRemoveIcons->setFocus();
    ProgressTimer_ = new QTimer(this);
    ProgressTimer_->setInterval(100);
    connect(ProgressTimer_, &QTimer::timeout, this, &Main::ShowProgress);
}

Main::~Main() {
    AbandonRuns();
}

void Main::CreateControls() {
    Label1 = Place<QLabel>(this, "Label1", tr("Input Track:"), FromTwips(0, 360, 1695, 375));
    txtInputTrackFile = new QLineEdit(this);
    txtInputTrackFile->setObjectName(QStringLiteral("txtInputTrackFile"));
    txtInputTrackFile->setGeometry(FromTwips(1680, 360, 3495, 375));
    cmdInputBrowse =
        Place<QPushButton>(this, "cmdInputBrowse", tr("Browse"), FromTwips(5280, 360, 1215, 375));
    Label2 = Place<QLabel>(this, "Label2", tr("Output Track:"), FromTwips(0, 1080, 1695, 375));
    txtOutputTrackFile = new QLineEdit(this);
    txtOutputTrackFile->setObjectName(QStringLiteral("txtOutputTrackFile"));
    txtOutputTrackFile->setGeometry(FromTwips(1680, 1080, 3495, 375));
    cmdOutputBrowse =
        Place<QPushButton>(this, "cmdOutputBrowse", tr("Browse"), FromTwips(5280, 1080, 1215, 375));
    for (auto* Label : {Label1, Label2}) {
        Label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    // The labels name the fields for screen readers too.
    Label1->setBuddy(txtInputTrackFile);
    Label2->setBuddy(txtOutputTrackFile);
    for (auto* Field : {txtInputTrackFile, txtOutputTrackFile}) {
        Field->setAcceptDrops(false);
    }

    const QFont SmallFont = CaptionFont(8.25);
    Frame1 = Place<QGroupBox>(this, "Frame1", tr("Original Icon State"),
                              FromTwips(480, 1800, 2415, 1815));
    Frame1->setFont(SmallFont);
    optIconStateOff =
        Place<QRadioButton>(Frame1, "optIconStateOff", tr("Off"), FromTwips(120, 240, 1455, 375));
    optIconStateLow = Place<QRadioButton>(Frame1, "optIconStateLow", tr("Range Only"),
                                          FromTwips(120, 600, 1455, 375));
    optIconStateMedium = Place<QRadioButton>(Frame1, "optIconStateMedium", tr("Range && Type"),
                                             FromTwips(120, 960, 1575, 375));
    optIconStateFull = Place<QRadioButton>(Frame1, "optIconStateFull", tr("Range, Type && Name"),
                                           FromTwips(120, 1320, 2175, 375));
    optIconStateOff->setChecked(true);

    Frame2 =
        Place<QGroupBox>(this, "Frame2", tr("What To Screw Up"), FromTwips(3120, 1800, 2175, 1575));
    Frame2->setFont(SmallFont);
    optViews = Place<QRadioButton>(Frame2, "optViews", tr("Views"), FromTwips(120, 240, 1695, 300));
    optTimeCompression = Place<QRadioButton>(Frame2, "optTimeCompression", tr("Time Compression"),
                                             FromTwips(120, 600, 1935, 300));
    optUseNullCommand = Place<QRadioButton>(Frame2, "optUseNullCommand", tr("Neither (Untested)"),
                                            FromTwips(120, 960, 1935, 300));
    optViews->setChecked(true);
    // The options are placed for a frame whose title sits on its top edge, not above it.
    for (auto* Frame : {Frame1, Frame2}) {
        Frame->setStyleSheet(QStringLiteral(
            "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 7px; }"
            "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }"));
    }

    cmdRemoveIcons = Place<QPushButton>(this, "cmdRemoveIcons", tr("Remove Icons"),
                                        FromTwips(480, 3840, 1455, 375));
    cmdRemoveIcons->setFont(SmallFont);
    cmdExit = Place<QPushButton>(this, "cmdExit", tr("Bail Out"), FromTwips(5040, 3840, 1455, 375));
    // Not the window's default button, yet Enter on a focused button presses it.
    for (auto* Button : {cmdInputBrowse, cmdOutputBrowse, cmdRemoveIcons, cmdExit}) {
        Button->setAutoDefault(true);
    }
}

void Main::SetTabOrder() {
    const QList<QWidget*> Order = {
        cmdRemoveIcons,    optIconStateOff,   optIconStateLow,    optIconStateMedium,
        optIconStateFull,  txtInputTrackFile, cmdInputBrowse,     txtOutputTrackFile,
        cmdOutputBrowse,   optViews,          optTimeCompression, cmdExit,
        optUseNullCommand,
    };
    for (qsizetype Index = 1; Index < Order.size(); ++Index) {
        setTabOrder(Order[Index - 1], Order[Index]);
    }
    // Tab stops on the selected option of each group, as in any option group; the arrow keys
    // move within the group.
    for (auto* Option : {optIconStateOff, optIconStateLow, optIconStateMedium, optIconStateFull,
                         optViews, optTimeCompression, optUseNullCommand}) {
        const auto FollowSelection = [Option](bool Selected) {
            Option->setFocusPolicy(Selected ? Qt::StrongFocus : Qt::ClickFocus);
        };
        FollowSelection(Option->isChecked());
        connect(Option, &QRadioButton::toggled, Option, FollowSelection);
    }
}

void Main::ConnectActions() {
    connect(cmdRemoveIcons, &QPushButton::clicked, this, &Main::RemoveIcons);
    connect(cmdExit, &QPushButton::clicked, this, &QWidget::close);
    // What the user types changes the selection; what the window shows of it does not.
    connect(txtInputTrackFile, &QLineEdit::textChanged, this, [this](const QString& Name) {
        if (Showing_) {
            return;
        }
        const bool WasList = Selection_.IsList();
        Selection_.EditInput(Bytes(Name));
        if (WasList) {
            ShowSelection();
        }
        ShowFullPaths();
    });
    connect(txtOutputTrackFile, &QLineEdit::textChanged, this, [this](const QString& Name) {
        if (Showing_) {
            return;
        }
        Selection_.EditOutput(Bytes(Name));
        ShowFullPaths();
    });
    connect(cmdInputBrowse, &QPushButton::clicked, this, &Main::BrowseInput);
    connect(cmdOutputBrowse, &QPushButton::clicked, this, &Main::BrowseOutput);
}

IconState Main::GetInitialIconState() const {
    if (optIconStateOff->isChecked()) {
        return IconState::Off;
    }
    if (optIconStateLow->isChecked()) {
        return IconState::Low;
    }
    if (optIconStateMedium->isChecked()) {
        return IconState::Medium;
    }
    if (optIconStateFull->isChecked()) {
        return IconState::Full;
    }
    return IconState::Off;
}

CommandType Main::GetCommandType() const {
    if (optViews->isChecked()) {
        return CommandType::Views;
    }
    if (optTimeCompression->isChecked()) {
        return CommandType::TimeCompression;
    }
    return CommandType::UseNullCommand;
}

QString Main::InputDirectory() const {
    return Text(Selection_.InputDirectory());
}

QString Main::OutputDirectory() const {
    return Text(Selection_.OutputDirectory());
}

void Main::RemoveIcons() {
    auto Runs = Selection_.Runs(GetInitialIconState(), GetCommandType());
    if (Selection_.IsList()) {
        const Report Question = ListQuestion(Runs, Shown);
        if (!Question.Lines.empty() &&
            !Messages_.Confirm(this, QString::fromStdString(Question.Headline),
                               Lines(Question.Lines))) {
            return;
        }
    }
    StartRuns(std::move(Runs));
}

// The runs go on in a thread of their own, so that the window paints and Stop answers at
// once; the window takes no input until they end.
void Main::StartRuns(std::vector<RunSettings> Runs) {
    Running_ = std::make_unique<ListRun>(std::move(Runs));
    qApp->installEventFilter(this);
    Worker_ = QThread::create([Run = Running_.get()] { Run->Run(); });
    connect(Worker_, &QThread::finished, this, &Main::EndRuns);
    Progress_.Start(this, [this] { StopRuns(); });
    ProgressTimer_->start();
    Worker_->start();
}

void Main::ShowProgress() {
    if (Running_ == nullptr) {
        return;
    }
    Progress_.Update(QString::fromStdString(ProgressLabel(*Running_, Shown)),
                     ProgressPermille(Running_->Progress()));
}

void Main::EndRuns() {
    ProgressTimer_->stop();
    Progress_.Finish();
    Worker_->deleteLater();
    Worker_ = nullptr;
    qApp->removeEventFilter(this);
    const auto Finished = std::move(Running_);
    if (Finished->Progress().Tracks > 1) {
        const Report Summary = SummarizeList(Finished->Results(), Finished->NotConverted(), Shown);
        Messages_.ShowSummary(this, QString::fromStdString(Summary.Headline), Lines(Summary.Lines),
                              static_cast<int>(Summary.Failed));
    } else {
        Messages_.ShowMessage(this, QString::fromStdString(SingleTrackMessage(
                                        SingleResult(*Finished), PlainQuotes(Shown))));
    }
    emit RunFinished();
}

void Main::StopRuns() {
    if (Running_ != nullptr) {
        Running_->Stop();
    }
}

void Main::closeEvent(QCloseEvent* Event) {
    AbandonRuns();
    Event->accept();
}

// Stops a run and waits for its thread, with nothing more to say: the window is going.
void Main::AbandonRuns() {
    if (Worker_ == nullptr) {
        return;
    }
    StopRuns();
    Worker_->wait();
    disconnect(Worker_, nullptr, this, nullptr);
    delete Worker_;
    Worker_ = nullptr;
    ProgressTimer_->stop();
    Progress_.Finish();
    qApp->removeEventFilter(this);
    Running_.reset();
}

bool Main::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == windowHandle() && Event->type() == QEvent::Expose &&
        windowHandle()->isExposed() && !OnScreen_.empty()) {
        windowHandle()->removeEventFilter(this);
        for (auto& Action : std::exchange(OnScreen_, {})) {
            QTimer::singleShot(0, this, std::move(Action));
        }
    }
    auto* Target = qobject_cast<QWidget*>(Watched);
    if (Running_ != nullptr && Target != nullptr && IsInput(Event) &&
        (Target == this || isAncestorOf(Target))) {
        return true;
    }
    return QWidget::eventFilter(Watched, Event);
}

void Main::BrowseInput() {
    if (Dialog_.ShowOpen()) {
        Selection_.ChooseInput(Bytes(Dialog_.FileName()));
        ShowSelection();
    }
}

void Main::BrowseOutput() {
    if (Dialog_.ShowSave()) {
        Selection_.ChooseOutput(Bytes(Dialog_.FileName()));
        ShowSelection();
    }
}

void Main::dragEnterEvent(QDragEnterEvent* Event) {
    if (!DroppedFiles(Event->mimeData()).empty()) {
        Event->acceptProposedAction();
    }
}

void Main::dropEvent(QDropEvent* Event) {
    const auto Files = DroppedFiles(Event->mimeData());
    if (Files.empty()) {
        return;
    }
    Event->acceptProposedAction();
    OpenTracks(Files);
}

void Main::OpenTracks(const std::vector<std::string>& Tracks) {
    if (Tracks.empty()) {
        return;
    }
    Selection_.ChooseList(Tracks);
    if (!Selection_.IsList()) {
        // The dialog opens on the track, as if it had been chosen there.
        Dialog_.SetFileName(Text(Tracks.front()));
    }
    ShowSelection();
}

void Main::WhenOnScreen(std::function<void()> Action) {
    if (windowHandle() != nullptr && windowHandle()->isExposed()) {
        QTimer::singleShot(0, this, std::move(Action));
        return;
    }
    OnScreen_.push_back(std::move(Action));
    if (OnScreen_.size() == 1) {
        winId();
        windowHandle()->installEventFilter(this);
    }
}

// The fields show what the selection holds; a list has no output name of its own to edit.
void Main::ShowSelection() {
    Showing_ = true;
    txtInputTrackFile->setText(QString::fromStdString(Selection_.InputText()));
    txtOutputTrackFile->setText(QString::fromStdString(Selection_.OutputText()));
    Showing_ = false;
    // A list is read from its start; a single name from its end, where names differ.
    if (Selection_.IsList()) {
        txtInputTrackFile->setCursorPosition(0);
        txtOutputTrackFile->setCursorPosition(0);
    }
    txtOutputTrackFile->setReadOnly(Selection_.IsList());
    cmdOutputBrowse->setEnabled(!Selection_.IsList());
    ShowFullPaths();
}

// A field shows only the end of a long name, and never the folder: the tooltip says which
// file "Remove Icons" will use, or which files.
void Main::ShowFullPaths() {
    txtInputTrackFile->setToolTip(QString::fromStdString(Selection_.InputToolTip()));
    txtOutputTrackFile->setToolTip(QString::fromStdString(Selection_.OutputToolTip()));
}

}  // namespace quellmark
