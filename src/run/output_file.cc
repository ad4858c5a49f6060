// Output files written whole or not at all, and the names of a file.
#include "korvan/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>

namespace fs = std::filesystem;

namespace korvan::engine {

std::vector<std::string> file_keys(const fs::path& path) {
  std::vector<std::string> keys;
  if (path.empty()) return keys;
  std::error_code ec;
  fs::path absolute = fs::absolute(path, ec);
  if (ec) absolute = path;
  const fs::path resolved = fs::weakly_canonical(absolute, ec);
  keys.push_back("path:" +
                 (ec ? absolute.lexically_normal() : resolved).string());
  struct stat s {};
  if (::stat(absolute.c_str(), &s) == 0) {
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

bool OutputFile::open(const fs::path& target) {
  discard();
  refusal_.clear();
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
  std::random_device random;
  for (int attempt = 0; attempt < 8; ++attempt) {
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%08x%08x.tmp", random(), random());
    const fs::path name = folder / ("." + target.filename().string() + suffix);
    const int fd =
        ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return false;
    }
    ::close(fd);
    temporary_ = name;
    if (exists && fs::is_regular_file(status)) {
      fs::permissions(name, fs::status(target, ec).permissions(), ec);
    }
    stream_.open(name);
    if (!stream_) {
      discard();
      return false;
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

bool OutputFile::commit() {
  if (temporary_.empty()) return true;
  std::error_code ec;
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
