#include "SlopeData.h"

#include "SafeFile.h"

#include "JsDataBase.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

int g_lCurFAID = 0;
int g_lCurHMID = 0;

namespace {
// How near a polyline must pass the pile's axis to cross it, m: a rounding
// margin, not a widening.
constexpr float kCrossingTolerance = 1e-5f;
} // namespace

namespace {

// Crossing parameters of segment a-b with the circle, in [0, 1].
int SegmentCircle(const CFPoint& a, const CFPoint& b, double cx, double cy, double r, double t[2])
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double fx = a.x - cx, fy = a.y - cy;
    const double qa = dx * dx + dy * dy, qb = 2 * (fx * dx + fy * dy), qc = fx * fx + fy * fy - r * r;
    if (qa <= 0)
        return 0;
    const double disc = qb * qb - 4 * qa * qc;
    if (disc < 0)
        return 0;
    const double root = std::sqrt(disc);
    int n = 0;
    for (double s : {(-qb - root) / (2 * qa), (-qb + root) / (2 * qa)})
        if (s >= 0 && s <= 1 && (n == 0 || s != t[0]))
            t[n++] = s;
    return n;
}

bool SegmentSegment(const CFPoint& a, const CFPoint& b, const CFPoint& c, const CFPoint& d, double tol,
                    CFPoint& out)
{
    const double rx = b.x - a.x, ry = b.y - a.y, sx = d.x - c.x, sy = d.y - c.y;
    const double den = rx * sy - ry * sx;
    if (std::fabs(den) < 1e-12)
        return false; // parallel
    const double qx = c.x - a.x, qy = c.y - a.y;
    const double t = (qx * sy - qy * sx) / den, u = (qx * ry - qy * rx) / den;
    const double lr = std::hypot(rx, ry), ls = std::hypot(sx, sy);
    if (t * lr < -tol || (t - 1) * lr > tol || u * ls < -tol || (u - 1) * ls > tol)
        return false;
    out.x = static_cast<float>(a.x + t * rx);
    out.y = static_cast<float>(a.y + t * ry);
    return true;
}

} // namespace

void CSlp_PoXian::GetJDPoXianWithPoXian(const CSlp_PoXian& other, std::vector<CFPoint>& out, int,
                                        float tol, int* count, float, int, float) const
{
    const size_t before = out.size();
    for (size_t i = 0; i + 1 < pts.size(); ++i)
        for (size_t j = 0; j + 1 < other.pts.size(); ++j) {
            CFPoint p;
            if (SegmentSegment(pts[i], pts[i + 1], other.pts[j], other.pts[j + 1], tol, p))
                out.push_back(p);
        }
    if (count)
        *count = static_cast<int>(out.size() - before);
}

float CSlp_PoXian::GetBorderY(int flag) const
{
    if (pts.empty())
        return 0;
    float y = pts.front().y;
    for (const CFPoint& p : pts)
        y = flag == 1 ? std::max(y, p.y) : std::min(y, p.y);
    return y / 1000.0f;
}

int CConvert_PXData::GetTuCeng_Front_KHZ(std::vector<CSlopeBZDC_CS*>& layers)
{
    if (!pSlope)
        return 0;
    const CSlp_KHPile& pile = pPile ? *pPile : pSlope->CurKHPile;
    for (const CSlopeBZDC_CS& l : pile.QianCeng)
        layers.push_back(new CSlopeBZDC_CS(l));
    fQianDiMian = pile.fQianDiMianY;
    bYouShui = pile.bYouShui;
    fShuiWei = pile.fShuiWeiY - pile.PoXian.GetBorderY(1) * 1000.0f;
    return static_cast<int>(pile.QianCeng.size());
}

bool SlipSurfaceCutsPile(const CSlp_KHPile& pile, const CSlp_Surface& s, float* depth)
{
    const CSlp_PoXian& axis = pile.PoXian;
    if (axis.pts.empty())
        return false;
    std::vector<CFPoint> hits;
    if (s.nHuaMianLeiXing == 0) {
        // The slip surface is the part of the circle below its centre: where
        // the upper half crosses a pile, nothing slides there.
        for (size_t i = 0; i + 1 < axis.pts.size(); ++i) {
            double t[2];
            const CFPoint &a = axis.pts[i], &b = axis.pts[i + 1];
            const int n = SegmentCircle(a, b, s.fX, s.fY, s.fR, t);
            for (int k = 0; k < n; ++k) {
                const CFPoint p{static_cast<float>(a.x + t[k] * (b.x - a.x)), static_cast<float>(a.y + t[k] * (b.y - a.y))};
                if (p.y <= s.fY)
                    hits.push_back(p);
            }
        }
    } else {
        // Where the polyline crosses the axis, within both: neither is
        // lengthened (a surface just short of the axis or below the foot does
        // not cut the pile).
        axis.GetJDPoXianWithPoXian(s.PoXian, hits, 0, kCrossingTolerance, nullptr, kCrossingTolerance, 0, 1.0f);
    }
    if (hits.empty())
        return false;
    // The slip surface passes below: its lowest crossing with the axis.
    CFPoint low = hits.front();
    for (const CFPoint& p : hits)
        if (p.y < low.y)
            low = p;
    if (depth)
        *depth = std::hypot(low.x - axis.pts.front().x, low.y - axis.pts.front().y);
    return true;
}

float SlipDepthAtPile(const CSlp_KHPile& pile, const CSlp_Surface& s)
{
    float depth = 0;
    return SlipSurfaceCutsPile(pile, s, &depth) ? depth : 0;
}

float CetHM_KHZ_Dis(CSlopeData* slope, int*, int*)
{
    return slope ? SlipDepthAtPile(slope->CurKHPile, slope->CurSurface) : 0;
}

int CalHMKangLi_KHZ(CSlopeData* slope, int i, void*, int)
{
    if (!slope || i < 0 || i >= static_cast<int>(slope->KHPiles.size()))
        return 0;
    CSlp_KHPile& pile = slope->KHPiles[static_cast<size_t>(i)];
    CSlp_KHPile saved = slope->CurKHPile;
    slope->CurKHPile = pile;
    const float depth = CetHM_KHZ_Dis(slope, nullptr, nullptr);
    slope->CurKHPile = saved;
    const size_t n = std::min(pile.KangLiDian.size(), pile.KangLiZhi.size());
    if (n == 0)
        return 0;
    // The points run from the foot (largest depth) to the top.
    for (size_t k = 0; k + 1 < n; ++k) {
        const float lo = pile.KangLiDian[k + 1], hi = pile.KangLiDian[k];
        if (depth >= lo && depth <= hi && hi > lo) {
            const float w = (depth - lo) / (hi - lo);
            pile.fKangLi = pile.KangLiZhi[k + 1] + w * (pile.KangLiZhi[k] - pile.KangLiZhi[k + 1]);
            return 1;
        }
    }
    pile.fKangLi = depth <= pile.KangLiDian.back() ? pile.KangLiZhi.back() : pile.KangLiZhi.front();
    return 1;
}

int GenResFileOne(const char* path, CJsDataBase* record, const std::vector<std::string>& files)
{
    if (!path || !record)
        return 0;
    // Written whole or not at all, as every file of ours.
    SafeFileWriter writer(path);
    FILE* f = writer.open();
    if (!f)
        return 0;
    std::fprintf(f, "KANGLI-RES %s\n", record->strLeiBie.c_str());
    std::fprintf(f, "%s\n", record->strWenJianMing.c_str());
    for (const std::string& name : files)
        std::fprintf(f, "%s\n", name.c_str());
    return writer.commit() ? 1 : 0;
}
