// The sound card settings: bounds and typed numbers, against the real settings store (in the
// test's private configuration folder). The delay, Cancel and OK: SoundcardDialogTest.
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

} // namespace
