// drvhost sheet: a printer's document or device property sheet opened through the common
// property-sheet host as an application or the printer folder opens it, driven headlessly
// by a person's actions; prints what each page shows and the boxes that appeared, and can
// write the resulting device-mode.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "commands.h"
#include "host_text.h"
#include "interface_library.h"
#include "plat/ui_driver.h"
#include "win/commdlg.h"
#include "win/compstui.h"
#include "win/controls.h"
#include "win/errors.h"
#include "win/loader.h"
#include "win/msgbox.h"
#include "win/printer_interface.h"
#include "win/prsht.h"
#include "win/spool.h"

namespace drvhost {
namespace {

constexpr const char* kUsage =
    "usage: drvhost sheet <root folder> <printer name> document|device [--devmode FILE] [actions...] "
    "[--out FILE]\n"
    "actions: --page ID  --click CONTROL  --select CONTROL=VALUE  --type CONTROL=TEXT\n"
    "         --answer ok|cancel|yes|no  --ok  --cancel  --apply\n"
    "         --help CONTROL  --context-menu CONTROL  --hover CONTROL[=X,Y]  --wait MS\n"
    "         --scroll CONTROL=line-up|line-down|page-up|page-down|thumb:N  --key CONTROL=up|down|space\n"
    "         --click-item CONTROL=ITEM\n";

struct Action {
  std::string name;
  std::string value;
};

std::string ClassOf(HWND w) {
  WCHAR name[64] = {};
  GetClassNameW(w, name, 64);
  return U8(name);
}

// The page window the sheet (or the sub-dialog itself) shows now.
HWND CurrentPage(HWND modal) {
  if (!modal) return nullptr;
  HWND page = reinterpret_cast<HWND>(SendMessageW(modal, PSM_GETCURRENTPAGEHWND, 0, 0));
  return page ? page : modal;
}

std::string ValueShown(HWND w) {
  const std::string cls = ClassOf(w);
  if (cls == "Button") {
    const UINT state = plat::ui::CheckState(w);
    const std::string text = Quoted(plat::ui::Text(w));
    return state == BST_CHECKED ? text + " checked" : text;
  }
  if (cls == "ComboBox" || cls == "ListBox") {
    const int at = plat::ui::Selection(w);
    const std::vector<std::u16string> items = plat::ui::Items(w);
    std::string shown = at >= 0 && at < static_cast<int>(items.size()) ? Quoted(items[static_cast<std::size_t>(at)])
                                                                      : std::string("(none)");
    return shown + " of " + std::to_string(items.size());
  }
  return Quoted(plat::ui::Text(w));
}

void ShowPage(const char* when) {
  HWND modal = plat::ui::ActiveModal();
  HWND page = CurrentPage(modal);
  if (!page) return;
  std::printf("page %d (%s)\n", GetDlgCtrlID(page), when);
  for (HWND c = GetWindow(page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    const int id = GetDlgCtrlID(c);
    std::printf("  %5d %-10s %-40s %s %s\n", id, ClassOf(c).c_str(), ValueShown(c).c_str(),
                plat::ui::Enabled(c) ? "enabled" : "greyed", plat::ui::Visible(c) ? "visible" : "hidden");
  }
}

bool SplitPair(const std::string& text, int& id, std::string& value) {
  const std::size_t eq = text.find('=');
  if (eq == std::string::npos) return false;
  try {
    id = std::stoi(text.substr(0, eq));
  } catch (...) {
    return false;
  }
  value = text.substr(eq + 1);
  return true;
}

bool SelectByValue(HWND w, const std::string& value) {
  if (plat::ui::SelectItemText(w, U16(value))) return true;
  // A value id: the item whose data it is.
  DWORD wanted = 0;
  try {
    wanted = static_cast<DWORD>(std::stoul(value));
  } catch (...) {
    return false;
  }
  const bool combo = ClassOf(w) == "ComboBox";
  const auto count = static_cast<int>(SendMessageW(w, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i)
    if (static_cast<DWORD>(SendMessageW(w, combo ? CB_GETITEMDATA : LB_GETITEMDATA, static_cast<WPARAM>(i), 0)) ==
        wanted)
      return plat::ui::SelectItem(w, i);
  return false;
}

// The help requests since the last action and the tips shown now.
void ShowHelpAndTips() {
  static std::size_t seen = 0;
  const auto& requests = plat::ui::HelpRequests();
  if (seen > requests.size()) seen = 0;
  for (; seen < requests.size(); ++seen) {
    const plat::ui::HelpRecord& r = requests[seen];
    const char* command = r.command == HELP_WM_HELP      ? "HELP_WM_HELP"
                          : r.command == HELP_CONTEXTMENU ? "HELP_CONTEXTMENU"
                          : r.command == HELP_CONTEXT     ? "HELP_CONTEXT"
                                                          : "other";
    std::printf("help %s %s on %d", command, Quoted(r.file).c_str(), GetDlgCtrlID(r.window));
    for (const auto& [control, topic] : r.ids)
      std::printf(" {id %lu, help id %lu}", static_cast<unsigned long>(control), static_cast<unsigned long>(topic));
    if (r.command == HELP_CONTEXT) std::printf(" topic %lu", static_cast<unsigned long>(r.data));
    std::printf("\n");
  }
  for (HWND tip : plat::ui::ShownPopups()) {
    RECT r{};
    GetWindowRect(tip, &r);
    std::printf("tip %s at %ld,%ld\n", Quoted(plat::ui::Text(tip)).c_str(), static_cast<long>(r.left),
                static_cast<long>(r.top));
  }
}

bool SelectSheetPage(HWND modal, int pageId) {
  for (int i = 0; SendMessageW(modal, PSM_INDEXTOPAGE, static_cast<WPARAM>(i), 0); ++i) {
    if (!plat::ui::SelectPage(modal, i)) continue;
    if (GetDlgCtrlID(CurrentPage(modal)) == pageId) return true;
  }
  return false;
}

void Perform(const Action& a) {
  HWND modal = plat::ui::ActiveModal();
  HWND page = CurrentPage(modal);
  bool ok = modal != nullptr;
  int id = 0;
  std::string value;
  if (a.name == "--page") {
    ok = ok && SelectSheetPage(modal, std::stoi(a.value));
  } else if (a.name == "--click") {
    HWND c = ok ? plat::ui::FindControl(page, std::stoi(a.value)) : nullptr;
    if (c && ClassOf(c) != "Button" && IsWindowVisible(c) && IsWindowEnabled(c)) {
      // A picture or other control: the pointer moves over its middle, pressed and released.
      RECT r{};
      GetClientRect(c, &r);
      const LPARAM middle = MAKELPARAM(static_cast<WORD>(r.right / 2), static_cast<WORD>(r.bottom / 2));
      plat::ui::MoveMouse(c, r.right / 2, r.bottom / 2);
      SendMessageW(c, WM_LBUTTONDOWN, MK_LBUTTON, middle);
      SendMessageW(c, WM_LBUTTONUP, 0, middle);
      plat::ui::RunPendingMessages();
    } else {
      ok = ok && plat::ui::Click(c);
    }
  } else if (a.name == "--select") {
    ok = ok && SplitPair(a.value, id, value) && SelectByValue(plat::ui::FindControl(page, id), value);
  } else if (a.name == "--type") {
    HWND edit = nullptr;
    ok = ok && SplitPair(a.value, id, value) && (edit = plat::ui::FindControl(page, id)) &&
         plat::ui::ReplaceText(edit, U16(value));
    if (ok) plat::ui::LeaveControl(edit);
  } else if (a.name == "--scroll") {
    // A click on a part of a scroll bar.
    HWND bar = nullptr;
    WORD code = 0;
    int position = 0;
    ok = ok && SplitPair(a.value, id, value) && (bar = plat::ui::FindControl(page, id));
    if (value == "line-up") code = SB_LINEUP;
    else if (value == "line-down") code = SB_LINEDOWN;
    else if (value == "page-up") code = SB_PAGEUP;
    else if (value == "page-down") code = SB_PAGEDOWN;
    else if (value.rfind("thumb:", 0) == 0 && std::sscanf(value.c_str() + 6, "%d", &position) == 1)
      code = SB_THUMBPOSITION;
    else ok = false;
    ok = ok && plat::ui::ClickScrollBar(bar, code, position);
    plat::ui::RunPendingMessages();
  } else if (a.name == "--key") {
    // A key pressed on a control that has the focus; Space also types its character.
    HWND c = nullptr;
    ok = ok && SplitPair(a.value, id, value) && (c = plat::ui::FindControl(page, id)) && IsWindowVisible(c) &&
         (value == "up" || value == "down" || value == "space");
    if (ok) {
      SetFocus(c);
      if (value == "space") {
        SendMessageW(c, WM_KEYDOWN, VK_SPACE, 1);
        SendMessageW(c, WM_CHAR, u' ', 1);
        SendMessageW(c, WM_KEYUP, VK_SPACE, 1);
      } else {
        plat::ui::PressKey(c, value == "up" ? VK_UP : VK_DOWN);
      }
      plat::ui::RunPendingMessages();
    }
  } else if (a.name == "--click-item") {
    // A click on an item of a list: the list selects it, then the button comes up over it.
    HWND list = nullptr;
    int index = -1;
    ok = ok && SplitPair(a.value, id, value) && (list = plat::ui::FindControl(page, id)) &&
         std::sscanf(value.c_str(), "%d", &index) == 1 && plat::ui::SelectItem(list, index);
    if (ok && ClassOf(list) == "ListBox") {
      RECT item{};
      SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
      SendMessageW(list, WM_LBUTTONUP, 0,
                   MAKELPARAM(static_cast<WORD>((item.left + item.right) / 2), static_cast<WORD>((item.top + item.bottom) / 2)));
    }
    if (ok) plat::ui::RunPendingMessages();
  } else if (a.name == "--help") {
    ok = ok && plat::ui::AskHelp(plat::ui::FindControl(page, std::stoi(a.value)));
  } else if (a.name == "--context-menu") {
    HWND c = ok ? plat::ui::FindControl(page, std::stoi(a.value)) : nullptr;
    RECT r{};
    if (c) GetClientRect(c, &r);
    ok = ok && plat::ui::OpenContextMenu(c, r.right / 2, r.bottom / 2);
  } else if (a.name == "--hover") {
    // CONTROL or CONTROL=X,Y (in the control's client area; the middle without).
    const std::size_t eq = a.value.find('=');
    HWND c = ok ? plat::ui::FindControl(page, std::stoi(a.value.substr(0, eq))) : nullptr;
    RECT r{};
    if (c) GetClientRect(c, &r);
    int x = r.right / 2, y = r.bottom / 2;
    if (eq != std::string::npos && std::sscanf(a.value.c_str() + eq + 1, "%d,%d", &x, &y) != 2) ok = false;
    ok = ok && c && plat::ui::MoveMouse(c, x, y) != nullptr;
  } else if (a.name == "--wait") {
    plat::ui::AdvanceClock(static_cast<DWORD>(std::stoul(a.value)));
    plat::ui::RunPendingMessages();
  } else if (a.name == "--apply") {
    // A sheet without an Apply button applies as the person's Apply would; a sub-dialog has
    // nothing to apply (and is never closed by it).
    ShowPage("before apply");
    ok = ok && (plat::ui::PressSheetButton(modal, PSBTN_APPLYNOW) ||
                (page != modal && SendMessageW(modal, PSM_APPLY, 0, 0) != 0));
  } else if (a.name == "--ok" || a.name == "--cancel") {
    const int which = a.name == "--ok" ? PSBTN_OK : PSBTN_CANCEL;
    const int button = a.name == "--ok" ? IDOK : IDCANCEL;
    ok = ok && (plat::ui::PressSheetButton(modal, which) || plat::ui::ClickId(modal, button));
  }
  std::printf("%s %s%s\n", a.name.c_str(), a.value.c_str(), ok ? "" : "  (could not be done)");
  ShowHelpAndTips();
  if (a.name != "--ok" && a.name != "--cancel") ShowPage(("after " + a.name).c_str());
}

int AnswerOf(const std::string& text) {
  if (text == "ok") return IDOK;
  if (text == "cancel") return IDCANCEL;
  if (text == "yes") return IDYES;
  if (text == "no") return IDNO;
  return 0;
}

}  // namespace

int RunSheet(const std::vector<std::string>& args) {
  if (args.size() < 3 || (args[2] != "document" && args[2] != "device")) {
    std::fprintf(stderr, "%s", kUsage);
    return kExitUsage;
  }
  const bool document = args[2] == "document";
  std::string devmodeFile, outFile;
  std::vector<Action> actions;
  for (std::size_t i = 3; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool takesValue = a == "--devmode" || a == "--out" || a == "--page" || a == "--click" ||
                            a == "--scroll" || a == "--key" || a == "--click-item" ||
                            a == "--select" || a == "--type" || a == "--answer" || a == "--help" ||
                            a == "--context-menu" || a == "--hover" || a == "--wait";
    if (!takesValue && a != "--ok" && a != "--cancel" && a != "--apply") {
      std::fprintf(stderr, "drvhost: unknown sheet argument \"%s\"\n%s", a.c_str(), kUsage);
      return kExitUsage;
    }
    if (takesValue && i + 1 >= args.size()) {
      std::fprintf(stderr, "drvhost: %s needs a value\n%s", a.c_str(), kUsage);
      return kExitUsage;
    }
    const std::string value = takesValue ? args[++i] : std::string();
    if (a == "--devmode") devmodeFile = value;
    else if (a == "--out") outFile = value;
    else if (a == "--answer" && !AnswerOf(value)) {
      std::fprintf(stderr, "drvhost: --answer takes ok, cancel, yes or no\n");
      return kExitUsage;
    } else actions.push_back({a, value});
  }
  // Tips wait on their timer: a sheet driven with waits keeps time on the host's clock,
  // which moves only when an action waits.
  for (const Action& a : actions)
    if (a.name == "--wait" || a.name == "--hover") {
      plat::ui::AdvanceClock(0);
      break;
    }
  std::string error;
  if (!OpenExistingRoot(args[0], error)) {
    std::fprintf(stderr, "drvhost: %s\n", error.c_str());
    return kExitFailed;
  }
  std::u16string printerName = U16(args[1]);
  HANDLE printer = nullptr;
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  if (!OpenPrinterW(printerName.data(), &printer, &defaults)) {
    std::fprintf(stderr, "drvhost: cannot open the printer \"%s\" (error %u)\n", args[1].c_str(), GetLastError());
    return kExitFailed;
  }
  std::vector<BYTE> input;
  if (!devmodeFile.empty()) {
    std::ifstream in(devmodeFile, std::ios::binary);
    input.assign(std::istreambuf_iterator<char>(in), {});
    if (input.size() < sizeof(DEVMODEW)) {
      std::fprintf(stderr, "drvhost: %s holds no device-mode\n", devmodeFile.c_str());
      ClosePrinter(printer);
      return kExitFailed;
    }
  } else if (document) {
    input = StoredDevmode(printer);
  }
  int rc = kExitOk;
  {
    InterfaceLibrary library(printer);
    HMODULE panelis = library.loaded() ? LoadLibraryW(library.path().c_str()) : nullptr;
    HMODULE host = LoadLibraryA("compstui.dll");
    auto sheetFn = panelis ? reinterpret_cast<PFNPROPSHEETUI>(reinterpret_cast<void (*)()>(GetProcAddress(
                                 panelis, document ? "DrvDocumentPropertySheets" : "DrvDevicePropertySheets")))
                           : nullptr;
    auto run = host ? reinterpret_cast<PFNCOMMONPROPERTYSHEETUIW>(
                          reinterpret_cast<void (*)()>(GetProcAddress(host, "CommonPropertySheetUIW")))
                    : nullptr;
    if (!sheetFn || !run) {
      std::fprintf(stderr, "drvhost: cannot load the sheet function of the interface library %s\n",
                   U8(library.path()).c_str());
      rc = kExitFailed;
    } else {
      std::vector<BYTE> output(input.size() > 1236 ? input.size() : 1236, 0);
      DOCUMENTPROPERTYHEADER docHeader{};
      docHeader.cbSize = sizeof docHeader;
      docHeader.hPrinter = printer;
      docHeader.pszPrinterName = printerName.data();
      docHeader.pdmIn = input.empty() ? nullptr : reinterpret_cast<DEVMODEW*>(input.data());
      docHeader.pdmOut = reinterpret_cast<DEVMODEW*>(output.data());
      docHeader.cbOut = static_cast<DWORD>(output.size());
      docHeader.fMode = DM_PROMPT | DM_COPY | (input.empty() ? 0 : DM_MODIFY);
      DEVICEPROPERTYHEADER devHeader{};
      devHeader.cbSize = sizeof devHeader;
      devHeader.hPrinter = printer;
      devHeader.pszPrinterName = printerName.data();
      plat::ui::QueueStep([] { ShowPage("opened"); });
      bool closed = false;
      for (const Action& a : actions) {
        if (a.name == "--answer") {
          const int answer = AnswerOf(a.value);
          plat::ui::QueueStep([answer] { plat::ui::QueueMessageBoxAnswer(answer); });
          continue;
        }
        closed = a.name == "--ok" || a.name == "--cancel";
        plat::ui::QueueStep([a] { Perform(a); });
      }
      // A sheet the actions leave open is closed as the person would close it: Cancel.
      if (!closed) plat::ui::QueueStep([] { Perform({"--cancel", ""}); });
      DWORD result = 0;
      const LONG answer = run(nullptr, sheetFn,
                              document ? reinterpret_cast<LPARAM>(&docHeader) : reinterpret_cast<LPARAM>(&devHeader),
                              &result);
      for (const plat::ui::MessageBoxRecord& box : plat::ui::MessageBoxes())
        std::printf("box %s: %s (type 0x%X, answer %d)\n", Quoted(box.caption).c_str(), Quoted(box.text).c_str(),
                    box.type, box.answer);
      std::printf("sheet: %s, result %lu\n", answer == CPSUI_OK ? "OK" : answer == CPSUI_CANCEL ? "Cancel" : "failed",
                  static_cast<unsigned long>(result));
      if (answer < 0) rc = kExitFailed;
      if (!outFile.empty() && document) {
        // A cancelled sheet leaves the application's device-mode as it was.
        if (answer != CPSUI_OK) output.assign(input.begin(), input.end());
        const auto* dm = output.size() >= sizeof(DEVMODEW) ? reinterpret_cast<const DEVMODEW*>(output.data()) : nullptr;
        const std::size_t size = dm ? static_cast<std::size_t>(dm->dmSize) + dm->dmDriverExtra : 0;
        std::ofstream out(outFile, std::ios::binary);
        if (size == 0 || size > output.size()) {
          std::fprintf(stderr, "drvhost: the sheet wrote no device-mode\n");
          rc = kExitFailed;
        } else {
          out.write(reinterpret_cast<const char*>(output.data()), static_cast<std::streamsize>(size));
          std::printf("device-mode written to %s (%zu bytes)\n", outFile.c_str(), size);
        }
      }
    }
    if (host) FreeLibrary(host);
    if (panelis) FreeLibrary(panelis);
  }
  ClosePrinter(printer);
  return rc;
}

}  // namespace drvhost
