#include "tests/support/test_files.h"

#include <stdlib.h>

#include <cstdlib>
#include <vector>

std::string MakeTestFolder(const std::string& prefix) {
  std::string pattern = "/tmp/" + prefix + "-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  return mkdtemp(name.data()) != nullptr ? std::string(name.data()) : std::string();
}

bool RemoveTestFolder(const std::string& folder) {
  if (folder.empty()) return false;
  std::string command = "chmod -R u+w '" + folder + "' && rm -rf '" + folder + "'";
  return std::system(command.c_str()) == 0;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

std::string ReadWholeFile(const std::string& path) {
  std::string bytes;
  if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
    bytes = ReadWholeStream(file);
    std::fclose(file);
  }
  return bytes;
}

std::string ReadWholeStream(std::FILE* file) {
  std::string bytes;
  std::rewind(file);
  char chunk[4096];
  size_t count;
  while ((count = std::fread(chunk, 1, sizeof(chunk), file)) > 0) bytes.append(chunk, count);
  return bytes;
}
