// Output files written whole or not at all, and the names of a file.
#include "korvan/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <chrono>
#include <cstdint>

namespace fs = std::filesystem;

namespace korvan::engine {

// A name is known by the folder that holds it (its device and file number,
// which resolves ".", "..", and links among the folders) with its last
// piece, and, when it exists, by the file it names (which also catches
// hard links and links to another name). Two stat calls a name, where
// resolving the name piece by piece cost a call for each folder on the way.
std::vector<std::string> file_keys(const fs::path& path) {
  std::vector<std::string> keys;
  if (path.empty()) return keys;
  struct stat s {};
  auto folder_key = [&keys, &s](const fs::path& name) {
    const fs::path last = name.filename();
    if (last.empty() || last == "." || last == "..") return false;
    const fs::path folder = name.has_parent_path() ? name.parent_path() : ".";
    if (::stat(folder.c_str(), &s) != 0) return false;
    keys.push_back("entry:" + std::to_string(s.st_dev) + ":" +
                   std::to_string(s.st_ino) + "/" + last.string());
    return true;
  };
  if (!folder_key(path)) {
    // A name through a folder that does not exist ("gone/../x") is taken
    // as it reads, so that it is not thought another file than "x".
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    const fs::path normal = (ec ? path : absolute).lexically_normal();
    if (!folder_key(normal)) keys.push_back("path:" + normal.string());
  }
  if (::stat(path.c_str(), &s) == 0) {
    keys.push_back("file:" + std::to_string(s.st_dev) + ":" +
                   std::to_string(s.st_ino));
  }
  return keys;
}

bool same_file(const fs::path& a, const fs::path& b) {
  const std::vector<std::string> ka = file_keys(a);
  const std::vector<std::string> kb = file_keys(b);
  return std::any_of(ka.begin(), ka.end(), [&kb](const std::string& k) {
    return std::find(kb.begin(), kb.end(), k) != kb.end();
  });
}

// Creates the temporary file and opens it in one step; false, with errno
// set, when the name is taken or the file cannot be made.
bool OutputFile::create_new(const fs::path& name) {
  errno = 0;
#if defined(__GLIBCXX__)
  stream_.open(name,
               std::ios::out | std::ios::trunc | std::ios_base::__noreplace);
  if (stream_) return true;
  const int why = errno != 0 ? errno : EIO;
  stream_.clear();
  errno = why;
  return false;
#else
  const int fd =
      ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  ::close(fd);
  stream_.open(name);
  if (stream_) return true;
  stream_.clear();
  std::error_code ignored;
  fs::remove(name, ignored);
  errno = EIO;
  return false;
#endif
}

bool OutputFile::open(const fs::path& target) {
  discard();
  refusal_.clear();
  replaces_ = false;
  target_ = target;
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(target, ec);
  const bool exists = !ec && fs::exists(status);
  if (exists && !fs::is_regular_file(status) && !fs::is_symlink(status)) {
    // A device such as /dev/null is written directly. A pipe would block
    // the run in its opening until a reader comes; a folder or a socket
    // cannot take the file.
    if (!fs::is_character_file(status)) {
      refusal_ = "it is neither a file nor a device";
      return false;
    }
    stream_.open(target);
    return static_cast<bool>(stream_);
  }
  // A regular file the caller may not write stays refused, as when it was
  // opened in place.
  if (exists && fs::is_regular_file(status) &&
      ::access(target.c_str(), W_OK) != 0) {
    return false;
  }
  const fs::path folder = target.parent_path();
  // The temporary name need not be secret (it is created exclusively, and
  // a name found taken is drawn again), only unlike the names other runs
  // draw at the same time: the clock and the places of this object and
  // of the stack (which differ from process to process), mixed.
  std::uint64_t draw =
      static_cast<std::uint64_t>(
          std::chrono::steady_clock::now().time_since_epoch().count()) ^
      (static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(&folder))
       << 20) ^
      reinterpret_cast<std::uintptr_t>(this);
  for (int attempt = 0; attempt < 8; ++attempt) {
    draw += 0x9e3779b97f4a7c15u;  // splitmix64
    std::uint64_t z = draw;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    z ^= z >> 31;
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%016llx.tmp",
                  static_cast<unsigned long long>(z));
    const fs::path name = folder / ("." + target.filename().string() + suffix);
    if (!create_new(name)) {
      if (errno == EEXIST) continue;
      return false;
    }
    temporary_ = name;
    replaces_ = exists;
    if (exists && fs::is_regular_file(status)) {
      fs::permissions(name, status.permissions(), ec);
    }
    return true;
  }
  return false;
}

bool OutputFile::close() {
  if (!stream_.is_open()) return !stream_.fail();
  stream_.close();
  return !stream_.fail();
}

bool OutputFile::commit(bool unlink_earlier) {
  if (temporary_.empty()) return true;
  std::error_code ec;
  if (unlink_earlier && replaces_) fs::remove(target_, ec);
  fs::rename(temporary_, target_, ec);
  if (ec) {
    discard();
    return false;
  }
  temporary_.clear();
  return true;
}

void OutputFile::discard() {
  if (stream_.is_open()) stream_.close();
  if (!temporary_.empty()) {
    std::error_code ignored;
    fs::remove(temporary_, ignored);
    temporary_.clear();
  }
}

}  // namespace korvan::engine
