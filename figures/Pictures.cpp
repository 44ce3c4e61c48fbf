#include "figures/Pictures.h"

#include "figures/FigureFamily.h"
#include "figures/FigureKit.h"

#include "figures/CodeVersion.h"
#include "figures/FigureSet.h"
#include "figures/FigureText.h"
#include "foundation/StreamError.h"
#include "foundation/Streams.h"
#include "foundation/ValueStream.h"
#include "platform/CompoundFile.h"
#include "platform/System.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <optional>

std::unique_ptr<TPicture> MyPicture;

namespace {

// Both figures are an unturned framed rectangle.
struct TPictureFrame : TFrameRect {
  bool Contains(Tpt Logical) const {
    const Tpt p = F.xyTransAbsPt(Logical.x, Logical.y);
    return Yd.x <= p.x && p.x <= Yd.x + S() * W && Yd.y <= p.y && p.y <= Yd.y + S() * H;
  }
  bool Bounds(TDBox& Box) const {
    const TRect r = LogRect();
    Box = {double(r.Left) - 1, double(r.Top) - 1, double(r.Right) + 1, double(r.Bottom) + 1};
    return true;
  }
};

template <class Fig>
TPictureFrame FrameOf(const Fig& F) {
  return {{F, F.FYd, F.FWidth, F.FHeight}};
}

// Snapping shared by the two figures: corners (end points); the origin
// corner, the bottom midpoint, the centre and the left midpoint (mid
// points); the four edges (nearest). Answers are logical.
bool RectCapturePoint(TCustomFigure& F, const TFrameRect& R, Tpt& P, TPointLx& Kind, TFigureView* View,
                      TPoint CursorPt, TPointLxSet KindSet) {
  if ((View && View->IsSelected(&F)) || F.FPen.Style == psClear) return false;
  auto near = [&](Tpt Local) { return F.NearPoint(Local, CursorPt, P); };
  if (KindSet & PointLxBit(plEndPoint))
    for (int i = 0; i < 4; ++i)
      if (near(R.Corner(i))) return Kind = plEndPoint, true;
  if (KindSet & PointLxBit(plMidPoint)) {
    const double sw = R.S() * R.W, sh = R.S() * R.H;
    const std::array<Tpt, 4> mids = {R.Yd, Tpt{R.Yd.x + sw / 2, R.Yd.y}, Tpt{R.Yd.x + sw / 2, R.Yd.y + sh / 2},
                                     Tpt{R.Yd.x, R.Yd.y + sh / 2}};
    for (Tpt m : mids)
      if (near(m)) return Kind = plMidPoint, true;
  }
  if (KindSet & PointLxBit(plNearest))
    for (int i = 0; i < 4; ++i)
      if (F.PointInLine(dptop(CursorPt), R.Corner(i), R.Corner((i + 1) % 4), P)) return Kind = plNearest, true;
  return false;
}

// Handle Index dragged to the logical point Pos. With KeepAspect the
// figure's scale changes about the centre; otherwise the handle's edges
// move, each only while the size stays positive.
void RectMoveHandle(TCustomFigure& F, Tpt& Yd, double& W, double& H, int Index, TPoint Pos, bool KeepAspect) {
  if (Index < 1 || Index > 8) return;
  const Tpt p = F.xyTransAbsPt(Pos.x, Pos.y);
  const Tpt d = protate(Sub(p, Yd), -DegToRad(F.FXzJd));
  const double s = F.GetScale();
  if (KeepAspect) {
    if (!(W > 0) || !(H > 0)) return;
    const double ns = (Index == 2 || Index == 6) ? std::abs(d.y - s * H / 2) * 2 / H
                                                 : std::abs(d.x - s * W / 2) * 2 / W;
    // A handle dropped on the centre would shrink the picture to nothing.
    if (!(ns > 0) || !std::isfinite(ns)) return;
    Change(F, [&] {
      Yd.x -= (ns - s) * W / 2;
      Yd.y -= (ns - s) * H / 2;
      F.FScale = ns;
    });
    return;
  }
  const bool right = Index >= 3 && Index <= 5, top = Index >= 5 && Index <= 7;
  const bool left = Index == 1 || Index == 7 || Index == 8, bottom = Index >= 1 && Index <= 3;
  double nw = W, nh = H;
  Tpt nyd = Yd;
  if (right) nw = d.x / s;
  if (left) nw = (s * W - d.x) / s, nyd.x = Yd.x + d.x;
  if (top) nh = d.y / s;
  if (bottom) nh = (s * H - d.y) / s, nyd.y = Yd.y + d.y;
  const bool horizontal = right || left, vertical = top || bottom;
  const bool wOk = nw > 0, hOk = nh > 0;
  if (horizontal && vertical && !(wOk && hOk)) return;
  if ((horizontal && !wOk) || (vertical && !hOk)) return;
  Change(F, [&] {
    W = nw;
    H = nh;
    Yd = nyd;
  });
}

void RectMoveByOffset(TCustomFigure& F, Tpt& Yd, double Dx, double Dy) {
  // Offsets are lengths: the frame's origin must not come into them.
  const Tpt o = F.xyTransAbsPt(0, 0), d = F.xyTransAbsPt(Dx, Dy);
  Change(F, [&] { Yd = Add(Yd, Sub(d, o)); });
}

void RectMirror(TCustomFigure& F, Tpt& Yd, TBx Line) {
  Yd = Caldcp(Yd, Line);
  F.FXzJd += RadToDeg(ppjd(Line.qd, Line.zd));
  F.Modified();
}

void RectExplode(TCustomFigure& F, Tpt& Yd, const TCustomFigureSet& Set) {
  Yd = ExplodePoint(Yd, Set);
  F.FScale *= Set.GetScale();
  F.Modified();
}

// The normalised rectangle of the first two points: origin and size (local,
// before the figure's scale).
bool RectFromPoints(const TCustomFigure& F, std::span<const Tpt> Points, Tpt& Yd, double& W, double& H) {
  if (Points.size() < 2) return false;
  const Tpt a = Points[0], b = Points[1];
  Yd = {std::min(a.x, b.x), std::min(a.y, b.y)};
  W = std::abs(b.x - a.x) / F.GetScale();
  H = std::abs(b.y - a.y) / F.GetScale();
  return true;
}

std::optional<TGraphicKind> KindOfTag(std::uint32_t Tag) {
  switch (Tag) {
    case kMetafileTag: return TGraphicKind::Metafile;
    case kBitmapTag: return TGraphicKind::Bitmap;
    case kIconTag: return TGraphicKind::Icon;
    case kJpegTag: return TGraphicKind::Jpeg;
    case kGifTag: return TGraphicKind::Gif;
    default: return std::nullopt;
  }
}

std::uint32_t TagOfKind(TGraphicKind Kind) {
  switch (Kind) {
    case TGraphicKind::Metafile: return kMetafileTag;
    case TGraphicKind::Bitmap: return kBitmapTag;
    case TGraphicKind::Icon: return kIconTag;
    case TGraphicKind::Jpeg: return kJpegTag;
    case TGraphicKind::Gif: return kGifTag;
  }
  return 0;
}

void PutLe32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = std::uint8_t(v >> (8 * i));
}
std::uint32_t GetLe32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

}  // namespace

