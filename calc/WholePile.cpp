#include "WholePile.h"

#include "BeamElements.h"

#include <algorithm>
#include <cmath>

namespace {

// Hermite cubics on an element of length l at xi in [0, 1]: the shapes of x
// (n = 0) and of dx/dz (n = 1) for the unknowns x1, phi1, x2, phi2.
std::array<double, 4> Shape(double xi, double l, int n)
{
    const double x2 = xi * xi, x3 = x2 * xi;
    if (n == 0)
        return {1 - 3 * x2 + 2 * x3, l * (xi - 2 * x2 + x3), 3 * x2 - 2 * x3, l * (x3 - x2)};
    return {(6 * x2 - 6 * xi) / l, 1 - 4 * xi + 3 * x2, (6 * xi - 6 * x2) / l, 3 * x2 - 2 * xi};
}

} // namespace

const SpringGround* WholePileBeam::GroundAt(double z) const
{
    // A boundary belongs to the span below it; the last span reaches the foot.
    for (size_t i = 0; i < in_.ground.size(); ++i)
        if (z < in_.ground[i].bottom || i + 1 == in_.ground.size())
            return z >= in_.ground[i].top - 1e-12 ? &in_.ground[i] : nullptr;
    return nullptr;
}

double WholePileBeam::K(const SpringGround& g, bool front, double z) const
{
    return (front ? g.front : g.back) + g.m * (z - in_.load.h1);
}

int WholePileBeam::ElementAt(double z) const
{
    const auto it = std::upper_bound(nodes_.begin(), nodes_.end(), z);
    const int e = static_cast<int>(it - nodes_.begin()) - 1;
    return std::clamp(e, 0, static_cast<int>(nodes_.size()) - 2);
}

double WholePileBeam::X(int e, double z, int derivative) const
{
    const double l = nodes_[e + 1] - nodes_[e];
    const auto N = Shape((z - nodes_[e]) / l, l, derivative);
    double v = 0;
    for (int k = 0; k < 4; ++k)
        v += N[k] * u_[2 * e + k];
    return v;
}

bool WholePileBeam::Assemble(bool withAnchors, const std::vector<char>& active, std::vector<double>& u)
{
    const size_t n = 2 * nodes_.size();
    const double h1 = in_.load.h1, EI = in_.EI, Bp = in_.Bp;
    std::vector<std::array<double, 4>> band(n, {0, 0, 0, 0});
    u.assign(n, 0);
    auto add = [&band](size_t i, size_t j, double v) {
        if (j >= i)
            band[i][j - i] += v;
    };
    for (size_t e = 0; e + 1 < nodes_.size(); ++e) {
        const double z0 = nodes_[e], l = nodes_[e + 1] - z0;
        const double c = EI / (l * l * l);
        const double kb[4][4] = {{12 * c, 6 * l * c, -12 * c, 6 * l * c},
                                 {6 * l * c, 4 * l * l * c, -6 * l * c, 2 * l * l * c},
                                 {-12 * c, -6 * l * c, 12 * c, -6 * l * c},
                                 {6 * l * c, 2 * l * l * c, -6 * l * c, 4 * l * l * c}};
        for (size_t i = 0; i < 4; ++i)
            for (size_t j = i; j < 4; ++j)
                add(2 * e + i, 2 * e + j, kb[i][j]);
        const bool embedded = z0 >= h1 - 1e-12;
        const SpringGround* g = embedded ? GroundAt(z0 + l / 2) : nullptr;
        for (int q = 0; q < 4; ++q) {
            const double z = z0 + kGauss[q] * l;
            const auto N = Shape(kGauss[q], l, 0);
            if (g) {
                const double k = K(*g, front_[4 * e + q] != 0, z) * Bp * kWeight[q] * l;
                for (size_t i = 0; i < 4; ++i)
                    for (size_t j = i; j < 4; ++j)
                        add(2 * e + i, 2 * e + j, k * N[i] * N[j]);
            } else if (withAnchors) {
                // The thrust on the loaded part (the lock-off state has none).
                const double q0 = in_.load.qt + (in_.load.qb - in_.load.qt) * z / h1;
                for (size_t i = 0; i < 4; ++i)
                    u[2 * e + i] += q0 * N[i] * kWeight[q] * l;
            }
        }
    }
    for (size_t a = 0; a < in_.anchors.size(); ++a) {
        const SpringAnchor& s = in_.anchors[a];
        const size_t i = 2 * static_cast<size_t>(anchorNode_[a]);
        const double pull = s.lockOff * s.cosine;
        if (!withAnchors) {
            u[i] -= pull; // the locked-off forces alone
            continue;
        }
        if (!active[a])
            continue;
        const double kh = s.stiffness * s.cosine * s.cosine;
        band[i][0] += kh;
        u[i] -= pull - kh * lockOff_[i];
    }
    if (in_.hinged) {
        // x = 0 at the foot: its row and column become the identity.
        const size_t f = n - 2;
        for (size_t k = 1; k < 4; ++k) {
            if (f >= k)
                band[f - k][k] = 0;
            if (f + k < n)
                band[f][k] = 0;
        }
        band[f][0] = 1;
        u[f] = 0;
    }
    return BandCholesky(band, u);
}

