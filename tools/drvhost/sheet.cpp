// drvhost sheet: a printer's document or device property sheet opened through the common
// property-sheet host as an application or the printer folder opens it, driven headlessly
// by a person's actions; prints what each page shows and the boxes that appeared, and can
// write the resulting device-mode and pictures of the sheet as shown.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "host_text.h"
#include "interface_library.h"
#include "png_file.h"
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
    "[--out FILE] [--store] [--png FILE]\n"
    "actions: --page ID  --click CONTROL  --select CONTROL=VALUE  --type CONTROL=TEXT\n"
    "         --click-item CONTROL=ITEM  --focus CONTROL\n"
    "         --answer ok|cancel|yes|no  --ok  --cancel  --apply\n"
    "         --help CONTROL  --context-menu CONTROL  --hover CONTROL[=X,Y]  --wait MS\n"
    "         --scroll CONTROL=line-up|line-down|page-up|page-down|thumb:N  --key CONTROL=up|down|space\n"
    "         --file PATH  --files A,B  --file-cancel (the next file dialog's choice)\n"
    "--png FILE: a picture of the sheet as shown after the actions; with %d in the name, one after\n"
    "            each action (0: as opened)\n";

// The pictures of the sheet taken so far and the first failure to write one.
struct Pictures {
  std::string pattern;
  int taken = 0;
  std::string error;
};

void TakePicture(Pictures& p, int index) {
  if (p.pattern.empty() || !p.error.empty()) return;
  const std::string name = PictureName(p.pattern, index);
  if (WritePng(name, plat::ui::Compose(plat::ui::ActiveModal()), p.error)) {
    ++p.taken;
    std::printf("picture written to %s\n", name.c_str());
  }
}

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
    // Owner-drawn items as their owner draws them, not what the list keeps for them.
    const std::vector<std::u16string> items = plat::ui::ItemsAsDrawn(w);
    std::string shown = at >= 0 && at < static_cast<int>(items.size()) ? Quoted(items[static_cast<std::size_t>(at)])
                                                                      : std::string("(none)");
    return shown + " of " + std::to_string(items.size());
  }
  return Quoted(plat::ui::Text(w));
}

