// Maps a COM name of the program to the simulator's pty, the way a user maps
// a USB adapter: the link $XDG_CONFIG_HOME/QelFW_K47/COMn (default
// ~/.config/QelFW_K47/COMn) pointing to the device.
#pragma once

#include <string>

namespace rq30::sim {

// The link path for COMn.
std::string ComLinkPath(int number);

class ComMapping {
 public:
  ComMapping() = default;
  ~ComMapping() { Remove(); }
  ComMapping(const ComMapping&) = delete;
  ComMapping& operator=(const ComMapping&) = delete;

  // Makes COMn point to `target`, creating the folders. Something already
  // there is replaced only when it is a link to a pseudo-terminal that no
  // longer exists (left behind by a simulator that was killed); anything
  // else is the user's and throws std::runtime_error, untouched.
  void Map(int number, const std::string& target);

  // Removes the link, but only while it still points to our target.
  void Remove();

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  std::string target_;
};

}  // namespace rq30::sim
