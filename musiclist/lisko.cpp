// Lisko: writes the names of the entries of the folder "../UserMP3s/" into the small XML file
// "../fsxml/usermp3.xml". Both paths are relative to the current directory. The program is
// silent unless something fails, and always ends with exit status 0.
//
// The list file's reader takes the bytes exactly as written here: no escaping, no sorting, and
// every name narrowed to the low bytes of its UTF-16 units.
#include "musiclist/lisko.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <exception>
#include <fstream>

namespace {

const WCHAR kMusicFolder[] = L"../UserMP3s/";
const WCHAR kPatternSuffix[] = L"\\*";
const char kListFile[] = "../fsxml/usermp3.xml";
const char kLineStart[] = "\t<filename>";
const char kLineEnd[] = "</filename>\n";

// A name holds at most the units of the search record's field.
constexpr size_t kNameField = sizeof(WIN32_FIND_DATAW::cFileName) / sizeof(WCHAR);
constexpr size_t kLineCapacity = (sizeof(kLineStart) - 1) + kNameField + (sizeof(kLineEnd) - 1);

// The list file's stream buffer, given to the stream before the file is opened: the stream then
// hands the file to the platform in a few large writes rather than in one every few entries, and
// allocates no buffer of its own.
constexpr size_t kStreamBufferSize = 64 * 1024;

char* Append(char* end, const char* text, size_t length) {
  std::memcpy(end, text, length);
  return end + length;
}

void WriteEntry(std::ofstream& list, const WIN32_FIND_DATAW& entry) {
  // Every name that begins with a full stop is left out: ".", ".." and hidden names alike.
  if (entry.cFileName[0] == L'.') return;
  // A name ends at its terminator, and never past the record's field.
  size_t length = kNameField;
  MeasureUnits(entry.cFileName, kNameField, &length);
  // The line is built whole and handed to the stream in one write.
  char line[kLineCapacity];
  char* end = Append(line, kLineStart, sizeof(kLineStart) - 1);
  end = NarrowName(entry.cFileName, length, end);
  end = Append(end, kLineEnd, sizeof(kLineEnd) - 1);
  list.write(line, end - line);
}

// Everything after the pattern buffer has been obtained. The stream is closed when it goes out
// of scope on the ways out that end the job early.
void ListFolder(const WCHAR* musicFolder, WCHAR* pattern) {
  // The buffer is declared first, so that it outlives the stream that writes from it.
  char streamBuffer[kStreamBufferSize];
  std::ofstream list;
  list.rdbuf()->pubsetbuf(streamBuffer, kStreamBufferSize);
  // Opening in plain output mode creates or empties the file before anything can fail. A failed
  // open is not looked at: the stream then drops every write and the job runs on unchanged.
  list.open(kListFile);

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

char* NarrowName(const WCHAR* name, size_t units, char* narrowed) {
  for (size_t i = 0; i < units; ++i) {
    narrowed[i] = static_cast<char>(static_cast<unsigned char>(name[i] & 0xFF));
  }
  return narrowed + units;
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
  // The job throws nothing of its own. Should the standard library throw for want of memory, the
  // job ends where it stands: the stream is closed as it is unwound, so the list file holds what
  // was written so far, and the process still ends normally.
  try {
    ListFolder(musicFolder, pattern);
  } catch (const std::exception&) {
  }
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
