#include "live_series.h"

#include "line_chart.h"
#include "operator_dialogs.h"

namespace rq30 {

void ApplyChartLook(LineChart& chart, const ChartLook& look) {
  chart.SetPanelColour(ColourFromValue(look.backColour));
  chart.SetWallColour(ColourFromValue(look.gridColour));
  chart.SetPercent3D(look.percent3D);
  chart.SetView3D(look.view3D);
}

LiveSeries::LiveSeries(LineChart& chart)
    : chart_(chart), penRgb_(ColourFromValue(look_.penColour).rgb()) {
  chart_.SetIntegralX(true);  // x is the sample number
}

void LiveSeries::AddChartPoint(double value) {
  if (chart_.PointCount() > look_.pointLimit) chart_.RemoveOldest();
  ++sampleNumber_;
  chart_.AppendPoint(sampleNumber_, value, penRgb_);
  // Counted after the append, so that the newest point is among the rows
  // (counting before it would always leave the newest value out).
  KeepLegendOnNewest();
}

void LiveSeries::KeepLegendOnNewest() {
  const int rows = chart_.LegendRows();
  chart_.SetLegendFirst(chart_.PointCount() > rows ? chart_.PointCount() - rows : 0);
}

void LiveSeries::Clear() {
  chart_.ClearPoints();
  sampleNumber_ = 0;
}

void LiveSeries::SetLook(const ChartLook& look) {
  look_ = look;
  penRgb_ = ColourFromValue(look_.penColour).rgb();
  ApplyChartLook(chart_, look_);
}

bool LiveSeries::ChoosePenColour() {
  const std::optional<QColor> chosen = Dialogs().ChooseColour(penDialogColour_);
  if (!chosen) return false;
  penDialogColour_ = *chosen;
  look_.penColour = ValueFromColour(*chosen);
  penRgb_ = ColourFromValue(look_.penColour).rgb();
  return true;
}

}  // namespace rq30
