#include "window/main_window.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
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
#include <algorithm>
#include <functional>
#include <iterator>

#include "window/message_sink.h"
#include "window/run_progress.h"
#include "window/track_file_dialog.h"

namespace quellmark {
namespace {

// The layout is kept in twips, 15 to a logical pixel.
QRect FromTwips(const TwipRect& Where) {
    return {Where.Left / 15, Where.Top / 15, Where.Width / 15, Where.Height / 15};
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
    std::transform(Texts.begin(), Texts.end(), std::back_inserter(All), QString::fromStdString);
    return All;
}

std::vector<std::string> LocalFiles(const QMimeData* Data) {
    std::vector<std::string> Files;
    for (const auto& Url : Data->urls()) {
        if (Url.isLocalFile()) {
            Files.push_back(Bytes(Url.toLocalFile()));
        }
    }
    return Files;
}

QWidget* Build(const ControlLayout& Each, QWidget* Parent) {
    const QString Caption = QString::fromUtf8(Each.Caption);
    switch (Each.Kind) {
        case ControlKind::Label: {
            auto* Label = new QLabel(Caption, Parent);
            Label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            return Label;
        }
        case ControlKind::TextField: {
            auto* Field = new QLineEdit(Parent);
            Field->setAcceptDrops(false);
            return Field;
        }
        case ControlKind::Button: {
            auto* Button = new QPushButton(Caption, Parent);
            // Not the window's default button, yet Enter on a focused button presses it.
            Button->setAutoDefault(true);
            if (const std::string Name = AccessibleNameOf(Each.Id); !Name.empty()) {
                Button->setAccessibleName(QString::fromStdString(Name));
            }
            return Button;
        }
        case ControlKind::GroupBox: {
            auto* Frame = new QGroupBox(Caption, Parent);
            // The options are placed for a frame whose title sits on its top edge.
            Frame->setStyleSheet(QStringLiteral(
                "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 7px; }"
                "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }"));
            return Frame;
        }
        case ControlKind::Option:
            break;
    }
    return new QRadioButton(Caption, Parent);
}

}  // namespace

Main::Main(TrackFileDialog& Dialog, MessageSink& Messages, RunProgressView& Progress,
           QWidget* Parent)
    : QWidget(Parent),
      Dialog_(Dialog),
      Messages_(Messages),
      Progress_(Progress),
      Presenter_(*this, Shown, SystemFileLookup()) {
    setWindowTitle(QStringLiteral("Quellmark"));
    // Drawing the icon loads the SVG support, which would delay the window: it comes just after.
    QTimer::singleShot(0, this,
                       [this] { setWindowIcon(QIcon(QStringLiteral(":/quellmark.svg"))); });
    setAcceptDrops(true);
    setFont(CaptionFont(12));
    setFixedSize(FromTwips({0, 0, ClientWidthTwips, ClientHeightTwips}).size());
    CreateControls();
    SetTabOrder();
    ConnectActions();
    Dialog_.Prepare(this);
    Control(ControlId::cmdRemoveIcons)->setFocus();
    Ticks_ = new QTimer(this);
    Ticks_->setInterval(100);
    connect(Ticks_, &QTimer::timeout, this, [this] { Presenter_.Tick(); });
    winId();
    windowHandle()->installEventFilter(this);
}

Main::~Main() {
    if (Worker_ != nullptr) {
        Presenter_.CloseAsked();
        Worker_->wait();
    }
}

void Main::CreateControls() {
    for (const auto& Each : WindowControls()) {
        QWidget* Parent = Each.Frame == ControlId::None ? this : Control(Each.Frame);
        QWidget* Created = Build(Each, Parent);
        Created->setObjectName(QString::fromLatin1(Each.Name));
        Created->setGeometry(FromTwips(Each.Where));
        Created->setFont(CaptionFont(Each.Points));
        Controls_[Each.Id] = Created;
    }
    // The labels name the fields for screen readers too.
    static_cast<QLabel*>(Control(ControlId::Label1))->setBuddy(Field(ControlId::txtInputTrackFile));
    static_cast<QLabel*>(Control(ControlId::Label2))
        ->setBuddy(Field(ControlId::txtOutputTrackFile));
    static_cast<QRadioButton*>(Control(IconStateOptions().front().Id))->setChecked(true);
    static_cast<QRadioButton*>(Control(CommandOptions().front().Id))->setChecked(true);
}

// Tab follows the layout's tab indexes, stopping on the selected option of each group, as in
// any option group; the arrow keys move within the group.
void Main::SetTabOrder() {
    std::vector<const ControlLayout*> Order = ControlsInTabOrder(false);
    std::erase_if(Order, [](const auto* Each) {
        return Each->Kind == ControlKind::Label || Each->Kind == ControlKind::GroupBox;
    });
    for (std::size_t At = 1; At < Order.size(); ++At) {
        setTabOrder(Control(Order[At - 1]->Id), Control(Order[At]->Id));
    }
    for (const auto* Each : Order) {
        if (auto* Option = qobject_cast<QRadioButton*>(Control(Each->Id))) {
            const auto FollowSelection = [Option](bool Selected) {
                Option->setFocusPolicy(Selected ? Qt::StrongFocus : Qt::ClickFocus);
            };
            FollowSelection(Option->isChecked());
            connect(Option, &QRadioButton::toggled, Option, FollowSelection);
        }
    }
}

void Main::ConnectActions() {
    const auto Pressed = [this](ControlId Id, void (MainPresenter::*Act)()) {
        connect(static_cast<QPushButton*>(Control(Id)), &QPushButton::clicked, this,
                [this, Act] { (Presenter_.*Act)(); });
    };
    Pressed(ControlId::cmdRemoveIcons, &MainPresenter::RemoveIconsPressed);
    Pressed(ControlId::cmdInputBrowse, &MainPresenter::InputBrowsePressed);
    Pressed(ControlId::cmdOutputBrowse, &MainPresenter::OutputBrowsePressed);
    connect(static_cast<QPushButton*>(Control(ControlId::cmdExit)), &QPushButton::clicked, this,
            &QWidget::close);
    // What the user types goes to the presenter; what the window shows of it does not.
    for (const auto& [Id, Edited] :
         {std::pair{ControlId::txtInputTrackFile, &MainPresenter::InputEdited},
          std::pair{ControlId::txtOutputTrackFile, &MainPresenter::OutputEdited}}) {
        connect(Field(Id), &QLineEdit::textChanged, this, [this, Edited](const QString& Typed) {
            if (!Showing_) {
                (Presenter_.*Edited)(Bytes(Typed));
            }
        });
    }
}

QLineEdit* Main::Field(ControlId Id) const {
    return static_cast<QLineEdit*>(Control(Id));
}

bool Main::IsChecked(ControlId Option) const {
    return static_cast<QRadioButton*>(Control(Option))->isChecked();
}

// A field being typed in keeps its text and cursor; a list is read from its start, a single
// name from its end, where names differ.
void Main::ShowFields(const FieldsShown& Fields) {
    const auto Show = [this, &Fields](ControlId Id, const std::string& Shown,
                                      const std::string& ToolTip) {
        QLineEdit* Edit = Field(Id);
        const QString NewText = QString::fromStdString(Shown);
        if (Edit->text() != NewText) {
            Showing_ = true;
            Edit->setText(NewText);
            Showing_ = false;
            if (Fields.ReadOnly) {
                Edit->setCursorPosition(0);
            }
        }
        Edit->setReadOnly(Fields.ReadOnly);
        Edit->setToolTip(QString::fromStdString(ToolTip));
    };
    Show(ControlId::txtInputTrackFile, Fields.InputText, Fields.InputToolTip);
    Show(ControlId::txtOutputTrackFile, Fields.OutputText, Fields.OutputToolTip);
}

std::vector<std::string> Main::AskForTracks(const std::string& Last) {
    std::vector<std::string> Chosen;
    for (const auto& Name : Dialog_.ShowOpen(Text(Last))) {
        Chosen.push_back(Bytes(Name));
    }
    return Chosen;
}

std::string Main::AskForOutput(const std::string& Last) {
    return Bytes(Dialog_.ShowSave(Text(Last)));
}

std::string Main::AskForFolder(const std::string& Last) {
    return Bytes(Dialog_.ShowFolder(Text(Last)));
}

bool Main::Confirm(const ListReport& Question) {
    return Messages_.Confirm(this, QString::fromStdString(Question.Headline),
                             Lines(Question.Lines));
}

void Main::ShowSummary(const ListReport& Summary) {
    Messages_.ShowSummary(this, QString::fromStdString(Summary.Headline), Lines(Summary.InSight),
                          Lines(Summary.Lines));
}

// The work goes on in a thread of its own, so that the window paints and Stop answers at once;
// the window takes no input but Bail Out and its close until it ends.
void Main::StartWork(std::function<void()> Work) {
    SetInputEnabled(false);
    Worker_ = QThread::create(std::move(Work));
    connect(Worker_, &QThread::finished, this, [this] {
        Ticks_->stop();
        SetInputEnabled(true);
        Worker_->deleteLater();
        Worker_ = nullptr;
        Presenter_.WorkEnded();
    });
    Ticks_->start();
    Worker_->start();
}

void Main::ShowProgress(const ProgressShown& Progress) {
    Progress_.Show(this, QString::fromStdString(Progress.Label), Progress.Permille,
                   Progress.Stoppable, [this] { Presenter_.StopPressed(); });
}

void Main::closeEvent(QCloseEvent* Event) {
    Event->setAccepted(Presenter_.CloseAsked());
}

// Tracks dropped during a run are still taken: they wait for its end.
void Main::SetInputEnabled(bool Enabled) {
    for (const auto& [Id, Control] : Controls_) {
        if (Id != ControlId::cmdExit && Control->parentWidget() == this) {
            Control->setEnabled(Enabled);
        }
    }
}

bool Main::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == windowHandle() && Event->type() == QEvent::Expose &&
        windowHandle()->isExposed()) {
        windowHandle()->removeEventFilter(this);
        // Once the window is placed, so that a box it shows is centred on it.
        QTimer::singleShot(0, this, [this] { Presenter_.WindowShown(); });
    }
    return QWidget::eventFilter(Watched, Event);
}

void Main::dragEnterEvent(QDragEnterEvent* Event) {
    if (!LocalFiles(Event->mimeData()).empty()) {
        Event->acceptProposedAction();
    }
}

void Main::dropEvent(QDropEvent* Event) {
    const auto Files = LocalFiles(Event->mimeData());
    if (!Files.empty()) {
        Event->acceptProposedAction();
        Presenter_.OpenTracks(Files);
    }
}

}  // namespace quellmark
