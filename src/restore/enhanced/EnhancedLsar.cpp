#include "EnhancedLsar.h"

#include "NspTaps.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kRegularisation = 1e-9; // of rc[0], on the diagonal

// sum of e[n]^2, e[n] = sum_k a[k] x[n - k] (a[0] = 1), over n in [order, count); e holds
// count values.
NSP_WIDE_TARGET void addPastTapsWide(const double* a, int32_t order, const double* x, double* e,
                                     int32_t count) {
    nspAddTaps<NspWideLanes, 4, -1>(a + 1, order, x, e, count);
}

double predictionPower(const double* x, int32_t count, const double* a, int32_t order, double* e) {
    const int32_t outputs = count - order;
    if (outputs <= 0) {
        return 0.0;
    }
    std::copy_n(x + order, outputs, e);
    if (nspWideLanes()) {
        addPastTapsWide(a, order, x + order, e, outputs);
    } else {
        nspAddTaps<NspLanes, 8, -1>(a + 1, order, x + order, e, outputs);
    }
    double power = 0.0;
    for (int32_t n = 0; n < outputs; ++n) {
        power += e[n] * e[n];
    }
    return power;
}

} // namespace

EnhancedLsar::EnhancedLsar(int32_t maxCluster, int32_t maxOrder, int32_t windowLength)
    : maxCluster_(maxCluster), interpolator_(maxCluster, maxOrder),
      index_(static_cast<size_t>(windowLength)), relative_(static_cast<size_t>(maxCluster)),
      rc_(static_cast<size_t>(maxOrder) + 1), segment_(static_cast<size_t>(windowLength)),
      known_(static_cast<size_t>(windowLength) + 2 * static_cast<size_t>(maxOrder) + 1),
      error_(static_cast<size_t>(windowLength)) {}

EnhancedLsar::Outcome EnhancedLsar::solve(float* window, int32_t length, const uint8_t* unknown,
                                          uint8_t* accepted, const double* a, int32_t order,
                                          const float* excitation, int32_t chunk, float beta) {
    Outcome outcome;
    std::fill_n(accepted, length, uint8_t{0});
    LsInterpolator::coefficientCorrelation(a + 1, order, rc_.data());
    int32_t count = 0;
    for (int32_t n = 0; n < length; ++n) {
        if (unknown[n]) {
            index_[static_cast<size_t>(count++)] = n;
        }
    }
    for (int32_t from = 0; from < count;) {
        int32_t to = from + 1;
        while (to < count &&
               index_[static_cast<size_t>(to)] - index_[static_cast<size_t>(to - 1)] <= order) {
            ++to;
        }
        bool failed = false;
        if (solveCluster(window, length, unknown, from, to, a, order, excitation, chunk, beta,
                         failed)) {
            for (int32_t i = from; i < to; ++i) {
                accepted[index_[static_cast<size_t>(i)]] = 1;
            }
            outcome.samples += to - from;
        }
        outcome.failures += failed ? 1 : 0;
        from = to;
    }
    return outcome;
}

bool EnhancedLsar::solveCluster(float* window, int32_t length, const uint8_t* unknown, int32_t from,
                                int32_t to, const double* a, int32_t order, const float* excitation,
                                int32_t chunk, float beta, bool& failed) {
    const int32_t m = to - from;
    if (m > maxCluster_) {
        failed = true;
        return false;
    }
    const int32_t* u = index_.data() + from;
    const int32_t lo = std::max(u[0] - order, 0);
    const int32_t hi = std::min(u[m - 1] + order + 1, length);
    const double* rc = rc_.data();
    const double diagonal = rc[0] * (1.0 + kRegularisation);

    // The known samples within reach of the cluster, unknowns and samples beyond the
    // window as 0: known[t - base] for t in [base, u[m - 1] + order].
    const int32_t base = u[0] - order;
    double* known = known_.data();
    for (int32_t t = base; t <= u[m - 1] + order; ++t) {
        known[t - base] = t < lo || t >= hi || unknown[t] ? 0.0 : window[t];
    }
    int32_t* relative = relative_.data();
    for (int32_t i = 0; i < m; ++i) {
        relative[i] = u[i] - base;
    }
    if (interpolator_.solve(rc, order, known, relative, m, kRegularisation) !=
        LsInterpolator::kSolved) {
        failed = true;
        return false;
    }
    const double* solution = interpolator_.solution();

    // Excitation the repair removes: dx' A dx, A the normal matrix.
    double removed = 0.0;
    double levelSum = 0.0;
    for (int32_t i = 0; i < m; ++i) {
        const double dxi = window[u[i]] - solution[i];
        double cross = 0.0;
        for (int32_t k = interpolator_.firstCoupled(i); k < i; ++k) {
            cross += rc[u[i] - u[k]] * (window[u[k]] - solution[k]);
        }
        removed += dxi * (diagonal * dxi + 2.0 * cross);
        levelSum += excitation[u[i] / chunk];
    }
    // Excitation left after the repair, per degree of freedom: high inside a musical
    // transient, which the model cannot predict either.
    double* segment = segment_.data();
    for (int32_t t = lo; t < hi; ++t) {
        segment[t - lo] = window[t];
    }
    for (int32_t i = 0; i < m; ++i) {
        segment[u[i] - lo] = solution[i];
    }
    const double left = predictionPower(segment, hi - lo, a, order, error_.data());
    const int32_t dof = std::max(hi - lo - order - m, 1);
    const double level = std::max(levelSum / m, left / dof);
    if (!(removed > static_cast<double>(beta) * m * level)) {
        return false;
    }
    for (int32_t i = 0; i < m; ++i) {
        window[u[i]] = static_cast<float>(solution[i]);
    }
    return true;
}
