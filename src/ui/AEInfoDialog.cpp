#include "AEInfoDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int32_t kStringTitle = 3312;
constexpr int32_t kStringVersion = 3314;
constexpr int32_t kStringSettingsFile = 3315;
constexpr int32_t kStringLogFile = 3316;
constexpr int32_t kStringLogNote = 3317;
constexpr int32_t kStringReportHeading = 3318;
constexpr int32_t kStringReportSteps = 3319;
constexpr int32_t kStringCopy = 3320;
constexpr int32_t kStringClose = 3321;
constexpr int32_t kStringSystem = 3322;
constexpr int32_t kStringCopied = 3323;

// A label whose text can be selected with the mouse (paths to copy by hand).
QLabel* fact(const QString& text) {
    auto* label = new QLabel(text);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    return label;
}

QLabel* paragraph(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

AEInfoDialog::AEInfoDialog(Facts facts, std::function<QString(int32_t)> text, QWidget* parent)
    : QDialog(parent), facts_(std::move(facts)), text_(std::move(text)) {
    setWindowTitle(text_(kStringTitle).remove(QStringLiteral("...")).trimmed());
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow(text_(kStringVersion), fact(facts_.version));
    form->addRow(text_(kStringSystem), fact(facts_.system));
    form->addRow(text_(kStringSettingsFile), fact(facts_.settingsFile));
    form->addRow(text_(kStringLogFile), fact(facts_.logFile));
    layout->addLayout(form);
    layout->addWidget(paragraph(text_(kStringLogNote)));
    auto* heading = new QLabel(text_(kStringReportHeading));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addSpacing(6);
    layout->addWidget(heading);
    layout->addWidget(paragraph(text_(kStringReportSteps)));

    auto* buttons = new QHBoxLayout;
    copied_ = new QLabel;
    copy_ = new QPushButton(text_(kStringCopy));
    close_ = new QPushButton(text_(kStringClose));
    close_->setDefault(true);
    buttons->addWidget(copied_, 1);
    buttons->addWidget(copy_);
    buttons->addWidget(close_);
    layout->addLayout(buttons);
    connect(copy_, &QPushButton::clicked, this, &AEInfoDialog::copy);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    setMinimumWidth(520);
}

QString AEInfoDialog::reportText() const {
    const QString line = QStringLiteral("%1: %2\n");
    return QStringLiteral("Gleam!\n") + line.arg(text_(kStringVersion), facts_.version) +
           line.arg(text_(kStringSystem), facts_.system) +
           line.arg(text_(kStringSettingsFile), facts_.settingsFile) +
           line.arg(text_(kStringLogFile), facts_.logFile) + text_(kStringLogNote) +
           QStringLiteral("\n\n") + text_(kStringReportHeading) + QStringLiteral("\n") +
           text_(kStringReportSteps) + QStringLiteral("\n");
}

void AEInfoDialog::copy() {
    QApplication::clipboard()->setText(reportText());
    copied_->setText(text_(kStringCopied));
}
