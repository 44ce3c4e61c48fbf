// The keyboard as users of other 2D CAD programs know it: Esc in two steps,
// Enter or Space to finish a figure or repeat the last drawing command, and
// points typed as coordinates.

#include "docview/DocView.h"

#include "docview/Document.h"
#include "docview/Environment.h"
#include "docview/TypedPoint.h"
#include "figures/FigureFamily.h"
#include "figures/Pictures.h"

#include <QKeyEvent>
#include <cmath>

bool TDocView::WaitsForPoint() const {
  return FDocument && FCurrentTool && FItemClass != &TDocItem::StaticClass();
}

void TDocView::Escape() {
  if (!FDocument) return;
  // A figure half built goes; its tool stays for the next one.
  if (FCurrentTool && WaitsForPoint() && FCurrentTool->HasConstruction()) {
    FCurrentTool->OnCancel(*this);
    ReleaseCapture();
    return;
  }
  CancelTool();
}

void TDocView::EnterKey() {
  if (!FDocument || !FCurrentTool) return;
  if (WaitsForPoint()) {
    if (FCurrentTool->HasConstruction()) OnEditEnd();
    return;
  }
  // Only the idle selection tool repeats: a copy or an offset under way keeps the key.
  if (FOperation == omMove || FOperation == omNormal) RepeatLastDrawing();
}

void TDocView::NoteDrawingCommand() {
  if (!FItemClass || FItemClass == &TDocItem::StaticClass() || !FCurrentTool) return;
  FLastDrawClass = FItemClass;
  // Placing uses up the chosen block and the pending picture: the repeat
  // places copies of them.
  const TFigureFamily* family = FamilyOf(*FItemClass);
  FRepeatItem = family && family->PlacesCurrentItem && FCurrentItem ? FCurrentItem->Clone() : nullptr;
  FRepeatPicture = MyPicture ? std::make_unique<TPicture>(*MyPicture) : nullptr;
}

bool TDocView::RepeatLastDrawing() {
  if (!FDocument || !FLastDrawClass || !FDocument->FindTool(FLastDrawClass)) return false;
  const TMetaClass* cls = FLastDrawClass;
  if (FRepeatItem) SetCurrentItem(FRepeatItem.get());
  if (FRepeatPicture && !MyPicture) MyPicture = std::make_unique<TPicture>(*FRepeatPicture);
  SetDrawShape(cls);
  SetOperation(omAdd);
  return FItemClass == cls;
}

void TDocView::SetPointEntry(TPointEntryBox* Entry) { FPointEntry = Entry; }

void TDocView::NotePlacedPoint(Tpt Log) {
  if (FPlacingClick) FLastLocalPoint = LogToLocal(*this, Log);
}

bool TDocView::OpensPointEntry(const QKeyEvent& Event) const {
  if (!FPointEntry || !WaitsForPoint() || !FActive) return false;
  if (Event.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
  const QString t = Event.text();
  if (t.size() != 1) return t == QString::fromUtf8("＠");
  const QChar c = t[0];
  return c.isDigit() || c == '-' || c == '+' || c == '.' || c == '@';
}

bool TDocView::PlaceTypedPoint(const std::string& Text, std::string& Hint) {
  if (!WaitsForPoint() || !FActive) {
    Hint = "请先选择一个绘图命令。";
    return false;
  }
  const std::optional<TTypedPoint> typed = ParseTypedPoint(Text, Hint);
  if (!typed) return false;
  std::optional<Tpt> lastUser;
  if (FLastLocalPoint) lastUser = LocalToUser(*this, *FLastLocalPoint);
  const std::optional<Tpt> user = ResolveTypedPoint(*typed, lastUser, Hint);
  if (!user) return false;
  const Tpt log = LocalToLog(*this, UserToLocal(*this, *user));
  if (!std::isfinite(log.x) || !std::isfinite(log.y) || std::abs(log.x) > 1e9 || std::abs(log.y) > 1e9) {
    Hint = "坐标数值太大。";
    return false;
  }
  // A click at the point's pixel, with the exact point in place of what the
  // pixel would snap to.
  TPoint client = ptodp(log);
  PointDocToClient(client);
  FTypedPoint = log;
  struct TReset {
    std::optional<Tpt>& P;
    ~TReset() { P.reset(); }
  } reset{FTypedPoint};
  MouseDown(mbLeft, 0, client);
  MouseUp(mbLeft, 0, client);
  // The @ forms go on from the typed point itself, whatever the tool rounded.
  FLastLocalPoint = UserToLocal(*this, *user);
  return true;
}
