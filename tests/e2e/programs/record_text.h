// What the helper programs share for their record lines: the clock they stamp them with, the
// escaping that keeps each value one word of a line, byte for byte, and the key=value record.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

// Milliseconds since 1970, the clock the host's test scripts read too.
inline long long UnixTimeMs() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER ticks;
  ticks.LowPart = now.dwLowDateTime;
  ticks.HighPart = now.dwHighDateTime;
  return static_cast<long long>(ticks.QuadPart / 10000ULL) - 11644473600000LL;
}

// Backslash, CR, LF and blank become \\, \r, \n and \s; the harness undoes it.
inline std::string Escape(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\\') out += "\\\\";
    else if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == ' ') out += "\\s";
    else out += c;
  }
  return out;
}

// A record is a block of key=value lines between "begin" and "end", values escaped as above.
class Record {
 public:
  void Add(const char* key, const std::string& value) {
    text_ += key;
    text_ += '=';
    text_ += Escape(value);
    text_ += '\n';
  }
  void Add(const char* key, long long value) { Add(key, std::to_string(value)); }
  void AddHex(const char* key, unsigned long value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08lx", value);
    Add(key, std::string(buffer));
  }
  // Appends the whole record with one write, so a reader never sees half of it.
  void AppendTo(const char* path) const {
    std::FILE* file = std::fopen(path, "ab");
    if (file == nullptr) return;
    const std::string whole = "begin\n" + text_ + "end\n";
    std::fwrite(whole.data(), 1, whole.size(), file);
    std::fclose(file);
  }

 private:
  std::string text_;
};

// The value of an environment variable, or "" when it is not set or too long.
inline std::string EnvironmentValue(const char* name) {
  char buffer[2048];
  const DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  if (length == 0 || length >= sizeof buffer) return std::string();
  return std::string(buffer, length);
}
