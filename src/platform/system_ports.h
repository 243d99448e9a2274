// The operating-system services the core uses, handed to it as one bundle.
#pragma once

#include "platform/device_install.h"
#include "platform/file_system.h"
#include "platform/firmware_tables.h"
#include "platform/hardware_facts.h"
#include "platform/hashing.h"
#include "platform/image_lists.h"
#include "platform/internet.h"
#include "platform/locale.h"
#include "platform/module_version.h"
#include "platform/os_version.h"
#include "platform/power.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/string_table.h"
#include "platform/system_restore.h"
#include "platform/task_scheduler.h"
#include "platform/thread_wait.h"

struct TSystemPorts {
  IRegistry& registry;
  IOsVersion& osVersion;
  IShell& shell;
  IProcesses& processes;
  IPower& power;
  ILocale& locale;
  IFileSystem& fileSystem;
  IHashing& hashing;
  IStringTable& strings;
  IDeviceInstall& deviceInstall;
  IImageLists& imageLists;
  IModuleVersion& moduleVersion;
  IInternetPort& internet;
  ISystemRestore& systemRestore;
  IThreadWait& threadWait;
  IFirmwareTables& firmware;
  IHardwareFacts& hardware;
  ITaskSchedulerPort& scheduler;
};
