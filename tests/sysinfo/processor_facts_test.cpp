// Processor and memory facts with their fall-backs, on simulated hardware.
#include <gtest/gtest.h>

#include "platform/sim/sim_hardware_facts.h"
#include "sysinfo/no_hardware_facts.h"
#include "sysinfo/processor_facts.h"

namespace {

TEST(ProcessorFacts, LogicalProcessorsAndCoresFromTheFirstSourceThatAnswers) {
  const struct {
    const char* name;
    bool extended, plain;
    std::optional<uint64_t> affinity;
    uint32_t logical, cores;
  } cases[] = {
      {"extended information", true, true, 0xF, 16, 8},
      {"plain information, group 0 only", false, true, 0xF, 12, 6},
      {"the affinity mask's low 32 bits", false, false, 0xFFFF0000000000FFull, 8, 0},
      {"the system's processor count", false, false, std::nullopt, 12, 0},
  };
  for (const auto& c : cases) {
    TSimHardwareFacts hardware;
    hardware.cores.push_back({1, 0x3});  // two more cores in group 1
    hardware.cores.push_back({1, 0xC});
    hardware.extendedInformation = c.extended;
    hardware.plainInformation = c.plain;
    hardware.processAffinity = c.affinity;
    const TProcessorCounts counts = CountProcessors(hardware);
    EXPECT_EQ(counts.logicalProcessors, c.logical) << c.name;
    EXPECT_EQ(counts.processorCores, c.cores) << c.name;
  }
}

// Logical processors that appear between the size query and the read: the loop asks again.
class TGrowingHardware : public TSimHardwareFacts {
 public:
  bool GetLogicalProcessorInformationEx(uint32_t relationship, uint8_t* buffer, uint32_t* length) override {
    if (++calls == 2) cores.push_back({0, 0x3000});
    return TSimHardwareFacts::GetLogicalProcessorInformationEx(relationship, buffer, length);
  }
  int calls = 0;
};

TEST(ProcessorFacts, TheBufferSizeLoopFollowsAGrowingAnswer) {
  TGrowingHardware hardware;
  const TProcessorCounts counts = CountProcessors(hardware);
  EXPECT_EQ(counts.processorCores, 7u);
  EXPECT_EQ(counts.logicalProcessors, 14u);
  EXPECT_EQ(hardware.calls, 3);
}

TEST(ProcessorFacts, BrandString) {
  const struct {
    std::string brand;
    std::string expected;
  } cases[] = {
      {"       Intel(R) Core(TM) i7-7700 CPU @ 3.60GHz", "Intel(R) Core(TM) i7-7700 CPU @ 3.60GHz"},
      {"AMD Ryzen 5 3600 6-Core Processor              ", "AMD Ryzen 5 3600 6-Core Processor"},
      {std::string(48, 'X'), std::string(48, 'X')},  // no NUL: 48 bytes, never more
      {std::string("Short\0Hidden", 12), "Short"},
      {"", ""},
      {std::string(48, ' '), ""},
  };
  for (const auto& c : cases) {
    TSimHardwareFacts hardware;
    hardware.brand = c.brand;
    EXPECT_EQ(ProcessorBrandString(hardware), c.expected) << c.brand;
  }
}

TEST(ProcessorFacts, CoresPerPackageFromTheVendorsLeaf) {
  const struct {
    const char* vendor;
    uint32_t cores;
    uint32_t expected;
  } cases[] = {{"GenuineIntel", 4, 4}, {"GenuineIntel", 64, 64}, {"AuthenticAMD", 16, 16},
               {"AuthenticAMD", 256, 256}, {"CentaurHauls", 8, 0}};
  for (const auto& c : cases) {
    TSimHardwareFacts hardware;
    hardware.vendor = c.vendor;
    hardware.coresPerPackage = c.cores;
    EXPECT_EQ(CoresPerPackage(hardware), c.expected) << c.vendor << " " << c.cores;
  }
}

TEST(ProcessorFacts, TheClockAgainstThePerformanceCounter) {
  TSimHardwareFacts hardware;
  hardware.clockMHz = 2096;
  hardware.performanceFrequency = 3579545;
  EXPECT_EQ(MeasureClockMHz(hardware), 2096u);
  EXPECT_EQ(hardware.sleptMilliseconds, CLOCK_MEASUREMENT_MS);
  TNoHardwareFacts none;
  EXPECT_EQ(MeasureClockMHz(none), 0u);
}

TEST(ProcessorFacts, MegabytesRoundHalfToEven) {
  const uint64_t mb = 1048576;
  const struct {
    uint64_t bytes;
    int64_t megabytes;
  } cases[] = {{17094877184, 16303}, {mb / 2, 0}, {mb / 2 + 1, 1}, {mb + mb / 2, 2},
               {2 * mb + mb / 2, 2}, {3 * mb + mb / 2, 4}, {0, 0}, {16ull << 30, 16384}};
  for (const auto& c : cases) EXPECT_EQ(RoundToMegabytes(c.bytes), c.megabytes) << c.bytes;
}

TEST(ProcessorFacts, MemoryStatusNeedsItsLength) {
  TSimHardwareFacts hardware;
  TMemoryStatusEx status;
  status.length = 32;
  EXPECT_FALSE(hardware.GlobalMemoryStatusEx(&status));
  EXPECT_EQ(hardware.LastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(OsPhysicalMemoryMB(hardware), 16303);
}

}  // namespace
