// The print-job file reader.
#include "job_file.h"

#include "named_settings.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

#include "host_text.h"

namespace drvhost {
namespace {

bool ParseNumber(const std::string& word, long& out) {
  if (word.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long v = std::strtol(word.c_str(), &end, 0);
  if (errno != 0 || !end || *end != '\0') return false;
  out = v;
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Words of hex digit pairs ("1B45", "1b 45") appended as bytes.
bool ParseHexWord(const std::string& word, std::vector<BYTE>& out) {
  if (word.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < word.size(); i += 2) {
    const int hi = HexDigit(word[i]);
    const int lo = HexDigit(word[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out.push_back(static_cast<BYTE>(hi * 16 + lo));
  }
  return true;
}

// The largest escape input or output the host hands over.
constexpr std::size_t kMaxEscapeBytes = 0x10000;

// escape <code> [hex bytes...] [out=<n>] | escape <code> text <text>
// escape copies <n> | escape passthrough [hex bytes...] | escape passthrough text <text>
bool ParseEscape(const std::string& line, std::istringstream& words, DrawCall& call, std::string& error) {
  call.kind = DrawCall::Kind::Escape;
  std::string what;
  if (!(words >> what)) {
    error = "escape wants a code or a name (copies, passthrough)";
    return false;
  }
  const bool passThrough = what == "passthrough";
  if (what == "copies") {
    std::string w;
    long n = 0;
    if (!(words >> w) || !ParseNumber(w, n) || n < 0 || n > 0xFFFFFFFFL) {
      error = "escape copies wants a count";
      return false;
    }
    call.escapeCode = 17;
    for (int i = 0; i < 4; ++i) call.input.push_back(static_cast<BYTE>(static_cast<unsigned long>(n) >> (8 * i)));
    return true;
  }
  if (passThrough) {
    call.escapeCode = 19;
  } else {
    long code = 0;
    if (!ParseNumber(what, code) || code < 0 || code > 0xFFFFFFFFL) {
      error = "unknown escape \"" + what + "\"";
      return false;
    }
    call.escapeCode = static_cast<ULONG>(code);
  }
  std::vector<BYTE> data;
  bool text = false;
  for (std::string w; words >> w;) {
    if (w == "text" && data.empty()) {
      // The rest of the line, as it stands, with a NUL (none for pass-through data).
      const std::size_t at = line.find(" text ");
      const std::string rest = at == std::string::npos ? std::string() : line.substr(at + 6);
      data.assign(rest.begin(), rest.end());
      if (!passThrough) data.push_back(0);
      text = true;
      break;
    }
    if (w.rfind("out=", 0) == 0) {
      long n = 0;
      if (!ParseNumber(w.substr(4), n) || n < 0 || static_cast<std::size_t>(n) > kMaxEscapeBytes) {
        error = "out= wants a size up to 65536";
        return false;
      }
      call.outputSize = static_cast<ULONG>(n);
      continue;
    }
    if (!ParseHexWord(w, data)) {
      error = "bad hex bytes \"" + w + "\"";
      return false;
    }
  }
  (void)text;
  if (passThrough) {
    if (data.size() > 0xFFFF) {
      error = "pass-through data holds at most 65535 bytes";
      return false;
    }
    call.input = {static_cast<BYTE>(data.size()), static_cast<BYTE>(data.size() >> 8)};
    call.input.insert(call.input.end(), data.begin(), data.end());
  } else {
    call.input = std::move(data);
  }
  if (call.input.size() > kMaxEscapeBytes) {
    error = "escape input larger than 65536 bytes";
    return false;
  }
  return true;
}

// Coordinates stay well inside 32 bits so that the engine's 28.4 fixed point holds them.
constexpr long kMaxCoord = 1L << 26;

}  // namespace

bool ParseJob(const std::string& text, JobPlan& out, std::string& error) {
  out = JobPlan{};
  std::istringstream in(text);
  std::string raw;
  int lineNo = 0;
  bool resetPending = false;
  std::vector<ResetField> pendingReset;
  auto fail = [&](const std::string& what) {
    error = "line " + std::to_string(lineNo) + ": " + what;
    return false;
  };
  while (std::getline(in, raw)) {
    ++lineNo;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    const std::string line(Trim(raw));
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::string keyword;
    words >> keyword;
    if (keyword == "document") {
      out.document = std::string(Trim(line.substr(keyword.size())));
    } else if (keyword == "devmode") {
      out.devmodeFile = std::string(Trim(line.substr(keyword.size())));
      if (out.devmodeFile.empty()) return fail("devmode wants a file name");
    } else if (keyword == "job") {
      std::string w;
      long v = 0;
      if (!(words >> w) || !ParseNumber(w, v) || v < 1 || v > 0xFFFFFFFFL) return fail("job wants a number from 1");
      out.jobId = static_cast<DWORD>(v);
    } else if (keyword == "page") {
      JobPagePlan page;
      page.reset = std::move(pendingReset);
      pendingReset.clear();
      resetPending = false;
      out.pages.push_back(std::move(page));
    } else if (keyword == "reset") {
      std::string w;
      while (words >> w) {
        const std::size_t eq = w.find('=');
        if (eq == std::string::npos || eq == 0 || eq + 1 == w.size()) return fail("reset wants field=value words");
        const std::string name = w.substr(0, eq), value = w.substr(eq + 1);
        if (!IsPublicSettingName(name)) return fail("unknown device-mode field \"" + name + "\"");
        DEVMODEW scratch{};
        std::string wrong;
        if (!ApplyPublicSetting(scratch, name, value, wrong)) return fail(wrong);
        pendingReset.push_back(ResetField{name, value});
      }
      if (pendingReset.empty()) return fail("reset names no field");
      resetPending = true;
    } else if (keyword == "text") {
      if (out.pages.empty()) return fail("text outside a page");
      DrawCall call;
      call.lineNumber = lineNo;
      call.kind = DrawCall::Kind::Text;
      std::string x, y, size, colour;
      long vx = 0, vy = 0, vs = 0, vc = 0;
      if (!(words >> x >> y >> call.font >> size >> colour))
        return fail("text wants <x> <y> <font> <size> <colour> <text>");
      if (!ParseNumber(x, vx) || !ParseNumber(y, vy) || vx < -kMaxCoord || vx > kMaxCoord || vy < -kMaxCoord ||
          vy > kMaxCoord)
        return fail("bad text position");
      if (!ParseNumber(size, vs) || vs < 1 || vs > 4096) return fail("the text size is 1 to 4096 pixels");
      if (!ParseNumber(colour, vc) || vc < 0 || vc > 0xFFFFFFL) return fail("the colour is a number from 0 to 0xFFFFFF");
      std::string rest;
      std::getline(words, rest);
      call.text = U16(Trim(rest));
      if (call.text.empty()) return fail("text without characters");
      call.coords = {static_cast<LONG>(vx), static_cast<LONG>(vy)};
      call.size = static_cast<LONG>(vs);
      call.color = static_cast<ULONG>(vc);
      out.pages.back().calls.push_back(std::move(call));
    } else if (keyword == "escape") {
      DrawCall call;
      call.lineNumber = lineNo;
      std::string why;
      if (!ParseEscape(line, words, call, why)) return fail(why);
      if (out.pages.empty()) {
        if (resetPending) return fail("escape between a reset and its page");
        out.documentEscapes.push_back(std::move(call));
      } else {
        out.pages.back().calls.push_back(std::move(call));
      }
    } else if (keyword == "rect" || keyword == "line" || keyword == "polygon") {
      if (out.pages.empty()) return fail(keyword + " outside a page");
      DrawCall call;
      call.lineNumber = lineNo;
      call.kind = keyword == "rect" ? DrawCall::Kind::Rect : keyword == "line" ? DrawCall::Kind::Line
                                                                               : DrawCall::Kind::Polygon;
      std::vector<std::string> ws;
      for (std::string w; words >> w;) ws.push_back(w);
      if (ws.empty()) return fail(keyword + " wants a colour");
      // A rectangle and a line end with their colour, a polygon starts with it.
      const bool colourFirst = call.kind == DrawCall::Kind::Polygon;
      long color = 0;
      if (!ParseNumber(colourFirst ? ws.front() : ws.back(), color) || color < 0 || color > 0xFFFFFFL)
        return fail("the colour is a number from 0 to 0xFFFFFF");
      call.color = static_cast<ULONG>(color);
      if (colourFirst)
        ws.erase(ws.begin());
      else
        ws.pop_back();
      for (const std::string& w : ws) {
        long v = 0;
        if (!ParseNumber(w, v) || v < -kMaxCoord || v > kMaxCoord) return fail("bad coordinate \"" + w + "\"");
        call.coords.push_back(static_cast<LONG>(v));
      }
      const std::size_t n = call.coords.size();
      if ((call.kind != DrawCall::Kind::Polygon && n != 4) ||
          (call.kind == DrawCall::Kind::Polygon && (n < 6 || n % 2 != 0)))
        return fail(keyword == "polygon" ? "polygon wants a colour, then at least three x y pairs"
                                         : keyword + " wants four coordinates, then a colour");
      out.pages.back().calls.push_back(std::move(call));
    } else {
      return fail("unknown statement \"" + keyword + "\"");
    }
  }
  if (resetPending) {
    lineNo = lineNo + 1;
    return fail("reset without a following page");
  }
  return true;
}

}  // namespace drvhost
