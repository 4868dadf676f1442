// The kept outcome of a context's default device-mode build.
//
// Taking a cached context again rebuilds its settings from the defaults. When the printer
// has no stored device-mode of its own, that build depends on the context's own tables,
// the model and product (what the kept field defaults are made from), the printer's
// records and data, the registry and the INI files. The outcome of the whole build (the
// buffer, the change marks of the fields it wrote, the change flags and the dirty word it
// left) is kept per context and copied back while no change notification fired for the
// printer, the registry hives or the folders of the INI files, and the caller, creation
// mode, administrator test and user are those of the kept build.
#pragma once

#include "win/spool.h"
#include "win/types.h"

struct DriverContext;
struct KeptDevmode;

// Copies the kept outcome into the context's settings buffer (every byte of it) when it
// still holds; true when it did. Only the rebuild of a cached context (refresh 1) is
// kept and served.
bool ReplayKeptDevmode(DriverContext* context, WORD mode, const PRINTER_INFO_2W* printerInfo, DWORD refresh);

// A full build of the default device-mode between construction and Finish. The
// notifications are reset before the build reads anything, so that a change made while
// it runs shows at the next take. The outcome is kept when the build took the defaults
// (not a stored device-mode) and its field pass could be kept.
class KeptDevmodeBuild {
 public:
  KeptDevmodeBuild(DriverContext* context, WORD mode, const PRINTER_INFO_2W* printerInfo, DWORD refresh);
  ~KeptDevmodeBuild();
  KeptDevmodeBuild(const KeptDevmodeBuild&) = delete;
  KeptDevmodeBuild& operator=(const KeptDevmodeBuild&) = delete;
  // tookDefaults: the build made the settings from the defaults.
  void Finish(bool tookDefaults);

 private:
  struct State;
  State* state_;
};

void FreeKeptDevmode(KeptDevmode* kept);
// The context holds a kept outcome (for tests and diagnostics; whether it still serves is
// decided at the next take).
bool HasKeptDevmode(const DriverContext* context);
