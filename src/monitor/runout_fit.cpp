#include "monitor/runout_fit.h"

#include "util/number_format.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace Monitor {

using Orodja::FixedText;

double RoundedDeg(double deg, int decimals) {
    const double scale = std::pow(10.0, decimals);
    const double rounded = std::round(deg * scale) / scale;
    return rounded >= 360.0 ? rounded - 360.0 : rounded;
}

std::string RunoutSummary(const Runout& runout) {
    std::string text = FixedText(runout.RunoutMm, 2);
    text += " mm, largest gap at ";
    text += FixedText(RoundedDeg(runout.LargestAtDeg, 0), 0);
    text += "\xC2\xB0";
    return text;
}

std::string RunoutLine(const Runout& runout) {
    std::string text = RunoutSummary(runout);
    text += ", explains ";
    text += FixedText(runout.Explained * 100, 0);
    text += " % of the variance";
    return text;
}

void RunoutFit::Add(double angleDeg, double gapMm) {
    if (!std::isfinite(angleDeg) || !std::isfinite(gapMm))
        return;
    if (n_ == 0)
        shift_ = gapMm;
    const double theta = angleDeg * std::numbers::pi / 180.0;
    const double c = std::cos(theta), s = std::sin(theta), g = gapMm - shift_;
    n_ += 1;
    c_ += c;
    s_ += s;
    cc_ += c * c;
    ss_ += s * s;
    cs_ += c * s;
    g_ += g;
    gc_ += g * c;
    gs_ += g * s;
    gg_ += g * g;
}

std::optional<Runout> RunoutFit::Result() const {
    if (n_ < 3)
        return std::nullopt;
    // Solve [n c s; c cc cs; s cs ss] * [g0 p q] = [g gc gs] by Cramer's rule.
    using Row = std::array<double, 3>;
    const auto det = [](const Row& a, const Row& b, const Row& c) {
        return a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) +
               a[2] * (b[0] * c[1] - b[1] * c[0]);
    };
    const Row r0{n_, c_, s_}, r1{c_, cc_, cs_}, r2{s_, cs_, ss_}, y{g_, gc_, gs_};
    const double d = det(r0, r1, r2);
    if (std::abs(d) <= 1e-9 * n_ * n_ * n_)
        return std::nullopt;
    const double g0 = det({y[0], r0[1], r0[2]}, {y[1], r1[1], r1[2]}, {y[2], r2[1], r2[2]}) / d;
    const double p = det({r0[0], y[0], r0[2]}, {r1[0], y[1], r1[2]}, {r2[0], y[2], r2[2]}) / d;
    const double q = det({r0[0], r0[1], y[0]}, {r1[0], r1[1], y[1]}, {r2[0], r2[1], y[2]}) / d;

    Runout r;
    r.MeanMm = g0 + shift_;
    r.RunoutMm = 2 * std::hypot(p, q);
    double phi = std::atan2(q, p) * 180.0 / std::numbers::pi;
    r.LargestAtDeg = phi < 0 ? phi + 360.0 : phi;
    // Residual = total - what the fit takes (the normal equations' identity).
    const double total = gg_ - g_ * g_ / n_;
    const double residual = gg_ - (g0 * g_ + p * gc_ + q * gs_);
    r.Explained = total <= 0 ? 1.0 : std::clamp(1.0 - residual / total, 0.0, 1.0);
    return r;
}

} // namespace Monitor
