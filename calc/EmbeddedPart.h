// The embedded part of an anti-slide pile below the slip surface as a beam on
// a Winkler foundation, EI x'''' + k(y) B_p x = 0, y down from the slip surface,
// loaded at y = 0 by the shear Q0 = EI x'''(0) and the moment M0 = EI x''(0),
// the foot (y = h2) free (M = Q = 0) or hinged (x = M = 0).
#pragma once

#include <array>
#include <vector>

// The K method's closed form (k = K): x = e^(-u) (C1 cos u + C2 sin u) +
// e^(u - beta h2) (C3 cos u + C4 sin u), u = beta y, beta = (K B_p / 4EI)^(1/4).
// The same solution as the Krylov functions', in a basis whose terms never
// exceed 1 on the embedded part: a long pile (beta h2 of 30 and more) is solved
// as accurately as a short one, where the Krylov functions' cosh cancels.
class KElastic {
public:
    KElastic(double beta, double EI, double h2) : beta_(beta), EI_(EI), H_(beta * h2) {}
    // False when the four conditions leave no solution.
    bool Solve(double M0, double Q0, bool hinged);
    // The n-th derivative of x with respect to y at y (n = 0 .. 3).
    double X(int n, double y) const;

private:
    double Term(int j, int n, double u) const;
    double beta_, EI_, H_;
    std::array<double, 4> C_{};
};

// The m method (k = A + m y) and constant ground (m = 0) by Hermite beam
// elements: consistent spring matrices integrated by 4-point Gauss, the loads
// at the slip-surface node. The spring takes A1 where the pile presses the
// ground in front (x > 0) and A2 where it presses the ground behind (x < 0); the
// contact side at every integration point is iterated until it settles.
// Shear and moment come by statics from the ground's reaction,
// Q(y) = Q0 - integral of k B_p x, M(y) = M0 + Q0 y - integral of k B_p x (y - s),
// so that the whole pile balances whatever the element size; x converges as
// the element length to the fourth power (40 elements per unit of alpha h2:
// some 1e-7 of itself).
class SpringBeam {
public:
    SpringBeam(double A1, double A2, double m, double Bp, double EI, double h2, int elements);
    // False when no solution holds the pile, or the contact side does not settle.
    bool Solve(double M0, double Q0, bool hinged);
    // The ground coefficient on the face the pile presses at y.
    double Coefficient(bool front, double y) const { return (front ? A1_ : A2_) + m_ * y; }
    // x, dx/dy, M, Q and the stress k x on the ground at y.
    void At(double y, double& x, double& phi, double& M, double& Q, double& stress) const;

private:
    std::array<double, 4> Shape(double xi) const;
    std::array<double, 4> ShapeSlope(double xi) const;
    double XAt(int element, double xi, int derivative) const;
    void Reaction(int element, double upTo, double& r0, double& r1) const;

    double A1_, A2_, m_, Bp_, EI_, h2_;
    int n_;
    double l_;
    double M0_ = 0, Q0_ = 0;
    std::vector<double> u_;       // x and dx/dy at each node
    std::vector<char> front_;     // per integration point: the pile presses the front
    std::vector<double> R0_, R1_; // the reaction's resultant and first moment down to each node
};
