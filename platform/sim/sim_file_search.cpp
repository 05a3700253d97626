// The folder search of the simulated platform: FindFirstFileW and FindNextFileW yield the
// scripted entries of Sim().fileSearch in their order, then fail with its end code.
#include "platform/sim/sim_platform.h"

namespace {

HANDLE SearchHandle() { return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(0x6001)); }

// Like the platform, the record's name is the entry's UTF-16 units, terminated; a longer name
// than the field holds is cut (no scripted entry should be that long).
void FillRecord(WIN32_FIND_DATAW* record, const std::u16string& name) {
  *record = WIN32_FIND_DATAW{};
  const size_t field = sizeof(record->cFileName) / sizeof(record->cFileName[0]);
  size_t i = 0;
  for (; i < name.size() && i + 1 < field; ++i) record->cFileName[i] = static_cast<WCHAR>(name[i]);
  record->cFileName[i] = 0;
}

}  // namespace

extern "C" {

HANDLE WINAPI FindFirstFileW(LPCWSTR pattern, WIN32_FIND_DATAW* record) {
  SimPlatform& sim = Sim();
  SimFileSearch& search = sim.fileSearch;
  SimCall recording("FindFirstFileW");
  std::u16string asked;
  for (const WCHAR* unit = pattern; *unit != 0; ++unit)
    asked.push_back(static_cast<char16_t>(*unit));
  search.patterns.push_back(asked);
  search.next = 0;
  if (search.startError != 0 || search.entries.empty()) {
    // A folder always holds "." and "..": a search that finds nothing did not find the folder.
    sim.lastError =
        search.startError != 0 ? search.startError : static_cast<DWORD>(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  FillRecord(record, search.entries[search.next++]);
  return SearchHandle();
}

BOOL WINAPI FindNextFileW(HANDLE handle, WIN32_FIND_DATAW* record) {
  SimPlatform& sim = Sim();
  SimFileSearch& search = sim.fileSearch;
  SimCall recording("FindNextFileW");
  if (handle != SearchHandle() || search.closeCount > 0) {
    sim.lastError = static_cast<DWORD>(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (search.next >= search.entries.size()) {
    sim.lastError = search.endError;
    return FALSE;
  }
  FillRecord(record, search.entries[search.next++]);
  return TRUE;
}

BOOL WINAPI FindClose(HANDLE handle) {
  SimPlatform& sim = Sim();
  SimCall recording("FindClose");
  if (handle != SearchHandle()) {
    sim.lastError = static_cast<DWORD>(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  ++sim.fileSearch.closeCount;
  // A successful call here leaves a code of its own behind, so a job that asks for the search's
  // failure code only after closing the search sees the wrong one.
  sim.lastError = 0;
  return TRUE;
}

}  // extern "C"
