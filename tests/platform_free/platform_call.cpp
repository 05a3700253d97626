// A source that asks the platform and the file system, as a rule must never do: the check's own
// test links it beside a rules library and expects the link to fail on both calls.
#include "platform/win32_api.h"

#include <cstdio>

int AskThePlatform() {
  std::FILE* file = std::fopen("Kavelo2.ini", "rb");
  return MessageBoxA(nullptr, file != nullptr ? "found" : "missing", "Kavelo2", MB_OK);
}
