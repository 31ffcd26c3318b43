// The Options menu's choice of restoration mode: check marks, the stored value, the mode
// of processing runs and of playback; and the repair report in the status line.
#include "AEApplication.h"
#include "AEMainWindow.h"
#include "AppHost.h"
#include "FMessageQueue.h"
#include "FString.h"
#include "RegistryStore.h"
#include "WindowHarness.h"

#include <QAction>
#include <QLabel>
#include <QStatusBar>

#include <gtest/gtest.h>

namespace {

class RestorationModeMenuTest : public WindowTest {
protected:
    RestorationModeMenuTest() : WindowTest(Start::kNothing) {}
    int32_t stored() {
        int32_t value = -1;
        RegistryStore().readInt("restorationMode", value, -1);
        return value;
    }
};

TEST_F(RestorationModeMenuTest, EnhancedByDefaultAndClassicWhenChosenAlsoAtTheNextStart) {
    makeWindow(false);
    QAction* classic = window_->action(AEMainWindow::kRestorationClassic);
    QAction* enhanced = window_->action(AEMainWindow::kRestorationEnhanced);
    ASSERT_NE(classic, nullptr);
    ASSERT_NE(enhanced, nullptr);
    EXPECT_FALSE(classic->isChecked());
    EXPECT_TRUE(enhanced->isChecked());
    EXPECT_EQ(RestorationChoice::current(), RestorationMode::kEnhanced);
    EXPECT_EQ(app_->engine().restorationMode(), RestorationMode::kEnhanced);

    for (const RestorationMode mode : {RestorationMode::kClassic, RestorationMode::kEnhanced}) {
        const bool isClassic = mode == RestorationMode::kClassic;
        ASSERT_TRUE(window_->command(isClassic ? AEMainWindow::kRestorationClassic
                                               : AEMainWindow::kRestorationEnhanced));
        EXPECT_EQ(classic->isChecked(), isClassic);
        EXPECT_EQ(enhanced->isChecked(), !isClassic);
        EXPECT_EQ(stored(), isClassic ? 0 : 1);
        EXPECT_EQ(RestorationChoice::current(), mode);
        EXPECT_EQ(app_->engine().restorationMode(), mode);
    }

    // A user who chose classic keeps it at the next start, though enhanced is the default
    // (and the mode of this process).
    app_->setMainWindow(nullptr);
    window_.reset();
    app_.reset();
    RegistryStore().writeInt("restorationMode", 0);
    makeWindow(false);
    EXPECT_TRUE(window_->action(AEMainWindow::kRestorationClassic)->isChecked());
    EXPECT_EQ(window_->restorationMode(), RestorationMode::kClassic);
    EXPECT_EQ(RestorationChoice::current(), RestorationMode::kClassic);
    EXPECT_EQ(app_->engine().restorationMode(), RestorationMode::kClassic);
    window_->command(AEMainWindow::kRestorationEnhanced); // as a later test expects
}

TEST_F(RestorationModeMenuTest, ARepairReportReachesTheStatusLine) {
    makeWindow(false);
    app_->postAppMessage(
        AppHost::kTagStatus, 0, 0,
        FRef<FShared>::adopt(new FString("Title 01: Clicks repaired: 3 (9 samples)")));
    FMessageQueue::deliverPending();
    bool shown = false;
    for (QLabel* label : window_->statusBar()->findChildren<QLabel*>()) {
        shown =
            shown || label->text() == QStringLiteral("Title 01: Clicks repaired: 3 (9 samples)");
    }
    EXPECT_TRUE(shown);
}

} // namespace
