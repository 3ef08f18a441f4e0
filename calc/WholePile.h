// The whole pile, top to foot, as a beam on elastic springs: the thrust on the
// loaded part, the ground below the slip surface as springs k(z) B_p that may
// change from layer to layer, and anchor cables as springs with a locked-off
// force. Anchors and layered ground make the pile statically indeterminate, so
// the closed forms give way to Hermite beam elements (nodes on the slip
// surface, every layer boundary and every anchor head), solved as a banded
// system.
//
// An anchor at depth a, inclined theta below the horizontal, of axial stiffness
// k_a and lock-off force P pulls the pile back with
//   F_h = P cos(theta) + k_a cos^2(theta) (x(a) - x_P(a)),
// x_P the pile under the locked-off forces alone (no thrust): with no net
// thrust each cable carries its lock-off force. A cable never pushes: one that
// would (F_h < 0) goes slack and carries nothing, and the pile is solved again
// without it. Shear and moment come by statics from the top, so the whole pile
// balances whatever the element size.
#pragma once

#include "LoadedPart.h"
#include "PileForces.h"

#include <string>
#include <vector>

// The ground over one depth range below the slip surface (z below the pile
// top): k = A + m (z - h1), A taken on the face the pile presses (front where
// it moves with the thrust, back where against it).
struct SpringGround {
    double top = 0, bottom = 0;
    double front = 0, back = 0, m = 0;
};

struct SpringAnchor {
    double depth = 0;     // m below the pile top
    double cosine = 1;    // of the inclination
    double stiffness = 0; // axial, kN/m
    double lockOff = 0;   // kN along the cable
};

struct WholePileLoad {
    double L = 0;      // pile length, m
    double EI = 0, Bp = 0;
    LoadedPart load;   // the thrust on 0 <= z <= h1
    std::vector<SpringGround> ground; // top down, covering h1 .. L
    std::vector<SpringAnchor> anchors;
    bool hinged = false;
};

struct AnchorForce {
    double horizontal = 0; // kN, against the thrust
    double axial = 0;      // kN along the cable
    bool slack = false;    // would push: carries nothing
    double displacement = 0, lockOffDisplacement = 0; // x and x_P at its head, m
};

class WholePileBeam {
public:
    // False with failure set when the springs cannot hold the pile or the
    // anchors' and faces' states do not settle. elements: at least this many
    // (the nodes at every boundary and anchor come on top).
    bool Solve(const WholePileLoad& in, int elements);
    // The pile at z below its top; the stress is k x on the ground below the
    // slip surface (0 above it); at a boundary the layer below it.
    PileForcePoint At(double z) const;
    // The stress the pile puts on the ground of span g at z (inside g).
    double StressIn(const SpringGround& g, double z) const;
    const std::vector<AnchorForce>& Anchors() const { return anchors_; }
    const std::string& Failure() const { return failure_; }

private:
    int ElementAt(double z) const;
    double X(int e, double z, int derivative) const;
    const SpringGround* GroundAt(double z) const;
    double K(const SpringGround& g, bool front, double z) const;
    // Ground reaction integrated from an element's top to z: its resultant
    // and its first moment about the pile top.
    void Reaction(int e, double z, double& r0, double& r1) const;
    bool Assemble(bool withAnchors, const std::vector<char>& active, std::vector<double>& u);

    WholePileLoad in_;
    std::vector<double> nodes_;   // node depths, top down
    std::vector<double> u_;       // x and dx/dz at each node
    std::vector<double> lockOff_; // x_P at each node
    std::vector<char> front_;     // per element and integration point: the pile presses the front
    std::vector<double> R0_, R1_; // the reaction and its moment down to each node
    std::vector<AnchorForce> anchors_;
    std::vector<int> anchorNode_;
    std::string failure_;
};
