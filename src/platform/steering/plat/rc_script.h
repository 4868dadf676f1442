// Resource modules: the resources of a module, as read from a resource script (.rc).
//
// The script language is a subset of the Windows resource-script syntax:
//  - preprocessor lines: #define NAME value (object-like), #undef, #include "file" (a file
//    beside the script, found without regard to case; of a .h or .c file only the
//    preprocessor lines count, as the resource compiler does), #ifdef, #ifndef, #if, #elif,
//    #else, #endif, #pragma (code_page(N) sets the code page of an 8-bit script, others are
//    ignored); comments // and /* */;
//  - LANGUAGE lang, sublang (for the following resources, or inside one resource's header);
//  - STRINGTABLE [options] BEGIN id[,] "text" ... END (or { }), ids as numbers, names
//    defined by #define or expressions of them; literals with "" and the escapes \n \t \r
//    \\ \" \0 \xHH and octal; adjacent literals are joined;
//  - name RCDATA / user-defined type [options] BEGIN numbers and strings END, or with a
//    file name: the file's bytes; name BITMAP "file": the bitmap without its file header;
//  - name DIALOG / DIALOGEX x, y, cx, cy [, help id] with STYLE, EXSTYLE, CAPTION, FONT,
//    CLASS, MENU, LANGUAGE, then BEGIN controls END: CONTROL "text", id, class, style, x, y,
//    cx, cy [, exstyle [, help id]] and the short forms (LTEXT, RTEXT, CTEXT, PUSHBUTTON,
//    DEFPUSHBUTTON, CHECKBOX, AUTOCHECKBOX, RADIOBUTTON, AUTORADIOBUTTON, STATE3, AUTO3STATE,
//    GROUPBOX, PUSHBOX, ICON, EDITTEXT, LISTBOX, COMBOBOX, SCROLLBAR) with the resource
//    compiler's default styles; styles are '|'-joined terms, NOT clearing bits. Both forms
//    are kept as DLGTEMPLATEEX (RT_DIALOG). The window system's names (WS_CHILD, BS_...,
//    IDOK, IDC_STATIC ...) are known without an #include;
//  - name ICON "file.ico" / CURSOR "file.cur": one RT_ICON / RT_CURSOR per image, numbered
//    from 1 across the script, and the RT_GROUP_ICON / RT_GROUP_CURSOR directory;
//  - MENU, MENUEX, ACCELERATORS, VERSIONINFO, TOOLBAR and the other standard types are read
//    over and not kept.
// The text is UTF-8 (a UTF-8 signature is skipped), UTF-16LE when it starts with its
// byte-order mark, or 8-bit text in the code page of a "#pragma code_page(N)" line (1252 or
// 932), which then counts for the whole file.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "win/types.h"

namespace plat {

// A resource type or name: an integer id or a string (kept in upper case).
struct ResId {
  bool isInt = true;
  WORD id = 0;
  std::u16string name;

  static ResId Int(WORD v) { return ResId{true, v, {}}; }
  static ResId Str(std::u16string_view s);
  // From the LPCWSTR form of the Win32 calls: an integer resource (high bits zero),
  // "#123" (a number), or a name. False for null.
  static bool FromPointer(LPCWSTR p, ResId& out);
  bool operator==(const ResId& o) const { return isInt == o.isInt && (isInt ? id == o.id : name == o.name); }
};

struct ResourceEntry {
  ResId type;
  ResId name;
  LANGID language = 0;
  std::vector<BYTE> data;  // 16-byte aligned by the allocator
};

class ResourceTable {
 public:
  // Adds a resource; false when one of the same type, name and language exists.
  bool Add(ResourceEntry entry);
  // Exact language.
  const ResourceEntry* Find(const ResId& type, const ResId& name, LANGID lang) const;
  // The language Windows would pick without one asked for: the user's language, neutral,
  // the user's primary language with any sublanguage, the system's language, English (US),
  // then the first one in the script.
  const ResourceEntry* FindDefault(const ResId& type, const ResId& name) const;
  // True when the entry belongs to this table.
  bool Owns(const void* entry) const;
  const std::deque<ResourceEntry>& Entries() const { return entries_; }
  bool Empty() const { return entries_.empty(); }

 private:
  std::deque<ResourceEntry> entries_;  // stable addresses: HRSRC values point at them
};

// Parses a script. On failure answers false and a message "<file>(<line>): <what>".
bool ParseResourceScriptFile(const std::string& hostPath, ResourceTable& out, std::string& error);
// Parses script bytes; #include looks in includeDir (a host folder; empty: no includes).
bool ParseResourceScriptText(std::string_view bytes, const std::string& includeDir, const std::string& displayName,
                             ResourceTable& out, std::string& error);

// A script file parsed once per process: later calls share the table while the script and
// every file its parse read (includes, resources' files) keep their identity, size and
// write time; a changed or replaced file is parsed again. Null with the message on failure
// (failures are not kept).
std::shared_ptr<const ResourceTable> ParsedResourceScript(const std::string& hostPath, std::string& error);
// How many scripts were parsed through ParsedResourceScript, and forgetting what it keeps.
std::size_t ResourceScriptParses();
void ForgetParsedResourceScripts();

// The string-table block of strings id & ~15 ... id | 15 in the documented layout: for each
// of the 16 strings a WORD length and that many UTF-16 units, no NULs.
std::vector<BYTE> BuildStringBlock(const std::map<WORD, std::u16string>& strings, WORD blockIndex);

// The resources attached to a loaded module (its resource script); null for an unknown
// handle or a module without resources. NULL stands for the host executable's module.
// Defined by the loader.
std::shared_ptr<const ResourceTable> ModuleResources(HMODULE module, bool* knownModule = nullptr);

}  // namespace plat

#pragma GCC visibility pop
