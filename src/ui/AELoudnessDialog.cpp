#include "AELoudnessDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <iterator>

namespace {

constexpr int32_t kStringTitle = 3361;
constexpr int32_t kStringTarget = 3362;
constexpr int32_t kStringFirstTarget = 3363; // one text per LoudnessTarget::kChoices
constexpr int32_t kStringAlbum = 3367;
constexpr int32_t kStringNote = 3368;
constexpr int32_t kStringNormalize = 3369;
constexpr int32_t kStringMeasure = 3370;
constexpr int32_t kStringCancel = 3103;

} // namespace

AELoudnessDialog::AELoudnessDialog(std::function<QString(int32_t)> text, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(text(kStringTitle));
    auto* form = new QFormLayout;
    target_ = new QComboBox(this);
    for (size_t i = 0; i < std::size(LoudnessTarget::kChoices); ++i) {
        target_->addItem(text(kStringFirstTarget + static_cast<int32_t>(i)),
                         LoudnessTarget::kChoices[i]);
        if (LoudnessTarget::kChoices[i] == LoudnessTarget::kDefault) {
            target_->setCurrentIndex(static_cast<int>(i));
        }
    }
    form->addRow(text(kStringTarget), target_);
    album_ = new QCheckBox(text(kStringAlbum), this);
    form->addRow(QString(), album_);
    auto* note = new QLabel(text(kStringNote), this);
    note->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(this);
    normalize_ = buttons->addButton(text(kStringNormalize), QDialogButtonBox::AcceptRole);
    measure_ = buttons->addButton(text(kStringMeasure), QDialogButtonBox::ActionRole);
    buttons->addButton(text(kStringCancel), QDialogButtonBox::RejectRole);
    normalize_->setDefault(true);
    connect(normalize_, &QPushButton::clicked, this, [this] {
        choice_ = kNormalize;
        accept();
    });
    connect(measure_, &QPushButton::clicked, this, [this] {
        choice_ = kMeasure;
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addWidget(buttons);
    setMinimumWidth(440);
}

LoudnessTarget AELoudnessDialog::target() const {
    return {target_->currentData().toDouble(), album_->isChecked()};
}
