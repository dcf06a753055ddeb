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
  if (content.points != nullptr) {
    if (content.clipSeries) {
      painter.save();
      painter.setClipRect(layout.front.united(layout.BackWall()));
    }
    PaintSeries(painter, layout, *content.points, scratch, content.first, content.last);
    if (content.clipSeries) painter.restore();
  }
  PaintLegend(painter, layout, colours);
  painter.restore();
}

}  // namespace rq30
