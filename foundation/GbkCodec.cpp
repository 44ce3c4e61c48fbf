#include "foundation/GbkCodec.h"

#include "foundation/StreamError.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace {

bool IsAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// One converter per direction and thread, opened on first use: iconv_open is
// far slower than converting a short string.
class TIconv {
public:
  TIconv(const char* To, const char* From) : FCd(iconv_open(To, From)) {}
  ~TIconv() {
    if (FCd != reinterpret_cast<iconv_t>(-1)) iconv_close(FCd);
  }
  TIconv(const TIconv&) = delete;
  TIconv& operator=(const TIconv&) = delete;

  std::string Convert(std::string_view In, const char* What) {
    if (FCd == reinterpret_cast<iconv_t>(-1))
      throw EStreamError(std::string("Text conversion unavailable: ") + What);
    iconv(FCd, nullptr, nullptr, nullptr, nullptr);  // reset shift state
    std::string out(In.size() * 2 + 4, '\0');
    char* inPtr = const_cast<char*>(In.data());
    size_t inLeft = In.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    while (inLeft > 0) {
      if (iconv(FCd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1)) break;
      if (errno == E2BIG) {
        const size_t used = out.size() - outLeft;
        out.resize(out.size() * 2);
        outPtr = out.data() + used;
        outLeft = out.size() - used;
        continue;
      }
      const size_t at = In.size() - inLeft;
      throw EStreamError(std::string("Invalid text: ") + What + " at byte " + std::to_string(at));
    }
    out.resize(out.size() - outLeft);
    return out;
  }

private:
  iconv_t FCd;
};

}  // namespace

std::string GbkToUtf8(std::string_view Gbk) {
  if (IsAscii(Gbk)) return std::string(Gbk);
  thread_local TIconv conv("UTF-8", "GBK");
  return conv.Convert(Gbk, "not a GBK string");
}

std::string Utf8ToGbk(std::string_view Utf8) {
  if (IsAscii(Utf8)) return std::string(Utf8);
  thread_local TIconv conv("GBK", "UTF-8");
  return conv.Convert(Utf8, "character not representable in GBK");
}
