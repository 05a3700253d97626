// Reads and sets the display mode of the test desktop from the outside, so that each end-to-end
// test can start from the registry mode and check the mode a run left behind.
//
//   display_mode get               prints the current mode as WIDTHxHEIGHTxBITS@FREQ
//   display_mode reset             returns to the registry mode, then prints the current mode
//   display_mode set WxH[xBITS]    switches dynamically (for tests that start from another mode)
//   display_mode hold WxH[xBITS] STOPFILE
//                                  switches, and stays up until the file STOPFILE exists (two
//                                  minutes at the most): a switch made by a program that ends at
//                                  once may be undone when it ends. Then it returns the display
//                                  to the registry mode itself and ends, which leaves the desktop
//                                  as a test expects it; ending it by force may not
//   display_mode list              prints every mode, one a line, in enumeration order
//
// Exit status 0 on success, 1 when the display refused, 2 on a usage error.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

void PrintMode(const DEVMODEA& mode) {
  std::printf("%lux%lux%lu@%lu\n", mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel,
              mode.dmDisplayFrequency);
}

DEVMODEA EmptyMode() {
  DEVMODEA mode;
  std::memset(&mode, 0, sizeof mode);
  mode.dmSize = sizeof mode;
  return mode;
}

int PrintCurrent() {
  DEVMODEA mode = EmptyMode();
  if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) {
    std::printf("no current mode\n");
    return 1;
  }
  PrintMode(mode);
  return 0;
}

int PrintCatalogue() {
  DEVMODEA mode = EmptyMode();
  for (DWORD number = 0; EnumDisplaySettingsA(nullptr, number, &mode); ++number) {
    PrintMode(mode);
    mode = EmptyMode();
  }
  return 0;
}

int Switch(const char* text) {
  unsigned long width = 0, height = 0, bits = 0;
  const int fields = std::sscanf(text, "%lux%lux%lu", &width, &height, &bits);
  if (fields < 2) {
    std::printf("usage: display_mode set WIDTHxHEIGHT[xBITS]\n");
    return 2;
  }
  DEVMODEA mode = EmptyMode();
  mode.dmPelsWidth = width;
  mode.dmPelsHeight = height;
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  if (fields == 3) {
    mode.dmBitsPerPel = bits;
    mode.dmFields |= DM_BITSPERPEL;
  }
  const LONG result = ChangeDisplaySettingsA(&mode, 0);
  if (result != DISP_CHANGE_SUCCESSFUL) {
    std::printf("switch refused: %ld\n", result);
    return 1;
  }
  return PrintCurrent();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "get") == 0) return PrintCurrent();
  if (argc == 2 && std::strcmp(argv[1], "list") == 0) return PrintCatalogue();
  if (argc == 3 && std::strcmp(argv[1], "set") == 0) return Switch(argv[2]);
  if (argc == 4 && std::strcmp(argv[1], "hold") == 0) {
    const int status = Switch(argv[2]);
    std::fflush(stdout);
    if (status != 0) return status;
    constexpr DWORD kLongestHoldMs = 120000;
    for (DWORD held = 0; held < kLongestHoldMs && GetFileAttributesA(argv[3]) == INVALID_FILE_ATTRIBUTES; held += 100) {
      Sleep(100);
    }
    ChangeDisplaySettingsA(nullptr, 0);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "reset") == 0) {
    const LONG result = ChangeDisplaySettingsA(nullptr, 0);
    if (result != DISP_CHANGE_SUCCESSFUL) {
      std::printf("reset refused: %ld\n", result);
      return 1;
    }
    return PrintCurrent();
  }
  std::printf("usage: display_mode get|reset|list|set WIDTHxHEIGHT[xBITS]|hold WIDTHxHEIGHT[xBITS] STOPFILE\n");
  return 2;
}
