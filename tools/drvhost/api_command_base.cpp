#include "api_command_base.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <type_traits>
#include <vector>

#include "win/loader.h"

namespace drvhost {
namespace {

// PJL text shown one line per row, each line's " \r\n" left off; NUL-separated lists shown
// with commas.
std::string ShowLines(const std::vector<char>& text) {
  std::string out;
  std::string line;
  for (char c : text) {
    if (c == '\0' || c == '\n') {
      while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
      if (!line.empty()) out += "\n  " + line;
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) out += "\n  " + line;
  return out;
}

std::string ShowList(const std::vector<char>& text) {
  std::string out;
  std::size_t at = 0;
  while (at < text.size() && text[at] != '\0') {
    const std::string name(text.data() + at);
    out += (out.empty() ? "" : ", ") + name;
    at += name.size() + 1;
  }
  return out.empty() ? "" : " (" + out + ")";
}

std::string WithLength(std::int32_t result, std::int32_t length) {
  return std::to_string(result) + ", length " + std::to_string(length);
}

// A base file: bare LF line ends become CR LF, so that the file can be kept as plain text.
bool ReadBaseFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  const std::string raw((std::istreambuf_iterator<char>(in)), {});
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\n' && (i == 0 || raw[i - 1] != '\r')) text += '\r';
    text += raw[i];
  }
  return true;
}

}  // namespace

bool CommandBaseCalls::Load(HMODULE module) {
  auto get = [&](auto& f, const char* name) { f = ProcCast<std::remove_reference_t<decltype(f)>>(GetProcAddress(module, name)); };
  get(open_, "ExcGetExclusive");
  get(free_, "ExcFreeExclusive");
  get(setBase_, "ExcSetCommandBase");
  get(update_, "ExcUpdateCommand");
  get(getBase_, "ExcGetCommandBase");
  get(getChange_, "ExcGetCommandChange");
  get(option_, "ExcGetPrinterOption");
  get(value_, "ExcGetPrinterValue");
  get(values_, "ExcGetCommandValue");
  get(watermarks_, "ExcGetWaterMarkList");
  get(iniName_, "ExcGetIniFileName");
  return open_ && free_ && setBase_ && update_ && getBase_ && getChange_ && option_ && value_ && values_ &&
         watermarks_ && iniName_;
}

CommandBaseCalls::~CommandBaseCalls() {
  if (handle_ && free_) free_(handle_);
}

bool CommandBaseCalls::Run(const std::string& call, const std::string& rest, const char* printerName,
                           const std::string& scriptDir, std::string& answer, std::string& error, int& failCode) {
  std::istringstream words(rest);
  std::string first;
  words >> first;
  std::int32_t length = 0;
  // A text asked in two steps, as a caller asks: the length first, then the text.
  auto fetch = [&](auto&& ask, bool list) {
    std::int32_t result = ask(0, nullptr, &length);
    std::vector<char> text;
    if (result == 1 && length > 0) {
      text.assign(static_cast<std::size_t>(length), '\0');
      result = ask(length, text.data(), &length);
    }
    answer = WithLength(result, length);
    if (result == 0 && !text.empty()) answer += list ? ShowList(text) : ShowLines(text);
  };
  if (call == "exclusive") {
    if (handle_) free_(handle_);
    handle_ = open_(printerName);
    answer = handle_ ? "a handle" : "null";
  } else if (call == "free") {
    free_(handle_);
    handle_ = nullptr;
    answer = "done";
  } else if (call == "setbase") {
    std::string text;
    const std::string path = (!first.empty() && first[0] == '/') ? first : scriptDir + "/" + first;
    if (first.empty()) {
      error = "setbase needs a file name";
      failCode = 2;
      return true;
    }
    if (!ReadBaseFile(path, text)) {
      error = "cannot read the command base \"" + path + "\"";
      failCode = 1;
      return true;
    }
    const std::int32_t result = setBase_(handle_, text.c_str(), &length);
    answer = std::to_string(result) + ", change length " + std::to_string(length);
  } else if (call == "update") {
    const std::string line = rest + "\r\n";
    const std::int32_t result = update_(handle_, line.c_str(), &length);
    answer = std::to_string(result) + ", change length " + std::to_string(length);
  } else if (call == "base") {
    fetch([&](std::int32_t size, char* buffer, std::int32_t* n) { return getBase_(handle_, size, buffer, n); }, false);
  } else if (call == "change") {
    fetch([&](std::int32_t size, char* buffer, std::int32_t* n) { return getChange_(handle_, size, buffer, n); }, false);
  } else if (call == "values") {
    std::string only;
    words >> only;
    const std::int32_t settable = only == "settable" ? 1 : 0;
    fetch([&](std::int32_t size, char* buffer, std::int32_t* n) {
      return values_(handle_, first.c_str(), settable, size, buffer, n);
    }, true);
  } else if (call == "options") {
    fetch([&](std::int32_t size, char* buffer, std::int32_t* n) { return option_(handle_, first.c_str(), size, buffer, n); },
          true);
  } else if (call == "value") {
    fetch([&](std::int32_t size, char* buffer, std::int32_t* n) { return value_(handle_, first.c_str(), size, buffer, n); },
          true);
  } else if (call == "watermarks") {
    if (first != "text" && first != "image" && first != "0" && first != "1") {
      error = "watermarks takes text or image, not \"" + first + "\"";
      failCode = 2;
      return true;
    }
    const std::int32_t kind = first == "image" || first == "1" ? 1 : 0;
    fetch([&](std::int32_t size, char* buffer, std::int32_t* n) { return watermarks_(handle_, kind, size, buffer, n); },
          false);
  } else if (call == "ininame") {
    fetch([&](std::int32_t size, char* buffer, std::int32_t* n) { return iniName_(printerName, size, buffer, n); }, true);
  } else {
    return false;
  }
  return true;
}

}  // namespace drvhost
