#include "docview/Cursors.h"

#include <QPainter>
#include <QPixmap>
#include <array>

namespace {

constexpr int kSize = 32;

// Every stroke is drawn white and wide first, then black, so the cursor
// stays visible on dark and light drawings alike.
template <typename Fn>
void Outlined(QPainter& P, Fn Draw) {
  P.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::SquareCap));
  Draw(P);
  P.setPen(QPen(Qt::black, 1, Qt::SolidLine, Qt::SquareCap));
  Draw(P);
}

void CrossHair(QPainter& P, int Arm) {
  Outlined(P, [Arm](QPainter& p) {
    p.drawLine(16 - Arm, 16, 16 + Arm, 16);
    p.drawLine(16, 16 - Arm, 16, 16 + Arm);
  });
}

void Magnifier(QPainter& P) {
  Outlined(P, [](QPainter& p) {
    p.drawEllipse(QRect(4, 4, 14, 14));
    p.drawLine(17, 17, 26, 26);
  });
}

void Plus(QPainter& P, int Cx, int Cy, int Arm) {
  Outlined(P, [=](QPainter& p) {
    p.drawLine(Cx - Arm, Cy, Cx + Arm, Cy);
    p.drawLine(Cx, Cy - Arm, Cx, Cy + Arm);
  });
}

void Minus(QPainter& P, int Cx, int Cy, int Arm) {
  Outlined(P, [=](QPainter& p) { p.drawLine(Cx - Arm, Cy, Cx + Arm, Cy); });
}

void Arrows(QPainter& P) {
  Outlined(P, [](QPainter& p) {
    p.drawLine(16, 3, 16, 29);
    p.drawLine(3, 16, 29, 16);
    const QPoint heads[4][3] = {{{12, 7}, {16, 3}, {20, 7}},
                                {{12, 25}, {16, 29}, {20, 25}},
                                {{7, 12}, {3, 16}, {7, 20}},
                                {{25, 12}, {29, 16}, {25, 20}}};
    for (const auto& h : heads) p.drawPolyline(h, 3);
  });
}

QCursor MakeCursor(int Index) {
  QPixmap pix(kSize, kSize);
  pix.fill(Qt::transparent);
  QPoint hot(16, 16);
  {
    QPainter p(&pix);
    switch (Index) {
      case crPanRealTime: Arrows(p); break;
      case crZoomRealTime:
        Magnifier(p);
        Outlined(p, [](QPainter& q) {
          q.drawLine(25, 2, 25, 12);
          q.drawPolyline(QPolygon({{22, 5}, {25, 2}, {28, 5}}));
          q.drawPolyline(QPolygon({{22, 9}, {25, 12}, {28, 9}}));
        });
        hot = {11, 11};
        break;
      case crCapture:
        CrossHair(p, 12);
        Outlined(p, [](QPainter& q) { q.drawRect(12, 12, 8, 8); });
        break;
      case crDraw: CrossHair(p, 12); break;
      case crAddPoint:
        CrossHair(p, 10);
        Plus(p, 25, 25, 4);
        break;
      case crDeletePoint:
        CrossHair(p, 10);
        Minus(p, 25, 25, 4);
        break;
      case crZoomIn:
        Magnifier(p);
        Plus(p, 11, 11, 3);
        hot = {11, 11};
        break;
      case crZoomOut:
        Magnifier(p);
        Minus(p, 11, 11, 3);
        hot = {11, 11};
        break;
      default: break;
    }
  }
  return QCursor(pix, hot.x(), hot.y());
}

}  // namespace

const char* AppCursorName(int Index) {
  static constexpr std::array<const char*, 9> kNames = {
      "", "PANREALTIME", "ZOOMREALTIME", "CAPTURE", "DRAW", "ADDPOINT", "DELETEPOINT", "ZOOMIN", "ZOOMOUT"};
  return Index >= 0 && Index < int(kNames.size()) ? kNames[std::size_t(Index)] : "";
}

QCursor AppCursor(int Index) {
  if (Index < crPanRealTime || Index > crZoomOut) return QCursor(Qt::ArrowCursor);
  // Drawn on each request (a 32-pixel bitmap): a cache would outlive the
  // application that owns its pixmaps.
  return MakeCursor(Index);
}
