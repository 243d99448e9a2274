// The real machine: every port implemented over Win32, in one object.
#pragma once

#include "platform/system_ports.h"
#include "platform/win32/device_install_win32.h"
#include "platform/win32/image_lists_win32.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_firmware_tables.h"
#include "platform/win32/win32_hardware_facts.h"
#include "platform/win32/win32_hashing.h"
#include "platform/win32/win32_internet.h"
#include "platform/win32/win32_locale.h"
#include "platform/win32/win32_module_version.h"
#include "platform/win32/win32_os_version.h"
#include "platform/win32/win32_power.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_string_table.h"
#include "platform/win32/win32_system_restore.h"
#include "platform/win32/win32_task_scheduler.h"
#include "platform/win32/win32_thread_wait.h"

class TWin32Machine {
 public:
  TWin32Registry registry;
  TWin32OsVersion osVersion;
  TWin32Shell shell;
  TWin32Processes processes;
  TWin32Power power;
  TWin32Locale locale;
  TWin32FileSystem fileSystem;
  TWin32Hashing hashing;
  TWin32StringTable strings;
  TWin32DeviceInstall devices;
  TWin32ImageLists imageLists;
  TWin32ModuleVersion moduleVersion;
  TWin32Internet internet;
  TWin32SystemRestore systemRestore;
  TWin32ThreadWait threadWait;
  TWin32FirmwareTables firmware;
  TWin32HardwareFacts hardware;
  TWin32TaskScheduler scheduler;

  TSystemPorts Ports() {
    return TSystemPorts{registry, osVersion, shell,      processes, power,
                        locale,   fileSystem, hashing, strings,
                        devices,  imageLists, moduleVersion, internet,
                        systemRestore, threadWait, firmware, hardware, scheduler};
  }
};
