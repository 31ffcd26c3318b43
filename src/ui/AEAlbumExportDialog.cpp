#include "AEAlbumExportDialog.h"

#include "FileChooser.h"
#include "LoudnessTarget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <iterator>

namespace {

constexpr int32_t kStringTitle = 3348;
constexpr int32_t kStringFolder = 3349;
constexpr int32_t kStringChoose = 3350;
constexpr int32_t kStringFormat = 3351;
constexpr int32_t kStringTitles = 3352;
constexpr int32_t kStringAllTitles = 3353;
constexpr int32_t kStringLoudness = 3354;
constexpr int32_t kStringAsRecorded = 3355;
constexpr int32_t kStringAlbumGain = 3356;
constexpr int32_t kStringCover = 3357;
constexpr int32_t kStringExport = 3358;
constexpr int32_t kStringFirstTarget = 3363;
constexpr int32_t kStringBadTitles = 3371;
constexpr int32_t kStringChooseFolder = 3372;
constexpr int32_t kStringChooseCover = 3373;
constexpr int32_t kStringPictures = 3374;
constexpr int32_t kStringNoFolder = 3376;
constexpr int32_t kStringCancel = 3103;

struct FormatChoice {
    const char* label;
    EncodedFormat format;
};
constexpr FormatChoice kFormats[] = {{"FLAC", EncodedFormat::kFlac},
                                     {"Opus", EncodedFormat::kOpus},
                                     {"MP3", EncodedFormat::kMp3},
                                     {"WAVE", EncodedFormat::kWave}};

// A line edit with a "Choose..." button beside it.
QWidget* withButton(QLineEdit* field, QPushButton* button) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(field, 1);
    layout->addWidget(button);
    return row;
}

} // namespace

AEAlbumExportDialog::AEAlbumExportDialog(FileChooser& chooser, const QString& folder,
                                         int32_t titleCount, std::function<QString(int32_t)> text,
                                         QWidget* parent)
    : QDialog(parent), chooser_(chooser), text_(std::move(text)), titleCount_(titleCount) {
    setWindowTitle(text_(kStringTitle));
    auto* form = new QFormLayout;

    folder_ = new QLineEdit(folder, this);
    auto* chooseFolder = new QPushButton(text_(kStringChoose), this);
    connect(chooseFolder, &QPushButton::clicked, this, [this] {
        const QString chosen = chooser_.folder(this, text_(kStringChooseFolder), folder_->text());
        if (!chosen.isEmpty()) {
            folder_->setText(chosen);
        }
    });
    form->addRow(text_(kStringFolder), withButton(folder_, chooseFolder));

    format_ = new QComboBox(this);
    for (const FormatChoice& choice : kFormats) {
        format_->addItem(QString::fromLatin1(choice.label), static_cast<int>(choice.format));
    }
    form->addRow(text_(kStringFormat), format_);

    titles_ = new QLineEdit(this);
    titles_->setPlaceholderText(text_(kStringAllTitles));
    form->addRow(text_(kStringTitles), titles_);

    loudness_ = new QComboBox(this);
    loudness_->addItem(text_(kStringAsRecorded));
    for (size_t i = 0; i < std::size(LoudnessTarget::kChoices); ++i) {
        loudness_->addItem(text_(kStringFirstTarget + static_cast<int32_t>(i)),
                           LoudnessTarget::kChoices[i]);
    }
    form->addRow(text_(kStringLoudness), loudness_);
    albumGain_ = new QCheckBox(text_(kStringAlbumGain), this);
    albumGain_->setEnabled(false);
    connect(loudness_, &QComboBox::currentIndexChanged, this,
            [this](int index) { albumGain_->setEnabled(index > 0); });
    form->addRow(QString(), albumGain_);

    cover_ = new QLineEdit(this);
    auto* chooseCover = new QPushButton(text_(kStringChoose), this);
    connect(chooseCover, &QPushButton::clicked, this, [this] {
        const QString start =
            cover_->text().isEmpty() ? folder_->text() : QFileInfo(cover_->text()).absolutePath();
        const QString chosen =
            chooser_.openFile(this, text_(kStringChooseCover), start, text_(kStringPictures));
        if (!chosen.isEmpty()) {
            cover_->setText(chosen);
        }
    });
    form->addRow(text_(kStringCover), withButton(cover_, chooseCover));

    problem_ = new QLabel(this);
    problem_->setWordWrap(true);
    problem_->setStyleSheet(QStringLiteral("color: #e0a040;"));
    problem_->hide();

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(text_(kStringExport), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(text_(kStringCancel), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(problem_);
    layout->addWidget(buttons);
    setMinimumWidth(520);
}

void AEAlbumExportDialog::accept() {
    AEAlbumExport::Options options;
    // Typed names are taken from the program's folder, as the file dialogs take them.
    options.directory = QFileInfo(folder_->text().trimmed()).absoluteFilePath().toStdString();
    options.format = static_cast<EncodedFormat>(format_->currentData().toInt());
    const std::string titles = titles_->text().remove(QLatin1Char(' ')).toStdString();
    if (loudness_->currentIndex() > 0) {
        options.loudness = loudness_->currentData().toDouble();
        options.albumGain = albumGain_->isChecked();
    }
    if (!cover_->text().trimmed().isEmpty()) {
        options.coverPath = QFileInfo(cover_->text().trimmed()).absoluteFilePath().toStdString();
    }
    int32_t problem = 0;
    if (folder_->text().trimmed().isEmpty()) {
        problem = kStringNoFolder;
    } else if (!titles.empty() &&
               !AEAlbumExport::parseTitles(titles, titleCount_, options.titles)) {
        problem = kStringBadTitles;
    }
    if (problem != 0) {
        problem_->setText(text_(problem));
        problem_->show();
        return;
    }
    options_ = std::move(options);
    QDialog::accept();
}
