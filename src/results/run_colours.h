// Telling the runs of a results set apart: each time course in its own
// colour from a perceptually uniform ramp, named by what its script loop set
// or by its position; and lines kept visible against the background.
#pragma once

#include <cstddef>
#include <string>

#include "results_set.h"

namespace kora {

// Beyond this many runs the legend shows a colour bar instead of names.
inline constexpr size_t kMostRunsNamed = 8;

// Several time courses and the set asks for them to be told apart.
bool RunsToldApart(const ResultsSet& set);

// The run's label ("k = 0.3") or, without one, "run 1", "run 2", ...
std::string RunName(const ResultsSet& set, size_t position);

// The ramp from dark blue through green to yellow at `t` (0..1).
Colour RampColour(double t);

// The colour of run `position` of `count`; on a light background the ramp
// stops short of its palest end, on a dark one it starts past its darkest.
Colour RunColour(size_t position, size_t count, bool darkBackground);

// Luminance contrast ratio of two RGB colours, 1 (same) to 21.
double ContrastRatio(Colour a, Colour b);

// `line` itself, unless it is too close to `background` to be seen: then it
// is moved towards `foreground` until it stands out.
Colour Distinguishable(Colour line, Colour background, Colour foreground);

} // namespace kora
