// A line chart widget painted with QPainter: one series of points (x, y,
// colour), each segment drawn in the colour of the point it leads to;
// automatic axes with round ticks in the locale's number format; a legend
// listing point values newest first; an optional 3D view with a depth
// percentage; a plotting-area (wall) and a panel colour.
//
// Built for long live series: dropping the oldest point and appending a new
// one are O(1), and painting reduces the points on one pixel column to four.
#pragma once

#include <QPointF>
#include <QString>
#include <QWidget>

#include "chart_layout.h"
#include "chart_style.h"
#include "chart_view_state.h"
#include "column_reducer.h"
#include "point_ring.h"

namespace rq30 {

class LineChart : public QWidget {
  Q_OBJECT

 public:
  explicit LineChart(QWidget* parent = nullptr);

  // The series, oldest point first.
  void AppendPoint(double x, double y, QRgb colour);
  void RemoveOldest();  // nothing when empty
  void ClearPoints();   // also lists the legend from the first point again
  int PointCount() const { return static_cast<int>(points_.Size()); }
  const ChartPoint& PointAt(int index) const { return points_.At(index); }  // 0..count-1

  // The legend lists the points from LegendFirst() on, newest at the top, as
  // many as it has rows for. A stale index is clamped when painting.
  void SetLegendVisible(bool visible);
  bool LegendVisible() const { return legendVisible_; }
  void SetLegendFirst(int index);
  int LegendFirst() const { return legendFirst_; }
  int LegendRows() const;  // rows that fit at the widget's current size

  // Look; each setter repaints.
  void SetView3D(bool on);
  bool View3D() const { return style_.view3D; }
  void SetPercent3D(int percent);  // clamped to 1..100
  int Percent3D() const { return style_.percent3D; }
  void SetWallColour(const QColor& colour);
  QColor WallColour() const { return style_.wallColour; }
  void SetPanelColour(const QColor& colour);
  QColor PanelColour() const { return style_.panelColour; }
  void SetStyle(const ChartStyle& style);
  const ChartStyle& Style() const { return style_; }

  void SetTitle(const QString& title);
  QString Title() const { return title_; }
  // Ticks on the x axis only at whole numbers (sample numbers).
  void SetIntegralX(bool on);

  // Paints the chart into `target` of any paint device (an image, a printer),
  // with the widget's font and palette.
  void Render(QPainter& painter, const QRect& target);
  // The geometry such a paint uses; tests map data to pixels with it.
  ChartLayout LayoutFor(const QRect& target) const;

  // Looking into the series with the mouse: the wheel zooms the time axis
  // around the cursor, a drag pans it, a double-click returns to following
  // the newest points; the crosshair reads the point under the cursor.
  bool FollowingNewest() const { return view_.Following(); }
  XWindow ShownX() const;  // the sample numbers in view
  void FollowNewest();
  // While the view is away from the newest points, a note on the chart
  // says so; a plain click (no drag) returns to following. Empty while
  // following.
  QString AwayNote() const;
  int CrosshairIndex() const { return crosshair_; }  // -1: none
  QString CrosshairText() const;                     // "vzorek 12: 24,5"

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  ChartContent Content() const;
  XWindow DataX() const;
  int NearestIndex(double x) const;
  void TrackCrosshair(const QPointF& position);
  void PaintCrosshair(QPainter& painter, const ChartLayout& layout);
  const DataRange& Range() const;

  PointRing points_;
  ChartStyle style_;
  QString title_;
  bool legendVisible_ = true;
  int legendFirst_ = 0;
  bool integralX_ = false;
  ScreenSeries scratch_;
  // The data range without a scan of the whole series on every paint: while
  // x ascends (sample numbers do) its ends are the first and last points; y
  // is kept up to date on every append and rebuilt only after a removed
  // point was on its edge.
  mutable DataRange range_;
  mutable bool yRangeValid_ = true;
  bool xAscending_ = true;
  bool haveLastX_ = false;
  double lastX_ = 0.0;
  // LegendRows() is asked on every new point; it changes only with the
  // height, the font and the title.
  mutable int legendRowsHeight_ = -1;
  mutable int legendRows_ = 0;
  ChartViewState view_;
  bool dragging_ = false;
  double dragLastX_ = 0.0;
  QPointF pressAt_;
  bool dragMoved_ = false;
  int crosshair_ = -1;
};

}  // namespace rq30
