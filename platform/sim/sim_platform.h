// The simulated platform behind the portability header on the host: a test scripts what the
// platform answers and then inspects every call the program made, with its arguments.
#pragma once

#include "platform/mode_record.h"
#include "platform/win32_api.h"

#include <deque>
#include <map>
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
  HANDLE handle;  // null for a wait on messages alone
  DWORD milliseconds;
  DWORD wakeMask;  // of MsgWaitForMultipleObjects; 0 for WaitForSingleObject
};

struct SimJobCreation {
  bool attributesNull;
  bool nameNull;
};

struct SimJobInformation {
  HANDLE job;
  JOBOBJECTINFOCLASS infoClass;
  DWORD size;
  DWORD limitFlags;  // of a limit record that was set; 0 for a query
};

// The job objects: one job at a time, whose handle is SimJobHandle(). Each call can be made to
// fail; it then sets the last-error code and changes nothing. Every call is kept with what it was
// handed.
struct SimJobObjects {
  bool creationFails = false;
  bool limitFails = false;
  // The launcher itself runs in a job (some shells and schedulers start programs in one), so the
  // programs it starts are in that job too: Windows 7 and earlier refuse to put such a process
  // into a second job (ERROR_ACCESS_DENIED); jobs nest from Windows 8.
  bool launcherInJob = false;
  bool resumeFails = false;
  // The accounting query numbered so (from 1) and every later one fail; 0: none fails.
  size_t queryFailsAt = 0;
  // The active-process counts that the accounting queries answer in turn; 0 once they run out.
  std::deque<DWORD> activeCounts;

  std::vector<SimJobCreation> creations;
  std::vector<SimJobInformation> limits;
  std::vector<std::pair<HANDLE, HANDLE>> assignments;  // (job, process) that succeeded
  std::vector<HANDLE> resumed;                         // threads handed to ResumeThread
  std::vector<SimJobInformation> queries;
  std::vector<std::pair<HANDLE, UINT>> terminated;     // (process, exit code)
  bool released = false;  // a suspended application was resumed or ended
};

struct SimMutexCall {
  bool attributesGiven;
  SECURITY_ATTRIBUTES attributes;
  BOOL initialOwner;
  std::string name;
};

struct SimMutexOpening {
  DWORD access;
  BOOL inheritHandle;
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

// A top-level window of the simulated desktop, for the calls that walk the z-order.
struct SimWindow {
  HWND handle;
  bool visible;
  bool topmost;
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

// A file call made to fail: the call of that name at its n-th occurrence since ResetSim (from 1),
// or at every occurrence when `occurrence` is 0. It sets `error` and changes nothing, except where
// the platform documents what a failure with that code leaves behind: ReplaceFileA with
// ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 has moved the replaced file to the backup name, and the
// replacement has taken its attributes.
struct SimFileFailure {
  std::string call;
  size_t occurrence = 0;
  DWORD error = ERROR_ACCESS_DENIED;
};

struct SimRegistryValue {
  DWORD type;
  std::string data;  // the bytes as stored, a text's terminating NUL included
};

// One RegOpenKeyExA or RegCreateKeyExA call.
struct SimKeyOpening {
  HKEY hive;
  std::string path;
  REGSAM access;
  bool create;
};

// The current user's registry: keys by their path under HKEY_CURRENT_USER, each with its values.
// Paths and value names are kept in capitals, since the platform compares them without regard to
// case (SimCapitals); RegEnumValueA names the values so. Every other hive is refused with
// ERROR_ACCESS_DENIED. The call named in failingCall fails with `failure` every time it is made
// and changes nothing.
struct SimRegistry {
  std::map<std::string, std::map<std::string, SimRegistryValue>> keys;
  std::string failingCall;
  LONG failure = ERROR_ACCESS_DENIED;
  std::vector<SimKeyOpening> openings;
  std::vector<std::string> openKeys;  // by handle number; "" once closed
};
// A name in capitals, as the platform compares registry, module and drive names.
std::string SimCapitals(const std::string& name);

struct SimPlatform {
  // Every platform call by name, in call order.
  std::vector<std::string> calls;
  DWORD lastError = 0;

  // Processes and synchronisation.
  std::string modulePath;
  bool moduleFails = false;  // GetModuleFileNameA answers 0
  // A launcher holds the single-instance mutex: CreateMutexA answers ERROR_ALREADY_EXISTS, and
  // OpenMutexA opens it (SimMutexHandle()), unless openMutexError, when not 0, refuses it to this
  // process (ERROR_ACCESS_DENIED: a launcher started with higher rights); CreateMutexA then fails
  // with that error too.
  bool mutexAlreadyExists = false;
  DWORD openMutexError = 0;
  std::vector<SimMutexCall> mutexCalls;
  std::vector<SimMutexOpening> mutexOpenings;
  bool processStartFails = false;
  DWORD processStartError = 2;  // ERROR_FILE_NOT_FOUND
  std::vector<SimProcessStart> processStarts;
  std::vector<SimWait> waits;
  // A wait with a zero timeout finds the process still running this many times before it ends.
  size_t processRunsForPolls = 0;
  // MsgWaitForMultipleObjects fails whatever it is handed; it also refuses, as the simulated
  // Windows version does, wake flags that version does not know.
  bool messageWaitFails = false;
  std::vector<DWORD> sleeps;        // of every Sleep call
  std::vector<UINT> errorModes;     // of every SetErrorMode call
  UINT errorMode = 0;               // the process's error mode
  std::vector<HANDLE> closedHandles;
  SimJobObjects jobs;

