#pragma once
// The text of a DXF file's values: its code page ($DWGCODEPAGE, GBK when
// absent; UTF-8 from AC1021 on) decoded to UTF-8, \U+XXXX escapes and the
// %%d, %%p, %%c control codes turned into their characters. Without a code
// page, a value that is no GBK is read as Windows Latin (1252).

#include <string>
#include <string_view>

class TDxfTextDecoder {
public:
  TDxfTextDecoder();
  ~TDxfTextDecoder();
  TDxfTextDecoder(const TDxfTextDecoder&) = delete;
  TDxfTextDecoder& operator=(const TDxfTextDecoder&) = delete;

  void SetCodePage(std::string_view DwgCodePage);
  void SetVersion(std::string_view AcadVer);
  std::string Decode(std::string_view Raw) const;
  // What the decoder uses: "GBK", "UTF-8" or the iconv name.
  std::string Encoding() const;

private:
  enum class TKind { Gbk, Utf8, Iconv };
  TKind FKind = TKind::Gbk;
  bool FUtf8Version = false;
  bool FCodePageGiven = false;
  std::string FIconvName;
  void* FIconv = nullptr;  // iconv_t, opened for FIconvName
};
