// The run sequence: the single-instance guard, the backdrop, and the Parts called in their order.
#include "launcher/launch_context.h"

#include "launcher/backdrop_window.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <new>

namespace {

// Takes the single-instance mutex for the rest of the process. False when another launcher
// holds it: the mutex exists, or exists and may not be opened by this launcher (one started with
// higher rights made it). The handle is not inheritable, so the application does not keep it alive.
bool ClaimSingleInstance() {
  SECURITY_ATTRIBUTES attributes;
  std::memset(&attributes, 0, sizeof(attributes));
  attributes.nLength = sizeof(attributes);
  attributes.lpSecurityDescriptor = nullptr;
  attributes.bInheritHandle = FALSE;
  HANDLE mutex = CreateMutexA(&attributes, TRUE, kSingleInstanceMutexName);
  DWORD error = GetLastError();
  // Any other failure to make the mutex lets the run go on.
  if (mutex == nullptr) return error != static_cast<DWORD>(ERROR_ACCESS_DENIED);
  return error != static_cast<DWORD>(ERROR_ALREADY_EXISTS);
}

// Covers the larger of the old and the new screen with the black window before the switch.
void ShowBackdrop(LaunchContext& context, const DEVMODEA& chosen, HINSTANCE instance,
                  int showCommand) {
  DWORD width = std::max(context.currentMode.dmPelsWidth, chosen.dmPelsWidth);
  DWORD height = std::max(context.currentMode.dmPelsHeight, chosen.dmPelsHeight);
  RegisterBackdropClass(instance);
  context.backdropWindow =
      CreateBackdropWindow(instance, static_cast<int>(width), static_cast<int>(height));
  if (context.backdropWindow != nullptr) ShowWindow(context.backdropWindow, showCommand);
}

}  // namespace

LaunchContext::LaunchContext(const char* modulePath)
    : LaunchContext(modulePath, QueryCurrentMode()) {}

namespace {

// Steps 4 to 10 of the run: modes, configuration, selection, the optional backdrop, the switch
// with the start, and the wait.
void RunSteps(LaunchContext& context, HINSTANCE instance, int showCommand) {
  context.EnumerateModes();
  if (context.LoadConfiguration(context.configPath) < 1) return;
  DWORD fieldMask = 0;
  int index = context.SelectMode(fieldMask);
  int result = 0;
  if (index < 0) {
    if (context.strictMode) {
      MessageBoxA(nullptr, kNoSuitableModeText, kNoSuitableModeCaption, MB_OK);
    } else {
      result = context.LaunchApplication(context.applicationPath);
    }
  } else {
    if (context.backdropEnabled) {
      ShowBackdrop(context, context.modeCatalogue[static_cast<size_t>(index)], instance,
                   showCommand);
    }
    result = context.ApplyMode(index, fieldMask);
  }
  if (result >= 1) context.WaitForApplication();
}

}  // namespace

int RunLauncher(HINSTANCE instance, int showCommand) {
  char modulePath[kPathCapacity];
  DWORD length = GetModuleFileNameA(nullptr, modulePath, kPathCapacity - 1);
  if (length == 0 || length >= kPathCapacity - 1) return 0;

  // A directory too long for the files beside it ends the run as silently as an over-long
  // module path: no path is ever cut short.
  std::unique_ptr<LaunchContext> context(new (std::nothrow) LaunchContext(modulePath));
  if (!context || !context->PathsFit()) return 0;

  if (!ClaimSingleInstance()) return 0;

  // The lists and texts of the run grow through the standard library, which throws when memory
  // runs out. The run is then given up where it stands, without a box of its own (showing one
  // could need memory too): the display still goes back and the status is still 0.
  try {
    RunSteps(*context, instance, showCommand);
  } catch (const std::exception&) {
  }
  context->RestoreMode();
  return 0;
}