void ShowPage(const char* when) {
  // What a person sees: the page once the messages its action posted have run.
  plat::ui::RunPendingMessages();
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

// A control or page id: decimal digits (or 0x hexadecimal) that fit an id.
bool ParseId(const std::string& text, int& id) {
  if (text.empty()) return false;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = hex ? text.substr(2) : text;
  if (digits.empty() || digits.size() > 8) return false;
  unsigned long v = 0;
  for (char ch : digits) {
    int d = -1;
    if (ch >= '0' && ch <= '9') d = ch - '0';
    else if (hex && ch >= 'a' && ch <= 'f') d = ch - 'a' + 10;
    else if (hex && ch >= 'A' && ch <= 'F') d = ch - 'A' + 10;
    if (d < 0) return false;
    v = v * (hex ? 16 : 10) + static_cast<unsigned long>(d);
  }
  if (v > 0xFFFF) return false;
  id = static_cast<int>(v);
  return true;
}

bool SplitPair(const std::string& text, int& id, std::string& value) {
  const std::size_t eq = text.find('=');
  if (eq == std::string::npos || !ParseId(text.substr(0, eq), id)) return false;
  value = text.substr(eq + 1);
  return true;
}

// Checks an action's argument before anything opens; empty when it is sound, else what is wrong.
std::string CheckAction(const Action& a) {
  int id = 0;
  std::string value;
  if (a.name == "--page" && !ParseId(a.value, id)) return "--page needs a page id, not \"" + a.value + "\"";
  if (a.name == "--click" && !ParseId(a.value, id)) return "--click needs a control id, not \"" + a.value + "\"";
  if ((a.name == "--select" || a.name == "--type") && !SplitPair(a.value, id, value))
    return a.name + " needs CONTROL=" + (a.name == "--select" ? "VALUE" : "TEXT") + " with a control id, not \"" +
           a.value + "\"";
  if ((a.name == "--scroll" || a.name == "--key") && !SplitPair(a.value, id, value))
    return a.name + " needs CONTROL=" + (a.name == "--scroll" ? "PART" : "KEY") + " with a control id, not \"" +
           a.value + "\"";
  if (a.name == "--click-item" && !SplitPair(a.value, id, value))
    return "--click-item needs CONTROL=ITEM with a control id, not \"" + a.value + "\"";
  if ((a.name == "--help" || a.name == "--context-menu" || a.name == "--focus") && !ParseId(a.value, id))
    return a.name + " needs a control id, not \"" + a.value + "\"";
  if (a.name == "--hover") {
    const std::size_t eq = a.value.find('=');
    int x = 0, y = 0;
    char rest = 0;
    if (!ParseId(a.value.substr(0, eq), id) ||
        (eq != std::string::npos && std::sscanf(a.value.c_str() + eq + 1, "%d,%d%c", &x, &y, &rest) != 2))
      return "--hover needs CONTROL or CONTROL=X,Y with a control id, not \"" + a.value + "\"";
  }
  if (a.name == "--wait" && (a.value.empty() || a.value.size() > 9 || a.value.find_first_not_of("0123456789") != std::string::npos))
    return "--wait needs a number of milliseconds, not \"" + a.value + "\"";
  return {};
}

bool SelectByValue(HWND w, const std::string& value) {
  if (!w) return false;
  const std::string cls = ClassOf(w);
  if (cls != "ComboBox" && cls != "ListBox") return false;
  // The text a person reads, then the text the list keeps, then a value id.
  const std::vector<std::u16string> shown = plat::ui::ItemsAsDrawn(w);
  for (std::size_t i = 0; i < shown.size(); ++i)
    if (shown[i] == U16(value)) return plat::ui::SelectItem(w, static_cast<int>(i));
  if (plat::ui::SelectItemText(w, U16(value))) return true;
  // A value id: the item whose data it is.
  int wantedId = 0;
  if (!ParseId(value, wantedId)) return false;
  const auto wanted = static_cast<DWORD>(wantedId);
  const bool combo = cls == "ComboBox";
  const auto count = static_cast<int>(SendMessageW(w, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i)
    if (static_cast<DWORD>(SendMessageW(w, combo ? CB_GETITEMDATA : LB_GETITEMDATA, static_cast<WPARAM>(i), 0)) ==
        wanted)
      return plat::ui::SelectItem(w, i);
  return false;
}

// A window a person can type into: an edit, or a combo box with an edit of its own (a
// drop-down list has none: it is chosen from, with --select).
bool TakesTyping(HWND w) {
  if (!w) return false;
  const std::string cls = ClassOf(w);
  if (cls == "Edit") return true;
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(w, GWL_STYLE));
  return cls == "ComboBox" && (style & 3u) != CBS_DROPDOWNLIST;
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

// A click on an item of a list box (its text or value id): the item is selected, then the
// list gets the button press and release over it. A combo box's item is only selected.
bool ClickItem(HWND w, const std::string& value) {
  if (!w || !plat::ui::Enabled(w) || !plat::ui::Visible(w) || !SelectByValue(w, value)) return false;
  if (ClassOf(w) != "ListBox") return true;
  const auto at = static_cast<int>(SendMessageW(w, LB_GETCURSEL, 0, 0));
  RECT r{};
  if (at < 0 || SendMessageW(w, LB_GETITEMRECT, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&r)) == LB_ERR)
    return false;
  const LPARAM point = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, point);
  SendMessageW(w, WM_LBUTTONUP, 0, point);
  return true;
}

// Activates the one page with this id, as a click on its tab does; the sheet stays where it
// is when it has no such page.
bool SelectSheetPage(HWND modal, int pageId) {
  for (int i = 0; SendMessageW(modal, PSM_INDEXTOPAGE, static_cast<WPARAM>(i), 0); ++i)
    if (static_cast<int>(SendMessageW(modal, PSM_INDEXTOID, static_cast<WPARAM>(i), 0)) == pageId)
      return plat::ui::SelectPage(modal, i) && GetDlgCtrlID(CurrentPage(modal)) == pageId;
  return false;
}

struct Outcome {
  std::vector<bool> ran;
  bool failed = false;
};
Outcome g_outcome;

