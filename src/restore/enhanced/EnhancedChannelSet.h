#pragma once

#include "BlockAdapter.h"
#include "RepairReport.h"

#include <array>
#include <memory>

// The driver of an enhanced stage: one Channel kernel per channel behind a block adapter
// of `block` frames (calls of any length, output exactly one block late), and the
// channels' reports added up and published after each call. Channel offers report().
// Made once; process() allocates nothing.
template <class Channel> class EnhancedChannelSet {
public:
    static constexpr int32_t kChannels = BlockAdapter::kMaxChannels;

    template <class... Args>
    explicit EnhancedChannelSet(int32_t block, const Args&... args) : adapter_(block) {
        for (auto& channel : channels_) {
            channel = std::make_unique<Channel>(args...);
        }
    }

    // step(Channel&, const float* blockIn, float* blockOut) runs one block of a channel.
    template <class Step>
    void process(const float* const* in, float* const* out, int32_t channels, int32_t count,
                 Step&& step) {
        adapter_.process(
            in, out, channels, count,
            [this, &step](const float* const* blockIn, float* const* blockOut, int32_t used) {
                for (int32_t c = 0; c < used; ++c) {
                    step(*channels_[static_cast<size_t>(c)], blockIn[c], blockOut[c]);
                }
            });
        RepairReport total;
        for (const auto& channel : channels_) {
            total += channel->report();
        }
        published_.publish(total);
    }

    RepairReport report() const { return published_.read(); }
    Channel& channel(int32_t c) { return *channels_[static_cast<size_t>(c)]; }
    const Channel& channel(int32_t c) const { return *channels_[static_cast<size_t>(c)]; }

private:
    BlockAdapter adapter_;
    std::array<std::unique_ptr<Channel>, kChannels> channels_;
    PublishedReport published_;
};
