#include "LabelPlacer.h"

bool SegmentCrosses(const double l[4], const LabelBox& b)
{
    double t0 = 0, t1 = 1;
    const double dx = l[2] - l[0], dy = l[3] - l[1];
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {l[0] - b.x0, b.x1 - l[0], l[1] - b.y0, b.y1 - l[1]};
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0) {
            if (q[k] < 0)
                return false;
            continue;
        }
        const double r = q[k] / p[k];
        if (p[k] < 0)
            t0 = std::max(t0, r);
        else
            t1 = std::min(t1, r);
        if (t0 > t1)
            return false;
    }
    return true;
}
