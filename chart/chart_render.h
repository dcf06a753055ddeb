// Painting of a chart from its layout, in three layers: the frame (panel,
// walls, grid, axes), the series, the legend. Internal to the chart engine.
#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPalette>

#include "chart_layout.h"

namespace rq30 {

struct ChartColours {
  QColor panel;
  QColor wall;  // invalid: the plotting area is not filled
  QColor grid;
  QColor frame;
  QColor text;

  static ChartColours For(const ChartStyle& style, const QPalette& palette);
};

void PaintFrame(QPainter& painter, const ChartLayout& layout, const ChartColours& colours,
                const QString& title, const QLocale& locale);
// `scratch` keeps its memory from paint to paint; [first, last) as in
// ReduceByColumn.
void PaintSeries(QPainter& painter, const ChartLayout& layout, const PointRing& points,
                 ScreenSeries& scratch, std::size_t first = 0,
                 std::size_t last = static_cast<std::size_t>(-1));
void PaintLegend(QPainter& painter, const ChartLayout& layout, const ChartColours& colours);

void RenderChart(QPainter& painter, const QRect& target, const ChartContent& content,
                 const QFont& font, const QPalette& palette, ScreenSeries& scratch);

}  // namespace rq30
