// The settings that make a chart's look, as one value: a settings dialog can
// take it before a preview and put it back exactly on Cancel.
#pragma once

#include <QColor>

namespace rq30 {

struct ChartStyle {
  bool view3D = false;
  int percent3D = 15;  // depth of the 3D view, 1..100
  // Fill of the plotting area (the back wall in 3D); an invalid colour leaves
  // the area unfilled, so the panel shows through.
  QColor wallColour;
  // The panel around the plotting area; invalid: the palette's window colour.
  QColor panelColour;

  bool operator==(const ChartStyle& o) const {
    return view3D == o.view3D && percent3D == o.percent3D && wallColour == o.wallColour &&
           panelColour == o.panelColour;
  }
  bool operator!=(const ChartStyle& o) const { return !(*this == o); }
};

}  // namespace rq30
