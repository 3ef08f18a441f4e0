// What the beam-on-springs solutions share: 4-point Gauss on [0, 1] (exact to
// the 7th degree: a cubic times a cubic times a linear coefficient), and a
// banded Cholesky of half-bandwidth 3 (two unknowns a node, x and dx/dz).
#pragma once

#include <array>
#include <vector>

inline constexpr double kGauss[4] = {0.0694318442029737, 0.3300094782075719, 0.6699905217924281, 0.9305681557970263};
inline constexpr double kWeight[4] = {0.1739274225687269, 0.3260725774312731, 0.3260725774312731, 0.1739274225687269};

// Solves in place (a[i][k] couples unknown i with i + k); false when the
// matrix is not positive definite or the answer is not finite.
bool BandCholesky(std::vector<std::array<double, 4>>& a, std::vector<double>& b);
