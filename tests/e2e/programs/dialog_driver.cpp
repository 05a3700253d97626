// Drives the Kavelo2 Settings dialog from the outside through its controls, as a user's clicks
// would reach them, and reads them back. One command a run; what it reads goes to standard
// output, escaped as the record lines are (one line each).
//
//   dialog_driver find                   waits for the dialog; prints its title
//   dialog_driver title                  prints the dialog's title
//   dialog_driver text CONTROL           prints a control's text
//   dialog_driver set-text CONTROL TEXT  sets an edit control's text, as typing does
//   dialog_driver select CONTROL ITEM    selects the list item whose text is ITEM
//   dialog_driver deselect CONTROL ITEM  deselects it
//   dialog_driver selected CONTROL       prints the selected items' texts, comma-separated (of a
//                                        list, or the chosen item of a drop-down list)
//   dialog_driver check CONTROL 0|1      sets a check box, as a click does
//   dialog_driver checked CONTROL        prints 1 when a check box is ticked, else 0
//   dialog_driver choose CONTROL ITEM    chooses the item of a drop-down list whose text is ITEM
//   dialog_driver click CONTROL          presses a button (without waiting for what it opens)
//   dialog_driver wait-enabled CONTROL   waits until a control is enabled again
//   dialog_driver box ANSWER             waits for a message box of the dialog; prints caption
//                                        and text; answers it (ok, yes, no or cancel), or leaves
//                                        it open (open)
//   dialog_driver launcher-box ANSWER [MS]  the same for a box without owner that another
//                                        program (the launcher being tried) shows, answered MS
//                                        milliseconds after it is seen (500 unless given); with 0
//                                        it is looked for every millisecond and answered at once
//   dialog_driver startup-box ANSWER     the same for a box that the settings program shows
//                                        before its window: prints caption, text and its owner
//                                        ("no owner", "a hidden window" or "a window")
//   dialog_driver wait-gone              waits until the dialog has closed
//   dialog_driver keys KEY...            types keys as a keyboard does, into whatever window has
//                                        the focus: a, 1, space, down, tab, escape, enter, f1, f4,
//                                        with alt+, ctrl+ or shift+ in front
//   dialog_driver menu ITEM              chooses a menu item: open, save, save-as, guide, about,
//                                        restore
//   dialog_driver file-dialog PATH       types PATH into the file dialog of the dialog,
//                                        presses its OK button and waits until it has closed
//   dialog_driver frame                  prints the dialog's frame and the work area:
//                                        "LEFT TOP RIGHT BOTTOM in LEFT TOP RIGHT BOTTOM"
//   dialog_driver active                 prints 1 when the dialog is the active window, else 0
//   dialog_driver focus                  prints the name of the control with the focus
//   dialog_driver window PREFIX          waits for a top-level window whose title begins with
//                                        PREFIX (one the dialog opened); prints its title and
//                                        closes it
//   dialog_driver clipped                prints, one a line, the text of each label and check box
//                                        of the dialog that its control is too small to show
//   dialog_driver rows CONTROL           prints how many lines of text an edit control shows
//
// CONTROL is a control's name below. Exit status 0, 1 when the dialog or box does not appear or
// an item does not exist, 2 on a usage error; a failure with status 1 always prints why.
#include "tools/kavelo2-settings/resource_ids.h"

#include "tests/e2e/programs/record_text.h"
#include "tests/e2e/programs/typed_keys.h"

#include <windows.h>

#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr DWORD kTimeoutMs = 15000;
constexpr UINT kAnswerMs = 5000;

struct Control {
  const char* name;
  int id;
};

