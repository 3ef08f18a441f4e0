#include "PileForces.h"

#include "Concrete.h"
#include "NumericLocale.h"
#include "FieldTable.h"
#include "PileSection.h"
#include "TuKangLiJiSuan.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

// The state of the pile at one depth.
struct State {
    double x = 0, phi = 0, M = 0, Q = 0;
};

// Krylov functions of u and their derivatives with respect to u:
// dphi1 = -4 phi4, dphi2 = phi1, dphi3 = phi2, dphi4 = phi3.
std::array<double, 4> Krylov(double u)
{
    const double c = std::cos(u), s = std::sin(u), ch = std::cosh(u), sh = std::sinh(u);
    return {c * ch, 0.5 * (s * ch + c * sh), 0.5 * s * sh, 0.25 * (s * ch - c * sh)};
}
std::array<double, 4> Derivative(const std::array<double, 4>& p) { return {-4 * p[3], p[0], p[1], p[2]}; }

// The loaded part: the linear load over h1 and what it gives by statics.
struct LoadedPart {
    double h1 = 0, qt = 0, qb = 0;
    double Q(double z) const { return qt * z + (qb - qt) * z * z / (2 * h1); }
    double M(double z) const { return qt * z * z / 2 + (qb - qt) * z * z * z / (6 * h1); }
    // The cantilever deflection from the slip surface, times EI, and its slope:
    // f(z) EI = integral from z to h1 of (s - z) M(s) ds.
    double F(double z) const
    {
        auto I = [z, this](int n) {
            return (std::pow(h1, n + 2) - std::pow(z, n + 2)) / (n + 2) - z * (std::pow(h1, n + 1) - std::pow(z, n + 1)) / (n + 1);
        };
        return qt / 2 * I(2) + (qb - qt) / (6 * h1) * I(3);
    }
    double dF(double z) const
    {
        return -(qt / 2 * (std::pow(h1, 3) - std::pow(z, 3)) / 3 + (qb - qt) / (6 * h1) * (std::pow(h1, 4) - std::pow(z, 4)) / 4);
    }
};

PileForces Refuse(PileForces out, const std::string& key, const std::string& why)
{
    out.status = 0;
    out.refusedField = key;
    out.refusal = why;
    return out;
}

} // namespace

