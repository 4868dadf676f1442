// Per-site function switches from a user information file into wdmSpecial1-16.
#pragma once

#include "win/types.h"

struct DriverContext;

// For i from 0 to 15, wdmSpecial<i+1> := 0 unless build feature bit i is set; for a set
// bit, the integer "Function<i+1>" of the section that the user information file's
// "Common"/"SectionName" names ("User": the user's name, "Driver": the model name,
// "Printer": the printer's display name). The file is named by "UserInfomationFile" in
// the printer's section of the second model INI. A missing name, file or section kind
// sets the field and every later one to 0. 1; 0 for a null context.
int LoadUserInformation(DriverContext* context);
