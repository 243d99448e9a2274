// Debian's dmidecode reads every corpus table as a dump file (--from-dump); its
// strings, memory sizes, speeds, core and thread counts and voltages match ours.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/sim/sim_locale.h"
#include "support/temp_folder.h"
#include "sysinfo/smbios.h"
#include "sysinfo/smbios_corpus.h"

namespace {

// One structure as dmidecode prints it: its type and its "Key: Value" lines.
struct TDmiStructure {
  int type = -1;
  std::map<std::string, std::string> values;
};

std::string DmidecodeProgram() {
  for (const char* path : {"/usr/sbin/dmidecode", "/sbin/dmidecode", "/usr/bin/dmidecode"})
    if (std::filesystem::exists(path)) return path;
  return {};
}

std::string Output(const std::string& command) {
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    while (size_t read = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, read);
    pclose(pipe);
  }
  return output;
}

// "Handle 0x0003, DMI type 4, 48 bytes", a title line, then tab-indented "Key: Value" lines.
std::map<unsigned, TDmiStructure> ParseDmidecode(const std::string& output) {
  std::map<unsigned, TDmiStructure> structures;
  std::istringstream lines(output);
  std::string line;
  TDmiStructure* current = nullptr;
  while (std::getline(lines, line)) {
    unsigned handle = 0;
    int type = 0;
    if (std::sscanf(line.c_str(), "Handle 0x%x, DMI type %d", &handle, &type) == 2) {
      current = &structures[handle];
      current->type = type;
    } else if (current != nullptr && line.size() > 1 && line[0] == '\t' && line[1] != '\t') {
      const auto colon = line.find(": ");
      if (colon != std::string::npos) current->values[line.substr(1, colon - 1)] = line.substr(colon + 2);
    }
  }
  return structures;
}

// Our text as dmidecode prints it: every character outside printable ASCII is a dot
// (dmidecode filters the table's bytes, and each of our characters is one byte there);
// no string prints as dmidecode's "Not Specified".
std::string AsDmidecode(const std::string& text) {
  if (text.empty()) return "Not Specified";
  std::string printed;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if ((byte & 0xC0) == 0x80) continue;  // the rest of a multi-byte character
    printed += byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '.';
  }
  return printed;
}

// A string dmidecode calls unset: none, or a number beyond the set.
std::string Specified(const std::string& printed) { return printed == "<BAD INDEX>" ? "Not Specified" : printed; }

// dmidecode's "Size:" of a memory device in megabytes; 0 for none or unknown.
int64_t Megabytes(const std::string& size) {
  long long value = 0;
  char unit[8] = {};
  if (std::sscanf(size.c_str(), "%lld %7s", &value, unit) != 2) return 0;
  const std::string u = unit;
  return u == "TB" ? value << 20 : u == "GB" ? value << 10 : u == "MB" ? value : u == "kB" ? value / 1024 : -1;
}

// dmidecode's "4200 MHz", "16"; 0 for a line it leaves out or calls unknown.
int64_t Number(const std::map<std::string, std::string>& values, const std::string& key) {
  const auto found = values.find(key);
  return found == values.end() ? 0 : std::atoll(found->second.c_str());
}

std::string Value(const std::map<std::string, std::string>& values, const std::string& key) {
  const auto found = values.find(key);
  return found == values.end() ? "<missing>" : Specified(found->second);
}

TEST(Dmidecode, ReadsTheCorpusAsWeDo) {
  const std::string dmidecode = DmidecodeProgram();
  ASSERT_FALSE(dmidecode.empty()) << "dmidecode is missing: scripts/setup installs it";
  TSimLocale locale;
  TTempFolder folder;
  for (const TCorpusTable& corpus : SmbiosCorpus()) {
    const std::string path = folder.File(corpus.name + ".dmi");
    const std::vector<uint8_t> dump = corpus.table.DmidecodeDump();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(dump.data()),
                                                static_cast<std::streamsize>(dump.size()));
    const auto printed = ParseDmidecode(Output(dmidecode + " --from-dump '" + path + "' 2>&1"));
    const TSMBios smbios(corpus.table.Data(), locale);
    size_t compared = 0;
    auto check = [&](const TSMBiosStructure& structure, auto&& compare) {
      const auto found = printed.find(structure.Header().handle);
      ASSERT_NE(found, printed.end()) << "dmidecode does not print handle " << structure.Header().handle;
      EXPECT_EQ(found->second.type, structure.Header().type) << corpus.name;
      compare(found->second.values);
      ++compared;
    };
    SCOPED_TRACE(corpus.name);
    if (smbios.GetHasBiosInfo())
      check(smbios.BiosInfo(), [&](const auto& v) {
        EXPECT_EQ(Value(v, "Vendor"), AsDmidecode(smbios.BiosInfo().VendorStr()));
        EXPECT_EQ(Value(v, "Version"), AsDmidecode(smbios.BiosInfo().VersionStr()));
        EXPECT_EQ(Value(v, "Release Date"), AsDmidecode(smbios.BiosInfo().ReleaseDateStr()));
      });
    if (smbios.GetHasSystemInfo())
      check(smbios.SysInfo(), [&](const auto& v) {
        EXPECT_EQ(Value(v, "Manufacturer"), AsDmidecode(smbios.SysInfo().ManufacturerStr()));
        EXPECT_EQ(Value(v, "Product Name"), AsDmidecode(smbios.SysInfo().ProductNameStr()));
        EXPECT_EQ(Value(v, "Serial Number"), AsDmidecode(smbios.SysInfo().SerialNumberStr()));
      });
    for (const auto& board : smbios.BaseBoardInfo())
      check(board, [&](const auto& v) {
        EXPECT_EQ(Value(v, "Manufacturer"), AsDmidecode(board.ManufacturerStr()));
        EXPECT_EQ(Value(v, "Product Name"), AsDmidecode(board.ProductStr()));
        EXPECT_EQ(Value(v, "Version"), AsDmidecode(board.VersionStr()));
      });
    for (const auto& cpu : smbios.ProcessorInfo())
      check(cpu, [&](const auto& v) {
        EXPECT_EQ(Value(v, "Version"), AsDmidecode(cpu.ProcessorVersionStr()));
        EXPECT_EQ(Number(v, "Max Speed"), cpu.MaxSpeed());
        EXPECT_EQ(Number(v, "Current Speed"), cpu.CurrentSpeed());
        EXPECT_EQ(Number(v, "Core Count"), cpu.CoreCount());
        EXPECT_EQ(Number(v, "Thread Count"), cpu.ThreadCount());
        char volts[16];
        std::snprintf(volts, sizeof volts, "%.1f V", cpu.GetProcessorVoltage());
        EXPECT_EQ(Value(v, "Voltage"), cpu.GetProcessorVoltage() > 0 ? volts : "Unknown");
      });
    for (const auto& module : smbios.MemoryDeviceInfo())
      check(module, [&](const auto& v) {
        EXPECT_EQ(Megabytes(Value(v, "Size")), module.GetSize()) << Value(v, "Size");
        // An empty socket's strings dmidecode leaves out.
        if (Value(v, "Size") == "No Module Installed") return;
        EXPECT_EQ(Value(v, "Manufacturer"), AsDmidecode(module.ManufacturerStr()));
        EXPECT_EQ(Value(v, "Part Number"), AsDmidecode(module.PartNumberStr()));
      });
    EXPECT_GT(compared, 0u);
  }
}

}  // namespace
