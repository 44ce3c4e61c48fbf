// Paste picture in the drawing view: the clipboard's pixels become a picture
// figure, kept as a bitmap.

#include "docview/DrawView.h"
#include "figures/Pictures.h"

std::unique_ptr<TDocItem> TDrawView::NewPictureItem() { return std::make_unique<TTxPicture>(); }

void TDrawView::CreateFromPicture(TDocItem& Item, const TBitmap& Picture, const TRect& Rect) {
  auto* figure = dynamic_cast<TCustomTxPicture*>(&Item);
  if (!figure) return;
  TPicture picture;
  picture.LoadFromBitmap(Picture);
  figure->CreateFromPicture(picture, Rect);
}
