#include "foundation/ValueStream.h"

#include "foundation/Extended.h"
#include "foundation/GbkCodec.h"
#include "foundation/StreamError.h"

#include <cmath>
#include <cstring>

namespace {
template <typename T>
void AppendLE(std::vector<std::uint8_t>& buf, T v) {
  const auto old = buf.size();
  buf.resize(old + sizeof(T));
  std::memcpy(buf.data() + old, &v, sizeof(T));  // little-endian host
}
}  // namespace

void TWriter::WriteInteger(std::int32_t Value) {
  if (Value >= -128 && Value <= 127) {
    WriteByte(vaInt8);
    AppendLE(FBuf, static_cast<std::int8_t>(Value));
  } else if (Value >= -32768 && Value <= 32767) {
    WriteByte(vaInt16);
    AppendLE(FBuf, static_cast<std::int16_t>(Value));
  } else {
    WriteByte(vaInt32);
    AppendLE(FBuf, Value);
  }
}

void TWriter::WriteFloat(double Value) {
  WriteByte(vaExtended);
  const TExtendedBytes e = DoubleToExtended(Value);
  FBuf.insert(FBuf.end(), e.begin(), e.end());
}

void TWriter::WriteString(std::string_view Utf8) { WriteRawString(Utf8ToGbk(Utf8)); }

void TWriter::WriteRawString(std::string_view Gbk) {
  if (Gbk.size() <= 255) {
    WriteByte(vaString);
    WriteByte(static_cast<std::uint8_t>(Gbk.size()));
  } else {
    WriteByte(vaLString);
    AppendLE(FBuf, static_cast<std::int32_t>(Gbk.size()));
  }
  FBuf.insert(FBuf.end(), Gbk.begin(), Gbk.end());
}

void TWriter::WriteBoolean(bool Value) { WriteByte(Value ? vaTrue : vaFalse); }

void TWriter::Write(const void* Bytes, std::size_t Count) {
  const auto* p = static_cast<const std::uint8_t*>(Bytes);
  FBuf.insert(FBuf.end(), p, p + Count);
}

void TWriter::WriteStr(std::string_view Ascii) {
  if (Ascii.size() > 255) throw EStreamError(StreamMsg::InvalidPropertyValue);
  WriteByte(static_cast<std::uint8_t>(Ascii.size()));
  FBuf.insert(FBuf.end(), Ascii.begin(), Ascii.end());
}

void TWriter::WriteBinary(std::span<const std::uint8_t> Bytes) {
  WriteByte(vaBinary);
  AppendLE(FBuf, static_cast<std::int32_t>(Bytes.size()));
  FBuf.insert(FBuf.end(), Bytes.begin(), Bytes.end());
}

void TReader::ThrowTruncated() { throw EStreamError(StreamMsg::InvalidStreamFormat); }

void TReader::Read(void* Bytes, std::size_t Count) {
  Need(Count);
  if (Count) std::memcpy(Bytes, FData.data() + FPos, Count);
  FPos += Count;
}

std::int32_t TReader::ReadIntegerOfType(std::uint8_t Tag) {
  switch (Tag) {
    case vaInt8: {
      std::int8_t v;
      Read(&v, 1);
      return v;
    }
    case vaInt16: {
      std::int16_t v;
      Read(&v, 2);
      return v;
    }
    case vaInt32: {
      std::int32_t v;
      Read(&v, 4);
      return v;
    }
    default:
      throw EStreamError(StreamMsg::InvalidPropertyValue);
  }
}

std::int32_t TReader::ReadInteger() { return ReadIntegerOfType(ReadByte()); }

double TReader::ReadFloat() {
  const std::uint8_t tag = ReadByte();
  if (tag != vaExtended) return ReadIntegerOfType(tag);
  Need(10);
  const double v = ExtendedToDouble(FData.data() + FPos);
  if (!std::isfinite(v)) throw EStreamError(StreamMsg::InvalidPropertyValue);
  FPos += 10;
  return v;
}

std::string TReader::ReadString() { return GbkToUtf8(ReadRawString()); }

std::string_view TReader::ReadRawString() {
  const std::uint8_t tag = ReadByte();
  std::size_t len;
  if (tag == vaString) {
    len = ReadByte();
  } else if (tag == vaLString) {
    std::int32_t n;
    Read(&n, 4);
    if (n < 0) throw EStreamError(StreamMsg::InvalidStreamFormat);
    len = static_cast<std::size_t>(n);
  } else {
    throw EStreamError(StreamMsg::InvalidPropertyValue);
  }
  Need(len);
  const std::string_view raw(reinterpret_cast<const char*>(FData.data() + FPos), len);
  FPos += len;
  return raw;
}

bool TReader::ReadBoolean() { return ReadByte() == vaTrue; }

void TReader::ReadListBegin() {
  if (ReadByte() != vaList) throw EStreamError(StreamMsg::InvalidPropertyValue);
}

void TReader::ReadListEnd() {
  if (ReadByte() != vaNull) throw EStreamError(StreamMsg::InvalidPropertyValue);
}

bool TReader::EndOfList() { return PeekByte() == vaNull; }

std::string TReader::ReadStr() {
  const std::size_t len = ReadByte();
  Need(len);
  std::string s(reinterpret_cast<const char*>(FData.data() + FPos), len);
  FPos += len;
  return s;
}

std::vector<std::uint8_t> TReader::ReadBinary() {
  if (ReadByte() != vaBinary) throw EStreamError(StreamMsg::InvalidPropertyValue);
  std::int32_t n;
  Read(&n, 4);
  if (n < 0) throw EStreamError(StreamMsg::InvalidStreamFormat);
  Need(static_cast<std::size_t>(n));
  std::vector<std::uint8_t> out(FData.begin() + FPos, FData.begin() + FPos + n);
  FPos += static_cast<std::size_t>(n);
  return out;
}

void TReader::CheckCount(std::int64_t Count) const {
  if (Count > static_cast<std::int64_t>(Remaining())) throw EStreamError(StreamMsg::InvalidPropertyValue);
}

TReader::TNestingGuard::TNestingGuard(TReader& R) : FR(R) {
  if (++FR.FDepth > kMaxNesting) {
    --FR.FDepth;
    throw EStreamError(StreamMsg::InvalidStreamFormat);
  }
}
