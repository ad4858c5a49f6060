// Whole runs through the C++ interface: files, NAMES.dat, statuses, and two
// engines at once.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <sys/stat.h>

#include "korvan/engine.h"

namespace fs = std::filesystem;

namespace korvan {
namespace {

class RunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::temp_directory_path() /
        ("korvan-run-" +
         std::string(
             ::testing::UnitTest::GetInstance()->current_test_info()->name()) +
         "-" + std::to_string(::getpid()));
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
  // The names in the test folder, sorted.
  std::vector<std::string> listing() const {
    std::vector<std::string> names;
    for (const fs::directory_entry& e : fs::directory_iterator(dir_)) {
      names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  fs::path dir_;
};

const fs::path kExamples =
    fs::path(KORVAN_TEST_DATA) / ".." / ".." / "examples";

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
            "cannot open the input data file \"\"\n");
}

TEST_F(RunTest, UnopenableInputWritesNoFile) {
  std::ostringstream diagnostics;
  RunOptions options;
  options.diagnostics = &diagnostics;
  const RunResult result = Engine().run(files_for("absent"), options);
  EXPECT_EQ(result.status, RunStatus::kFileError);
  EXPECT_EQ(diagnostics.str(), "cannot open the input data file \"" +
                                   (dir_ / "absent.dat").string() + "\"\n");
  EXPECT_TRUE(listing().empty());
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
  // The run's files go into place together or not at all: no iteration or
  // plot file of a run whose report is lost, and no temporary file left.
  EXPECT_EQ(listing(), std::vector<std::string>{"wall.dat"});
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

// The iteration limits of one run are bounded over all its problems: a
// small file of many problems that never close would fill a disk with
// its iteration log.
TEST_F(RunTest, TheIterationsOfARunAreBounded) {
  std::string problem = kWall;
  problem.replace(problem.find(" 100 0 0 0"), 10, " 100000 0 0 0");
  const std::string continued = problem.substr(0, problem.size() - 2) + "1\n";
  std::string text;
  for (int i = 0; i < 9; ++i) text += continued;
  write("ten.dat", text + problem);
  write("eleven.dat", text + continued + problem);
  const RunResult ten = Engine().run(files_for("ten"));
  EXPECT_EQ(ten.status, RunStatus::kCompleted) << ten.message;
  EXPECT_EQ(ten.problems, 10);
  const RunResult eleven = Engine().run(files_for("eleven"));
  EXPECT_EQ(eleven.status, RunStatus::kInputError);
  EXPECT_EQ(eleven.problems, 11);
  EXPECT_NE(eleven.message.find(
                "eleven.dat:173: wall-geometry record, field 8 (maximum "
                "number of iterations): the iteration limits of problems 1 "
                "to 11 add up to 1100000, more than the 1000000 iterations a "
                "run may take"),
            std::string::npos)
      << eleven.message;
  // A caller's bound counts in their place.
  RunOptions options;
  options.max_iterations = 100;
  EXPECT_EQ(Engine().run(files_for("eleven"), options).status,
            RunStatus::kCompleted);
}

// Station tables that are not numbers once the entries are spread (a pair
// running from -1e308 to 1e308), or a rigidity whose reciprocal is not,
// are refused naming their record, not as a solution that is not finite.
TEST_F(RunTest, StationTablesThatAreNotNumbersNameTheirRecord) {
  std::string pair = kWall;
  const std::string loads = "2\n0 0 10 1.0 0.0 0.0\n0 10 20 1.0 0.0 0.0\n";
  pair.replace(pair.find(loads), loads.size(),
               "2\n1 5 5 -1.0E308 0.0 0.0\n0 10 10 1.0E308 0.0 0.0\n");
  write("pair.dat", pair);
  RunResult r = Engine().run(files_for("pair"));
  EXPECT_EQ(r.status, RunStatus::kInputError);
  EXPECT_NE(r.message.find("pair.dat:14: stiffness-and-load record 1: the "
                           "transverse load at station 5, once the entries "
                           "are added up over their stations, is beyond the "
                           "range of the numbers"),
            std::string::npos)
      << r.message;
  std::string tiny = kWall;
  tiny.replace(tiny.find("2.9E7"), 5, "5e-324");
  write("tiny.dat", tiny);
  r = Engine().run(files_for("tiny"));
  EXPECT_EQ(r.status, RunStatus::kInputError);
  EXPECT_NE(r.message.find("wall section 1: the flexural rigidity"),
            std::string::npos)
      << r.message;
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

// A reused engine gives every run the results a new engine gives: the
// deflections of one file do not start the next file. Stages within one
// file still start from the previous stage.
TEST_F(RunTest, AReusedEngineStartsEveryRunAfresh) {
  RunOptions options;
  options.fixed_clock = ClockTime{2026, 3, 4, 5, 6, 7};
  RunFiles staged = files_for("staged");
  staged.input = kExamples / "staged_excavation.dat";
  RunFiles shaft = files_for("shaft");
  shaft.input = kExamples / "drilled_shaft_weak_rock.dat";
  shaft.py_scratch = dir_ / "shaft.pyc";
  shaft.pressure_scratch = dir_ / "shaft.epd";

  const RunResult fresh = Engine().run(shaft, options);
  const std::string fresh_report = read(shaft.report);
  ASSERT_EQ(fresh.status, RunStatus::kCompleted);

  Engine reused;
  const RunResult first = reused.run(staged, options);
  ASSERT_EQ(first.status, RunStatus::kCompleted);
  const std::string staged_report = read(staged.report);
  const RunResult second = reused.run(shaft, options);
  EXPECT_EQ(second.status, RunStatus::kCompleted);
  EXPECT_TRUE(read(shaft.report) == fresh_report);
  // And back: the staged file as on its own.
  reused.run(staged, options);
  EXPECT_TRUE(read(staged.report) == staged_report);
}

// Scratch files that cannot be written or read end the run as a file error
// naming the file, not as an input error.
TEST_F(RunTest, ScratchFileFaultsAreFileErrors) {
  RunFiles f = files_for("shaft");
  f.input = kExamples / "drilled_shaft_weak_rock.dat";
  f.py_scratch = dir_ / "shaft.pyc";
  f.pressure_scratch = dir_ / "folder.epd";
  fs::create_directories(f.pressure_scratch);
  RunResult r = Engine().run(f);
  EXPECT_EQ(r.status, RunStatus::kFileError);
  EXPECT_NE(r.message.find("earth-pressure distribution file"),
            std::string::npos);
  EXPECT_NE(r.message.find("folder.epd"), std::string::npos) << r.message;
  EXPECT_NE(read(f.report).find("END OF ANALYSIS"), std::string::npos);

  if (fs::exists("/dev/full")) {
    // Opens, but every write fails.
    f.pressure_scratch = dir_ / "shaft.epd";
    f.py_scratch = "/dev/full";
    r = Engine().run(f);
    EXPECT_EQ(r.status, RunStatus::kFileError);
    EXPECT_NE(r.message.find("p-y curve file \"/dev/full\""), std::string::npos)
        << r.message;
  }
}

// The wall takes the scratch numbers from the text just written, not from
// the file read again: scratch files named by a device that keeps nothing
// give the run of ordinary scratch files, and those files hold the text.
TEST_F(RunTest, ScratchNumbersComeFromTheTextJustWritten) {
  if (!fs::exists("/dev/null")) GTEST_SKIP() << "no /dev/null";
  RunOptions options;
  options.fixed_clock = ClockTime{2026, 3, 4, 5, 6, 7};
  for (const char* example :
       {"drilled_shaft_weak_rock", "sheet_pile_generated_pressure"}) {
    RunFiles f = files_for(example);
    f.input = kExamples / (std::string(example) + ".dat");
    f.py_scratch = dir_ / "wall.pyc";
    f.pressure_scratch = dir_ / "wall.epd";
    ASSERT_EQ(Engine().run(f, options).status, RunStatus::kCompleted);
    const std::string report = read(f.report);
    const bool has_py = fs::file_size(f.py_scratch) > 20;
    const bool has_pressure = fs::file_size(f.pressure_scratch) > 20;
    EXPECT_TRUE(has_py || has_pressure) << example;

    f.py_scratch = "/dev/null";
    f.pressure_scratch = "/dev/null";
    const RunResult r = Engine().run(f, options);
    EXPECT_EQ(r.status, RunStatus::kCompleted) << example << ": " << r.message;
    EXPECT_TRUE(read(f.report) == report) << example;

    // Without scratch files: the same report, and files under the scratch
    // names (here the input itself) are neither written nor removed.
    RunOptions in_memory = options;
    in_memory.write_scratch_files = false;
    f.py_scratch = f.input;
    f.pressure_scratch = dir_ / "earlier.epd";
    write("earlier.epd", "earlier");
    const RunResult m = Engine().run(f, in_memory);
    EXPECT_EQ(m.status, RunStatus::kCompleted) << example << ": " << m.message;
    EXPECT_TRUE(read(f.report) == report) << example;
    EXPECT_EQ(read(dir_ / "earlier.epd"), "earlier") << example;
    EXPECT_TRUE(fs::exists(f.input)) << example;
  }
}

// The header shows the input's folder as an absolute path without "." or
// ".." pieces.
TEST_F(RunTest, HeaderShowsTheInputFolderNormalised) {
  write("wall.dat", kWall);
  fs::create_directories(dir_ / "sub");
  RunFiles f = files_for("wall");
  f.input = dir_ / "." / "sub" / ".." / "wall.dat";
  ASSERT_EQ(Engine().run(f).status, RunStatus::kCompleted);
  const std::string report = read(f.report);
  EXPECT_NE(
      report.find("Path to file locations      : " + dir_.string() + "/\n"),
      std::string::npos)
      << report.substr(0, 1200);
  EXPECT_NE(report.find("Name of input data file     : wall.dat\n"),
            std::string::npos);
}

// A run whose outputs or scratch files name its input or one another is
// refused before any file is opened: nothing is written, the input stays.
TEST_F(RunTest, RunsThatWouldOverwriteTheirOwnFilesAreRefused) {
  write("wall.dat", kWall);
  fs::create_hard_link(dir_ / "wall.dat", dir_ / "hard.dat");
  fs::create_symlink(dir_ / "wall.dat", dir_ / "soft.dat");
  fs::create_directory_symlink(dir_, dir_ / "here");
  const auto before = listing();
  struct Case {
    const char* what;
    void (*change)(RunFiles&, const fs::path&);
  };
  const Case cases[] = {
      {"report is the input",
       [](RunFiles& f, const fs::path& d) { f.report = d / "." / "wall.dat"; }},
      {"earth-pressure scratch is the input",
       [](RunFiles& f, const fs::path& d) {
         f.pressure_scratch = d / "sub" / ".." / "wall.dat";
       }},
      {"p-y scratch is the input",
       [](RunFiles& f, const fs::path&) { f.py_scratch = f.input; }},
      {"iteration file is a hard link to the input",
       [](RunFiles& f, const fs::path& d) { f.iteration = d / "hard.dat"; }},
      {"plot file is a symbolic link to the input",
       [](RunFiles& f, const fs::path& d) { f.plot = d / "soft.dat"; }},
      {"report is the input through a linked folder",
       [](RunFiles& f, const fs::path& d) { f.report = d / "here" / "wall.dat"; }},
      {"plot file is the report through a linked folder, neither there yet",
       [](RunFiles& f, const fs::path& d) {
         f.plot = d / "here" / "sub" / ".." / "wall.out";
       }},
      {"report and plot file are one file",
       [](RunFiles& f, const fs::path&) { f.plot = f.report; }},
      {"scratch file is the report",
       [](RunFiles& f, const fs::path&) { f.py_scratch = f.report; }},
  };
  for (const Case& c : cases) {
    RunFiles f = files_for("wall");
    f.py_scratch = dir_ / "wall.pyc";
    f.pressure_scratch = dir_ / "wall.epd";
    c.change(f, dir_);
    std::ostringstream diagnostics;
    RunOptions options;
    options.diagnostics = &diagnostics;
    const RunResult r = Engine().run(f, options);
    EXPECT_EQ(r.status, RunStatus::kFileError) << c.what;
    EXPECT_FALSE(r.files_written) << c.what;
    EXPECT_NE(r.message.find("one file"), std::string::npos)
        << c.what << ": " << r.message;
    EXPECT_EQ(read(dir_ / "wall.dat"), kWall) << c.what;
    EXPECT_EQ(listing(), before) << c.what;
    EXPECT_EQ(diagnostics.str(), r.message + "\n") << c.what;
  }
}

// A run that cannot open its files, or finds no input, leaves the files of
// the earlier run as they were, and no temporary file behind.
TEST_F(RunTest, ARunThatCannotFinishKeepsTheEarlierFiles) {
  write("wall.dat", kWall);
  const RunFiles good = files_for("wall");
  ASSERT_EQ(Engine().run(good).status, RunStatus::kCompleted);
  const std::string report = read(good.report);
  const std::string iteration = read(good.iteration);
  const auto before = listing();

  RunFiles f = good;
  f.plot = dir_ / "no-such-folder" / "wall.plot";
  RunResult r = Engine().run(f);
  EXPECT_EQ(r.status, RunStatus::kFileError);
  EXPECT_NE(r.message.find("cannot open the plot-data file"),
            std::string::npos);
  EXPECT_EQ(read(good.report), report);
  EXPECT_EQ(listing(), before);

  f = good;
  f.input = dir_ / "absent.dat";
  std::ostringstream diagnostics;
  RunOptions options;
  options.diagnostics = &diagnostics;
  r = Engine().run(f, options);
  EXPECT_EQ(r.status, RunStatus::kFileError);
  EXPECT_FALSE(r.files_written);
  EXPECT_NE(diagnostics.str().find("cannot open the input data file"),
            std::string::npos);
  EXPECT_NE(diagnostics.str().find("absent.dat"), std::string::npos);
  EXPECT_EQ(read(good.report), report);
  EXPECT_EQ(listing(), before);

  if (fs::exists("/dev/full")) {
    f = good;
    f.plot = "/dev/full";  // a full disk: the plot file cannot be written
    r = Engine().run(f);
    EXPECT_EQ(r.status, RunStatus::kFileError);
    EXPECT_NE(r.message.find("cannot write the plot-data file"),
              std::string::npos);
    EXPECT_EQ(read(good.report), report);
    EXPECT_EQ(read(good.iteration), iteration);
    EXPECT_EQ(listing(), before);
  }

  // An input error stop is a finished run: its report replaces the old one.
  write("wall.dat", "WALL\n1 0 0 0 0 0 1 0 0 0 0 0 0 0 0\n20 x\n");
  r = Engine().run(good);
  EXPECT_EQ(r.status, RunStatus::kInputError);
  EXPECT_TRUE(r.files_written);
  EXPECT_NE(read(good.report).find("ERROR STOP"), std::string::npos);
  EXPECT_EQ(listing(), before);
}

// A report name that is a symbolic link is replaced; the link's target is
// not written.
TEST_F(RunTest, AnOutputNamedByALinkLeavesTheLinkTargetAlone) {
  write("wall.dat", kWall);
  write("precious.txt", "keep me\n");
  fs::create_symlink(dir_ / "precious.txt", dir_ / "wall.out");
  ASSERT_EQ(Engine().run(files_for("wall")).status, RunStatus::kCompleted);
  EXPECT_EQ(read(dir_ / "precious.txt"), "keep me\n");
  EXPECT_FALSE(fs::is_symlink(dir_ / "wall.out"));
  EXPECT_NE(read(dir_ / "wall.out").find("END OF ANALYSIS"), std::string::npos);
}

// The scratch files go the outputs' way: a link under a scratch name is
// replaced, its target never written.
TEST_F(RunTest, AScratchFileNamedByALinkLeavesTheLinkTargetAlone) {
  RunFiles f = files_for("shaft");
  fs::copy_file(kExamples / "drilled_shaft_weak_rock.dat", f.input);
  f.py_scratch = dir_ / "shaft.pyc";
  f.pressure_scratch = dir_ / "shaft.epd";
  write("precious-py.txt", "keep me\n");
  write("precious-ep.txt", "keep me too\n");
  fs::create_symlink(dir_ / "precious-py.txt", f.py_scratch);
  fs::create_symlink(dir_ / "precious-ep.txt", f.pressure_scratch);
  ASSERT_EQ(Engine().run(f).status, RunStatus::kCompleted);
  EXPECT_EQ(read(dir_ / "precious-py.txt"), "keep me\n");
  EXPECT_EQ(read(dir_ / "precious-ep.txt"), "keep me too\n");
  EXPECT_FALSE(fs::is_symlink(f.py_scratch));
  EXPECT_FALSE(fs::is_symlink(f.pressure_scratch));
}

// A pipe under an output or scratch name would hold the run in its opening
// until something reads it: refused as a file error, nothing written.
TEST_F(RunTest, APipeIsNoOutputFile) {
  write("wall.dat", kWall);
  ASSERT_EQ(::mkfifo((dir_ / "wall.out").c_str(), 0600), 0);
  RunResult r = Engine().run(files_for("wall"));
  EXPECT_EQ(r.status, RunStatus::kFileError);
  EXPECT_NE(r.message.find("\"" + (dir_ / "wall.out").string() +
                           "\" for writing: it is neither a file nor a device"),
            std::string::npos)
      << r.message;
  EXPECT_FALSE(fs::exists(dir_ / "wall.plot"));

  RunFiles f = files_for("shaft");
  f.input = kExamples / "drilled_shaft_weak_rock.dat";
  f.py_scratch = dir_ / "shaft.pyc";
  f.pressure_scratch = dir_ / "shaft.epd";
  ASSERT_EQ(::mkfifo(f.pressure_scratch.c_str(), 0600), 0);
  r = Engine().run(f);
  EXPECT_EQ(r.status, RunStatus::kFileError);
  EXPECT_NE(r.message.find("earth-pressure distribution file"),
            std::string::npos)
      << r.message;
}

TEST_F(RunTest, AFolderIsNoInputFile) {
  fs::create_directories(dir_ / "wall.dat");
  const RunResult r = Engine().run(files_for("wall"));
  EXPECT_EQ(r.status, RunStatus::kFileError);
  EXPECT_NE(r.message.find("is a folder"), std::string::npos) << r.message;
  EXPECT_FALSE(fs::exists(dir_ / "wall.out"));
}

}  // namespace
}  // namespace korvan
