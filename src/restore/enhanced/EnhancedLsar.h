#pragma once

#include "LsInterpolator.h"

#include <cstdint>
#include <vector>

// Least-squares autoregressive interpolation of the unknown samples of a window, with a
// test that keeps a repair only when it removes clearly more excitation than music of
// that place would carry. Unknowns closer than the model order are solved together from
// `order` known samples on each side, by the least-squares interpolator. Scratch for
// clusters of up to maxCluster unknowns is made in the constructor; solve() allocates
// nothing.
class EnhancedLsar {
public:
    struct Outcome {
        int32_t samples = 0;  // samples replaced
        int32_t failures = 0; // clusters too large or singular, left alone
    };

    EnhancedLsar(int32_t maxCluster, int32_t maxOrder, int32_t windowLength);

    // window[0 .. length): the samples; unknown[n] = 1 marks those to solve. Accepted
    // clusters are written into the window and marked in accepted[] (cleared first).
    // a[0..order]: the model; excitation[n / chunk]: the local innovation variance the
    // test starts from; beta: how many times that a repair must remove per unknown.
    Outcome solve(float* window, int32_t length, const uint8_t* unknown, uint8_t* accepted,
                  const double* a, int32_t order, const float* excitation, int32_t chunk,
                  float beta);

private:
    // One cluster index_[from .. to); true when it is replaced.
    bool solveCluster(float* window, int32_t length, const uint8_t* unknown, int32_t from,
                      int32_t to, const double* a, int32_t order, const float* excitation,
                      int32_t chunk, float beta, bool& failed);

    int32_t maxCluster_;
    LsInterpolator interpolator_;
    std::vector<int32_t> index_;    // positions of the unknowns of the window
    std::vector<int32_t> relative_; // a cluster's unknowns from the start of known_
    std::vector<double> rc_;        // coefficient autocorrelation
    std::vector<double> segment_;   // the cluster's span with the solution in place
    std::vector<double> known_;     // the known samples within the cluster's reach
    std::vector<double> error_;     // the prediction error of the span after the repair
};
