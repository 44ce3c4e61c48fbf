#pragma once
// Text shaping is most of the time of a repaint full of dimension texts,
// and the same strings come back in the same fonts at every paint. The
// advance and the glyph runs of a string are kept per font, string and
// device resolution, for images and pixmaps only (printers and recorders get
// the plain calls). Turning the cache off gives the plain Qt calls, which
// the tests compare it with.

#include <QFont>
#include <QPointF>
#include <QString>

class QPaintDevice;
class QPainter;

// Whether Device paints through the raster engine, where the cache applies.
bool CachesTextShapes(QPaintDevice* Device);

// QFontMetricsF(Font, Device).horizontalAdvance(Text).
double TextAdvance(const QFont& Font, const QString& Text, QPaintDevice* Device);

// Painter.drawText(Baseline, Text) with the painter's font being Font.
void DrawShapedText(QPainter& Painter, QPointF Baseline, const QFont& Font, const QString& Text,
                    QPaintDevice* Device);

// On by default; off makes every call above the plain Qt call.
void SetTextShapeCaching(bool On);
