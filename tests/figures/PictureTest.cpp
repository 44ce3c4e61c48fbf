// The picture and the embedded-object figures: saved values and the picture
// stream against bytes written out by hand, drawings read and written again
// byte for byte, painting the right way up, handles, snapping, placing, the
// dialog's model, and object blocks kept as they were or dropped when damaged.

#include <gtest/gtest.h>

#include "../foundation/TestBytes.h"
#include "FigureTestSupport.h"
#include "figures/CodeVersion.h"
#include "figures/Pictures.h"
#include "foundation/ComponentImage.h"
#include "foundation/StreamError.h"
#include "foundation/Streams.h"
#include "platform/ImageFiles.h"
#include "platform/System.h"

#include <QTemporaryDir>

#include <fstream>
#include <iterator>

namespace {

using Ext = std::initializer_list<int>;
const Ext X0 = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const Ext X1 = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
const Ext X2 = {0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0x40};
const Ext X3 = {0, 0, 0, 0, 0, 0, 0, 0xC0, 0x00, 0x40};
const Ext X4 = {0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0x40};
const Ext X1000 = {0, 0, 0, 0, 0, 0, 0, 0xFA, 0x08, 0x40};

void F(ByteBuilder& b, Ext e) {
  b({0x05});
  b(e);
}

constexpr int True = 0x09, False = 0x08;

// No caption, scale 1, angle 0, no name, black solid copy pen of width 1,
// white clear brush, no fill item.
void DefaultFigureValues(ByteBuilder& b) {
  b({0x06, 0x00});
  F(b, X1);
  F(b, X0);
  b({0x06, 0x00});
  b({0x02, 0x00, 0x04, 0x00, 0x02, 0x01});
  b({0x04, 0xFF, 0xFF, 0xFF, 0x00, 0x01, 0x08});
}

// 2 x 2 pixels: red, lime on the top row; blue, white below.
const Bytes kGif = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x02, 0x00, 0x02, 0x00, 0xf1, 0x03, 0x00,
                    0xff, 0x00, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0xff, 0xff, 0xff, 0xff, 0x21,
                    0xf9, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x02,
                    0x00, 0x02, 0x00, 0x00, 0x02, 0x03, 0x44, 0x34, 0x05, 0x00, 0x3b};
const Bytes kBmp = {'B', 'M', 0x46, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0, 0x28, 0, 0, 0, 2, 0, 0, 0, 2, 0,
                    0,   0,   1,    0, 0x18, 0, 0, 0, 0, 0, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                    0,   0,   0,    0, 0, 0, 0xff, 0, 0, 0xff, 0xff, 0xff, 0, 0, 0, 0, 0xff, 0, 0xff, 0, 0, 0};

// A 16 x 8 JPEG, red above blue, made with the program's own writer.
Bytes TinyJpeg() {
  QTemporaryDir dir;
  const std::string name = dir.filePath("t.jpg").toStdString();
  TBitmap src(16, 8, RGB(220, 0, 0));
  for (int x = 0; x < 16; ++x)
    for (int y = 4; y < 8; ++y) src.SetPixel(x, y, RGB(0, 0, 220));
  SaveBitmapAsJPEG(name, src, 95);
  std::ifstream in(name, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Picture stream: little-endian tag, count, the bytes.
Bytes StreamOf(std::uint32_t Tag, const Bytes& Data) {
  Bytes b;
  for (std::uint32_t v : {Tag, std::uint32_t(Data.size())})
    for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(v >> (8 * i)));
  b.insert(b.end(), Data.begin(), Data.end());
  return b;
}

Bytes StreamBytes(TCustomFigure& F) {
  TMemoryStream s;
  F.WriteStream(s);
  return s.Data();
}

std::unique_ptr<TPicture> PictureOf(TGraphicKind Kind, const Bytes& Data) {
  auto p = std::make_unique<TPicture>();
  p->SetGraphic(std::make_unique<TGraphic>(Kind, Data));
  return p;
}

// A picture at (x, y), w x h, holding the graphic.
std::unique_ptr<TTxPicture> Picture(Tpt Yd, double W, double H, TGraphicKind Kind = TGraphicKind::Gif,
                                    const Bytes& Data = kGif) {
  auto p = std::make_unique<TTxPicture>();
  p->FYd = Yd;
  p->FWidth = W;
  p->FHeight = H;
  p->FPicture = PictureOf(Kind, Data);
  return p;
}

// "BDOC", the aspect, the count, the storage.
void OleBlock(ByteBuilder& b, const Bytes& Storage, const char* Signature = "BDOC") {
  b(Signature);
  b({1, 0, 0, 0});
  const auto n = std::uint32_t(Storage.size());
  b({int(n & 0xFF), int((n >> 8) & 0xFF), int((n >> 16) & 0xFF), int(n >> 24)});
  b.b.insert(b.b.end(), Storage.begin(), Storage.end());
}

template <class T>
std::size_t ReadAll(T& f, const Bytes& bytes) {
  TReader r(bytes);
  f.ReadData(r);
  return r.Remaining();
}

void PaintFigure(TCustomFigure& f, Sheet& s) {
  SetViewMapping(*s, s.bitmap.Height());
  f.DrawDC(*s, nullptr, TRect{});
}

struct RegisterOnce {
  RegisterOnce() {
    RegisterFigureClasses();
    RegisterFigureTestClasses();
  }
};

}  // namespace

