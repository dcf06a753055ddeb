#include <QPolygonF>
#include <cmath>

#include "chart_render.h"

namespace rq30 {

namespace {

constexpr double kTickLength = 4.0;

// Grid lines on whole pixels stay one pixel wide and sharp.
double Whole(double v) {
  return std::round(v);
}

void PaintWalls(QPainter& painter, const ChartLayout& layout, const ChartColours& colours) {
  const QRectF front = layout.front;
  if (layout.depth.isNull()) {
    if (colours.wall.isValid()) painter.fillRect(front, colours.wall);
    return;
  }
  const QRectF back = layout.BackWall();
  const QPolygonF leftWall(
      {front.topLeft(), back.topLeft(), back.bottomLeft(), front.bottomLeft()});
  const QPolygonF floor(
      {front.bottomLeft(), back.bottomLeft(), back.bottomRight(), front.bottomRight()});
  if (colours.wall.isValid()) {
    // The side walls a shade darker than the back wall, as lit from the front.
    painter.setPen(Qt::NoPen);
    painter.setBrush(colours.wall);
    painter.drawRect(back);
    painter.setBrush(colours.wall.darker(112));
    painter.drawPolygon(leftWall);
    painter.setBrush(colours.wall.darker(125));
    painter.drawPolygon(floor);
    painter.setBrush(Qt::NoBrush);
  }
}

void PaintGrid(QPainter& painter, const ChartLayout& layout, const ChartColours& colours) {
  const QRectF front = layout.front;
  const QRectF back = layout.BackWall();
  const QPointF d = layout.depth;
  // Grid lines on the back wall are one-pixel rectangles: far cheaper than
  // lines for the raster engine. Those across the side walls are lines.
  const int left = static_cast<int>(back.left());
  const int top = static_cast<int>(back.top());
  const int width = static_cast<int>(back.width());
  const int height = static_cast<int>(back.height());
  painter.setPen(QPen(colours.grid, 0));
  for (double v : layout.y.ticks) {
    const double y = Whole(layout.mapY(v));
    if (y <= front.top() + 0.5 || y >= front.bottom() - 0.5) continue;
    painter.fillRect(QRect(left, static_cast<int>(y + d.y()), width, 1), colours.grid);
    if (!d.isNull()) painter.drawLine(QPointF(front.left(), y), QPointF(back.left(), y + d.y()));
  }
  for (double v : layout.x.ticks) {
    const double x = Whole(layout.mapX(v));
    if (x <= front.left() + 0.5 || x >= front.right() - 0.5) continue;
    painter.fillRect(QRect(static_cast<int>(x + d.x()), top, 1, height), colours.grid);
    if (!d.isNull())
      painter.drawLine(QPointF(x, front.bottom()), QPointF(x + d.x(), back.bottom()));
  }
}

void PaintOutlines(QPainter& painter, const ChartLayout& layout, const ChartColours& colours) {
  const QRectF front = layout.front;
  painter.setPen(QPen(colours.frame, 0));
  painter.setBrush(Qt::NoBrush);
  if (layout.depth.isNull()) {
    painter.drawRect(front);
    return;
  }
  const QRectF back = layout.BackWall();
  painter.drawRect(back);
  painter.drawLine(front.topLeft(), back.topLeft());
  painter.drawLine(front.bottomLeft(), back.bottomLeft());
  painter.drawLine(front.bottomRight(), back.bottomRight());
}

void PaintAxes(QPainter& painter, const ChartLayout& layout, const ChartColours& colours,
               const QLocale& locale) {
  const QRectF front = layout.front;
  const QFontMetricsF metrics(painter.font(), painter.device());
  const double lineHeight = metrics.height();
  painter.setPen(QPen(colours.text, 0));
  painter.drawLine(front.bottomLeft(), front.topLeft());
  painter.drawLine(front.bottomLeft(), front.bottomRight());

  for (double v : layout.y.ticks) {
    const double y = Whole(layout.mapY(v));
    painter.drawLine(QPointF(front.left() - kTickLength, y), QPointF(front.left(), y));
    const QRectF box(layout.area.left(), y - lineHeight / 2.0,
                     front.left() - kTickLength - 2.0 - layout.area.left(), lineHeight);
    painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter,
                     TickText(v, layout.y.decimals, locale));
  }
  const double labelTop = front.bottom() + std::max(kTickLength + 2.0, lineHeight / 2.0 + 2.0);
  for (double v : layout.x.ticks) {
    const double x = Whole(layout.mapX(v));
    painter.drawLine(QPointF(x, front.bottom()), QPointF(x, front.bottom() + kTickLength));
    const QString text = TickText(v, layout.x.decimals, locale);
    const double width = metrics.horizontalAdvance(text);
    painter.drawText(QRectF(x - width / 2.0 - 1.0, labelTop, width + 2.0, lineHeight),
                     Qt::AlignCenter, text);
  }
}

}  // namespace

void PaintFrame(QPainter& painter, const ChartLayout& layout, const ChartColours& colours,
                const QString& title, const QLocale& locale) {
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(layout.area, colours.panel);
  if (!title.isEmpty()) {
    painter.setPen(colours.text);
    painter.drawText(layout.title, Qt::AlignHCenter | Qt::AlignVCenter, title);
  }
  PaintWalls(painter, layout, colours);
  PaintGrid(painter, layout, colours);
  PaintOutlines(painter, layout, colours);
  PaintAxes(painter, layout, colours, locale);
}

}  // namespace rq30
