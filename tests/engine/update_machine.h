// The machine of the update tests: the simulated PC with one display adapter on an old
// driver, and the reference server on loopback offering a newer "_qva" package for it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "demo_packages.h"
#include "engine/scan_server.h"
#include "engine/sim_engine.h"
#include "package_import.h"

inline constexpr const char* GPU_ID = "PCI\\VEN_1234&DEV_1111";

class TUpdateMachine : public TSimEngineFixture {
 public:
  TUpdateMachine() {
    // The installed driver 10.0.0.20000: its INF in the system's INF folder, its file in
    // the drivers folder.
    machine.devices.systemDirectory = folder.File("Windows/System32");
    qvserver::DemoDriver installed;
    installed.hardware_ids = {GPU_ID};
    installed.version = "10.0.0.20000";
    installed.date = "2021-03-04";
    installed.class_name = "Display";
    folder.Write("Windows/INF/oem7.inf", qvserver::demo_inf_text(installed));
    folder.Write("Windows/System32/drivers/quorvane_demo.sys", "old driver");
    TSimDevice device;
    device.instanceId = std::string(GPU_ID) + "\\4&1234&0&0008";
    device.classGuid = GuidFromText(DISPLAY_CLASS);
    device.friendlyName = "Quorvane Display";
    device.hardwareIds = {GPU_ID};
    device.driver = Driver();
    device.driver->infPath = folder.File("Windows/INF/oem7.inf");
    device.driver->section = "DemoInstall";
    device.driver->files = {folder.File("Windows/System32/drivers/quorvane_demo.sys")};
    machine.devices.AddDevice(device);

    // The package as a vendor ships it: a zip named for its INF method.
    qvserver::DemoDriver newer;
    newer.hardware_ids = {GPU_ID};
    newer.version = "31.0.0.1";
    newer.class_name = "Display";
    const std::filesystem::path package = folder.File("display-31_qva.zip");
    std::ofstream(package, std::ios::binary) << qvserver::demo_package_zip(newer);
    qvserver::import_package(server.Catalog(), server.Folder() / "store", package);
    port = server.Start();

    Engine();
    model->SetServerURL("127.0.0.1");
    model->SetServerPort(port);
    model->SetDownloadLocation(folder.File("Downloads"));
    model->SetBackupLocation(folder.File("Backup"));
    std::filesystem::create_directories(folder.File("Backup"));
  }

  TDeviceProperties& Gpu() {
    TDeviceProperties* device = model->GetDevice(GPU_ID);
    EXPECT_NE(device, nullptr);
    return *device;
  }

  std::string DriverFile() const { return folder.Read("Windows/System32/drivers/quorvane_demo.sys"); }

  TScanServer server;
  int port = 0;
};
