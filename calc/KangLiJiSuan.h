// The resistance calculation: builds the calculation points along the pile, runs
// the ground and the pile-section calculators and stores per point the ground,
// the pile and the final resistance (the smaller of the two) in the record.
#pragma once

#include "JiSuanBase.h"
#include "KangLiCore.h"
#include "PileForces.h"
#include "PileSection.h"
#include "TuKangLiJiSuan.h"
#include "ZhuangKangLiJiSuan.h"

#include <string>
#include <vector>

class CPelvorinData;
class CKangLiResult;

class CKangLiJiSuan : public CJiSuanBase {
public:
    // In the context given (work path, sink, drawing writer), or without one
    // in the current directory, telling standard error.
    CKangLiJiSuan();
    explicit CKangLiJiSuan(KangLiContext context);
    ~CKangLiJiSuan() override;

    // Asks through the context's sink whether to go on when the data file in
    // its work path holds other data than the record.
    int CheckDataChange() override;
    // The data file in the context's work path when it holds other data than
    // the record (the calculation would replace it); empty when there is none
    // or it is the same.
    std::string StoredDataDiffers() const;
    // Calculates the record (CalculateKangLi) and stores the result in it and
    // in the two calculators; a refusal, and a friction angle that left no
    // shear plane, are told through the context's sink. 1 when the results
    // are stored, 0 when the record was refused.
    int JiSuan() override;
    // Stores a result calculated from pData (by JiSuan, or by a caller that
    // calculated it itself and tells the user in its own way), with the
    // pile's internal forces where the record has a design block: what the
    // diagrams, books and files show is then all calculated.
    void TakeResult(KangLiCalculation&& result);
    int DrawTu(int n, CBase_SGT* canvas, void* extra) override;
    // Book 0 is the detailed book, book 1 the concise result table; other
    // numbers write nothing.
    int WriteJss(int n, CRTF* writer) override;
    // After JiSuan: the pile-section (Fv) and the ground resistance (Ev) at the
    // slip-surface depth, as the detailed book reports them; the governing one
    // is the smaller. 0 before a calculation.
    int HuaMianKangLi(double* pile, double* ground);
    // By content: book 0 is the detailed book, 1 the concise table (the record's
    // list of book names has them the other way round).
    std::string JiSuanShuTitle(CJsDataBase* record, int n) override;
    // The detailed book at the slip surface; read after a calculation.
    void WriteXiangXiJss(CRTF* writer);
    // The concise result table: a line per calculation point.
    void WriteJianMingJss(CRTF* writer);

    // The result diagram, in metres: ground and pile resistance along the pile,
    // and beside it the final resistance. Returns 1.
    int DrawJieGuoTu(CBase_SGT* canvas) const;

    // Rebuilds list (the record's points): 0, every spacing step, the pile length.
    int MakeJiSuanDian(std::vector<float>& list);
    // Adds v to a list kept largest first; 0 when within 0.01 of an entry.
    int InsertDian(std::vector<float>& list, float v);
    float ChaZhi(float x, const std::vector<float>& depths, std::vector<float> values);

    CPelvorinData* pData = nullptr;
    CKangLiResult* pResult = nullptr;
    int nFenDuanShu = 20;
    CTuKangLiJiSuan TuKangLiJiSuan;
    CZhuangKangLiJiSuan ZhuangKangLiJiSuan;

    // The slip surface as the last calculation found it: what the detailed book
    // prints and the studies rank by.
    int bYouHuaMian = 0;
    float fHuaMianShenDu = 0;
    PileSectionAtSlip HuaMianZhuang;
    GroundAtSlip HuaMianTu;
    // The pile under its design thrust, from the last result taken when the
    // record has a design block (status 0 otherwise).
    PileForces NeiLi;
};
