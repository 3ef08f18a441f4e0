#include "RecordCheck.h"

#include "NumericLocale.h"

#include <cmath>
#include <cstdlib>
#include <utility>
#include <cstdio>

namespace {

std::string Number(double v) { return MessageNumber(v); }

// The label under which the input tables show a field (a layer's fields under
// "第N层" and the column title).
} // namespace

std::string FieldLabel(const std::string& field)
{
    static const std::pair<const char*, const char*> kLabels[] = {
        {"fZhuangJianJu", "桩中心距（m）"},
        {"fZhuangChang", "桩长（m）"},
        {"fPoMianDaoZhuangDing", "坡面到桩顶距离（m）"},
        {"fHuaMianDaoZhuangDing", "滑面到桩顶距离（m）"},
        {"nJieMianXingZhuang", "截面形状"},
        {"fZhuangGao", "桩高（m）"},
        {"fZhuangKuan", "桩宽（m）"},
        {"fZhuangJing", "桩径（m）"},
        {"fZhuangRongZhong", "桩容重（kN/m^3）"},
        {"nHunNingTuDengJi", "混凝土等级"},
        {"fAs", "钢筋合力点到边缘距离（mm）"},
        {"nTuCengShu", "土层数"},
        {"fZheJianXiShu", "被动土压力折减系数"},
        {"bKaoLvShui", "是否考虑地下水"},
        {"fShuiWeiShenDu", "桩前侧水位到坡面距离（m）"},
        {"nLeiXing", "地层类型"},
        {"fHouDu", "层厚(m)"},
        {"fZhongDu", "重度(kN/m3)"},
        {"fFuZhongDu", "浮重度(kN/m3)"},
        {"fNianJuLi", "粘聚力(kPa)"},
        {"fMoCaJiao", "内摩擦角(°)"},
        {"fShuiXiaNianJuLi", "水下粘聚力(kPa)"},
        {"fShuiXiaMoCaJiao", "水下内摩擦角(°)"},
    };
    std::string key = field, prefix;
    if (field.rfind("TuCeng[", 0) == 0) {
        const size_t close = field.find("].");
        if (close != std::string::npos) {
            prefix = "第" + std::to_string(std::atoi(field.c_str() + 7) + 1) + "层 ";
            key = field.substr(close + 2);
        }
    }
    for (const auto& [k, label] : kLabels)
        if (key == k)
            return prefix + label;
    return field;
}

namespace {

std::string Label(const std::string& field) { return FieldLabel(field); }

struct Checker {
    std::string* problem;
    std::string* chinese;
    bool ok = true;

    bool Fail(const std::string& field, const std::string& what, const std::string& zh)
    {
        if (ok && problem)
            *problem = field + " (" + Label(field) + "): " + what;
        if (ok && chinese)
            *chinese = "“" + Label(field) + "”" + zh;
        ok = false;
        return false;
    }

    // lo <= v <= hi (or v < hi when openTop); NaN and infinity never pass.
    bool Range(const std::string& field, const char* what, double v, double lo, double hi,
               bool openTop = false)
    {
        if (!ok)
            return false;
        bool inside = std::isfinite(v) && v >= lo && (openTop ? v < hi : v <= hi);
        if (inside)
            return true;
        return Fail(field,
                    std::string(what) + " must lie in " + Number(lo) + " .. " + (openTop ? "<" : "") +
                        Number(hi) + " (is " + Number(v) + ")",
                    "应在 " + Number(lo) + " 到 " + Number(hi) + (openTop ? "（不含）" : "") +
                        " 之间，输入值为 " + Number(v));
    }

    bool Choice(const std::string& field, const char* what, int v, std::initializer_list<int> allowed)
    {
        if (!ok)
            return false;
        for (int a : allowed)
            if (v == a)
                return true;
        std::string list;
        for (int a : allowed)
            list += (list.empty() ? "" : ", ") + std::to_string(a);
        return Fail(field, std::string(what) + " must be one of " + list + " (is " + std::to_string(v) + ")",
                    "应为 " + list + " 之一，输入值为 " + std::to_string(v));
    }
};

} // namespace

bool CheckKangLiData(const CPelvorinData& r, std::string* problem) { return CheckKangLiData(r, problem, nullptr); }

