// NAMES.dat, the run-control file of the front end, and the run started
// from it.
#include <fstream>
#include <ostream>

#include "korvan/engine.h"

namespace korvan {
namespace {

// A fixed field read from the start of a line: trailing blanks removed, as
// file names are used.
std::string fixed_field(const std::string& line, size_t width) {
  std::string field = line.substr(0, width);
  if (!field.empty() && field.back() == '\r') field.pop_back();
  const size_t end = field.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : field.substr(0, end + 1);
}

}  // namespace

NamesFile read_names_file(const std::filesystem::path& path) {
  NamesFile names;
  std::ifstream in(path);
  if (!in) {
    names.read_failed = true;
    return names;
  }
  std::string line;
  auto next = [&in, &line]() {
    return static_cast<bool>(std::getline(in, line));
  };
  // Reaching the end of the file is not an error: what is not there stays
  // blank.
  if (!next()) return names;
  names.files.version_label = fixed_field(line, 12);
  if (!next()) return names;
  names.header_text1 = fixed_field(line, 256);
  if (!next()) return names;
  names.header_text2 = fixed_field(line, 256);
  if (!next()) return names;
  try {
    names.header_number = std::stoi(line);
  } catch (const std::exception&) {
    names.header_number = 0;  // read and not used
  }
  std::filesystem::path* targets[] = {
      &names.files.input,      &names.files.report,
      &names.files.plot,       &names.files.iteration,
      &names.files.py_scratch, &names.files.pressure_scratch};
  for (std::filesystem::path* target : targets) {
    if (!next()) break;
    *target = fixed_field(line, 255);
  }
  if (in.bad()) names.read_failed = true;
  return names;
}

RunResult Engine::run_names(const std::filesystem::path& folder,
                            const RunOptions& options) {
  // Every name is made absolute once, here: the current folder is one per
  // process, and a change of it during the run (by another thread of the
  // host) must not send some of the run's files elsewhere.
  std::error_code ec;
  std::filesystem::path base = std::filesystem::absolute(folder, ec);
  if (ec) base = folder;
  base = base.lexically_normal();
  NamesFile names = read_names_file(base / "NAMES.dat");
  if (names.read_failed && options.diagnostics != nullptr) {
    *options.diagnostics << " PLEASE CREATE AN INPUT DATA FILE AND SAVE IT\n"
                         << " BEFORE COMPUTATION.  TRY IT AGAIN!\n";
  }
  // Names in NAMES.dat are relative to the folder that holds it.
  RunFiles& f = names.files;
  for (std::filesystem::path* p : {&f.input, &f.report, &f.plot, &f.iteration,
                                   &f.py_scratch, &f.pressure_scratch}) {
    if (!p->empty() && p->is_relative()) *p = base / *p;
  }
  return run(f, options);
}

}  // namespace korvan
