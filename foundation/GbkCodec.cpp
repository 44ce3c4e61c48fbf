#include "foundation/GbkCodec.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <iconv.h>
#include <optional>
#include <unordered_map>
#include <vector>

namespace {

bool IsAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// An undecodable byte b is U+FDD0 + (b >> 4) - 8 followed by U+FDE0 + (b & 15).
constexpr char32_t kEscHigh = 0xFDD0;  // .. U+FDD7
constexpr char32_t kEscLow = 0xFDE0;   // .. U+FDEF

bool IsEscapeChar(char32_t C) { return C >= kEscHigh && C <= kEscLow + 15; }

void AppendUtf8(std::string& Out, char32_t C) {
  if (C < 0x80) {
    Out += char(C);
  } else if (C < 0x800) {
    Out += char(0xC0 | (C >> 6));
    Out += char(0x80 | (C & 0x3F));
  } else if (C < 0x10000) {
    Out += char(0xE0 | (C >> 12));
    Out += char(0x80 | ((C >> 6) & 0x3F));
    Out += char(0x80 | (C & 0x3F));
  } else {
    Out += char(0xF0 | (C >> 18));
    Out += char(0x80 | ((C >> 12) & 0x3F));
    Out += char(0x80 | ((C >> 6) & 0x3F));
    Out += char(0x80 | (C & 0x3F));
  }
}

// The code point at S[At], strictly: no overlong forms, no surrogates. Advances
// At; nullopt (At unchanged) on anything that is not UTF-8.
std::optional<char32_t> NextUtf8(std::string_view S, std::size_t& At) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(S[i]); };
  const unsigned char b0 = byte(At);
  int len;
  char32_t c;
  if (b0 < 0x80) {
    ++At;
    return b0;
  } else if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2, c = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3, c = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4, c = b0 & 0x07;
  } else {
    return std::nullopt;
  }
  if (At + std::size_t(len) > S.size()) return std::nullopt;
  for (int k = 1; k < len; ++k) {
    const unsigned char b = byte(At + std::size_t(k));
    if ((b & 0xC0) != 0x80) return std::nullopt;
    c = (c << 6) | (b & 0x3F);
  }
  static constexpr char32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kMin[len] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
  At += std::size_t(len);
  return c;
}

class TIconv {
public:
  TIconv(const char* To, const char* From) : FCd(iconv_open(To, From)) {}
  ~TIconv() {
    if (Usable()) iconv_close(FCd);
  }
  TIconv(const TIconv&) = delete;
  TIconv& operator=(const TIconv&) = delete;
  bool Usable() const { return FCd != reinterpret_cast<iconv_t>(-1); }

  // The whole of In converted, or nullopt when any of it does not convert.
  std::optional<std::string> Convert(std::string_view In) {
    if (!Usable()) return std::nullopt;
    iconv(FCd, nullptr, nullptr, nullptr, nullptr);
    char buf[32];
    char* inPtr = const_cast<char*>(In.data());
    size_t inLeft = In.size();
    char* outPtr = buf;
    size_t outLeft = sizeof buf;
    if (iconv(FCd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0)
      return std::nullopt;
    if (iconv(FCd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<size_t>(-1)) return std::nullopt;
    return std::string(buf, size_t(outPtr - buf));
  }

private:
  iconv_t FCd;
};

// Both directions as tables, derived once from the C library's converters:
// code page 936 first, GB18030 for the two-byte cells 936 leaves open. A cell
// decodes to a character only when that character's own encoding is exactly
// this cell, so each character has one byte form and every decoded string
// encodes back to its bytes; other cells are left to the escapes.
class TGbkTables {
public:
  TGbkTables() {
    TIconv cpDec("UTF-32LE", "CP936"), gbDec("UTF-32LE", "GB18030");
    TIconv cpEnc("CP936", "UTF-32LE"), gbEnc("GB18030", "UTF-32LE");
    const auto decode = [](TIconv& Cd, std::string_view Bytes) -> char32_t {
      const auto u = Cd.Convert(Bytes);
      if (!u || u->size() != 4) return 0;
      std::uint32_t c;
      std::copy(u->begin(), u->end(), reinterpret_cast<char*>(&c));  // UTF-32LE, little-endian host
      return c < 0x80 || IsEscapeChar(c) ? 0 : c;
    };
    // The one byte form a character is written in: 936's, else GB18030's two bytes.
    const auto form = [&](char32_t C) -> std::string {
      const std::string_view u(reinterpret_cast<const char*>(&C), 4);
      if (auto b = cpEnc.Convert(u); b && (b->size() == 1 || b->size() == 2)) return *b;
      if (auto b = gbEnc.Convert(u); b && b->size() == 2) return *b;
      return {};
    };
    const auto accept = [&](char32_t C, std::string_view Bytes) {
      if (C == 0 || form(C) != Bytes) return false;
      FEncode.emplace(C, Bytes.size() == 1 ? std::uint16_t(std::uint8_t(Bytes[0]))
                                           : std::uint16_t(std::uint8_t(Bytes[0]) << 8 | std::uint8_t(Bytes[1])));
      return true;
    };
    for (unsigned b = 0x80; b <= 0xFF; ++b) {
      const char s[1] = {char(b)};
      const char32_t c = decode(cpDec, {s, 1});
      if (accept(c, {s, 1})) FSingle[b - 0x80] = c;
    }
    FPair.assign(0x8000, 0);
    for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
      for (unsigned trail = 0; trail <= 0xFF; ++trail) {
        const char s[2] = {char(lead), char(trail)};
        char32_t c = decode(cpDec, {s, 2});
        if (c == 0) c = decode(gbDec, {s, 2});
        if (accept(c, {s, 2})) FPair[(lead - 0x80) << 8 | trail] = c;
      }
    }
  }

  char32_t Pair(unsigned char Lead, unsigned char Trail) const { return FPair[std::size_t(Lead - 0x80) << 8 | Trail]; }
  char32_t Single(unsigned char B) const { return FSingle[B - 0x80]; }
  // 0 when C has no byte form; a value below 0x100 is one byte.
  std::uint16_t Encode(char32_t C) const {
    const auto it = FEncode.find(C);
    return it == FEncode.end() ? 0 : it->second;
  }

private:
  std::vector<char32_t> FPair;
  std::array<char32_t, 128> FSingle{};
  std::unordered_map<char32_t, std::uint16_t> FEncode;
};

const TGbkTables& Tables() {
  static const TGbkTables tables;
  return tables;
}

// Encodes Utf8 into Out; on failure returns the offending character's offset
// and length (length 0: not UTF-8).
struct TEncodeFailure {
  std::size_t At = 0;
  std::size_t Length = 0;
};

std::optional<TEncodeFailure> Encode(std::string_view Utf8, std::string& Out) {
  const TGbkTables& t = Tables();
  std::size_t i = 0;
  while (i < Utf8.size()) {
    const std::size_t at = i;
    const auto c = NextUtf8(Utf8, i);
    if (!c) return TEncodeFailure{at, 0};
    if (*c < 0x80) {
      Out += char(*c);
      continue;
    }
    if (*c >= kEscHigh && *c < kEscHigh + 8) {
      std::size_t j = i;
      const auto lo = j < Utf8.size() ? NextUtf8(Utf8, j) : std::nullopt;
      if (lo && *lo >= kEscLow && *lo <= kEscLow + 15) {
        Out += char(0x80 | (*c - kEscHigh) << 4 | (*lo - kEscLow));
        i = j;
        continue;
      }
      return TEncodeFailure{at, i - at};
    }
    const std::uint16_t b = t.Encode(*c);
    if (b == 0) return TEncodeFailure{at, i - at};
    if (b >= 0x100) Out += char(b >> 8);
    Out += char(b & 0xFF);
  }
  return std::nullopt;
}

}  // namespace

