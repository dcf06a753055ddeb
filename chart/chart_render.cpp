#include "chart_render.h"

#include <QFontMetricsF>
#include <QLocale>

namespace rq30 {

void RenderChart(QPainter& painter, const QRect& target, const ChartContent& content,
                 const QFont& font, const QPalette& palette, ScreenSeries& scratch) {
  painter.save();
  painter.setFont(font);
  const QLocale locale = ChartLocale();
  const QFontMetricsF metrics(font, painter.device());
  const ChartLayout layout = ComputeLayout(content, target, metrics, locale);
  const ChartColours colours = ChartColours::For(content.style, palette);
  PaintFrame(painter, layout, colours, content.title, locale);
  if (content.points != nullptr) PaintSeries(painter, layout, *content.points, scratch);
  PaintLegend(painter, layout, colours);
  painter.restore();
}

}  // namespace rq30
