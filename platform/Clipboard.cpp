#include "platform/Clipboard.h"

#include "foundation/ComponentImage.h"
#include "platform/Bitmap.h"
#include "platform/QtCanvas.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

namespace {
QClipboard* Clipboard() {
  return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}
}  // namespace

void SetClipboardComponent(const std::vector<std::uint8_t>& Image) {
  QClipboard* cb = Clipboard();
  if (!cb) return;
  auto* mime = new QMimeData;
  mime->setData(FigureClipboardMime,
                QByteArray(reinterpret_cast<const char*>(Image.data()), static_cast<qsizetype>(Image.size())));
  cb->setMimeData(mime);  // the clipboard takes ownership
}

std::optional<std::vector<std::uint8_t>> GetClipboardComponent() {
  QClipboard* cb = Clipboard();
  const QMimeData* mime = cb ? cb->mimeData() : nullptr;
  if (!mime || !mime->hasFormat(FigureClipboardMime)) return std::nullopt;
  const QByteArray data = mime->data(FigureClipboardMime);
  return std::vector<std::uint8_t>(data.begin(), data.end());
}

bool CheckClipBoard() {
  const auto image = GetClipboardComponent();
  return image && CheckClipboardImage(*image);
}

void SetClipboardPicture(const TBitmap& Picture) {
  if (QClipboard* cb = Clipboard()) cb->setImage(QtImage(Picture));
}

std::optional<TBitmap> GetClipboardPicture() {
  QClipboard* cb = Clipboard();
  const QMimeData* mime = cb ? cb->mimeData() : nullptr;
  if (!mime || !mime->hasImage()) return std::nullopt;
  const QImage image = qvariant_cast<QImage>(mime->imageData());
  if (image.isNull()) return std::nullopt;
  TBitmap picture;
  QtImage(picture) = image.convertToFormat(QImage::Format_RGB32);
  return picture;
}