bool WholePileBeam::Solve(const WholePileLoad& in, int elements)
{
    in_ = in;
    failure_.clear();
    const double L = in.L, h1 = in.load.h1;
    // Nodes at the top, the slip surface, every boundary, every anchor and the
    // foot; the pieces between divided in proportion to their lengths.
    // A boundary or a cable's head within a centimetre of another node is
    // taken onto it (the top, the slip surface and the foot first): an element
    // of a millimetre would add nothing but lost digits.
    const double snap = 0.01;
    std::vector<double> breaks{0, h1, L};
    auto take = [&breaks, snap](double z) {
        for (double b : breaks)
            if (std::fabs(b - z) < snap)
                return;
        breaks.push_back(z);
    };
    for (const SpringAnchor& a : in.anchors)
        take(std::clamp(a.depth, 0.0, L));
    for (const SpringGround& g : in.ground)
        for (double z : {g.top, g.bottom})
            if (z > h1 && z < L)
                take(z);
    std::sort(breaks.begin(), breaks.end());
    nodes_.clear();
    for (size_t i = 0; i + 1 < breaks.size(); ++i) {
        const double len = breaks[i + 1] - breaks[i];
        const int pieces = std::max(1, static_cast<int>(std::ceil(elements * len / L)));
        for (int k = 0; k < pieces; ++k)
            nodes_.push_back(breaks[i] + len * k / pieces);
    }
    nodes_.push_back(L);
    anchorNode_.clear();
    for (const SpringAnchor& a : in.anchors) {
        // The node nearest the head: the head itself, or the node it was taken onto.
        const auto it = std::lower_bound(nodes_.begin(), nodes_.end(), std::clamp(a.depth, 0.0, L));
        size_t n = static_cast<size_t>(it - nodes_.begin());
        if (n == nodes_.size() || (n > 0 && a.depth - nodes_[n - 1] < nodes_[n] - a.depth))
            n = n > 0 ? n - 1 : 0;
        anchorNode_.push_back(static_cast<int>(n));
    }

    const size_t elementCount = nodes_.size() - 1;
    // Solves one state, letting each integration point's face follow the
    // side the pile moves to (only where front and back differ).
    bool twoFaced = false;
    for (const SpringGround& g : in.ground)
        twoFaced = twoFaced || g.front != g.back;
    auto solveState = [&](bool withAnchors, const std::vector<char>& active, std::vector<double>& u) {
        for (int round = 0; round < 60; ++round) {
            if (!Assemble(withAnchors, active, u))
                return false;
            if (!twoFaced)
                return true;
            u_.swap(u);
            bool changed = false;
            for (size_t e = 0; e < elementCount; ++e)
                for (int q = 0; q < 4; ++q) {
                    const double l = nodes_[e + 1] - nodes_[e];
                    const char front = X(static_cast<int>(e), nodes_[e] + kGauss[q] * l, 0) >= 0;
                    changed = changed || front != front_[4 * e + q];
                    front_[4 * e + q] = front;
                }
            u_.swap(u);
            if (!changed)
                return true;
        }
        return false;
    };

    const std::vector<char> all(in.anchors.size(), 1);
    lockOff_.assign(2 * nodes_.size(), 0);
    if (!in.anchors.empty()) {
        front_.assign(4 * elementCount, 0); // pulled back: the pile presses behind
        if (!solveState(false, all, lockOff_)) {
            failure_ = "the ground cannot hold the pile under the anchors' locked-off forces";
            return false;
        }
    }
    front_.assign(4 * elementCount, 1);
    std::vector<char> active = all;
    anchors_.assign(in.anchors.size(), {});
    bool settled = false;
    for (size_t round = 0; round < 2 * in.anchors.size() + 4 && !settled; ++round) {
        if (!solveState(true, active, u_)) {
            failure_ = "the springs cannot hold the pile, or the faces it presses do not settle";
            return false;
        }
        settled = true;
        for (size_t a = 0; a < in.anchors.size(); ++a) {
            const SpringAnchor& s = in.anchors[a];
            const size_t i = 2 * static_cast<size_t>(anchorNode_[a]);
            const double h = s.lockOff * s.cosine + s.stiffness * s.cosine * s.cosine * (u_[i] - lockOff_[i]);
            const char taut = h >= 0;
            settled = settled && taut == active[a];
            active[a] = taut;
            anchors_[a] = taut ? AnchorForce{h, h / s.cosine, false} : AnchorForce{0, 0, true};
            anchors_[a].displacement = u_[i];
            anchors_[a].lockOffDisplacement = lockOff_[i];
        }
    }
    if (!settled) {
        failure_ = "the anchors do not settle between taut and slack";
        return false;
    }

    // The ground's reaction down to each node, by the rule the springs used.
    R0_.assign(nodes_.size(), 0);
    R1_.assign(nodes_.size(), 0);
    for (size_t e = 0; e < elementCount; ++e) {
        double r0 = 0, r1 = 0;
        const double z0 = nodes_[e], l = nodes_[e + 1] - z0;
        if (const SpringGround* g = z0 >= h1 - 1e-12 ? GroundAt(z0 + l / 2) : nullptr)
            for (int q = 0; q < 4; ++q) {
                const double z = z0 + kGauss[q] * l;
                const double p = K(*g, front_[4 * e + q] != 0, z) * in.Bp * X(static_cast<int>(e), z, 0) *
                                 kWeight[q] * l;
                r0 += p;
                r1 += p * z;
            }
        R0_[e + 1] = R0_[e] + r0;
        R1_[e + 1] = R1_[e] + r1;
    }
    return true;
}