PileForces CalculatePileForces(const CPelvorinData& r)
{
    PileForces out;
    if (!r.bSheJi)
        return Refuse(out, "SheJi", "the record has no design block (SheJi)");
    const CSheJi& d = r.SheJi;
    std::string problem;
    if (!CheckDesign(d, &problem)) {
        const size_t space = problem.find(' ');
        return Refuse(out, problem.substr(0, space), problem);
    }
    const double L = r.fZhuangChang, h1 = r.fHuaMianDaoZhuangDing, h2 = L - h1;
    if (!(h1 > 0) || !(h2 > 0) || !std::isfinite(L))
        return Refuse(out, "fHuaMianDaoZhuangDing",
                      "fHuaMianDaoZhuangDing (滑面到桩顶距离（m）): the slip surface must lie inside the pile, "
                      "below its top and above its foot");
    if (!(r.fZhuangJianJu > 0))
        return Refuse(out, "fZhuangJianJu", "fZhuangJianJu (桩中心距（m）): the spacing must be above 0");

    // Section stiffness: b normal to the thrust, a along it.
    Con_Prop concrete;
    get_rc_property(r.nHunNingTuDengJi, &concrete);
    double I = 0;
    if (r.nJieMianXingZhuang == 1)
        I = static_cast<double>(r.fZhuangKuan) * std::pow(static_cast<double>(r.fZhuangGao), 3) / 12.0;
    else
        I = kJiSuanPi * std::pow(static_cast<double>(r.fZhuangJing), 4) / 64.0;
    const double EI = d.fGangDuXiShu * concrete.Ec * 1000.0 * I; // Ec N/mm2 = MPa -> kPa
    if (!(EI > 0))
        return Refuse(out, "nHunNingTuDengJi", "nHunNingTuDengJi (混凝土等级): no elastic modulus for this grade");
    CPelvorinData copy(r);
    CTuKangLiJiSuan ground;
    ground.pData = &copy;
    const double Bp = ground.GetJiSuanKuanDu();

    // Loaded part.
    LoadedPart load;
    load.h1 = h1;
    // The sliding mass in front can hold back no more than the thrust: a pile
    // pushed uphill is not the design case.
    if (d.fQianKangLi > d.fTuiLi)
        return Refuse(out, "SheJi.fQianKangLi",
                      "SheJi.fQianKangLi (桩前滑体抗力（kN/m）): the resistance in front (" + MessageNumber(d.fQianKangLi) +
                          ") exceeds the design thrust (" + MessageNumber(d.fTuiLi) + "): the pile carries no thrust");
    const double ET = (static_cast<double>(d.fTuiLi) - d.fQianKangLi) * r.fZhuangJianJu;
    switch (d.nTuiLiFenBu) {
    case 0:
        load.qt = load.qb = ET / h1;
        break;
    case 1:
        load.qt = 0;
        load.qb = 2 * ET / h1;
        break;
    default:
        load.qb = 2 * ET / (h1 * (1 + d.fTiXingBi));
        load.qt = d.fTiXingBi * load.qb;
        break;
    }
    const double Q0 = load.Q(h1), M0 = load.M(h1);

    out.method = d.nDiJiFa == 0 ? 'K' : 'm';
    out.h1 = h1;
    out.h2 = h2;
    out.width = Bp;
    out.EI = EI;
    out.thrust = ET;
    out.Q0 = Q0;
    out.M0 = M0;
    const bool hinged = d.nZhuangDi == 1;
    // The embedded part as a function of y below the slip surface, and the
    // ground coefficient on the face the pile presses there (for a rigid pile
    // in the m method: A1 in front above its centre, A2 behind below it).
    std::function<State(double)> embedded;
    std::function<double(double)> groundK;
    if (d.nDiJiFa == 0) {
        const double K = d.fK;
        groundK = [K](double) { return K; };
        const double beta = std::pow(K * Bp / (4 * EI), 0.25);
        out.coefficient = beta;
        out.coefficientLength = beta * h2;
        out.rigid = beta * h2 <= 1.0;

        if (out.rigid) {
            double y0 = 0, dphi = 0;
            if (hinged) {
                y0 = h2;
                dphi = 3 * (M0 + Q0 * h2) / (K * Bp * h2 * h2 * h2);
            } else {
                y0 = h2 * (3 * M0 + 2 * Q0 * h2) / (3 * (2 * M0 + Q0 * h2));
                dphi = 6 * (2 * M0 + Q0 * h2) / (K * Bp * h2 * h2 * h2);
            }
            out.rotationCentre = h1 + y0;
            embedded = [=](double y) {
                State s;
                s.x = (y0 - y) * dphi;
                s.phi = -dphi;
                s.Q = Q0 - K * Bp * dphi * (y0 * y - y * y / 2);
                s.M = M0 + Q0 * y - K * Bp * dphi * (y0 * y * y / 2 - y * y * y / 6);
                return s;
            };
        } else {
            // x0 and phi0 from the two conditions at the foot.
            const double c3 = M0 / (beta * beta * EI), c4 = Q0 / (beta * beta * beta * EI);
            const std::array<double, 4> p = Krylov(beta * h2), d1 = Derivative(p), d2 = Derivative(d1),
                                        d3 = Derivative(d2);
            // Rows: for a free foot M and Q (second and third derivatives), for a
            // hinged one x and M.
            const std::array<double, 4>& first = hinged ? p : d2;
            const std::array<double, 4>& second = hinged ? d2 : d3;
            const double a11 = first[0], a12 = first[1] / beta, b1 = -(c3 * first[2] + c4 * first[3]);
            const double a21 = second[0], a22 = second[1] / beta, b2 = -(c3 * second[2] + c4 * second[3]);
            const double det = a11 * a22 - a12 * a21;
            if (!(std::fabs(det) > 0) || !std::isfinite(det))
                return Refuse(out, "SheJi.fK", "SheJi.fK (地基系数K（kN/m³）): the pile is too long for the closed form");
            const double x0 = (b1 * a22 - a12 * b2) / det, phi0 = (a11 * b2 - b1 * a21) / det;
            embedded = [=](double y) {
                const std::array<double, 4> q = Krylov(beta * y), e1 = Derivative(q), e2 = Derivative(e1),
                                            e3 = Derivative(e2);
                auto comb = [&](const std::array<double, 4>& v) { return x0 * v[0] + phi0 / beta * v[1] + c3 * v[2] + c4 * v[3]; };
                State s;
                s.x = comb(q);
                s.phi = beta * comb(e1);
                s.M = EI * beta * beta * comb(e2);
                s.Q = EI * beta * beta * beta * comb(e3);
                return s;
            };
        }
    } else {
        const double m = d.fM, A1 = d.fA1, A2 = d.fA2;
        const double alpha = std::pow(m * Bp / EI, 0.2);
        out.coefficient = alpha;
        out.coefficientLength = alpha * h2;
        out.rigid = !(m > 0) || alpha * h2 <= 2.5;
        if (out.rigid) {
            // The integral over [a, b] of (A + m y)(y0 - y) y^n dy.
            auto integral = [m](double A, double y0, double a, double b, int n) {
                auto I = [a, b](int k) { return (std::pow(b, k + 1) - std::pow(a, k + 1)) / (k + 1); };
                return A * y0 * I(n) + (m * y0 - A) * I(n + 1) - m * I(n + 2);
            };
            auto both = [&](double y0, int n) { return integral(A1, y0, 0, y0, n) + integral(A2, y0, y0, h2, n); };
            double y0 = h2, dphi = 0;
            if (hinged) {
                // About the foot: M0 + Q0 h2 = B_p dphi (integral of k (h2 - y)^2).
                const double I2 = h2 * both(h2, 0) - both(h2, 1);
                dphi = (M0 + Q0 * h2) / (Bp * I2);
            } else {
                // The centre from the moment condition:
                // M0 (integral of k (y0 - y)) + Q0 (integral of k (y0 - y) y) = 0.
                auto g = [&](double c) { return M0 * both(c, 0) + Q0 * both(c, 1); };
                double lo = 1e-9 * h2, hi = h2;
                if (!(g(lo) * g(hi) <= 0))
                    return Refuse(out, "SheJi.fA1",
                                  "SheJi.fA1 (滑面处桩前地基系数A1（kN/m³）): no centre of rotation within the embedded part");
                for (int k = 0; k < 80; ++k) {
                    const double mid = (lo + hi) / 2;
                    (g(lo) * g(mid) <= 0 ? hi : lo) = mid;
                }
                y0 = (lo + hi) / 2;
                dphi = Q0 / (Bp * both(y0, 0));
            }
            out.rotationCentre = h1 + y0;
            groundK = [=](double y) { return (y < y0 ? A1 : A2) + m * y; };
            embedded = [=](double y) {
                State st;
                st.x = (y0 - y) * dphi;
                st.phi = -dphi;
                // Statics from the slip surface down, under the reaction k B_p x.
                auto upTo = [&](double to, int n) {
                    return to <= y0 ? integral(A1, y0, 0, to, n)
                                    : integral(A1, y0, 0, y0, n) + integral(A2, y0, y0, to, n);
                };
                const double R0 = Bp * dphi * upTo(y, 0), R1 = Bp * dphi * upTo(y, 1);
                st.Q = Q0 - R0;
                st.M = M0 + Q0 * y - (y * R0 - R1);
                return st;
            };
        } else {
            // EI x'''' + (A + m y) B_p x = 0 from the slip surface down: the four
            // fundamental solutions (unit x, x', x'', x''' at y = 0) by
            // Runge-Kutta, then the two conditions at the foot.
            const double A = A1;
            using Vec = std::array<double, 4>;
            using Four = std::array<Vec, 4>;
            auto rate = [=](double y, const Vec& v) {
                return Vec{v[1], v[2], v[3], -(A + m * y) * Bp / EI * v[0]};
            };
            auto step = [=](double y, Vec v, double h) {
                const Vec k1 = rate(y, v);
                Vec t;
                for (int i = 0; i < 4; ++i)
                    t[i] = v[i] + h / 2 * k1[i];
                const Vec k2 = rate(y + h / 2, t);
                for (int i = 0; i < 4; ++i)
                    t[i] = v[i] + h / 2 * k2[i];
                const Vec k3 = rate(y + h / 2, t);
                for (int i = 0; i < 4; ++i)
                    t[i] = v[i] + h * k3[i];
                const Vec k4 = rate(y + h, t);
                for (int i = 0; i < 4; ++i)
                    v[i] += h / 6 * (k1[i] + 2 * k2[i] + 2 * k3[i] + k4[i]);
                return v;
            };
            const int n = 400; // RK4 error about (alpha h2 / n)^4: far below the data's digits
            const double h = h2 / n;
            auto nodes = std::make_shared<std::vector<Four>>(n + 1);
            for (int j = 0; j < 4; ++j) {
                Vec v{};
                v[static_cast<size_t>(j)] = 1;
                (*nodes)[0][static_cast<size_t>(j)] = v;
                for (int i = 0; i < n; ++i)
                    (*nodes)[static_cast<size_t>(i) + 1][static_cast<size_t>(j)] = v = step(i * h, v, h);
            }
            const Four& foot = (*nodes)[static_cast<size_t>(n)];
            const double c3 = M0 / EI, c4 = Q0 / EI;
            // Rows: a free foot has x'' = x''' = 0, a hinged one x = x'' = 0.
            const size_t r1 = hinged ? 0 : 2, r2 = hinged ? 2 : 3;
            const double a11 = foot[0][r1], a12 = foot[1][r1], b1 = -(c3 * foot[2][r1] + c4 * foot[3][r1]);
            const double a21 = foot[0][r2], a22 = foot[1][r2], b2 = -(c3 * foot[2][r2] + c4 * foot[3][r2]);
            const double det = a11 * a22 - a12 * a21;
            if (!(std::fabs(det) > 0) || !std::isfinite(det))
                return Refuse(out, "SheJi.fM",
                              "SheJi.fM (地基系数的比例系数m（kN/m⁴）): the pile is too long to integrate");
            const double x0 = (b1 * a22 - a12 * b2) / det, phi0 = (a11 * b2 - b1 * a21) / det;
            const Vec coef{x0, phi0, c3, c4};
            groundK = [A, m](double y) { return A + m * y; };
            embedded = [=](double y) {
                const int i = std::clamp(static_cast<int>(y / h), 0, n);
                Vec sum{};
                for (size_t j = 0; j < 4; ++j) {
                    const Vec v = step(i * h, (*nodes)[static_cast<size_t>(i)][j], y - i * h);
                    for (size_t c = 0; c < 4; ++c)
                        sum[c] += coef[j] * v[c];
                }
                State st;
                st.x = sum[0];
                st.phi = sum[1];
                st.M = EI * sum[2];
                st.Q = EI * sum[3];
                return st;
            };
        }
    }
    const State atSlip = embedded(0);

    // The whole pile at depth z below its top.
    auto at = [&](double z) {
        PileForcePoint p;
        p.depth = z;
        if (z <= h1) {
            p.shear = load.Q(z);
            p.moment = load.M(z);
            p.displacement = atSlip.x + atSlip.phi * (z - h1) + load.F(z) / EI;
            p.rotation = atSlip.phi + load.dF(z) / EI;
        } else {
            const State s = embedded(z - h1);
            p.shear = s.Q;
            p.moment = s.M;
            p.displacement = s.x;
            p.rotation = s.phi;
            p.stress = groundK(z - h1) * s.x;
        }
        return p;
    };

    const int steps = static_cast<int>(std::ceil(L / 0.1 - 1e-9));
    bool slipAdded = false;
    for (int i = 0; i <= steps; ++i) {
        const double z = std::min(L, i * 0.1);
        if (!slipAdded && z > h1 + 1e-9) {
            out.points.push_back(at(h1));
            slipAdded = true;
        }
        if (std::fabs(z - h1) <= 1e-9)
            slipAdded = true;
        out.points.push_back(at(z));
    }
    out.slip = at(h1);
    out.topDisplacement = at(0).displacement;

    // The solution must meet its own conditions at the foot, and be finite: a
    // ground coefficient too small (or a pile too long) for the arithmetic
    // gives numbers that balance nothing.
    {
        const PileForcePoint foot = at(L);
        const double scale = std::fabs(M0) + std::fabs(Q0) * h2 + 1e-9;
        bool ok = std::isfinite(out.slip.displacement) && std::isfinite(out.topDisplacement) &&
                  std::isfinite(foot.moment) && std::isfinite(foot.shear);
        ok = ok && std::fabs(foot.moment) <= 1e-4 * scale;
        if (!hinged)
            ok = ok && std::fabs(foot.shear) * h2 <= 1e-4 * scale;
        else
            ok = ok && std::fabs(foot.displacement) <= 1e-4 * (std::fabs(out.slip.displacement) + 1e-12);
        for (const PileForcePoint& p : out.points)
            ok = ok && std::isfinite(p.moment) && std::isfinite(p.shear) && std::isfinite(p.displacement);
        if (!ok) {
            const bool k = d.nDiJiFa == 0;
            return Refuse(out, k ? "SheJi.fK" : "SheJi.fM",
                          k ? "SheJi.fK (地基系数K（kN/m³）): the ground below the slip surface gives no solution "
                              "that holds the pile (the coefficient is too small or the pile too long)"
                            : "SheJi.fM (地基系数的比例系数m（kN/m⁴）): the ground below the slip surface gives no "
                              "solution that holds the pile (m and A1 too small, or the pile too long)");
        }
    }

    // Extremes: the largest magnitude among the points, refined between its
    // neighbours.
    auto extreme = [&](double PileForcePoint::*field) {
        size_t best = 0;
        for (size_t i = 1; i < out.points.size(); ++i)
            if (std::fabs(out.points[i].*field) > std::fabs(out.points[best].*field))
                best = i;
        double lo = out.points[best > 0 ? best - 1 : 0].depth;
        double hi = out.points[std::min(best + 1, out.points.size() - 1)].depth;
        auto size = [&](double z) { return std::fabs(at(z).*field); };
        for (int k = 0; k < 60; ++k) {
            const double m1 = lo + (hi - lo) / 3, m2 = hi - (hi - lo) / 3;
            (size(m1) < size(m2) ? lo : hi) = size(m1) < size(m2) ? m1 : m2;
        }
        const double z = (lo + hi) / 2;
        PileForceExtreme e{at(z).*field, z};
        if (std::fabs(out.points[best].*field) > std::fabs(e.value))
            e = {out.points[best].*field, out.points[best].depth};
        return e;
    };
    out.maxMoment = extreme(&PileForcePoint::moment);
    out.maxShear = extreme(&PileForcePoint::shear);

    // Checks against what the user allows (0: not checked).
    PileForceCheck stress{"fYunXuYingLi", d.fYunXuYingLi > 0, true, 0, d.fYunXuYingLi, 0};
    for (const PileForcePoint& p : out.points)
        if (std::fabs(p.stress) > stress.value) {
            stress.value = std::fabs(p.stress);
            stress.depth = p.depth;
        }
    stress.holds = !stress.checked || stress.value <= stress.allowed;
    PileForceCheck top{"fYunXuDingWeiYi", d.fYunXuDingWeiYi > 0, true, std::fabs(out.topDisplacement) * 1000,
                       d.fYunXuDingWeiYi, 0};
    top.holds = !top.checked || top.value <= top.allowed;
    PileForceCheck slip{"fYunXuHuaMianWeiYi", d.fYunXuHuaMianWeiYi > 0, true, std::fabs(out.slip.displacement) * 1000,
                        d.fYunXuHuaMianWeiYi, h1};
    slip.holds = !slip.checked || slip.value <= slip.allowed;
    out.checks = {stress, top, slip};
    const double factor = static_cast<double>(d.fHeZaiXiShu) * d.fGamma0;
    out.reinforcement = DesignPileReinforcement(r, std::fabs(out.maxMoment.value) * factor,
                                                std::fabs(out.maxShear.value) * factor);
    out.status = 1;
    return out;
}

