// Fuzzes TIniFile, the reader of "config.ini", with the reads the settings make. Any text
// parses; saved the way the program saves its settings (every setting written back as
// read), the text reads back the same values, and saving it again changes nothing.
#include <cstdlib>
#include <string>

#include "core/ini_file.h"

namespace {

struct TSetting {
  const char* section;
  const char* key;
};

constexpr TSetting SETTINGS[] = {
    {"Backup Settings", "Location"},           {"Backup Settings", "Last Location"},
    {"Proxy Configuration", "Proxy Enabled"},  {"Proxy Configuration", "Proxy Server Url"},
    {"Proxy Configuration", "UserName"},       {"Proxy Configuration", "Password"},
    {"Proxy Configuration", "Proxy Server Port"}, {"General Configuration", "Download Location"},
    {"General Configuration", "Check Update"}, {"General Configuration", "Startup Launch"},
    {"General Configuration", "Auto Run Scan"}, {"General Configuration", "Show Splash"},
    {"General Configuration", "Show Unplugged"}, {"General Configuration", "Restore Points"},
    {"General Configuration", "Language"},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const TIniFile read(std::string(reinterpret_cast<const char*>(data), size));
  TIniFile saved = read;
  for (const TSetting& setting : SETTINGS) {
    (void)read.ReadInteger(setting.section, setting.key, 8080);
    (void)read.ReadBool(setting.section, setting.key, true);
    saved.WriteString(setting.section, setting.key, read.ReadString(setting.section, setting.key, {}));
  }
  const std::string text = saved.Text();
  const TIniFile reread(text);
  for (const TSetting& setting : SETTINGS)
    if (reread.ReadString(setting.section, setting.key, "-") != read.ReadString(setting.section, setting.key, {}))
      std::abort();
  if (reread.Text() != text) std::abort();
  return 0;
}
