// The operation table of a filter plug-in and the two exports of a filter DLL.
//
// A filter plug-in (plug-in type iKOVAFilter) sits between Rendara and the output DLL: its
// IKOVAGetInterface export fills a FilterInterface, whose open operation receives the list
// of every filter DLL path followed by the output DLL path, so that the filter can pass the
// stream on. The driver calls slots 1 to 7 only; slot 0 is the filter's own.
//
// The output handle is an opaque value chosen by the filter (its open operation stores it);
// the driver passes it back unchanged to every other operation. It is pointer-sized here,
// so that a filter may hand out the address of its own state.
#pragma once

#include "win/types.h"

namespace rendara {

// Version the driver asks of IKOVAGetInterface.
constexpr DWORD kFilterInterfaceVersion = 256;

struct FilterInterface {
  // Slot 0: not called by the driver.
  void* reserved;
  // Slot 1: open. Stores the output handle; paths is the null-terminated array of 8-bit
  // paths (filters in list order, then the output DLL). FALSE fails the document start.
  BOOL (*Open)(HANDLE* outputHandle, char** paths);
  // Slot 2: close.
  void (*Close)(HANDLE outputHandle);
  // Slot 3: start document.
  void (*StartDoc)(HANDLE outputHandle, HANDLE printer, DWORD jobId);
  // Slot 4: end document.
  void (*EndDoc)(HANDLE outputHandle);
  // Slot 5: start page.
  void (*StartPage)(HANDLE outputHandle);
  // Slot 6: end page. FALSE fails the page.
  BOOL (*EndPage)(HANDLE outputHandle);
  // Slot 7: write. Stores the number of bytes taken; anything short of length is a failure.
  BOOL (*Write)(HANDLE outputHandle, const void* bytes, DWORD length, DWORD* written);
};

static_assert(sizeof(FilterInterface) == 8 * sizeof(void*), "eight slots");

// Exports of a filter DLL.
//   BOOL IKOVAGetInterface(DWORD version, FilterInterface** out);
//   void IKOVADisposeInterface(FilterInterface* iface);
using IKOVAGetInterfaceProc = BOOL (*)(DWORD version, FilterInterface** out);
using IKOVADisposeInterfaceProc = void (*)(FilterInterface* iface);

}  // namespace rendara
