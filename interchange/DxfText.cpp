#include "interchange/DxfText.h"

#include "foundation/GbkCodec.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdint>

#include <iconv.h>

namespace {

void AppendUtf8(std::string& Out, std::uint32_t Cp) {
  if (Cp < 0x80) {
    Out += char(Cp);
  } else if (Cp < 0x800) {
    Out += char(0xC0 | Cp >> 6), Out += char(0x80 | (Cp & 0x3F));
  } else if (Cp < 0x10000) {
    Out += char(0xE0 | Cp >> 12), Out += char(0x80 | (Cp >> 6 & 0x3F)), Out += char(0x80 | (Cp & 0x3F));
  } else {
    Out += char(0xF0 | Cp >> 18), Out += char(0x80 | (Cp >> 12 & 0x3F)), Out += char(0x80 | (Cp >> 6 & 0x3F)),
        Out += char(0x80 | (Cp & 0x3F));
  }
}

bool IsAscii(std::string_view S) {
  for (char c : S)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

std::string Upper(std::string_view S) {
  std::string u(S);
  for (char& c : u) c = char(std::toupper(static_cast<unsigned char>(c)));
  while (!u.empty() && u.back() == ' ') u.pop_back();
  while (!u.empty() && u.front() == ' ') u.erase(0, 1);
  return u;
}

// \U+XXXX escapes and the %% control codes.
std::string Unescape(std::string_view S) {
  if (S.find('\\') == std::string_view::npos && S.find("%%") == std::string_view::npos) return std::string(S);
  std::string out;
  out.reserve(S.size());
  for (std::size_t i = 0; i < S.size();) {
    if (S[i] == '\\' && i + 2 < S.size() && (S[i + 1] == 'U' || S[i + 1] == 'u') && S[i + 2] == '+') {
      std::uint32_t cp = 0;
      std::size_t k = i + 3, n = 0;
      while (k < S.size() && n < 6 && std::isxdigit(static_cast<unsigned char>(S[k]))) {
        cp = cp * 16 + std::uint32_t(std::isdigit(static_cast<unsigned char>(S[k])) ? S[k] - '0' : (S[k] | 0x20) - 'a' + 10);
        ++k, ++n;
      }
      if (n >= 4 && cp != 0 && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF)) {
        AppendUtf8(out, cp);
        i = k;
        continue;
      }
    }
    if (S[i] == '%' && i + 2 < S.size() && S[i + 1] == '%') {
      const char c = char(std::tolower(static_cast<unsigned char>(S[i + 2])));
      const char* rep = c == 'd' ? "\xC2\xB0" : c == 'p' ? "\xC2\xB1" : c == 'c' ? "\xC3\x98" : c == '%' ? "%" : nullptr;
      if (rep) {
        out += rep;
        i += 3;
        continue;
      }
    }
    out += S[i++];
  }
  return out;
}

// GbkToUtf8 keeps a byte it cannot decode as U+FDD0+hi, U+FDE0+lo.
bool HasByteEscapes(std::string_view Utf8) {
  for (std::size_t i = Utf8.find('\xEF'); i != std::string_view::npos && i + 2 < Utf8.size(); i = Utf8.find('\xEF', i + 1))
    if (Utf8[i + 1] == '\xB7' && static_cast<unsigned char>(Utf8[i + 2]) >= 0x90 && static_cast<unsigned char>(Utf8[i + 2]) <= 0xAF)
      return true;
  return false;
}

// Windows 1252; false for its five unassigned bytes.
bool Cp1252ToUtf8(std::string_view Raw, std::string& Out) {
  static constexpr std::uint16_t k80[32] = {0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                                            0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                            0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};
  Out.clear();
  for (char ch : Raw) {
    const auto c = static_cast<unsigned char>(ch);
    const std::uint32_t cp = c < 0x80 || c >= 0xA0 ? c : k80[c - 0x80];
    if (cp == 0) return false;
    AppendUtf8(Out, cp);
  }
  return true;
}

}  // namespace

TDxfTextDecoder::TDxfTextDecoder() = default;

TDxfTextDecoder::~TDxfTextDecoder() {
  if (FIconv) iconv_close(static_cast<iconv_t>(FIconv));
}

void TDxfTextDecoder::SetCodePage(std::string_view DwgCodePage) {
  const std::string u = Upper(DwgCodePage);
  FCodePageGiven = !u.empty();
  if (FIconv) iconv_close(static_cast<iconv_t>(FIconv));
  FIconv = nullptr;
  FKind = TKind::Gbk;
  if (u.empty() || u == "ANSI_936" || u == "GB2312" || u == "GBK") return;
  if (u == "UTF-8" || u == "UTF8" || u == "ANSI_65001") {
    FKind = TKind::Utf8;
    return;
  }
  std::string name;
  if (u.rfind("ANSI_", 0) == 0) name = "CP" + u.substr(5);
  else if (u.rfind("DOS", 0) == 0) name = "CP" + u.substr(3);
  else if (u.rfind("ISO8859-", 0) == 0) name = "ISO-8859-" + u.substr(8);
  else name = u;
  iconv_t cd = iconv_open("UTF-8", name.c_str());
  if (cd == iconv_t(-1)) return;  // unknown: GBK, what such files mostly hold here
  FIconv = cd;
  FIconvName = name;
  FKind = TKind::Iconv;
}

void TDxfTextDecoder::SetVersion(std::string_view AcadVer) {
  const std::string u = Upper(AcadVer);
  // AC1021 (2007) and later store UTF-8 whatever the code page says.
  FUtf8Version = u.size() == 6 && u.rfind("AC", 0) == 0 && u >= "AC1021";
}

std::string TDxfTextDecoder::Encoding() const {
  if (FUtf8Version || FKind == TKind::Utf8) return "UTF-8";
  return FKind == TKind::Iconv ? FIconvName : "GBK";
}

std::string TDxfTextDecoder::Decode(std::string_view Raw) const {
  if (IsAscii(Raw) || FUtf8Version || FKind == TKind::Utf8) return Unescape(Raw);
  if (FKind == TKind::Gbk) {
    std::string out = GbkToUtf8(Raw);
    // Files of European programs often name no code page.
    if (!FCodePageGiven && HasByteEscapes(out)) {
      std::string latin;
      if (Cp1252ToUtf8(Raw, latin)) out = std::move(latin);
    }
    return Unescape(out);
  }
  std::string out;
  iconv_t cd = static_cast<iconv_t>(FIconv);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string in(Raw);
  char* ip = in.data();
  std::size_t il = in.size();
  char buf[512];
  while (il > 0) {
    char* op = buf;
    std::size_t ol = sizeof buf;
    const std::size_t r = iconv(cd, &ip, &il, &op, &ol);
    out.append(buf, std::size_t(op - buf));
    if (r == std::size_t(-1) && errno != E2BIG) {
      // A byte the code page lacks: the replacement character, then go on.
      out += "\xEF\xBF\xBD";
      ++ip, --il;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  return Unescape(out);
}
