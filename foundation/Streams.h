#pragma once
// Byte streams: the "S" data of persistent objects, the in-memory image and files.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// A growable byte block that is never zero-filled: the inflater writes every
// byte it hands out, and a large drawing should not be touched twice.
class TByteBuffer {
public:
  TByteBuffer() = default;
  ~TByteBuffer();
  TByteBuffer(TByteBuffer&& Other) noexcept;
  TByteBuffer& operator=(TByteBuffer&& Other) noexcept;
  TByteBuffer(const TByteBuffer&) = delete;
  TByteBuffer& operator=(const TByteBuffer&) = delete;

  void Reserve(std::size_t Capacity);
  void SetSize(std::size_t Size) { FSize = Size; }  // Size <= Capacity()
  std::uint8_t* Data() { return FData; }
  std::size_t Size() const { return FSize; }
  std::size_t Capacity() const { return FCapacity; }
  std::span<const std::uint8_t> Span() const { return {FData, FSize}; }

private:
  std::uint8_t* FData = nullptr;
  std::size_t FSize = 0;
  std::size_t FCapacity = 0;
};

class TStream {
public:
  virtual ~TStream() = default;
  // Reads up to Count bytes and returns how many were read.
  virtual std::size_t Read(void* Buffer, std::size_t Count) = 0;
  // Writes all Count bytes or throws.
  virtual void Write(const void* Buffer, std::size_t Count) = 0;
  // Reads exactly Count bytes or throws "Invalid stream format".
  void ReadBuffer(void* Buffer, std::size_t Count);
  void WriteBuffer(const void* Buffer, std::size_t Count) { Write(Buffer, Count); }
};

class TMemoryStream : public TStream {
public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<std::uint8_t> Data) : FData(std::move(Data)) {}

  std::size_t Read(void* Buffer, std::size_t Count) override;
  void Write(const void* Buffer, std::size_t Count) override;

  std::size_t Position() const { return FPosition; }
  void SetPosition(std::size_t Pos) { FPosition = Pos <= FData.size() ? Pos : FData.size(); }
  std::size_t Size() const { return FData.size(); }
  const std::vector<std::uint8_t>& Data() const { return FData; }
  std::vector<std::uint8_t>& Data() { return FData; }

private:
  std::vector<std::uint8_t> FData;
  std::size_t FPosition = 0;
};

// A read-only view over bytes owned elsewhere.
class TSpanStream : public TStream {
public:
  explicit TSpanStream(std::span<const std::uint8_t> Data) : FData(Data) {}
  std::size_t Read(void* Buffer, std::size_t Count) override;
  void Write(const void*, std::size_t) override;
  std::size_t Position() const { return FPosition; }

private:
  std::span<const std::uint8_t> FData;
  std::size_t FPosition = 0;
};

// A file opened read-only or created for writing. Failures throw EStreamError
// naming the file and the system's reason.
class TFileStream : public TStream {
public:
  enum class TMode { OpenRead, Create };
  TFileStream(const std::string& FileName, TMode Mode);
  // Adopts an open descriptor (used for temporary files).
  TFileStream(int Fd, std::string FileName);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  std::size_t Read(void* Buffer, std::size_t Count) override;
  void Write(const void* Buffer, std::size_t Count) override;
  // Flushes the data to the disk (fsync) and closes; throws on failure.
  void Commit();

private:
  int FFd = -1;
  std::string FFileName;
};
