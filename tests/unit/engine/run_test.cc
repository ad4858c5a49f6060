// Whole runs through the C++ interface: files, NAMES.dat, statuses, and two
// engines at once.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "korvan/engine.h"

namespace fs = std::filesystem;

namespace korvan {
namespace {

class RunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("korvan-run-" +
            std::string(::testing::UnitTest::GetInstance()
                            ->current_test_info()
                            ->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name) << text;
    return dir_ / name;
  }
  static std::string read(const fs::path& p) {
    std::ifstream in(p);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  RunFiles files_for(const std::string& stem) {
    RunFiles f;
    f.version_label = "TEST";
    f.input = dir_ / (stem + ".dat");
    f.report = dir_ / (stem + ".out");
    f.plot = dir_ / (stem + ".plot");
    f.iteration = dir_ / (stem + ".iter");
    return f;
  }
  fs::path dir_;
};

const char* kWall =
    "WALL\n1 1 1 1 0 0 1 0 0 0 0 0 0 0 0\n"
    "20 6.0 10.0 0.001 0.0 12.0 120.0 100 0 0 0\n"
    "3 20 0.0 0.0\n0.0 10.0 1\n"
    "0 0 1 0\nSHEET\n12 7*0\n6.5 0 0 84.4 4*0 2.9E7 0 0 0\n"
    "0 0 0.0 6*0\nNONE\n0 0\n"
    "2\n0 0 10 1.0 0.0 0.0\n0 10 20 1.0 0.0 0.0\n0\n0\n";

TEST_F(RunTest, TwoEnginesAtOnceWriteWhatEachWritesAlone) {
  RunOptions options;
  options.fixed_clock = ClockTime{2026, 3, 4, 5, 6, 7};
  std::string metric = kWall;
  metric[5] = '2';  // unit system code of the control record
  write("a.dat", kWall);
  write("b.dat", metric);
  Engine().run(files_for("a"), options);
  Engine().run(files_for("b"), options);
  const std::string alone_a = read(dir_ / "a.out");
  const std::string alone_b = read(dir_ / "b.out");
  ASSERT_NE(alone_a, alone_b);

  for (int round = 0; round < 5; ++round) {
    std::thread ta([&] { Engine().run(files_for("a"), options); });
    std::thread tb([&] { Engine().run(files_for("b"), options); });
    ta.join();
    tb.join();
    EXPECT_EQ(read(dir_ / "a.out"), alone_a);
    EXPECT_EQ(read(dir_ / "b.out"), alone_b);
  }
}

TEST_F(RunTest, NamesFileNamesTheFilesRelativeToItsFolder) {
  write("wall.dat", kWall);
  write("NAMES.dat",
        "LABEL 2.0\r\nheader\r\nheader\r\n 7\r\nwall.dat   \r\nw.out\r\n"
        "w.plot\r\nw.iter\r\nw.pyc\r\nw.epd\r\n");
  const NamesFile names = read_names_file(dir_ / "NAMES.dat");
  EXPECT_EQ(names.files.version_label, "LABEL 2.0");
  EXPECT_EQ(names.header_number, 7);
  EXPECT_EQ(names.files.input, fs::path("wall.dat"));
  EXPECT_EQ(names.files.pressure_scratch, fs::path("w.epd"));
  EXPECT_FALSE(names.read_failed);

  std::ostringstream diagnostics;
  RunOptions options;
  options.diagnostics = &diagnostics;
  const RunResult result = Engine().run_names(dir_, options);
  EXPECT_EQ(result.status, RunStatus::kCompleted);
  EXPECT_EQ(result.problems, 1);
  EXPECT_NE(read(dir_ / "w.out").find("Version LABEL 2.0   "),
            std::string::npos);
  EXPECT_NE(read(dir_ / "w.iter").find("END OF ANALYSIS"), std::string::npos);
  EXPECT_EQ(diagnostics.str(), "");
}

TEST_F(RunTest, MissingNamesFileAsksForAnInputFile) {
  std::ostringstream diagnostics;
  RunOptions options;
  options.diagnostics = &diagnostics;
  const RunResult result = Engine().run_names(dir_, options);
  EXPECT_EQ(result.status, RunStatus::kFileError);
  EXPECT_EQ(diagnostics.str(),
            " PLEASE CREATE AN INPUT DATA FILE AND SAVE IT\n"
            " BEFORE COMPUTATION.  TRY IT AGAIN!\n"
            "cannot open the report file \"\" for writing\n");
}

TEST_F(RunTest, UnopenableInputIsReportedInTheReport) {
  std::ostringstream diagnostics;
  RunOptions options;
  options.diagnostics = &diagnostics;
  const RunResult result = Engine().run(files_for("absent"), options);
  EXPECT_EQ(result.status, RunStatus::kFileError);
  const std::string report = read(dir_ / "absent.out");
  EXPECT_NE(report.find("ERROR STOP -- cannot open the input data file"),
            std::string::npos);
  EXPECT_NE(report.find("END OF ANALYSIS"), std::string::npos);
  EXPECT_NE(diagnostics.str().find("absent.dat"), std::string::npos);
}

TEST_F(RunTest, AFullDiskIsReportedNotIgnored) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  write("wall.dat", kWall);
  RunFiles f = files_for("wall");
  f.report = "/dev/full";
  std::ostringstream diagnostics;
  RunOptions options;
  options.diagnostics = &diagnostics;
  const RunResult result = Engine().run(f, options);
  EXPECT_EQ(result.status, RunStatus::kFileError);
  EXPECT_NE(diagnostics.str().find("cannot write the report file"),
            std::string::npos);
  // The other files are complete.
  EXPECT_NE(read(dir_ / "wall.iter").find("END OF ANALYSIS"), std::string::npos);
}

TEST_F(RunTest, IterationBoundOfTheCaller) {
  write("wall.dat", kWall);
  RunOptions options;
  options.max_iterations = 1;
  const RunResult result = Engine().run(files_for("wall"), options);
  EXPECT_EQ(result.status, RunStatus::kNotClosed);
  EXPECT_NE(read(dir_ / "wall.out").find("SOLUTION NOT CLOSED"),
            std::string::npos);
}

TEST_F(RunTest, InputErrorStatusAndMessage) {
  write("bad.dat", "WALL\n1 0 0 0 0 0 1 0 0 0 0 0 0 0 0\n20 6.0 10.0\n");
  const RunResult result = Engine().run(files_for("bad"));
  EXPECT_EQ(result.status, RunStatus::kInputError);
  EXPECT_EQ(result.problems, 1);
  EXPECT_NE(result.message.find("bad.dat:3: wall-geometry record, field 4 "
                                "(deflection closure tolerance): end of file"),
            std::string::npos)
      << result.message;
}

}  // namespace
}  // namespace korvan
