// Writes each corpus table as a RawSMBIOSData file NAME.bin into the given folder.
#include <filesystem>
#include <fstream>
#include <iostream>

#include "sysinfo/smbios_corpus.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: smbios_corpus_writer FOLDER\n";
    return 3;
  }
  std::filesystem::create_directories(argv[1]);
  for (const TCorpusTable& corpus : SmbiosCorpus()) {
    const std::vector<uint8_t> bytes = corpus.table.RawSmbiosData();
    std::ofstream file(std::filesystem::path(argv[1]) / (corpus.name + ".bin"), std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file) return 1;
  }
  return 0;
}