// ---- picture figure

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomTxPicture, TCustomFigure)

TCustomTxPicture::TCustomTxPicture(TMyPersistent* AOwner) : TCustomFigure(AOwner) {
  FClassNameDescription = "图片";
}

TCustomTxPicture::~TCustomTxPicture() = default;

void TCustomTxPicture::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  FYd.x = Reader.ReadFloat();
  FYd.y = Reader.ReadFloat();
  FWidth = Reader.ReadFloat();
  FHeight = Reader.ReadFloat();
  if (OldCodeVersion == 1) Reader.ReadBoolean();  // a flag the first version kept
  FStretch = Reader.ReadBoolean();
  FSameScale = OldCodeVersion > 3 ? Reader.ReadBoolean() : false;
}

void TCustomTxPicture::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  Writer.WriteFloat(FYd.x);
  Writer.WriteFloat(FYd.y);
  Writer.WriteFloat(FWidth);
  Writer.WriteFloat(FHeight);
  Writer.WriteBoolean(FStretch);
  Writer.WriteBoolean(FSameScale);
}

void TCustomTxPicture::ReadStream(TStream& Stream) {
  // A picture without an image wrote nothing, so what follows belongs to
  // the next object: nothing at all, or the next list's item count (a
  // number below every class tag). Those are left where they are.
  if (auto* mem = dynamic_cast<TMemoryStream*>(&Stream)) {
    const std::size_t at = mem->Position();
    std::uint8_t peek[4];
    if (mem->Size() - at < sizeof peek) return;
    mem->ReadBuffer(peek, sizeof peek);
    mem->SetPosition(at);
    if (GetLe32(peek) < kMetafileTag) return;
  }
  std::uint8_t head[8];
  Stream.ReadBuffer(head, sizeof head);
  const std::uint32_t tag = GetLe32(head), count = GetLe32(head + 4);
  const std::optional<TGraphicKind> kind = KindOfTag(tag);
  if (!kind) throw EStreamError(StreamMsg::InvalidStreamFormat, "unknown picture class tag");
  // The count cannot promise more than the stream holds.
  if (auto* mem = dynamic_cast<TMemoryStream*>(&Stream); mem && count > mem->Size() - mem->Position())
    throw EStreamError(StreamMsg::InvalidStreamFormat, "picture bytes cut short");
  std::vector<std::uint8_t> bytes(count);
  Stream.ReadBuffer(bytes.data(), count);
  if (!FPicture) FPicture = std::make_unique<TPicture>();
  try {
    FPicture->SetGraphic(std::make_unique<TGraphic>(*kind, std::move(bytes)));
  } catch (const EGraphicError& e) {
    throw EStreamError(StreamMsg::InvalidStreamFormat, e.what());
  }
}

