#pragma once
// The tagged values of an object image: what every WriteData writes and every
// ReadData reads. Strings are UTF-8 here and GBK in the bytes.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

enum TValueType : std::uint8_t {
  vaNull = 0x00,
  vaList = 0x01,
  vaInt8 = 0x02,
  vaInt16 = 0x03,
  vaInt32 = 0x04,
  vaExtended = 0x05,
  vaString = 0x06,
  vaFalse = 0x08,
  vaTrue = 0x09,
  vaBinary = 0x0A,
  vaLString = 0x0C,
};

class TWriter {
public:
  explicit TWriter(std::vector<std::uint8_t>& Buffer) : FBuf(Buffer) {}

  void WriteInteger(std::int32_t Value);
  void WriteFloat(double Value);
  void WriteString(std::string_view Utf8);
  void WriteBoolean(bool Value);
  void WriteListBegin() { WriteByte(vaList); }
  void WriteListEnd() { WriteByte(vaNull); }
  // Untagged bytes whose size the writing class fixes.
  void Write(const void* Bytes, std::size_t Count);

  // Framing used by the image writer: untagged short string, binary value.
  void WriteStr(std::string_view Ascii);
  void WriteBinary(std::span<const std::uint8_t> Bytes);
  void WriteByte(std::uint8_t B) { FBuf.push_back(B); }

private:
  void WriteRawString(std::string_view Gbk);
  std::vector<std::uint8_t>& FBuf;
};

class TReader {
public:
  explicit TReader(std::span<const std::uint8_t> Data) : FData(Data) {}

  std::int32_t ReadInteger();
  // Non-finite values are refused: they would poison every geometry routine.
  double ReadFloat();
  std::string ReadString();
  bool ReadBoolean();
  void ReadListBegin();
  void ReadListEnd();
  bool EndOfList();
  void Read(void* Bytes, std::size_t Count);

  // A string value's bytes as stored (GBK), without conversion: class names.
  std::string_view ReadRawString();
  std::string ReadStr();
  std::vector<std::uint8_t> ReadBinary();
  std::uint8_t ReadByte() {
    Need(1);
    return FData[FPos++];
  }
  std::uint8_t PeekByte() const {
    Need(1);
    return FData[FPos];
  }

  std::size_t Position() const { return FPos; }
  std::size_t Remaining() const { return FData.size() - FPos; }
  // A count of items that each take at least one byte cannot exceed what is left.
  void CheckCount(std::int64_t Count) const;

  // Lists inside items inside lists: a damaged file must not recurse the
  // stack away. Each nested list read holds a guard.
  class TNestingGuard {
  public:
    explicit TNestingGuard(TReader& R);
    ~TNestingGuard() { --FR.FDepth; }
    TNestingGuard(const TNestingGuard&) = delete;
    TNestingGuard& operator=(const TNestingGuard&) = delete;

  private:
    TReader& FR;
  };
  static constexpr int kMaxNesting = 200;

private:
  std::int32_t ReadIntegerOfType(std::uint8_t Tag);
  void Need(std::size_t Count) const {
    if (Count > Remaining()) [[unlikely]]
      ThrowTruncated();
  }
  [[noreturn]] static void ThrowTruncated();

  std::span<const std::uint8_t> FData;
  std::size_t FPos = 0;
  int FDepth = 0;
};
