// Internal forces, displacement and ground stress of an anti-slide pile under a
// landslide thrust (railway subgrade retaining practice, TB 10025; ground
// coefficients as in GB 50330 appendix G).
//
// Loaded part, 0 <= z <= h1 (z down from the pile top, h1 the slip-surface
// depth): the thrust per pile E_T = (E - E') s spread over h1 as a rectangle, a
// triangle (0 at the top) or a trapezoid (top/bottom r): q(z) = q_t + (q_b - q_t)
// z/h1; Q(z) = q_t z + (q_b - q_t) z^2/(2 h1), M(z) = q_t z^2/2 + (q_b - q_t)
// z^3/(6 h1); Q0 and M0 act at the slip surface.
//
// Embedded part, 0 <= y <= h2 = L - h1 (y down from the slip surface): a beam on
// a Winkler foundation, EI x'''' + k B_p x = 0, with k = K (K method), EI =
// factor Ec I, I = b a^3/12 (b normal to the thrust, a along it) or pi d^4/64,
// and B_p the calculation width of the resistance calculation.
//   beta = (K B_p / 4EI)^(1/4); rigid when beta h2 <= 1.0, elastic otherwise.
//   Elastic: x = x0 phi1 + (phi0/beta) phi2 + M0/(beta^2 EI) phi3 + Q0/(beta^3 EI)
//   phi4 (Krylov functions of u = beta y), M = EI x'', Q = EI x'''; the foot free
//   (M = Q = 0) or hinged (x = M = 0) fixes x0 and phi0.
//   Rigid: x = (y0 - y) dphi. Free foot: y0 = h2 (3M0 + 2Q0 h2) / (3(2M0 + Q0 h2)),
//   dphi = 6(2M0 + Q0 h2)/(K B_p h2^3). Hinged foot: y0 = h2,
//   dphi = 3(M0 + Q0 h2)/(K B_p h2^3).
//   The elastic closed form is taken in the basis e^(-u)(cos u, sin u),
//   e^(u - beta h2)(cos u, sin u), which stays exact for long piles.
// m method, k = A + m y: alpha = (m B_p / EI)^(1/5); rigid when alpha h2 <= 2.5;
// with m = 0 the ground is the constant A1, classified by beta as K.
//   Rigid: A1 in front above the centre y0, A2 behind below it; y0 from the
//   moment condition (bisection on 0 < y0 < h2), dphi from the shear; a hinged
//   foot turns about the foot. Elastic: EI x'''' + (A + m y) B_p x = 0 by
//   Hermite beam elements on springs, A1 where the pile presses the ground in
//   front (x > 0), A2 where it presses the ground behind, iterated until the
//   side settles; shear and moment by statics from the ground's reaction.
// Above the slip surface x(z) = x0 + phi0 (z - h1) + f(z), f the deflection of
// the loaded part as a cantilever from the slip surface.
// Stress on the ground below the slip surface sigma = k x (kPa), from the slip
// surface itself (the ground just below it) to the foot; positive where the
// pile presses the ground in front, negative behind.
// With anchor cables (SheJi.MaoSuo) or the ground given layer by layer
// (TuCeng[i].fK, or fM with fA), the whole pile is one beam on elastic springs
// instead (WholePile.h): the closed forms hold for one ground without anchors.
// Reinforcement (GB 50010) for the largest |M| and |V| along the whole pile,
// times the load factor and gamma0: see DesignPileReinforcement; a rectangle's
// other face for the largest moment of the other sign.
// Signs: displacement and shear positive in the direction of the thrust; the
// rotation is dx/dz with z downward (negative when the top leans downhill).
#pragma once

#include "PelvorinData.h"
#include "PileReinforcement.h"

#include <string>
#include <vector>

struct PileForcePoint {
    double depth = 0;        // m below the pile top
    double shear = 0;        // kN
    double moment = 0;       // kN m
    double displacement = 0; // m
    double rotation = 0;     // rad
    double stress = 0;       // kPa on the ground below the slip surface, 0 above
};

struct PileForceExtreme {
    double value = 0, depth = 0;
};

enum class PileCheckKind { Stress, TopDisplacement, SlipDisplacement, AnchorForce };

