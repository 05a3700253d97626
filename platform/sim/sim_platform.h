// The simulated platform behind the portability header on the host: a test scripts what the
// platform answers and then inspects every call the program made, with its arguments.
#pragma once

#include "platform/win32_api.h"

#include <deque>
#include <string>
#include <vector>

// One answer of EnumDisplaySettingsA for a mode number: the result and the record it fills in.
struct SimModeAnswer {
  BOOL result;
  DEVMODEA mode;
};

struct SimEnumCall {
  bool deviceNameNull;
  DWORD modeNumber;
  bool recordZeroFilled;  // every byte of the record was 0 when the call was made
};

struct SimModeChange {
  bool hasMode;  // false for a return to the registry mode (a null record)
  DEVMODEA mode;
  DWORD flags;
};

struct SimMessageBox {
  HWND owner;
  std::string text;
  std::string caption;
  UINT type;
};

struct SimPostedMessage {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

struct SimProcessStart {
  std::string applicationName;
  bool applicationNameNull;
  bool commandLineNull;
  SECURITY_ATTRIBUTES* processAttributes;
  SECURITY_ATTRIBUTES* threadAttributes;
  BOOL inheritHandles;
  DWORD creationFlags;
  LPVOID environment;
  bool currentDirectoryNull;
  STARTUPINFOA startupInfo;  // a copy as handed over
  const STARTUPINFOA* startupInfoPointer;
  PROCESS_INFORMATION* processInformationPointer;
};

struct SimWait {
  HANDLE handle;
  DWORD milliseconds;
};

struct SimMutexCall {
  bool attributesGiven;
  SECURITY_ATTRIBUTES attributes;
  BOOL initialOwner;
  std::string name;
};

struct SimRegisteredClass {
  WNDCLASSEXA fields;
  std::string menuName;
  std::string className;
};

struct SimCreatedWindow {
  DWORD exStyle;
  std::string className;
  bool titleNull;
  DWORD style;
  int x, y, width, height;
  HWND parent;
  HMENU menu;
  HINSTANCE instance;
  LPVOID param;
};

struct SimFill {
  HDC dc;
  RECT rect;
  HBRUSH brush;
};

// The file search: the entries that FindFirstFileW and FindNextFileW yield, in this order, and
// how the search fails. FindClose leaves the last-error code at 0.
struct SimFileSearch {
  std::vector<std::u16string> entries;   // none: FindFirstFileW fails with ERROR_FILE_NOT_FOUND
  DWORD startError = 0;                  // not 0: FindFirstFileW fails with this code
  DWORD endError = ERROR_NO_MORE_FILES;  // the code after the last entry
  std::vector<std::u16string> patterns;  // what FindFirstFileW was asked for
  size_t next = 0;
  int closeCount = 0;
};

struct SimPlatform {
  // Every platform call by name, in call order.
  std::vector<std::string> calls;
  DWORD lastError = 0;

  // Processes and synchronisation.
  std::string modulePath;
  bool moduleFails = false;  // GetModuleFileNameA answers 0
  bool mutexAlreadyExists = false;
  std::vector<SimMutexCall> mutexCalls;
  bool processStartFails = false;
  DWORD processStartError = 2;  // ERROR_FILE_NOT_FOUND
  std::vector<SimProcessStart> processStarts;
  std::vector<SimWait> waits;
  std::vector<HANDLE> closedHandles;

  // Display settings.
  std::vector<SimModeAnswer> modes;  // answers for mode numbers 0, 1, ...; 0 beyond the last
  BOOL currentModeResult = TRUE;
  DEVMODEA currentMode{};
  std::vector<SimEnumCall> enumCalls;
  LONG changeResult = DISP_CHANGE_SUCCESSFUL;
  std::vector<SimModeChange> modeChanges;

  // Windows and messages.
  std::vector<SimMessageBox> messageBoxes;
  HWND taskbar = nullptr;  // the window FindWindowA finds, or none
  std::vector<std::string> findWindowQueries;  // "class|title", title "(null)" for a null name
  std::vector<SimPostedMessage> posted;
  ATOM registerResult = 0xC001;
  std::vector<SimRegisteredClass> registeredClasses;
  bool windowCreationFails = false;
  std::vector<SimCreatedWindow> createdWindows;
  std::vector<std::pair<HWND, int>> showCalls;
  std::vector<SimFill> fills;
  int paintsOpen = 0;  // BeginPaint calls not yet matched by EndPaint
  std::vector<int> quitCodes;
  std::vector<UINT> defaultHandled;  // messages handed to DefWindowProcA
  std::vector<UINT> dispatched;      // messages dispatched to the window procedure
  // What arrives while the application runs, batch by batch. A wait with messages still queued
  // answers "messages"; otherwise it queues the next batch and answers "messages", and once the
  // batches are used up it answers the process's end.
  std::deque<std::vector<MSG>> arrivingBatches;
  std::deque<MSG> queuedMessages;  // arrived and not yet taken

  SimFileSearch fileSearch;

  // Files: the calls work on the host's files (handles are its file descriptors), except the
  // one named in failingFileCall, which fails with fileError every time it is made.
  std::string failingFileCall;
  DWORD fileError = 0;
  std::vector<DWORD> moveFlags;     // of every MoveFileExA call
  std::vector<DWORD> replaceFlags;  // of every ReplaceFileA call
  int flushes = 0;                  // FlushFileBuffers calls that succeeded
};

// The one simulated platform of the test process; Reset() puts it back to its defaults.
SimPlatform& Sim();
void ResetSim();

// Held by every simulated call while it records: it logs the call by name, and what the
// simulated platform allocates meanwhile is its own, not the program's (SimIsRecording).
class SimCall {
 public:
  explicit SimCall(const char* name);
  ~SimCall();
  SimCall(const SimCall&) = delete;
  SimCall& operator=(const SimCall&) = delete;
};
bool SimIsRecording();

// A display-mode record as a driver would fill it in.
DEVMODEA SimMode(DWORD width, DWORD height, DWORD bitsPerPel, DWORD frequency);

// Fake handles the simulated platform hands out.
HWND SimBackdropHandle();
HANDLE SimProcessHandle();
HANDLE SimThreadHandle();
