#pragma once

// Helpers of the title list and waveform tests: an application with a project of named
// titles, peak files written byte by byte, WAVE fixtures and colour checks on rendered
// widgets.

#include "AEApplication.h"
#include "AEPeakData.h"
#include "AEProject.h"
#include "AudioTestSupport.h"
#include "ProjectTestSupport.h"
#include "UiTestSupport.h"
#include "support/TestDirs.h"

#include <QColor>
#include <QImage>
#include <QWidget>

#include <array>

#include <cstdint>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace ListWaveformTest {

// Four bytes per 256 frames: left min, left max, right min, right max.
using PeakRecord = std::array<int8_t, 4>;

// Writes a peak file beside `audioPath`. The reader never counts the file's last block,
// so one spare block follows the records.
inline void writePeaks(const std::string& audioPath, const std::vector<PeakRecord>& records) {
    std::ofstream out(AEPeakData::peakPath(audioPath), std::ios::binary);
    for (const PeakRecord& r : records) {
        out.write(reinterpret_cast<const char*>(r.data()), 4);
    }
    const char spare[4] = {0, 0, 0, 0};
    out.write(spare, 4);
}

// A 16-bit PCM WAVE file of a 441 Hz sine.
inline std::string writeSine(const std::string& path, uint16_t channels, uint32_t rate,
                             int64_t frames) {
    AudioTest::writeBytes(path, AudioTest::pcmWave(channels, rate, 16,
                                                   AudioTest::asBytes(AudioTest::sine16(
                                                       frames, channels, 441.0, rate, 8000.0))));
    return path;
}

inline QImage render(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    widget.render(&image);
    return image;
}

inline bool same(QRgb pixel, const QColor& colour) {
    return QColor(pixel).rgb() == colour.rgb();
}

// Pixels of `colour` inside `area` of `image`.
inline int count(const QImage& image, const QColor& colour, QRect area = {}) {
    if (area.isNull()) {
        area = image.rect();
    }
    area = area.intersected(image.rect());
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            n += same(image.pixel(x, y), colour) ? 1 : 0;
        }
    }
    return n;
}

// The application with dialogs answered by the test and a project in a test folder.
class AppFixture : public ::testing::Test {
protected:
    void SetUp() override {
        widgetTestApp();
        app_ = std::make_unique<AEApplication>();
        app_->setSaveSettingsAtExit(false);
        app_->setDialogs(&dialogs_);
    }
    void TearDown() override {
        app_->setDialogs(nullptr);
        app_.reset();
    }

    // A project of `count` titles named "Song n" by "Artist n", each `frames` long with
    // its points at 0, 882, frames − 882, frames; the first is current.
    AEProject& projectOf(int count, int32_t frames = 441000) {
        const std::string path = dir_.file("p.dat");
        app_->setProject(AEProject::createForPath(path), path);
        AEProject& project = *app_->project();
        for (int i = 0; i < count; ++i) {
            EXPECT_TRUE(project.addTitle(false));
            AETitle* t = project.title(i);
            t->setDisplayName("Song " + std::to_string(i + 1));
            t->setArtist("Artist " + std::to_string(i + 1));
            t->setAudioBase(dir_.file("title" + std::to_string(i + 1)));
            t->setLength(frames);
            t->setFadePoint(0, 0);
            t->setFadePoint(1, 882);
            t->setFadePoint(2, frames - 882);
            t->setFadePoint(3, frames);
        }
        if (count > 0) {
            EXPECT_TRUE(project.select(0));
        }
        return project;
    }

    // Lets posted application messages (message boxes among them) arrive.
    static void deliver() {
        for (int i = 0; i < 3; ++i) {
            QApplication::processEvents();
        }
    }

    TestDir dir_;
    ScriptedDialogs dialogs_;
    std::unique_ptr<AEApplication> app_;
};

} // namespace ListWaveformTest
