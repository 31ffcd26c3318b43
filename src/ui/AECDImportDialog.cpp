#include "AECDImportDialog.h"

#include "FileChooser.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int32_t kStringColumnTitle = 3067;
constexpr int32_t kStringColumnLength = 3068;
constexpr int32_t kStringWindowTitle = 3069;
constexpr int32_t kStringImport = 3070;
constexpr int32_t kStringCancel = 3090;
constexpr int32_t kStringAddToProject = 3097;
constexpr int32_t kStringSaveTrackAs = 3106;
constexpr int32_t kStringUpdate = 3107;
constexpr int32_t kStringWavFilter = 3059;
constexpr int32_t kStringStopped = 3131;
constexpr int32_t kStringFinished = 3132;
constexpr int32_t kStringGrabError = 3133;
constexpr int32_t kStringNoDrive = 3134;
constexpr int32_t kStringDrive = 3203;
constexpr int32_t kStringTarget = 3204;

constexpr int kTitleColumnWidth = 100;
constexpr int kLengthColumnWidth = 90;

} // namespace

AECDImportDialog::AECDImportDialog(AECDImport::Target target, FileChooser& chooser,
                                   std::function<QString(int32_t)> text,
                                   std::function<void()> onAdding, QWidget* parent)
    : QDialog(parent), import_(std::make_unique<AECDImport>(target, this)), chooser_(chooser),
      text_(std::move(text)), onAdding_(std::move(onAdding)) {
    setWindowTitle(text_(kStringWindowTitle));

    drives_ = new QComboBox;
    drives_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    drives_->setMinimumContentsLength(24);
    update_ = new QPushButton(text_(kStringUpdate));

    tracks_ = new QTreeWidget;
    tracks_->setColumnCount(2);
    tracks_->setHeaderLabels({text_(kStringColumnTitle), text_(kStringColumnLength)});
    tracks_->setColumnWidth(0, kTitleColumnWidth);
    tracks_->setColumnWidth(1, kLengthColumnWidth);
    tracks_->header()->setStretchLastSection(false);
    tracks_->setRootIsDecorated(false);
    tracks_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tracks_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tracks_->setMinimumHeight(180);

    add_ = new QCheckBox(text_(kStringAddToProject));
    progress_ = new QProgressBar;
    progress_->setRange(0, kProgressRange);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    status_ = new QLabel(QStringLiteral(" "));
    status_->setMinimumWidth(1); // long file names must not widen the dialog
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    path_ = new QLineEdit;
    path_->setReadOnly(true);
    path_->setEnabled(false); // changed only through "..."
    browse_ = new QPushButton(QStringLiteral("..."));
    browse_->setToolTip(text_(kStringSaveTrackAs));
    browse_->setFixedWidth(browse_->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);

    importButton_ = new QPushButton(text_(kStringImport));
    importButton_->setDefault(true);
    cancel_ = new QPushButton(text_(kStringCancel));

    auto* driveRow = new QHBoxLayout;
    driveRow->addWidget(new QLabel(text_(kStringDrive)));
    driveRow->addWidget(drives_, 1);
    driveRow->addWidget(update_);

    // The path gets the whole width under its label: its end names the files.
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(path_, 1);
    pathRow->addWidget(browse_);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(importButton_);
    buttonRow->addWidget(cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(driveRow);
    layout->addWidget(tracks_, 1);
    layout->addWidget(add_);
    layout->addWidget(progress_);
    layout->addWidget(status_);
    layout->addWidget(new QLabel(text_(kStringTarget)));
    layout->addLayout(pathRow);
    layout->addLayout(buttonRow);
    setMinimumWidth(520);

    connect(drives_, &QComboBox::activated, this, [this](int index) {
        if (import_->chooseDrive(index)) {
            showLists();
        }
    });
    connect(update_, &QPushButton::clicked, this, [this] {
        if (import_->update()) {
            showLists();
        }
    });
    connect(browse_, &QPushButton::clicked, this, [this] { browse(); });
    connect(importButton_, &QPushButton::clicked, this, [this] { startImport(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
    connect(this, &AECDImportDialog::copyControlsSwitched, this,
            &AECDImportDialog::switchCopyControls, Qt::QueuedConnection);
    connect(
        this, &AECDImportDialog::progressShown, this,
        [this](int position, const QString& status) {
            progress_->setValue(position);
            status_->setText(status);
        },
        Qt::QueuedConnection);
    connect(
        this, &AECDImportDialog::addingStarted, this,
        [this] {
            if (onAdding_) {
                onAdding_();
            }
        },
        Qt::QueuedConnection);
}

AECDImportDialog::~AECDImportDialog() {
    if (import_) {
        import_->stop();
        import_->waitForCopy();
    }
}

void AECDImportDialog::start() {
    import_->open();
    add_->setChecked(import_->addToProject());
    add_->setEnabled(import_->addToProjectEnabled());
    showPath();
    showLists();
}

std::unique_ptr<AECDImport> AECDImportDialog::takeImport() {
    return std::move(import_);
}

void AECDImportDialog::showPath() {
    path_->setText(QString::fromStdString(import_->importName()));
    path_->setToolTip(path_->text());
}

void AECDImportDialog::showLists() {
    const AECDDriveLists& lists = import_->lists();
    {
        const QSignalBlocker block(drives_);
        drives_->clear();
        for (const std::string& name : lists.driveNames()) {
            drives_->addItem(QString::fromStdString(name));
        }
        drives_->setCurrentIndex(lists.selectedDrive());
    }
    tracks_->clear();
    for (int32_t row = 0; row < lists.rowCount(); ++row) {
        auto* item = new QTreeWidgetItem(tracks_);
        item->setText(0, QString::fromStdString(lists.rowText(row, 0)));
        item->setText(1, QString::fromStdString(lists.rowText(row, 1)));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    status_->setText(lists.driveCount() == 0 ? text_(kStringNoDrive) : QStringLiteral(" "));
}

void AECDImportDialog::takeChoices() {
    // Only while no copy runs: the copy thread reads the slots.
    import_->setImportName(path_->text().toStdString());
    for (int32_t row = 0; row < tracks_->topLevelItemCount(); ++row) {
        import_->setRowSelected(row, tracks_->topLevelItem(row)->isSelected());
    }
    if (drives_->currentIndex() >= 0) {
        import_->setSelectedReader(drives_->currentIndex());
    }
    import_->setAddToProject(add_->isEnabled() && add_->isChecked());
}

void AECDImportDialog::browse() {
    const QString chosen = chooser_.saveFile(this, text_(kStringSaveTrackAs), path_->text(),
                                             text_(kStringWavFilter), QStringLiteral("wav"));
    if (!chosen.isEmpty()) {
        import_->setImportName(chosen.toStdString());
        showPath();
    }
}

void AECDImportDialog::startImport() {
    if (import_->copying()) {
        return;
    }
    takeChoices();
    import_->import();
}

void AECDImportDialog::reject() {
    if (import_->copying()) {
        import_->cancel(); // stops the copy; the dialog stays
        return;
    }
    takeChoices();
    if (import_->cancel()) {
        QDialog::reject();
    }
}

void AECDImportDialog::setCopyControlsEnabled(bool enabled) {
    emit copyControlsSwitched(enabled);
}

void AECDImportDialog::showProgress(int32_t position, const std::string& status) {
    emit progressShown(position, QString::fromStdString(status));
}

void AECDImportDialog::addingToProject() {
    emit addingStarted();
}

void AECDImportDialog::switchCopyControls(bool enabled) {
    if (!import_) {
        return; // the dialog has closed meanwhile
    }
    // The track list and the check box too: the copy reads them. Cancel stays, to stop
    // the copy.
    for (QWidget* control :
         std::initializer_list<QWidget*>{drives_, browse_, importButton_, update_, tracks_}) {
        control->setEnabled(enabled);
    }
    add_->setEnabled(enabled && import_->addToProjectEnabled());
    if (enabled) {
        copyEnded();
    }
}

void AECDImportDialog::copyEnded() {
    const AECDImport::Report report = import_->lastReport();
    progress_->setValue(0);
    if (report.stopped) {
        status_->setText(text_(kStringStopped));
    } else if (!report.failedTracks.empty()) {
        status_->setText(text_(kStringGrabError));
    } else if (!report.files.empty()) {
        status_->setText(text_(kStringFinished));
    }
}
