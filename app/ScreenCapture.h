#pragma once
// "复制图片": a full-screen window over a still of the screen where the user
// drags the area to copy; the area goes to the clipboard as a picture.

#include <QDialog>
#include <QImage>
#include <QRect>

class TCaptureWindow : public QDialog {
public:
  explicit TCaptureWindow(const QImage& Screen, QWidget* Parent = nullptr);
  // The dragged area in screen pixels; empty when the user only clicked.
  QRect Selection() const { return QRect(FStart, FEnd).normalized(); }

protected:
  void paintEvent(QPaintEvent* Event) override;
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseMoveEvent(QMouseEvent* Event) override;
  void mouseReleaseEvent(QMouseEvent* Event) override;

private:
  QImage FScreen;
  QPoint FStart, FEnd;
  bool FDragging = false;
};

// A still of the primary screen; null without one.
QImage GrabScreen();
// Copies Area of Screen to the clipboard. An empty area stands for the
// top-level window under the mouse, or the whole screen when the mouse is
// over none of ours. False when nothing could be copied.
bool CopyScreenArea(const QImage& Screen, QRect Area);
// The whole command: false when the user cancelled or nothing was copied.
bool CopyPictureCommand(QWidget* Repaint);
