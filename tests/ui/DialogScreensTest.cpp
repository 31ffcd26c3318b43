// Screenshots of the sound card, CD import, loudness and album export dialogs in the four
// languages, for a look before release; every text of them must fit its control.
#include "AEAlbumExportDialog.h"
#include "AECDImportDialog.h"
#include "AELoudnessDialog.h"
#include "AESoundcardDialog.h"
#include "WindowHarness.h"

#include "CddaDriveList.h"
#include "support/CdImage.h"

#include <QComboBox>
#include <QTreeWidget>

namespace {

void save(QWidget& dialog, const char* name, const char* lang) {
    QApplication::processEvents();
    const QString file = QStringLiteral(GLEAM_SCREENSHOT_DIR "/%1-%2.png")
                             .arg(QLatin1String(name), QLatin1String(lang));
    EXPECT_TRUE(dialog.grab().save(file)) << name << " " << lang;
}

TEST(DialogScreens, FourLanguages) {
    widgetTestApp();
    QDir().mkpath(QStringLiteral(GLEAM_SCREENSHOT_DIR));
    TestDir dir;
    const CdTest::CdImage disc(dir.path(), "disc-600-675-4500-d150",
                               {{600}, {675}, {4500}, {150, true}});
    setenv("GLEAM_CD_IMAGES", disc.cuePath().c_str(), 1);
    ScriptedDialogs dialogs;
    for (const char* lang : {"en", "de", "jp", "fr"}) {
        RegistryStore store;
        store.writeText("customLang", lang);
        store.writeInt("selectedReader", CddaDriveList().count() - 1);
        store.writeText("importName", (dir.path() + "/Side A/track.wav").c_str());
        AEApplication app;
        app.setSaveSettingsAtExit(false);
        app.setDialogs(&dialogs);
        AEMainWindow window(app);
        const std::string path = dir.file("Party.dat");
        app.setProject(AEProject::createForPath(path), path);
        window.refreshMainView(true);

        window.command(AEMainWindow::kSoundcardSettings);
        AESoundcardDialog* soundcard = window.dialogCommands().soundcardDialog();
        ASSERT_NE(soundcard, nullptr);
        EXPECT_EQ(soundcard->windowTitle(),
                  QString::fromUtf8(app.loadString(app.stringId(3117, 0))));
        save(*soundcard, "soundcard-dialog", lang);
        expectTextsFit(*soundcard, lang);
        soundcard->reject();

        window.command(AEMainWindow::kImportFromCd);
        AECDImportDialog* cd = window.dialogCommands().cdImportDialog();
        ASSERT_NE(cd, nullptr);
        EXPECT_EQ(cd->windowTitle(), QString::fromUtf8(app.loadString(app.stringId(3069, 0))));
        ASSERT_EQ(cd->tracks()->topLevelItemCount(), 4);
        cd->tracks()->topLevelItem(1)->setSelected(true);
        cd->tracks()->topLevelItem(2)->setSelected(true);
        save(*cd, "cd-import-dialog", lang);
        expectTextsFit(*cd, lang);
        cd->reject();

        const auto text = [&app](int32_t id) {
            return QString::fromUtf8(app.loadString(app.stringId(id, 0)));
        };
        AELoudnessDialog loudness(text, &window);
        loudness.show();
        save(loudness, "loudness-dialog", lang);
        expectTextsFit(loudness, lang);
        AEAlbumExportDialog album(window.fileChooser(), QString::fromStdString(dir.file("Party")),
                                  3, text, &window);
        album.loudnessBox()->setCurrentIndex(2);
        album.show();
        save(album, "album-export-dialog", lang);
        expectTextsFit(album, lang);
        EXPECT_FALSE(app.isBusy());
        app.setDialogs(nullptr);
    }
    RegistryStore().writeText("customLang", "-");
    unsetenv("GLEAM_CD_IMAGES");
}

} // namespace
