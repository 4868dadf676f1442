// drvhost print: plays the graphics engine (and the application) for a print job read from
// a job file: the printer's rendering library is loaded from its driver record, a device
// is enabled with the printer's device-mode, and the document runs page by page, with the
// drawing calls of each page handed to the driver's hooks (or drawn by the engine into a
// banding bitmap).
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include "commands.h"
#include "host_text.h"
#include "interface_library.h"
#include "job_file.h"
#include "named_settings.h"
#include "print_text.h"
#include "plat/engine.h"
#include "plat/gdi_objects.h"
#include "plat/paths.h"
#include "plat/spooler_setup.h"
#include "win/errors.h"
#include "win/printer_interface.h"
#include "win/spool.h"
#include "win/sync.h"

namespace fs = std::filesystem;

namespace drvhost {
namespace {

using plat::engine::Device;

std::string DocumentEventName(int event) {
  switch (event) {
    case DOCUMENTEVENT_STARTDOC: return "STARTDOC";
    case DOCUMENTEVENT_STARTDOCPOST: return "STARTDOCPOST";
    case DOCUMENTEVENT_STARTPAGE: return "STARTPAGE";
    case DOCUMENTEVENT_ENDPAGE: return "ENDPAGE";
    case DOCUMENTEVENT_ENDDOC: return "ENDDOC";
    case DOCUMENTEVENT_ENDDOCPOST: return "ENDDOCPOST";
    default: return "EVENT" + std::to_string(event);
  }
}

// How long a job waits for a port another job is printing to.
constexpr DWORD kPortWaitMs = 120000;

std::vector<BYTE> PrinterDevmode(HANDLE printer) {
  DWORD needed = 0;
  GetPrinterW(printer, 2, nullptr, 0, &needed);
  if (needed < sizeof(PRINTER_INFO_2W)) return {};
  std::vector<BYTE> buf(needed);
  if (!GetPrinterW(printer, 2, buf.data(), needed, &needed)) return {};
  const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buf.data());
  const DEVMODEW* dm = info->pDevMode;
  if (!dm || dm->dmSize < offsetof(DEVMODEW, dmFields) + sizeof(DWORD)) return {};
  const auto* p = reinterpret_cast<const BYTE*>(dm);
  const BYTE* end = buf.data() + buf.size();
  const std::size_t total = static_cast<std::size_t>(dm->dmSize) + dm->dmDriverExtra;
  if (p < buf.data() || p + total > end) return {};
  return std::vector<BYTE>(p, p + total);
}

std::u16string PrinterPort(HANDLE printer) {
  DWORD needed = 0;
  GetPrinterW(printer, 2, nullptr, 0, &needed);
  if (needed < sizeof(PRINTER_INFO_2W)) return {};
  std::vector<BYTE> buf(needed);
  if (!GetPrinterW(printer, 2, buf.data(), needed, &needed)) return {};
  const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buf.data());
  return info->pPortName ? std::u16string(info->pPortName) : std::u16string();
}

std::u16string DriverPath(HANDLE printer) {
  DWORD needed = 0;
  GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &needed);
  if (needed < sizeof(DRIVER_INFO_2W)) return {};
  std::vector<BYTE> buf(needed);
  if (!GetPrinterDriverW(printer, nullptr, 2, buf.data(), needed, &needed)) return {};
  const auto* info = reinterpret_cast<const DRIVER_INFO_2W*>(buf.data());
  return info->pDriverPath ? std::u16string(info->pDriverPath) : std::u16string();
}

// The device-mode of a reset: the job's with the named public fields changed (a public
// device-mode of its own when the printer has none).
std::vector<BYTE> ResetDevmode(const std::vector<BYTE>& base, const std::vector<ResetField>& fields) {
  std::vector<BYTE> dm = base;
  if (dm.size() < sizeof(DEVMODEW)) {
    dm.assign(sizeof(DEVMODEW), 0);
    auto* pub = reinterpret_cast<DEVMODEW*>(dm.data());
    pub->dmSpecVersion = 0x0401;
    pub->dmSize = sizeof(DEVMODEW);
  }
  auto* pub = reinterpret_cast<DEVMODEW*>(dm.data());
  std::string unused;
  // The job file's reader checked every name and value.
  for (const ResetField& f : fields) ApplyPublicSetting(*pub, f.name, f.value, unused);
  return dm;
}

