// TIgnoredPresenter: the ignored-devices page as one view value (one checkable
// row per ignored hardware id, the texts, Include's enabled state) and its
// Include action. While a scan runs (the results presenter knows) the list
// keeps its rows and Include does nothing.
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

  bool operator==(const TIgnoredRow&) const = default;
};

// Everything the ignored page shows.
struct TIgnoredView {
  std::string title, explanation, nameColumn, versionColumn, include, includeHint;
  std::vector<TIgnoredRow> rows;
  // Counts the fills: a new one replaces the list's rows, all unchecked; the
  // user's ticks between fills come back through SetChecked.
  int fill = 0;
  bool includeEnabled = false;

  bool operator==(const TIgnoredView&) const = default;
};

// The page's explanation: both paragraphs with a blank line between them.
std::string IgnoredPageText(IStringTable& strings);

class TIgnoredPresenter {
 public:
  TIgnoredPresenter(TDriverDatamodel& model, ILocale& locale, IStringTable& strings, TResultsPresenter& results)
      : m_model(model), m_locale(locale), m_strings(strings), m_results(results) {}

  // The ignored devices, one per hardware id, by class description, all
  // unchecked; while a scan runs the rows stay as they are, unchecked again.
  void Fill();
  void SetChecked(size_t row, bool checked);
  int CountChecked() const;
  // Include is enabled exactly when some row is checked and no scan runs.
  bool IncludeEnabled() const;
  // Includes every checked row's device still in the data model and removes the
  // checked rows; the results page's outdated list becomes stale. Nothing while a scan runs.
  void Include();

  const std::vector<TIgnoredRow>& Rows() const { return m_rows; }
  TIgnoredView View() const;

 private:
  TDriverDatamodel& m_model;
  ILocale& m_locale;
  IStringTable& m_strings;
  TResultsPresenter& m_results;
  std::vector<TIgnoredRow> m_rows;
  int m_fill = 0;
};