// ---- saved values

TEST(PictureValues, FollowTheFigureValuesInOrder) {
  TTxPicture p;
  EXPECT_EQ(p.FClassNameDescription, "图片");
  p.FYd = {1, 2};
  p.FWidth = 3;
  p.FHeight = 4;
  p.FSameScale = true;
  ByteBuilder b;
  DefaultFigureValues(b);
  F(b, X1);
  F(b, X2);
  F(b, X3);
  F(b, X4);
  b({True, True});
  EXPECT_EQ(Written([&](TWriter& w) { p.WriteData(w); }), b.b);

  TTxPicture back;
  EXPECT_EQ(ReadAll(back, b.b), 0u);
  EXPECT_EQ(back.FYd.x, 1);
  EXPECT_EQ(back.FYd.y, 2);
  EXPECT_EQ(back.FWidth, 3);
  EXPECT_EQ(back.FHeight, 4);
  EXPECT_TRUE(back.FStretch);
  EXPECT_TRUE(back.FSameScale);
}

TEST(PictureValues, VersionOneCarriesAnExtraFlagAndVersionThreeNoKeepAspect) {
  ByteBuilder v1;
  DefaultFigureValues(v1);
  F(v1, X1000);
  F(v1, X1000);
  F(v1, X1000);
  F(v1, X1000);
  v1({True, False});  // the old flag, then resizable
  TTxPicture a;
  a.FSameScale = true;
  {
    TOldCodeVersionGuard version(1);
    EXPECT_EQ(ReadAll(a, v1.b), 0u);
  }
  EXPECT_FALSE(a.FStretch);
  EXPECT_FALSE(a.FSameScale) << "files before version 4 have no keep-aspect flag";

  ByteBuilder v3;
  DefaultFigureValues(v3);
  F(v3, X0);
  F(v3, X0);
  F(v3, X1000);
  F(v3, X1000);
  v3({True});
  TTxPicture c;
  c.FSameScale = true;
  {
    TOldCodeVersionGuard version(3);
    EXPECT_EQ(ReadAll(c, v3.b), 0u);
  }
  EXPECT_TRUE(c.FStretch);
  EXPECT_FALSE(c.FSameScale);
}

