// PENDING: the command-base handles and their exports, with the PJL command-base text,
// replace every body of this file. Until they come no command-base handle can be had
// (ExcGetExclusive answers null), so every export on a handle answers -1 (bad handle) and
// writes nothing; ExcGetIniFileName answers -1 (failure) with no length.
#include "command_base_pending.h"

std::int32_t DoExcGetIniFileName(const char*, std::int32_t, char*, std::int32_t*) { return -1; }

ExcBaseRecord* DoExcGetExclusive(const char*) { return nullptr; }

void DoExcFreeExclusive(ExcBaseRecord*) {}

std::int32_t DoExcGetPrinterOption(ExcBaseRecord*, const char*, std::int32_t, char*, std::int32_t*) { return -1; }

std::int32_t DoExcGetPrinterValue(ExcBaseRecord*, const char*, std::int32_t, char*, std::int32_t*) { return -1; }

std::int32_t DoExcGetWaterMarkList(ExcBaseRecord*, std::int32_t, std::int32_t, char*, std::int32_t*) { return -1; }

std::int32_t DoExcSetCommandBase(ExcBaseRecord*, const char*, std::int32_t*) { return -1; }

std::int32_t DoExcGetCommandBase(ExcBaseRecord*, std::int32_t, char*, std::int32_t*) { return -1; }

std::int32_t DoExcUpdateCommand(ExcBaseRecord*, const char*, std::int32_t*) { return -1; }

std::int32_t DoExcGetCommandChange(ExcBaseRecord*, std::int32_t, char*, std::int32_t*) { return -1; }

std::int32_t DoExcGetCommandValue(ExcBaseRecord*, const char*, std::int32_t, std::int32_t, char*, std::int32_t*) {
  return -1;
}
