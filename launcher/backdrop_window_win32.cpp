// The black backdrop window: its class, its creation and its window procedure.
//
// The window comes up in front of the desktop and stays beneath the application: once shown, it
// keeps its place in the z-order (the application's windows come up in front of it), a click on it
// activates nothing, an activation that reaches it all the same (Alt+Tab, a task bar button) is
// handed on to the window in front of it, and it does not close before the launcher's process ends.
#include "launcher/backdrop_window.h"

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(WNDCLASSEXA) == 48, "the 32-bit window class record");
#endif

namespace {

// The window's user data once it lies beneath: set as soon as it has been shown. Not when it first
// loses the activation, which a launcher that never had the foreground does not give it.
constexpr LONG_PTR kLiesBeneath = 1;
// Posted to itself when an activation reaches it, so that the activation is handed on once the
// system has finished giving it.
constexpr UINT kHandActivationOn = WM_APP;
// The z-order holds a few dozen top-level windows; the walk in front never takes more steps.
constexpr int kMostWindowsInFront = 4096;

bool LiesBeneath(HWND window) { return GetWindowLongPtrA(window, GWLP_USERDATA) == kLiesBeneath; }

// The nearest visible window in front of `window` that is not topmost (topmost windows such as the
// task bar lie in front of every other), or null when there is none.
HWND WindowInFront(HWND window) {
  HWND above = window;
  for (int step = 0; step < kMostWindowsInFront; ++step) {
    above = GetWindow(above, GW_HWNDPREV);
    if (above == nullptr || (static_cast<DWORD>(GetWindowLongA(above, GWL_EXSTYLE)) & WS_EX_TOPMOST) != 0) {
      return nullptr;
    }
    if (IsWindowVisible(above)) return above;
  }
  return nullptr;
}

// Gives the activation to the window in front, unless the user has moved it elsewhere meanwhile.
// With nothing in front (the application has no window left), the backdrop keeps it.
void HandActivationOn(HWND window) {
  if (GetForegroundWindow() != window) return;
  HWND inFront = WindowInFront(window);
  if (inFront != nullptr) SetForegroundWindow(inFront);
}

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
  SetWindowLongPtrA(window, GWLP_USERDATA, kLiesBeneath);
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
    case WM_MOUSEACTIVATE:
      // A click on the black area neither activates the window nor brings it forward.
      return MA_NOACTIVATE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && LiesBeneath(window)) PostMessageA(window, kHandActivationOn, 0, 0);
      return DefWindowProcA(window, message, wParam, lParam);
    case kHandActivationOn:
      HandActivationOn(window);
      return 0;
    case WM_WINDOWPOSCHANGING:
      // It comes to the front as it is shown; from then on it keeps its place, whoever asks to
      // raise it. Its size and position change as asked.
      if (LiesBeneath(window)) reinterpret_cast<WINDOWPOS*>(lParam)->flags |= SWP_NOZORDER;
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_CLOSE:
      // Alt+F4, a task list's Close: the window stays up until the launcher's process ends.
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
