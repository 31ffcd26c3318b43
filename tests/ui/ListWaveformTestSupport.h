#pragma once

// Helpers of the title list and waveform tests: peak files written byte by byte, WAVE fixtures and
// colour checks on rendered widgets.

#include "AEApplication.h"
#include "AEPeakData.h"
#include "AEProject.h"
#include "AudioTestSupport.h"
#include "ProjectTestSupport.h"
#include "WindowHarness.h"
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

} // namespace ListWaveformTest
