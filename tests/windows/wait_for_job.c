/* wait_for_job COMMAND LINE: runs the command and returns once it and every
 * process it started, and theirs, have ended, with the command's own exit
 * code; 124 when that takes longer than a minute, 2 when it cannot start.
 *
 * An NSIS uninstaller copies itself to the temporary folder, starts the
 * copy and returns at once; the copy does the work. Both run inside one
 * job, so the job's count of live processes is what says the uninstall has
 * finished: no file it removes or keeps can say so, and no fixed wait. */
#include <windows.h>

enum { kBoundMilliseconds = 60000, kPollMilliseconds = 20 };

/* The command line after this program's own name, as the caller wrote it. */
static wchar_t* CommandAfterOwnName(void) {
  wchar_t* at = GetCommandLineW();
  if (*at == L'"') {
    ++at;
    while (*at != 0 && *at != L'"') ++at;
    if (*at != 0) ++at;
  } else {
    while (*at != 0 && *at != L' ' && *at != L'\t') ++at;
  }
  while (*at == L' ' || *at == L'\t') ++at;
  return at;
}

/* 0 once every process of the job has ended; -1 when the job cannot say. */
static int LiveProcesses(HANDLE job) {
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info;
  if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info, sizeof info,
                                 NULL))
    return -1;
  return (int)info.ActiveProcesses;
}

int main(void) {
  wchar_t* command = CommandAfterOwnName();
  HANDLE job = CreateJobObjectW(NULL, NULL);
  STARTUPINFOW startup;
  PROCESS_INFORMATION process;
  DWORD code = 2;
  const DWORD started = GetTickCount();
  if (*command == 0 || job == NULL) return 2;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  /* Suspended until it is in the job, so that nothing it starts escapes. */
  if (!CreateProcessW(NULL, command, NULL, NULL, FALSE, CREATE_SUSPENDED, NULL, NULL, &startup,
                      &process))
    return 2;
  if (!AssignProcessToJobObject(job, process.hProcess)) {
    TerminateProcess(process.hProcess, 2);
    return 2;
  }
  ResumeThread(process.hThread);
  if (WaitForSingleObject(process.hProcess, kBoundMilliseconds) != WAIT_OBJECT_0) return 124;
  GetExitCodeProcess(process.hProcess, &code);
  for (;;) {
    const int live = LiveProcesses(job);
    if (live < 0) return 2;
    if (live == 0) break;
    if (GetTickCount() - started >= kBoundMilliseconds) return 124;
    Sleep(kPollMilliseconds);
  }
  return (int)code;
}