TEST(PictureStream, EachKindWritesItsTagCountAndOwnBytes) {
  const Bytes jpeg = TinyJpeg();
  const struct {
    TGraphicKind Kind;
    std::uint32_t Tag;
    Bytes Data;
  } cases[] = {{TGraphicKind::Gif, 0x004F2E0C, kGif},
               {TGraphicKind::Bitmap, 0x0041B878, kBmp},
               {TGraphicKind::Jpeg, 0x004DC6DC, jpeg}};
  for (const auto& c : cases) {
    auto p = Picture({0, 0}, 10, 10, c.Kind, c.Data);
    const Bytes expected = StreamOf(c.Tag, c.Data);
    EXPECT_EQ(StreamBytes(*p), expected);
    ASSERT_EQ(expected[0], c.Tag & 0xFF);  // little-endian, written out by hand above

    TTxPicture back;
    TMemoryStream in(expected);
    back.ReadStream(in);
    EXPECT_EQ(in.Position(), expected.size());
    ASSERT_TRUE(back.FPicture && back.FPicture->Graphic());
    EXPECT_EQ(back.FPicture->Graphic()->Kind(), c.Kind);
    EXPECT_EQ(StreamBytes(back), expected) << "read and written again byte for byte";
  }
  EXPECT_EQ(StreamOf(0x004F2E0C, {}), (Bytes{0x0C, 0x2E, 0x4F, 0x00, 0, 0, 0, 0}));
}

TEST(PictureStream, AnUnknownTagOrDamagedImageFailsTheRead) {
  TTxPicture p;
  TMemoryStream unknown(StreamOf(0x00ABCDEF, kGif));
  EXPECT_EQ(ErrorOf([&] { p.ReadStream(unknown); }), "Invalid stream format");
  TMemoryStream damaged(StreamOf(0x004F2E0C, Bytes(kGif.begin(), kGif.begin() + 20)));
  EXPECT_EQ(ErrorOf([&] { p.ReadStream(damaged); }), "Invalid stream format");
  Bytes cut = StreamOf(0x004F2E0C, kGif);
  cut.resize(cut.size() - 10);
  TMemoryStream shortStream(cut);
  EXPECT_EQ(ErrorOf([&] { p.ReadStream(shortStream); }), "Invalid stream format");
}

TEST(PictureStream, NoImageWritesNoBytesAndReadsBackWithoutTakingTheNextObjects) {
  TTxPicture empty;
  EXPECT_TRUE(StreamBytes(empty).empty());
  // What follows is the next layer's item count: it stays for its owner.
  TMemoryStream next(Bytes{1, 0, 0, 0});
  empty.ReadStream(next);
  EXPECT_EQ(next.Position(), 0u);
  EXPECT_FALSE(empty.FPicture && empty.FPicture->Graphic());
  TMemoryStream none;
  empty.ReadStream(none);
}

TEST(PictureStream, ADrawingWithPicturesIsWrittenAgainByteForByte) {
  static RegisterOnce registered;
  TTxFigureSet root;
  root.FWidth = 100;
  root.FHeight = 100;
  std::string second;
  // Figures go in at the front: the picture without an image ends the
  // layer, and the next layer's count follows its (absent) bytes.
  root.InsertFigure(std::make_unique<TTxPicture>());
  root.InsertFigure(Picture({10, 10}, 20, 20, TGraphicKind::Bitmap, kBmp));
  root.InsertFigure(Picture({40, 10}, 20, 20));
  root.AddLayer(second);
  root.LayerList(1)->Add(Picture({0, 0}, 5, 5, TGraphicKind::Jpeg, TinyJpeg()));
  const Bytes image = WriteComponentImage(root);
  TTxFigureSet back;
  ReadComponentImage(image, back);
  ASSERT_EQ(back.LayerList(0)->Count(), 3);
  auto* none = dynamic_cast<TTxPicture*>(back.LayerList(0)->Figures(2));
  auto* bmp = dynamic_cast<TTxPicture*>(back.LayerList(0)->Figures(1));
  ASSERT_TRUE(none && bmp);
  EXPECT_FALSE(none->FPicture && none->FPicture->Graphic());
  ASSERT_TRUE(bmp->FPicture && bmp->FPicture->Graphic());
  EXPECT_EQ(bmp->FPicture->Graphic()->Bytes(), kBmp);
  ASSERT_EQ(back.LayerList(1)->Count(), 1);
  EXPECT_EQ(WriteComponentImage(back), image);
}

// ---- painting