void TCustomTxPicture::WriteStream(TStream& Stream) {
  if (!FPicture || !FPicture->Graphic()) return;
  const TGraphic& g = *FPicture->Graphic();
  std::uint8_t head[8];
  PutLe32(head, TagOfKind(g.Kind()));
  PutLe32(head + 4, std::uint32_t(g.Bytes().size()));
  Stream.WriteBuffer(head, sizeof head);
  if (!g.Bytes().empty()) Stream.WriteBuffer(g.Bytes().data(), g.Bytes().size());
}

void TCustomTxPicture::AssignTo(TPersistent& Dest) const {
  TCustomFigure::AssignTo(Dest);
  auto* d = dynamic_cast<TCustomTxPicture*>(&Dest);
  if (!d) return;
  d->FYd = FYd;
  d->FWidth = FWidth;
  d->FHeight = FHeight;
  d->FPicture = FPicture ? std::make_unique<TPicture>(*FPicture) : nullptr;
  d->FStretch = FStretch;
  d->FSameScale = FSameScale;
}

void TCustomTxPicture::Paint(TShowPlace& ShowPlace) {
  TCanvas& cv = *ShowPlace.cvs;
  const TPictureFrame fr = FrameOf(*this);
  if (FPicture && FPicture->Graphic()) {
    const TGraphic& g = *FPicture->Graphic();
    const TRect r = fr.LogRect();
    // Image rows run top down while the views' y points up: all but icons
    // and GIF images (which turn themselves) go into the flipped rectangle.
    if (g.Kind() == TGraphicKind::Icon || g.Kind() == TGraphicKind::Gif)
      g.StretchDraw(cv, r);
    else
      g.StretchDraw(cv, TRect{r.Left, r.Bottom, r.Right, r.Top});
  }
  if (FPen.Style != psClear) fr.DrawFrame(*this, cv);
}

