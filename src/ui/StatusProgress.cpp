#include "StatusProgress.h"

#include "AEApplication.h"

#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

StatusProgress::StatusProgress(QStatusBar* bar, const QString& cancelText)
    : bar_(bar), progress_(new QProgressBar), cancel_(new QPushButton(cancelText)) {
    progress_->setMaximumWidth(220);
    bar_->addPermanentWidget(progress_);
    bar_->addPermanentWidget(cancel_);
    QObject::connect(cancel_, &QPushButton::clicked, [] {
        if (AEApplication* app = AEApplication::current()) {
            app->setCancelRequested(true);
        }
    });
    hide();
}

void StatusProgress::setText(const std::string& text) {
    bar_->showMessage(QString::fromStdString(text));
    progress_->show();
    cancel_->show();
}

void StatusProgress::setValues(int32_t value, int32_t maximum) {
    progress_->setRange(0, maximum > 0 ? maximum : 0);
    progress_->setValue(value);
    progress_->show();
    cancel_->show();
}

void StatusProgress::hide() {
    bar_->clearMessage();
    progress_->hide();
    cancel_->hide();
}

bool StatusProgress::visible() const {
    return progress_->isVisible();
}
