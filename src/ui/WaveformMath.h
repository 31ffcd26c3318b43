#pragma once

#include <array>
#include <cstdint>

// The arithmetic of the waveform view, apart from its drawing: the zoom series, frames
// and columns, the visible range and the four fade points ([0] start, [1] end of the
// fade-in, [2] start of the fade-out, [3] end; −1 when unset).
namespace WaveformMath {

using Points = std::array<int32_t, 4>;

constexpr int32_t kMinZoom = 256;
constexpr int32_t kMaxZoom = 524288;
constexpr int32_t kDefaultZoom = 32768;
constexpr int32_t kFramesPerRecord = 256;
// 20 ms fades, set by a Ctrl-click.
constexpr int32_t kFadeFrames = 882;

// Frames per column: a power of two from 256 to 524 288.
bool isZoom(int32_t zoom);
// Halves / doubles within the series. A value between two of it (a fitted zoom) goes to
// the nearer one in that direction; one below or above it to 256 / 524 288.
int32_t zoomIn(int32_t zoom);
int32_t zoomOut(int32_t zoom);

// The zoom that shows `titleLength` frames across `columns` columns: the fewest frames
// per column that take the whole title, within 256 .. 524 288 (a title shorter than 256
// columns' worth stays narrower). The default zoom when either is not positive.
int32_t fitZoom(int64_t titleLength, int32_t columns);

// The column of frame `frame` in a view starting at `viewStart`.
int32_t column(int32_t frame, int32_t viewStart, int32_t zoom);
// The frame under column `x`, within 0 .. INT32_MAX.
int32_t frameAt(int32_t x, int32_t viewStart, int32_t zoom);

bool isUnset(const Points& points);

// A view start that keeps the view inside the title: within 0 .. titleLength − the
// view's frames (0 when the title is shorter than the view), on a record boundary.
int32_t validViewStart(int64_t wanted, int64_t viewFrames, int64_t titleLength);

// The points a Ctrl-click sets: the visible part of the title with 20 ms fades.
Points visibleRange(int32_t viewStart, int32_t viewEnd, int32_t titleLength);

// The points while handle `handle` is dragged to `frame`, from the points the drag began
// with: the start takes the end of the fade-in with it and the end the start of the
// fade-out, both keeping their fade length; the inner points move alone. The points stay
// in order and inside the title.
Points drag(const Points& atStart, int handle, int64_t frame, int32_t titleLength);

} // namespace WaveformMath
