// Starting programs: CreateProcessW, TerminateProcess, GetExitCodeProcess. A process
// handle is waited for with WaitForSingleObject (win/sync.h) and closed with CloseHandle.
//
// Our own declarations, written from the documented behaviour of the Windows calls of the
// same names. On this platform the program is the host file behind the Windows path; it
// runs with the host file of the current directory as its working directory.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include "win/errors.h"
#include "win/sync.h"
#include "win/types.h"

constexpr DWORD STARTF_USESHOWWINDOW = 0x00000001;
constexpr DWORD STILL_ACTIVE = 259;

struct STARTUPINFOW {
  DWORD cb;
  LPWSTR lpReserved;
  LPWSTR lpDesktop;
  LPWSTR lpTitle;
  DWORD dwX;
  DWORD dwY;
  DWORD dwXSize;
  DWORD dwYSize;
  DWORD dwXCountChars;
  DWORD dwYCountChars;
  DWORD dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  BYTE* lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
};

struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};

extern "C" {
// Starts lpApplicationName (required here; the command line's words after the program
// are passed as arguments). FALSE with ERROR_FILE_NOT_FOUND for a missing program.
KOVA_EXPORT BOOL WINAPI CreateProcessW(LPCWSTR lpApplicationName, LPWSTR lpCommandLine,
                                       LPSECURITY_ATTRIBUTES lpProcessAttributes,
                                       LPSECURITY_ATTRIBUTES lpThreadAttributes, BOOL bInheritHandles,
                                       DWORD dwCreationFlags, LPVOID lpEnvironment, LPCWSTR lpCurrentDirectory,
                                       STARTUPINFOW* lpStartupInfo, PROCESS_INFORMATION* lpProcessInformation);
// The process ends with the exit code (signalled at once); FALSE for a handle of another kind.
KOVA_EXPORT BOOL WINAPI TerminateProcess(HANDLE hProcess, UINT uExitCode);
// STILL_ACTIVE while it runs.
KOVA_EXPORT BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, DWORD* lpExitCode);
}

#pragma GCC visibility pop