void Perform(const Action& a) {
  HWND modal = plat::ui::ActiveModal();
  HWND page = CurrentPage(modal);
  bool ok = modal != nullptr;
  int id = 0;
  std::string value;
  if (a.name == "--page") {
    ok = ok && ParseId(a.value, id) && SelectSheetPage(modal, id);
  } else if (a.name == "--click") {
    HWND c = ok && ParseId(a.value, id) ? plat::ui::FindControl(page, id) : nullptr;
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
  } else if (a.name == "--click-item") {
    ok = ok && SplitPair(a.value, id, value) && ClickItem(plat::ui::FindControl(page, id), value);
  } else if (a.name == "--focus") {
    HWND w = ParseId(a.value, id) ? plat::ui::FindControl(page, id) : nullptr;
    ok = ok && w && plat::ui::Enabled(w) && plat::ui::Visible(w);
    if (ok) SetFocus(w);
  } else if (a.name == "--type") {
    HWND edit = nullptr;
    ok = ok && SplitPair(a.value, id, value) && TakesTyping(edit = plat::ui::FindControl(page, id)) &&
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
  } else if (a.name == "--help") {
    ok = ok && ParseId(a.value, id) && plat::ui::AskHelp(plat::ui::FindControl(page, id));
  } else if (a.name == "--context-menu") {
    HWND c = ok && ParseId(a.value, id) ? plat::ui::FindControl(page, id) : nullptr;
    RECT r{};
    if (c) GetClientRect(c, &r);
    ok = ok && plat::ui::OpenContextMenu(c, r.right / 2, r.bottom / 2);
  } else if (a.name == "--hover") {
    // CONTROL or CONTROL=X,Y (in the control's client area; the middle without).
    const std::size_t eq = a.value.find('=');
    HWND c = ok && ParseId(a.value.substr(0, eq), id) ? plat::ui::FindControl(page, id) : nullptr;
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
  if (!ok) g_outcome.failed = true;
  std::printf("%s %s%s\n", a.name.c_str(), a.value.c_str(), ok ? "" : "  (could not be done)");
  ShowHelpAndTips();
  if (a.name != "--ok" && a.name != "--cancel") ShowPage(("after " + a.name).c_str());
}

void QueueFileChoice(const Action& a) {
  if (a.name == "--file-cancel") {
    plat::ui::QueueFileDialogCancel();
  } else if (a.name == "--file") {
    plat::ui::QueueFileDialogPath(U16(a.value));
  } else {
    std::vector<std::u16string> names;
    std::size_t start = 0;
    while (start <= a.value.size()) {
      std::size_t comma = a.value.find(',', start);
      if (comma == std::string::npos) comma = a.value.size();
      if (comma > start) names.push_back(U16(a.value.substr(start, comma - start)));
      start = comma + 1;
    }
    plat::ui::QueueFileDialogNames(names);
  }
  std::printf("%s %s\n", a.name.c_str(), a.value.c_str());
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
  std::string devmodeFile, outFile, pngFile;
  bool store = false;
  std::vector<Action> actions;
  for (std::size_t i = 3; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool takesValue = a == "--devmode" || a == "--out" || a == "--png" || a == "--page" || a == "--click" ||
                            a == "--scroll" || a == "--key" ||
                            a == "--select" || a == "--type" || a == "--answer" || a == "--help" ||
                            a == "--context-menu" || a == "--hover" || a == "--wait" || a == "--file" ||
                            a == "--files" || a == "--click-item" || a == "--focus";
    if (a == "--store") {
      if (!document) {
        std::fprintf(stderr, "drvhost: --store keeps a document sheet's result; the device sheet stores its own\n%s",
                     kUsage);
        return kExitUsage;
      }
      store = true;
      continue;
    }
    if (!takesValue && a != "--ok" && a != "--cancel" && a != "--apply" && a != "--file-cancel") {
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
    else if (a == "--png") pngFile = value;
    else if (a == "--answer" && !AnswerOf(value)) {
      std::fprintf(stderr, "drvhost: --answer takes ok, cancel, yes or no\n");
      return kExitUsage;
    } else actions.push_back({a, value});
  }
  for (const Action& a : actions) {
    const std::string wrong = CheckAction(a);
    if (!wrong.empty()) {
      std::fprintf(stderr, "drvhost: %s\n%s", wrong.c_str(), kUsage);
      return kExitUsage;
    }
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
    std::fprintf(stderr, "drvhost: %s\n", PrinterOpenError(args[1], args[0], GetLastError()).c_str());
    return kExitFailed;
  }
  std::vector<BYTE> input;
  if (!devmodeFile.empty()) {
    if (!ReadDevmodeFile(devmodeFile, input, error)) {
      std::fprintf(stderr, "drvhost: %s\n", error.c_str());
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
      auto pictures = std::make_shared<Pictures>();
      pictures->pattern = pngFile;
      plat::ui::QueueStep([pictures] {
        ShowPage("opened");
        TakePicture(*pictures, 0);
      });
      bool closed = false;
      g_outcome = Outcome{};
      g_outcome.ran.assign(actions.size(), false);
      int performed = 0;
      for (std::size_t k = 0; k < actions.size(); ++k) {
        const Action& a = actions[k];
        if (a.name == "--answer") {
          const int answer = AnswerOf(a.value);
          plat::ui::QueueStep([answer, k] {
            g_outcome.ran[k] = true;
            plat::ui::QueueMessageBoxAnswer(answer);
          });
          continue;
        }
        // The next file dialog's choice: a path, several names in its folder, or Cancel.
        if (a.name == "--file" || a.name == "--files" || a.name == "--file-cancel") {
          plat::ui::QueueStep([a, k] {
            g_outcome.ran[k] = true;
            QueueFileChoice(a);
          });
          continue;
        }
        closed = a.name == "--ok" || a.name == "--cancel";
        const int index = ++performed;
        // A closing action leaves the picture of the sheet as the person last saw it.
        plat::ui::QueueStep([a, k, closed, index, pictures] {
          g_outcome.ran[k] = true;
          Perform(a);
          if (!closed) TakePicture(*pictures, index);
        });
      }
      // A sheet the actions leave open is closed as the person would close it: Cancel.
      if (!closed) plat::ui::QueueStep([] { Perform({"--cancel", ""}); });
      DWORD result = 0;
      const LONG answer = run(nullptr, sheetFn,
                              document ? reinterpret_cast<LPARAM>(&docHeader) : reinterpret_cast<LPARAM>(&devHeader),
                              &result);
      for (const plat::ui::FileDialogRecord& d : plat::ui::FileDialogs()) {
        std::u16string filter = d.filter;
        for (char16_t& c : filter)
          if (c == 0) c = u'|';
        std::printf("file dialog %s: title %s, folder %s, filter %s, %s\n", d.save ? "save" : "open",
                    Quoted(d.title).c_str(), Quoted(d.initialDir).c_str(), Quoted(filter).c_str(),
                    d.answered ? "answered" : "not answered");
      }
      for (const plat::ui::MessageBoxRecord& box : plat::ui::MessageBoxes())
        std::printf("box %s: %s (type 0x%X, answer %d)\n", Quoted(box.caption).c_str(), Quoted(box.text).c_str(),
                    box.type, box.answer);
      std::printf("sheet: %s, result %lu\n", answer == CPSUI_OK ? "OK" : answer == CPSUI_CANCEL ? "Cancel" : "failed",
                  static_cast<unsigned long>(result));
      if (answer < 0) rc = kExitFailed;
      // What the person would have done after the sheet closed was never done.
      for (std::size_t k = 0; k < actions.size(); ++k) {
        if (g_outcome.ran[k]) continue;
        std::printf("%s %s  (not run: the sheet had closed)\n", actions[k].name.c_str(), actions[k].value.c_str());
        g_outcome.failed = true;
      }
      if (g_outcome.failed) {
        std::fprintf(stderr, "drvhost: not every action could be done\n");
        rc = kExitFailed;
      }
      // Accepted document settings become the printer's default device-mode, as the
      // printing preferences keep them, for the jobs that bring none of their own.
      if (store && document) {
        const auto* dm = output.size() >= sizeof(DEVMODEW) ? reinterpret_cast<const DEVMODEW*>(output.data()) : nullptr;
        const std::size_t size = dm ? static_cast<std::size_t>(dm->dmSize) + dm->dmDriverExtra : 0;
        if (answer != CPSUI_OK) {
          std::printf("device-mode not stored: the sheet was cancelled\n");
        } else if (size < sizeof(DEVMODEW) || size > output.size()) {
          std::fprintf(stderr, "drvhost: the sheet wrote no device-mode to store\n");
          rc = kExitFailed;
        } else {
          std::vector<BYTE> kept(output.begin(), output.begin() + static_cast<std::ptrdiff_t>(size));
          PRINTER_INFO_8W info{reinterpret_cast<DEVMODEW*>(kept.data())};
          if (!SetPrinterW(printer, 8, reinterpret_cast<LPBYTE>(&info), 0)) {
            std::fprintf(stderr, "drvhost: cannot store the printer's device-mode (%s)\n",
                ErrorText(GetLastError()).c_str());
            rc = kExitFailed;
          } else {
            std::printf("device-mode stored as the printer's default (%zu bytes)\n", size);
          }
        }
      }
      if (!pngFile.empty() && (!pictures->error.empty() || pictures->taken == 0)) {
        std::fprintf(stderr, "drvhost: no picture of the sheet: %s\n",
                     pictures->error.empty() ? "the sheet did not open" : pictures->error.c_str());
        rc = kExitFailed;
      }
      if (!outFile.empty() && document) {
        // A cancelled sheet leaves the application's device-mode as it was.
        if (answer != CPSUI_OK) output.assign(input.begin(), input.end());
        const auto* dm = output.size() >= sizeof(DEVMODEW) ? reinterpret_cast<const DEVMODEW*>(output.data()) : nullptr;
        const std::size_t size = dm ? static_cast<std::size_t>(dm->dmSize) + dm->dmDriverExtra : 0;
        if (size == 0 || size > output.size()) {
          std::fprintf(stderr, "drvhost: the sheet wrote no device-mode\n");
          rc = kExitFailed;
        } else {
          std::ofstream out(outFile, std::ios::binary);
          if (out) out.write(reinterpret_cast<const char*>(output.data()), static_cast<std::streamsize>(size));
          if (out) out.close();
          if (!out) {
            std::fprintf(stderr, "drvhost: cannot write the device-mode to %s\n", outFile.c_str());
            rc = kExitFailed;
          } else {
            std::printf("device-mode written to %s (%zu bytes)\n", outFile.c_str(), size);
          }
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
