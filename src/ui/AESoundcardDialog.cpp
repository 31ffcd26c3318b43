#include "AESoundcardDialog.h"

#include "WaveDeviceBackend.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <map>

namespace {

constexpr int32_t kStringTitle = 3117;
constexpr int32_t kStringPlayback = 3118;
constexpr int32_t kStringRecording = 3119;
constexpr int32_t kStringBuffers = 3120;
constexpr int32_t kStringBufferSize = 3121;
constexpr int32_t kStringDevice = 3201;
constexpr int32_t kStringOk = 3202;
constexpr int32_t kStringCancel = 3103;

QLineEdit* numberField() {
    auto* field = new QLineEdit;
    field->setMaxLength(10);
    field->setMinimumWidth(90);
    field->setAlignment(Qt::AlignRight);
    return field;
}

// A device list position: the stored number stays when the list has no such entry.
int32_t devicePosition(const QComboBox* list, int32_t stored) {
    return list->currentIndex() >= 0 ? list->currentIndex() : stored;
}

int32_t fieldNumber(const QLineEdit* field) {
    return AESoundcardSettings::fieldValue(field->text().trimmed().toStdString());
}

} // namespace

AESoundcardDialog::AESoundcardDialog(AESoundcardSettings& settings, const QStringList& playDevices,
                                     const QStringList& recordDevices,
                                     std::function<QString(int32_t)> text, QWidget* parent)
    : QDialog(parent), settings_(settings), text_(std::move(text)) {
    setWindowTitle(text_(kStringTitle));
    const QString buffersLabel = text_(kStringBuffers).trimmed();
    const QString sizeLabel = text_(kStringBufferSize).trimmed();

    auto* playGroup = new QGroupBox(text_(kStringPlayback));
    auto* playForm = new QFormLayout(playGroup);
    playDevice_ = new QComboBox;
    playDevice_->addItems(playDevices);
    playBuffers_ = numberField();
    playSize_ = numberField();
    delay_ = new QLabel;
    playForm->addRow(text_(kStringDevice), playDevice_);
    playForm->addRow(buffersLabel, playBuffers_);
    playForm->addRow(sizeLabel, playSize_);
    playForm->addRow(delay_);

    auto* recGroup = new QGroupBox(text_(kStringRecording));
    auto* recForm = new QFormLayout(recGroup);
    recDevice_ = new QComboBox;
    recDevice_->addItems(recordDevices);
    recBuffers_ = numberField();
    recSize_ = numberField();
    recForm->addRow(text_(kStringDevice), recDevice_);
    recForm->addRow(buffersLabel, recBuffers_);
    recForm->addRow(sizeLabel, recSize_);

    auto* buttons = new QDialogButtonBox;
    ok_ = buttons->addButton(text_(kStringOk), QDialogButtonBox::AcceptRole);
    cancel_ = buttons->addButton(text_(kStringCancel), QDialogButtonBox::RejectRole);
    ok_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &AESoundcardDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &AESoundcardDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(playGroup);
    layout->addWidget(recGroup);
    layout->addWidget(buttons);
    setMinimumWidth(420);

    settings_.beginEditing();
    showValues();
    initialised_ = true;
    for (QComboBox* list : {playDevice_, recDevice_}) {
        connect(list, &QComboBox::currentIndexChanged, this, [this] { changed(); });
    }
    for (QLineEdit* field : {playBuffers_, playSize_, recBuffers_, recSize_}) {
        connect(field, &QLineEdit::textEdited, this, [this] { changed(); });
        // Leaving a field shows what was stored for it.
        connect(field, &QLineEdit::editingFinished, this, [this] { showValues(); });
    }
}

QStringList AESoundcardDialog::deviceNames(bool output) {
    std::map<int, QString> byNumber;
    for (const WaveDeviceInfo& device : WaveDeviceBackend::devices()) {
        const int number = output ? device.outputNumber : device.inputNumber;
        if (number >= 0) {
            byNumber.emplace(number, QString::fromStdString(device.name));
        }
    }
    QStringList names;
    for (const auto& entry : byNumber) {
        names << entry.second;
    }
    return names;
}

AESoundcardSettings::Values AESoundcardDialog::fieldValues() const {
    const AESoundcardSettings::Values& now = settings_.values();
    AESoundcardSettings::Values values;
    values.idPlayDevice = devicePosition(playDevice_, now.idPlayDevice);
    values.numBuffPlay = fieldNumber(playBuffers_);
    values.buffSizePlay = fieldNumber(playSize_);
    values.idRecDevice = devicePosition(recDevice_, now.idRecDevice);
    values.numBuffRec = fieldNumber(recBuffers_);
    values.buffSizeRec = fieldNumber(recSize_);
    return values;
}

void AESoundcardDialog::showValues() {
    const AESoundcardSettings::Values& values = settings_.values();
    const QSignalBlocker blockPlay(playDevice_);
    const QSignalBlocker blockRecord(recDevice_);
    playDevice_->setCurrentIndex(values.idPlayDevice < playDevice_->count() ? values.idPlayDevice
                                                                            : -1);
    recDevice_->setCurrentIndex(values.idRecDevice < recDevice_->count() ? values.idRecDevice : -1);
    const std::pair<QLineEdit*, int32_t> fields[] = {{playBuffers_, values.numBuffPlay},
                                                     {playSize_, values.buffSizePlay},
                                                     {recBuffers_, values.numBuffRec},
                                                     {recSize_, values.buffSizeRec}};
    for (const auto& [field, value] : fields) {
        if (field->text() != QString::number(value)) {
            field->setText(QString::number(value));
        }
    }
    showDelay();
}

void AESoundcardDialog::changed() {
    if (!initialised_) {
        return;
    }
    settings_.edit(fieldValues());
    showDelay();
}

void AESoundcardDialog::showDelay() {
    delay_->setText(QString::fromStdString(
        settings_.delayText(text_(AESoundcardSettings::kStringDelay).toStdString())));
}

void AESoundcardDialog::accept() {
    settings_.accept(fieldValues());
    QDialog::accept();
}

void AESoundcardDialog::reject() {
    settings_.cancel();
    QDialog::reject();
}