bool TCustomTxPicture::Selected(Tpt P, double) const { return FrameOf(*this).Contains(P); }

bool TCustomTxPicture::HitBounds(double, TDBox& Box) const {
  return FrameOf(*this).Bounds(Box);
}

void TCustomTxPicture::GetHandle(int Index, TPoint& P) const {
  if (Index < 1 || Index > 8) return;
  const Tpt h = FrameOf(*this).Handle(Index);
  P = ptodp(xyTransLogPt(h.x, h.y));
}

void TCustomTxPicture::MoveHandleTo(int Index, TPoint P) {
  if (!FStretch) return;
  RectMoveHandle(*this, FYd, FWidth, FHeight, Index, P, FSameScale);
}

void TCustomTxPicture::MoveByOffset(double Dx, double Dy) { RectMoveByOffset(*this, FYd, Dx, Dy); }

void TCustomTxPicture::SetRefPoint(double X, double Y) {
  Change(*this, [&] { FYd = {X, Y}; });
}

void TCustomTxPicture::CalcPositionRect(TRect& Rect) const { Rect = FrameOf(*this).LogRect(); }

bool TCustomTxPicture::GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                                       TPointLxSet KindSet) {
  return RectCapturePoint(*this, FrameOf(*this), P, Kind, View, CursorPt, KindSet);
}

void TCustomTxPicture::FigureMirror(TBx Line) { RectMirror(*this, FYd, Line); }

void TCustomTxPicture::Explode(TCustomFigureSet& Set) { RectExplode(*this, FYd, Set); }

bool TCustomTxPicture::CreateByRefPoint(std::span<const Tpt> Points) {
  Tpt yd;
  double w = 0, h = 0;
  if (!RectFromPoints(*this, Points, yd, w, h)) return false;
  Change(*this, [&] {
    FYd = yd;
    FWidth = w;
    FHeight = h;
    FPicture = std::move(MyPicture);
  });
  return true;
}

void TCustomTxPicture::CreateFromPicture(const TPicture& Picture, const TRect& Rect) {
  const std::array<Tpt, 2> pts = {xyTransAbsPt(Rect.Left, Rect.Top), xyTransAbsPt(Rect.Right, Rect.Bottom)};
  Tpt yd;
  double w = 0, h = 0;
  RectFromPoints(*this, pts, yd, w, h);
  Change(*this, [&] {
    FYd = yd;
    FWidth = w;
    FHeight = h;
    FPicture = std::make_unique<TPicture>(Picture);
  });
}

void TCustomTxPicture::SetStretch(bool Value) {
  Change(*this, [&] {
    FStretch = Value;
    if (Value || !FPicture || !FPicture->HasGraphic()) return;
    FWidth = TransAbsV(FPicture->Width()) / GetScale();
    FHeight = TransAbsV(FPicture->Height()) / GetScale();
  });
}

void TCustomTxPicture::SetPicture(std::unique_ptr<TPicture> Picture) {
  Change(*this, [&] { FPicture = std::move(Picture); });
}

PLANDECK_DEFINE_CLASS(TTxPicture, TCustomTxPicture)

std::unique_ptr<TDocItem> TTxPicture::Clone() const {
  auto copy = std::make_unique<TTxPicture>(FOwner);
  copy->Assign(*this);
  return copy;
}

// ---- embedded object

TOleObjectBlock ReadOleObjectBlock(TReader& Reader) {
  std::uint8_t head[12];
  Reader.Read(head, sizeof head);
  const std::uint32_t count = GetLe32(head + 8);
  if (count > Reader.Remaining()) throw EStreamError(StreamMsg::InvalidStreamFormat, "object block cut short");
  TOleObjectBlock block;
  block.Aspect = GetLe32(head + 4);
  block.Storage.resize(count);
  if (count) Reader.Read(block.Storage.data(), count);
  if (std::memcmp(head, "BDOC", 4) != 0) throw EStreamError(StreamMsg::InvalidStreamFormat);
  return block;
}