bool CheckKangLiData(const CPelvorinData& r, std::string* problem, std::string* chinese)
{
    Checker c{problem, chinese};
    c.Range("fZhuangChang", "pile length (m)", r.fZhuangChang, 0.01, 1000);
    c.Choice("nJieMianXingZhuang", "section shape (1 rectangle, 0 circle)", r.nJieMianXingZhuang,
             {0, 1});
    if (r.nJieMianXingZhuang == 1) {
        c.Range("fZhuangKuan", "pile width (m)", r.fZhuangKuan, 0.01, 1e7);
        c.Range("fZhuangGao", "pile height (m)", r.fZhuangGao, 0.01, 1e7);
        c.Range("fAs", "reinforcement edge distance (mm)", r.fAs, 0,
                1000.0 * (std::isfinite(r.fZhuangGao) ? r.fZhuangGao : 0.0f), true);
    } else {
        c.Range("fZhuangJing", "pile diameter (m)", r.fZhuangJing, 0.01, 1e7);
    }
    c.Range("fZhuangJianJu", "pile spacing (m)", r.fZhuangJianJu, 0.01, 1e7);
    c.Range("fZhuangRongZhong", "unit weight of the pile (kN/m3)", r.fZhuangRongZhong, 0.01, 1e7);
    c.Choice("nHunNingTuDengJi", "concrete grade", r.nHunNingTuDengJi,
             {15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80});
    c.Range("fHuaMianDaoZhuangDing", "slip-surface depth below the pile top (m)",
            r.fHuaMianDaoZhuangDing, 0, std::isfinite(r.fZhuangChang) ? r.fZhuangChang : 0.0f);
    c.Range("fPoMianDaoZhuangDing", "slope-surface depth below the pile top (m)",
            r.fPoMianDaoZhuangDing, -100000, 100000);
    c.Choice("bKaoLvShui", "groundwater switch", r.bKaoLvShui, {0, 1});
    if (r.bKaoLvShui == 1)
        c.Range("fShuiWeiShenDu", "water depth below the slope surface (m)", r.fShuiWeiShenDu,
                -100000, 100000);
    c.Range("fZheJianXiShu", "reduction factor of the passive pressure", r.fZheJianXiShu, 0, 1);
    c.Range("nTuCengShu", "layer count", r.nTuCengShu, 0, kMaxJiSuanTuCengShu);
    if (c.ok && r.nTuCengShu != static_cast<int>(r.TuCeng.size()))
        c.Fail("nTuCengShu",
               "layer count " + std::to_string(r.nTuCengShu) + " but " + std::to_string(r.TuCeng.size()) +
                   " layers given",
               "为 " + std::to_string(r.nTuCengShu) + "，而给出了 " + std::to_string(r.TuCeng.size()) + " 层");
    for (size_t i = 0; c.ok && i < r.TuCeng.size(); ++i) {
        const CTuCeng& l = r.TuCeng[i];
        const std::string p = "TuCeng[" + std::to_string(i) + "].";
        c.Choice(p + "nLeiXing", "layer type (0 soil, 1 rock)", l.nLeiXing, {0, 1});
        c.Range(p + "fHouDu", "thickness (m)", l.fHouDu, 0.001, 100000);
        c.Range(p + "fZhongDu", "unit weight (kN/m3)", l.fZhongDu, 0, 100000);
        c.Range(p + "fNianJuLi", "cohesion (kPa)", l.fNianJuLi, 0, 100000);
        c.Range(p + "fMoCaJiao", "friction angle (degrees)", l.fMoCaJiao, 0, 90, true);
        if (r.bKaoLvShui == 1 && l.nLeiXing == 0) {
            c.Range(p + "fFuZhongDu", "buoyant unit weight (kN/m3)", l.fFuZhongDu, 0, 100000);
            c.Range(p + "fShuiXiaNianJuLi", "cohesion under water (kPa)", l.fShuiXiaNianJuLi, 0,
                    100000);
            c.Range(p + "fShuiXiaMoCaJiao", "friction angle under water (degrees)",
                    l.fShuiXiaMoCaJiao, 0, 90, true);
        }
    }
    return c.ok;
}
