#include "chart_render.h"

namespace rq30 {

namespace {

QColor Mix(const QColor& a, const QColor& b, double share) {
  return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * share,
                          a.greenF() + (b.greenF() - a.greenF()) * share,
                          a.blueF() + (b.blueF() - a.blueF()) * share);
}

QColor ContrastTo(const QColor& c) {
  return qGray(c.rgb()) > 110 ? Qt::black : Qt::white;
}

}  // namespace

ChartColours ChartColours::For(const ChartStyle& style, const QPalette& palette) {
  ChartColours c;
  c.panel = style.panelColour.isValid() ? style.panelColour : palette.color(QPalette::Window);
  c.wall = style.wallColour;
  // Grid and frame are shades between the area's colour and its contrast, so
  // they stay light yet visible on any colour the operator picks.
  const QColor base = c.wall.isValid() ? c.wall : c.panel;
  c.grid = Mix(base, ContrastTo(base), 0.22);
  c.frame = Mix(base, ContrastTo(base), 0.6);
  c.text = ContrastTo(c.panel);
  return c;
}

}  // namespace rq30