void WriteOleObjectBlock(TWriter& Writer, const TOleObjectBlock& Block) {
  std::uint8_t head[12] = {'B', 'D', 'O', 'C'};
  PutLe32(head + 4, Block.Aspect);
  PutLe32(head + 8, std::uint32_t(Block.Storage.size()));
  Writer.Write(head, sizeof head);
  if (!Block.Storage.empty()) Writer.Write(Block.Storage.data(), Block.Storage.size());
}

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomOle, TCustomFigure)

TCustomOle::TCustomOle(TMyPersistent* AOwner) : TCustomFigure(AOwner) { FClassNameDescription = "Ole对象"; }

TCustomOle::~TCustomOle() = default;

void TCustomOle::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  FYd.x = Reader.ReadFloat();
  FYd.y = Reader.ReadFloat();
  FWidth = Reader.ReadFloat();
  FHeight = Reader.ReadFloat();
  if (OldCodeVersion == 1) {
    Reader.Read(&FFrame, 1);
    FPen.Style = (FFrame & 1) ? psSolid : psClear;
  }
  FLoaded = Reader.ReadBoolean();
  SetObject(nullptr);
  if (!FLoaded) return;
  // A damaged object leaves an empty frame; the rest of the drawing loads.
  try {
    auto block = std::make_unique<TOleObjectBlock>(ReadOleObjectBlock(Reader));
    if (!CompoundFileOpens(block->Storage)) throw EStreamError(StreamMsg::InvalidStreamFormat);
    SetObject(std::move(block));
  } catch (const EStreamError&) {
    FLoaded = false;
  }
}

void TCustomOle::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  Writer.WriteFloat(FYd.x);
  Writer.WriteFloat(FYd.y);
  Writer.WriteFloat(FWidth);
  Writer.WriteFloat(FHeight);
  const bool loaded = FLoaded && FOle;
  Writer.WriteBoolean(loaded);
  if (loaded) WriteOleObjectBlock(Writer, *FOle);
}

void TCustomOle::AssignTo(TPersistent& Dest) const {
  TCustomFigure::AssignTo(Dest);
  auto* d = dynamic_cast<TCustomOle*>(&Dest);
  if (!d) return;
  d->FYd = FYd;
  d->FWidth = FWidth;
  d->FHeight = FHeight;
  d->FFrame = FFrame;
  d->FOle = FOle ? std::make_unique<TOleObjectBlock>(*FOle) : nullptr;
  d->FPresentation = FPresentation;
  d->FLoaded = FLoaded;
}

void TCustomOle::SetObject(std::unique_ptr<TOleObjectBlock> Block) {
  FOle = std::move(Block);
  FPresentation.reset();
  if (!FOle) return;
  const TOlePresentation p = CompoundFilePresentation(FOle->Storage);
  if (p.Kind == TPresentationKind::None) return;
  // A presentation that does not decode leaves the captioned frame.
  try {
    auto g = std::make_shared<const TGraphic>(
        p.Kind == TPresentationKind::Metafile ? TGraphicKind::Metafile : TGraphicKind::Bitmap, p.Bytes);
    if (!g->Empty()) FPresentation = std::move(g);
  } catch (const EGraphicError&) {
  }
}

void TCustomOle::Paint(TShowPlace& ShowPlace) {
  if (FPresentation && FLoaded) {
    const TRect r = FrameOf(*this).LogRect();
    // Metafile and bitmap rows run top down: the flipped rectangle, as for pictures.
    FPresentation->StretchDraw(*ShowPlace.cvs, TRect{r.Left, r.Bottom, r.Right, r.Top});
  }
  PaintFrame(ShowPlace);
}

