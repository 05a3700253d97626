// Starting the application and waiting until it has ended; with WAITALL, until it and every
// program it started have ended.
#include "launcher/app_launch.h"

#include "launcher/launch_context.h"
#include "launcher/owned_handle.h"

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(JOBOBJECT_EXTENDED_LIMIT_INFORMATION) == 112, "the 32-bit extended limit record");
static_assert(sizeof(JOBOBJECT_BASIC_ACCOUNTING_INFORMATION) == 48, "the 32-bit accounting record");
#endif

namespace {

// A job of the launcher's own for the application's process tree: unnamed, its handle not
// inheritable, and without JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE, so that the launcher's end, even by
// force, never ends the application. Its one limit lets a program that asks to leave the job
// (CREATE_BREAKAWAY_FROM_JOB) do so; in a job without it, that program's start would fail.
// Left null when the job cannot be made so: the application then starts exactly as without
// WAITALL, since a job without that limit could keep it from starting its own programs.
void CreateApplicationJob(HANDLE& job) {
  job = CreateJobObjectA(nullptr, nullptr);
  OwnedHandle owner(job);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_BREAKAWAY_OK;
  if (job != nullptr && SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits,
                                                static_cast<DWORD>(sizeof(limits)))) {
    owner.Keep();
  }
}

// Lets the application, started suspended, run: inside the job when it can be put there. When it
// cannot (on Windows 7 and earlier a process that is in a job already, as the launcher's children
// are when the launcher itself runs in one, cannot join another), the job is closed and the
// application runs outside it, without a word; the wait is then for its own process only, as
// without WAITALL. False when it cannot be resumed: it is then ended before its first instruction.
bool RunSuspendedApplication(LaunchContext& context) {
  if (!AssignProcessToJobObject(context.applicationJob, context.processInfo.hProcess)) {
    OwnedHandle(context.applicationJob).Close();
  }
  if (ResumeThread(context.processInfo.hThread) != static_cast<DWORD>(-1)) return true;
  TerminateProcess(context.processInfo.hProcess, 1);
  return false;
}

// Hands whatever has arrived to the window procedures, so that the backdrop window repaints and
// answers messages sent to it.
void DispatchArrived() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

// Waits, dispatching messages as the process wait does, until the job holds no process. The job is
// asked again every kJobRequeryMs and after every batch of messages. A query that fails ends the
// wait where the wait without WAITALL ends, with the application's own process. A message wait
// that fails says nothing about the job: the wait goes on without messages, asking the job as
// often.
void WaitUntilJobIsEmpty(HANDLE job) {
  bool messagesWake = true;
  for (;;) {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
    if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting,
                                   static_cast<DWORD>(sizeof(accounting)), nullptr) ||
        accounting.ActiveProcesses == 0) {
      return;
    }
    DWORD woken = messagesWake ? MsgWaitForMultipleObjects(0, nullptr, FALSE, kJobRequeryMs, QS_ALLINPUT)
                               : WAIT_FAILED;
    if (woken == WAIT_OBJECT_0) {
      DispatchArrived();
    } else if (woken == WAIT_FAILED) {
      messagesWake = false;
      Sleep(kJobRequeryMs);
    }
  }
}

}  // namespace

int LaunchContext::LaunchApplication(const char* path) {
  // No arguments; the launcher's inheritable handles, environment and current directory. With
  // WAITALL and a job, suspended: the application belongs to the job from its first instruction,
  // and so does every program it starts.
  OwnedHandle job(applicationJob);
  DWORD creationFlags = NORMAL_PRIORITY_CLASS;
  if (waitAllEnabled) CreateApplicationJob(applicationJob);
  if (applicationJob != nullptr) creationFlags |= CREATE_SUSPENDED;
  if (CreateProcessA(path, nullptr, nullptr, nullptr, TRUE, creationFlags, nullptr, nullptr,
                     &startupInfo, &processInfo)) {
    if (applicationJob == nullptr) return 1;
    // Started suspended: the thread handle serves only to resume it; the process handle is the
    // wait's once it runs.
    OwnedHandle thread(processInfo.hThread), process(processInfo.hProcess);
    if (RunSuspendedApplication(*this)) {
      process.Keep();
      job.Keep();
      return 1;
    }
  }
  // A start that failed leaves no handle open before the user is told.
  job.Close();
  MessageBoxA(nullptr, LaunchFailureText(path).c_str(), kLaunchFailureCaption, MB_OK);
  return 0;
}

void LaunchContext::WaitForApplication() {
  // This thread owns the backdrop window: it dispatches whatever arrives while it waits, so
  // that the window repaints and answers messages sent to it. Only the process's end ends the
  // wait; a quit message does not. A message wait that fails is no end: the launcher then waits
  // for the process alone, without serving the window.
  HANDLE process = processInfo.hProcess;
  DWORD result;
  while ((result = MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT)) ==
         WAIT_OBJECT_0 + 1) {
    DispatchArrived();
  }
  if (result == WAIT_FAILED) result = WaitForSingleObject(process, INFINITE);
  CloseHandle(process);
  // With the application in a job, the wait goes on until the programs it started have ended too.
  OwnedHandle job(applicationJob);
  if (applicationJob != nullptr && result == WAIT_OBJECT_0) WaitUntilJobIsEmpty(applicationJob);
}
