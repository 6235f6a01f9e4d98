#pragma once

#include <string>

// Inside the platform layer: the names of replacement files and the ones this
// process still works on, shared by both systems' replacement routines.
namespace zk::platform::replacement {

// The folder part of a target (with its closing separator, or empty) and its
// file name; "/" and the system's own separator both end a folder.
struct TargetName {
  std::string folder;
  std::string name;
};
TargetName splitTarget(const std::string& target);

// ".<name>.<process>-<n>.zk-part" in the target's folder.
std::string replacementPath(const std::string& target, long process, unsigned number);
// The process number in a replacement file name of the target file `name`;
// 0 when the file is not one.
long replacementOwner(const std::string& fileName, const std::string& name);

// Between its creation and its commit or discard a replacement of this
// process is in use; any other of this process's replacements is a leftover.
void markInUse(const std::string& path);
void markDone(const std::string& path);
bool isInUse(const std::string& fileName);

}  // namespace zk::platform::replacement
