// Devices behind the canvas (bitmaps, printers), colours, and the message
// helper.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>

#include "CanvasTestUtil.h"
#include "platform/System.h"

namespace {
// Lines, hatches, a wide path and rotated Chinese on one sheet: used by the
// printer test and written as a PNG for a person to look at.
void DrawSample(TCanvas& c, int height) {
  SetViewMapping(c, height);
  c.SelectPen(CreatePen(psDash, 1, RGB(0, 0, 160)));
  c.MoveToEx(10, 10);
  c.LineTo(390, 10);
  c.SelectPen(GeometricPen(TPen{RGB(200, 0, 0), pmCopy, psSolid, 6}));
  c.SelectBrush(CreateHatchBrush(bsDiagCross, RGB(0, 120, 0)));
  const TPoint outline[] = {{20, 40}, {180, 40}, {180, 140}, {100, 190}, {20, 140}};
  c.BeginPath();
  c.Polygon(outline, 5);
  c.EndPath();
  c.StrokeAndFillPath();
  c.SelectBrush(CreateHatchBrush(bsFDiagonal, clBlack));
  c.SelectPen(CreatePen(psSolid, 1, clBlack));
  c.Ellipse(220, 40, 380, 140);
  c.SetBkMode(TRANSPARENT);
  c.SetTextColor(RGB(0, 0, 200));
  TLogFont f;
  f.Height = 22;
  c.SelectFont(f);
  c.TextOut(30, 270, "平面图 宋体 Site plan");
  f.Escapement = f.Orientation = -300;  // along a 30 degree line
  c.SelectFont(f);
  c.TextOut(200, 170, "塔吊半径 30°");
  f.Escapement = f.Orientation = -900;
  c.SelectFont(f);
  c.TextOut(360, 60, "竖排文字");
}
}  // namespace

TEST(Colors, ColorRefIsBlueGreenRedLowToHigh) {
  EXPECT_EQ(RGB(0x12, 0x34, 0x56), 0x00563412u);
  EXPECT_EQ(ColorRefToQColor(0x00563412u), QColor(0x12, 0x34, 0x56));
  EXPECT_EQ(QColorToColorRef(QColor(0x12, 0x34, 0x56)), 0x00563412u);
  // Grid pens store 0xE8E4E8: red E8, green E4, blue E8.
  EXPECT_EQ(ColorRefToQColor(15262952), QColor(0xE8, 0xE4, 0xE8));
  // System colours (top bit set) resolve to the desktop scheme.
  EXPECT_EQ(ColorRefToQColor(0x80000005u), QColor(Qt::white));  // window
  EXPECT_EQ(ColorRefToQColor(0xFF00000Fu), QColor(192, 192, 192));  // button face
  Sheet s(4, 4);
  s->FillRect(TRect{0, 0, 4, 4}, CreateSolidBrush(RGB(0x12, 0x34, 0x56)));
  EXPECT_EQ(QColor(s.Image().pixel(1, 1)), QColor(0x12, 0x34, 0x56));
}

TEST(Devices, BitmapCanvasReportsAScreenCompatibleDevice) {
  Sheet s(30, 20);
  EXPECT_EQ(s->GetDeviceCaps(TECHNOLOGY), DT_RASDISPLAY);
  EXPECT_EQ(s->GetDeviceCaps(LOGPIXELSY), ScreenLogPixels);
  EXPECT_EQ(s->GetDeviceCaps(HORZRES), 30);
  EXPECT_EQ(s->GetDeviceCaps(VERTRES), 20);
  EXPECT_GT(ScreenLogPixels, 0);
}

TEST(Devices, PrinterTargetWritesANonEmptyPdf) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString file = dir.filePath("sheet.pdf");
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(file);
  {
    TQtCanvas canvas(&printer, DT_RASPRINTER);
    EXPECT_EQ(canvas.GetDeviceCaps(TECHNOLOGY), DT_RASPRINTER);
    EXPECT_EQ(canvas.GetDeviceCaps(LOGPIXELSX), printer.resolution());
    EXPECT_GT(canvas.GetDeviceCaps(PHYSICALWIDTH), canvas.GetDeviceCaps(HORZRES) / 2);
    // Screen-sized logical units on a printer page, as printing maps them.
    canvas.SetMapMode(MM_ANISOTROPIC);
    const int ppi = canvas.GetDeviceCaps(LOGPIXELSX);
    DrawSample(canvas, 300);
    canvas.SetWindowExtEx(96, 96);
    canvas.SetViewportExtEx(ppi, -ppi);
    canvas.SetWindowOrgEx(0, 300);
    DrawSample(canvas, 300);
    EXPECT_TRUE(canvas.NewPage());
    canvas.TextOut(10, 10, "第二页");
    canvas.Finish();
  }
  QFile pdf(file);
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  const QByteArray bytes = pdf.readAll();
  EXPECT_TRUE(bytes.startsWith("%PDF"));
  EXPECT_GT(bytes.size(), 4000);
  EXPECT_TRUE(bytes.contains("/FontFile")) << "the CJK font is embedded";
  EXPECT_TRUE(bytes.contains("/Count 2")) << "two pages";
}

TEST(Devices, SampleSheetRendersEveryKindOfInk) {
  Sheet s(400, 300);
  DrawSample(*s, 300);
  const QString png = QDir::tempPath() + "/plandeck_platform_sample.png";
  EXPECT_TRUE(s.Image().save(png));
  EXPECT_EQ(s.At(12, 290), RGB(0, 0, 160)) << "dashed line at logical y 10";
  EXPECT_EQ(s.At(100, 260), RGB(200, 0, 0)) << "outline edge at logical y 40";
  EXPECT_EQ(s.At(100, 257), RGB(200, 0, 0)) << "six units wide";
  EXPECT_EQ(s.At(100, 262), RGB(200, 0, 0));
  EXPECT_NE(s.At(100, 263), RGB(200, 0, 0));
  int blue = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 20; x < 300; ++x) blue += QColor(s.Image().pixel(x, y)).blue() > 150 && QColor(s.Image().pixel(x, y)).red() < 120;
  EXPECT_GT(blue, 100) << "the title text";
}

TEST(Messages, ConfirmAsksOkCancelAndIsTrueOnlyOnOk) {
  {
    TScopedMessageAnswer answer(mrOk);
    EXPECT_TRUE(Confirm("真的要删除这3个图形?"));
    ASSERT_EQ(answer.Asked().size(), 1u);
    EXPECT_EQ(answer.Asked()[0].Text, "真的要删除这3个图形?");
    EXPECT_EQ(answer.Asked()[0].Buttons, TMsgDlgButtons(mbOK | mbCancel));
    EXPECT_EQ(answer.Asked()[0].Type, mtConfirmation);
  }
  {
    TScopedMessageAnswer answer(mrCancel);
    EXPECT_FALSE(Confirm("删除?"));
    ShowMessage("只有封闭图形才能执行该操作！");
    ASSERT_EQ(answer.Asked().size(), 2u);
    EXPECT_EQ(answer.Asked()[1].Buttons, TMsgDlgButtons(mbOK));
  }
}

TEST(Messages, NestedAnswerHooksRestoreTheOuterOne) {
  TScopedMessageAnswer outer(mrOk);
  {
    TScopedMessageAnswer inner(mrCancel);
    EXPECT_FALSE(Confirm("a"));
  }
  EXPECT_TRUE(Confirm("b"));
  EXPECT_EQ(outer.Asked().size(), 1u);
}
