// The black backdrop window: its class, its creation and its window procedure.
#include "launcher/backdrop_window.h"

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(WNDCLASSEXA) == 48, "the 32-bit window class record");
#endif

namespace {

// Fills the whole client area black, not only the invalid part.
void PaintBlack(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EndPaint(window, &paint);
}

}  // namespace

void RegisterBackdropClass(HINSTANCE instance) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = BackdropWindowProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = instance;
  windowClass.hIcon = nullptr;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszMenuName = "Kavelo2";
  windowClass.lpszClassName = kBackdropClassName;
  windowClass.hIconSm = nullptr;
  RegisterClassExA(&windowClass);
}

HWND CreateBackdropWindow(HINSTANCE instance, int width, int height) {
  HWND window = CreateWindowExA(WS_EX_LEFT, kBackdropClassName, nullptr, WS_POPUP | WS_VISIBLE, 0,
                                0, width, height, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return nullptr;
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  return window;
}

LRESULT CALLBACK BackdropWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_PAINT:
    case WM_ERASEBKGND:
      // Erasing paints too, through its own paint pair rather than the DC it comes with.
      PaintBlack(window);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