TEST(PicturePainting, BitmapAndGifOfTheSamePixelsAppearTheSameWayUp) {
  for (auto [kind, data] : {std::pair{TGraphicKind::Bitmap, kBmp}, std::pair{TGraphicKind::Gif, kGif}}) {
    auto p = Picture({10, 10}, 20, 20, kind, data);
    p->FPen.Style = psClear;
    Sheet s(40, 40);
    PaintFigure(*p, s);
    // Logical y up: the picture's top half is rows 10..19 of the sheet.
    EXPECT_EQ(s.At(14, 14), RGB(255, 0, 0)) << int(kind);
    EXPECT_EQ(s.At(25, 14), RGB(0, 255, 0)) << int(kind);
    EXPECT_EQ(s.At(14, 25), RGB(0, 0, 255)) << int(kind);
  }
  auto j = Picture({0, 0}, 16, 8, TGraphicKind::Jpeg, TinyJpeg());
  j->FPen.Style = psClear;
  Sheet s(16, 8);
  PaintFigure(*j, s);
  EXPECT_GT(GetRValue(s.At(8, 1)), 150);
  EXPECT_GT(GetBValue(s.At(8, 6)), 150);
}

TEST(PicturePainting, WithoutAnImageOnlyTheFrameIsDrawn) {
  TTxPicture p;
  p.FYd = {5, 5};
  p.FWidth = 20;
  p.FHeight = 10;
  Sheet s(40, 40);
  PaintFigure(p, s);
  EXPECT_TRUE(s.Ink(5, 40 - 10));
  EXPECT_FALSE(s.Ink(15, 40 - 10));
  p.FPen.Style = psClear;
  Sheet clear(40, 40);
  PaintFigure(p, clear);
  EXPECT_EQ(clear.InkCount(), 0);
}

// ---- geometry

TEST(PictureGeometry, HitTestIsTheRectangleWithItsEdges) {
  auto p = Picture({10, 20}, 30, 40);
  p->FScale = 0.5;
  EXPECT_TRUE(p->Selected({10, 20}, 1));
  EXPECT_TRUE(p->Selected({25, 40}, 1));
  EXPECT_FALSE(p->Selected({25.5, 30}, 1));
  EXPECT_FALSE(p->Selected({9.5, 30}, 1));
}

TEST(PictureGeometry, EightHandlesCounterClockwiseFromTheOrigin) {
  auto p = Picture({10, 20}, 30, 40);
  const TPoint expected[8] = {{10, 20}, {25, 20}, {40, 20}, {40, 40}, {40, 60}, {25, 60}, {10, 60}, {10, 40}};
  EXPECT_EQ(p->GetHandleCount(), 8);
  for (int i = 1; i <= 8; ++i) {
    TPoint h{};
    p->GetHandle(i, h);
    EXPECT_EQ(h.x, expected[i - 1].x) << i;
    EXPECT_EQ(h.y, expected[i - 1].y) << i;
  }
}

TEST(PictureGeometry, KeepAspectDragKeepsTheCentre) {
  for (int handle : {1, 2, 3, 5, 6, 8}) {
    auto p = Picture({0, 0}, 100, 50);
    p->FSameScale = true;
    p->MoveHandleTo(handle, handle == 2 || handle == 6 ? TPoint{50, 75} : TPoint{150, 10});
    EXPECT_DOUBLE_EQ(p->FScale, 2) << handle;
    EXPECT_DOUBLE_EQ(p->FYd.x + p->FScale * p->FWidth / 2, 50) << handle;
    EXPECT_DOUBLE_EQ(p->FYd.y + p->FScale * p->FHeight / 2, 25) << handle;
  }
  // Dropped on the centre the picture would vanish: nothing changes.
  auto p = Picture({0, 0}, 100, 50);
  p->FSameScale = true;
  p->MoveHandleTo(3, TPoint{50, 25});
  EXPECT_EQ(p->FScale, 1);
}

