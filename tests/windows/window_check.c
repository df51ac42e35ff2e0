/* window_check PROGRAM [BITMAP [HOLD_FILE]]: starts PROGRAM (varne.exe) as a
 * user would, waits for its window titled "Varne", and closes it as the
 * close box does (WM_CLOSE); the process must then end with exit code 259.
 * With BITMAP, first opens that file through "Open Bmp" and the real
 * open-file dialog, and waits until the picture area shows an image. With
 * HOLD_FILE, then prints "shown" and keeps the window open until that file
 * exists (a screenshot is taken meanwhile). Exit status 0 when all of it
 * happened, 1 with the reason otherwise.
 *
 * C, not C++: a small Win32 tool, and the shared suite gathers every .cpp
 * under tests/ into varne_tests. */
#include <windows.h>

#include <stdio.h>
#include <wchar.h>

#include "app/resources/resource.h"

enum { kPollMs = 100, kWaitMs = 30000, kHoldMs = 120000, kExpectedExit = 259 };

struct Search {
  DWORD process;
  const wchar_t* title;
  HWND found;
};

static BOOL CALLBACK Match(HWND window, LPARAM data) {
  struct Search* search = (struct Search*)data;
  DWORD owner = 0;
  wchar_t title[64] = L"";
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->process || !IsWindowVisible(window)) return TRUE;
  GetWindowTextW(window, title, 64);
  if (wcscmp(title, search->title) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

/* The visible top-level window of `process` with this exact title, waited
 * for up to kWaitMs; NULL if it never came or the process ended first. */
static HWND WaitForWindow(HANDLE process, DWORD id, const wchar_t* title) {
  for (DWORD waited = 0; waited < kWaitMs; waited += kPollMs) {
    struct Search search = {id, title, NULL};
    EnumWindows(Match, (LPARAM)&search);
    if (search.found != NULL) return search.found;
    if (WaitForSingleObject(process, kPollMs) == WAIT_OBJECT_0) return NULL;
  }
  return NULL;
}

static int Fail(HANDLE process, const char* why) {
  printf("window_check: %s\n", why);
  TerminateProcess(process, 1);
  return 1;
}

/* "Open Bmp", then the file name typed into the open-file dialog and OK. */
static int OpenThroughTheDialog(HANDLE process, DWORD id, HWND main, const char* bitmap) {
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_OPEN_BMP, BN_CLICKED), (LPARAM)GetDlgItem(main, IDC_OPEN_BMP));
  HWND chooser = WaitForWindow(process, id, L"Open file");
  if (chooser == NULL) return Fail(process, "the open-file dialog titled \"Open file\" did not appear");
  wchar_t name[MAX_PATH];
  if (MultiByteToWideChar(CP_ACP, 0, bitmap, -1, name, MAX_PATH) == 0) return Fail(process, "bad file name");
  /* The file name box: a combo box (cmb13) in the Explorer-style dialog, an
   * edit box (edt1) in the older one. */
  HWND box = GetDlgItem(chooser, 0x47C);
  if (box == NULL) box = GetDlgItem(chooser, 0x480);
  if (box == NULL) return Fail(process, "the open-file dialog has no file name box");
  SendMessageTimeoutW(box, WM_SETTEXT, 0, (LPARAM)name, SMTO_ABORTIFHUNG, kWaitMs, NULL);
  PostMessageW(chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(chooser, IDOK));
  HWND picture = GetDlgItem(main, IDC_PICTURE);
  for (DWORD waited = 0; waited < kWaitMs; waited += kPollMs) {
    DWORD_PTR shown = 0;
    SendMessageTimeoutW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0, SMTO_ABORTIFHUNG, kWaitMs, &shown);
    if (shown != 0) {
      printf("window_check: the picture area shows %s\n", bitmap);
      return 0;
    }
    if (WaitForSingleObject(process, kPollMs) == WAIT_OBJECT_0) break;
  }
  return Fail(process, "the picture area stayed empty after the file was chosen");
}

int main(int argc, char** argv) {
  if (argc < 2 || argc > 4) {
    fprintf(stderr, "usage: window_check PROGRAM [BITMAP [HOLD_FILE]]\n");
    return 2;
  }
  setvbuf(stdout, NULL, _IONBF, 0);
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started;
  char command[MAX_PATH + 3];
  snprintf(command, sizeof command, "\"%s\"", argv[1]);
  if (!CreateProcessA(argv[1], command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &started)) {
    printf("window_check: cannot start %s (error %lu)\n", argv[1], GetLastError());
    return 1;
  }
  CloseHandle(started.hThread);
  const HANDLE process = started.hProcess;
  HWND main = WaitForWindow(process, started.dwProcessId, L"Varne");
  if (main == NULL) return Fail(process, "no window titled \"Varne\" appeared");
  printf("window_check: the window titled \"Varne\" is up\n");
  if (argc >= 3 && OpenThroughTheDialog(process, started.dwProcessId, main, argv[2]) != 0) return 1;
  if (argc == 4) {
    printf("shown\n");
    for (DWORD waited = 0; GetFileAttributesA(argv[3]) == INVALID_FILE_ATTRIBUTES; waited += kPollMs) {
      if (waited >= kHoldMs) return Fail(process, "the hold file never appeared");
      Sleep(kPollMs);
    }
  }
  PostMessageW(main, WM_CLOSE, 0, 0);
  /* 259 is also STILL_ACTIVE: the code means something only once the
   * process has ended. */
  if (WaitForSingleObject(process, kWaitMs) != WAIT_OBJECT_0) return Fail(process, "WM_CLOSE did not end it");
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  CloseHandle(process);
  printf("window_check: closed, exit code %lu\n", code);
  return code == kExpectedExit ? 0 : 1;
}
