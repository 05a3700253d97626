// The launcher's platform calls, served from the script in Sim() and recorded there.
#include "platform/sim/sim_platform.h"

#include <cstring>
#include <string>

namespace {

// Windows procedures of registered classes, found again by class name when a window is made.
WNDPROC g_backdropProcedure = nullptr;

HDC FakeDc() { return reinterpret_cast<HDC>(static_cast<UINT_PTR>(0x5001)); }

int g_recording = 0;  // SimCall objects alive

bool AllZero(const void* data, size_t size) {
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < size; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

}  // namespace

// A function's own static, so that it exists before any other translation unit's start-up code
// scripts it.
SimPlatform& Sim() {
  static SimPlatform sim;
  return sim;
}

SimCall::SimCall(const char* name) {
  ++g_recording;
  Sim().calls.emplace_back(name);
}

SimCall::~SimCall() { --g_recording; }

bool SimIsRecording() { return g_recording > 0; }

void ResetSim() {
  Sim() = SimPlatform();
  g_backdropProcedure = nullptr;
}

bool SimWindowsAtLeast(DWORD major, DWORD minor) {
  return Sim().windowsMajor > major || (Sim().windowsMajor == major && Sim().windowsMinor >= minor);
}

HWND SimBackdropHandle() { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x2001)); }
HANDLE SimProcessHandle() { return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(0x1001)); }
HANDLE SimThreadHandle() { return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(0x1002)); }
HANDLE SimMutexHandle() { return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(0x1101)); }