TEST(PictureGeometry, EdgesMoveOnlyWhileTheSizeStaysPositive) {
  auto p = Picture({10, 10}, 100, 50);
  p->MoveHandleTo(4, TPoint{0, 30});  // right edge left of the origin
  EXPECT_EQ(p->FWidth, 100);
  p->MoveHandleTo(5, TPoint{60, 0});  // corner: height would go negative
  EXPECT_EQ(p->FWidth, 100);
  EXPECT_EQ(p->FHeight, 50);
  p->MoveHandleTo(4, TPoint{60, 30});
  EXPECT_EQ(p->FWidth, 50);
  p->MoveHandleTo(1, TPoint{20, 30});  // left and bottom move the origin
  EXPECT_EQ(p->FYd.x, 20);
  EXPECT_EQ(p->FYd.y, 30);
  EXPECT_EQ(p->FWidth, 40);
  EXPECT_EQ(p->FHeight, 30);
  p->FStretch = false;
  p->MoveHandleTo(5, TPoint{200, 200});
  EXPECT_EQ(p->FWidth, 40) << "not resizable: handles do nothing";
}

TEST(PictureGeometry, SnapsToCornersThenTheListedMidPointsThenEdges) {
  auto p = Picture({0, 0}, 100, 50);
  Tpt at;
  TPointLx kind = plNone;
  const TPointLxSet all = PointLxBit(plEndPoint) | PointLxBit(plMidPoint) | PointLxBit(plNearest);
  ASSERT_TRUE(p->GetCapturePoint(at, kind, nullptr, TPoint{99, 51}, all));
  EXPECT_EQ(kind, plEndPoint);
  EXPECT_EQ(at.x, 100);
  ASSERT_TRUE(p->GetCapturePoint(at, kind, nullptr, TPoint{50, 26}, PointLxBit(plMidPoint)));
  EXPECT_EQ(kind, plMidPoint);
  EXPECT_EQ(at.y, 25) << "the centre";
  ASSERT_TRUE(p->GetCapturePoint(at, kind, nullptr, TPoint{1, 1}, PointLxBit(plMidPoint)));
  EXPECT_EQ(kind, plMidPoint) << "the origin corner is a mid-point candidate";
  EXPECT_FALSE(p->GetCapturePoint(at, kind, nullptr, TPoint{100, 25}, PointLxBit(plMidPoint)))
      << "the right edge's midpoint is not";
  ASSERT_TRUE(p->GetCapturePoint(at, kind, nullptr, TPoint{102, 25}, all));
  EXPECT_EQ(kind, plNearest);
  EXPECT_EQ(at.x, 100);
  p->FPen.Style = psClear;
  EXPECT_FALSE(p->GetCapturePoint(at, kind, nullptr, TPoint{99, 51}, all));
}

TEST(PictureGeometry, MirrorAndExplodeMoveTheOrigin) {
  auto p = Picture({10, 0}, 10, 10);
  p->FigureMirror(TBx{{0, 0}, {0, 1}});
  EXPECT_DOUBLE_EQ(p->FYd.x, -10);
  EXPECT_DOUBLE_EQ(p->FXzJd, 90);
  auto q = Picture({10, 0}, 10, 10);
  TTestSet set;
  set.FYd = {100, 100};
  set.FScale = 2;
  set.FXzJd = 90;
  q->Explode(set);
  EXPECT_NEAR(q->FYd.x, 100, 1e-9);
  EXPECT_NEAR(q->FYd.y, 120, 1e-9);
  EXPECT_EQ(q->FScale, 2);
}

// ---- placing

TEST(PicturePlacing, TwoPointsTakeThePendingPicture) {
  MyPicture = PictureOf(TGraphicKind::Gif, kGif);
  TTxPicture p;
  const Tpt one[] = {{0, 0}};
  EXPECT_FALSE(p.CreateByRefPoint(one));
  EXPECT_TRUE(MyPicture) << "refused: the pending picture stays";
  const Tpt two[] = {{50, 40}, {10, 20}};
  EXPECT_TRUE(p.CreateByRefPoint(two));
  EXPECT_FALSE(MyPicture);
  ASSERT_TRUE(p.FPicture && p.FPicture->Graphic());
  EXPECT_EQ(p.FYd.x, 10);
  EXPECT_EQ(p.FYd.y, 20);
  EXPECT_EQ(p.FWidth, 40);
  EXPECT_EQ(p.FHeight, 20);
}