namespace {

struct Steel {
    int grade;
    const char* name;
    double fy, Es, xiB; // xi_b of table 6.2.7 up to C50
};
constexpr Steel kSteel[] = {{300, "HPB300", 270, 2.1e5, 0.576},
                            {335, "HRB335", 300, 2.0e5, 0.550},
                            {400, "HRB400", 360, 2.0e5, 0.518},
                            {500, "HRB500", 435, 2.0e5, 0.482}};

} // namespace

PileReinforcement DesignPileReinforcement(const CPelvorinData& r, double M, double V)
{
    PileReinforcement out;
    out.moment = M;
    out.shear = V;
    const Steel* steel = &kSteel[2];
    for (const Steel& s : kSteel)
        if (s.grade == r.SheJi.nGangJin)
            steel = &s;
    out.steel = steel->name;
    out.fy = steel->fy;
    out.fyv = std::min(steel->fy, 360.0);
    Con_Prop c;
    get_rc_property(r.nHunNingTuDengJi, &c);
    const double fc = c.fc, ft = c.ft, fy = out.fy, fyv = out.fyv;
    // Above C50 alpha1, beta1 and beta_c fall linearly to C80 (6.2.6, 6.3.1)
    // and xi_b follows from the ultimate strain (6.2.7-1).
    const double over = std::clamp((static_cast<double>(c.fcuk) - 50.0) / 30.0, 0.0, 1.0);
    out.alpha1 = 1.0 - 0.06 * over;
    out.betaC = 1.0 - 0.2 * over;
    if (over > 0) {
        const double beta1 = 0.8 - 0.06 * over, ecu = 0.0033 - (c.fcuk - 50.0) * 1e-5;
        out.xiB = beta1 / (1 + fy / (steel->Es * ecu));
    } else {
        out.xiB = steel->xiB;
    }
    const double Mn = M * 1e6, Vn = V * 1e3; // N mm, N

    if (r.nJieMianXingZhuang == 1) {
        const double b = 1000.0 * r.fZhuangKuan, h = 1000.0 * r.fZhuangGao, h0 = h - r.fAs;
        out.b = b;
        out.h0 = h0;
        // M = alpha1 fc b x (h0 - x/2): the smaller root; none when M exceeds
        // what the whole depth can hold, over-reinforced either way.
        const double k = out.alpha1 * fc * b;
        const double disc = h0 * h0 - 2 * Mn / k;
        out.x = disc >= 0 ? h0 - std::sqrt(disc) : h0;
        out.minimum = std::max(0.002, 0.45 * ft / fy) * b * h;
        if (disc < 0 || out.x > out.xiB * h0) {
            out.overReinforced = true;
            char why[200];
            std::snprintf(why, sizeof why, "x %s %.1f mm > xi_b h0 = %.1f mm: singly reinforced section over-reinforced",
                          disc < 0 ? ">= h0 =" : "=", out.x, out.xiB * h0);
            out.reason = why;
        } else {
            out.required = k * out.x / fy;
            out.minimumGoverns = out.minimum > out.required;
            out.longitudinalArea = std::max(out.required, out.minimum);
        }
    } else {
        const double radius = 500.0 * r.fZhuangJing, rs = radius - r.fAs, A = kJiSuanPi * radius * radius;
        out.b = 1.76 * radius;
        out.h0 = 1.6 * radius;
        // E.0.4 with N = 0: the first equation gives As for a compressed angle
        // 2 pi alpha (alpha < 5/12 so that alpha_t > alpha), the second the
        // moment it holds, which grows with alpha from 0 without bound.
        auto area = [&](double a) {
            const double at = a > 0.625 ? 0.0 : 1.25 - 2 * a;
            return a * out.alpha1 * fc * A * (1 - std::sin(2 * kJiSuanPi * a) / (2 * kJiSuanPi * a)) / ((at - a) * fy);
        };
        auto holds = [&](double a) {
            const double at = a > 0.625 ? 0.0 : 1.25 - 2 * a, s = std::sin(kJiSuanPi * a);
            return 2.0 / 3.0 * out.alpha1 * fc * A * radius * s * s * s / kJiSuanPi +
                   fy * area(a) * rs * (s + std::sin(kJiSuanPi * at)) / kJiSuanPi;
        };
        double lo = 0, hi = 5.0 / 12.0;
        for (int i = 0; i < 200 && hi - lo > 1e-15; ++i) {
            const double mid = (lo + hi) / 2;
            (holds(mid) < Mn ? lo : hi) = mid;
        }
        out.alpha = (lo + hi) / 2;
        out.required = Mn > 0 ? area(out.alpha) : 0;
        out.longitudinalArea = out.required;
    }

    // Shear.
    const double b = out.b, h0 = out.h0;
    out.stirrupsMinimum = 0.24 * ft / fyv * b;
    out.shearLimit = 0.25 * out.betaC * fc * b * h0 / 1e3;
    if (V > out.shearLimit) {
        out.sectionTooSmall = true;
        char why[200];
        std::snprintf(why, sizeof why, "V = %.1f kN > 0.25 beta_c fc b h0 = %.1f kN: section too small for shear", V,
                      out.shearLimit);
        out.reason += (out.reason.empty() ? "" : "; ") + std::string(why);
    } else {
        out.stirrups = std::max((Vn - 0.7 * ft * b * h0) / (fyv * h0), out.stirrupsMinimum);
    }
    return out;
}
