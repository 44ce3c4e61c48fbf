#pragma once
// Plays EMF and WMF pictures onto a QPainter, record by record, through the
// Qt canvas, so a played picture is drawn with the same GDI rules (box edges,
// pen widths, arcs, hatches, text alignment) as the drawing that wrote it.
//
// Record layouts and their size checks come from libUEMF. Files are
// untrusted: a record whose sizes do not hold together ends the playback
// and what was painted stays; records the player does not know are skipped;
// the number of records and of points painted is capped.

#include <QPointF>

#include <cstdint>
#include <span>

class QPainter;

enum class TMetafileFormat { None, Emf, Wmf };

// What the bytes start as: an EMF header, a WMF header (with or without the
// placeable header), or neither.
TMetafileFormat MetafileFormat(std::span<const std::uint8_t> Bytes);

struct TMetafilePlayback {
  int Records = 0;        // records read, painted or skipped
  bool Complete = false;  // the end-of-file record was reached
};

// Plays Bytes so that the picture's frame (an EMF's bounds, a WMF's
// placeable box or else its window) fills the device rectangle from TopLeft
// to BottomRight: the frame's top-left corner lands on TopLeft whichever way
// the two points lie, so passing the corners exchanged flips the picture.
// Painting keeps to that rectangle and to the painter's clip.
TMetafilePlayback PlayMetafile(QPainter& Painter, std::span<const std::uint8_t> Bytes, QPointF TopLeft,
                               QPointF BottomRight);
