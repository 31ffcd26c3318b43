#pragma once

#include <array>
#include <cstdint>

// The autoregressive model of one block: its autocorrelation for lags 0..kMaxOrder and the
// Levinson–Durbin solution of every order up to kMaxOrder, kept as a triangular table so
// that a short gap can be interpolated with a model no longer than its known context.
// Coefficients follow the prediction-error form e[n] = x[n] + a1·x[n−1] + … + am·x[n−m].
// The one Levinson–Durbin solver of both modes. Holds no heap memory; fitting allocates
// nothing.
class ArModel {
public:
    // The highest order either mode asks for (the enhanced click remover's second pass).
    static constexpr int32_t kMaxOrder = 100;

    // Fits the model of orders 1 .. maxOrder (at most kMaxOrder) to x[0 .. count)
    // (autocorrelation through the nsp layer). The order-m solution needs only lags 0 .. m,
    // so a caller that uses the low orders alone saves the rest. A block whose lag-0
    // autocorrelation is below `silence` gets no model; returns whether it has one.
    bool fit(const double* x, int32_t count, double silence, int32_t maxOrder = kMaxOrder);
    // Solves the model from given autocorrelation values r[0 .. maxOrder].
    bool solve(const double* r, double silence, int32_t maxOrder = kMaxOrder);
    void clear() { order_ = 0; }

    bool valid() const { return order_ > 0; }
    // The highest order solved with a model, 0 without.
    int32_t order() const { return order_; }
    // a1 .. am of the order-m solution, m = 1 .. order(); only while valid().
    const double* coefficients(int32_t m) const { return table_.data() + offsetOf(m); }
    // b[0 .. m] = (1, a1 .. am): the order-m prediction-error filter; only while valid().
    void errorFilter(int32_t m, double* b) const;
    const double* autocorrelation() const { return r_.data(); }
    // Prediction-error power of the order-m solution (m = 0 .. order()).
    double errorPower(int32_t m) const { return error_[m]; }

private:
    static constexpr int32_t offsetOf(int32_t m) { return m * (m - 1) / 2; }

    int32_t order_ = 0;
    std::array<double, kMaxOrder + 1> r_{};
    std::array<double, kMaxOrder + 1> error_{};
    std::array<double, kMaxOrder*(kMaxOrder + 1) / 2> table_{};
};
