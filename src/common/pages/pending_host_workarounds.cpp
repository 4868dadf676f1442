#include "pages/pending_host_workarounds.h"

// PENDING: RestoreHostClassWindowProcs comes with the help, tips and host workarounds of the
// pages; until then the controls keep the window procedures they were created with.
void RestoreHostClassWindowProcs(DriverContext* context, HWND window) {
  (void)context;
  (void)window;
}