std::string GbkByteEscape(unsigned char Byte) {
  std::string s;
  AppendUtf8(s, kEscHigh + ((Byte >> 4) & 7));
  AppendUtf8(s, kEscLow + (Byte & 15));
  return s;
}

std::string GbkToUtf8(std::string_view Gbk) {
  if (IsAscii(Gbk)) return std::string(Gbk);
  const TGbkTables& t = Tables();
  std::string out;
  out.reserve(Gbk.size() * 2);
  for (std::size_t i = 0; i < Gbk.size();) {
    const auto b = static_cast<unsigned char>(Gbk[i]);
    if (b < 0x80) {
      out += char(b);
      ++i;
    } else if (char32_t c = i + 1 < Gbk.size() ? t.Pair(b, static_cast<unsigned char>(Gbk[i + 1])) : 0) {
      AppendUtf8(out, c);
      i += 2;
    } else if ((c = t.Single(b)) != 0) {
      AppendUtf8(out, c);
      ++i;
    } else {
      out += GbkByteEscape(b);
      ++i;
    }
  }
  return out;
}

std::string Utf8ToGbk(std::string_view Utf8) {
  if (IsAscii(Utf8)) return std::string(Utf8);
  std::string out;
  if (const auto failure = Encode(Utf8, out))
    throw EGbkError(std::string(Utf8.substr(failure->At, failure->Length)), failure->At);
  return out;
}

bool HasGbkForm(std::string_view Utf8, std::string* Offender) {
  if (IsAscii(Utf8)) return true;
  std::string out;
  const auto failure = Encode(Utf8, out);
  if (failure && Offender) *Offender = std::string(Utf8.substr(failure->At, failure->Length));
  return !failure;
}

std::string CodePointText(std::string_view Utf8Char) {
  std::size_t at = 0;
  const auto c = Utf8Char.empty() ? std::nullopt : NextUtf8(Utf8Char, at);
  if (!c) return "invalid UTF-8";
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04X", unsigned(*c));
  return buf;
}

std::string GbkRefusalMessage(std::string_view Offender) {
  return "“" + std::string(Offender) + "”没有GBK编码，不能保存在图形文件中。";
}

namespace {
std::string GbkErrorMessage(const std::string& Char, const std::string& Subject) {
  const std::string what = Char.empty() ? std::string("文字不是有效的UTF-8编码，不能保存在图形文件中。")
                                        : GbkRefusalMessage(Char);
  return Subject.empty() ? what : "图形“" + Subject + "”中的" + what;
}
}  // namespace

EGbkError::EGbkError(std::string Char, std::size_t At, std::string Subject)
    : EStreamError(GbkErrorMessage(Char, Subject), CodePointText(Char) + " at byte " + std::to_string(At)),
      FChar(std::move(Char)),
      FAt(At),
      FSubject(std::move(Subject)) {}
