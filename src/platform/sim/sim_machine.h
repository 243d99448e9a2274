// The simulated machine: every port in one object whose state a test sets.
#pragma once

#include "platform/native/curl_internet.h"
#include "platform/native/openssl_hashing.h"
#include "platform/sim/builtin_strings.h"
#include "platform/sim/sim_device_tree.h"
#include "platform/sim/sim_file_system.h"
#include "platform/sim/sim_firmware_tables.h"
#include "platform/sim/sim_hardware_facts.h"
#include "platform/sim/sim_image_lists.h"
#include "platform/sim/sim_locale.h"
#include "platform/sim/sim_module_version.h"
#include "platform/sim/sim_os_version.h"
#include "platform/sim/sim_power.h"
#include "platform/sim/sim_processes.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_shell.h"
#include "platform/sim/sim_system_restore.h"
#include "platform/sim/sim_task_scheduler.h"
#include "platform/native/joining_thread_wait.h"
#include "platform/system_ports.h"

class TSimMachine {
 public:
  TSimRegistry registry;
  TSimOsVersion osVersion;
  TSimShell shell;
  TSimProcesses processes;
  TSimPower power;
  TSimLocale locale;
  TSimFileSystem fileSystem;
  TOpenSslHashing hashing;
  TBuiltinStringTable strings;
  TSimDeviceTree devices;
  TSimImageLists imageLists;
  TSimModuleVersion moduleVersion;
  TCurlInternet internet;
  TSimSystemRestore systemRestore;
  TJoiningThreadWait threadWait;
  TSimFirmwareTables firmware;
  TSimHardwareFacts hardware;
  TSimTaskScheduler scheduler;

  TSystemPorts Ports() {
    return TSystemPorts{registry, osVersion, shell,   processes, power,      locale,
                        fileSystem, hashing, strings, devices, imageLists, moduleVersion, internet,
                        systemRestore, threadWait, firmware, hardware, scheduler};
  }
};
