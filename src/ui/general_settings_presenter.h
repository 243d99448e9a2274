// The general settings page: its texts, the settings its boxes and language
// list edit until Save, and what Save, the download-folder choice and the
// System Restore button do. Questions, the folder picker, the restart and the
// other pages' refresh go through the window (IGeneralSettingsHost).
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/data_model.h"
#include "engine/message_sink.h"

enum class TGeneralBox : int {
  checkForUpdate,
  runScanAtStart,
  showSplash,
  showUnplugged,
  startAtLogin,
  restorePoint,
  windowsDriverUpdates,
};
inline constexpr size_t QV_GENERAL_BOX_COUNT = 7;
inline constexpr int QV_LANGUAGE_COUNT = 10;

struct TGeneralBoxView {
  std::string caption;
  std::string hint;
  bool checked = false;

  bool operator==(const TGeneralBoxView&) const = default;
};

struct TGeneralSettingsView {
  std::string title;
  std::array<TGeneralBoxView, QV_GENERAL_BOX_COUNT> boxes;
  std::string languageLabel;
  std::string languageHint;
  std::vector<std::string> languages;
  int language = 0;
  std::string downloadLabel;
  std::string downloadPath;
  std::string change;
  std::string changeHint;
  std::string systemRestore;
  std::string save;
  bool saveEnabled = false;

  bool operator==(const TGeneralSettingsView&) const = default;
};

class IGeneralSettingsHost {
 public:
  virtual ~IGeneralSettingsHost() = default;
  // A message box of the program; the button pressed.
  virtual int Ask(const std::string& title, const std::string& text, int kind) = 0;
  // "Show unplugged devices" changed: the backup tree is rebuilt now, the
  // result lists when they are shown next.
  virtual void UnpluggedShowingChanged() = 0;
  // Starts the copy that shows the new language and asks this one to end.
  virtual void RestartApplication() = 0;
  // The folder picker opened at `start`; empty when cancelled.
  virtual std::string ChooseFolder(const std::string& title, const std::string& start) = 0;
};

class TGeneralSettingsPresenter {
 public:
  TGeneralSettingsPresenter(TDriverDatamodel& model, TSystemPorts ports, IMessageSink* sink,
                            IGeneralSettingsHost& host);

  // The texts and the settings' values again; Save disabled.
  void Load();
  TGeneralSettingsView View() const;

  // A click on a box or a language picked: kept for Save, which it enables.
  void BoxClicked(TGeneralBox box, bool checked);
  void LanguagePicked(int language);
  // A setting another page stored: its box follows, Save stays as it is.
  void StoredBoxChanged(TGeneralBox box, bool checked) { Checked(box) = checked; }
  // Stores the page: the settings, System Restore's question, the Windows
  // driver-update policy, the language and its restart question.
  void Save();
  // Picks a download folder and stores a different one at once.
  void ChangeDownloadPath();
  // Runs the system's System Restore program and waits for it.
  void RunSystemRestore();

 private:
  bool& Checked(TGeneralBox box) { return m_checked[static_cast<size_t>(box)]; }
  bool Checked(TGeneralBox box) const { return m_checked[static_cast<size_t>(box)]; }
  std::string Text(int id) const { return m_ports.strings.Load(id); }
  // DumpSettings; a failure is shown, not raised.
  void StoreSettings();

  TDriverDatamodel& m_model;
  TSystemPorts m_ports;
  IMessageSink* m_sink;
  IGeneralSettingsHost& m_host;
  std::array<bool, QV_GENERAL_BOX_COUNT> m_checked{};
  int m_language = 0;
  bool m_saveEnabled = false;
};