// An escape as an application's ExtEscape makes it; answers a line for the report: the
// code, the input size, the result and the output bytes.
std::string SendEscape(Device& device, const DrawCall& call) {
  std::vector<BYTE> out(call.outputSize);
  const ULONG result = device.Escape(call.escapeCode, static_cast<ULONG>(call.input.size()),
                                     call.input.empty() ? nullptr : call.input.data(), call.outputSize,
                                     out.empty() ? nullptr : out.data());
  std::string line = "DrvEscape " + std::to_string(call.escapeCode) + " (" + std::to_string(call.input.size()) +
                     " bytes in): result " + (result == 0xFFFFFFFFu ? std::string("-1") : std::to_string(result));
  if (!out.empty()) {
    line += ", out";
    char hex[4];
    for (BYTE b : out) {
      std::snprintf(hex, sizeof hex, " %02X", b);
      line += hex;
    }
  }
  return line;
}

// One drawing call as the engine makes it: through the driver's hook when its surface
// hooks the call, else (or when the driver declines) by the engine into a surface with
// bits. Answers a line for the report.
std::string Draw(Device& device, const DrawCall& call, std::string& error) {
  if (call.kind == DrawCall::Kind::Text) return DrawText(device, call, error);
  if (call.kind == DrawCall::Kind::Escape) return SendEscape(device, call);
  SURFOBJ* so = device.surface();
  plat::engine::SurfaceInfo info;
  plat::engine::QuerySurface(device.surfaceHandle(), info);
  const POINTL o = device.bandOrigin();
  const RECTL area{0, 0, so->sizlBitmap.cx, so->sizlBitmap.cy};
  auto clip = plat::gdi::ClipObject::Trivial(area);
  plat::gdi::BrushObject brush(call.color);
  POINTL brushOrg{0, 0};
  const bool hasBits = so->pvScan0 != nullptr;
  const char* name = "";
  BOOL byDriver = FALSE;
  bool hooked = false;
  BOOL byEngine = FALSE;
  constexpr MIX kCopyPen = 0x0D0D;  // R2_COPYPEN in both bytes
  if (call.kind == DrawCall::Kind::Rect) {
    name = "DrvBitBlt";
    // As the engine hands it over: well ordered, and within the surface; when the surface
    // cut it, the clip object says so (a rectangle clip of the surface).
    const RECTL asked{std::min(call.coords[0], call.coords[2]) - o.x, std::min(call.coords[1], call.coords[3]) - o.y,
                      std::max(call.coords[0], call.coords[2]) - o.x, std::max(call.coords[1], call.coords[3]) - o.y};
    RECTL r{std::max(asked.left, area.left), std::max(asked.top, area.top), std::min(asked.right, area.right),
            std::min(asked.bottom, area.bottom)};
    if (r.left >= r.right || r.top >= r.bottom) return "DrvBitBlt: outside the surface, nothing to draw";
    if (r.left != asked.left || r.top != asked.top || r.right != asked.right || r.bottom != asked.bottom)
      clip = plat::gdi::ClipObject::Rect(area);
    auto blt = device.driver().Get<PFN_DrvBitBlt>(INDEX_DrvBitBlt);
    hooked = blt && (info.hooks & HOOK_BITBLT);
    if (hooked) byDriver = blt(so, nullptr, nullptr, clip->get(), nullptr, &r, nullptr, nullptr, brush.get(), &brushOrg, 0xF0F0);
    if (!byDriver && hasBits)
      byEngine = EngBitBlt(so, nullptr, nullptr, clip->get(), nullptr, &r, nullptr, nullptr, brush.get(), &brushOrg, 0xF0F0);
  } else {
    plat::gdi::PathObject path;
    const auto& c = call.coords;
    // A path that reaches past the surface gets a clip object that keeps it inside.
    for (std::size_t i = 0; i + 1 < c.size(); i += 2)
      if (c[i] - o.x < area.left || c[i] - o.x >= area.right || c[i + 1] - o.y < area.top ||
          c[i + 1] - o.y >= area.bottom) {
        clip = plat::gdi::ClipObject::Rect(area);
        break;
      }
    path.MoveTo(POINTFIX{(c[0] - o.x) * 16, (c[1] - o.y) * 16});
    for (std::size_t i = 2; i + 1 < c.size(); i += 2) path.LineTo(POINTFIX{(c[i] - o.x) * 16, (c[i + 1] - o.y) * 16});
    if (call.kind == DrawCall::Kind::Line) {
      name = "DrvStrokePath";
      plat::gdi::XformObject xform;
      LINEATTRS la{};
      la.iJoin = JOIN_ROUND;
      la.iEndCap = ENDCAP_ROUND;
      la.elWidth.l = 1;
      la.eMiterLimit = 10.0f;
      auto stroke = device.driver().Get<PFN_DrvStrokePath>(INDEX_DrvStrokePath);
      hooked = stroke && (info.hooks & HOOK_STROKEPATH);
      if (hooked) byDriver = stroke(so, path.get(), clip->get(), xform.get(), brush.get(), &brushOrg, &la, kCopyPen);
      if (!byDriver && hasBits)
        byEngine = EngStrokePath(so, path.get(), clip->get(), xform.get(), brush.get(), &brushOrg, &la, kCopyPen);
    } else {
      name = "DrvFillPath";
      path.CloseFigure();
      auto fill = device.driver().Get<PFN_DrvFillPath>(INDEX_DrvFillPath);
      hooked = fill && (info.hooks & HOOK_FILLPATH);
      if (hooked) byDriver = fill(so, path.get(), clip->get(), brush.get(), &brushOrg, kCopyPen, FP_ALTERNATEMODE);
      if (!byDriver && hasBits)
        byEngine = EngFillPath(so, path.get(), clip->get(), brush.get(), &brushOrg, kCopyPen, FP_ALTERNATEMODE);
    }
  }
  std::string line = std::string(name) + (hooked ? (byDriver ? ": drawn by the driver" : ": declined by the driver")
                                                 : ": not hooked");
  if (!byDriver) line += hasBits ? (byEngine ? ", drawn by the engine" : ", the engine could not draw it")
                                 : ", nothing drawn (a device surface has no bits)";
  return line;
}

}  // namespace

