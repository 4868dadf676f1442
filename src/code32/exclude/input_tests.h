// Tests of what a caller of the settings API hands in: file-name texts, overlay paths,
// usable files, installed fonts and characters; and the full path of a file that may not
// exist yet.
#pragma once

#include <cstdint>

#include "win/types.h"

struct DriverContext;

// 1 when no character is one of / : ; , * ? " < > | (nor a backslash unless allowed);
// double-byte characters are skipped whole, and a lead byte just before the end ends the text.
int IsFileNameText(const char* text, int allowBackslash);
// [X:]folders\name.kpo with a non-empty name, every part a file-name text.
int IsOverlayFileName(const char* path);
// kind 2: absolute and opens as a bitmap; kind 3: absolute, existing, ".kpo"; else 0.
int IsUsableFilePath(DriverContext* context, DWORD kind, const char* path);
// 1 when a TrueType family of that face name is installed (vertical '@' faces not counted).
int IsFontInstalled(DriverContext* context, const char* faceName);
// 1 when the character occurs outside double-byte characters.
int ContainsChar(const char* text, char character);
int IsRecordKind1To3(DWORD kind);
// Makes sure the path could be created (creating and removing the file, and its folder when
// that is missing) and gives its full form (260 bytes, ANSI) in out when given. 1/0.
int MakeFullPathForApi(const char* path, char* out);
