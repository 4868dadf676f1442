// FormatMessageW with the system's texts, WinHelpW (recorded) and SHGetFolderPathW.
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>

#include "plat/paths.h"
#include "plat/system.h"
#include "plat/ui_driver.h"
#include "ui_internal.h"
#include "win/commdlg.h"
#include "win/errors.h"
#include "win/kernel.h"
#include "win/systext.h"

namespace plat::ui {
namespace {

constexpr DWORD kMidNotFound = 317;  // ERROR_MR_MID_NOT_FOUND

struct SystemText {
  DWORD code;
  const char16_t* text;
};

const SystemText kTexts[] = {
    {0, u"The operation completed successfully."},
    {1, u"Incorrect function."},
    {2, u"The system cannot find the file specified."},
    {3, u"The system cannot find the path specified."},
    {4, u"The system cannot open the file."},
    {5, u"Access is denied."},
    {6, u"The handle is invalid."},
    {8, u"Not enough memory resources are available to process this command."},
    {13, u"The data is invalid."},
    {14, u"Not enough memory resources are available to complete this operation."},
    {15, u"The system cannot find the drive specified."},
    {32, u"The process cannot access the file because it is being used by another process."},
    {33, u"The process cannot access the file because another process has locked a portion of the file."},
    {39, u"The disk is full."},
    {80, u"The file exists."},
    {82, u"The directory or file cannot be created."},
    {87, u"The parameter is incorrect."},
    {112, u"There is not enough space on the disk."},
    {122, u"The data area passed to a system call is too small."},
    {123, u"The filename, directory name, or volume label syntax is incorrect."},
    {145, u"The directory is not empty."},
    {183, u"Cannot create a file when that file already exists."},
    {206, u"The filename or extension is too long."},
    {234, u"More data is available."},
    {1223, u"The operation was canceled by the user."},
    {1801, u"The printer name is invalid."},
    {1804, u"The specified datatype is invalid."},
};

struct Help {
  std::mutex lock;
  std::vector<HelpRecord> records;
};

Help& help() {
  static Help* h = new Help;
  return *h;
}

// Fills the inserts of a message. False when an insert needs an argument that is missing.
bool Expand(const std::u16string& in, DWORD flags, const DWORD_PTR* args, std::u16string& out) {
  const bool ignore = (flags & FORMAT_MESSAGE_IGNORE_INSERTS) != 0;
  for (std::size_t i = 0; i < in.size(); ++i) {
    const char16_t c = in[i];
    if (c != u'%' || i + 1 >= in.size()) {
      out += c;
      continue;
    }
    const char16_t d = in[i + 1];
    if (ignore) {
      out += c;
      continue;
    }
    if (d >= u'1' && d <= u'9') {
      std::size_t j = i + 1;
      unsigned n = 0;
      while (j < in.size() && in[j] >= u'0' && in[j] <= u'9' && n < 100) n = n * 10 + (in[j++] - u'0');
      std::u16string format;
      if (j < in.size() && in[j] == u'!') {
        const std::size_t end = in.find(u'!', j + 1);
        if (end == std::u16string::npos) return false;
        format = in.substr(j + 1, end - j - 1);
        j = end + 1;
      }
      if (!args || n == 0 || (!format.empty() && format != u"s" && format != u"ls")) return false;
      const auto* text = reinterpret_cast<const WCHAR*>(args[n - 1]);
      if (text) out += text;
      i = j - 1;
      continue;
    }
    ++i;
    switch (d) {
      case u'0': return true;
      case u'n': out += u"\r\n"; break;
      case u'r': out += u'\r'; break;
      case u't': out += u'\t'; break;
      case u'%': out += u'%'; break;
      default: out += d; break;
    }
  }
  return true;
}

}  // namespace

const std::vector<HelpRecord>& HelpRequests() { return help().records; }

void ResetHelp() {
  auto& h = help();
  std::lock_guard<std::mutex> g(h.lock);
  h.records.clear();
}

}  // namespace plat::ui