void TCustomOle::PaintFrame(TShowPlace& ShowPlace) {
  TCanvas& cv = *ShowPlace.cvs;
  const TPictureFrame fr = FrameOf(*this);
  if (FPen.Style != psClear) fr.DrawFrame(*this, cv);
  // Without a presentation the caption says what the frame holds.
  if (FPresentation && FLoaded) return;
  const TRect r = fr.LogRect();
  TDCSaver saved(cv);
  // A stand-in for the object's presentation, so it keeps to the frame too.
  cv.IntersectClipRect(r.Left, r.Top, r.Right, r.Bottom);
  TLogFont font;
  font.Height = -std::max(2, std::min(12, std::abs(r.Bottom - r.Top) / 2));
  cv.SelectFont(font);
  cv.SetBkMode(TRANSPARENT);
  cv.SetTextColor(FPen.Color);
  cv.SetTextAlign(TA_CENTER | TA_BASELINE);
  TPoint c[2] = {{r.Left, r.Top}, {r.Left, r.Bottom}};
  cv.LPtoDP(c, 2);
  // The baseline a third of the font height below the middle, on the device.
  const int down = c[0].y > c[1].y ? -1 : 1;
  cv.TextOut((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2 + down * std::abs(font.Height) / 3, FClassNameDescription);
}

bool TCustomOle::Selected(Tpt P, double) const { return FrameOf(*this).Contains(P); }

bool TCustomOle::HitBounds(double, TDBox& Box) const { return FrameOf(*this).Bounds(Box); }

void TCustomOle::GetHandle(int Index, TPoint& P) const {
  if (Index < 1 || Index > 8) return;
  const Tpt h = FrameOf(*this).Handle(Index);
  P = ptodp(xyTransLogPt(h.x, h.y));
}

void TCustomOle::MoveHandleTo(int Index, TPoint P) { RectMoveHandle(*this, FYd, FWidth, FHeight, Index, P, false); }

void TCustomOle::MoveByOffset(double Dx, double Dy) { RectMoveByOffset(*this, FYd, Dx, Dy); }

void TCustomOle::SetRefPoint(double X, double Y) {
  Change(*this, [&] { FYd = {X, Y}; });
}

void TCustomOle::CalcPositionRect(TRect& Rect) const { Rect = FrameOf(*this).LogRect(); }

bool TCustomOle::GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                                 TPointLxSet KindSet) {
  return RectCapturePoint(*this, FrameOf(*this), P, Kind, View, CursorPt, KindSet);
}

void TCustomOle::FigureMirror(TBx Line) { RectMirror(*this, FYd, Line); }

void TCustomOle::Explode(TCustomFigureSet& Set) { RectExplode(*this, FYd, Set); }

void TCustomOle::OnAfterEditProperties(TFigureView*) {}

bool TCustomOle::CreateByRefPoint(std::span<const Tpt> Points) {
  Tpt yd;
  double w = 0, h = 0;
  if (!RectFromPoints(*this, Points, yd, w, h)) return false;
  Change(*this, [&] {
    FYd = yd;
    FWidth = w;
    FHeight = h;
  });
  return true;
}

bool TCustomOle::DoVerb(int) {
  ShowMessage(kOleCannotEdit);
  return false;
}

void TCustomOle::EditProperties(TFigureView*) { DoVerb(0); }

void TCustomOle::OnEditProperties(TFigureView*) { DoVerb(0); }

void TCustomOle::SetWidth(double Value) {
  Change(*this, [&] { FWidth = Value; });
}

void TCustomOle::SetHeight(double Value) {
  Change(*this, [&] { FHeight = Value; });
}

PLANDECK_DEFINE_CLASS(TTxOle, TCustomOle)

std::unique_ptr<TDocItem> TTxOle::Clone() const {
  auto copy = std::make_unique<TTxOle>(FOwner);
  copy->Assign(*this);
  return copy;
}

