#include "WaveformMath.h"

#include <algorithm>
#include <limits>

namespace WaveformMath {

namespace {

int32_t clampFrame(int64_t frame, int64_t low, int64_t high) {
    return static_cast<int32_t>(std::clamp(frame, low, std::max(low, high)));
}

} // namespace

bool isZoom(int32_t zoom) {
    return zoom >= kMinZoom && zoom <= kMaxZoom && (zoom & (zoom - 1)) == 0;
}

int32_t zoomIn(int32_t zoom) {
    int32_t in = kMaxZoom;
    while (in > kMinZoom && in >= zoom) {
        in /= 2;
    }
    return in;
}

int32_t zoomOut(int32_t zoom) {
    int32_t out = kMinZoom;
    while (out < kMaxZoom && out <= zoom) {
        out *= 2;
    }
    return out;
}

int32_t fitZoom(int64_t titleLength, int32_t columns) {
    if (titleLength <= 0 || columns <= 0) {
        return kDefaultZoom;
    }
    const int64_t perColumn = (titleLength + columns - 1) / columns;
    return static_cast<int32_t>(std::clamp<int64_t>(perColumn, kMinZoom, kMaxZoom));
}

int32_t column(int32_t frame, int32_t viewStart, int32_t zoom) {
    return static_cast<int32_t>((int64_t{frame} - viewStart) / zoom);
}

int32_t frameAt(int32_t x, int32_t viewStart, int32_t zoom) {
    return clampFrame(int64_t{viewStart} + int64_t{x} * zoom, 0,
                      std::numeric_limits<int32_t>::max());
}

bool isUnset(const Points& points) {
    return std::any_of(points.begin(), points.end(), [](int32_t p) { return p == -1; });
}

int32_t validViewStart(int64_t wanted, int64_t viewFrames, int64_t titleLength) {
    const int64_t last = std::max<int64_t>(0, titleLength - viewFrames);
    const int64_t start = std::clamp<int64_t>(wanted, 0, last);
    return static_cast<int32_t>(start / kFramesPerRecord * kFramesPerRecord);
}

Points visibleRange(int32_t viewStart, int32_t viewEnd, int32_t titleLength) {
    const int32_t end = std::min(viewEnd, titleLength);
    return {viewStart, viewStart + kFadeFrames, end - kFadeFrames, end};
}

Points drag(const Points& atStart, int handle, int64_t frame, int32_t titleLength) {
    Points p = atStart;
    const int32_t fadeIn = atStart[1] - atStart[0];
    const int32_t fadeOut = atStart[3] - atStart[2];
    switch (handle) {
    case 0:
        p[0] = clampFrame(frame, 0, int64_t{p[2]} - fadeIn);
        p[1] = p[0] + fadeIn;
        break;
    case 1:
        p[1] = clampFrame(frame, p[0], p[2]);
        break;
    case 2:
        p[2] = clampFrame(frame, p[1], p[3]);
        break;
    case 3:
        p[3] = clampFrame(frame, int64_t{p[1]} + fadeOut, titleLength);
        p[2] = p[3] - fadeOut;
        break;
    default:
        break;
    }
    return p;
}

} // namespace WaveformMath
