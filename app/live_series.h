// The main window's live chart: sample numbering, the point limit, the pen
// colour of new points, the legend that follows the newest values, and the
// chart's look as the settings store keeps it (section GRAF).
#pragma once

#include <QRgb>
#include <cstdint>

#include "colour_value.h"

namespace rq30 {

class LineChart;

// The chart settings of the main window, colours in the stored encoding
// (0x00BBGGRR, or 0x80000000 + a system colour index).
struct ChartLook {
  int pointLimit = 200;                    // POCET
  bool view3D = true;                      // G3D
  int percent3D = 35;                      // R3D
  int32_t penColour = kRedColour;          // PERO: colour of new points
  int32_t gridColour = kButtonFaceColour;  // MRIZ: the plotting area
  int32_t backColour = kButtonFaceColour;  // POZADI: the panel around it

  bool operator==(const ChartLook& o) const {
    return pointLimit == o.pointLimit && view3D == o.view3D && percent3D == o.percent3D &&
           penColour == o.penColour && gridColour == o.gridColour && backColour == o.backColour;
  }
};

// Puts the look's panel colour, plotting-area colour (filled solid from now
// on), 3D percentage and 3D view on the chart.
void ApplyChartLook(LineChart& chart, const ChartLook& look);

class LiveSeries {
 public:
  // Leaves the chart's look alone until SetLook.
  explicit LiveSeries(LineChart& chart);

  // Appends one value as the next sample. A series holding more than the
  // point limit first loses its oldest point (one only), so a series that is
  // never cleared settles at limit + 1 points, and a lowered limit trims
  // nothing at once: each addition then removes one point and adds one.
  // The new point takes the current pen colour; the legend moves on so that
  // it lists the newest points.
  void AddChartPoint(double value);
  // Lists the newest points in the legend, as many as it has rows for now
  // (after the chart's size changed).
  void KeepLegendOnNewest();
  // Removes every point; the next point is sample 1 again.
  void Clear();
  int SampleNumber() const { return sampleNumber_; }

  // Takes the whole look: applies it to the chart, the limit applies from
  // the next point, the pen colour to points added from now on.
  void SetLook(const ChartLook& look);
  const ChartLook& Look() const { return look_; }

  // "Barva pera": the colour dialog, opened with the colour last chosen in it
  // (black at first). On OK the pen colour changes and the result is true;
  // on Cancel nothing changes.
  bool ChoosePenColour();

  LineChart& Chart() { return chart_; }

 private:
  LineChart& chart_;
  ChartLook look_;
  QRgb penRgb_;
  int sampleNumber_ = 0;
  QColor penDialogColour_{0, 0, 0};
};

}  // namespace rq30
