#include "TestBytes.h"

#include "foundation/GbkCodec.h"
#include "foundation/StreamError.h"
#include "foundation/ValueStream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>

namespace {

Bytes Written(const std::function<void(TWriter&)>& f) {
  Bytes out;
  TWriter w(out);
  f(w);
  return out;
}


}  // namespace

TEST(ValueWriter, IntegersTakeTheSmallestTag) {
  EXPECT_EQ(Written([](TWriter& w) { w.WriteInteger(127); }), (Bytes{0x02, 0x7F}));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteInteger(-128); }), (Bytes{0x02, 0x80}));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteInteger(128); }), (Bytes{0x03, 0x80, 0x00}));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteInteger(-129); }), (Bytes{0x03, 0x7F, 0xFF}));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteInteger(32767); }), (Bytes{0x03, 0xFF, 0x7F}));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteInteger(32768); }), (Bytes{0x04, 0x00, 0x80, 0x00, 0x00}));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteInteger(-32769); }), (Bytes{0x04, 0xFF, 0x7F, 0xFF, 0xFF}));
}

TEST(ValueWriter, StringsAreGbkWithShortOrLongTag) {
  EXPECT_EQ(Written([](TWriter& w) { w.WriteString("编号"); }), (Bytes{0x06, 0x04, 0xB1, 0xE0, 0xBA, 0xC5}));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteString(""); }), (Bytes{0x06, 0x00}));

  const std::string s255(255, 'a');
  Bytes b255 = Written([&](TWriter& w) { w.WriteString(s255); });
  ASSERT_EQ(b255.size(), 257u);
  EXPECT_EQ(b255[0], 0x06);
  EXPECT_EQ(b255[1], 0xFF);

  const std::string s256(256, 'a');
  Bytes b256 = Written([&](TWriter& w) { w.WriteString(s256); });
  ASSERT_EQ(b256.size(), 261u);
  EXPECT_EQ(Bytes(b256.begin(), b256.begin() + 5), (Bytes{0x0C, 0x00, 0x01, 0x00, 0x00}));

  // 128 Chinese characters are 256 GBK bytes: the length counts bytes, not characters.
  std::string chinese;
  for (int i = 0; i < 128; ++i) chinese += "图";
  EXPECT_EQ(Written([&](TWriter& w) { w.WriteString(chinese); })[0], 0x0C);
}

