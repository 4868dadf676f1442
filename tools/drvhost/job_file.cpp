// The print-job file reader.
#include "job_file.h"

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
        long v = 0;
        if (eq == std::string::npos || !ParseNumber(w.substr(eq + 1), v)) return fail("reset wants field=value words");
        const std::string name = w.substr(0, eq);
        if (name != "orientation" && name != "papersize" && name != "copies" && name != "quality" && name != "color")
          return fail("unknown device-mode field \"" + name + "\"");
        if (v < -32768 || v > 32767) return fail("value of " + name + " out of range");
        pendingReset.push_back(ResetField{name, v});
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
