// What the system allows: who the user is, who owns a device, and whether a
// folder may be written or a program run. The set-up and the program entry
// ask here instead of calling the system themselves.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kelvaro {

// The user as an access check sees them.
struct UserFacts {
  unsigned uid = 0;
  std::string name;
  std::vector<unsigned> sessionGroups;  // the groups this login has now
  std::vector<unsigned> memberOf;       // the groups the group database lists them in
};

// A device's owner, group and mode bits.
struct DeviceFacts {
  unsigned mode = 0;  // permission bits, e.g. 0660
  unsigned owner = 0;
  unsigned group = 0;
  std::string groupName;  // empty when the group has no name
};

// The running user.
UserFacts CurrentUser();

// Fills `*facts` for the device at `path` (a link is followed); false when
// it cannot be examined.
bool ReadDeviceFacts(const std::filesystem::path& path, DeviceFacts* facts);

// True when the running user may make, change and remove files in `folder`;
// otherwise false with the system's words for it in `*why` (when given).
bool MayWriteIn(const std::filesystem::path& folder, std::string* why);

// True when `path` is a regular file the running user may run.
bool IsRunnable(const std::filesystem::path& path);

}  // namespace kelvaro