struct PileForceCheck {
    std::string key;        // the allowable's key ("SheJi.fYunXuYingLi", "TuCeng[1].fYunXuYingLi")
    PileCheckKind kind = PileCheckKind::Stress;
    int face = 0;           // a stress: +1 the ground in front, -1 behind, 0 either
    int index = -1;         // the layer or anchor checked, -1 none
    bool checked = false;   // an allowable was given
    bool holds = true;
    double value = 0;       // the worst value found, in the allowable's unit
    double allowed = 0;
    double depth = 0;       // where
};

// Beyond this rotation (rad) a linear ground model and small-angle statics no
// longer describe the pile.
constexpr double kLargestRotation = 0.1;

// The unit of a check's value and allowable: kPa, mm or kN.
const char* CheckUnit(PileCheckKind kind);

// An anchor cable as the pile carries it.
struct PileAnchorResult {
    double depth = 0;         // m below the pile top
    double inclination = 0;   // degrees below the horizontal
    double horizontal = 0;    // kN on the pile, against the thrust
    double force = 0;         // kN along the cable
    double lockOff = 0, capacity = 0; // kN along it, as given (0: capacity unchecked)
    bool slack = false;       // would push: carries nothing
    double displacement = 0, lockOffDisplacement = 0; // x and x_P at its head, m
};

// The largest stress of a layer below the slip surface on each face.
struct PileLayerStress {
    int layer = 0;            // index in TuCeng
    double top = 0, bottom = 0; // the part along the embedded pile, m below the top
    PileForceExtreme front, back; // front >= 0, back <= 0 (kPa)
    double allowed = 0;       // kPa, 0 unchecked
};

struct PileForces {
    int status = 0;           // 1 calculated, 0 refused
    std::string refusedField; // the key at fault ("SheJi.fK")
    std::string refusal;      // why

    char method = 'K';        // 'K' or 'm' of the design block; 'L' ground by layers
    // Solved as a whole beam on elastic springs (anchors or layered ground),
    // not by the closed forms; rigid and the coefficients then do not apply.
    bool springs = false;
    bool rigid = false;
    double coefficient = 0;       // beta or alpha, 1/m
    double coefficientLength = 0; // beta h2 or alpha h2
    double h1 = 0, h2 = 0;        // loaded and embedded lengths, m
    double width = 0;             // B_p, m
    double EI = 0;                // kN m2
    double thrust = 0;            // E_T on one pile, kN
    double Q0 = 0, M0 = 0;        // at the slip surface
    PileForcePoint slip;          // the values at the slip surface
    double topDisplacement = 0;   // m
    // Largest magnitude with its sign and depth, from the solution itself (not
    // the samples); the stress's from the slip surface down.
    PileForceExtreme maxMoment, maxShear, maxDisplacement, maxStress;
    // Each quantity's largest value of either sign ([0] the most negative,
    // [1] the most positive; a value of 0 where it never takes that sign):
    // the two extremes a diagram labels. The largest magnitude above is one
    // of them.
    PileForceExtreme momentRange[2], shearRange[2], displacementRange[2], stressRange[2];
    bool constantGround = false;  // m method with m = 0: k = A, classified by beta
    // The linear ground model within sense: displacements below a tenth of the
    // embedded length and rotations below kLargestRotation; why not otherwise.
    bool linearModelHolds = true;
    std::string linearModelReason;        // English, for JSON, Python and standard error
    std::string linearModelReasonChinese; // the same for the text and the book
    double rotationCentre = -1;   // depth below the pile top (rigid pile), -1 none
    std::vector<PileForcePoint> points; // every 0.1 m from the top to the foot, and the slip surface
    std::vector<PileForceCheck> checks;
    std::vector<PileAnchorResult> anchors;
    std::vector<PileLayerStress> layers; // layered ground: each layer along the embedded part
    // The bars for the largest |M| (and the stirrups for the largest |V|); for
    // a rectangle also those of the other face, for the largest moment of the
    // other sign (the face in tension there), so that both faces are designed.
    PileReinforcement reinforcement;
    bool otherFace = false;
    PileReinforcement reinforcementOtherFace;
};

// The pile of record under its design block (record.SheJi; refused when the
// record has none). Nothing is told and nothing written.
PileForces CalculatePileForces(const CPelvorinData& record);