extern "C" {

DWORD WINAPI GetModuleFileNameA(HMODULE, LPSTR lpFilename, DWORD nSize) {
  SimCall recording("GetModuleFileNameA");
  if (Sim().moduleFails || nSize == 0) return 0;
  // Like the platform: a path that does not fit is cut and answered with nSize; from Windows
  // Vista on it is terminated within the buffer, on Windows XP it fills the buffer unterminated.
  size_t length = Sim().modulePath.size();
  bool terminates = SimWindowsAtLeast(6, 0);
  size_t copied = length < nSize ? length : (terminates ? nSize - 1 : nSize);
  std::memcpy(lpFilename, Sim().modulePath.data(), copied);
  if (copied < nSize) lpFilename[copied] = '\0';
  return length < nSize ? static_cast<DWORD>(length) : nSize;
}

HANDLE WINAPI CreateMutexA(SECURITY_ATTRIBUTES* attributes, BOOL initialOwner, LPCSTR name) {
  SimCall recording("CreateMutexA");
  SimMutexCall call{};
  call.attributesGiven = attributes != nullptr;
  if (attributes) call.attributes = *attributes;
  call.initialOwner = initialOwner;
  call.name = name ? name : "";
  Sim().mutexCalls.push_back(call);
  // A mutex this process may not open is not created either: the call fails with the refusal.
  if (Sim().mutexAlreadyExists && Sim().openMutexError != 0) {
    Sim().lastError = Sim().openMutexError;
    return nullptr;
  }
  Sim().lastError = Sim().mutexAlreadyExists ? static_cast<DWORD>(ERROR_ALREADY_EXISTS) : 0;
  return SimMutexHandle();
}

HANDLE WINAPI OpenMutexA(DWORD access, BOOL inheritHandle, LPCSTR name) {
  SimCall recording("OpenMutexA");
  Sim().mutexOpenings.push_back({access, inheritHandle, name != nullptr ? name : ""});
  if (!Sim().mutexAlreadyExists || Sim().openMutexError != 0) {
    Sim().lastError = Sim().mutexAlreadyExists ? Sim().openMutexError : static_cast<DWORD>(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  return SimMutexHandle();
}

DWORD WINAPI GetLastError(void) { return Sim().lastError; }

BOOL WINAPI CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                           SECURITY_ATTRIBUTES* processAttributes,
                           SECURITY_ATTRIBUTES* threadAttributes, BOOL inheritHandles,
                           DWORD creationFlags, LPVOID environment, LPCSTR currentDirectory,
                           STARTUPINFOA* startupInfo, PROCESS_INFORMATION* processInformation) {
  SimCall recording("CreateProcessA");
  SimProcessStart start{};
  start.applicationNameNull = applicationName == nullptr;
  start.applicationName = applicationName ? applicationName : "";
  start.commandLineNull = commandLine == nullptr;
  start.processAttributes = processAttributes;
  start.threadAttributes = threadAttributes;
  start.inheritHandles = inheritHandles;
  start.creationFlags = creationFlags;
  start.environment = environment;
  start.currentDirectoryNull = currentDirectory == nullptr;
  if (startupInfo) start.startupInfo = *startupInfo;
  start.startupInfoPointer = startupInfo;
  start.processInformationPointer = processInformation;
  Sim().processStarts.push_back(start);
  if (Sim().processStartFails) {
    Sim().lastError = Sim().processStartError;
    return FALSE;
  }
  if (SimIsNoProgram(applicationName)) {
    Sim().lastError = 193;  // ERROR_BAD_EXE_FORMAT
    return FALSE;
  }
  processInformation->hProcess = SimProcessHandle();
  processInformation->hThread = SimThreadHandle();
  processInformation->dwProcessId = 0x4D2;
  processInformation->dwThreadId = 0x4D3;
  return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  SimCall recording("WaitForSingleObject");
  Sim().waits.push_back({handle, milliseconds, 0});
  if (handle != SimProcessHandle()) return WAIT_FAILED;
  if (milliseconds == 0 && Sim().processRunsForPolls > 0) {
    --Sim().processRunsForPolls;
    return static_cast<DWORD>(WAIT_TIMEOUT);
  }
  return WAIT_OBJECT_0;
}

DWORD WINAPI MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL, DWORD milliseconds,
                                       DWORD wakeMask) {
  SimCall recording("MsgWaitForMultipleObjects");
  HANDLE handle = count > 0 ? handles[0] : nullptr;
  Sim().waits.push_back({handle, milliseconds, wakeMask});
  // Windows 8 added touch and pointer input (QS_TOUCH, QS_POINTER); earlier versions refuse a
  // mask with a flag they do not know.
  DWORD known = SimWindowsAtLeast(6, 2) ? 0x1CFFu : 0x04FFu;
  if (Sim().messageWaitFails || (wakeMask & ~known) != 0) {
    Sim().lastError = ERROR_INVALID_PARAMETER;
    return WAIT_FAILED;
  }
  if (count == 0) return SimWaitForMessagesAlone();
  if (handle != SimProcessHandle()) return WAIT_FAILED;
  if (Sim().queuedMessages.empty()) {
    // The process ends once every batch that was to arrive meanwhile has arrived and been taken.
    if (Sim().arrivingBatches.empty()) return WAIT_OBJECT_0;
    const std::vector<MSG>& batch = Sim().arrivingBatches.front();
    Sim().queuedMessages.insert(Sim().queuedMessages.end(), batch.begin(), batch.end());
    Sim().arrivingBatches.pop_front();
  }
  return WAIT_OBJECT_0 + count;
}

BOOL WINAPI PeekMessageA(MSG* message, HWND, UINT, UINT, UINT removal) {
  SimCall recording("PeekMessageA");
  if (Sim().queuedMessages.empty()) return FALSE;
  *message = Sim().queuedMessages.front();
  if (removal & PM_REMOVE) Sim().queuedMessages.pop_front();
  return TRUE;
}

BOOL WINAPI WaitMessage(void) {
  SimCall recording("WaitMessage");
  // Returns once something has arrived: the next batch, when nothing is queued.
  if (Sim().queuedMessages.empty() && !Sim().arrivingBatches.empty()) {
    const std::vector<MSG>& batch = Sim().arrivingBatches.front();
    Sim().queuedMessages.insert(Sim().queuedMessages.end(), batch.begin(), batch.end());
    Sim().arrivingBatches.pop_front();
  }
  return TRUE;
}

void WINAPI Sleep(DWORD milliseconds) {
  SimCall recording("Sleep");
  Sim().sleeps.push_back(milliseconds);
}

UINT WINAPI SetErrorMode(UINT mode) {
  SimCall recording("SetErrorMode");
  Sim().errorModes.push_back(mode);
  UINT previous = Sim().errorMode;
  Sim().errorMode = mode;
  return previous;
}

LRESULT WINAPI DispatchMessageA(const MSG* message) {
  {
    SimCall recording("DispatchMessageA");
    Sim().dispatched.push_back(message->message);
  }
  // The window procedure is the program's own code again.
  if (message->hwnd == nullptr || g_backdropProcedure == nullptr) return 0;
  return g_backdropProcedure(message->hwnd, message->message, message->wParam, message->lParam);
}

BOOL WINAPI CloseHandle(HANDLE handle) {
  SimCall recording("CloseHandle");
  Sim().closedHandles.push_back(handle);
  if (SimIsFileHandle(handle)) return SimCloseFile(handle);
  return handle != nullptr;
}

BOOL WINAPI EnumDisplaySettingsA(LPCSTR deviceName, DWORD modeNumber, DEVMODEA* mode) {
  SimCall recording("EnumDisplaySettingsA");
  Sim().enumCalls.push_back({deviceName == nullptr, modeNumber, AllZero(mode, sizeof(*mode))});
  if (modeNumber == ENUM_CURRENT_SETTINGS) {
    if (Sim().currentModeResult) *mode = Sim().currentMode;
    return Sim().currentModeResult;
  }
  if (modeNumber == ENUM_REGISTRY_SETTINGS) {
    if (Sim().registryModeResult) *mode = Sim().registryMode;
    return Sim().registryModeResult;
  }
  if (modeNumber >= Sim().modes.size()) return FALSE;
  const SimModeAnswer& answer = Sim().modes[modeNumber];
  *mode = answer.mode;
  return answer.result;
}

LONG WINAPI ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) {
  SimCall recording("ChangeDisplaySettingsA");
  SimModeChange change{};
  change.hasMode = mode != nullptr;
  if (mode) change.mode = *mode;
  change.flags = flags;
  Sim().modeChanges.push_back(change);
  if (mode != nullptr) return Sim().changeResult;
  if (Sim().restoreResult == DISP_CHANGE_SUCCESSFUL) Sim().currentMode = Sim().registryMode;
  return Sim().restoreResult;
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  SimCall recording("MessageBoxA");
  Sim().messageBoxes.push_back({owner, text ? text : "", caption ? caption : "", type});
  return IDOK;
}

