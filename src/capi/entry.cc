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
  // Calls are serialised: two runs started in one folder would share its
  // scratch files, so a second caller waits for the first. Each run makes
  // its names absolute when it starts (the current folder is one per
  // process); a host that analyses in parallel uses one Engine per thread
  // with absolute paths.
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
