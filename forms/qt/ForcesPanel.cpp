#include "ForcesPanel.h"

#include "ForcesBook.h"
#include "ForcesJson.h"
#include "PelvorinData.h"
#include "SketchView.h"
#include "TabKangLi.h"

#include <QScrollBar>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

QString Fixed(double v, int decimals)
{
    // A value that rounds to nothing shows as 0, not -0.000.
    const QString s = QString::number(v, 'f', decimals);
    return s.startsWith('-') && s.toDouble() == 0 ? s.mid(1) : s;
}

QString Verdict(bool holds)
{
    return holds ? "<span style='color:#007a00'><b>满足</b></span>" : "<span style='color:#c00000'><b>不满足</b></span>";
}

QString Heading(const char* text) { return QString("<p style='margin-top:6px'><b>%1</b></p>").arg(text); }

// The bars of one face, as the book sets them out: the design effects, the
// longitudinal bars (or why none can be), the stirrups.
QString Bars(const PileReinforcement& rf, const char* face)
{
    QString s = QString("<p>%1%2：设计弯矩 %3 kN·m，设计剪力 %4 kN；纵筋 ")
                    .arg(QString::fromStdString(rf.steel), QString::fromUtf8(face), Fixed(rf.moment, 3),
                         Fixed(rf.shear, 3));
    if (rf.overReinforced)
        s += "<span style='color:#c00000'>超筋，" + QString(rf.circle ? "截面不能承受" : "单筋截面不能承受") + "</span>";
    else
        s += Fixed(rf.longitudinalArea, 0) + " mm²" + (rf.minimumGoverns ? "（最小配筋率控制）" : "");
    s += "；箍筋 ";
    s += rf.sectionTooSmall ? QString("<span style='color:#c00000'>截面尺寸不足（V &gt; %1 kN）</span>")
                                  .arg(Fixed(rf.shearLimit, 1))
                            : "Asv/s = " + Fixed(rf.stirrups, 4) + " mm²/mm";
    return s + "</p>";
}

QString ValuesHtml(const CPelvorinData& r, const PileForces& f)
{
    if (!r.bSheJi)
        return "<p>本记录没有抗滑桩设计数据：在“抗滑桩设计”页选“是否进行内力计算”为“是”后计算内力。</p>";
    if (f.status != 1)
        return "<p style='color:#c00000'>" +
               QString::fromStdString(DesignRefusalChinese(r, f.refusedField, f.refusal)).toHtmlEscaped() + "</p>";
    QString s;
    if (f.springs)
        s += QString("<p>弹性地基梁数值解（%1%2）</p>")
                 .arg(f.method == 'L' ? "分层地基系数" : f.method == 'K' ? "K法" : "m法",
                      f.anchors.empty() ? QString() : QString("，%1 根锚索").arg(f.anchors.size()));
    else
        s += QString("<p>%1（%2，%3 = %4）</p>")
                 .arg(f.rigid ? "刚性桩" : "弹性桩", f.method == 'K' ? "K法" : "m法",
                      f.method == 'K' || f.constantGround ? "βh2" : "αh2", Fixed(f.coefficientLength, 3));
    s += Heading("滑面处");
    s += QString("<p>剪力 %1 kN，弯矩 %2 kN·m，位移 %3 mm，转角 %4 rad</p>")
             .arg(Fixed(f.slip.shear, 3), Fixed(f.slip.moment, 3), Fixed(f.slip.displacement * 1000, 3),
                  Fixed(f.slip.rotation, 6));
    s += Heading("最大值");
    auto extreme = [](const char* what, const PileForceExtreme& e, double scale, const char* unit) {
        return QString("%1 %2 %3（%4 m）").arg(what, Fixed(e.value * scale, 3), unit, Fixed(e.depth, 2));
    };
    s += "<p>桩顶位移 " + Fixed(f.topDisplacement * 1000, 3) + " mm<br>" + extreme("最大弯矩", f.maxMoment, 1, "kN·m") +
         "<br>" + extreme("最大剪力", f.maxShear, 1, "kN") + "<br>" +
         extreme("最大位移", f.maxDisplacement, 1000, "mm") + "<br>" +
         extreme("最大侧向应力", f.maxStress, 1, "kPa") + "</p>";
    if (f.rotationCentre >= 0)
        s += "<p>转动中心在桩顶以下 " + Fixed(f.rotationCentre, 3) + " m</p>";
    if (!f.anchors.empty()) {
        s += Heading("锚索");
        for (size_t i = 0; i < f.anchors.size(); ++i) {
            const PileAnchorResult& a = f.anchors[i];
            s += QString("<p>锚索%1（桩顶以下 %2 m）：").arg(i + 1).arg(Fixed(a.depth, 2));
            s += a.slack ? QString("松弛，不受力")
                         : QString("轴力 %1 kN，水平分力 %2 kN").arg(Fixed(a.force, 3), Fixed(a.horizontal, 3));
            s += "</p>";
        }
    }
    s += Heading("验算");
    int checked = 0;
    for (const PileForceCheck& c : f.checks) {
        if (!c.checked)
            continue;
        ++checked;
        s += "<p>" + QString::fromStdString(CheckTextChinese(c)).toHtmlEscaped() + "，" + Verdict(c.holds) + "</p>";
    }
    if (!f.linearModelHolds)
        s += "<p>线弹性地基模型：" + Verdict(false) + "（" +
             QString::fromStdString(f.linearModelReasonChinese).toHtmlEscaped() + "）</p>";
    if (checked == 0)
        s += "<p>未给出容许值，不作验算</p>";
    s += Heading("配筋");
    s += Bars(f.reinforcement, f.otherFace ? FaceName(f.maxMoment.value) : "");
    if (f.otherFace)
        s += Bars(f.reinforcementOtherFace, FaceName(-f.maxMoment.value));
    return s;
}

} // namespace

ForcesPanel::ForcesPanel(Qt::Orientation orientation, QWidget* parent) : QWidget(parent)
{
    auto* split = new QSplitter(orientation, this);
    split->setChildrenCollapsible(false);
    diagram = new SketchView(split);
    values = new QTextBrowser(split);
    values->setOpenLinks(false);
    values->document()->setDefaultStyleSheet("p { margin-top: 0; margin-bottom: 2px; }");
    split->addWidget(diagram);
    split->addWidget(values);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    diagram->setMinimumSize(120, 120);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(split);
}

void ForcesPanel::Show(const CPelvorinData& r)
{
    forces_ = r.bSheJi ? CalculatePileForces(r) : PileForces{};
    CBase_SGT canvas;
    if (forces_.status == 1)
        DrawForcesDiagram(r, forces_, &canvas);
    diagram->SetCanvas(canvas);
    // The reader's place in the values is kept across a recalculation.
    const int at = values->verticalScrollBar() ? values->verticalScrollBar()->value() : 0;
    values->setHtml(ValuesHtml(r, forces_));
    values->verticalScrollBar()->setValue(at);
}

std::string DesignRefusal(const CPelvorinData& r)
{
    if (!r.bSheJi)
        return "";
    const PileForces f = CalculatePileForces(r);
    return f.status == 1 ? "" : DesignRefusalChinese(r, f.refusedField, f.refusal);
}

std::string ForcesBookPath(const CPelvorinData& r, const std::string& workPath)
{
    return workPath + r.FileStem() + "-nl-jss.rtf";
}
