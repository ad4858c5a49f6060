// Layout of the p-y stop messages of the depth-profile look-ups.
#include "report/py_report.h"

#include <gtest/gtest.h>

#include <sstream>

namespace korvan::report {
namespace {

std::string stop_text(const py::PyStop& stop) {
  std::ostringstream text;
  RecordWriter out(text);
  write_py_stop(out, stop);
  return text.str();
}

// Only the friction-angle and k stops lead " IS BEYOND THE EXTENT OF" with
// a blank; the strength and unit-weight stops start it in column 1.
TEST(PyReport, BeyondTheProfileMessages) {
  EXPECT_NE(stop_text({1, 120.0, "PHI"}).find("\n IS BEYOND THE EXTENT OF"),
            std::string::npos);
  for (const py::PyStop& stop : {py::PyStop{1, 120.0, "STRENGTH"},
                                 py::PyStop{4, 120.0, "UNIT WEIGHT"}}) {
    const std::string text = stop_text(stop);
    EXPECT_NE(text.find("\nIS BEYOND THE EXTENT OF"), std::string::npos)
        << text;
  }
  EXPECT_NE(stop_text({1, 120.0, "STRENGTH"}).find("THE INPUT STRENGTH CURVE"),
            std::string::npos);
}

}  // namespace
}  // namespace korvan::report
