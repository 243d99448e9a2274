// TScanCallbackView: a callback view for a place that shows only the scan; the
// download, backup and install notifications show nothing there.
#pragma once

#include "ui/callback_view.h"

class TScanCallbackView : public ICallbackView {
 public:
  void ShowDownloadStart(int32_t) override {}
  void ShowDriverDownloadStart(const std::string&, int32_t) override {}
  void ShowDriverDownloadEnd(int32_t) override {}
  void ShowDownloadEnd(bool) override {}
  void ShowDownloadStep(int32_t) override {}
  TActiveAction ActiveAction() const override { return TActiveAction::aclOther; }
  void ShowBackupStart() override {}
  void ShowDriverBackupStart(const std::string&) override {}
  void ShowDriverBackupEnd(const std::string&, bool) override {}
  void ShowBackupEnd(bool, bool) override {}
  void ShowUpdateBackupEnd() override {}
  void ReleaseBackupList() override {}
  void ShowInstallStart(int32_t) override {}
  void ShowDriverInstallStart(const std::string&) override {}
  void ShowDriverInstallEnd(int32_t) override {}
  void MarkInstalled(const TDeviceProperties&) override {}
  void ShowInstallEnd(bool, bool) override {}
  void ShowExtractStart(int32_t) override {}
  void ShowFileExtracted() override {}
  void ShowExtractEnd(bool) override {}
  void Repaint() override {}
};
