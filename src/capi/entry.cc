// The exported entry point of the shared library, and nothing else.
#include <iostream>
#include <mutex>

#include "korvan/engine.h"
#include "korvan/korvan.h"

extern "C" KORVAN_API int32_t KORVAN_CALL IKORVAN(int32_t code1,
                                                  int32_t code2) {
  if (code1 != KORVAN_INTERFACE_CODE || code2 != KORVAN_INTERFACE_CODE) {
    return 1;
  }
  // Calls are serialised: a run reads NAMES.dat and writes its files in
  // the current directory, so a second caller waits for the first.
  static std::mutex serial;
  const std::lock_guard<std::mutex> lock(serial);
  // Nothing may escape into the host process; the outcome of the run is in
  // its report file.
  try {
    korvan::Engine engine;
    korvan::RunOptions options;
    options.diagnostics = &std::cerr;
    engine.run_names(".", options);
  } catch (...) {
  }
  return 0;
}
