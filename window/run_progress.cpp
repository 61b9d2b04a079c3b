#include "window/run_progress.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace quellmark {

ProgressDialogView::~ProgressDialogView() {
    delete Dialog_;
}

void ProgressDialogView::Start(QWidget* Owner, std::function<void()> Stop) {
    delete Dialog_;
    Dialog_ = new QProgressDialog(
        QString(), QCoreApplication::translate("quellmark::RunProgress", "Stop"), 0, 1000, Owner);
    Dialog_->setWindowTitle(QStringLiteral("Quellmark"));
    Dialog_->setWindowModality(Qt::WindowModal);
    // Short runs end before it would show; the GUI thread is free, so it paints throughout.
    Dialog_->setMinimumDuration(500);
    Dialog_->setAutoClose(false);
    Dialog_->setAutoReset(false);
    Dialog_->setMinimumWidth(360);
    QObject::connect(Dialog_, &QProgressDialog::canceled, Dialog_, std::move(Stop));
    Dialog_->setValue(0);
}

void ProgressDialogView::Update(const QString& Label, int Permille) {
    if (Dialog_ != nullptr) {
        Dialog_->setLabelText(Label);
        Dialog_->setValue(Permille);
    }
}

void ProgressDialogView::Finish() {
    delete Dialog_;
    Dialog_ = nullptr;
}

}  // namespace quellmark
