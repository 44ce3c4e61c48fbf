#pragma once
// The application cursors a view shows, drawn by the program into small
// bitmaps. Index 0 is the platform's arrow.

#include <QCursor>

enum TAppCursor : int {
  crDefaultArrow = 0,
  crPanRealTime = 1,
  crZoomRealTime = 2,
  crCapture = 3,
  crDraw = 4,
  crAddPoint = 5,
  crDeletePoint = 6,
  crZoomIn = 7,
  crZoomOut = 8
};

// "PANREALTIME", "ZOOMREALTIME", "CAPTURE", "DRAW", "ADDPOINT",
// "DELETEPOINT", "ZOOMIN", "ZOOMOUT" for 1 to 8; empty otherwise.
const char* AppCursorName(int Index);
// The cursor registered under Index; the arrow for 0 and unknown numbers.
// Needs a GUI application.
QCursor AppCursor(int Index);