using namespace plat::ui;

extern "C" {

DWORD WINAPI FormatMessageW(DWORD flags, LPCVOID source, DWORD id, DWORD, LPWSTR buffer, DWORD size,
                            va_list* arguments) {
  std::u16string message;
  if (flags & FORMAT_MESSAGE_FROM_STRING) {
    if (!source) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    message = static_cast<const WCHAR*>(source);
  } else if (flags & FORMAT_MESSAGE_FROM_SYSTEM) {
    bool found = false;
    for (const SystemText& t : kTexts) {
      if (t.code == id) {
        message = std::u16string(t.text) + u"\r\n";
        found = true;
      }
    }
    if (!found) {
      SetLastError(kMidNotFound);
      return 0;
    }
  } else {
    // A module's message table: modules carry none here.
    SetLastError(kMidNotFound);
    return 0;
  }
  const DWORD_PTR* args = (flags & FORMAT_MESSAGE_ARGUMENT_ARRAY) ? reinterpret_cast<const DWORD_PTR*>(arguments) : nullptr;
  std::u16string out;
  if (!Expand(message, flags, args, out)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (!buffer) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::size_t bytes = (out.size() + 1) * sizeof(WCHAR);
  if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
    auto* block = static_cast<WCHAR*>(LocalAlloc(0, std::max<std::size_t>(bytes, size * sizeof(WCHAR))));
    if (!block) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return 0;
    }
    std::memcpy(block, out.c_str(), bytes);
    *reinterpret_cast<WCHAR**>(buffer) = block;
  } else {
    if (out.size() + 1 > size) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    std::memcpy(buffer, out.c_str(), bytes);
  }
  return static_cast<DWORD>(out.size());
}

BOOL WINAPI WinHelpW(HWND window, LPCWSTR file, UINT command, ULONG_PTR data) {
  auto& h = help();
  std::lock_guard<std::mutex> g(h.lock);
  HelpRecord record{window, file ? file : u"", command, data, {}};
  if ((command == HELP_WM_HELP || command == HELP_CONTEXTMENU) && data) {
    const auto* pairs = reinterpret_cast<const DWORD*>(data);
    for (int i = 0; i < 64 && pairs[2 * i]; ++i) record.ids.emplace_back(pairs[2 * i], pairs[2 * i + 1]);
  }
  h.records.push_back(std::move(record));
  return file || command == HELP_QUIT ? TRUE : FALSE;
}

HRESULT WINAPI SHGetFolderPathW(HWND, int csidl, HANDLE, DWORD, LPWSTR path) {
  constexpr HRESULT kInvalidArg = static_cast<HRESULT>(0x80070057);
  if (!path) return kInvalidArg;
  path[0] = 0;
  std::u16string folder;
  switch (csidl & 0xFF) {
    case CSIDL_PERSONAL: folder = plat::UserProfileDirectory() + u"\\Documents"; break;
    case CSIDL_APPDATA: folder = plat::UserProfileDirectory() + u"\\AppData\\Roaming"; break;
    case CSIDL_LOCAL_APPDATA: folder = plat::UserProfileDirectory() + u"\\AppData\\Local"; break;
    case CSIDL_COMMON_APPDATA: folder = u"C:\\ProgramData"; break;
    case CSIDL_WINDOWS: folder = plat::WindowsDirectory(); break;
    case CSIDL_SYSTEM: folder = plat::SystemDirectory(); break;
    default: return kInvalidArg;
  }
  if (folder.size() >= MAX_PATH) return kInvalidArg;
  // The user's folders exist on every machine: they are made on first use.
  std::string host;
  if (plat::MapPath(folder.c_str(), host) == ERROR_SUCCESS) {
    std::error_code ec;
    std::filesystem::create_directories(host, ec);
  }
  std::memcpy(path, folder.c_str(), (folder.size() + 1) * sizeof(WCHAR));
  return 0;
}

}  // extern "C"
