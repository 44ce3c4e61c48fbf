#include "foundation/AtomicFile.h"

#include "foundation/StreamError.h"
#include "foundation/Streams.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
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

}  // namespace

void SaveFileAtomically(const std::string& FileName, const std::function<void(TStream&)>& Produce) {
  const std::string target = ResolveTarget(FileName);
  const auto path = std::filesystem::path(target);
  std::string tmpl = (path.parent_path() / ("." + path.filename().string() + ".tmpXXXXXX")).string();

  const int fd = ::mkstemp(tmpl.data());
  if (fd < 0) ThrowSaveError("Cannot create file", FileName, errno);
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
  SyncFolder(target);
}
