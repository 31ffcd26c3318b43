// The dialog "Importing Audio tracks from CD" behind its menu command, against CD images
// the tests make: the lists, the copy and its hand-over to the project, failures named, and
// Cancel stopping a copy.
#include "AECDImportDialog.h"
#include "WindowHarness.h"

#include "CddaDriveList.h"
#include "support/CdImage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace {

namespace fs = std::filesystem;

class CdDialogTest : public WindowTest {
protected:
    void TearDown() override {
        if (AECDImportDialog* dialog = commands().cdImportDialog()) {
            dialog->import().stop();
            ASSERT_TRUE(waitUntil([dialog] { return !dialog->import().copying(); }));
            dialog->reject();
        }
        WindowTest::TearDown();
        unsetenv("GLEAM_CD_IMAGES");
    }

    // Names the images in GLEAM_CD_IMAGES and chooses the first for the dialog, with
    // "song.wav" in the test folder as the target.
    void useImages(const std::vector<const CdTest::CdImage*>& images) {
        std::string list;
        for (const CdTest::CdImage* image : images) {
            list += (list.empty() ? "" : ":") + image->cuePath();
        }
        setenv("GLEAM_CD_IMAGES", list.c_str(), 1);
        imageDrive_ = CddaDriveList().count() - static_cast<int32_t>(images.size());
        RegistryStore store;
        store.writeInt("selectedReader", imageDrive_);
        store.writeText("importName", dir_.file("song.wav").c_str());
    }

    AECDImportDialog& open() {
        window_->command(AEMainWindow::kImportFromCd);
        AECDImportDialog* dialog = commands().cdImportDialog();
        EXPECT_NE(dialog, nullptr);
        return *dialog;
    }

    static void selectRows(AECDImportDialog& dialog, std::initializer_list<int> rows) {
        for (int row : rows) {
            dialog.tracks()->topLevelItem(row)->setSelected(true);
        }
    }

    static bool copyEnded(AECDImportDialog& dialog) {
        return !dialog.import().copying() && dialog.importButton()->isEnabled();
    }

    std::string trackName(int32_t track) { return stdText(3007) + " " + std::to_string(track); }

    int32_t imageDrive_ = 0;
};

// The dialog lists the disc's tracks with their lengths; while it is open no other import
// starts; adding to the project needs one; Cancel closes it and frees the program.
TEST_F(CdDialogTest, TheDiscsTracksAreListedWithTheirLengths) {
    const CdTest::CdImage disc(dir_.path(), "disc-600-675-d150", {{600}, {675}, {150, true}});
    useImages({&disc});
    RegistryStore().writeInt("addToProject", 1);
    for (const bool withProject : {false, true}) {
        if (withProject) {
            newProject();
        }
        AECDImportDialog& dialog = open();
        EXPECT_TRUE(dialog.isModal());
        EXPECT_TRUE(app_->isBusy());
        EXPECT_EQ(dialog.addToProject()->isEnabled(), withProject);
        // The rows as the import lists them (their texts: AECDImportTest).
        EXPECT_EQ(dialog.tracks()->topLevelItemCount(), 3);
        EXPECT_EQ(dialog.drives()->currentIndex(), imageDrive_);
        EXPECT_EQ(dialog.path()->text(), QString::fromStdString(dir_.file("song.wav")));
        EXPECT_FALSE(dialog.path()->isEnabled()) << "changed only through \"...\"";
        EXPECT_FALSE(commands().importFromCd());
        QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
        EXPECT_EQ(commands().cdImportDialog(), nullptr);
        EXPECT_FALSE(app_->isBusy());
    }
}

// The failure is shown in the status line and in one message naming the track (which
// tracks fail and what is kept: AECDImportCopyTest).
TEST_F(CdDialogTest, AFailingTrackIsReportedByName) {
    const CdTest::CdImage disc(dir_.path(), "disc-600-600-600", {{600}, {600}, {600}});
    useImages({&disc});
    AEProject& project = newProject();
    AECDImportDialog& dialog = open();
    // Track 2 loses all but its first second after the table of contents was read.
    fs::resize_file(disc.binPath(), static_cast<uintmax_t>(disc.start(2) + 75) * 2352);
    selectRows(dialog, {0, 1});
    dialog.addToProject()->setChecked(true);
    QTest::mouseClick(dialog.importButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return copyEnded(dialog) && !dialogs_.alerts.empty(); }));
    ASSERT_TRUE(waitUntil([&] { return project.titleCount() == 1 && !app_->isBusy(); }));
    EXPECT_EQ(dialogs_.alerts, (std::vector<std::string>{stdText(3133) + "\n" + trackName(2)}));
    EXPECT_EQ(dialog.status()->text(), text(3133));
}

// Cancel while the copy runs stops it and leaves the dialog open (what a stopped copy leaves:
// AECDImportCopyTest).
TEST_F(CdDialogTest, CancelStopsTheCopyAndKeepsTheDialogOpen) {
    const CdTest::CdImage disc(dir_.path(), "disc-1500-600", {{1500}, {600}});
    useImages({&disc});
    AEProject& project = newProject();
    AECDImportDialog& dialog = open();
    selectRows(dialog, {0, 1});
    dialog.addToProject()->setChecked(true);
    QTest::mouseClick(dialog.importButton(), Qt::LeftButton);
    ASSERT_TRUE(dialog.import().copying());
    QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
    dialog.import().waitForCopy();
    ASSERT_TRUE(waitUntil([&] { return copyEnded(dialog); }));
    EXPECT_EQ(commands().cdImportDialog(), &dialog) << "a stop leaves the dialog open";
    EXPECT_EQ(dialog.status()->text(), text(3131));
    EXPECT_TRUE(dialogs_.alerts.empty()) << "a stop is no failure";
    EXPECT_EQ(project.titleCount(), 0);
    EXPECT_TRUE(app_->isBusy()) << "still open";
    QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
    EXPECT_EQ(commands().cdImportDialog(), nullptr);
    EXPECT_FALSE(app_->isBusy());
}

TEST_F(CdDialogTest, TheTargetIsChosenWithTheBrowseButton) {
    const CdTest::CdImage disc(dir_.path(), "disc-600", {{600}});
    useImages({&disc});
    AECDImportDialog& dialog = open();
    const QString chosen = QString::fromStdString(dir_.file("rips/take.wav"));
    chooser_.answers.push_back(chosen);
    QTest::mouseClick(dialog.browseButton(), Qt::LeftButton);
    EXPECT_EQ(chooser_.proposed.back(), QString::fromStdString(dir_.file("song.wav")));
    EXPECT_EQ(dialog.path()->text(), chosen);
    EXPECT_EQ(dialog.import().importName(), chosen.toStdString());
    QTest::mouseClick(dialog.browseButton(), Qt::LeftButton); // cancelled
    EXPECT_EQ(dialog.path()->text(), chosen);
    QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
}

TEST_F(CdDialogTest, WithoutDrivesTheDialogSaysSo) {
    setenv("GLEAM_CD_IMAGES", "", 1);
    if (CddaDriveList().count() > 0) {
        GTEST_SKIP() << "this machine has a CD drive";
    }
    AECDImportDialog& dialog = open();
    EXPECT_EQ(dialog.drives()->count(), 0);
    EXPECT_EQ(dialog.tracks()->topLevelItemCount(), 0);
    EXPECT_EQ(dialog.status()->text(), text(3134));
    QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
    EXPECT_FALSE(app_->isBusy());
}

} // namespace
