// The sound card settings dialog behind its menu command: what it shows, every change
// bounded and stored at once, the delay text, and OK and Cancel with the device reopened
// only after a confirmed change.
#include "AESoundcardDialog.h"
#include "WindowHarness.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class SoundcardDialogTest : public WindowTest {
protected:
    int32_t stored(const char* name) {
        int32_t value = -1;
        RegistryStore().readInt(name, value, -1);
        return value;
    }
    // The dialog opened through the menu command.
    AESoundcardDialog& open() {
        window_->command(AEMainWindow::kSoundcardSettings);
        AESoundcardDialog* dialog = commands().soundcardDialog();
        EXPECT_NE(dialog, nullptr);
        return *dialog;
    }
    // Types `text` into `field` as the user would, replacing what it held.
    static void type(QLineEdit* field, const QString& text) {
        field->selectAll();
        QTest::keyClicks(field, text);
    }
    QString delayText(int32_t milliseconds) {
        return QStringLiteral("%1 %2 ms").arg(text(3122)).arg(milliseconds);
    }
};

TEST_F(SoundcardDialogTest, OpensWithTheStoredValuesAndTheirDelay) {
    RegistryStore store;
    store.writeInt("mme_numBuff_play", 10);
    store.writeInt("mme_buffSize_play", 8192);
    store.writeInt("mme_numBuff_rec", 7);
    store.writeInt("mme_buffSize_rec", 16000);
    AESoundcardDialog& dialog = open();
    EXPECT_TRUE(dialog.isModal());
    EXPECT_EQ(dialog.playBuffers()->text(), QStringLiteral("10"));
    EXPECT_EQ(dialog.playSize()->text(), QStringLiteral("8192"));
    EXPECT_EQ(dialog.recordBuffers()->text(), QStringLiteral("7"));
    EXPECT_EQ(dialog.recordSize()->text(), QStringLiteral("16000"));
    EXPECT_EQ(dialog.delay()->text(), delayText(464));
    // The devices that take the format, the stored one chosen.
    EXPECT_EQ(dialog.playDevice()->count(), AESoundcardDialog::deviceNames(true).size());
    EXPECT_GE(dialog.playDevice()->count(), 1);
    EXPECT_EQ(dialog.playDevice()->currentIndex(), 0);
    EXPECT_EQ(dialog.recordDevice()->currentIndex(), 0);
    dialog.reject();
}

// Each typed value reaches the settings (which bound it: AESoundcardSettingsTest) at once,
// with the delay it gives; leaving a field shows what was stored for it.
TEST_F(SoundcardDialogTest, EveryChangeIsStoredAtOnceAndShownBounded) {
    AESoundcardDialog& dialog = open();
    type(dialog.playBuffers(), QStringLiteral("12"));
    EXPECT_EQ(stored("mme_numBuff_play"), 10);
    EXPECT_EQ(dialog.delay()->text(), delayText(1857)) << "10 × 250 × 32768 / 44100";
    type(dialog.recordBuffers(), QStringLiteral("six"));
    EXPECT_EQ(stored("mme_numBuff_rec"), 4);
    emit dialog.recordBuffers()->editingFinished();
    EXPECT_EQ(dialog.recordBuffers()->text(), QStringLiteral("4"));
    dialog.reject();
}

// Cancel puts the starting values back and leaves the device; OK reopens it only after a
// change.
TEST_F(SoundcardDialogTest, OnlyAConfirmedChangeReopensTheDevice) {
    const int32_t buffersBefore = app_->device().getNumPlayBuffers();
    ASSERT_FALSE(app_->engine().threadRunning());
    AESoundcardDialog& cancelled = open();
    type(cancelled.playBuffers(), QStringLiteral("8"));
    EXPECT_EQ(stored("mme_numBuff_play"), 8);
    QTest::mouseClick(cancelled.cancelButton(), Qt::LeftButton);
    EXPECT_EQ(commands().soundcardDialog(), nullptr);
    QApplication::processEvents();
    EXPECT_EQ(stored("mme_numBuff_play"), 4);
    EXPECT_EQ(app_->device().getNumPlayBuffers(), buffersBefore);
    QTest::mouseClick(open().okButton(), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_FALSE(app_->engine().threadRunning()) << "no change, no reopening";

    AESoundcardDialog& dialog = open();
    type(dialog.playBuffers(), QStringLiteral("6"));
    type(dialog.playSize(), QStringLiteral("16384"));
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(commands().soundcardDialog(), nullptr);
    EXPECT_EQ(app_->device().getNumPlayBuffers(), 6);
    EXPECT_EQ(app_->device().framesPerBuffer(true), 16384 / 4);
    EXPECT_TRUE(app_->engine().threadRunning());
}

} // namespace
