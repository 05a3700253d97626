// The simulated desktop's top-level windows as the launcher sees them from its backdrop: their
// z-order, visibility and topmost style, the foreground window, and the backdrop's user data, all
// served from the script in Sim().
#include "platform/sim/sim_platform.h"

#include <algorithm>

namespace {

// The scripted window with this handle, or null.
const SimWindow* ScriptedWindow(HWND window) {
  const std::vector<SimWindow>& stack = Sim().windowStack;
  auto found = std::find_if(stack.begin(), stack.end(), [&](const SimWindow& each) { return each.handle == window; });
  return found != stack.end() ? &*found : nullptr;
}

}  // namespace

extern "C" {

// Like the platform, the window above in the z-order, or null at the top; the topmost windows lie
// above all others, so the scripted stack lists them first.
HWND WINAPI GetWindow(HWND window, UINT command) {
  SimCall recording("GetWindow");
  const std::vector<SimWindow>& stack = Sim().windowStack;
  const SimWindow* found = ScriptedWindow(window);
  if (command != GW_HWNDPREV || found == nullptr || found == &stack.front()) return nullptr;
  return (found - 1)->handle;
}

BOOL WINAPI IsWindowVisible(HWND window) {
  SimCall recording("IsWindowVisible");
  const SimWindow* found = ScriptedWindow(window);
  return found != nullptr && found->visible;
}

LONG WINAPI GetWindowLongA(HWND window, int index) {
  SimCall recording("GetWindowLongA");
  const SimWindow* found = ScriptedWindow(window);
  if (index != GWL_EXSTYLE || found == nullptr) return 0;
  return found->topmost ? static_cast<LONG>(WS_EX_TOPMOST) : 0;
}

// The user data of a window starts at 0; setting it answers the value before.
LONG_PTR WINAPI GetWindowLongPtrA(HWND window, int index) {
  SimCall recording("GetWindowLongPtrA");
  return index == GWLP_USERDATA ? Sim().userData[window] : 0;
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
  SimCall recording("SetWindowLongPtrA");
  if (index != GWLP_USERDATA) return 0;
  LONG_PTR before = Sim().userData[window];
  Sim().userData[window] = value;
  return before;
}

HWND WINAPI GetForegroundWindow(void) {
  SimCall recording("GetForegroundWindow");
  return Sim().foreground;
}

BOOL WINAPI SetForegroundWindow(HWND window) {
  SimCall recording("SetForegroundWindow");
  Sim().foregroundRequests.push_back(window);
  Sim().foreground = window;
  return TRUE;
}

}  // extern "C"
