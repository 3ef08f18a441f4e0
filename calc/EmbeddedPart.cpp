#include "EmbeddedPart.h"
#include "BeamElements.h"
#include "EmbeddedSolution.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

// Solves a x = b by Gaussian elimination with partial pivoting; false when the
// system is singular.
bool SolveDense(std::array<std::array<double, 4>, 4> a, std::array<double, 4>& b)
{
    constexpr size_t N = 4;
    for (size_t c = 0; c < N; ++c) {
        size_t p = c;
        for (size_t r = c + 1; r < N; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[p][c]))
                p = r;
        if (!(std::fabs(a[p][c]) > 0) || !std::isfinite(a[p][c]))
            return false;
        std::swap(a[p], a[c]);
        std::swap(b[p], b[c]);
        for (size_t r = c + 1; r < N; ++r) {
            const double f = a[r][c] / a[c][c];
            for (size_t k = c; k < N; ++k)
                a[r][k] -= f * a[c][k];
            b[r] -= f * b[c];
        }
    }
    for (size_t c = N; c-- > 0;) {
        for (size_t k = c + 1; k < N; ++k)
            b[c] -= a[c][k] * b[k];
        b[c] /= a[c][c];
    }
    for (double v : b)
        if (!std::isfinite(v))
            return false;
    return true;
}

} // namespace

bool BandSolve(const std::vector<std::array<double, 4>>& a, std::vector<double>& b);

// Banded Cholesky, half-bandwidth 3 (a[i][k] couples unknown i with i + k),
// solving in place; false when the matrix is not positive definite.
bool BandCholesky(std::vector<std::array<double, 4>>& a, std::vector<double>& b)
{
    const size_t n = b.size();
    for (size_t i = 0; i < n; ++i) {
        double d = a[i][0];
        for (size_t k = 1; k < 4 && k <= i; ++k)
            d -= a[i - k][k] * a[i - k][k];
        if (!(d > 0) || !std::isfinite(d))
            return false;
        d = std::sqrt(d);
        a[i][0] = d;
        for (size_t j = 1; j < 4 && i + j < n; ++j) {
            double v = a[i][j];
            for (size_t k = 1; k + j < 4 && k <= i; ++k)
                v -= a[i - k][k] * a[i - k][k + j];
            a[i][j] = v / d;
        }
    }
    return BandSolve(a, b);
}

// Solves with the factor that BandCholesky left in a.
bool BandSolve(const std::vector<std::array<double, 4>>& a, std::vector<double>& b)
{
    const size_t n = b.size();
    for (size_t i = 0; i < n; ++i) {
        double v = b[i];
        for (size_t k = 1; k < 4 && k <= i; ++k)
            v -= a[i - k][k] * b[i - k];
        b[i] = v / a[i][0];
    }
    for (size_t i = n; i-- > 0;) {
        double v = b[i];
        for (size_t k = 1; k < 4 && i + k < n; ++k)
            v -= a[i][k] * b[i + k];
        b[i] = v / a[i][0];
    }
    for (double v : b)
        if (!std::isfinite(v))
            return false;
    return true;
}


// ---------------------------------------------------------------- K method

double KElastic::Term(int j, int n, double u) const
{
    // e^(s u) (a cos u + b sin u), differentiated n times: (a, b) -> (s a + b, s b - a).
    const double s = j < 2 ? -1.0 : 1.0;
    double a = j % 2 == 0 ? 1.0 : 0.0, b = 1.0 - a;
    for (int k = 0; k < n; ++k) {
        const double na = s * a + b, nb = s * b - a;
        a = na;
        b = nb;
    }
    const double e = j < 2 ? std::exp(-u) : std::exp(u - H_);
    return e * (a * std::cos(u) + b * std::sin(u));
}

double KElastic::X(int n, double y) const
{
    double v = 0;
    for (int j = 0; j < 4; ++j)
        v += C_[static_cast<size_t>(j)] * Term(j, n, beta_ * y);
    return v * std::pow(beta_, n);
}

