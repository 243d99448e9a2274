// The connection settings page: the proxy choice and its four fields, edited
// until Save. Save checks every field before it takes any over, so a stopped
// save leaves the running settings and the settings file as they were.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "core/data_model.h"

enum class TProxyField : int { server, port, user, password };
inline constexpr size_t QV_PROXY_FIELD_COUNT = 4;

struct TConnectionSettingsView {
  std::string title;
  std::string proxyLabel;
  std::string noProxy;
  std::string useProxy;
  std::array<std::string, QV_PROXY_FIELD_COUNT> labels;
  std::array<std::string, QV_PROXY_FIELD_COUNT> fields;
  bool proxyChosen = false;
  // The four labels and fields.
  bool fieldsEnabled = false;
  std::string save;
  bool saveEnabled = false;

  bool operator==(const TConnectionSettingsView&) const = default;
};

// Why a save stopped: the message, and the field that gets the focus.
struct TConnectionProblem {
  std::string message;
  TProxyField focus;

  bool operator==(const TConnectionProblem&) const = default;
};

class TConnectionSettingsPresenter {
 public:
  TConnectionSettingsPresenter(TDriverDatamodel& model, IStringTable& strings);

  // The texts and the stored proxy settings again; Save disabled.
  void Load();
  TConnectionSettingsView View() const;

  // A radio button chosen: a different choice enables the fields and Save.
  void ProxyChosen(bool useProxy);
  // Typing in a field: kept for Save, which it does not enable.
  void FieldEdited(TProxyField field, const std::string& text);
  // Stores the proxy settings; nothing is taken over when a field is wrong.
  // A settings file that cannot be written is a problem too.
  std::optional<TConnectionProblem> Save();

 private:
  const std::string& Field(TProxyField field) const { return m_fields[static_cast<size_t>(field)]; }
  std::optional<TConnectionProblem> Check(int32_t& port) const;

  TDriverDatamodel& m_model;
  IStringTable& m_strings;
  std::array<std::string, QV_PROXY_FIELD_COUNT> m_fields;
  bool m_proxyChosen = false;
  bool m_saveEnabled = false;
};
