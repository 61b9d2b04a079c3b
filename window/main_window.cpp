#include "window/main_window.h"

#include <QDir>
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
#include <QTimer>

#include "window/message_sink.h"
#include "window/track_batch.h"
#include "window/track_file_dialog.h"

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

// A name typed with its full path stands as it is; any other name is taken in the directory
// chosen last, which already ends in its separator.
std::string JoinPath(const QString& Directory, const QString& Name) {
    return QFile::encodeName(QDir::isAbsolutePath(Name) ? Name : Directory + Name).toStdString();
}

// The local files in Data that are not folders.
QStringList DroppedFiles(const QMimeData* Data) {
    QStringList Files;
    for (const auto& Url : Data->urls()) {
        if (Url.isLocalFile() && !QFileInfo(Url.toLocalFile()).isDir()) {
            Files << Url.toLocalFile();
        }
    }
    return Files;
}

}  // namespace

Main::Main(TrackFileDialog& Dialog, MessageSink& Messages, QWidget* Parent)
    : QWidget(Parent), Dialog_(Dialog), Messages_(Messages) {
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
    for (auto* Field : {txtInputTrackFile, txtOutputTrackFile}) {
        connect(Field, &QLineEdit::textChanged, this, &Main::ShowFullPaths);
    }
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

RunSettings Main::MakeRunSettings() const {
    return {JoinPath(InputDirectory_, txtInputTrackFile->text()),
            JoinPath(OutputDirectory_, txtOutputTrackFile->text()), GetInitialIconState(),
            GetCommandType()};
}

void Main::RemoveIcons() {
    std::string Reason;
    switch (ConversionRun(MakeRunSettings(), &Reason)) {
        case RunOutcome::SameFile:
            Messages_.ShowMessage(this, tr("Input and Output Files Can't Be The Same File"));
            break;
        case RunOutcome::Finished:
            Messages_.ShowMessage(this, tr("Finished Processing"));
            break;
        case RunOutcome::Stopped:
            break;
        case RunOutcome::Failed:
            Messages_.ShowMessage(this, QString::fromLocal8Bit(Reason));
            break;
    }
}

void Main::BrowseInput() {
    if (Dialog_.ShowOpen()) {
        UseChosenInput();
    }
}

void Main::UseChosenInput() {
    InputDirectory_ = Dialog_.GetFilePath();
    OutputDirectory_ = InputDirectory_;
    txtInputTrackFile->setText(Dialog_.FileTitle());
    txtOutputTrackFile->setText(QStringLiteral("NoIcons_") + Dialog_.FileTitle());
    ShowFullPaths();
}

void Main::BrowseOutput() {
    if (!Dialog_.ShowSave()) {
        return;
    }
    OutputDirectory_ = Dialog_.GetFilePath();
    txtOutputTrackFile->setText(Dialog_.FileTitle());
    ShowFullPaths();
}

void Main::dragEnterEvent(QDragEnterEvent* Event) {
    if (!DroppedFiles(Event->mimeData()).isEmpty()) {
        Event->acceptProposedAction();
    }
}

void Main::dropEvent(QDropEvent* Event) {
    const QStringList Files = DroppedFiles(Event->mimeData());
    if (Files.isEmpty()) {
        return;
    }
    Event->acceptProposedAction();
    OpenTracks(Files);
}

void Main::OpenTracks(const QStringList& Tracks) {
    if (Tracks.size() == 1) {
        Dialog_.SetFileName(Tracks.constFirst());
        UseChosenInput();
    } else if (Tracks.size() > 1) {
        ConvertTrackList(this, Messages_, Tracks, GetInitialIconState(), GetCommandType());
    }
}

// A field shows only the end of a long name, and never the folder: the tooltip says which
// file "Remove Icons" will use.
void Main::ShowFullPaths() {
    txtInputTrackFile->setToolTip(QFile::decodeName(
        QByteArray::fromStdString(JoinPath(InputDirectory_, txtInputTrackFile->text()))));
    txtOutputTrackFile->setToolTip(QFile::decodeName(
        QByteArray::fromStdString(JoinPath(OutputDirectory_, txtOutputTrackFile->text()))));
}

}  // namespace quellmark