  // Display settings.
  std::vector<SimModeAnswer> modes;  // answers for mode numbers 0, 1, ...; 0 beyond the last
  BOOL currentModeResult = TRUE;
  DEVMODEA currentMode{};
  std::vector<SimEnumCall> enumCalls;
  LONG changeResult = DISP_CHANGE_SUCCESSFUL;
  std::vector<SimModeChange> modeChanges;
  // The mode the registry holds (ENUM_REGISTRY_SETTINGS), and the answer to a return there with
  // a null record, which on success puts the display into that mode.
  BOOL registryModeResult = TRUE;
  DEVMODEA registryMode{};
  LONG restoreResult = DISP_CHANGE_SUCCESSFUL;

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
  // Windows that DefWindowProcA destroyed: as the platform's, it answers WM_SYSCOMMAND's SC_CLOSE
  // by sending WM_CLOSE, and WM_CLOSE by destroying the window (WM_DESTROY); a click on an
  // inactive top-level window, WM_MOUSEACTIVATE, it answers MA_ACTIVATE.
  std::vector<HWND> destroyedWindows;
  // The desktop's top-level windows from the top of the z-order down (the topmost ones first),
  // the backdrop among them where a test places it; GetWindow, IsWindowVisible and
  // GetWindowLongA(GWL_EXSTYLE) answer from it (sim_window_order.cpp).
  std::vector<SimWindow> windowStack;
  HWND foreground = nullptr;             // GetForegroundWindow's answer; SetForegroundWindow sets it
  std::vector<HWND> foregroundRequests;  // every SetForegroundWindow call
  std::map<HWND, LONG_PTR> userData;     // GWLP_USERDATA by window
  std::vector<UINT> dispatched;      // messages dispatched to the window procedure
  // What arrives while the application runs, batch by batch. A wait with messages still queued
  // answers "messages"; otherwise it queues the next batch and answers "messages", and once the
  // batches are used up it answers the process's end.
  std::deque<std::vector<MSG>> arrivingBatches;
  // What arrives after the application's own process has ended, batch by batch: a wait on
  // messages alone with messages queued answers "messages"; otherwise it queues the next batch
  // and answers "messages", and once these batches are used up it times out.
  std::deque<std::vector<MSG>> arrivingAfterProcess;
  std::deque<MSG> queuedMessages;  // arrived and not yet taken

  SimFileSearch fileSearch;

  // The system: the version ntdll's RtlGetVersion reports (the function is missing when
  // hasRtlGetVersion is false), and what GetDriveTypeA answers for a drive letter in capitals
  // (DRIVE_FIXED for any other: DRIVE_REMOTE, DRIVE_CDROM and DRIVE_REMOVABLE are scripted), with
  // the roots it was asked about.
  bool hasRtlGetVersion = true;
  DWORD windowsMajor = 6, windowsMinor = 1, windowsBuild = 7601;
  WORD processorArchitecture = PROCESSOR_ARCHITECTURE_AMD64;  // GetNativeSystemInfo's
  std::map<char, UINT> driveTypes;
  std::vector<std::string> driveQueries;

  SimRegistry registry;

  // Files (sim_files.cpp): the calls work on the host's files, with the platform's refusals;
  // handles are the host's file descriptors. Read-only is the owner's write permission; hidden
  // and system, which the host cannot hold, are kept here by host path and follow a file through
  // renames. The scripted failures apply in order, the first that matches a call deciding.
  std::vector<SimFileFailure> fileFailures;
  std::map<std::string, size_t> fileCalls;       // how often each file call was made, by name
  std::map<std::string, DWORD> fileAttributes;  // hidden and system, by host path
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

// Whether the simulated Windows is this version or a later one: calls whose accepted arguments
// changed between versions answer as that version does.
bool SimWindowsAtLeast(DWORD major, DWORD minor);


// Fake handles the simulated platform hands out.
HWND SimBackdropHandle();
HANDLE SimProcessHandle();
HANDLE SimThreadHandle();
HANDLE SimJobHandle();
HANDLE SimMutexHandle();

// A host file that CreateProcessA cannot start, as Windows refuses a file without a program header
// (ERROR_BAD_EXE_FORMAT): one that is there but does not begin with "MZ" (sim_files.cpp).
bool SimIsNoProgram(const char* windowsPath);

// The handles of open files (sim_files.cpp), which CloseHandle closes on the host.
bool SimIsFileHandle(HANDLE handle);
BOOL SimCloseFile(HANDLE handle);

// MsgWaitForMultipleObjects without handles, served from arrivingAfterProcess (sim_job_objects.cpp).
DWORD SimWaitForMessagesAlone();

// The application's first thread has not run yet: its start succeeded with CREATE_SUSPENDED, and
// neither ResumeThread nor TerminateProcess has let it go since.
bool SimApplicationSuspended();
