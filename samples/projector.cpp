// PROJECTOR.EXE: the sample application, started by the launcher under its default name. It
// fills the screen with one window that shows, in large type, the display mode it runs in, and
// closes itself after a few seconds (or on Esc), so that a first run shows at a glance what the
// launcher did. It follows mode changes while it runs.
#include <windows.h>

#include <cstdio>

namespace {

constexpr const char* kClassName = "Kavelo2SampleProjector";
constexpr UINT_PTR kTickTimer = 1;
constexpr int kLifetimeSeconds = 6;

int g_secondsLeft = kLifetimeSeconds;

// One line of text centred in a horizontal band of the client area, in a font of the given
// height in pixels.
void DrawBand(HDC dc, const RECT& client, int top, int height, const char* text) {
  HFONT font = CreateFontA(-height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                           VARIABLE_PITCH | FF_SWISS, "Arial");
  HGDIOBJ previous = SelectObject(dc, font);
  RECT band = {client.left, top, client.right, top + height * 3 / 2};
  DrawTextA(dc, text, -1, &band, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, previous);
  DeleteObject(font);
}

void Paint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  HBRUSH background = CreateSolidBrush(RGB(16, 40, 88));
  FillRect(dc, &client, background);
  DeleteObject(background);

  DEVMODEA mode;
  ZeroMemory(&mode, sizeof(mode));
  mode.dmSize = sizeof(mode);
  char size[64] = "display mode unknown";
  char detail[64] = "";
  if (EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) {
    std::snprintf(size, sizeof(size), "%lu x %lu", static_cast<unsigned long>(mode.dmPelsWidth),
                  static_cast<unsigned long>(mode.dmPelsHeight));
    std::snprintf(detail, sizeof(detail), "%lu bits per pixel, %lu Hz",
                  static_cast<unsigned long>(mode.dmBitsPerPel),
                  static_cast<unsigned long>(mode.dmDisplayFrequency));
  }
  char footer[64];
  std::snprintf(footer, sizeof(footer), "PROJECTOR sample application - closes in %d s",
                g_secondsLeft);

  int height = client.bottom - client.top;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  DrawBand(dc, client, height / 4, height / 5, size);
  SetTextColor(dc, RGB(255, 214, 80));
  DrawBand(dc, client, height / 2, height / 12, detail);
  SetTextColor(dc, RGB(170, 190, 230));
  DrawBand(dc, client, height * 3 / 4, height / 28, footer);
  EndPaint(window, &paint);
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // Paint fills the whole client area
    case WM_TIMER:
      if (--g_secondsLeft <= 0) {
        DestroyWindow(window);
      } else {
        InvalidateRect(window, nullptr, FALSE);
      }
      return 0;
    case WM_DISPLAYCHANGE:
      // The launcher may switch the mode after this window is up: cover the new screen.
      SetWindowPos(window, nullptr, 0, 0, LOWORD(lParam), HIWORD(lParam), SWP_NOZORDER);
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  WNDCLASSEXA windowClass;
  ZeroMemory(&windowClass, sizeof(windowClass));
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassExA(&windowClass)) return 1;

  HWND window = CreateWindowExA(0, kClassName, "PROJECTOR", WS_POPUP, 0, 0,
                                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  ShowWindow(window, showCommand);
  UpdateWindow(window);
  SetForegroundWindow(window);
  SetTimer(window, kTickTimer, 1000, nullptr);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