void WholePileBeam::Reaction(int e, double z, double& r0, double& r1) const
{
    r0 = R0_[e];
    r1 = R1_[e];
    const double z0 = nodes_[e], span = z - z0;
    const SpringGround* g = z0 >= in_.load.h1 - 1e-12 ? GroundAt(z0 + (nodes_[e + 1] - z0) / 2) : nullptr;
    if (!g || span <= 0)
        return;
    for (int q = 0; q < 4; ++q) {
        const double s = z0 + kGauss[q] * span, x = X(e, s, 0);
        const double p = K(*g, x >= 0, s) * in_.Bp * x * kWeight[q] * span;
        r0 += p;
        r1 += p * s;
    }
}

double WholePileBeam::StressIn(const SpringGround& g, double z) const
{
    const double x = X(ElementAt(z), z, 0);
    return K(g, x >= 0, z) * x;
}

PileForcePoint WholePileBeam::At(double z) const
{
    const double h1 = in_.load.h1;
    const int e = ElementAt(z);
    PileForcePoint p;
    p.depth = z;
    p.displacement = X(e, z, 0);
    p.rotation = X(e, z, 1);
    const double zl = std::min(z, h1);
    double Q = in_.load.Q(zl), M = in_.load.M(zl) + in_.load.Q(h1) * std::max(0.0, z - h1);
    for (size_t a = 0; a < anchors_.size(); ++a) {
        // Where the cable acts: its node. At the foot, the foot's own cable
        // counts, so that a free foot is seen free.
        const double d = nodes_[static_cast<size_t>(anchorNode_[a])];
        if (d < z || (z >= in_.L && d >= in_.L)) {
            Q -= anchors_[a].horizontal;
            M -= anchors_[a].horizontal * (z - d);
        }
    }
    double r0 = 0, r1 = 0;
    Reaction(e, z, r0, r1);
    p.shear = Q - r0;
    p.moment = M - (z * r0 - r1);
    if (z >= h1)
        if (const SpringGround* g = GroundAt(z))
            p.stress = StressIn(*g, z);
    return p;
}
