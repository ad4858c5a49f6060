// Where a run reads its input and puts its outputs and scratch files: the
// files of RunFiles, or texts in memory. The run's logic is one for both;
// only opening, the scratch round trip and the end of the run differ.
#pragma once

#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <variant>

#include "korvan/engine.h"
#include "korvan/files.h"

namespace korvan::engine {

// The two scratch files: generated p-y curves and the generated
// earth-pressure distribution, each written whole and read back within one
// problem.
enum class Scratch { kPyCurves, kPressure };

// A scratch file that cannot be written or read back: the run ends with a
// file error of this message. A value, returned by the calls below.
struct ScratchFileError {
  std::string message;
};

// A scratch file opened for reading, or why it cannot be.
using ScratchRead =
    std::variant<std::unique_ptr<std::istream>, ScratchFileError>;

class RunIo {
 public:
  virtual ~RunIo() = default;
  // Opens the input and the three outputs. On failure nothing is written
  // and the message says why.
  virtual std::optional<std::string> open() = 0;
  virtual std::istream& input() = 0;
  virtual std::ostream& report() = 0;
  virtual std::ostream& plot() = 0;
  virtual std::ostream& iteration() = 0;
  // Writes a scratch file whole; on failure, why.
  virtual std::optional<ScratchFileError> write_scratch(
      Scratch which, const std::function<void(std::ostream&)>& write) = 0;
  // The scratch file as written, or why it cannot be read.
  virtual ScratchRead read_scratch(Scratch which) = 0;
  // Ends the run: the outputs are put in place together. On failure the
  // earlier outputs stay and the message says why.
  virtual std::optional<std::string> finish() = 0;
};

// The files of a run: `shown` as given (the names in messages), `paths`
// made absolute (the names opened). Outputs and scratch files are written
// beside their names and moved into place (OutputFile).
class FileIo final : public RunIo {
 public:
  FileIo(const RunFiles& shown, const RunFiles& paths,
         bool write_scratch_files = true)
      : shown_(shown),
        paths_(paths),
        write_scratch_files_(write_scratch_files) {}

  std::optional<std::string> open() override;
  std::istream& input() override {
    return converted_ ? static_cast<std::istream&>(*converted_) : input_;
  }
  // The input read from `text` (the input data file converted from the
  // input, a project file) instead of from the input file.
  void use_input_text(std::string text) {
    converted_ = std::make_unique<std::istringstream>(std::move(text));
  }
  std::ostream& report() override { return report_.stream(); }
  std::ostream& plot() override { return plot_.stream(); }
  std::ostream& iteration() override { return iteration_.stream(); }
  std::optional<ScratchFileError> write_scratch(
      Scratch which, const std::function<void(std::ostream&)>& write) override;
  ScratchRead read_scratch(Scratch which) override;
  std::optional<std::string> finish() override;

 private:
  std::optional<std::string> shared_file() const;

  const RunFiles& shown_;
  const RunFiles& paths_;
  const bool write_scratch_files_;
  std::ifstream input_;
  std::unique_ptr<std::istringstream> converted_;
  OutputFile report_, plot_, iteration_;
  // The scratch texts as last written: the run reads them back from here.
  std::string py_text_, pressure_text_;
};

// A run on texts: the input is read from memory, the outputs and scratch
// files are kept in memory; no file is touched.
class TextIo final : public RunIo {
 public:
  explicit TextIo(std::string_view input) : input_(std::string(input)) {}

  std::optional<std::string> open() override { return std::nullopt; }
  std::istream& input() override { return input_; }
  std::ostream& report() override { return report_; }
  std::ostream& plot() override { return plot_; }
  std::ostream& iteration() override { return iteration_; }
  std::optional<ScratchFileError> write_scratch(
      Scratch which, const std::function<void(std::ostream&)>& write) override;
  ScratchRead read_scratch(Scratch which) override;
  std::optional<std::string> finish() override { return std::nullopt; }

  std::string report_text() const { return report_.str(); }
  std::string plot_text() const { return plot_.str(); }
  std::string iteration_text() const { return iteration_.str(); }

 private:
  std::istringstream input_;
  std::ostringstream report_, plot_, iteration_;
  std::string py_scratch_, pressure_scratch_;
};

}  // namespace korvan::engine
