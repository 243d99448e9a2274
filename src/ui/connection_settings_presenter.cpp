#include "ui/connection_settings_presenter.h"

#include <charconv>
#include <exception>

#include "core/errors.h"
#include "res/string_ids.h"

namespace {

constexpr int FIELD_LABELS[QV_PROXY_FIELD_COUNT] = {IDS_PROXY_SERVER, IDS_PROXY_PORT, IDS_PROXY_USER,
                                                    IDS_PROXY_PASSWORD};

// A port is a decimal number from 1 to 65535, nothing around it.
std::optional<int32_t> PortOf(const std::string& text) {
  int32_t port = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
  if (error != std::errc() || end != text.data() + text.size() || text.empty() || text[0] == '-') return std::nullopt;
  if (port < 1 || port > 65535) return std::nullopt;
  return port;
}

}  // namespace

TConnectionSettingsPresenter::TConnectionSettingsPresenter(TDriverDatamodel& model, IStringTable& strings)
    : m_model(model), m_strings(strings) {}

void TConnectionSettingsPresenter::Load() {
  m_fields = {m_model.ProxyURL(), std::to_string(m_model.ProxyPort()), m_model.ProxyUserName(),
              m_model.ProxyPassword()};
  m_proxyChosen = m_model.ProxyEnabled();
  m_saveEnabled = false;
}

TConnectionSettingsView TConnectionSettingsPresenter::View() const {
  TConnectionSettingsView view;
  view.title = m_strings.Load(IDS_CARD_CONNECTION);
  view.proxyLabel = m_strings.Load(IDS_PROXY_LABEL);
  view.noProxy = m_strings.Load(IDS_NO_PROXY);
  view.useProxy = m_strings.Load(IDS_USE_PROXY);
  for (size_t i = 0; i < QV_PROXY_FIELD_COUNT; ++i) view.labels[i] = m_strings.Load(FIELD_LABELS[i]);
  view.fields = m_fields;
  view.proxyChosen = m_proxyChosen;
  view.fieldsEnabled = m_proxyChosen;
  view.save = m_strings.Load(IDS_SAVE_CAPTION);
  view.saveEnabled = m_saveEnabled;
  return view;
}

void TConnectionSettingsPresenter::ProxyChosen(bool useProxy) {
  if (useProxy == m_proxyChosen) return;
  m_proxyChosen = useProxy;
  m_saveEnabled = true;
}

void TConnectionSettingsPresenter::FieldEdited(TProxyField field, const std::string& text) {
  m_fields[static_cast<size_t>(field)] = text;
}

std::optional<TConnectionProblem> TConnectionSettingsPresenter::Check(int32_t& port) const {
  if (Field(TProxyField::server).empty())
    return TConnectionProblem{m_strings.Load(IDS_PROXY_SERVER_EMPTY), TProxyField::server};
  if (!Field(TProxyField::user).empty() && Field(TProxyField::password).empty())
    return TConnectionProblem{m_strings.Load(IDS_PROXY_PASSWORD_EMPTY), TProxyField::password};
  const std::optional<int32_t> parsed = PortOf(Field(TProxyField::port));
  if (!parsed)
    return TConnectionProblem{FormatText(m_strings.Load(IDS_PROXY_PORT_INVALID), Field(TProxyField::port)),
                              TProxyField::port};
  port = *parsed;
  return std::nullopt;
}

std::optional<TConnectionProblem> TConnectionSettingsPresenter::Save() {
  if (m_proxyChosen) {
    int32_t port = 0;
    if (auto problem = Check(port)) return problem;
    m_model.SetProxyURL(Field(TProxyField::server));
    m_model.SetProxyPort(port);
    m_model.SetProxyUserName(Field(TProxyField::user));
    m_model.SetProxyPassword(Field(TProxyField::password));
  }
  // Without the proxy the stored fields stay, to reappear when it is chosen again.
  m_model.SetProxyEnabled(m_proxyChosen);
  try {
    m_model.DumpSettings();
  } catch (const std::exception& error) {
    return TConnectionProblem{error.what(), TProxyField::server};
  }
  m_saveEnabled = false;
  return std::nullopt;
}
