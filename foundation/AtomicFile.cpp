#include "foundation/AtomicFile.h"

#include "foundation/StreamError.h"
#include "foundation/Streams.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void ThrowSaveError(const char* What, const std::string& FileName, int Err) {
  throw EStreamError(std::string(What) + " \"" + FileName + "\": " + std::strerror(Err));
}

// Saving through a symbolic link replaces the file it points to, not the link.
std::string ResolveTarget(const std::string& FileName) {
  std::error_code ec;
  if (std::filesystem::is_symlink(FileName, ec)) {
    auto target = std::filesystem::weakly_canonical(FileName, ec);
    if (!ec) return target.string();
  }
  return FileName;
}

mode_t NewFileMode(const std::string& Target) {
  struct stat st;
  if (::stat(Target.c_str(), &st) == 0) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

void SyncFolder(const std::string& Target) {
  const auto folder = std::filesystem::path(Target).parent_path();
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // best effort: the rename itself already happened
  ::close(fd);
}

constexpr std::string_view kTempMark = ".tmp";
constexpr std::size_t kTempSuffix = 6;  // mkstemp's XXXXXX

std::string TempPrefix(const std::filesystem::path& Target) {
  return "." + Target.filename().string() + std::string(kTempMark);
}

// A save that was killed leaves its temporary file behind. A writer holds a
// lock on its temporary file for as long as it lives, so one that can be
// locked belongs to nobody and goes.
void RemoveStaleTemporaries(const std::filesystem::path& Target) {
  const std::string prefix = TempPrefix(Target);
  const auto folder = Target.parent_path().empty() ? std::filesystem::path(".") : Target.parent_path();
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() != prefix.size() + kTempSuffix || name.compare(0, prefix.size(), prefix) != 0) continue;
    const int fd = ::open(it->path().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlink(it->path().c_str());
    ::close(fd);
  }
}

}  // namespace

void SaveFileAtomically(const std::string& FileName, const std::function<void(TStream&)>& Produce) {
  const std::string target = ResolveTarget(FileName);
  const auto path = std::filesystem::path(target);
  std::string tmpl = (path.parent_path() / (TempPrefix(path) + "XXXXXX")).string();

  const int fd = ::mkstemp(tmpl.data());
  if (fd < 0) ThrowSaveError("Cannot create file", FileName, errno);
  ::flock(fd, LOCK_EX);  // released when the descriptor closes or the process dies
  ::fchmod(fd, NewFileMode(target));

  try {
    TFileStream out(fd, FileName);
    Produce(out);
    out.Commit();
    if (::rename(tmpl.c_str(), target.c_str()) != 0) ThrowSaveError("Cannot write file", FileName, errno);
  } catch (...) {
    ::unlink(tmpl.c_str());
    throw;
  }
  RemoveStaleTemporaries(path);
  SyncFolder(target);
}