bool KElastic::Solve(double M0, double Q0, bool hinged)
{
    std::array<std::array<double, 4>, 4> a{};
    std::array<double, 4> b{M0 / (EI_ * beta_ * beta_), Q0 / (EI_ * beta_ * beta_ * beta_), 0, 0};
    for (int j = 0; j < 4; ++j) {
        const size_t c = static_cast<size_t>(j);
        a[0][c] = Term(j, 2, 0);
        a[1][c] = Term(j, 3, 0);
        a[2][c] = Term(j, hinged ? 0 : 2, H_);
        a[3][c] = Term(j, hinged ? 2 : 3, H_);
    }
    if (!SolveDense(a, b))
        return false;
    C_ = b;
    return true;
}

// ---------------------------------------------------------------- springs

SpringBeam::SpringBeam(double A1, double A2, double m, double Bp, double EI, double h2, int elements)
    : A1_(A1), A2_(A2), m_(m), Bp_(Bp), EI_(EI), h2_(h2), n_(std::max(elements, 1)), l_(h2 / std::max(elements, 1))
{
}

std::array<double, 4> SpringBeam::Shape(double xi) const
{
    const double x2 = xi * xi, x3 = x2 * xi;
    return {1 - 3 * x2 + 2 * x3, l_ * (xi - 2 * x2 + x3), 3 * x2 - 2 * x3, l_ * (x3 - x2)};
}

std::array<double, 4> SpringBeam::ShapeSlope(double xi) const
{
    const double x2 = xi * xi;
    return {(6 * x2 - 6 * xi) / l_, 1 - 4 * xi + 3 * x2, (6 * xi - 6 * x2) / l_, 3 * x2 - 2 * xi};
}

double SpringBeam::XAt(int el, double xi, int derivative) const
{
    const std::array<double, 4> N = derivative == 0 ? Shape(xi) : ShapeSlope(xi);
    const size_t base = 2 * static_cast<size_t>(el);
    return N[0] * u_[base] + N[1] * u_[base + 1] + N[2] * u_[base + 2] + N[3] * u_[base + 3];
}

void SpringBeam::Reaction(int el, double upTo, double& r0, double& r1) const
{
    r0 = r1 = 0;
    for (int g = 0; g < 4; ++g) {
        const double xi = kGauss[g] * upTo, y = (el + xi) * l_, x = XAt(el, xi, 0);
        const double w = kWeight[g] * upTo * l_ * Coefficient(x >= 0, y) * Bp_ * x;
        r0 += w;
        r1 += w * y;
    }
}

