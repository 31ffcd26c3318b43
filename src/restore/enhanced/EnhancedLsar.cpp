#include "EnhancedLsar.h"

#include "EnhancedArModel.h"
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
    : maxCluster_(maxCluster), index_(static_cast<size_t>(windowLength)),
      first_(static_cast<size_t>(maxCluster)),
      matrix_(static_cast<size_t>(maxCluster) * static_cast<size_t>(maxCluster)),
      solution_(static_cast<size_t>(maxCluster)), rc_(static_cast<size_t>(maxOrder) + 1),
      segment_(static_cast<size_t>(windowLength)),
      known_(static_cast<size_t>(windowLength) + 2 * static_cast<size_t>(maxOrder) + 1),
      error_(static_cast<size_t>(windowLength)) {}

EnhancedLsar::Outcome EnhancedLsar::solve(float* window, int32_t length, const uint8_t* unknown,
                                          uint8_t* accepted, const double* a, int32_t order,
                                          const float* excitation, int32_t chunk, float beta) {
    Outcome outcome;
    std::fill_n(accepted, length, uint8_t{0});
    EnhancedAr::coefficientCorrelation(a, order, rc_.data());
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
    // The normal matrix, lower profile only: unknowns further apart than the order are
    // not coupled.
    for (int32_t i = 0, j = 0; i < m; ++i) {
        while (u[i] - u[j] > order) {
            ++j;
        }
        first_[static_cast<size_t>(i)] = j;
        double* row = matrix_.data() + static_cast<size_t>(i) * static_cast<size_t>(m);
        for (int32_t k = j; k < i; ++k) {
            row[k] = rc[u[i] - u[k]];
        }
        row[i] = diagonal;
        // Right-hand side: the known samples within reach of this unknown, on both sides.
        const double* left = known + (u[i] - base);
        double sum = 0.0;
        for (int32_t k = 1; k <= order; ++k) {
            sum += rc[k] * (left[-k] + left[k]);
        }
        solution_[static_cast<size_t>(i)] = -sum;
    }
    if (!factor(m)) {
        failed = true;
        return false;
    }
    substitute(m);

    // Excitation the repair removes: dx' A dx, with A from rc again (the factor replaced
    // it).
    double removed = 0.0;
    double levelSum = 0.0;
    for (int32_t i = 0; i < m; ++i) {
        const double dxi = window[u[i]] - solution_[static_cast<size_t>(i)];
        double cross = 0.0;
        for (int32_t k = first_[static_cast<size_t>(i)]; k < i; ++k) {
            cross += rc[u[i] - u[k]] * (window[u[k]] - solution_[static_cast<size_t>(k)]);
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
        segment[u[i] - lo] = solution_[static_cast<size_t>(i)];
    }
    const double left = predictionPower(segment, hi - lo, a, order, error_.data());
    const int32_t dof = std::max(hi - lo - order - m, 1);
    const double level = std::max(levelSum / m, left / dof);
    if (!(removed > static_cast<double>(beta) * m * level)) {
        return false;
    }
    for (int32_t i = 0; i < m; ++i) {
        window[u[i]] = static_cast<float>(solution_[static_cast<size_t>(i)]);
    }
    return true;
}

bool EnhancedLsar::factor(int32_t m) {
    const auto stride = static_cast<size_t>(m);
    for (int32_t i = 0; i < m; ++i) {
        double* row = matrix_.data() + static_cast<size_t>(i) * stride;
        const int32_t fi = first_[static_cast<size_t>(i)];
        for (int32_t j = fi; j <= i; ++j) {
            const double* other = matrix_.data() + static_cast<size_t>(j) * stride;
            double sum = row[j];
            for (int32_t k = std::max(fi, first_[static_cast<size_t>(j)]); k < j; ++k) {
                sum -= row[k] * other[k];
            }
            if (j < i) {
                row[j] = sum / other[j];
            } else if (sum > 0.0 && std::isfinite(sum)) {
                row[i] = std::sqrt(sum);
            } else {
                return false;
            }
        }
    }
    return true;
}

void EnhancedLsar::substitute(int32_t m) {
    const auto stride = static_cast<size_t>(m);
    double* x = solution_.data();
    for (int32_t i = 0; i < m; ++i) {
        const double* row = matrix_.data() + static_cast<size_t>(i) * stride;
        double sum = x[i];
        for (int32_t k = first_[static_cast<size_t>(i)]; k < i; ++k) {
            sum -= row[k] * x[k];
        }
        x[i] = sum / row[i];
    }
    for (int32_t i = m - 1; i >= 0; --i) {
        const double* row = matrix_.data() + static_cast<size_t>(i) * stride;
        x[i] /= row[i];
        for (int32_t k = first_[static_cast<size_t>(i)]; k < i; ++k) {
            x[k] -= row[k] * x[i];
        }
    }
}
