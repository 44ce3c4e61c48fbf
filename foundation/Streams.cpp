#include "foundation/Streams.h"

#include "foundation/StreamError.h"

#include <cerrno>
#include <cstdlib>
#include <new>
#include <utility>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

TByteBuffer::~TByteBuffer() { std::free(FData); }

TByteBuffer::TByteBuffer(TByteBuffer&& Other) noexcept
    : FData(std::exchange(Other.FData, nullptr)),
      FSize(std::exchange(Other.FSize, 0)),
      FCapacity(std::exchange(Other.FCapacity, 0)) {}

TByteBuffer& TByteBuffer::operator=(TByteBuffer&& Other) noexcept {
  if (this != &Other) {
    std::free(FData);
    FData = std::exchange(Other.FData, nullptr);
    FSize = std::exchange(Other.FSize, 0);
    FCapacity = std::exchange(Other.FCapacity, 0);
  }
  return *this;
}

void TByteBuffer::Reserve(std::size_t Capacity) {
  if (Capacity <= FCapacity) return;
  void* p = std::realloc(FData, Capacity);
  if (!p) throw std::bad_alloc();
  FData = static_cast<std::uint8_t*>(p);
  FCapacity = Capacity;
}

void TStream::ReadBuffer(void* Buffer, std::size_t Count) {
  if (Read(Buffer, Count) != Count) throw EStreamError(StreamMsg::InvalidStreamFormat);
}

std::size_t TMemoryStream::Read(void* Buffer, std::size_t Count) {
  const std::size_t n = std::min(Count, FData.size() - FPosition);
  if (n) std::memcpy(Buffer, FData.data() + FPosition, n);
  FPosition += n;
  return n;
}

void TMemoryStream::Write(const void* Buffer, std::size_t Count) {
  if (!Count) return;
  if (FPosition + Count > FData.size()) FData.resize(FPosition + Count);
  std::memcpy(FData.data() + FPosition, Buffer, Count);
  FPosition += Count;
}

std::size_t TSpanStream::Read(void* Buffer, std::size_t Count) {
  const std::size_t n = std::min(Count, FData.size() - FPosition);
  if (n) std::memcpy(Buffer, FData.data() + FPosition, n);
  FPosition += n;
  return n;
}

void TSpanStream::Write(const void*, std::size_t) {
  throw EStreamError(StreamMsg::InvalidStreamOperation);
}

namespace {
[[noreturn]] void ThrowFileError(const char* What, const std::string& FileName, int Err) {
  throw EStreamError(std::string(What) + " \"" + FileName + "\": " + std::strerror(Err));
}
}  // namespace

TFileStream::TFileStream(const std::string& FileName, TMode Mode) : FFileName(FileName) {
  if (Mode == TMode::OpenRead)
    FFd = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
  else
    FFd = ::open(FileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (FFd < 0)
    ThrowFileError(Mode == TMode::OpenRead ? "Cannot open file" : "Cannot create file", FileName, errno);
}

TFileStream::TFileStream(int Fd, std::string FileName) : FFd(Fd), FFileName(std::move(FileName)) {}

TFileStream::~TFileStream() {
  if (FFd >= 0) ::close(FFd);
}

std::size_t TFileStream::Read(void* Buffer, std::size_t Count) {
  auto* p = static_cast<char*>(Buffer);
  std::size_t done = 0;
  while (done < Count) {
    const ssize_t n = ::read(FFd, p + done, Count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowFileError("Cannot read file", FFileName, errno);
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

void TFileStream::Write(const void* Buffer, std::size_t Count) {
  const auto* p = static_cast<const char*>(Buffer);
  std::size_t done = 0;
  while (done < Count) {
    const ssize_t n = ::write(FFd, p + done, Count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowFileError("Cannot write file", FFileName, errno);
    }
    done += static_cast<std::size_t>(n);
  }
}

void TFileStream::Commit() {
  if (::fsync(FFd) != 0) ThrowFileError("Cannot write file", FFileName, errno);
  const int fd = FFd;
  FFd = -1;
  if (::close(fd) != 0) ThrowFileError("Cannot write file", FFileName, errno);
}