void RegisterPictureFigureClasses() {
  RegisterClass(TTxPicture::StaticClass());
  RegisterClass(TTxOle::StaticClass());
  // Both are placed by two corners once their content is chosen by a command.
  RegisterFamily({.Class = &TTxPicture::StaticClass(),
                  .Action = "A_Picture",
                  .Tool = tkTwoPoint,
                  .Rubber = TPlacingRubber::Rect,
                  .OrthoWhileMoving = false,
                  .PaintIcon =
                      [](TIconSketch& s) {
                        s.Rect(3, 5, 18, 14);
                        s.Polyline({{4, 18}, {10, 10}, {14, 15}, {17, 12}, {20, 18}});
                        s.Ellipse(15, 7, 3, 3);
                      },
                  .Ops = FamilyOps<TTxPicture>()});
  RegisterFamily({.Class = &TTxOle::StaticClass(),
                  .Action = "A_Ole",
                  .Tool = tkTwoPoint,
                  .Rubber = TPlacingRubber::Rect,
                  .OrthoWhileMoving = false,
                  .EditsInPlace = true,
                  .Ops = FamilyOps<TTxOle>()});
}

// ---- the picture dialog's model

namespace {

// The image's height over its width, or 0 without an image.
double AspectOf(const TCustomTxPicture& P) {
  if (!P.FPicture || !P.FPicture->HasGraphic()) return 0;
  return double(P.FPicture->Height()) / double(P.FPicture->Width());
}

}  // namespace

TPictureProperties GetPictureProperties(const TCustomTxPicture& Picture) {
  TPictureProperties p;
  std::vector<std::string> path;
  Picture.GetIndexPath(path);
  p.Ident = path.back();
  Tpt u;
  Picture.TransUserPt(Picture.FYd, u);
  p.X = Format("%1.3f", u.x);
  p.Y = Format("%1.3f", u.y);
  p.Length = Format("%1.3f", Picture.TransUserV(Picture.GetScale() * Picture.FWidth));
  p.Width = Format("%1.3f", Picture.TransUserV(Picture.GetScale() * Picture.FHeight));
  p.KeepOriginalSize = !Picture.FStretch;
  p.KeepAspect = Picture.FSameScale;
  p.LayerIndex = Picture.GetLayerIndex();
  return p;
}

void SetPictureProperties(TCustomTxPicture& Picture, const TPictureProperties& Props) {
  Picture.Invalidate();
  {
    TChangingGuard guard(Picture);
    [&] {
      Tpt u, yd;
      double l = 0, w = 0;
      if (!ParseFloat(Props.X, u.x) || !ParseFloat(Props.Y, u.y)) return;
      Picture.TransSysPt(u, yd);
      Picture.FYd = yd;
      // A size of zero or less would leave nothing to see or to grab.
      if (!ParseFloat(Props.Length, l) || !(l > 0)) return;
      Picture.FWidth = Picture.TransSysV(l) / Picture.GetScale();
      if (!ParseFloat(Props.Width, w) || !(w > 0)) return;
      Picture.FHeight = Picture.TransSysV(w) / Picture.GetScale();
      Picture.FSameScale = Props.KeepAspect;
      Picture.SetStretch(!Props.KeepOriginalSize);
      if (Picture.FParent)
        Picture.FParent->ExchangeFigureLayer(&Picture, Picture.GetLayerIndex(), Props.LayerIndex);
    }();
  }
  Picture.Modified();
}

std::string PictureWidthForLength(const TCustomTxPicture& Picture, const std::string& Length) {
  double l = 0;
  const double a = AspectOf(Picture);
  if (!(a > 0) || !ParseFloat(Length, l)) return {};
  return Format("%1.3f", l * a);
}

std::string PictureLengthForWidth(const TCustomTxPicture& Picture, const std::string& Width) {
  double w = 0;
  const double a = AspectOf(Picture);
  if (!(a > 0) || !ParseFloat(Width, w)) return {};
  return Format("%1.3f", w / a);
}
