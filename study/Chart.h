// The chart of a sweep, drawn onto the canvas like the diagrams and written by
// the same writers (SVG, PNG): the resistance at the slip surface over the
// first input, one curve per value of the second (at most kMaxChartCurves), with axes, units, a legend,
// and each point marked by the side that governs (a square for the pile
// section, a circle for the ground).
#pragma once

#include "Canvas.h"
#include "Study.h"

#include <string>
#include <vector>

// Each curve is told apart by its colour (seven) and its line (solid, dashed,
// dotted, dash-dot): at most this many curves, i.e. values of the second input.
constexpr size_t kMaxChartCurves = 28;

// labels: how each input is named on the chart (its label and unit), one per
// range; the key where missing.
CBase_SGT SweepChart(const std::vector<StudyPoint>& points, const std::vector<StudyRange>& ranges,
                     const std::vector<std::string>& labels);
