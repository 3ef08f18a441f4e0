#include "TabKangLi.h"

#include "Messages.h"
#include "PelvorinData.h"
#include "RecordCheck.h"

#include <cmath>

namespace {

// Every input table asks its owner to redraw the sketch and refresh the tables
// after any change.
void TableReactions(CEasyTableWnd& t)
{
    t.AddReact(ETCELL_REACT_MESSAGE, WM_ET_REDRAW, 0, 0);
    t.AddReact(ETCELL_REACT_MESSAGE, WM_ET_DATACHANGE, 0, 0);
}

} // namespace

std::vector<int> LieWid2LiePos(const std::vector<int>& widths)
{
    std::vector<int> edges{0};
    for (int w : widths)
        edges.push_back(edges.back() + w);
    edges.push_back(-1);
    return edges;
}

int CTabKangLiJBXX::FillTable()
{
    ClearEasyTable();
    IniEasyTable(7, 0, {0, 190, 390, -1});
    TableReactions(*this);
    if (!pData)
        return 1;
    CPelvorinData& r = *pData;
    int row = 0;
    auto real = [&](const char* label, float* field, double lo, double hi) {
        ++row;
        AddText(row, 1, "%s", label);
        CETCell* c = AddFloat(row, 2, field, "%.3f");
        if (hi > lo)
            c->SetLimit(lo, hi);
        return c;
    };
    real("桩中心距（m）", &r.fZhuangJianJu, 0.01, 100000);
    real("桩长（m）", &r.fZhuangChang, 0.01, 100000);
    real("坡面到桩顶距离（m）", &r.fPoMianDaoZhuangDing, 0.01, 100000);
    // No limit of its own in the table's definition; the calculation refuses a
    // slip surface that does not cut the pile, so the cell refuses it at once.
    CETCell* slip = real("滑面到桩顶距离（m）", &r.fHuaMianDaoZhuangDing, 0, 0);
    slip->SetLimit(0, std::isfinite(r.fZhuangChang) && r.fZhuangChang > 0 ? r.fZhuangChang : 0);
    if (r.bHuaMianKeBian == 0)
        slip->SetState(ETCELL_STATE_READONLY);
    ++row;
    AddText(row, 1, "%s", "截面形状");
    AddInt(row, 2, &r.nJieMianXingZhuang, {"矩形", "圆形"}, {1, 0})
        ->AddReact(ETCELL_REACT_REBUILD, 0, 0, 0);
    if (r.nJieMianXingZhuang == 1) {
        real("桩高（m）", &r.fZhuangGao, 0.01, 10000000)->SetTiShi("桩横向长度");
        real("桩宽（m）", &r.fZhuangKuan, 0.01, 10000000)->SetTiShi("桩纵向长度");
    } else if (r.nJieMianXingZhuang == 0) {
        real("桩径（m）", &r.fZhuangJing, 0.01, 10000000);
    }
    real("桩容重（kN/m^3）", &r.fZhuangRongZhong, 0.01, 10000000);
    ++row;
    AddText(row, 1, "%s", "混凝土等级");
    Add_HunNingTu_JieBie(row, 2, &r.nHunNingTuDengJi);
    SetRowNum(row);
    return 1;
}

void CTabKangLiJBXX::AfterDataChange(int, int) {}

int CTabKangLiTCNum::FillTable()
{
    ClearEasyTable();
    IniEasyTable(7, 0, {0, 160, 390, -1});
    TableReactions(*this);
    if (!pData)
        return 1;
    AddText(1, 1, "%s", "土层数");
    // Limits beyond the tables' own definitions, the same as the calculation's
    // check: a count it would refuse is refused here, where it is typed.
    CETCell* count = AddInt(1, 2, &pData->nTuCengShu);
    count->SetLimit(0, kMaxJiSuanTuCengShu);
    count->AddReact(ETCELL_REACT_MESSAGE, WM_ET_DATACHANGE, 0, 0);
    AddText(2, 1, "%s", "被动土压力折减系数");
    CETCell* factor = AddFloat(2, 2, &pData->fZheJianXiShu, "%.1f");
    factor->SetLimit(0, 1);
    factor->AddReact(ETCELL_REACT_MESSAGE, WM_ET_DATACHANGE, 0, 0);
    SetRowNum(2);
    return 1;
}

int CTabKangLiSMX::FillTable()
{
    ClearEasyTable();
    IniEasyTable(7, 0, {0, 160, 390, -1});
    TableReactions(*this);
    if (!pData)
        return 1;
    AddText(1, 1, "%s", "是否考虑地下水");
    AddCheck(1, 2, &pData->bKaoLvShui, "否", "是");
    AddText(2, 1, "%s", "桩前侧水位到坡面距离（m）");
    CETCell* level = AddFloat(2, 2, &pData->fShuiWeiShenDu, "%.3f");
    level->SetLimit(-100000, 100000);
    if (pData->bKaoLvShui == 0)
        level->SetState(ETCELL_STATE_DISABLE);
    SetRowNum(2);
    return 1;
}

int CTabKangLiTuCeng::FillTable()
{
    ClearEasyTable();
    IniEasyTable(1, 0, LieWid2LiePos({25, 48, 36, 38, 45, 45, 43, 50, 60}),
                 {"序\n号", "地层\n类型", "层厚\n(m)", "重度\n(kN/m3)", "浮重度\n(kN/m3)",
                  "粘聚力\n(kPa)", "内摩擦\n角(°)", "水下粘聚\n力(kPa)", "水下内摩\n擦角(°)"});
    SetTitleHeight(35);
    TableReactions(*this);
    if (!pData)
        return 1;
    CPelvorinData& r = *pData;
    // A count the list cannot take (below 0, or beyond what a data file may hold)
    // leaves the list as it is, and the two then differ.
    if (r.nTuCengShu >= 0 && r.nTuCengShu <= kMaxTuCengShu)
        r.TuCeng.resize(static_cast<size_t>(r.nTuCengShu));
    if (static_cast<long>(r.TuCeng.size()) != static_cast<long>(r.nTuCengShu)) {
        AfxMessageBox("土层数组大小与土层数不等！", MB_OK, "提示");
        return 0;
    }
    for (int i = 1; i <= r.nTuCengShu; ++i) {
        CTuCeng& layer = r.TuCeng[static_cast<size_t>(i - 1)];
        const bool rock = layer.nLeiXing != 0;
        AddText(i, 1, " %d ", i);
        AddInt(i, 2, &layer.nLeiXing, {"土层", "岩层"}, {0, 1})->AddReact(ETCELL_REACT_REBUILD, 0, 0, 0);
        auto real = [&](int col, float* field, bool waterDependent) {
            CETCell* c = AddFloat(i, col, field, "%.2f");
            c->SetLimit(0.001, 100000);
            if (waterDependent && r.bKaoLvShui == 0)
                c->SetState(ETCELL_STATE_DISABLE);
            if (waterDependent && rock) {
                c->SetState(ETCELL_STATE_DISABLE);
                c->AddReact(ETCELL_REACT_REBUILD, 0, 0, 0);
            }
            return c;
        };
        real(3, &layer.fHouDu, false)->AddReact(ETCELL_REACT_REBUILD, 0, 0, 0);
        real(4, &layer.fZhongDu, false);
        real(5, &layer.fFuZhongDu, true);
        real(6, &layer.fNianJuLi, false);
        real(7, &layer.fMoCaJiao, false);
        real(8, &layer.fShuiXiaNianJuLi, true);
        real(9, &layer.fShuiXiaMoCaJiao, true);
    }
    SetRowNum(r.nTuCengShu);
    return 1;
}
