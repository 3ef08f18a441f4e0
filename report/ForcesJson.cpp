#include "ForcesJson.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>

namespace {

using J = nlohmann::ordered_json;

// A number of the JSON form: finite ones as they are, anything else as null.
J Num(double v) { return std::isfinite(v) ? J(v) : J(); }
// Displacements are kept in m by the calculation and given in mm, as the
// allowables that check them are.
J Mm(double metres) { return Num(metres * 1000); }

J Reinforcement(const PileReinforcement& rf)
{
    // Every input of the design with its result, so that a reader can redo it.
    J out = J{{"moment", Num(rf.moment)},
              {"shear", Num(rf.shear)},
              {"steel", rf.steel},
              {"fc", Num(rf.fc)},
              {"ft", Num(rf.ft)},
              {"fy", Num(rf.fy)},
              {"fyv", Num(rf.fyv)},
              {"alpha1", Num(rf.alpha1)},
              {"beta_c", Num(rf.betaC)},
              {"circle", rf.circle},
              {"b", Num(rf.b)},
              {"h0", Num(rf.h0)}};
    if (rf.circle) {
        out["alpha"] = Num(rf.alpha);
    } else {
        out["xi_b"] = Num(rf.xiB);
        out["x"] = Num(rf.x);
    }
    out["area"] = Num(rf.area);
    out["minimum_ratio"] = Num(rf.minimumRatio);
    out["required_area"] = Num(rf.required);
    out["minimum_area"] = Num(rf.minimum);
    out["maximum_area"] = Num(rf.maximum);
    out["longitudinal_area"] = rf.overReinforced ? J() : Num(rf.longitudinalArea);
    out["minimum_governs"] = rf.minimumGoverns;
    out["over_reinforced"] = rf.overReinforced;
    out["shear_limit"] = Num(rf.shearLimit);
    out["stirrups_per_mm"] = rf.sectionTooSmall ? J() : Num(rf.stirrups);
    out["stirrups_minimum"] = Num(rf.stirrupsMinimum);
    out["section_too_small"] = rf.sectionTooSmall;
    out["reason"] = rf.reason.empty() ? J() : J(rf.reason);
    return out;
}

J Checks(const PileForces& f)
{
    J checks = J::array();
    for (const PileForceCheck& c : f.checks)
        if (c.checked)
        {
            J one{{"key", c.key}, {"holds", c.holds}, {"value", Num(c.value)}, {"allowed", Num(c.allowed)},
                  {"unit", CheckUnit(c.kind)}, {"depth", Num(c.depth)}};
            if (c.face != 0)
                one["face"] = c.face > 0 ? "front" : "back";
            checks.push_back(std::move(one));
        }
    return checks;
}

} // namespace

std::string PileForceChecksToJson(const PileForces& f) { return Checks(f).dump(); }
std::string PileReinforcementToJson(const PileReinforcement& rf) { return Reinforcement(rf).dump(); }

