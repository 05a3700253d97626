// The simulated job objects, the two thread and process calls that go with a suspended start, and
// the wait on messages alone that follows a job once the application's own process has ended:
// served from the script in Sim() and recorded there. Like the platform, a call handed the
// wrong information class or record size fails with ERROR_INVALID_PARAMETER.
#include "platform/sim/sim_platform.h"

namespace {

// A failed call sets the last-error code and changes nothing.
bool Fails(bool failing, LONG error) {
  if (failing) Sim().lastError = static_cast<DWORD>(error);
  return failing;
}

bool WrongRecord(JOBOBJECTINFOCLASS given, DWORD givenSize, JOBOBJECTINFOCLASS wanted,
                 size_t wantedSize) {
  bool wrong = given != wanted || givenSize != wantedSize;
  if (wrong) Sim().lastError = static_cast<DWORD>(ERROR_INVALID_PARAMETER);
  return wrong;
}

}  // namespace

bool SimApplicationSuspended() {
  const SimPlatform& sim = Sim();
  bool startedSuspended = !sim.processStarts.empty() && !sim.processStartFails &&
                          (sim.processStarts.back().creationFlags & CREATE_SUSPENDED) != 0;
  return startedSuspended && !sim.jobs.released;
}

HANDLE SimJobHandle() { return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(0x1003)); }

DWORD SimWaitForMessagesAlone() {
  SimPlatform& sim = Sim();
  if (sim.queuedMessages.empty()) {
    if (sim.arrivingAfterProcess.empty()) return static_cast<DWORD>(WAIT_TIMEOUT);
    const std::vector<MSG>& batch = sim.arrivingAfterProcess.front();
    sim.queuedMessages.insert(sim.queuedMessages.end(), batch.begin(), batch.end());
    sim.arrivingAfterProcess.pop_front();
  }
  return WAIT_OBJECT_0;
}

extern "C" {

HANDLE WINAPI CreateJobObjectA(SECURITY_ATTRIBUTES* attributes, LPCSTR name) {
  SimCall recording("CreateJobObjectA");
  Sim().jobs.creations.push_back({attributes == nullptr, name == nullptr});
  if (Fails(Sim().jobs.creationFails, ERROR_ACCESS_DENIED)) return nullptr;
  return SimJobHandle();
}

BOOL WINAPI SetInformationJobObject(HANDLE job, JOBOBJECTINFOCLASS infoClass, LPVOID information,
                                    DWORD size) {
  SimCall recording("SetInformationJobObject");
  SimJobInformation call{job, infoClass, size, 0};
  if (infoClass == JobObjectExtendedLimitInformation && size >= sizeof(JOBOBJECT_BASIC_LIMIT_INFORMATION)) {
    call.limitFlags =
        static_cast<const JOBOBJECT_EXTENDED_LIMIT_INFORMATION*>(information)->BasicLimitInformation.LimitFlags;
  }
  Sim().jobs.limits.push_back(call);
  if (Fails(job != SimJobHandle(), ERROR_INVALID_HANDLE) ||
      WrongRecord(infoClass, size, JobObjectExtendedLimitInformation,
                  sizeof(JOBOBJECT_EXTENDED_LIMIT_INFORMATION)) ||
      Fails(Sim().jobs.limitFails, ERROR_ACCESS_DENIED)) {
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI AssignProcessToJobObject(HANDLE job, HANDLE process) {
  SimCall recording("AssignProcessToJobObject");
  if (Fails(job != SimJobHandle() || process != SimProcessHandle(), ERROR_INVALID_HANDLE) ||
      Fails(Sim().jobs.launcherInJob && !SimWindowsAtLeast(6, 2), ERROR_ACCESS_DENIED)) {
    return FALSE;
  }
  Sim().jobs.assignments.emplace_back(job, process);
  return TRUE;
}

BOOL WINAPI QueryInformationJobObject(HANDLE job, JOBOBJECTINFOCLASS infoClass, LPVOID information,
                                      DWORD size, LPDWORD returnLength) {
  SimCall recording("QueryInformationJobObject");
  SimJobObjects& jobs = Sim().jobs;
  jobs.queries.push_back({job, infoClass, size, 0});
  if (Fails(job != SimJobHandle(), ERROR_INVALID_HANDLE) ||
      WrongRecord(infoClass, size, JobObjectBasicAccountingInformation,
                  sizeof(JOBOBJECT_BASIC_ACCOUNTING_INFORMATION)) ||
      Fails(jobs.queryFailsAt != 0 && jobs.queries.size() >= jobs.queryFailsAt, ERROR_ACCESS_DENIED)) {
    return FALSE;
  }
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
  accounting.TotalProcesses = static_cast<DWORD>(jobs.assignments.size());
  if (!jobs.activeCounts.empty()) {
    accounting.ActiveProcesses = jobs.activeCounts.front();
    jobs.activeCounts.pop_front();
  }
  *static_cast<JOBOBJECT_BASIC_ACCOUNTING_INFORMATION*>(information) = accounting;
  if (returnLength != nullptr) *returnLength = sizeof(accounting);
  return TRUE;
}

DWORD WINAPI ResumeThread(HANDLE thread) {
  SimCall recording("ResumeThread");
  Sim().jobs.resumed.push_back(thread);
  if (Fails(thread != SimThreadHandle(), ERROR_INVALID_HANDLE) ||
      Fails(Sim().jobs.resumeFails, ERROR_ACCESS_DENIED)) {
    return static_cast<DWORD>(-1);
  }
  // The previous suspend count: 1 for a thread that was waiting, 0 for one that ran already.
  DWORD previous = SimApplicationSuspended() ? 1 : 0;
  Sim().jobs.released = true;
  return previous;
}

BOOL WINAPI TerminateProcess(HANDLE process, UINT exitCode) {
  SimCall recording("TerminateProcess");
  Sim().jobs.terminated.emplace_back(process, exitCode);
  if (Fails(process != SimProcessHandle(), ERROR_INVALID_HANDLE)) return FALSE;
  // Ended, perhaps before its first instruction: it waits for nothing any more.
  Sim().jobs.released = true;
  return TRUE;
}

}  // extern "C"