constexpr Control kControls[] = {
    {"file", IDC_FILE_PATH},       {"form", IDC_FILE_FORM},       {"modes", IDC_MODES},
    {"widths", IDC_WIDTHS},        {"heights", IDC_HEIGHTS},      {"depths", IDC_DEPTHS},
    {"rates", IDC_RATES},          {"strict", IDC_STRICT},        {"backdrop", IDC_BACKDROP},
    {"application", IDC_APPLICATION}, {"browse", IDC_BROWSE},     {"explanation", IDC_EXPLANATION},
    {"try-report", IDC_TRY_REPORT}, {"try", IDC_TRY},             {"save", IDC_SAVE},
    {"ok", IDOK},                  {"cancel", IDCANCEL},          {"colour", IDC_COLOUR},
    {"run-640x480", IDC_RUN_640X480}, {"no-full-screen-optimisations", IDC_NO_FULL_SCREEN_OPTIMISATIONS},
    {"layers-note", IDC_LAYERS_NOTE}, {"wait-all", IDC_WAIT_ALL},  {"try-label", IDC_TRY_REPORT_LABEL},
};

int ControlId(const char* name) {
  for (const Control& control : kControls) {
    if (std::strcmp(control.name, name) == 0) return control.id;
  }
  return 0;
}

bool IsDialogClass(HWND window) {
  char className[32] = "";
  GetClassNameA(window, className, sizeof className);
  return std::strcmp(className, "#32770") == 0;
}