std::string PileForcesToJson(const PileForces& f)
{
    J out = J::object();
    out["status"] = f.status;
    if (f.status != 1) {
        out["field"] = f.refusedField;
        out["reason"] = f.refusal;
        return out.dump(2) + "\n";
    }
    out["units"] = J{{"depth", "m"},     {"shear", "kN"},  {"moment", "kN·m"}, {"displacement", "mm"},
                     {"rotation", "rad"}, {"stress", "kPa"}, {"area", "mm²"},   {"stirrups", "mm²/mm"},
                     {"force", "kN"}};
    // The ground's method ("K", "m", or "layers") and the solution used: the
    // closed forms, or the whole pile as a beam on elastic springs.
    out["method"] = f.springs ? "beam on springs" : std::string(1, f.method);
    out["ground"] = f.method == 'L' ? std::string("layers") : std::string(1, f.method);
    out["rigid"] = f.rigid;
    // beta or alpha and its length: the closed forms' classification only.
    out["coefficient"] = f.springs ? J() : Num(f.coefficient);
    out["coefficient_length"] = f.springs ? J() : Num(f.coefficientLength);
    out["slip"] = J{{"depth", Num(f.h1)},
                    {"shear", Num(f.slip.shear)},
                    {"moment", Num(f.slip.moment)},
                    {"displacement", Mm(f.slip.displacement)},
                    {"rotation", Num(f.slip.rotation)}};
    out["top_displacement"] = Mm(f.topDisplacement);
    out["max_moment"] = J{{"value", Num(f.maxMoment.value)}, {"depth", Num(f.maxMoment.depth)}};
    out["max_shear"] = J{{"value", Num(f.maxShear.value)}, {"depth", Num(f.maxShear.depth)}};
    out["max_displacement"] = J{{"value", Mm(f.maxDisplacement.value)}, {"depth", Num(f.maxDisplacement.depth)}};
    out["max_stress"] = J{{"value", Num(f.maxStress.value)}, {"depth", Num(f.maxStress.depth)}};
    out["constant_ground"] = f.constantGround;
    out["linear_model"] = J{{"holds", f.linearModelHolds}, {"reason", f.linearModelHolds ? J() : J(f.linearModelReason)}};
    out["rotation_centre"] = f.rotationCentre >= 0 ? Num(f.rotationCentre) : J();
    J points = J::array();
    for (const PileForcePoint& p : f.points)
        points.push_back(J{{"depth", Num(p.depth)},
                           {"shear", Num(p.shear)},
                           {"moment", Num(p.moment)},
                           {"displacement", Mm(p.displacement)},
                           {"rotation", Num(p.rotation)},
                           {"stress", Num(p.stress)}});
    out["points"] = std::move(points);
    out["checks"] = Checks(f);
    out["reinforcement"] = Reinforcement(f.reinforcement);
    // The other face of a rectangle, for the largest moment of the other sign.
    out["reinforcement_other_face"] = f.otherFace ? Reinforcement(f.reinforcementOtherFace) : J();
    if (!f.layers.empty()) {
        J layers = J::array();
        for (const PileLayerStress& l : f.layers)
            layers.push_back(J{{"layer", l.layer},
                               {"top", Num(l.top)},
                               {"bottom", Num(l.bottom)},
                               {"front", J{{"value", Num(l.front.value)}, {"depth", Num(l.front.depth)}}},
                               {"back", J{{"value", Num(l.back.value)}, {"depth", Num(l.back.depth)}}},
                               {"allowed", l.allowed > 0 ? Num(l.allowed) : J()}});
        out["layers"] = std::move(layers);
    }
    if (!f.anchors.empty()) {
        J anchors = J::array();
        for (const PileAnchorResult& a : f.anchors)
            anchors.push_back(J{{"depth", Num(a.depth)},
                                {"force", Num(a.force)},
                                {"horizontal", Num(a.horizontal)},
                                {"slack", a.slack},
                                {"inclination", Num(a.inclination)},
                                {"lock_off", Num(a.lockOff)},
                                {"capacity", a.capacity > 0 ? Num(a.capacity) : J()}});
        out["anchors"] = std::move(anchors);
    }
    return out.dump(2) + "\n";
}

std::string CheckTextChinese(const PileForceCheck& c)
{
    char buf[200];
    switch (c.kind) {
    case PileCheckKind::Stress: {
        std::string where;
        if (c.index >= 0)
            where = "第" + std::to_string(c.index + 1) + "层" + (c.face > 0 ? "桩前" : "桩后");
        std::snprintf(buf, sizeof buf, "侧向应力 %.3f kPa（%.2f m），容许 %.3f kPa", c.value, c.depth, c.allowed);
        return where + buf;
    }
    case PileCheckKind::TopDisplacement:
        std::snprintf(buf, sizeof buf, "桩顶位移 %.3f mm，容许 %.3f mm", c.value, c.allowed);
        return buf;
    case PileCheckKind::SlipDisplacement:
        std::snprintf(buf, sizeof buf, "滑面处位移 %.3f mm，容许 %.3f mm", c.value, c.allowed);
        return buf;
    case PileCheckKind::AnchorForce:
        std::snprintf(buf, sizeof buf, "锚索%d 轴力 %.3f kN，设计抗拔力 %.3f kN", c.index + 1, c.value, c.allowed);
        return buf;
    }
    return {};
}

const char* FaceName(double moment) { return moment >= 0 ? "（桩后受荷侧受拉）" : "（桩前侧受拉）"; }
