// The sound card settings: bounds, the delay text, Cancel and the change test, against the
// real settings store (in the test's private configuration folder).
#include "AESoundcardSettings.h"
#include "RegistryStore.h"

#include <gtest/gtest.h>

namespace {

class AESoundcardSettingsTest : public ::testing::Test {
protected:
    // What the store holds now.
    static AESoundcardSettings::Values stored() {
        RegistryStore store;
        AESoundcardSettings::Values values;
        store.readInt("idPlayDevice", values.idPlayDevice, -1);
        store.readInt("mme_numBuff_play", values.numBuffPlay, -1);
        store.readInt("mme_buffSize_play", values.buffSizePlay, -1);
        store.readInt("idRecDevice", values.idRecDevice, -1);
        store.readInt("mme_numBuff_rec", values.numBuffRec, -1);
        store.readInt("mme_buffSize_rec", values.buffSizeRec, -1);
        return values;
    }

    void SetUp() override {
        // Each test starts from an empty store.
        AESoundcardSettings defaults;
        defaults.edit(AESoundcardSettings::Values{});
    }
};

// Typed values, and values out of bounds in the store, are pulled into their bounds; a
// buffer size to whole frames.
TEST_F(AESoundcardSettingsTest, ValuesArePulledIntoTheirBounds) {
    AESoundcardSettings settings;
    AESoundcardSettings::Values typed;
    typed.numBuffPlay = 3;
    typed.numBuffRec = 12;
    typed.buffSizePlay = 10001;
    typed.buffSizeRec = 40000;
    typed.idPlayDevice = -2;
    settings.edit(typed);
    EXPECT_EQ(stored().numBuffPlay, 4);
    EXPECT_EQ(stored().numBuffRec, 10);
    EXPECT_EQ(stored().buffSizePlay, 10000);
    EXPECT_EQ(stored().buffSizeRec, 32768);
    EXPECT_EQ(stored().idPlayDevice, 0);
    typed.buffSizePlay = 5000;
    settings.edit(typed);
    EXPECT_EQ(stored().buffSizePlay, 8192);
    EXPECT_EQ(settings.values(), stored());

    RegistryStore store;
    store.writeInt("mme_numBuff_rec", 99);
    store.writeInt("mme_buffSize_play", 16385);
    store.writeInt("idRecDevice", 2);
    AESoundcardSettings loaded;
    EXPECT_EQ(loaded.values().numBuffRec, 10);
    EXPECT_EQ(loaded.values().buffSizePlay, 16384);
    EXPECT_EQ(loaded.values().idRecDevice, 2);
    EXPECT_FALSE(loaded.changed());
}

TEST_F(AESoundcardSettingsTest, TheDelayIsThePlaybackLatencyInMilliseconds) {
    AESoundcardSettings settings;
    EXPECT_EQ(settings.delayText("Delay"), "Delay 743 ms");
    AESoundcardSettings::Values values;
    values.numBuffPlay = 10;
    values.buffSizePlay = 8192;
    settings.edit(values);
    EXPECT_EQ(settings.delayMilliseconds(), 464);
    EXPECT_EQ(settings.delayText("Verzögerung"), "Verzögerung 464 ms");
}

// Every change is stored at once; Cancel puts back what the dialog started with, OK keeps
// the change and reports it.
TEST_F(AESoundcardSettingsTest, CancelPutsBackWhatTheDialogStartedWithAndOkKeepsTheChange) {
    AESoundcardSettings settings;
    settings.beginEditing();
    EXPECT_FALSE(settings.changed()) << "closing without changes reconfigures nothing";
    const AESoundcardSettings::Values before = stored();
    AESoundcardSettings::Values typed = settings.values();
    typed.numBuffPlay = 8;
    typed.idRecDevice = 1;
    settings.edit(typed);
    EXPECT_EQ(stored().numBuffPlay, 8);
    EXPECT_TRUE(settings.changed());
    settings.cancel();
    EXPECT_EQ(stored(), before);
    EXPECT_FALSE(settings.changed());

    settings.beginEditing();
    typed = settings.values();
    typed.buffSizeRec = 16000;
    settings.accept(typed);
    EXPECT_TRUE(settings.changed());
    EXPECT_EQ(AESoundcardSettings().values().buffSizeRec, 16000);
}

TEST_F(AESoundcardSettingsTest, TextThatIsNoNumberReadsAsZero) {
    EXPECT_EQ(AESoundcardSettings::fieldValue("8192"), 8192);
    EXPECT_EQ(AESoundcardSettings::fieldValue("-3"), -3);
    EXPECT_EQ(AESoundcardSettings::fieldValue("abc"), 0);
    EXPECT_EQ(AESoundcardSettings::fieldValue("12ab"), 0);
    EXPECT_EQ(AESoundcardSettings::fieldValue(""), 0);
    EXPECT_EQ(AESoundcardSettings::fieldValue("99999999999"), 0);
    AESoundcardSettings::Values typed;
    typed.numBuffPlay = AESoundcardSettings::fieldValue("four");
    EXPECT_EQ(AESoundcardSettings::bounded(typed).numBuffPlay, 4);
}

} // namespace
