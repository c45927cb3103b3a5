// The stand-in's end of the serial line: a pseudo-terminal whose device name is
// published through a symbolic link (for example `com5` in the panel's folder).
#pragma once

#include <string>

namespace ftx1sim {

class PtyLink {
 public:
  explicit PtyLink(std::string link) : link_(std::move(link)) {}
  ~PtyLink();
  PtyLink(const PtyLink&) = delete;
  PtyLink& operator=(const PtyLink&) = delete;

  // Opens a new pseudo-terminal in raw mode and points the link at it (a
  // stale link is replaced; any other file in its place is left alone and the
  // open fails). Without a link path only the pseudo-terminal is opened.
  bool Plug(std::string* error);
  // Closes the pseudo-terminal; its device disappears. The link stays but
  // points at a device name that can never exist, so a port opened through
  // it fails like a radio that was switched off, and no pseudo-terminal that
  // another program is given later under the old number can be reached by it.
  void Unplug();
  // Removes the link if it is still ours, and closes everything.
  void Remove();

  bool plugged() const { return master_ >= 0; }
  // The controlling side: commands are read here and answers written.
  int master() const { return master_; }
  // Readable when the other program opened or closed the device.
  int watch() const { return watch_; }
  // The path to announce: the link, or the device when no link was asked for.
  std::string announced() const { return link_.empty() ? device_ : link_; }

  // Takes the open/close notices from watch(). Returns true when the other
  // program opened or closed its end: answers still on the way belong to
  // nobody then. A closing program's exclusive claim on the device is cleared
  // (as the last close of a real serial port does), so it can open it again,
  // and what it left unread is dropped.
  bool TakeOpenCloseNotices();

 private:
  bool PointLink(const std::string& target, std::string* error);
  std::string link_;
  std::string device_;
  std::string linkTarget_;  // what we made the link point to
  int master_ = -1;
  int slave_ = -1;  // held open so the device survives the other side's close
  int watch_ = -1;
};

}  // namespace ftx1sim
