#include "platform/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace kelvaro {
namespace {

namespace fs = std::filesystem;

// The file a path finally names, following symbolic links (at most 40, as
// the system does). A link whose target is missing gives the target's path.
fs::path FollowLinks(fs::path p) {
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(p, ec))) return p;
    fs::path target = fs::read_symlink(p, ec);
    if (ec) return p;
    p = target.is_absolute() ? target : p.parent_path() / target;
  }
  return p;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Makes a rename in the folder durable. Failure is not fatal: the rename
// itself has already happened.
void SyncFolder(const fs::path& folder) {
  int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool ReplaceFileSafely(const fs::path& path, std::string_view bytes) {
  const fs::path target = FollowLinks(path);
  fs::path temp = target;
  temp.replace_extension(".tmp");
  if (temp == target) temp += ".new";

  // A file the user has made read-only is not replaced behind their back.
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists && ::access(target.c_str(), W_OK) != 0) return false;

  // A temporary file left by an interrupted save is dropped first; O_EXCL
  // then makes sure the data goes into a fresh file of our own.
  ::unlink(temp.c_str());
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  if (exists && S_ISREG(old.st_mode)) ::fchmod(fd, old.st_mode & 07777);

  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  if (ok && ::rename(temp.c_str(), target.c_str()) != 0) ok = false;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  SyncFolder(target.parent_path());
  return true;
}

}  // namespace kelvaro
