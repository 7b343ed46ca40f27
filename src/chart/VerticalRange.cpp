#include "chart/VerticalRange.h"

#include "chart/TChartControl.h"

void WidenVerticalRange(TChartControl& control, double value)
{
    using namespace vertical_range;
    // The start-up pair is recognised by exact comparison: it is only ever
    // set as these literal values.
    if (control.FAxisMax() == kStartupMax && control.FAxisMin() == kStartupMin) {
        control.SetAxisMax(value + 1);
        control.SetAxisMin(value);
    }
    if (value + kMarginUnits > control.FAxisMax())
        control.SetAxisMax(value + kMarginUnits);
    if (value - kMarginUnits < control.FAxisMin())
        control.SetAxisMin(value - kMarginUnits);
}
