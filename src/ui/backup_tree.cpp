#include "ui/backup_tree.h"

#include <algorithm>
#include <map>
#include <optional>

#include "engine/driver_backup_files.h"

namespace {

void SortLevel(std::vector<TBackupTreeNode>& nodes, ILocale& locale) {
  std::stable_sort(nodes.begin(), nodes.end(), [&](const TBackupTreeNode& a, const TBackupTreeNode& b) {
    return locale.CompareText(a.text, b.text) < 0;
  });
  for (TBackupTreeNode& node : nodes) SortLevel(node.children, locale);
}

}  // namespace

TBackupTreeNode BuildBackupTree(const TDeviceList& devices, const TBackupTreeFacts& facts, ILocale& locale) {
  TBackupTreeNode root;
  root.text = facts.hostName + " (" + facts.osDescription + ")";
  root.image = facts.computerImage;
  std::map<std::string, size_t> classIndex;
  for (const auto& owned : devices) {
    TDeviceProperties& device = *owned;
    if (!facts.showUnplugged && device.IsUnpluggedDevice()) continue;
    auto [at, added] = classIndex.try_emplace(device.strClassGUID, root.children.size());
    if (added) root.children.push_back({device.strClassDescription, device.nDeviceImage, nullptr, {}});
    root.children[at->second].children.push_back({device.strName, device.nDeviceImage, &device, {}});
  }
  SortLevel(root.children, locale);
  return root;
}

TDriverMap BackupListOf(const std::vector<TDeviceProperties*>& ticked, const std::string& root, ILocale& locale) {
  TDriverMap list;
  std::vector<std::string> folders;
  for (TDeviceProperties* device : ticked) {
    const std::optional<std::string> folder = DeviceBackupFolder(root, device->strName, device->strVersion);
    // A name that makes no folder is kept: its backup fails and says so.
    if (folder && std::any_of(folders.begin(), folders.end(),
                              [&](const std::string& taken) { return locale.CompareText(taken, *folder) == 0; }))
      continue;
    if (folder) folders.push_back(*folder);
    list.push_back(device);
  }
  return list;
}
