// DevQueryPrintEx: before the spooler prints a job, the job's device-mode must merge into
// a context of the printer, and its paper is tied to one of the spooler's forms.
#pragma once

#include "win/printer_interface.h"
#include "win/spool.h"
#include "win/types.h"

struct DriverContext;

// A form the job's paper was tied to: a copy of the spooler's record with its own name.
struct FormMatchRecord {
  FORM_INFO_1W form;
  WCHAR name[32];
};

constexpr int kFormMatched = 0;
constexpr int kFormCustomSize = 1;
constexpr int kFormNone = 2;

// The error text shown for a job whose form fits no paper of the printer (a string of the
// UI resource module).
constexpr UINT kFormDoesNotFitStringId = 12090;

// The body of DevQueryPrintEx. FALSE for a null record, a context or merge failure, and a
// job form that fits no paper of the model (with the error text in the record's buffer);
// TRUE otherwise, also when the install-state check fails, and without opening anything when
// the record holds no job device-mode the driver may read (ReadableCallerDevmode).
BOOL DoDevQueryPrintEx(DEVQUERYPRINT_INFO* info);
// The fit tests of the job's form; FALSE (with the error text) when the form fits no paper
// of the model.
BOOL CheckJobForm(DEVQUERYPRINT_INFO* info, DEVMODEW* devmode, DriverContext* context);
// Ties the job's paper to a form by its size (within 1 mm), its paper-size index or its
// form name, writing the form's size, index and name back into the device-mode (kFormMatched);
// a size that matches no form fills the record as a custom size (kFormCustomSize); no forms
// or no match leaves the device-mode as it was (kFormNone). The device-mode holds at least
// the public part of version 0x320 (kCallerPublicMinimum), where every member used lies.
int MatchJobForm(HANDLE printer, DEVMODEW* devmode, FormMatchRecord* record);
// EnumFormsW level 1 in a buffer of the needed size (freed with FreeMem); null when the
// printer has no forms or the call fails.
FORM_INFO_1W* EnumAllForms(HANDLE printer, DWORD* count);
// A form that is not built in passes; a built-in form passes when the model's papers have
// one of its size (within 0.1 mm) or one at least as large in both dimensions.
BOOL FormFitsModelPapers(const FormMatchRecord* record, int reserved1, int reserved2, DriverContext* context);

// printf-like text into buffer (size characters, cut and terminated): "%!" inserts the UI
// resource module's string whose id is the next argument (up to 256 characters), "%c" the
// next argument as a character, "%d" "%u" "%x" "%X" formats it, "%s" inserts it as a wide
// string; any other character after '%' is copied. needed receives the characters the
// whole text needs with its terminator. The characters written, without the terminator.
int FormatErrorText(HMODULE module, WCHAR* buffer, DWORD size, DWORD* needed, const WCHAR* format,
                    const ULONG_PTR* arguments, int argumentCount);
