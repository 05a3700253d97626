// The launcher's platform calls, served from the script in Sim() and recorded there.
#include "platform/sim/sim_platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

SimPlatform g_sim;

// Windows procedures of registered classes, found again by class name when a window is made.
WNDPROC g_backdropProcedure = nullptr;

HDC FakeDc() { return reinterpret_cast<HDC>(static_cast<UINT_PTR>(0x5001)); }

int g_recording = 0;  // SimCall objects alive

// The handles of open files are the host's file descriptors, shifted out of the way of the
// other fake handles.
constexpr UINT_PTR kFileHandleBase = 0x100000;
HANDLE FileHandle(int descriptor) {
  return reinterpret_cast<HANDLE>(kFileHandleBase + static_cast<UINT_PTR>(descriptor));
}
bool IsFileHandle(HANDLE handle) {
  UINT_PTR value = reinterpret_cast<UINT_PTR>(handle);
  return value >= kFileHandleBase && value < kFileHandleBase + 0x10000;
}
// The file calls work on the host's own file system; the scripted one fails and changes nothing.
bool SimFileCallFails(const char* name) {
  if (g_sim.failingFileCall != name) return false;
  g_sim.lastError = g_sim.fileError;
  return true;
}

int FileDescriptor(HANDLE handle) {
  return static_cast<int>(reinterpret_cast<UINT_PTR>(handle) - kFileHandleBase);
}

bool AllZero(const void* data, size_t size) {
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < size; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

}  // namespace

SimPlatform& Sim() { return g_sim; }

SimCall::SimCall(const char* name) {
  ++g_recording;
  g_sim.calls.emplace_back(name);
}

SimCall::~SimCall() { --g_recording; }

bool SimIsRecording() { return g_recording > 0; }

void ResetSim() {
  g_sim = SimPlatform();
  g_backdropProcedure = nullptr;
}

DEVMODEA SimMode(DWORD width, DWORD height, DWORD bitsPerPel, DWORD frequency) {
  DEVMODEA mode{};
  mode.dmSize = sizeof(DEVMODEA);
  mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFLAGS | DM_DISPLAYFREQUENCY;
  mode.dmBitsPerPel = bitsPerPel;
  mode.dmPelsWidth = width;
  mode.dmPelsHeight = height;
  mode.dmDisplayFrequency = frequency;
  return mode;
}

HWND SimBackdropHandle() { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x2001)); }
HANDLE SimProcessHandle() { return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(0x1001)); }
HANDLE SimThreadHandle() { return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(0x1002)); }

extern "C" {

DWORD WINAPI GetModuleFileNameA(HMODULE, LPSTR lpFilename, DWORD nSize) {
  SimCall recording("GetModuleFileNameA");
  if (g_sim.moduleFails || nSize == 0) return 0;
  // Like the platform: a path that does not fit is cut, terminated, and answered with nSize.
  size_t length = g_sim.modulePath.size();
  size_t copied = length < nSize ? length : nSize - 1;
  std::memcpy(lpFilename, g_sim.modulePath.data(), copied);
  lpFilename[copied] = '\0';
  return length < nSize ? static_cast<DWORD>(length) : nSize;
}

HANDLE WINAPI CreateMutexA(SECURITY_ATTRIBUTES* attributes, BOOL initialOwner, LPCSTR name) {
  SimCall recording("CreateMutexA");
  SimMutexCall call{};
  call.attributesGiven = attributes != nullptr;
  if (attributes) call.attributes = *attributes;
  call.initialOwner = initialOwner;
  call.name = name ? name : "";
  g_sim.mutexCalls.push_back(call);
  g_sim.lastError = g_sim.mutexAlreadyExists ? static_cast<DWORD>(ERROR_ALREADY_EXISTS) : 0;
  return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(0x1101));
}

DWORD WINAPI GetLastError(void) { return g_sim.lastError; }

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
  g_sim.processStarts.push_back(start);
  if (g_sim.processStartFails) {
    g_sim.lastError = g_sim.processStartError;
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
  g_sim.waits.push_back({handle, milliseconds});
  return handle == SimProcessHandle() ? WAIT_OBJECT_0 : WAIT_FAILED;
}

