// RevertToPrinterSelf and ImpersonatePrinterClient. The platform runs every caller as the
// one user of the root, so the token only records that the thread left the client's
// identity: each thread counts its reverts, and the token brings the count back.
#include <memory>

#include "core/handles.h"
#include "plat/spooler_setup.h"
#include "win/errors.h"
#include "win/spool.h"

namespace {

struct ClientToken : plat::KernelObject {
  plat::ObjectKind Kind() const override { return plat::ObjectKind::Other; }
};

thread_local int t_reverted = 0;

}  // namespace

namespace plat::spooler {
int RevertedDepth() { return t_reverted; }
}  // namespace plat::spooler

KOVA_EXPORT HANDLE WINAPI RevertToPrinterSelf() {
  try {
    HANDLE token = plat::InsertHandle(std::make_shared<ClientToken>());
    ++t_reverted;
    return token;
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
}

KOVA_EXPORT BOOL WINAPI ImpersonatePrinterClient(HANDLE hToken) {
  auto object = plat::LookupHandle(hToken);
  if (!object || !dynamic_cast<ClientToken*>(object.get())) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  plat::RemoveHandle(hToken);
  if (t_reverted > 0) --t_reverted;
  return TRUE;
}
