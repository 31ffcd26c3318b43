// The import run's lists, names and settings: the track list with its lengths, the file
// names of copied tracks, the drive choice and the three stored settings.
#include "CdImportTestSupport.h"

#include "AECDDriveLists.h"
#include "RegistryStore.h"

#include <fstream>

namespace {

using CdTest::CdImage;
using CdTest::CdImportTest;

TEST(AECDImportNames, LengthsOfSectorsAndTrackFileNames) {
    EXPECT_EQ(AECDDriveLists::lengthText(2 * 270000 + 3 * 4500 + 4 * 75 + 74), "02:03:04");
    // Named after the target path: its last extension, whatever its case, if ".wav".
    const std::pair<const char*, const char*> names[] = {
        {"/rips/song.WAV", "/rips/song_2.wav"},
        {"/rips/side.a", "/rips/side.a_2.wav"},
        {"/rips/song.wave", "/rips/song.wave_2.wav"}};
    for (const auto& [target, file] : names) {
        EXPECT_EQ(AECDImport::trackFileName(target, 2), file);
    }
    EXPECT_EQ(AECDImport::trackFileName("/rips/song.wav", 12), "/rips/song_12.wav");
}

TEST_F(CdImportTest, TheTrackListShowsEveryTrackWithItsLength) {
    AECDImport import(target(), &view);
    import.open();
    EXPECT_TRUE(host.busy);
    EXPECT_TRUE(list.importPending);
    const AECDDriveLists& lists = import.lists();
    ASSERT_EQ(lists.driveCount(), imageDrive + 1);
    EXPECT_EQ(lists.driveNames().back(), "SCSI ID " + std::to_string(imageDrive) +
                                             ": Image disc-600-150-p30x540-150-600-d150.cue");
    import.chooseDrive(imageDrive);
    ASSERT_EQ(lists.rowCount(), 6);
    for (int32_t row = 0; row < 6; ++row) {
        EXPECT_EQ(lists.rowText(row, 0), "S3007 " + std::to_string(row + 1));
        EXPECT_EQ(lists.slot(row).length, disc.length(row + 1));
    }
    EXPECT_EQ(lists.rowText(0, 1), "00:00:08");
    EXPECT_EQ(lists.rowText(1, 1), "00:00:02") << "150 sectors and the next pregap of 30";
    EXPECT_EQ(lists.slot(5).type, kCddaDataTrack);
    EXPECT_EQ(lists.rowText(6, 0), "");
    import.close();
    EXPECT_FALSE(host.busy);
}

TEST_F(CdImportTest, AStoredDriveThatIsNegativeOrGoneChoosesTheFirstDrive) {
    CdImage other(dir.path(), "other-300-300", {{300}, {300}});
    useImages({other.cuePath(), disc.cuePath()});
    for (int32_t stored : {-3, imageDrive + 5}) {
        RegistryStore().writeInt("selectedReader", stored);
        AECDImport import(target(), &view);
        import.open();
        EXPECT_EQ(import.selectedReader(), 0) << stored;
        EXPECT_EQ(import.lists().selectedDrive(), 0) << stored;
        if (imageDrive == 1) {
            EXPECT_EQ(import.lists().rowCount(), 2) << "the tracks of the first image";
        }
    }
}

TEST_F(CdImportTest, TheSameDriveChosenAgainDoesNotReloadButUpdateDoes) {
    CdImage other(dir.path(), "other-300-300", {{300}, {300}});
    const int32_t first = useImages({disc.cuePath(), other.cuePath()});
    auto import = openImport(target());
    import->chooseDrive(first);
    const int32_t fills = import->lists().fills();
    ASSERT_EQ(import->lists().rowCount(), 6);
    // The disc changes behind the program's back: only a reload shows it.
    CdImage changed(dir.path(), "disc-600-150-p30x540-150-600-d150", {{300}, {300}, {300}});
    EXPECT_FALSE(import->chooseDrive(first));
    EXPECT_EQ(import->lists().fills(), fills);
    EXPECT_EQ(import->lists().rowCount(), 6);
    import->setRowSelected(4, true);
    EXPECT_FALSE(import->chooseDrive(first));
    EXPECT_TRUE(import->lists().slot(4).selected) << "the selection stays as well";

    EXPECT_TRUE(import->update());
    EXPECT_EQ(import->lists().fills(), fills + 1);
    EXPECT_EQ(import->lists().rowCount(), 3);
    EXPECT_FALSE(import->lists().slot(4).selected);
}

TEST_F(CdImportTest, TheSettingsAreReadAtOpeningAndWrittenByImportAndCancel) {
    {
        AECDImport import(target(), &view);
        import.open();
        import.setImportName(dir.file("rip.wav"));
        import.setAddToProject(true);
        import.chooseDrive(imageDrive);
        EXPECT_TRUE(import.cancel()) << "not copying: the dialog closes";
        import.close();
    }
    const RegistryStore store;
    std::string name;
    int32_t reader = -1;
    int32_t add = -1;
    EXPECT_TRUE(store.readText("importName", name, ""));
    EXPECT_TRUE(store.readInt("selectedReader", reader, -1));
    EXPECT_TRUE(store.readInt("addToProject", add, -1));
    EXPECT_EQ(name, dir.file("rip.wav"));
    EXPECT_EQ(reader, imageDrive);
    EXPECT_EQ(add, 1);

    AECDImport again(target(), &view);
    again.open();
    EXPECT_EQ(again.importName(), dir.file("rip.wav"));
    EXPECT_TRUE(again.addToProject());
    again.setAddToProject(false);
    ASSERT_TRUE(again.import());
    again.waitForCopy();
    EXPECT_TRUE(store.readInt("addToProject", add, -1));
    EXPECT_EQ(add, 0);
}

TEST_F(CdImportTest, AnUnreadableImageIsADriveWithoutTracks) {
    const std::string garbage = dir.file("scratched.cue");
    std::ofstream(garbage) << "FILE \"scratched.bin\" BINARY\n  TRACK 01 AUDIO\n";
    const int32_t first = useImages({dir.file("missing.cue"), garbage});
    for (int32_t drive : {first, first + 1}) {
        AECDImport import(target(), &view);
        import.setSelectedReader(drive);
        import.fillLists();
        EXPECT_EQ(import.lists().driveCount(), first + 2);
        EXPECT_EQ(import.lists().rowCount(), 0) << drive;
        import.setRowSelected(0, true);
        EXPECT_TRUE(import.copyTracks().files.empty());
    }
}

} // namespace
