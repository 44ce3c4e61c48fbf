#pragma once
// TScaleScrollBox: a scrolling window that owns the device-context
// preparation and the four conversions between client pixels and logical
// units. The scroll range is the extent of the content in pixels; content
// narrower than the window is centred.

#include "platform/Gdi.h"

#include <QAbstractScrollArea>
#include <functional>
#include <memory>

class TCanvas;

class TScaleScrollBox : public QAbstractScrollArea {
public:
  using TPaintEvent = std::function<void(TScaleScrollBox& Sender)>;

  explicit TScaleScrollBox(QWidget* Parent = nullptr);
  ~TScaleScrollBox() override;

  // The canvas bound to the window; only while painting.
  TCanvas* GetCanvas() const { return FCanvas.get(); }
  // Binds a canvas to the painter, calls Paint and unbinds, also when Paint throws.
  void PaintWindow(QPainter& Painter, const QRegion& Clip);
  virtual void Paint();

  virtual void SetPageSize();
  // Maps DC as this window does: pixels, y down, the scrolled origin
  // shifted so that content smaller than the window is centred.
  virtual void OnPrepareDC(TCanvas& DC) const;
  // In place, on logical points and rectangles; rectangles may come out
  // with Top > Bottom (y flips), callers normalise with ExpandRect.
  virtual void RectDocToClient(TRect& R) const;
  virtual void PointDocToClient(TPoint& P) const;
  virtual void PointClientToDoc(TPoint& P) const;
  virtual void RectClientToDoc(TRect& R) const;

  int ClientWidth() const;
  int ClientHeight() const;
  int HorzRange() const { return FHorzRange; }
  int VertRange() const { return FVertRange; }
  void SetHorzRange(int Range);
  void SetVertRange(int Range);
  int HorzPosition() const;
  int VertPosition() const;
  void SetHorzPosition(int Pos);
  void SetVertPosition(int Pos);
  // The centring shift of the content: negative when it is smaller than the window.
  int CentreDx() const;
  int CentreDy() const;

  TPaintEvent FOnPaint;

protected:
  // The scrolled origin: where the content's top-left lies in client pixels.
  TPoint FOrg() const { return TPoint{-HorzPosition(), -VertPosition()}; }
  void resizeEvent(QResizeEvent* Event) override;
  void scrollContentsBy(int Dx, int Dy) override;

private:
  void UpdateScrollBars();

  std::unique_ptr<TCanvas> FCanvas;
  int FHorzRange = 0;
  int FVertRange = 0;
};
