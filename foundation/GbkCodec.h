#pragma once
// Strings are GBK bytes in every saved file and UTF-8 everywhere inside the
// program. The conversion happens only at that boundary, here.
//
// Reading is lossless: a two-byte cell decodes as Windows' code page 936 does
// (its user-defined areas AAA1-AFFE, F8A1-FEFE and A140-A7A0 become U+E000 to
// U+E765), other cells that GB18030 gives a character decode to that
// character, and every byte nothing decodes is kept as an escape of two
// Unicode noncharacters (U+FDD0+hi, U+FDE0+lo; see GbkByteEscape). Decoding
// never produces noncharacters and no keyboard or input method types them,
// so an escape cannot be confused with text. Writing turns every character
// back into the bytes it came from, so a string read from a file is written
// back byte for byte.

#include <cstddef>
#include <string>
#include <string_view>

#include "foundation/StreamError.h"

// Never fails: every byte sequence has a text.
std::string GbkToUtf8(std::string_view Gbk);

// Throws EGbkError when a character has no GBK form (an emoji, a character
// GB18030 writes only in four bytes, half an escape) or the text is not UTF-8.
std::string Utf8ToGbk(std::string_view Utf8);

// True when Utf8ToGbk would succeed; otherwise Offender (if given) receives
// the first character that has no GBK form, as UTF-8.
bool HasGbkForm(std::string_view Utf8, std::string* Offender = nullptr);

// The escape that stands for an undecodable byte (0x80..0xFF), as UTF-8.
std::string GbkByteEscape(unsigned char Byte);

// "U+1F600": how the messages name a character for a technical reader.
std::string CodePointText(std::string_view Utf8Char);

// A string that cannot be written as GBK. The message is for the user; the
// detail names the character's code and where it is.
class EGbkError : public EStreamError {
public:
  // Char: the offending character as UTF-8, empty when the text is not UTF-8.
  EGbkError(std::string Char, std::size_t At, std::string Subject = {});

  const std::string& Char() const { return FChar; }
  std::size_t At() const { return FAt; }
  // What holds the text ("塔吊 $0012ABCD"); empty until an owner names it.
  const std::string& Subject() const { return FSubject; }
  // The same failure, said of Subject.
  EGbkError NamedAs(const std::string& Subject) const { return EGbkError(FChar, FAt, Subject); }

private:
  std::string FChar;
  std::size_t FAt;
  std::string FSubject;
};

// The refusal a user sees when typed text has no GBK form.
std::string GbkRefusalMessage(std::string_view Offender);