TEST(PicturePlacing, FromAPictureAndLogicalRectangleAndBackToPixelSize) {
  TTxPicture p;
  p.CreateFromPicture(*PictureOf(TGraphicKind::Bitmap, kBmp), TRect{30, 20, 10, 60});
  EXPECT_EQ(p.FYd.x, 10);
  EXPECT_EQ(p.FYd.y, 20);
  EXPECT_EQ(p.FWidth, 20);
  EXPECT_EQ(p.FHeight, 40);
  p.FScale = 2;
  p.SetStretch(false);
  EXPECT_FALSE(p.FStretch);
  EXPECT_EQ(p.FWidth, 1) << "2 pixels at scale 2";
  EXPECT_EQ(p.FHeight, 1);
}

TEST(PicturePlacing, CloneCopiesTheImage) {
  auto p = Picture({1, 2}, 3, 4);
  p->FSameScale = true;
  auto c = p->Clone();
  auto* q = dynamic_cast<TTxPicture*>(c.get());
  ASSERT_TRUE(q);
  EXPECT_NE(q->FPicture.get(), p->FPicture.get());
  EXPECT_EQ(StreamBytes(*q), StreamBytes(*p));
  EXPECT_TRUE(q->FSameScale);
  EXPECT_EQ(q->FWidth, 3);
}

// ---- dialog model

TEST(PictureDialogModel, ShowsUserValuesAndStopsAtTheFirstBadField) {
  auto p = Picture({10, 20}, 100, 50);
  p->FScale = 2;
  const TPictureProperties shown = GetPictureProperties(*p);
  EXPECT_EQ(shown.X, "10.000");
  EXPECT_EQ(shown.Length, "200.000");
  EXPECT_EQ(shown.Width, "100.000");
  EXPECT_EQ(shown.Ident.front(), '$');
  EXPECT_EQ(shown.Ident.size(), 9u);
  TPictureProperties props = shown;
  props.X = "5";
  props.Length = "x";
  props.Width = "300";
  props.KeepAspect = true;
  SetPictureProperties(*p, props);
  EXPECT_EQ(p->FYd.x, 5);
  EXPECT_EQ(p->FWidth, 100);
  EXPECT_EQ(p->FHeight, 50) << "after the bad field nothing changes";
  EXPECT_FALSE(p->FSameScale);
  props.Length = "400";
  SetPictureProperties(*p, props);
  EXPECT_EQ(p->FWidth, 200);
  EXPECT_EQ(p->FHeight, 150);
  EXPECT_TRUE(p->FSameScale);
  props.KeepOriginalSize = true;
  SetPictureProperties(*p, props);
  EXPECT_FALSE(p->FStretch);
  EXPECT_EQ(p->FWidth, 1) << "the image's 2 pixels at scale 2";
  // The aspect coupling uses the image's own ratio (2 x 2 here).
  EXPECT_EQ(PictureWidthForLength(*p, "12.5"), "12.500");
  EXPECT_EQ(PictureLengthForWidth(*p, "bad"), "");
  EXPECT_EQ(PictureWidthForLength(TTxPicture(), "1"), "");
}

// ---- embedded objects

TEST(OleValues, AnObjectBlockIsKeptByteForByte) {
  const Bytes storage = TinyCompoundFile();
  ByteBuilder b;
  DefaultFigureValues(b);
  F(b, X1);
  F(b, X2);
  F(b, X1000);
  F(b, X1000);
  b({True});
  OleBlock(b, storage);
  TTxOle ole;
  EXPECT_EQ(ole.FClassNameDescription, "Ole对象");
  EXPECT_EQ(ReadAll(ole, b.b), 0u);
  ASSERT_TRUE(ole.FLoaded);
  ASSERT_TRUE(ole.FOle);
  EXPECT_EQ(ole.FOle->Storage, storage);
  EXPECT_EQ(Written([&](TWriter& w) { ole.WriteData(w); }), b.b);
  auto copy = ole.Clone();
  EXPECT_EQ(Written([&](TWriter& w) { static_cast<TTxOle&>(*copy).WriteData(w); }), b.b);
}

