#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/access.h"

namespace kelvaro {

UserFacts CurrentUser() {
  UserFacts user;
  user.uid = ::getuid();
  const passwd* pw = ::getpwuid(user.uid);
  user.name = pw ? pw->pw_name : std::to_string(user.uid);
  int count = ::getgroups(0, nullptr);
  std::vector<gid_t> groups(static_cast<std::size_t>(std::max(count, 0)));
  if (count > 0) count = ::getgroups(count, groups.data());
  for (int i = 0; i < count; ++i) user.sessionGroups.push_back(groups[static_cast<std::size_t>(i)]);
  user.sessionGroups.push_back(::getegid());
  if (pw) {
    int listed = 64;
    std::vector<gid_t> member(static_cast<std::size_t>(listed));
    if (::getgrouplist(pw->pw_name, pw->pw_gid, member.data(), &listed) < 0 && listed > 0) {
      member.resize(static_cast<std::size_t>(listed));
      ::getgrouplist(pw->pw_name, pw->pw_gid, member.data(), &listed);
    }
    for (int i = 0; i < listed && i < static_cast<int>(member.size()); ++i) {
      user.memberOf.push_back(member[static_cast<std::size_t>(i)]);
    }
  }
  return user;
}

bool ReadDeviceFacts(const std::filesystem::path& path, DeviceFacts* facts) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  facts->mode = info.st_mode & 07777;
  facts->owner = info.st_uid;
  facts->group = info.st_gid;
  facts->groupName.clear();
  if (const group* g = ::getgrgid(info.st_gid)) facts->groupName = g->gr_name;
  return true;
}

bool MayWriteIn(const std::filesystem::path& folder, std::string* why) {
  if (::access(folder.c_str(), W_OK | X_OK) == 0) return true;
  if (why != nullptr) *why = std::strerror(errno);
  return false;
}

bool IsRunnable(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace kelvaro
