#include "chart_render.h"

namespace rq30 {

namespace {
constexpr double kPadding = 4.0;
constexpr double kSwatch = 10.0;
}  // namespace

void PaintLegend(QPainter& painter, const ChartLayout& layout, const ChartColours& colours) {
  if (layout.legendEntries.empty()) return;
  const QRectF box = layout.legend;
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(colours.frame, 0));
  painter.setBrush(colours.panel.lighter(108));
  painter.drawRect(box);
  double y = box.top() + kPadding;
  const double textLeft = box.left() + 2.0 * kPadding + kSwatch;
  for (const LegendEntry& entry : layout.legendEntries) {
    const QRectF swatch(box.left() + kPadding, y + (layout.rowHeight - kSwatch) / 2.0, kSwatch,
                        kSwatch);
    painter.setPen(QPen(colours.frame, 0));
    painter.setBrush(QColor::fromRgb(entry.colour));
    painter.drawRect(swatch);
    painter.setPen(colours.text);
    painter.drawText(QRectF(textLeft, y, box.right() - kPadding - textLeft, layout.rowHeight),
                     Qt::AlignRight | Qt::AlignVCenter, entry.text);
    y += layout.rowHeight;
  }
  painter.setBrush(Qt::NoBrush);
}

}  // namespace rq30
