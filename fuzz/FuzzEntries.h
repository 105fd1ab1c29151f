#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tidewell::fuzz {

// One fuzzed input reader: the libFuzzer targets and the regression replay
// test both call these, so a crash found by one is reproduced by the other.
// Each entry feeds the bytes to the reader as the program would meet them
// (a downloaded body, a file in the application folder) and traps when an
// invariant of the reader does not hold.
void FeedParsing(const uint8_t* data, size_t size);
void ItemStoreLoad(const uint8_t* data, size_t size);
void FeedsDbLoad(const uint8_t* data, size_t size);
void IniReader(const uint8_t* data, size_t size);
void LocalizationReader(const uint8_t* data, size_t size);
void OpmlImport(const uint8_t* data, size_t size);
void HtmlSanitizing(const uint8_t* data, size_t size);

struct Target {
  const char* name;  // folder name under seeds and the regression corpus
  void (*run)(const uint8_t* data, size_t size);
};

// Every target, in the order the fuzz script runs them.
const std::vector<Target>& Targets();

}  // namespace tidewell::fuzz
