#pragma once

#include "EnhancedImpulseSettings.h"

#include <cstdint>
#include <vector>

// A stretch [start, end) of window samples taken for a disturbance.
struct EnhancedRegion {
    int32_t start;
    int32_t end;
};

// Finds the disturbances of one analysis window from its detection ratio
// |d[n]| / sigma[n]: seeds above k_hi, seeds closer than `group` joined, the region grown
// from the seeds (or, for crackle, the peak with one sample each side). Only disturbances
// whose first seed lies in [lo, hi) are reported, so each is found in one block only.
// Room for the regions is made in the constructor; find() allocates nothing.
class EnhancedRegionFinder {
public:
    explicit EnhancedRegionFinder(int32_t windowLength);

    // Regions in window coordinates, possibly reaching past [0, length).
    const std::vector<EnhancedRegion>& find(const float* ratio, int32_t length, int32_t lo,
                                            int32_t hi, const EnhancedImpulseSettings& settings,
                                            float kHi);

private:
    void addGroup(const float* ratio, int32_t length, int32_t first, int32_t last,
                  const EnhancedImpulseSettings& settings, float kHi);

    int32_t lo_ = 0;
    int32_t hi_ = 0;

    std::vector<EnhancedRegion> regions_;
};
