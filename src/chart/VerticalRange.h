#pragma once

class TChartControl;

// Widens the chart's vertical range around a numeric reading. The start-up
// bounds -10000..10000 mean "no reading yet": the first reading opens the
// range to 10 units either side of itself; later readings only widen it so
// that it reaches at least 10 units beyond the highest and the lowest reading.
// The range never narrows here.
void WidenVerticalRange(TChartControl& control, double value);

namespace vertical_range {
constexpr double kStartupMax = 10000.0;
constexpr double kStartupMin = -10000.0;
constexpr double kMarginUnits = 10.0;
} // namespace vertical_range
