// TResultsPresenter: what the results page shows from the data model (the count
// text, the two device lists with their rows, the device menu of a row) and the
// page's state (lists built, outdated list stale). The window applies it to its
// controls; a row's tag is its identity, as on the window's controls.
#pragma once

#include <string>
#include <vector>

#include "core/data_model.h"
#include "devices/problem_texts.h"
#include "platform/locale.h"
#include "platform/string_table.h"

// Tags: the row's index in the outdated list, or the index plus this in the up-to-date list.
inline constexpr int UPTODATE_TAG_BASE = 1000;

// Which image list a row's icon comes from.
enum class TRowIcon { none, device, deviceClass };

// What the engine's image lists offer when rows are built.
struct TRowImages {
  bool vistaAndAbove = true;
  bool deviceImagesEmpty = false;
};

struct TResultRow {
  TDeviceProperties* device = nullptr;
  int tag = 0;
  TRowIcon icon = TRowIcon::none;
  int iconIndex = -1;          // into the list named by icon
  std::string category;        // strClassDescription
  std::string name;            // strName
  bool statusShown = false;    // a problem code is set
  std::string statusText;      // the problem code's message
  bool infoShown = true;       // info and menu images are on every row
  bool menuShown = true;
  bool selectionShown = false; // outdated rows: the selection check and the update button
  bool selected = false;
  std::string driverSize;      // outdated rows: strDriverSize, kilobytes
  std::string sizeText;        // the size as the row shows it; empty when strDriverSize is no number
};

// Placement of the count text left of the rescan button.
struct TCountTextFit {
  bool autoSize = true;
  int width = 0;  // when not autoSize: ends 5 pixels before the button
  bool ellipsis = false;
};
TCountTextFit FitCountText(int textLeft, int textWidth, int rescanLeft);

// The count text: the table's "%d" format filled with the count.
std::string AvailableDriversText(IStringTable& strings, int count);
// The string-table text of Update All's hint for its enabled state.
int UpdateAllHintId(bool enabled);
// The dialog texts with the device name (or a caption) filled in for "%s".
std::string FormatWithName(const std::string& format, const std::string& name);

// One entry of the device menu.
struct TMenuEntry {
  std::string caption;
  bool enabled = true;
  bool visible = true;

  bool operator==(const TMenuEntry&) const = default;
};

// The device menu in order: details, delete, open, ignore, uninstall.
enum TDeviceMenuItem { menuDetails = 0, menuDelete, menuOpen, menuIgnore, menuUninstall, menuItemCount };
// `downloadAvailable`: the engine reports a downloaded update for the device.
std::vector<TMenuEntry> DeviceMenuEntries(IStringTable& strings, bool outdatedRow, bool downloadAvailable,
                                          bool vistaAndAbove);

// What showing the results page leads to.
enum class TResultsShowAction { none, refreshOutdated, refreshAll };

class TResultsPresenter {
 public:
  TResultsPresenter(TDriverDatamodel& model, ILocale& locale, IStringTable& strings, const TProblemTexts& problems)
      : m_model(model), m_locale(locale), m_strings(strings), m_problems(problems), m_countText(AvailableDriversText(strings, 0)) {}

  // Both lists from the data model; outdated devices installed or uninstalled
  // since the scan, and up-to-date devices uninstalled, are left out.
  void RefreshResults(const TRowImages& images);
  // Only the outdated list, every outdated device of the data model included.
  void RefreshOutdatedList(const TRowImages& images);
  // The results card becomes visible.
  TResultsShowAction OnShow() const;

  // A changed choice for showing unplugged devices.
  void Invalidate() { m_scanResultAvailable = false; }
  // Any scan that ran to its end, stopped or not: the scan replaced the data
  // model's records, so the rows are dropped (their devices are gone) and both
  // lists are rebuilt when the page is next shown, or at once when it shows.
  void ScanEnded();
  // Stopping a scan or including devices.
  void MarkStale() { m_refreshResults = true; }
  bool ScanResultAvailable() const { return m_scanResultAvailable; }
  bool RefreshPending() const { return m_refreshResults; }

  const std::vector<TResultRow>& Outdated() const { return m_outdated; }
  const std::vector<TResultRow>& UpToDate() const { return m_upToDate; }
  const std::string& CountText() const { return m_countText; }
  std::string OutdatedSectionCaption() const;

  // The device a row's tag names; none for the tags -1 and 999 or a tag past the lists.
  TDeviceProperties* DeviceByTag(int tag) const;
  static bool IsOutdatedTag(int tag) { return tag >= 0 && tag < UPTODATE_TAG_BASE; }
  // Flips an outdated row's selection; returns the new state (false for another tag).
  bool ToggleSelection(int tag);
  // Update All is enabled exactly when some listed outdated device is selected.
  bool AnyDeviceSelected() const;
  std::vector<TMenuEntry> MenuFor(int tag, bool downloadAvailable, bool vistaAndAbove) const;

 private:
  std::vector<TResultRow> BuildRows(TDriverMap devices, bool outdated, const TRowImages& images) const;
  void SetCount(int count);

  TDriverDatamodel& m_model;
  ILocale& m_locale;
  IStringTable& m_strings;
  const TProblemTexts& m_problems;
  std::vector<TResultRow> m_outdated;
  std::vector<TResultRow> m_upToDate;
  std::string m_countText;
  int m_outdatedCount = 0;
  bool m_scanResultAvailable = false;
  bool m_refreshResults = true;
};

// Sorts devices by class description ignoring case in the user's collation,
// keeping the data model's order among equals.
void SortByClassDescription(TDriverMap& devices, ILocale& locale);
