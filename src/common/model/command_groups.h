// Command groups, command strings and the header statements: FileVersion, CommandGroup,
// CommandString, DeviceFonts, FontCartridge, UIResDLLName and ExcDepDLLName. Each handler
// returns 1 when it accepted the statement, 0 when it refused it.
#pragma once

#include "model/model_parse.h"
#include "model/model_reader.h"

int HandleFileVersion(ModelParse* parse, Statement* statement);
int HandleUIResDLLName(ModelParse* parse, Statement* statement);
int HandleExcDepDLLName(ModelParse* parse, Statement* statement);
int HandleCommandString(ModelParse* parse, Statement* statement);
int HandleCommandGroup(ModelParse* parse, Statement* statement);
int HandleDeviceFonts(ModelParse* parse, Statement* statement);
int HandleFontCartridge(ModelParse* parse, Statement* statement);

// The FileVersion text of a value: at most 14 characters and a terminator, converted from
// the ANSI code page; the rest of the 16 characters zero.
void ConvertFileVersion(const char* value, DWORD length, WCHAR out[16]);
