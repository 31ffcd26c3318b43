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

TEST_F(RestorationModeMenuTest, ClassicByDefaultAndEnhancedWhenChosen) {
    makeWindow(false);
    QAction* classic = window_->action(AEMainWindow::kRestorationClassic);
    QAction* enhanced = window_->action(AEMainWindow::kRestorationEnhanced);
    ASSERT_NE(classic, nullptr);
    ASSERT_NE(enhanced, nullptr);
    EXPECT_EQ(classic->text(), text(3171));
    EXPECT_EQ(enhanced->text(), text(3172));
    EXPECT_TRUE(classic->isChecked());
    EXPECT_FALSE(enhanced->isChecked());
    EXPECT_EQ(RestorationChoice::current(), RestorationMode::kClassic);

    ASSERT_TRUE(window_->command(AEMainWindow::kRestorationEnhanced));
    EXPECT_FALSE(classic->isChecked());
    EXPECT_TRUE(enhanced->isChecked());
    EXPECT_EQ(stored(), 1);
    EXPECT_EQ(RestorationChoice::current(), RestorationMode::kEnhanced);
    EXPECT_EQ(app_->engine().restorationMode(), RestorationMode::kEnhanced);

    ASSERT_TRUE(window_->command(AEMainWindow::kRestorationClassic));
    EXPECT_TRUE(classic->isChecked());
    EXPECT_FALSE(enhanced->isChecked());
    EXPECT_EQ(stored(), 0);
    EXPECT_EQ(RestorationChoice::current(), RestorationMode::kClassic);
    EXPECT_EQ(app_->engine().restorationMode(), RestorationMode::kClassic);
}

TEST_F(RestorationModeMenuTest, TheStoredChoiceHoldsAtTheNextStart) {
    RegistryStore().writeInt("restorationMode", 1);
    makeWindow(false);
    EXPECT_TRUE(window_->action(AEMainWindow::kRestorationEnhanced)->isChecked());
    EXPECT_EQ(window_->restorationMode(), RestorationMode::kEnhanced);
    EXPECT_EQ(RestorationChoice::current(), RestorationMode::kEnhanced);
    EXPECT_EQ(app_->engine().restorationMode(), RestorationMode::kEnhanced);
    window_->command(AEMainWindow::kRestorationClassic);
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
