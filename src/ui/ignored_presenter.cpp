#include "ui/ignored_presenter.h"

#include <algorithm>

#include "res/string_ids.h"
#include "ui/results_presenter.h"

std::string IgnoredPageText(IStringTable& strings) {
  return strings.Load(IDS_IGNORED_EXPLANATION) + "\r\n\r\n" +
         FormatWithName(strings.Load(IDS_IGNORED_INCLUDE_HELP), strings.Load(IDS_INCLUDE_CAPTION));
}

void TIgnoredPresenter::Fill() {
  ++m_fill;
  if (m_results.ScanRunning()) {
    // The data model's list is being replaced; the scan's end fills the list again.
    for (TIgnoredRow& row : m_rows) row.checked = false;
    return;
  }
  TDriverMap ignored;
  m_model.GetDriverMap(ignored, DRIVER_TYPE_IGNORED);
  // The same id as the data model's including reaches: compared exactly.
  TDriverMap unique;
  for (TDeviceProperties* device : ignored) {
    const bool seen = std::any_of(unique.begin(), unique.end(),
                                  [&](const TDeviceProperties* kept) { return kept->strHID == device->strHID; });
    if (!seen) unique.push_back(device);
  }
  SortByClassDescription(unique, m_locale);
  m_rows.clear();
  for (const TDeviceProperties* device : unique) m_rows.push_back({device->strName, device->strVersion, device->strHID});
}

void TIgnoredPresenter::SetChecked(size_t row, bool checked) {
  if (row < m_rows.size()) m_rows[row].checked = checked;
}

int TIgnoredPresenter::CountChecked() const {
  return static_cast<int>(std::count_if(m_rows.begin(), m_rows.end(), [](const TIgnoredRow& row) { return row.checked; }));
}

bool TIgnoredPresenter::IncludeEnabled() const { return !m_results.ScanRunning() && CountChecked() > 0; }

void TIgnoredPresenter::Include() {
  if (m_results.ScanRunning()) return;
  // From the last row to the first, so removing a row leaves the ones still to visit in place.
  for (size_t i = m_rows.size(); i-- > 0;) {
    if (!m_rows[i].checked) continue;
    // A device no longer in the data model (a rescan replaced the list) just loses its row.
    if (TDeviceProperties* device = m_model.GetDevice(m_rows[i].hid)) m_model.IncludeDevice(*device, deviSameName);
    m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(i));
  }
  ++m_fill;
  m_results.MarkStale();
}

TIgnoredView TIgnoredPresenter::View() const {
  TIgnoredView view;
  view.title = m_strings.Load(IDS_CARD_IGNORED);
  view.explanation = IgnoredPageText(m_strings);
  view.nameColumn = m_strings.Load(IDS_IGNORED_NAME_COLUMN);
  view.versionColumn = m_strings.Load(IDS_IGNORED_VERSION_COLUMN);
  view.include = m_strings.Load(IDS_INCLUDE_CAPTION);
  view.includeHint = m_strings.Load(IDS_INCLUDE_HINT);
  view.rows = m_rows;
  view.fill = m_fill;
  view.includeEnabled = IncludeEnabled();
  return view;
}