TEST(OleValues, ADamagedBlockLeavesAnEmptyFigureAndTheRestReads) {
  Bytes garbage = TinyCompoundFile();
  garbage[0] = 'X';
  for (const auto& [signature, storage] : {std::pair{"BDOC", garbage}, std::pair{"XDOC", TinyCompoundFile()}}) {
    ByteBuilder b;
    DefaultFigureValues(b);
    F(b, X1);
    F(b, X2);
    F(b, X3);
    F(b, X4);
    b({True});
    OleBlock(b, storage, signature);
    b({0x02, 0x07});  // what the next reader finds
    TTxOle ole;
    TReader r(b.b);
    ole.ReadData(r);
    EXPECT_FALSE(ole.FLoaded) << signature;
    EXPECT_FALSE(ole.FOle);
    EXPECT_EQ(ole.FHeight, 4);
    EXPECT_EQ(r.ReadInteger(), 7) << "the block is stepped over";
    ByteBuilder empty;
    DefaultFigureValues(empty);
    F(empty, X1);
    F(empty, X2);
    F(empty, X3);
    F(empty, X4);
    empty({False});
    EXPECT_EQ(Written([&](TWriter& w) { ole.WriteData(w); }), empty.b);
  }
}

TEST(OleValues, VersionOneCarriesAFrameByte) {
  ByteBuilder b;
  DefaultFigureValues(b);
  F(b, X0);
  F(b, X0);
  F(b, X1);
  F(b, X1);
  b({0x00, False});  // no frame, no object
  TTxOle ole;
  {
    TOldCodeVersionGuard version(1);
    EXPECT_EQ(ReadAll(ole, b.b), 0u);
  }
  EXPECT_EQ(ole.FPen.Style, psClear);
}

TEST(OleFigure, PaintsItsFrameWithTheCaption) {
  TTxOle ole;
  const Tpt corners[] = {{5, 5}, {95, 35}};
  ASSERT_TRUE(ole.CreateByRefPoint(corners));
  Sheet s(100, 40);
  PaintFigure(ole, s);
  EXPECT_TRUE(s.Ink(5, 40 - 20)) << "left edge";
  EXPECT_TRUE(s.Ink(50, 40 - 35)) << "top edge";
  int inside = 0;
  for (int y = 8; y < 32; ++y)
    for (int x = 8; x < 92; ++x) inside += s.Ink(x, y);
  EXPECT_GT(inside, 20) << "the caption";
  EXPECT_FALSE(ole.DoVerb(0));
}

TEST(OleFigure, TheCaptionKeepsToANarrowFrame) {
  TTxOle ole;
  const Tpt corners[] = {{40, 5}, {50, 35}};  // "Ole对象" is far wider than 10 units
  ASSERT_TRUE(ole.CreateByRefPoint(corners));
  ole.FPen.Style = psClear;
  Sheet s(100, 40);
  PaintFigure(ole, s);
  int inside = 0;
  for (int row = 40 - 35; row <= 40 - 5; ++row)
    for (int x = 40; x <= 50; ++x) inside += s.Ink(x, row);
  EXPECT_GT(inside, 0) << "the caption, clipped";
  EXPECT_EQ(s.InkCount(), inside) << "nothing outside the frame";
}

