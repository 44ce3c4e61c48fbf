#pragma once
// The floor of painting a drawing: what the program drew into a device,
// captured once as device-coordinate geometry (lines, polylines, polygons,
// paths, texts, images with their pens, brushes and fonts), then drawn again
// by bare QPainter calls, consecutive lines of one pen in one drawLines. No
// figure, canvas or mapping code runs on replay, so the program can come
// close to it but not below it.

#include <QBrush>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QTransform>

#include <functional>
#include <vector>

class TPaintFloor {
public:
  // Runs Paint once on a capturing device of Size.
  static TPaintFloor Capture(QSize Size, const std::function<void(QPaintDevice&)>& Paint);
  void Draw(QPainter& Painter) const;
  std::size_t Calls() const { return FItems.size(); }

  enum class TKind { Lines, Polyline, Polygon, Path, Text, Image };
  struct TItem {
    TKind Kind = TKind::Lines;
    QPen Pen;
    QBrush Brush;
    QPainter::RenderHints Hints;
    Qt::FillRule Fill = Qt::OddEvenFill;
    std::vector<QPointF> Points;  // lines as pairs
    QPainterPath Path;
    QFont Font;
    QString Text;
    QTransform Transform;  // texts and images only: rotation and scale stay theirs
    QImage Image;
    QRectF Target, Source;
  };
  std::vector<TItem> FItems;
};
