// The screen capture behind "复制图片" and "复制外部图片".

#include "app/ScreenCapture.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

TCaptureWindow::TCaptureWindow(const QImage& Screen, QWidget* Parent)
    : QDialog(Parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), FScreen(Screen) {
  setWindowTitle(QString::fromUtf8("复制图片"));
  setCursor(Qt::CrossCursor);
  if (QScreen* s = QGuiApplication::primaryScreen()) setGeometry(s->geometry());
}

void TCaptureWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(rect(), FScreen);
  // The screen dimmed, the chosen area clear.
  QRegion dim(rect());
  const QRect sel = Selection();
  if (!sel.isEmpty()) dim -= QRegion(sel);
  p.setClipRegion(dim);
  p.fillRect(rect(), QColor(0, 0, 0, 90));
  p.setClipping(false);
  if (!sel.isEmpty()) {
    p.setPen(QPen(Qt::red, 1, Qt::DashLine));
    p.drawRect(sel.adjusted(0, 0, -1, -1));
  }
}

void TCaptureWindow::mousePressEvent(QMouseEvent* Event) {
  if (Event->button() == Qt::RightButton) {
    reject();
    return;
  }
  FStart = FEnd = Event->position().toPoint();
  FDragging = true;
}

void TCaptureWindow::mouseMoveEvent(QMouseEvent* Event) {
  if (!FDragging) return;
  FEnd = Event->position().toPoint();
  update();
}

void TCaptureWindow::mouseReleaseEvent(QMouseEvent* Event) {
  if (!FDragging || Event->button() != Qt::LeftButton) return;
  FDragging = false;
  FEnd = Event->position().toPoint();
  accept();
}

QImage GrabScreen() {
  QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->grabWindow(0).toImage() : QImage();
}

bool CopyScreenArea(const QImage& Screen, QRect Area) {
  if (Screen.isNull()) return false;
  if (Area.isEmpty()) {
    QWidget* w = QApplication::topLevelAt(QCursor::pos());
    Area = w ? w->frameGeometry() : Screen.rect();
  }
  Area &= Screen.rect();
  if (Area.isEmpty()) return false;
  QClipboard* cb = QGuiApplication::clipboard();
  if (!cb) return false;
  cb->setImage(Screen.copy(Area));
  return true;
}

bool CopyPictureCommand(QWidget* Repaint) {
  const QImage screen = GrabScreen();
  if (screen.isNull()) return false;
  TCaptureWindow window(screen);
  if (window.exec() != QDialog::Accepted) return false;
  if (Repaint) Repaint->repaint();
  return CopyScreenArea(screen, window.Selection());
}
