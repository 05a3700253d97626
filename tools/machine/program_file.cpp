// The file opened for reading only, shared with every other use (a program that runs holds its
// file open), and read where the model's reader asks, within the reader's own bounds.
#include "tools/machine/program_file.h"

#include "platform/win32_api.h"

#include <limits>

ProgramImage ReadProgramFile(const std::string& windowsPath) {
  HANDLE file = CreateFileA(windowsPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return ProgramImage();
  ProgramImage image = ReadProgramImage([file](uint32_t offset, uint32_t size, std::string& bytes) {
    // SetFilePointer without its high half moves by a signed 32-bit distance: no program's
    // headers lie beyond that, so the file is taken to end there.
    if (offset > static_cast<uint32_t>(std::numeric_limits<LONG>::max())) return true;
    if (SetFilePointer(file, static_cast<LONG>(offset), nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return false;
    bytes.resize(size);
    DWORD done = 0;
    while (done < size) {
      DWORD read = 0;
      if (!ReadFile(file, &bytes[done], size - done, &read, nullptr)) return false;
      if (read == 0) break;  // the file ends here
      done += read;
    }
    bytes.resize(done);
    return true;
  });
  CloseHandle(file);
  return image;
}
