// Whole INI sections copied from one file (and section name) to another. A section is
// copied as a whole or not at all: one that does not fit the caller's limit is reported
// and the target is left as it was, never written cut.
#pragma once

#include "win/types.h"

// Outcomes of CopyIniSection.
constexpr int kSectionCopied = 1;
constexpr int kSectionAbsent = 0;     // the source has no such section, or it is empty
constexpr int kSectionTooLarge = -1;  // more than limit - 1 characters: nothing written
constexpr int kSectionFailed = -2;    // no memory, or the write failed

// Reads the source section (at most limit - 1 characters of key lines) and replaces the
// target section with it.
int CopyIniSection(const WCHAR* source, const WCHAR* sourceSection, const WCHAR* target, const WCHAR* targetSection,
                   DWORD limit);