int RunPrint(const std::vector<std::string>& args) {
  if (args.size() < 3) {
    std::fprintf(stderr, "usage: drvhost print <root folder> <printer name> <job file> [NAME=VALUE ...]\n");
    return kExitUsage;
  }
  // Settings named on the command line change the job's device-mode as a reset does.
  std::vector<ResetField> named;
  for (std::size_t i = 3; i < args.size(); ++i) {
    const std::size_t eq = args[i].find('=');
    std::string wrong;
    DEVMODEW scratch{};
    if (eq == std::string::npos || eq == 0) {
      wrong = "a setting is NAME=VALUE, not \"" + args[i] + "\"";
    } else {
      named.push_back(ResetField{args[i].substr(0, eq), args[i].substr(eq + 1)});
      ApplyPublicSetting(scratch, named.back().name, named.back().value, wrong);
    }
    if (!wrong.empty()) {
      std::fprintf(stderr, "drvhost: %s\nusage: drvhost print <root folder> <printer name> <job file> [NAME=VALUE ...]\n",
                   wrong.c_str());
      return kExitUsage;
    }
  }
  std::ifstream in(args[2], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "drvhost: cannot read the job file %s\n", args[2].c_str());
    return kExitFailed;
  }
  std::stringstream text;
  text << in.rdbuf();
  JobPlan job;
  std::string error;
  if (!ParseJob(text.str(), job, error)) {
    std::fprintf(stderr, "drvhost: %s: %s\n", args[2].c_str(), error.c_str());
    return kExitFailed;
  }
  if (!OpenExistingRoot(args[0], error)) {
    std::fprintf(stderr, "drvhost: %s\n", error.c_str());
    return kExitFailed;
  }
  std::u16string printerName = U16(args[1]);
  HANDLE printer = nullptr;
  if (!OpenPrinterW(printerName.data(), &printer, nullptr)) {
    std::fprintf(stderr, "drvhost: %s\n", PrinterOpenError(args[1], args[0], GetLastError()).c_str());
    return kExitFailed;
  }
  const std::u16string driverPath = DriverPath(printer);
  const std::u16string port = PrinterPort(printer);
  plat::engine::RenderingDriver driver;
  if (driverPath.empty() || !plat::engine::LoadRenderingDriver(driverPath.c_str(), driver)) {
    std::fprintf(stderr, "drvhost: cannot load the rendering library %s (%s)\n", U8(driverPath).c_str(),
        ErrorText(GetLastError()).c_str());
    ClosePrinter(printer);
    return kExitFailed;
  }
  std::printf("rendering library: %s (%u functions, DDI version %s)\n", U8(driverPath).c_str(),
              driver.enableData.c, Hex32(driver.enableData.iDriverVersion).c_str());

  std::vector<BYTE> devmode;
  if (!job.devmodeFile.empty()) {
    fs::path file = job.devmodeFile;
    if (file.is_relative()) file = fs::path(args[2]).parent_path() / file;
    if (!ReadDevmodeFile(file.string(), devmode, error)) {
      std::fprintf(stderr, "drvhost: %s\n", error.c_str());
      plat::engine::UnloadRenderingDriver(driver);
      ClosePrinter(printer);
      return kExitFailed;
    }
  } else {
    devmode = PrinterDevmode(printer);
  }
  if (!named.empty()) devmode = ResetDevmode(devmode, named);
  std::vector<std::vector<BYTE>> resetModes;
  resetModes.reserve(job.pages.size());
  plat::engine::JobRequest request;
  request.devmode = devmode.empty() ? nullptr : reinterpret_cast<const DEVMODEW*>(devmode.data());
  request.printer = printer;
  request.deviceName = printerName;
  request.documentName = U16(job.document);
  // The spooler's record of the job (GetJobW reads it), under the id the job file asks for
  // or the next free one; it goes when the job has been printed.
  plat::spooler::JobSetup spoolJob;
  spoolJob.id = job.jobId;
  spoolJob.document = request.documentName;
  spoolJob.devmode = devmode;
  spoolJob.totalPages = static_cast<DWORD>(job.pages.size());
  const DWORD jobId = plat::spooler::AddJob(printerName, spoolJob);
  if (jobId == 0) {
    std::fprintf(stderr, "drvhost: the spooler refused the job%s\n",
                 job.jobId ? (" id " + std::to_string(job.jobId) + " (taken?)").c_str() : "");
    plat::engine::UnloadRenderingDriver(driver);
    ClosePrinter(printer);
    return kExitFailed;
  }
  request.jobId = jobId;
  std::vector<std::string> report;
  std::string jobError;
  for (std::size_t i = 0; i < job.pages.size(); ++i) {
    plat::engine::JobPage page;
    if (!job.pages[i].reset.empty()) {
      resetModes.push_back(ResetDevmode(devmode, job.pages[i].reset));
      page.resetDevmode = reinterpret_cast<const DEVMODEW*>(resetModes.back().data());
    }
    const JobPagePlan* plan = &job.pages[i];
    const std::size_t pageNo = i + 1;
    // On a banding surface the page is drawn band by band; its escapes go once, with the
    // first band.
    auto firstBand = std::make_shared<bool>(true);
    page.draw = [plan, pageNo, &report, firstBand, &jobError](Device& device) {
      for (const DrawCall& call : plan->calls) {
        if (call.kind == DrawCall::Kind::Escape && !*firstBand) continue;
        std::string error;
        report.push_back("page " + std::to_string(pageNo) + ", line " + std::to_string(call.lineNumber) + ": " +
                         Draw(device, call, error));
        // An error of the job file ends the job: the page is not sent as if it were whole.
        if (!error.empty()) {
          jobError = error;
          return false;
        }
      }
      *firstBand = false;
      return true;
    };
    request.pages.push_back(std::move(page));
  }
  request.beforeDocument = [&job, &report](Device& device) {
    for (const DrawCall& call : job.documentEscapes)
      report.push_back("document, line " + std::to_string(call.lineNumber) + ": " + SendEscape(device, call));
    return true;
  };
  std::printf("document %s, job %u, %zu page%s, device-mode %s\n", Quoted(request.documentName).c_str(), jobId,
              job.pages.size(), job.pages.size() == 1 ? "" : "s",
              devmode.empty() ? "none (the driver's defaults)" : ("of " + std::to_string(devmode.size()) + " bytes").c_str());
  // The document events go to the printer interface library, as the graphics engine sends
  // them in the application's process.
  InterfaceLibrary ui(printer);
  std::vector<std::string> events;
  if (DocumentEventFn documentEvent = ui.documentEvent()) {
    std::printf("interface library: %s\n", U8(ui.path()).c_str());
    request.documentEvent = [&, documentEvent](Device&, HDC dc, int event) {
      const int answer = documentEvent(printer, dc, event, 0, nullptr, 0, nullptr);
      events.push_back(DocumentEventName(event) + "=" + std::to_string(answer));
      return answer;
    };
  } else {
    std::printf("interface library: none (%s), no document events\n", ui.path().empty() ? "not named" : U8(ui.path()).c_str());
  }
  // The spooler sends one job at a time to a port: a job that finds the port busy with
  // another process's job waits for it (a while), then says the port is busy.
  std::u16string portName;
  for (char16_t c : port) portName += c == u'\\' ? u'/' : c;
  HANDLE portLock = port.empty() ? nullptr : CreateMutexW(nullptr, FALSE, (u"KovaSpoolerPort:" + portName).c_str());
  DWORD waited = portLock ? WaitForSingleObject(portLock, 0) : WAIT_OBJECT_0;
  if (waited == WAIT_TIMEOUT) {
    std::printf("port %s: busy with another job, waiting\n", U8(port).c_str());
    std::fflush(stdout);
    waited = WaitForSingleObject(portLock, kPortWaitMs);
  }
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    std::fprintf(stderr, "drvhost: the port %s is busy with another job; try again when it has printed\n",
                 U8(port).c_str());
    if (portLock) CloseHandle(portLock);
    plat::engine::UnloadRenderingDriver(driver);
    plat::spooler::RemoveJob(printerName, jobId);
    ClosePrinter(printer);
    return kExitFailed;
  }
  const plat::engine::JobOutcome outcome = plat::engine::RunJob(driver, request);
  if (portLock) {
    ReleaseMutex(portLock);
    CloseHandle(portLock);
  }
  if (!events.empty()) {
    std::printf("document events:");
    for (const auto& e : events) std::printf(" %s", e.c_str());
    std::printf("\n");
  }
  std::printf("engine calls:");
  for (const auto& c : outcome.calls) std::printf(" %s", c.c_str());
  std::printf("\n");
  for (const auto& line : report) std::printf("  %s\n", line.c_str());
  plat::engine::UnloadRenderingDriver(driver);
  plat::spooler::RemoveJob(printerName, jobId);
  ClosePrinter(printer);
  if (!jobError.empty()) {
    std::fprintf(stderr, "drvhost: %s: %s; the job was ended\n", args[2].c_str(), jobError.c_str());
    return kExitFailed;
  }
  if (!outcome.ok) {
    std::fprintf(stderr, "drvhost: the job failed at %s (%s)\n", outcome.failedStep.c_str(),
        ErrorText(outcome.lastError).c_str());
    return kExitFailed;
  }
  std::string host;
  std::error_code ec;
  if (!port.empty() && plat::MapPath(port.c_str(), host) == ERROR_SUCCESS && fs::is_regular_file(host, ec)) {
    std::printf("stream: %s, %ju bytes\n", U8(port).c_str(), static_cast<std::uintmax_t>(fs::file_size(host, ec)));
    std::printf("stream file: %s\n", host.c_str());
  } else {
    std::printf("stream: nothing was written to the port %s\n", U8(port).c_str());
  }
  return kExitOk;
}

}  // namespace drvhost
