// The libFuzzer entry of one target; TIDEWELL_FUZZ_ENTRY names its function
// in FuzzEntries.h, so every target is this file built once more.
#include "FuzzEntries.h"

#include <QCoreApplication>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  // Codecs and file engines behave as in the program, which always has one.
  static QCoreApplication application(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tidewell::fuzz::TIDEWELL_FUZZ_ENTRY(data, size);
  return 0;
}
