// The command-base exports of the settings API: a handle per printer that reads and writes
// the settings as PJL "SET" lines.
#pragma once

#include <cstdint>

#include "win/types.h"

struct ExcBaseRecord;

std::int32_t DoExcGetIniFileName(const char* printerName, std::int32_t size, char* buffer, std::int32_t* needed);
ExcBaseRecord* DoExcGetExclusive(const char* printerName);
void DoExcFreeExclusive(ExcBaseRecord* handle);
std::int32_t DoExcGetPrinterOption(ExcBaseRecord* handle, const char* item, std::int32_t size, char* buffer,
                                   std::int32_t* needed);
std::int32_t DoExcGetPrinterValue(ExcBaseRecord* handle, const char* item, std::int32_t size, char* buffer,
                                  std::int32_t* needed);
std::int32_t DoExcGetWaterMarkList(ExcBaseRecord* handle, std::int32_t kind, std::int32_t size, char* buffer,
                                   std::int32_t* length);
std::int32_t DoExcSetCommandBase(ExcBaseRecord* handle, const char* text, std::int32_t* changeLength);
std::int32_t DoExcGetCommandBase(ExcBaseRecord* handle, std::int32_t size, char* buffer, std::int32_t* length);
std::int32_t DoExcUpdateCommand(ExcBaseRecord* handle, const char* line, std::int32_t* changeLength);
std::int32_t DoExcGetCommandChange(ExcBaseRecord* handle, std::int32_t size, char* buffer, std::int32_t* length);
std::int32_t DoExcGetCommandValue(ExcBaseRecord* handle, const char* item, std::int32_t onlySettable,
                                  std::int32_t size, char* buffer, std::int32_t* length);