HWND WINAPI FindWindowA(LPCSTR className, LPCSTR windowName) {
  SimCall recording("FindWindowA");
  Sim().findWindowQueries.push_back(std::string(className ? className : "(null)") + "|" +
                                    (windowName ? windowName : "(null)"));
  return Sim().taskbar;
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  SimCall recording("PostMessageA");
  Sim().posted.push_back({window, message, wParam, lParam});
  // A message for the backdrop, a window of the launcher's own thread, joins that thread's queue.
  if (window == SimBackdropHandle()) {
    MSG queued{};
    queued.hwnd = window;
    queued.message = message;
    queued.wParam = wParam;
    queued.lParam = lParam;
    Sim().queuedMessages.push_back(queued);
  }
  return TRUE;
}

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* windowClass) {
  SimCall recording("RegisterClassExA");
  Sim().registeredClasses.push_back(
      {*windowClass, windowClass->lpszMenuName ? windowClass->lpszMenuName : "",
       windowClass->lpszClassName ? windowClass->lpszClassName : ""});
  if (Sim().registerResult != 0) g_backdropProcedure = windowClass->lpfnWndProc;
  return Sim().registerResult;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
  SimCall recording("CreateWindowExA");
  Sim().createdWindows.push_back({exStyle, className ? className : "", title == nullptr, style, x,
                                  y, width, height, parent, menu, instance, param});
  if (Sim().windowCreationFails || g_backdropProcedure == nullptr) return nullptr;
  return SimBackdropHandle();
}

BOOL WINAPI ShowWindow(HWND window, int command) {
  SimCall recording("ShowWindow");
  Sim().showCalls.emplace_back(window, command);
  return FALSE;
}

BOOL WINAPI UpdateWindow(HWND window) {
  { SimCall recording("UpdateWindow"); }
  // Like the platform, the window procedure paints the window before UpdateWindow returns.
  if (window == nullptr || g_backdropProcedure == nullptr) return FALSE;
  g_backdropProcedure(window, WM_PAINT, 0, 0);
  return TRUE;
}

HDC WINAPI BeginPaint(HWND, PAINTSTRUCT* paint) {
  SimCall recording("BeginPaint");
  *paint = PAINTSTRUCT{};
  paint->hdc = FakeDc();
  ++Sim().paintsOpen;
  return paint->hdc;
}

BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT*) {
  SimCall recording("EndPaint");
  --Sim().paintsOpen;
  return TRUE;
}

BOOL WINAPI GetClientRect(HWND window, RECT* rect) {
  SimCall recording("GetClientRect");
  *rect = RECT{};
  if (window != SimBackdropHandle() || Sim().createdWindows.empty()) return FALSE;
  rect->right = Sim().createdWindows.back().width;
  rect->bottom = Sim().createdWindows.back().height;
  return TRUE;
}

int WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  SimCall recording("FillRect");
  Sim().fills.push_back({dc, *rect, brush});
  return 1;
}

HGDIOBJ WINAPI GetStockObject(int object) {
  return reinterpret_cast<HGDIOBJ>(static_cast<UINT_PTR>(0x3000 + object));
}

HCURSOR WINAPI LoadCursorA(HINSTANCE, LPCSTR name) {
  return reinterpret_cast<HCURSOR>(0x40000 + reinterpret_cast<UINT_PTR>(name));
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM) {
  {
    SimCall recording("DefWindowProcA");
    Sim().defaultHandled.push_back(message);
    if (message == WM_MOUSEACTIVATE) return MA_ACTIVATE;
    if (message == WM_CLOSE) Sim().destroyedWindows.push_back(window);
  }
  // The window procedure is the program's own code again.
  if (g_backdropProcedure == nullptr) return 0;
  if (message == WM_SYSCOMMAND && (wParam & 0xFFF0u) == SC_CLOSE) g_backdropProcedure(window, WM_CLOSE, 0, 0);
  if (message == WM_CLOSE) g_backdropProcedure(window, WM_DESTROY, 0, 0);
  return 0;
}

void WINAPI PostQuitMessage(int exitCode) {
  SimCall recording("PostQuitMessage");
  Sim().quitCodes.push_back(exitCode);
}

}  // extern "C"
