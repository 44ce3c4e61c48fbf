#include "platform/Bitmap.h"
#include "platform/Clipboard.h"

#include "foundation/ComponentImage.h"
#include "foundation/ComponentLists.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

TEST(Clipboard, FigureListsRoundTripUnderThePrivateType) {
  RegisterStreamingClasses();
  TCapPersistent a;
  a.FCaption = "塔吊";
  TMyList list;
  list.Add(&a);
  list.FYd = {5, 6};
  SetClipboardComponent(WriteClipboardImage(list));

  ASSERT_TRUE(CheckClipBoard());
  const auto image = GetClipboardComponent();
  ASSERT_TRUE(image);
  auto back = ReadClipboardImage(*image);
  ASSERT_EQ(back->Count(), 1);
  EXPECT_EQ(static_cast<TCapPersistent*>(back->Items(0))->FCaption, "塔吊");
  EXPECT_EQ(back->FYd.y, 6);
}

TEST(Clipboard, ForeignOrDamagedContentDisablesPaste) {
  QGuiApplication::clipboard()->setText("just text");
  EXPECT_FALSE(CheckClipBoard());
  EXPECT_FALSE(GetClipboardComponent());

  // Our type, but not a figure list.
  SetClipboardComponent({'T', 'P', 'F', '0', 1, 'X'});
  EXPECT_FALSE(CheckClipBoard());
}

TEST(Clipboard, PicturesTravelAsStandardImages) {
  TBitmap picture(30, 20, clWhite);
  picture.SetPixel(3, 4, 0x0000FF);  // red in COLORREF order
  SetClipboardPicture(picture);
  EXPECT_FALSE(CheckClipBoard());
  const auto back = GetClipboardPicture();
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Width(), 30);
  EXPECT_EQ(back->Height(), 20);
  EXPECT_EQ(back->Pixel(3, 4), 0x0000FFu);
  EXPECT_EQ(back->Pixel(0, 0), 0xFFFFFFu);
}
