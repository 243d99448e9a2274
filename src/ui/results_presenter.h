// TResultsPresenter: what the results page shows from the data model (the count
// text, the two device lists with their rows, the device menu of a row, Update
// All) as one view value the page applies, and the page's state (lists built,
// outdated list stale, a scan running). Rows and row actions name a device by
// its hardware id; the presenter finds the device again when an action runs.
#pragma once

#include <string>
#include <vector>

#include "core/data_model.h"
#include "devices/problem_texts.h"
#include "engine/data_manager.h"
#include "platform/image_lists.h"
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

enum class TResultList { outdated, upToDate };

// A row's identity: its list and its device's hardware id. Identical devices
// share an id; `instance` tells their records apart (0: the data model's first).
struct TRowKey {
  TResultList list = TResultList::outdated;
  std::string hid;
  int instance = 0;

  bool operator==(const TRowKey&) const = default;
};

struct TResultRow {
  TRowKey key;
  int tag = 0;                 // the row's control identifier
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

  bool operator==(const TResultRow&) const = default;
};

// The texts every row shows, from the string table.
struct TRowTexts {
  std::string updateCaption;
  std::string updateHint, statusHint, infoHint, menuHint, selectHint;

  bool operator==(const TRowTexts&) const = default;
};

// One section of device rows.
struct TResultSectionView {
  std::vector<TResultRow> rows;
  // Counts the builds of the list: a new one replaces the page's rows and sizes
  // the section, opening it when `openWhenBuilt` and closing it otherwise.
  int build = 0;
  bool openWhenBuilt = false;

  bool operator==(const TResultSectionView&) const = default;
};

// Everything the results page shows.
struct TResultsView {
  std::string title, rescanHint, updateAllCaption;
  std::string countText;
  bool countFitted = false;  // cut with an ellipsis before the rescan button when too long
  std::string outdatedCaption, upToDateCaption;
  TRowTexts rowTexts;
  TImageListRef deviceImages;  // 48 × 48, by the device's large image
  TImageListRef classImages;   // 32 × 32, by the device's class image
  TResultSectionView outdated, upToDate;
  bool updateAllEnabled = false;
  std::string updateAllHint;

  bool operator==(const TResultsView&) const = default;
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
  // The engine's image lists the rows' icons come from.
  void SetImageLists(TImageListRef deviceImages, TImageListRef classImages);
  // The results card becomes visible. While a scan runs the data model's list
  // is being replaced: the page keeps what it shows (none).
  TResultsShowAction OnShow() const;

  // A scan task starts: until it ends no row action reaches the data model.
  void ScanStarted() { m_scanRunning = true; }
  // Any scan that ran to its end, stopped or not: the scan replaced the data
  // model's records, so the rows are dropped (their devices are gone) and both
  // lists are rebuilt when the page is next shown, or at once when it shows.
  void ScanEnded();
  bool ScanRunning() const { return m_scanRunning; }
  // A changed choice for showing unplugged devices, or rows built for another DPI.
  void Invalidate() { m_scanResultAvailable = false; }
  // Stopping a scan or including devices.
  void MarkStale() { m_refreshResults = true; }
  bool ScanResultAvailable() const { return m_scanResultAvailable; }
  bool RefreshPending() const { return m_refreshResults; }

  const std::vector<TResultRow>& Outdated() const { return m_outdated.rows; }
  const std::vector<TResultRow>& UpToDate() const { return m_upToDate.rows; }
  const std::string& CountText() const { return m_countText; }
  std::string OutdatedSectionCaption() const;
  TResultsView View() const;

  // The device of a row, found again in the data model; none while a scan
  // runs, for a key no row has, or when the data model no longer holds it.
  TDeviceProperties* DeviceOf(const TRowKey& key) const;
  // Flips an outdated row's selection; returns the new state (false when the
  // row is no outdated row, its device is gone or a scan runs). Update All follows it.
  bool ToggleSelection(const TRowKey& key);
  // Update All's enabled state becomes whether some listed outdated device is
  // selected (when the page shows; a rebuild of the lists keeps it).
  void FollowSelection();
  bool AnyDeviceSelected() const;
  std::vector<TMenuEntry> MenuFor(const TRowKey& key, bool downloadAvailable, bool vistaAndAbove) const;
  // The folder the device menu's Open shows for a row: the package folder recorded for the
  // row's own device record (never another with its hardware id); empty when there is none.
  std::string FolderToOpen(const TRowKey& key, TDataManager& engine) const;

 private:
  struct TSection {
    std::vector<TResultRow> rows;
    int build = 0;
  };
  std::vector<TResultRow> BuildRows(TDriverMap devices, bool outdated, const TRowImages& images) const;
  void SetCount(int count);
  TResultRow* RowOf(const TRowKey& key);

  TDriverDatamodel& m_model;
  ILocale& m_locale;
  IStringTable& m_strings;
  const TProblemTexts& m_problems;
  TSection m_outdated;
  TSection m_upToDate;
  TImageListRef m_deviceImages;
  TImageListRef m_classImages;
  std::string m_countText;
  bool m_countFitted = false;
  int m_outdatedCount = 0;
  bool m_updateAllEnabled = false;
  bool m_scanResultAvailable = false;
  bool m_refreshResults = true;
  bool m_scanRunning = false;
};

// Sorts devices by class description ignoring case in the user's collation,
// keeping the data model's order among equals.
void SortByClassDescription(TDriverMap& devices, ILocale& locale);