bool SpringBeam::Solve(double M0, double Q0, bool hinged)
{
    M0_ = M0;
    Q0_ = Q0;
    const size_t dofs = 2 * static_cast<size_t>(n_) + 2;
    front_.assign(static_cast<size_t>(n_) * 4, 1); // at first the whole pile presses the front
    const double l = l_, e = EI_ / (l * l * l);
    const double kb[4][4] = {{12 * e, 6 * l * e, -12 * e, 6 * l * e},
                             {6 * l * e, 4 * l * l * e, -6 * l * e, 2 * l * l * e},
                             {-12 * e, -6 * l * e, 12 * e, -6 * l * e},
                             {6 * l * e, 2 * l * l * e, -6 * l * e, 4 * l * l * e}};
    constexpr int kMaxIterations = 60;
    bool settled = false;
    for (int iteration = 0; iteration < kMaxIterations && !settled; ++iteration) {
        std::vector<std::array<double, 4>> band(dofs, std::array<double, 4>{});
        std::vector<double> f(dofs, 0.0);
        for (int el = 0; el < n_; ++el) {
            double ke[4][4];
            for (int i = 0; i < 4; ++i)
                for (int j = 0; j < 4; ++j)
                    ke[i][j] = kb[i][j];
            for (int g = 0; g < 4; ++g) {
                const double xi = kGauss[g];
                const double k = Coefficient(front_[static_cast<size_t>(el) * 4 + static_cast<size_t>(g)] != 0,
                                             (el + xi) * l);
                const std::array<double, 4> N = Shape(xi);
                for (size_t i = 0; i < 4; ++i)
                    for (size_t j = 0; j < 4; ++j)
                        ke[i][j] += kWeight[g] * l * k * Bp_ * N[i] * N[j];
            }
            const size_t base = 2 * static_cast<size_t>(el);
            for (size_t i = 0; i < 4; ++i)
                for (size_t j = i; j < 4; ++j)
                    band[base + i][j - i] += ke[i][j];
        }
        // Q0 pushes the node, M0 turns it against dx/dy (the boundary terms of
        // the weak form).
        f[0] = Q0;
        f[1] = -M0;
        if (hinged) { // x = 0 at the foot
            const size_t d = dofs - 2;
            for (size_t k = 1; k < 4; ++k) {
                if (d + k < dofs)
                    band[d][k] = 0;
                if (k <= d)
                    band[d - k][k] = 0;
            }
            band[d][0] = 1;
            f[d] = 0;
        }
        // One step of iterative refinement: the beam's stiffness spans many
        // orders of magnitude from element to whole pile, and the residual of
        // the first solution is solved again so that the reaction balances the
        // loads to the last digits.
        const std::vector<std::array<double, 4>> stiffness = band;
        const std::vector<double> load = f;
        if (!BandCholesky(band, f))
            return false;
        std::vector<double> residual(dofs, 0.0);
        for (size_t i = 0; i < dofs; ++i) {
            double v = load[i];
            for (size_t k = 0; k < 4; ++k) {
                if (i + k < dofs)
                    v -= stiffness[i][k] * f[i + k];
                if (k > 0 && k <= i)
                    v -= stiffness[i - k][k] * f[i - k];
            }
            residual[i] = v;
        }
        if (!BandSolve(band, residual))
            return false;
        for (size_t i = 0; i < dofs; ++i)
            f[i] += residual[i];
        u_ = std::move(f);
        // Settled when no integration point changes side, or, after a few
        // rounds, when only points where the pile hardly moves still do: there
        // x is next to nothing and so is the spring's force, whichever side.
        double largest = 0;
        for (size_t i = 0; i < u_.size(); i += 2)
            largest = std::max(largest, std::fabs(u_[i]));
        const double negligible = iteration >= 8 ? 1e-6 * largest : 0.0;
        settled = true;
        for (int el = 0; el < n_; ++el)
            for (int g = 0; g < 4; ++g) {
                const double x = XAt(el, kGauss[g], 0);
                const char side = x >= 0 ? 1 : 0;
                char& was = front_[static_cast<size_t>(el) * 4 + static_cast<size_t>(g)];
                settled = settled && (side == was || std::fabs(x) <= negligible);
                was = side;
            }
        settled = settled || A1_ == A2_;
    }
    if (!settled)
        return false;
    R0_.assign(static_cast<size_t>(n_) + 1, 0.0);
    R1_.assign(static_cast<size_t>(n_) + 1, 0.0);
    for (int el = 0; el < n_; ++el) {
        double r0 = 0, r1 = 0;
        Reaction(el, 1.0, r0, r1);
        R0_[static_cast<size_t>(el) + 1] = R0_[static_cast<size_t>(el)] + r0;
        R1_[static_cast<size_t>(el) + 1] = R1_[static_cast<size_t>(el)] + r1;
    }
    return true;
}

void SpringBeam::At(double y, double& x, double& phi, double& M, double& Q, double& stress) const
{
    y = std::clamp(y, 0.0, h2_);
    const int el = std::min(static_cast<int>(y / l_), n_ - 1);
    const double xi = (y - el * l_) / l_;
    x = XAt(el, xi, 0);
    phi = XAt(el, xi, 1);
    double r0 = 0, r1 = 0;
    Reaction(el, xi, r0, r1);
    r0 += R0_[static_cast<size_t>(el)];
    r1 += R1_[static_cast<size_t>(el)];
    Q = Q0_ - r0;
    M = M0_ + Q0_ * y - (y * r0 - r1);
    stress = Coefficient(x >= 0, y) * x;
}

void RigidTurn(EmbeddedSolution& s, const EmbeddedLoad& load, double y0, double dphi,
               std::function<double(double)> k, std::function<double(double, int)> reactionMoment)
{
    s.rotationCentre = y0;
    const double Bp = load.Bp, Q0 = load.Q0, M0 = load.M0;
    s.at = [=](double y) {
        PileForcePoint p;
        p.displacement = (y0 - y) * dphi;
        p.rotation = -dphi;
        const double R0 = Bp * dphi * reactionMoment(y, 0), R1 = Bp * dphi * reactionMoment(y, 1);
        p.shear = Q0 - R0;
        p.moment = M0 + Q0 * y - (y * R0 - R1);
        p.stress = k(y) * p.displacement;
        return p;
    };
}
