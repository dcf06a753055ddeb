#include "line_chart.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "chart_render.h"

namespace rq30 {

LineChart::LineChart(QWidget* parent) : QWidget(parent) {
  // The chart paints every pixel itself.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(160, 120);
}

void LineChart::AppendPoint(double x, double y, QRgb colour) {
  points_.PushBack({x, y, colour});
  update();
}

void LineChart::RemoveOldest() {
  points_.PopFront();
  update();
}

void LineChart::ClearPoints() {
  points_.Clear();
  legendFirst_ = 0;
  update();
}

void LineChart::SetLegendVisible(bool visible) {
  legendVisible_ = visible;
  update();
}

void LineChart::SetLegendFirst(int index) {
  legendFirst_ = std::max(0, index);
  update();
}

int LineChart::LegendRows() const {
  if (legendRowsHeight_ != height()) {
    legendRows_ = LegendRowsFor(rect(), QFontMetricsF(font()), !title_.isEmpty());
    legendRowsHeight_ = height();
  }
  return legendRows_;
}

void LineChart::SetView3D(bool on) {
  style_.view3D = on;
  update();
}

void LineChart::SetPercent3D(int percent) {
  style_.percent3D = std::clamp(percent, 1, 100);
  update();
}

void LineChart::SetWallColour(const QColor& colour) {
  style_.wallColour = colour;
  update();
}

void LineChart::SetPanelColour(const QColor& colour) {
  style_.panelColour = colour;
  update();
}

void LineChart::SetStyle(const ChartStyle& style) {
  style_ = style;
  style_.percent3D = std::clamp(style.percent3D, 1, 100);
  update();
}

void LineChart::SetTitle(const QString& title) {
  title_ = title;
  legendRowsHeight_ = -1;
  update();
}

void LineChart::SetIntegralX(bool on) {
  integralX_ = on;
  update();
}

ChartContent LineChart::Content() const {
  ChartContent content;
  content.points = &points_;
  content.style = style_;
  content.title = title_;
  content.legendVisible = legendVisible_;
  content.legendFirst = legendFirst_;
  content.integralX = integralX_;
  return content;
}

void LineChart::Render(QPainter& painter, const QRect& target) {
  RenderChart(painter, target, Content(), font(), palette(), scratch_);
}

ChartLayout LineChart::LayoutFor(const QRect& target) const {
  return ComputeLayout(Content(), target, QFontMetricsF(font()), ChartLocale());
}

void LineChart::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) legendRowsHeight_ = -1;
  QWidget::changeEvent(event);
}

void LineChart::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  Render(painter, rect());
}

}  // namespace rq30
