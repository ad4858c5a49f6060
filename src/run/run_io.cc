// The files of a run, and the texts of a run in memory.
#include "run/run_io.h"

namespace korvan::engine {
namespace {

struct ScratchName {
  std::filesystem::path RunFiles::*file;
  const char* role;
};

ScratchName scratch_name(Scratch which) {
  return which == Scratch::kPyCurves
             ? ScratchName{&RunFiles::py_scratch, "p-y curve file"}
             : ScratchName{&RunFiles::pressure_scratch,
                           "earth-pressure distribution file"};
}

}  // namespace

// A run whose outputs or scratch files name its input or one another would
// destroy the input or mix two files into one: it is refused before any
// file is opened. The two scratch files may share a name: each is written
// and read back before the other is.
std::optional<std::string> FileIo::shared_file() const {
  static const std::filesystem::path kNone;
  struct Named {
    const std::filesystem::path& path;
    const char* role;
    bool scratch;
  };
  const Named named[] = {
      {shown_.input, "input data file", false},
      {shown_.report, "report file", false},
      {shown_.plot, "plot-data file", false},
      {shown_.iteration, "iteration file", false},
      {write_scratch_files_ ? shown_.py_scratch : kNone, "p-y curve file",
       true},
      {write_scratch_files_ ? shown_.pressure_scratch : kNone,
       "earth-pressure distribution file", true}};
  // The keys of each name, made once (each costs the resolution of the
  // name's folders): two names are one file when they share a key.
  std::vector<std::string> keys[std::size(named)];
  for (size_t i = 0; i < std::size(named); ++i)
    keys[i] = file_keys(named[i].path);
  auto share_a_key = [&keys](size_t i, size_t j) {
    for (const std::string& k : keys[i]) {
      for (const std::string& l : keys[j]) {
        if (k == l) return true;
      }
    }
    return false;
  };
  for (size_t i = 0; i < std::size(named); ++i) {
    for (size_t j = i + 1; j < std::size(named); ++j) {
      const Named& a = named[i];
      const Named& b = named[j];
      if (a.path.empty() || b.path.empty() || (a.scratch && b.scratch)) {
        continue;
      }
      if (share_a_key(i, j)) {
        return "the " + std::string(a.role) + " \"" + a.path.string() +
               "\" and the " + b.role + " \"" + b.path.string() +
               "\" are one file: the run is refused";
      }
    }
  }
  return std::nullopt;
}

// Opens the input and the three outputs. A run that cannot open them
// writes nothing: the files of an earlier run stay as they were.
std::optional<std::string> FileIo::open() {
  if (auto shared = shared_file()) return shared;
  std::error_code ec;
  if (std::filesystem::is_directory(paths_.input, ec)) {
    return "the input data file \"" + shown_.input.string() +
           "\" is a folder, not a file";
  }
  if (!converted_) input_.open(paths_.input);
  if (!converted_ && !input_) {
    return "cannot open the input data file \"" + shown_.input.string() + "\"";
  }
  struct Output {
    OutputFile& file;
    const std::filesystem::path& path;
    const std::filesystem::path& shown;
    const char* role;
  };
  const Output outputs[] = {
      {report_, paths_.report, shown_.report, "report file"},
      {plot_, paths_.plot, shown_.plot, "plot-data file"},
      {iteration_, paths_.iteration, shown_.iteration, "iteration file"}};
  for (const Output& o : outputs) {
    if (o.path.empty() || !o.file.open(o.path)) {
      const std::string& why = o.file.refusal();
      const std::string message = "cannot open the " + std::string(o.role) +
                                  " \"" + o.shown.string() + "\" for writing" +
                                  (why.empty() ? "" : ": " + why);
      for (const Output& other : outputs) other.file.discard();
      input_.close();
      return message;
    }
  }
  return std::nullopt;
}

// The scratch text is kept in memory and read back from there; the file
// is written for whoever looks at it (unless the caller wants none). An earlier
// file of the name is unlinked before the new one is moved into place, so that
// its blocks are dropped rather than truncated under the new name.
std::optional<ScratchFileError> FileIo::write_scratch(
    Scratch which, const std::function<void(std::ostream&)>& write) {
  const ScratchName name = scratch_name(which);
  std::ostringstream text;
  write(text);
  std::string& kept = which == Scratch::kPyCurves ? py_text_ : pressure_text_;
  kept = std::move(text).str();
  if (!write_scratch_files_) return std::nullopt;
  // As the outputs: a name that is a link is replaced, never followed.
  OutputFile scratch;
  const std::filesystem::path& path = paths_.*name.file;
  bool written = scratch.open(path);
  if (written) {
    scratch.stream().write(kept.data(),
                           static_cast<std::streamsize>(kept.size()));
    written = scratch.close() && scratch.commit(true);
  }
  if (!written) {
    const std::string& why = scratch.refusal();
    return ScratchFileError{"cannot write the " + std::string(name.role) +
                            " \"" + (shown_.*name.file).string() + "\"" +
                            (why.empty() ? "" : ": " + why)};
  }
  return std::nullopt;
}

ScratchRead FileIo::read_scratch(Scratch which) {
  return std::make_unique<std::istringstream>(
      which == Scratch::kPyCurves ? py_text_ : pressure_text_);
}

// The outputs are moved into place together, and only when each was
// written whole: a full disk or a lost device leaves the earlier files.
std::optional<std::string> FileIo::finish() {
  input_.close();
  struct Written {
    OutputFile& file;
    const std::filesystem::path& path;
    const char* role;
  };
  const Written written[] = {{report_, shown_.report, "report file"},
                             {plot_, shown_.plot, "plot-data file"},
                             {iteration_, shown_.iteration, "iteration file"}};
  for (const bool committing : {false, true}) {
    for (const Written& w : written) {
      if (!(committing ? w.file.commit() : w.file.close())) {
        for (const Written& other : written) other.file.discard();
        return "cannot write the " + std::string(w.role) + " \"" +
               w.path.string() + "\"";
      }
    }
  }
  return std::nullopt;
}

std::optional<ScratchFileError> TextIo::write_scratch(
    Scratch which, const std::function<void(std::ostream&)>& write) {
  std::ostringstream scratch;
  write(scratch);
  (which == Scratch::kPyCurves ? py_scratch_ : pressure_scratch_) =
      std::move(scratch).str();
  return std::nullopt;
}

ScratchRead TextIo::read_scratch(Scratch which) {
  return std::make_unique<std::istringstream>(
      which == Scratch::kPyCurves ? py_scratch_ : pressure_scratch_);
}

}  // namespace korvan::engine
