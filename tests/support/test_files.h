// Real files on the host for the tests that need them: a folder of the test's own, removed with
// all it holds, and whole files written and read back.
#pragma once

#include <cstdio>
#include <string>

// A new, empty folder under /tmp whose name begins with `prefix`; the path has no trailing slash.
std::string MakeTestFolder(const std::string& prefix);

// Removes the folder and all it holds, whatever write permissions the test took from it.
// True when it is gone.
bool RemoveTestFolder(const std::string& folder);

// The bytes as the whole file; true when every byte was written.
bool WriteWholeFile(const std::string& path, const std::string& bytes);

// The whole file, or nothing when it cannot be opened.
std::string ReadWholeFile(const std::string& path);

// All the stream holds, from its start; the stream stays open.
std::string ReadWholeStream(std::FILE* file);