// The settings dialog: a top-level dialog without owner whose title ends in the program's name.
BOOL CALLBACK MatchDialog(HWND window, LPARAM found) {
  char title[512] = "";
  GetWindowTextA(window, title, sizeof title);
  const std::string text = title, suffix = " - Kavelo2 Settings";
  if (IsDialogClass(window) && GetWindow(window, GW_OWNER) == nullptr && text.size() > suffix.size() &&
      text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindDialog() {
  HWND found = nullptr;
  EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

// A message box that the dialog owns: `found` holds the dialog on the way in.
BOOL CALLBACK MatchBox(HWND window, LPARAM found) {
  HWND* dialog = reinterpret_cast<HWND*>(found);
  if (IsDialogClass(window) && GetWindow(window, GW_OWNER) == *dialog && IsWindowVisible(window)) {
    *dialog = window;
    return FALSE;
  }
  return TRUE;
}

// A message box without owner of another program: `found` holds the dialog on the way in.
BOOL CALLBACK MatchLauncherBox(HWND window, LPARAM found) {
  HWND* dialog = reinterpret_cast<HWND*>(found);
  if (window != *dialog && IsDialogClass(window) && GetWindow(window, GW_OWNER) == nullptr &&
      IsWindowVisible(window) && GetDlgItem(window, 0xFFFF) != nullptr) {
    *dialog = window;
    return FALSE;
  }
  return TRUE;
}

template <typename Found>
bool WaitFor(Found found, DWORD pollMs = 50) {
  for (DWORD waited = 0; waited < kTimeoutMs; waited += pollMs) {
    if (found()) return true;
    Sleep(pollMs);
  }
  return found();
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerMs, &result);
  return static_cast<LRESULT>(result);
}

std::string WindowText(HWND window) {
  char text[8192] = "";
  Send(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

// Read as UTF-16: Wine hands an ANSI LB_GETTEXT from another process only its first character.
std::string ItemText(HWND list, int index) {
  wchar_t text[256] = L"";
  DWORD_PTR length = 0;
  if (Send(list, LB_GETTEXTLEN, index, 0) < 256) {
    SendMessageTimeoutW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        kAnswerMs, &length);
  }
  std::string narrow;
  for (const wchar_t* c = text; *c != L'\0'; ++c) narrow += *c < 128 ? static_cast<char>(*c) : '?';
  return narrow;
}

// Tells the dialog about a change that a message from outside made, as the control would.
void Notify(HWND dialog, int id, WORD code) {
  Send(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Print(const std::string& text) { std::printf("%s\n", Escape(text).c_str()); }

int SelectItem(HWND dialog, int id, const char* item, bool select) {
  HWND list = GetDlgItem(dialog, id);
  int count = static_cast<int>(Send(list, LB_GETCOUNT, 0, 0));
  for (int index = 0; index < count; ++index) {
    if (ItemText(list, index) != item) continue;
    Send(list, LB_SETSEL, select ? TRUE : FALSE, index);
    Notify(dialog, id, LBN_SELCHANGE);
    return 0;
  }
  std::printf("no item \"%s\"\n", item);
  return 1;
}

int AnswerId(const char* answer) {
  struct Button {
    const char* name;
    int id;
  };
  const Button buttons[] = {{"ok", IDOK}, {"yes", IDYES}, {"no", IDNO}, {"cancel", IDCANCEL}};
  for (const Button& button : buttons) {
    if (std::strcmp(button.name, answer) == 0) return button.id;
  }
  return 0;
}

int Answer(HWND dialog, const char* answer, bool launchers, DWORD afterMs = 500) {
  int id = AnswerId(answer);
  bool leaveOpen = !launchers && std::strcmp(answer, "open") == 0;
  if (id == 0 && !leaveOpen) return 2;
  HWND box = nullptr;
  auto find = [&] {
    HWND found = dialog;
    EnumWindows(launchers ? MatchLauncherBox : MatchBox, reinterpret_cast<LPARAM>(&found));
    return (box = found != dialog ? found : nullptr) != nullptr;
  };
  if (!WaitFor(find, launchers && afterMs == 0 ? 1 : 50)) {
    std::printf("no message box\n");
    return 1;
  }
  // The settings dialog notes a launcher's boxes as it looks for them: it is given this time to.
  if (launchers && afterMs > 0) Sleep(afterMs);
  Print(WindowText(box));
  Print(WindowText(GetDlgItem(box, 0xFFFF)));
  if (!leaveOpen) PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
  return 0;
}

// A message box of the settings program's own, shown before its window: its caption is the
// program's name.
BOOL CALLBACK MatchStartupBox(HWND window, LPARAM found) {
  char caption[64] = "";
  GetWindowTextA(window, caption, sizeof caption);
  if (IsDialogClass(window) && IsWindowVisible(window) && GetDlgItem(window, 0xFFFF) != nullptr &&
      std::strcmp(caption, "Kavelo2 Settings") == 0) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

int AnswerStartupBox(const char* answer) {
  int id = AnswerId(answer);
  if (id == 0) return 2;
  HWND box = nullptr;
  if (!WaitFor([&] { return EnumWindows(MatchStartupBox, reinterpret_cast<LPARAM>(&box)), box != nullptr; })) {
    std::printf("no message box\n");
    return 1;
  }
  HWND owner = GetWindow(box, GW_OWNER);
  Print(WindowText(box));
  Print(WindowText(GetDlgItem(box, 0xFFFF)));
  Print(owner == nullptr ? "no owner" : IsWindowVisible(owner) ? "a window" : "a hidden window");
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
  return 0;
}

// The dialog's font, made anew in `context`: its own handle belongs to the dialog's process.
HFONT DialogFont(HDC context) {
  return CreateFontA(-MulDiv(8, GetDeviceCaps(context, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                     "MS Shell Dlg");
}

// How many whole lines of the dialog's font an edit control's text area holds.
int EditRows(HWND edit) {
  RECT area;
  Send(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
  HDC context = GetDC(edit);
  HFONT font = DialogFont(context);
  HGDIOBJ before = SelectObject(context, font);
  TEXTMETRICA metrics;
  GetTextMetricsA(context, &metrics);
  SelectObject(context, before);
  DeleteObject(font);
  ReleaseDC(edit, context);
  return static_cast<int>((area.bottom - area.top) / metrics.tmHeight);
}

// How far a disabled control's text reaches in the shadow colour when it is drawn greyed, as the
// controls draw it (DrawState's disabled look), in pixels from its left edge. The control draws it
// in a box as wide as the text measures: the greyed drawing may reach further, and is cut there.
LONG GreyedReach(HDC context, const std::string& text, LONG height) {
  const LONG room = 1000;
  HDC memory = CreateCompatibleDC(context);
  HBITMAP bitmap = CreateCompatibleBitmap(context, room, height);
  HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
  HGDIOBJ oldFont = SelectObject(memory, GetCurrentObject(context, OBJ_FONT));
  RECT all = {0, 0, room, height};
  const COLORREF face = GetSysColor(COLOR_3DFACE), highlight = GetSysColor(COLOR_3DHILIGHT);
  HBRUSH faceBrush = CreateSolidBrush(face);
  FillRect(memory, &all, faceBrush);
  DeleteObject(faceBrush);
  DrawStateA(memory, nullptr, nullptr, reinterpret_cast<LPARAM>(text.c_str()), 0, 0, 0, room, height,
             DST_PREFIXTEXT | DSS_DISABLED);
  LONG reach = 0;
  for (LONG x = room - 1; x >= 0 && reach == 0; --x) {
    for (LONG y = 0; y < height; ++y) {
      COLORREF pixel = GetPixel(memory, x, y);
      if (pixel != face && pixel != highlight) {
        reach = x + 1;
        break;
      }
    }
  }
  SelectObject(memory, oldFont);
  SelectObject(memory, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(memory);
  return reach;
}

// The labels and check boxes of the dialog whose text does not fit their control, measured with
// the control's own font: a check box's text starts after its box, a label of one line's height
// must hold its text on that line, and a taller one in its lines; a greyed one is drawn in the box
// its text measures, which its greyed drawing must not overrun.
BOOL CALLBACK NoteClipped(HWND control, LPARAM clipped) {
  char className[32] = "";
  GetClassNameA(control, className, sizeof className);
  LONG style = GetWindowLongA(control, GWL_STYLE);
  LONG type = style & BS_TYPEMASK;
  bool checkBox = std::strcmp(className, "Button") == 0 && (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX);
  bool label = std::strcmp(className, "Static") == 0 && (style & SS_TYPEMASK) == SS_LEFT;
  std::string text = WindowText(control);
  if ((!checkBox && !label) || text.empty()) return TRUE;
  RECT client;
  GetClientRect(control, &client);
  LONG width = client.right - (checkBox ? GetSystemMetrics(SM_CXMENUCHECK) + 4 : 0);
  HDC context = GetDC(control);
  HFONT dialogFont = DialogFont(context);
  HGDIOBJ font = SelectObject(context, dialogFont);
  RECT line = {0, 0, width, 0};
  DrawTextA(context, "X", -1, &line, DT_CALCRECT | DT_SINGLELINE);
  bool oneLine = checkBox || client.bottom < 2 * line.bottom;
  RECT needed = {0, 0, width, 0};
  DrawTextA(context, text.c_str(), -1, &needed, DT_CALCRECT | (oneLine ? DT_SINGLELINE : DT_WORDBREAK));
  bool overrun = oneLine && !IsWindowEnabled(control) && GreyedReach(context, text, line.bottom) > needed.right;
  SelectObject(context, font);
  DeleteObject(dialogFont);
  ReleaseDC(control, context);
  if (needed.right > width || (!oneLine && needed.bottom > client.bottom) || overrun) {
    reinterpret_cast<std::vector<std::string>*>(clipped)->push_back(text);
  }
  return TRUE;
}

// A visible top-level window whose title begins with the text `found` points to on the way in.
BOOL CALLBACK MatchTitle(HWND window, LPARAM found) {
  auto* match = reinterpret_cast<std::pair<const char*, HWND>*>(found);
  char title[512] = "";
  GetWindowTextA(window, title, sizeof title);
  if (IsWindowVisible(window) && std::strncmp(title, match->first, std::strlen(match->first)) == 0) {
    match->second = window;
    return FALSE;
  }
  return TRUE;
}

int CloseWindowTitled(const char* prefix) {
  std::pair<const char*, HWND> match = {prefix, nullptr};
  auto find = [&] {
    EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&match));
    return match.second != nullptr;
  };
  if (!WaitFor(find)) {
    std::printf("no window\n");
    return 1;
  }
  Print(WindowText(match.second));
  PostMessageA(match.second, WM_CLOSE, 0, 0);
  return 0;
}

struct MenuItem {
  const char* name;
  int id;
};

constexpr MenuItem kMenuItems[] = {{"open", IDM_OPEN},   {"save", IDM_SAVE},   {"save-as", IDM_SAVE_AS},
                                   {"guide", IDM_GUIDE}, {"about", IDM_ABOUT}, {"restore", IDM_RESTORE_DISPLAY}};

// The file dialog the settings dialog opened: owned by it, with a file name field.
int TypeIntoFileDialog(HWND dialog, const char* path) {
  constexpr int kFileNameIds[] = {0x47C, 0x480};  // the combo box of the newer layout, the edit of the older
  HWND fileDialog = nullptr, field = nullptr;
  auto find = [&] {
    HWND found = dialog;
    EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&found));
    if (found == dialog) return false;
    for (int id : kFileNameIds) field = field != nullptr ? field : GetDlgItem(found, id);
    fileDialog = found;
    return field != nullptr;
  };
  if (!WaitFor(find)) {
    std::printf("no file dialog\n");
    return 1;
  }
  Send(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path));
  PostMessageA(fileDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(fileDialog, IDOK)));
  // Gone before the next command looks for the dialog's boxes, which a closing file dialog, being
  // one of the dialog's own windows too, would otherwise stand in for on a loaded machine.
  if (!WaitFor([&] { return !IsWindow(fileDialog); })) {
    std::printf("the file dialog stays\n");
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string command = argv[1];
  if (command == "startup-box" && argc == 3) return AnswerStartupBox(argv[2]);
  // A dialog that has closed already is gone at once, not after waiting for it to appear.
  if (command == "wait-gone") {
    if (WaitFor([] { return FindDialog() == nullptr; })) return 0;
    std::printf("the dialog stays\n");
    return 1;
  }
  HWND dialog = nullptr;
  if (!WaitFor([&] { return (dialog = FindDialog()) != nullptr; })) {
    std::printf("no dialog\n");
    return 1;
  }
  int id = argc > 2 ? ControlId(argv[2]) : 0;
  HWND control = id != 0 ? GetDlgItem(dialog, id) : nullptr;
  if (command == "find" || command == "title") {
    Print(WindowText(dialog));
  } else if (command == "box" && argc == 3) {
    return Answer(dialog, argv[2], false);
  } else if (command == "launcher-box" && (argc == 3 || argc == 4)) {
    return Answer(dialog, argv[2], true, argc == 4 ? static_cast<DWORD>(std::atoi(argv[3])) : 500);
  } else if (command == "clipped") {
    std::vector<std::string> clipped;
    EnumChildWindows(dialog, NoteClipped, reinterpret_cast<LPARAM>(&clipped));
    for (const std::string& text : clipped) Print(text);
  } else if (command == "keys") {
    return TypeKeys(argc - 2, argv + 2);
  } else if (command == "menu" && argc == 3) {
    for (const MenuItem& item : kMenuItems) {
      if (std::strcmp(item.name, argv[2]) == 0) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(item.id, 0), 0);
        return 0;
      }
    }
    return 2;
  } else if (command == "window" && argc == 3) {
    return CloseWindowTitled(argv[2]);
  } else if (command == "file-dialog" && argc == 3) {
    return TypeIntoFileDialog(dialog, argv[2]);
  } else if (command == "frame") {
    RECT frame, area;
    GetWindowRect(dialog, &frame);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    std::printf("%ld %ld %ld %ld in %ld %ld %ld %ld\n", frame.left, frame.top, frame.right, frame.bottom, area.left,
                area.top, area.right, area.bottom);
  } else if (command == "active") {
    std::printf("%d\n", GetForegroundWindow() == dialog ? 1 : 0);
  } else if (command == "focus") {
    GUITHREADINFO thread;
    ZeroMemory(&thread, sizeof(thread));
    thread.cbSize = sizeof(thread);
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread);
    const char* name = "none";
    for (const Control& each : kControls) {
      if (thread.hwndFocus != nullptr && thread.hwndFocus == GetDlgItem(dialog, each.id)) name = each.name;
    }
    Print(name);
  } else if (control == nullptr) {
    return 2;
  } else if (command == "text") {
    Print(WindowText(control));
  } else if (command == "set-text" && argc == 4) {
    Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[3]));
    Notify(dialog, id, EN_CHANGE);
  } else if ((command == "select" || command == "deselect") && argc == 4) {
    return SelectItem(dialog, id, argv[3], command == "select");
  } else if (command == "selected" && Send(control, CB_GETCOUNT, 0, 0) > 0) {
    wchar_t item[256] = L"";
    LRESULT index = Send(control, CB_GETCURSEL, 0, 0);
    DWORD_PTR ignored = 0;
    if (index >= 0 && Send(control, CB_GETLBTEXTLEN, index, 0) < 256) {
      SendMessageTimeoutW(control, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(item), SMTO_ABORTIFHUNG, kAnswerMs,
                          &ignored);
    }
    std::string narrow;
    for (const wchar_t* c = item; *c != L'\0'; ++c) narrow += *c < 128 ? static_cast<char>(*c) : '?';
    Print(narrow);
  } else if (command == "rows") {
    std::printf("%d\n", EditRows(control));
  } else if (command == "checked") {
    std::printf("%d\n", Send(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
  } else if (command == "selected") {
    std::string items;
    int count = static_cast<int>(Send(control, LB_GETCOUNT, 0, 0));
    bool multiple = (GetWindowLongA(control, GWL_STYLE) & LBS_MULTIPLESEL) != 0;
    int current = static_cast<int>(Send(control, LB_GETCURSEL, 0, 0));
    for (int index = 0; index < count; ++index) {
      bool selected = multiple ? Send(control, LB_GETSEL, index, 0) > 0 : index == current;
      if (selected) items += (items.empty() ? "" : ",") + ItemText(control, index);
    }
    Print(items);
  } else if (command == "choose" && argc == 4) {
    int count = static_cast<int>(Send(control, CB_GETCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
      wchar_t item[256] = L"";
      if (Send(control, CB_GETLBTEXTLEN, index, 0) >= 256) continue;
      DWORD_PTR ignored = 0;
      SendMessageTimeoutW(control, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(item), SMTO_ABORTIFHUNG, kAnswerMs,
                          &ignored);
      std::string narrow;
      for (const wchar_t* c = item; *c != L'\0'; ++c) narrow += *c < 128 ? static_cast<char>(*c) : '?';
      if (narrow != argv[3]) continue;
      Send(control, CB_SETCURSEL, index, 0);
      Notify(dialog, id, CBN_SELCHANGE);
      return 0;
    }
    std::printf("no item \"%s\"\n", argv[3]);
    return 1;
  } else if (command == "check" && argc == 4) {
    Send(control, BM_SETCHECK, argv[3][0] == '1' ? BST_CHECKED : BST_UNCHECKED, 0);
    Notify(dialog, id, BN_CLICKED);
  } else if (command == "click") {
    // Posted: a button that opens a message box would hold a sent message until it closes.
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
  } else if (command == "wait-enabled") {
    if (WaitFor([&] { return IsWindowEnabled(control) != FALSE; })) return 0;
    std::printf("it stays disabled\n");
    return 1;
  } else {
    return 2;
  }
  return 0;
}