DWORD WINAPI MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL, DWORD milliseconds,
                                       DWORD) {
  SimCall recording("MsgWaitForMultipleObjects");
  HANDLE handle = count > 0 ? handles[0] : nullptr;
  g_sim.waits.push_back({handle, milliseconds});
  if (count == 0) return SimWaitForMessagesAlone();
  if (handle != SimProcessHandle()) return WAIT_FAILED;
  if (g_sim.queuedMessages.empty()) {
    // The process ends once every batch that was to arrive meanwhile has arrived and been taken.
    if (g_sim.arrivingBatches.empty()) return WAIT_OBJECT_0;
    const std::vector<MSG>& batch = g_sim.arrivingBatches.front();
    g_sim.queuedMessages.insert(g_sim.queuedMessages.end(), batch.begin(), batch.end());
    g_sim.arrivingBatches.pop_front();
  }
  return WAIT_OBJECT_0 + count;
}

BOOL WINAPI PeekMessageA(MSG* message, HWND, UINT, UINT, UINT removal) {
  SimCall recording("PeekMessageA");
  if (g_sim.queuedMessages.empty()) return FALSE;
  *message = g_sim.queuedMessages.front();
  if (removal & PM_REMOVE) g_sim.queuedMessages.pop_front();
  return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* message) {
  {
    SimCall recording("DispatchMessageA");
    g_sim.dispatched.push_back(message->message);
  }
  // The window procedure is the program's own code again.
  if (message->hwnd == nullptr || g_backdropProcedure == nullptr) return 0;
  return g_backdropProcedure(message->hwnd, message->message, message->wParam, message->lParam);
}

BOOL WINAPI CloseHandle(HANDLE handle) {
  SimCall recording("CloseHandle");
  g_sim.closedHandles.push_back(handle);
  if (IsFileHandle(handle)) return close(FileDescriptor(handle)) == 0;
  return handle != nullptr;
}

BOOL WINAPI EnumDisplaySettingsA(LPCSTR deviceName, DWORD modeNumber, DEVMODEA* mode) {
  SimCall recording("EnumDisplaySettingsA");
  g_sim.enumCalls.push_back({deviceName == nullptr, modeNumber, AllZero(mode, sizeof(*mode))});
  if (modeNumber == ENUM_CURRENT_SETTINGS) {
    if (g_sim.currentModeResult) *mode = g_sim.currentMode;
    return g_sim.currentModeResult;
  }
  if (modeNumber == ENUM_REGISTRY_SETTINGS) {
    if (g_sim.registryModeResult) *mode = g_sim.registryMode;
    return g_sim.registryModeResult;
  }
  if (modeNumber >= g_sim.modes.size()) return FALSE;
  const SimModeAnswer& answer = g_sim.modes[modeNumber];
  *mode = answer.mode;
  return answer.result;
}

LONG WINAPI ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) {
  SimCall recording("ChangeDisplaySettingsA");
  SimModeChange change{};
  change.hasMode = mode != nullptr;
  if (mode) change.mode = *mode;
  change.flags = flags;
  g_sim.modeChanges.push_back(change);
  if (mode != nullptr) return g_sim.changeResult;
  if (g_sim.restoreResult == DISP_CHANGE_SUCCESSFUL) g_sim.currentMode = g_sim.registryMode;
  return g_sim.restoreResult;
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  SimCall recording("MessageBoxA");
  g_sim.messageBoxes.push_back({owner, text ? text : "", caption ? caption : "", type});
  return IDOK;
}

HWND WINAPI FindWindowA(LPCSTR className, LPCSTR windowName) {
  SimCall recording("FindWindowA");
  g_sim.findWindowQueries.push_back(std::string(className ? className : "(null)") + "|" +
                                    (windowName ? windowName : "(null)"));
  return g_sim.taskbar;
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  SimCall recording("PostMessageA");
  g_sim.posted.push_back({window, message, wParam, lParam});
  return TRUE;
}

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* windowClass) {
  SimCall recording("RegisterClassExA");
  g_sim.registeredClasses.push_back(
      {*windowClass, windowClass->lpszMenuName ? windowClass->lpszMenuName : "",
       windowClass->lpszClassName ? windowClass->lpszClassName : ""});
  if (g_sim.registerResult != 0) g_backdropProcedure = windowClass->lpfnWndProc;
  return g_sim.registerResult;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
  SimCall recording("CreateWindowExA");
  g_sim.createdWindows.push_back({exStyle, className ? className : "", title == nullptr, style, x,
                                  y, width, height, parent, menu, instance, param});
  if (g_sim.windowCreationFails || g_backdropProcedure == nullptr) return nullptr;
  return SimBackdropHandle();
}

BOOL WINAPI ShowWindow(HWND window, int command) {
  SimCall recording("ShowWindow");
  g_sim.showCalls.emplace_back(window, command);
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
  ++g_sim.paintsOpen;
  return paint->hdc;
}

BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT*) {
  SimCall recording("EndPaint");
  --g_sim.paintsOpen;
  return TRUE;
}

BOOL WINAPI GetClientRect(HWND window, RECT* rect) {
  SimCall recording("GetClientRect");
  *rect = RECT{};
  if (window != SimBackdropHandle() || g_sim.createdWindows.empty()) return FALSE;
  rect->right = g_sim.createdWindows.back().width;
  rect->bottom = g_sim.createdWindows.back().height;
  return TRUE;
}

int WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  SimCall recording("FillRect");
  g_sim.fills.push_back({dc, *rect, brush});
  return 1;
}

HGDIOBJ WINAPI GetStockObject(int object) {
  return reinterpret_cast<HGDIOBJ>(static_cast<UINT_PTR>(0x3000 + object));
}

HCURSOR WINAPI LoadCursorA(HINSTANCE, LPCSTR name) {
  return reinterpret_cast<HCURSOR>(0x40000 + reinterpret_cast<UINT_PTR>(name));
}

LRESULT WINAPI DefWindowProcA(HWND, UINT message, WPARAM, LPARAM) {
  SimCall recording("DefWindowProcA");
  g_sim.defaultHandled.push_back(message);
  return 0;
}

void WINAPI PostQuitMessage(int exitCode) {
  SimCall recording("PostQuitMessage");
  g_sim.quitCodes.push_back(exitCode);
}

HANDLE WINAPI CreateFileA(LPCSTR name, DWORD, DWORD, SECURITY_ATTRIBUTES*, DWORD, DWORD, HANDLE) {
  SimCall recording("CreateFileA");
  if (SimFileCallFails("CreateFileA")) return INVALID_HANDLE_VALUE;
  int descriptor = open(name, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (descriptor < 0) {
    g_sim.lastError = errno == ENOENT ? static_cast<DWORD>(ERROR_PATH_NOT_FOUND) : static_cast<DWORD>(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  return FileHandle(descriptor);
}

BOOL WINAPI WriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, OVERLAPPED*) {
  SimCall recording("WriteFile");
  *written = 0;
  if (SimFileCallFails("WriteFile")) return FALSE;
  ssize_t count = write(FileDescriptor(file), data, size);
  if (count < 0) return FALSE;
  *written = static_cast<DWORD>(count);
  return TRUE;
}

BOOL WINAPI FlushFileBuffers(HANDLE file) {
  SimCall recording("FlushFileBuffers");
  if (SimFileCallFails("FlushFileBuffers") || fsync(FileDescriptor(file)) != 0) return FALSE;
  ++g_sim.flushes;
  return TRUE;
}

DWORD WINAPI GetFileAttributesA(LPCSTR name) {
  SimCall recording("GetFileAttributesA");
  struct stat status;
  if (SimFileCallFails("GetFileAttributesA") || stat(name, &status) != 0) return INVALID_FILE_ATTRIBUTES;
  DWORD attributes = S_ISDIR(status.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
  // The owner's write permission stands for the read-only attribute.
  if ((status.st_mode & S_IWUSR) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes;
}

BOOL WINAPI DeleteFileA(LPCSTR name) {
  SimCall recording("DeleteFileA");
  return !SimFileCallFails("DeleteFileA") && unlink(name) == 0;
}

BOOL WINAPI MoveFileExA(LPCSTR existing, LPCSTR target, DWORD flags) {
  SimCall recording("MoveFileExA");
  g_sim.moveFlags.push_back(flags);
  if (SimFileCallFails("MoveFileExA")) return FALSE;
  if (std::rename(existing, target) == 0) return TRUE;
  g_sim.lastError = static_cast<DWORD>(ERROR_ACCESS_DENIED);
  return FALSE;
}

// Like the platform with a backup name: the replaced file goes to the backup name and the
// replacement takes its place. A scripted ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 leaves the replaced
// file under the backup name, as the platform does; any other failure changes nothing.
BOOL WINAPI ReplaceFileA(LPCSTR replaced, LPCSTR replacement, LPCSTR backup, DWORD flags, LPVOID, LPVOID) {
  SimCall recording("ReplaceFileA");
  g_sim.replaceFlags.push_back(flags);
  if (SimFileCallFails("ReplaceFileA")) {
    if (g_sim.fileError == static_cast<DWORD>(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)) std::rename(replaced, backup);
    return FALSE;
  }
  if (std::rename(replaced, backup) != 0 || std::rename(replacement, replaced) != 0) {
    g_sim.lastError = static_cast<DWORD>(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  return TRUE;
}

}  // extern "C"
