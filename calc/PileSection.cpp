#include "PileSection.h"

#include "Concrete.h"
#include "PelvorinData.h"

PileSectionShape SectionShape(const CPelvorinData& r)
{
    PileSectionShape s;
    if (r.nJieMianXingZhuang == 1) {
        s.area = static_cast<double>(r.fZhuangGao) * r.fZhuangKuan;
        s.b0 = 1000.0 * r.fZhuangKuan;
        s.h0 = 1000.0 * r.fZhuangGao - r.fAs;
    } else if (r.nJieMianXingZhuang == 0) {
        s.area = static_cast<double>(r.fZhuangJing) * kJiSuanPi * r.fZhuangJing * 0.25;
        s.b0 = static_cast<double>(r.fZhuangJing) * 1760.0 * 0.5;
        s.h0 = static_cast<double>(r.fZhuangJing) * 1600.0 * 0.5;
    }
    return s;
}

PileSectionAtSlip SectionAtSlip(const CPelvorinData& r)
{
    PileSectionAtSlip p;
    const PileSectionShape shape = SectionShape(r);
    p.sigma = static_cast<double>(r.fHuaMianDaoZhuangDing) * r.fZhuangRongZhong;
    p.area = shape.area;
    p.b0 = shape.b0;
    p.h0 = shape.h0;
    p.n0 = p.sigma * p.area;
    Con_Prop prop;
    get_rc_property(r.nHunNingTuDengJi, &prop);
    p.fc = prop.fc;
    p.ftk = prop.ftk;
    p.n1 = AxialLimit(prop.fc, p.area);
    p.n = p.n0 <= p.n1 ? p.n0 : p.n1;
    p.vc = ShearCapacity(p.b0, p.h0, prop.ftk, p.n);
    p.fv = p.vc / r.fZhuangJianJu;
    return p;
}
