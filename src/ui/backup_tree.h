// The backup page's device tree as plain nodes: the computer, one node per setup
// class, one per device, each level in the locale's order; and the backup list
// the ticked devices make.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/device_list.h"
#include "platform/locale.h"

struct TBackupTreeNode {
  std::string text;
  int32_t image = 0;
  TDeviceProperties* device = nullptr;  // device nodes only
  std::vector<TBackupTreeNode> children;
};

struct TBackupTreeFacts {
  std::string hostName;
  std::string osDescription;
  int32_t computerImage = 0;  // the last image of the class image list
  bool showUnplugged = true;
};

// The root "<host> (<system>)"; a class node per class name (strClassGUID) with
// the first device's class description and image; device nodes under it.
// Unplugged devices stay out unless facts.showUnplugged.
TBackupTreeNode BuildBackupTree(const TDeviceList& devices, const TBackupTreeFacts& facts, ILocale& locale);

// The devices to back up from the ticked devices in tree order: a device whose
// backup folder (name and version under `root`) an earlier one already takes is
// left out, any other is kept, even under a name met before.
TDriverMap BackupListOf(const std::vector<TDeviceProperties*>& ticked, const std::string& root, ILocale& locale);
