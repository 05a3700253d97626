// Lisko: writes the names of the entries of the folder "../UserMP3s/" into the small XML file
// "../fsxml/usermp3.xml". Both paths are relative to the current directory. The program is
// silent unless something fails, and always ends with exit status 0.
//
// The list file's reader takes the bytes exactly as written here: no escaping, no sorting, and
// every name narrowed to the low bytes of its UTF-16 units.
#include "musiclist/lisko.h"

#include <cstdlib>
#include <cwchar>
#include <fstream>

namespace {

const WCHAR kMusicFolder[] = L"../UserMP3s/";
const WCHAR kPatternSuffix[] = L"\\*";
const char kListFile[] = "../fsxml/usermp3.xml";

void WriteEntry(std::ofstream& list, const WIN32_FIND_DATAW& entry) {
  // Every name that begins with a full stop is left out: ".", ".." and hidden names alike.
  if (entry.cFileName[0] == L'.') return;
  // A name ends at its terminator, and never past the record's field.
  const size_t field = sizeof(entry.cFileName) / sizeof(entry.cFileName[0]);
  size_t length = field;
  MeasureUnits(entry.cFileName, field, &length);
  list << "\t<filename>" << NarrowName(entry.cFileName, length) << "</filename>\n";
}

// Everything after the pattern buffer has been obtained. The stream is closed when it goes out
// of scope on the ways out that end the job early.
void ListFolder(const WCHAR* musicFolder, WCHAR* pattern) {
  // Opening in plain output mode creates or empties the file before anything can fail. A failed
  // open is not looked at: the stream then drops every write and the job runs on unchanged.
  std::ofstream list(kListFile);

  size_t folderLength = 0;
  if (!MeasureUnits(musicFolder, kPatternCapacity, &folderLength)) {
    std::wprintf(L"Input directory is too large.\n");
    return;
  }

  list << "<mp3s>\n";

  CopyUnits(pattern, kPatternCapacity, musicFolder, folderLength);
  AppendUnits(pattern, kPatternCapacity, kPatternSuffix);

  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW(pattern, &entry);
  if (search == INVALID_HANDLE_VALUE) {
    std::wprintf(L"Invalid file handle. Error is %u.\n", static_cast<unsigned>(GetLastError()));
    return;
  }

  do {
    WriteEntry(list, entry);
  } while (FindNextFileW(search, &entry));

  // The code is taken at once: a write through the stream can reach the platform (a flush) and
  // leave another code behind.
  const DWORD code = GetLastError();
  list << "</mp3s>\n";
  FindClose(search);
  if (code != static_cast<DWORD>(ERROR_NO_MORE_FILES)) {
    std::wprintf(L"FindNextFile error. Error is %u.\n", static_cast<unsigned>(code));
    return;
  }
  list.close();
}

}  // namespace

std::string NarrowName(const WCHAR* name, size_t units) {
  std::string narrowed(units, '\0');
  for (size_t i = 0; i < units; ++i) {
    narrowed[i] = static_cast<char>(static_cast<unsigned char>(name[i] & 0xFF));
  }
  return narrowed;
}

bool MeasureUnits(const WCHAR* text, size_t bound, size_t* length) {
  for (size_t i = 0; i < bound; ++i) {
    if (text[i] == 0) {
      *length = i;
      return true;
    }
  }
  return false;
}

bool CopyUnits(WCHAR* destination, size_t capacity, const WCHAR* source, size_t count) {
  if (capacity == 0) return false;
  size_t copied = 0;
  while (copied < capacity && copied < count && source[copied] != 0) {
    destination[copied] = source[copied];
    ++copied;
  }
  if (copied == capacity) {
    destination[capacity - 1] = 0;
    return false;
  }
  destination[copied] = 0;
  return true;
}

bool AppendUnits(WCHAR* destination, size_t capacity, const WCHAR* source) {
  size_t length = 0;
  if (!MeasureUnits(destination, capacity, &length)) return false;
  return CopyUnits(destination + length, capacity - length, source, capacity - length);
}

void WriteFolderList(const WCHAR* musicFolder) {
  WCHAR* pattern = static_cast<WCHAR*>(std::malloc(kPatternCapacity * sizeof(WCHAR)));
  if (pattern == nullptr) {
    // Said before the list file is opened, so the previous list stays as it was.
    std::wprintf(L"Not enough memory for the search pattern.\n");
    return;
  }
  ListFolder(musicFolder, pattern);
  std::free(pattern);
}

void WriteMusicList() { WriteFolderList(kMusicFolder); }

#ifdef _WIN32
// The arguments are ignored; whatever happened, the exit status is 0.
int wmain(int, wchar_t**) {
  WriteMusicList();
  return 0;
}
#endif
