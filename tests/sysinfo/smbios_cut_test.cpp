// Every corpus table cut at every length: nothing is read outside the bytes that are
// left (AddressSanitizer watches), and the index is the whole table's index up to
// the last complete structure.
#include <gtest/gtest.h>

#include "platform/sim/sim_firmware_tables.h"
#include "platform/sim/sim_locale.h"
#include "sysinfo/smbios_corpus.h"
#include "sysinfo/smbios_reading.h"
#include "sysinfo/smbios_source.h"

namespace {

TEST(SmbiosCut, EveryCorpusTableAtEveryLength) {
  TSimLocale locale;
  TSimFirmwareTables firmware;
  for (const TCorpusTable& corpus : SmbiosCorpus()) {
    const std::vector<uint8_t>& whole = corpus.table.Table();
    const TSMBios full(corpus.table.Data(), locale);
    const auto& entries = full.SMBiosTablesList();
    ASSERT_FALSE(entries.empty()) << corpus.name;
    // Where each structure ends: at the next one, the last at the table's end.
    std::vector<size_t> ends;
    for (size_t i = 0; i < entries.size(); ++i)
      ends.push_back(i + 1 < entries.size() ? static_cast<size_t>(entries[i + 1].index) : whole.size());
    for (size_t length = 0; length <= whole.size(); ++length) {
      TRawSMBIOSData data = corpus.table.Data();
      data.SMBIOSTableData.assign(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
      data.Length = static_cast<uint32_t>(length);
      const TSMBios cut(std::move(data), locale);
      size_t complete = 0;
      while (complete < ends.size() && ends[complete] <= length) ++complete;
      const std::vector<TSMBiosTableEntry> expected(entries.begin(),
                                                    entries.begin() + static_cast<std::ptrdiff_t>(complete));
      ASSERT_EQ(cut.SMBiosTablesList(), expected) << corpus.name << " cut at " << length;
      for (const std::string& text : ReadEverything(cut, firmware, locale))
        ASSERT_TRUE(IsValidUtf8(text)) << corpus.name << " cut at " << length;
    }
  }
}

TEST(SmbiosCut, ALengthThatLiesIsHeldToTheBytes) {
  TSimLocale locale;
  for (const TCorpusTable& corpus : SmbiosCorpus()) {
    const auto size = static_cast<uint32_t>(corpus.table.Table().size());
    for (uint32_t stated : {0u, size / 2, size - 1, size + 1, 0xFFFFFFFFu}) {
      const TSMBios smbios(ParseRawSmbiosData(corpus.table.RawSmbiosData(stated)), locale);
      EXPECT_EQ(smbios.RawData().Length, std::min(stated, size)) << corpus.name;
    }
  }
}

}  // namespace