namespace {

void Le(Bytes& b, std::uint32_t v, int n) {
  for (int i = 0; i < n; ++i) b.push_back(std::uint8_t(v >> (8 * i)));
}

// The presentation stream an object server stores: CF_METAFILEPICT, no
// target device, content aspect, index -1, advise flags, a reserved word,
// the size in 0.01 mm, the data's length, then a WMF without the placeable
// header whose 100 x 100 window a red rectangle fills.
Bytes PresentationStream() {
  Bytes wmf;
  const std::vector<std::vector<int>> records = {
      {0x020B, 0, 0}, {0x020C, 100, 100}, {0x02FC, 0, 0x00FF, 0, 0}, {0x012D, 0}, {0x041B, 100, 100, 0, 0}, {0x0000}};
  std::size_t words = 9;
  for (const auto& r : records) words += 2 + r.size();
  Le(wmf, 1, 2), Le(wmf, 9, 2), Le(wmf, 0x300, 2), Le(wmf, std::uint32_t(words), 4), Le(wmf, 1, 2), Le(wmf, 7, 4), Le(wmf, 0, 2);
  for (const auto& r : records) {
    Le(wmf, std::uint32_t(2 + r.size()), 4);
    for (int w : r) Le(wmf, std::uint32_t(w), 2);
  }
  Bytes s;
  Le(s, 0xFFFFFFFF, 4), Le(s, 3, 4), Le(s, 4, 4), Le(s, 1, 4), Le(s, 0xFFFFFFFF, 4), Le(s, 2, 4), Le(s, 0, 4);
  Le(s, 2646, 4), Le(s, 2646, 4), Le(s, std::uint32_t(wmf.size()), 4);
  s.insert(s.end(), wmf.begin(), wmf.end());
  return s;
}

Bytes StorageWithPresentation() { return CompoundFileWithStream("\002OlePres000", PresentationStream()); }

// An object figure's values at the origin, 1000 x 1000, holding Storage.
ByteBuilder OleValuesWith(const Bytes& Storage) {
  ByteBuilder b;
  DefaultFigureValues(b);
  F(b, X0);
  F(b, X0);
  F(b, X1000);
  F(b, X1000);
  b({True});
  OleBlock(b, Storage);
  return b;
}

}  // namespace

TEST(OleFigure, AStoredMetafilePresentationIsShownInTheFrame) {
  const Bytes storage = StorageWithPresentation();
  const ByteBuilder b = OleValuesWith(storage);
  TTxOle ole;
  EXPECT_EQ(ReadAll(ole, b.b), 0u);
  ASSERT_TRUE(ole.FLoaded);
  ASSERT_TRUE(ole.Presentation());
  EXPECT_EQ(ole.FOle->Storage, storage) << "kept byte for byte";
  EXPECT_EQ(Written([&](TWriter& w) { ole.WriteData(w); }), b.b);

  const Tpt corners[] = {{5, 5}, {95, 35}};
  ASSERT_TRUE(ole.CreateByRefPoint(corners));
  Sheet s(100, 40);
  PaintFigure(ole, s);
  EXPECT_EQ(s.At(50, 20), RGB(255, 0, 0)) << "the presentation, not the caption";
  EXPECT_EQ(s.At(2, 20), clWhite);
  // A copy shows it too.
  auto copy = ole.Clone();
  Sheet c(100, 40);
  PaintFigure(static_cast<TTxOle&>(*copy), c);
  EXPECT_EQ(c.At(50, 20), RGB(255, 0, 0));
}

TEST(OleFigure, DoubleClickSaysEmbeddedObjectsCannotBeEditedHere) {
  TTxOle ole;
  TScopedMessageAnswer answer(mrOk);
  ole.EditProperties(nullptr);
  ole.OnEditProperties();
  ASSERT_EQ(answer.Asked().size(), 2u);
  EXPECT_EQ(answer.Asked()[0].Text, "本系统不能编辑嵌入对象。");
}

TEST(OleValues, AStorageCutAtAnyByteLoadsOrLeavesAFrameAndNeverCrashes) {
  const Bytes whole = StorageWithPresentation();
  int shown = 0;
  for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
    const ByteBuilder b = OleValuesWith(Bytes(whole.begin(), whole.begin() + std::ptrdiff_t(cut)));
    TTxOle ole;
    EXPECT_EQ(ReadAll(ole, b.b), 0u) << cut;
    const Tpt corners[] = {{5, 5}, {95, 35}};
    ole.CreateByRefPoint(corners);
    Sheet s(100, 40);
    PaintFigure(ole, s);
    shown += ole.Presentation() != nullptr;
  }
  EXPECT_GE(shown, 1) << "the whole storage at least";
}
