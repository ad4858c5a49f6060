// Output files written whole or not at all, and the names under which a
// file is known: the engine writes its report, plot and iteration files
// this way, and a program around it can write its own files alike.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace korvan::engine {

// The keys under which a file is known: the folder that holds it (by device
// and file number, so that "." and ".." pieces and linked folders come to
// the same folder) with its last piece, and, when it exists, its own device
// and file number (which also catches hard links and links to it). Two
// names share a key when they name one file.
std::vector<std::string> file_keys(const std::filesystem::path& path);

// Whether two names name one file (see file_keys).
bool same_file(const std::filesystem::path& a, const std::filesystem::path& b);

// An output file written to a temporary file beside it (same folder, unique
// name) and moved into place by commit(), so that a run that cannot finish
// leaves the earlier file as it was. The temporary file is removed unless it
// was committed. A name that is a symbolic link is replaced by the file, its
// target is left alone. A character device (/dev/null) is written directly;
// any other name that is neither a regular file nor a link (a pipe, a
// folder) is refused, with refusal() saying why.
class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile() { discard(); }

  // Opens the output; false when it cannot be written.
  bool open(const std::filesystem::path& target);
  std::ofstream& stream() { return stream_; }
  // Why open() refused the name ("" when it merely failed).
  const std::string& refusal() const { return refusal_; }
  // Closes the stream; false when something could not be written.
  bool close();
  // Moves the written file into place; false when that fails (the
  // temporary file is then removed). With unlink_earlier, a file or link
  // found under the name when it was opened is unlinked first, so that its
  // blocks are dropped rather than kept until the rename.
  bool commit(bool unlink_earlier = false);
  // Closes and removes the temporary file; the earlier file stays.
  void discard();

 private:
  bool create_new(const std::filesystem::path& name);

  std::filesystem::path target_;
  std::filesystem::path temporary_;  // empty when written directly
  bool replaces_ = false;            // a file or link had the name
  std::ofstream stream_;
  std::string refusal_;
};

}  // namespace korvan::engine
