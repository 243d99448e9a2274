// TIgnoredPresenter: the ignored-devices page's list (one checkable row per
// ignored hardware id) and its Include action. The window applies it to its
// report list and the Include button.
#pragma once

#include <string>
#include <vector>

#include "core/data_model.h"
#include "platform/locale.h"
#include "platform/string_table.h"

class TResultsPresenter;

inline constexpr int IGNORED_NAME_COLUMN_WIDTH = 360;
inline constexpr int IGNORED_VERSION_COLUMN_WIDTH = 192;

struct TIgnoredRow {
  std::string name;     // strName
  std::string version;  // strVersion
  std::string hid;      // the device is looked up again by this on Include
  bool checked = false;
};

// The page's explanation: both paragraphs with a blank line between them.
std::string IgnoredPageText(IStringTable& strings);

class TIgnoredPresenter {
 public:
  TIgnoredPresenter(TDriverDatamodel& model, ILocale& locale) : m_model(model), m_locale(locale) {}

  // The ignored devices, one per hardware id, by class description, all unchecked.
  void Fill();
  void SetChecked(size_t row, bool checked);
  int CountChecked() const;
  // Include is enabled exactly when some row is checked.
  bool IncludeEnabled() const { return CountChecked() > 0; }
  // Includes every checked row's device still in the data model and removes the
  // checked rows; the results page's outdated list becomes stale.
  void Include(TResultsPresenter& results);

  const std::vector<TIgnoredRow>& Rows() const { return m_rows; }

 private:
  TDriverDatamodel& m_model;
  ILocale& m_locale;
  std::vector<TIgnoredRow> m_rows;
};
