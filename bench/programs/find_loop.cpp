// The floor for Lisko: the same folder search, and nothing else. Prints the number of entries
// once at the end, so that a run can be checked.
#include <windows.h>

#include <cstdio>

int wmain(int, wchar_t**) {
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW(L"../UserMP3s/\\*", &entry);
  if (search == INVALID_HANDLE_VALUE) return 1;
  unsigned long count = 0;
  do {
    ++count;
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  std::printf("%lu\n", count);
  return 0;
}
