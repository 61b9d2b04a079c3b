#include "window/run_progress.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "window_logic/window_layout.h"

namespace quellmark {

ProgressDialogView::~ProgressDialogView() {
    delete Dialog_;
}

void ProgressDialogView::Show(QWidget* Owner, const QString& Label, int Permille, bool Stoppable,
                              std::function<void()> Stop) {
    if (Dialog_ == nullptr) {
        Dialog_ = new QDialog(Owner);
        Dialog_->setWindowTitle(QStringLiteral("Quellmark"));
        Dialog_->setMinimumWidth(360);
        auto* Layout = new QVBoxLayout(Dialog_);
        Text_ = new QLabel(Dialog_);
        Bar_ = new QProgressBar(Dialog_);
        Bar_->setRange(0, 1000);
        Bar_->setTextVisible(false);
        Bar_->setAccessibleName(QString::fromUtf8(ProgressAccessibleName));
        auto* Buttons = new QDialogButtonBox(Dialog_);
        StopButton_ = Buttons->addButton(QStringLiteral("Stop"), QDialogButtonBox::RejectRole);
        Layout->addWidget(Text_);
        Layout->addWidget(Bar_);
        Layout->addWidget(Buttons);
        // Stop, Esc and the box's own close all stop the run.
        QObject::connect(Buttons, &QDialogButtonBox::rejected, Dialog_, &QDialog::reject);
        QObject::connect(Dialog_, &QDialog::rejected, Dialog_, std::move(Stop));
        Dialog_->show();
        StopButton_->setFocus();
    }
    Text_->setText(Label);
    // Which track the bar is for, as the label says it.
    Bar_->setAccessibleDescription(Label);
    Bar_->setValue(Permille);
    StopButton_->setEnabled(Stoppable);
}

void ProgressDialogView::Hide() {
    delete Dialog_;
    Dialog_ = nullptr;
}

}  // namespace quellmark