TEST(ValueWriter, OtherValueKinds) {
  EXPECT_EQ(Written([](TWriter& w) {
              w.WriteBoolean(false);
              w.WriteBoolean(true);
              w.WriteListBegin();
              w.WriteListEnd();
            }),
            (Bytes{0x08, 0x09, 0x01, 0x00}));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteFloat(1.0); }),
            (Bytes{0x05, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
  // Raw blocks carry no tag and no length.
  EXPECT_EQ(Written([](TWriter& w) { w.Write("\x01\x02\x03", 3); }), (Bytes{1, 2, 3}));
}

TEST(ValueWriter, TextNotRepresentableInGbkIsAnErrorNotGarbage) {
  Bytes out;
  TWriter w(out);
  EXPECT_THROW(w.WriteString("crane \xF0\x9F\x9A\x80"), EGbkError);  // an emoji
  EXPECT_THROW(w.WriteString("\xFF\xFE"), EStreamError);                 // not UTF-8 at all
}

TEST(ValueReader, EveryValueKindRoundTrips) {
  const std::string longText = std::string(300, 'x') + "塔吊";
  Bytes data = Written([&](TWriter& w) {
    w.WriteListBegin();
    for (int v : {0, -1, 127, -128, 128, 32767, -32768, 40000, std::numeric_limits<int>::min(),
                  std::numeric_limits<int>::max()})
      w.WriteInteger(v);
    for (double v : {0.0, -0.0, 3.141592653589793, -1e-300, 1e300, 5e-324}) w.WriteFloat(v);
    w.WriteString("宋体");
    w.WriteString(longText);
    w.WriteBoolean(true);
    w.WriteBoolean(false);
    w.Write("\xAA\xBB", 2);
    w.WriteListEnd();
  });
  TReader r(data);
  r.ReadListBegin();
  EXPECT_FALSE(r.EndOfList());
  for (int v : {0, -1, 127, -128, 128, 32767, -32768, 40000, std::numeric_limits<int>::min(),
                std::numeric_limits<int>::max()})
    EXPECT_EQ(r.ReadInteger(), v);
  for (double v : {0.0, -0.0, 3.141592653589793, -1e-300, 1e300, 5e-324}) {
    const double got = r.ReadFloat();
    EXPECT_EQ(got, v);
    EXPECT_EQ(std::signbit(got), std::signbit(v));
  }
  EXPECT_EQ(r.ReadString(), "宋体");
  EXPECT_EQ(r.ReadString(), longText);
  EXPECT_TRUE(r.ReadBoolean());
  EXPECT_FALSE(r.ReadBoolean());
  char raw[2];
  r.Read(raw, 2);
  EXPECT_EQ(raw[0], '\xAA');
  EXPECT_TRUE(r.EndOfList());
  r.ReadListEnd();
  EXPECT_EQ(r.Remaining(), 0u);
}

TEST(ValueReader, ReadBooleanOnAnotherTagIsFalseAndConsumesOneByte) {
  Bytes data{0x02, 0x09, 0x09};
  TReader r(data);
  EXPECT_FALSE(r.ReadBoolean());
  EXPECT_EQ(r.Position(), 1u);  // not at the next value: the payload byte is next
  EXPECT_TRUE(r.ReadBoolean());
}

TEST(ValueReader, ReadFloatAcceptsIntegers) {
  Bytes data{0x03, 0xE8, 0x03, 0x02, 0xFE, 0x04, 0x00, 0x00, 0x01, 0x00};
  TReader r(data);
  EXPECT_EQ(r.ReadFloat(), 1000.0);
  EXPECT_EQ(r.ReadFloat(), -2.0);
  EXPECT_EQ(r.ReadFloat(), 65536.0);
}

TEST(ValueReader, WrongTagsFailWithInvalidPropertyValue) {
  const std::string bad = StreamMsg::InvalidPropertyValue;
  EXPECT_EQ(ErrorOf([] { Bytes d{0x06, 0x00}; TReader(d).ReadInteger(); }), bad);
  EXPECT_EQ(ErrorOf([] { Bytes d{0x05}; TReader(d).ReadInteger(); }), bad);
  EXPECT_EQ(ErrorOf([] { Bytes d{0x06, 0x00}; TReader(d).ReadFloat(); }), bad);
  EXPECT_EQ(ErrorOf([] { Bytes d{0x02, 0x00}; TReader(d).ReadString(); }), bad);
  EXPECT_EQ(ErrorOf([] { Bytes d{0x00}; TReader(d).ReadListBegin(); }), bad);
  EXPECT_EQ(ErrorOf([] { Bytes d{0x01}; TReader(d).ReadListEnd(); }), bad);
}

TEST(ValueReader, NonFiniteFloatsInAFileAreRefused) {
  // Infinity, NaN and an extended too large for a double would poison geometry.
  for (Bytes d : {Bytes{0x05, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F},
                  Bytes{0x05, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x7F},
                  Bytes{0x05, 0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0x70}}) {
    EXPECT_EQ(ErrorOf([&] { TReader(d).ReadFloat(); }), StreamMsg::InvalidPropertyValue);
  }
}

TEST(ValueReader, TruncatedOrOverlongValuesFailCleanly) {
  const std::string fmt = StreamMsg::InvalidStreamFormat;
  EXPECT_EQ(ErrorOf([] { Bytes d{0x04, 0x01, 0x02}; TReader(d).ReadInteger(); }), fmt);
  EXPECT_EQ(ErrorOf([] { Bytes d{0x05, 0, 0, 0}; TReader(d).ReadFloat(); }), fmt);
  EXPECT_EQ(ErrorOf([] { Bytes d{0x06, 0x05, 'a'}; TReader(d).ReadString(); }), fmt);
  // A long string claiming 2 GiB, and one with a negative length.
  EXPECT_EQ(ErrorOf([] { Bytes d{0x0C, 0xFF, 0xFF, 0xFF, 0x7F, 'a'}; TReader(d).ReadString(); }), fmt);
  EXPECT_EQ(ErrorOf([] { Bytes d{0x0C, 0xFF, 0xFF, 0xFF, 0xFF}; TReader(d).ReadString(); }), fmt);
  EXPECT_EQ(ErrorOf([] { Bytes d{0x0A, 0x10, 0x00, 0x00, 0x00, 1}; TReader(d).ReadBinary(); }), fmt);
  EXPECT_EQ(ErrorOf([] { Bytes d; TReader(d).EndOfList(); }), fmt);
  EXPECT_EQ(ErrorOf([] { Bytes d{1, 2}; char b[3]; TReader(d).Read(b, 3); }), fmt);
}

// ---- GBK strings: lossless reading, exact writing

namespace {
std::string Str(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += char(b);
  return s;
}
std::string Esc(int b) { return GbkByteEscape(static_cast<unsigned char>(b)); }
std::string Decoded(std::initializer_list<int> bytes) { return GbkToUtf8(Str(bytes)); }
}  // namespace

TEST(GbkStrings, UserDefinedAreasDecodeAsCodePage936) {
  // The corners of the three user-defined areas.
  EXPECT_EQ(Decoded({0xAA, 0xA1}), "\uE000");
  EXPECT_EQ(Decoded({0xAF, 0xFE}), "\uE233");
  EXPECT_EQ(Decoded({0xF8, 0xA1}), "\uE234");
  EXPECT_EQ(Decoded({0xFE, 0xFE}), "\uE4C5");
  EXPECT_EQ(Decoded({0xA1, 0x40}), "\uE4C6");
  EXPECT_EQ(Decoded({0xA7, 0xA0}), "\uE765");
  EXPECT_EQ(Utf8ToGbk("\uE000\uE234\uE4C6"), Str({0xAA, 0xA1, 0xF8, 0xA1, 0xA1, 0x40}));
  // As a value of a drawing.
  Bytes d{0x06, 0x04, 0xAA, 0xA1, 0xD7, 0xFA};
  EXPECT_EQ(TReader(d).ReadString(), "\uE000\uE810");
}

TEST(GbkStrings, WhatNothingDecodesIsKeptAsEscapes) {
  // 0x80 is the euro sign in code page 936; D7FA is a cell GBK leaves open,
  // which GB18030 gives a private-use character.
  EXPECT_EQ(Decoded({0x80}), "€");
  EXPECT_EQ(Decoded({0xD7, 0xFA}), "\uE810");
  EXPECT_EQ(Decoded({'a', 0x81}), "a" + Esc(0x81));  // ends in a lead byte
  EXPECT_EQ(Decoded({0xFF, 0x81, 0x20}), Esc(0xFF) + Esc(0x81) + " ");
  EXPECT_EQ(Decoded({0x81, 0x30, 0x81, 0x30}), Esc(0x81) + "0" + Esc(0x81) + "0");  // four-byte GB18030
  // GB18030 reads A2E3 as the euro sign, which code page 936 writes as 0x80:
  // decoding it would lose the cell, so it stays as its bytes.
  EXPECT_EQ(Decoded({0xA2, 0xE3}), Esc(0xA2) + Esc(0xE3));
  // The escapes are pairs of noncharacters.
  EXPECT_EQ(Esc(0x80), "\uFDD0\uFDE0");
  EXPECT_EQ(Esc(0xFF), "\uFDD7\uFDEF");
  EXPECT_EQ(Utf8ToGbk("x\uFDD7\uFDEF\uFDD0\uFDE1"), Str({'x', 0xFF, 0x81}));
}

TEST(GbkStrings, EveryTwoByteSequenceSurvivesDecodingAndEncoding) {
  int decodedAsText = 0;
  for (int lead = 0; lead < 256; ++lead) {
    for (int trail = 0; trail < 256; ++trail) {
      const std::string bytes = Str({lead, trail});
      const std::string text = GbkToUtf8(bytes);
      ASSERT_TRUE(HasGbkForm(text)) << lead << " " << trail;
      ASSERT_EQ(Utf8ToGbk(text), bytes) << lead << " " << trail;
      decodedAsText += lead >= 0x81 && text.rfind(Esc(lead), 0) != 0;
    }
  }
  // GB18030 has 126 x 190 two-byte cells; only A2E3 is left to escapes.
  EXPECT_EQ(decodedAsText, 126 * 190 - 1);
}

TEST(GbkStrings, RandomByteStringsSurviveDecodingAndEncoding) {
  std::mt19937 rng(20240611);
  std::uniform_int_distribution<int> len(0, 40), any(0, 255), high(0x80, 0xFF);
  for (int n = 0; n < 20000; ++n) {
    std::string bytes;
    const int l = len(rng);
    for (int i = 0; i < l; ++i) bytes += char(rng() % 4 ? high(rng) : any(rng));
    ASSERT_EQ(Utf8ToGbk(GbkToUtf8(bytes)), bytes) << n;
  }
}

TEST(GbkStrings, ReadingAndWritingAValueKeepsItsBytes) {
  for (Bytes d : {Bytes{0x06, 0x02, 'a', 0x81}, Bytes{0x06, 0x03, 0x80, 0xFF, 0xFE},
                  Bytes{0x06, 0x04, 0xAA, 0xA1, 0xA2, 0xE3}, Bytes{0x06, 0x01, 0x81}}) {
    TReader r(d);
    const std::string text = r.ReadString();
    EXPECT_EQ(Written([&](TWriter& w) { w.WriteString(text); }), d);
  }
}

TEST(GbkStrings, CharactersWithoutATwoByteFormAreRefused) {
  // An emoji; U+30FB, which GB18030 writes only in four bytes; half an escape;
  // an escape's first half followed by something else.
  for (const char* text : {"crane \U0001F680", "\u30FB", "\uFDD3", "\uFDE3", "\uFDD3x"}) {
    std::string offender;
    EXPECT_FALSE(HasGbkForm(text, &offender)) << text;
    EXPECT_FALSE(offender.empty()) << text;
    EXPECT_THROW(Utf8ToGbk(text), EGbkError) << text;
  }
  try {
    Utf8ToGbk("塔吊\U0001F680");
    ADD_FAILURE();
  } catch (const EGbkError& e) {
    EXPECT_EQ(e.Char(), "\U0001F680");
    EXPECT_EQ(std::string(e.what()), "“\U0001F680”没有GBK编码，不能保存在图形文件中。");
    EXPECT_EQ(e.Detail(), "U+1F680 at byte 6");
    EXPECT_EQ(std::string(e.NamedAs("塔吊 $00001234").what()),
              "图形“塔吊 $00001234”中的“\U0001F680”没有GBK编码，不能保存在图形文件中。");
  }
  EXPECT_THROW(Utf8ToGbk("\xFF\xFE"), EGbkError);  // not UTF-8 at all
  EXPECT_THROW(Utf8ToGbk("\xED\xA0\x80"), EGbkError);  // a surrogate
  EXPECT_TRUE(HasGbkForm("塔吊€\uE000"));
}
