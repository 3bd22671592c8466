// Glimmerset.exe driven from outside, as a user would: the real program is started as its
// own process, keys and mouse clicks go through SendInput, and what it did is read back
// with standard window messages and from the pseudo-terminal behind COM1.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <utility>
#include <vector>

#include "drive.h"
#include "ptyhost_client.h"
#include "tests/win/console_run.h"

#ifndef GLIMMERSET_EXE
#error "GLIMMERSET_EXE must name the built Glimmerset.exe (a Unix path)"
#endif

static const wchar_t MAIN_TITLE[] = L"Glimmerset v1.1 (www.glimmerset.example)";
static const int ID_PORT = 1012, ID_DELAY = 205, ID_BAUD_9600 = 135, ID_BAUD_2400 = 140;
static const int ID_SHOW_STARTUP = 145, ID_WRITE_PROTECT = 190, ID_OLD_MODE = 195;
static const int ID_BRIGHT_25 = 210, ID_BRIGHT_75 = 220, ID_BRIGHT_100 = 225;
static const int ID_SEND_TEXT = 250, ID_STORE_TO_EE = 255, ID_NO_AUTO_DIM = 270;
static const int ID_FOUR_LINES = 260, ID_TWO_LINES = 265;
static const int ID_LINES[4] = {230, 235, 240, 245};

// Bound of every wait: far beyond what a loaded machine needs (a start takes well under a
// second), so that only a program that never gets there fails.
static const DWORD WAIT_MS = 20000;

// After the screen message: the store command (ESC "X0"), then the 10-byte configuration
// command of the initial options (100% brightness, no start-up screen, no delay, no modes).
static const std::string STORE("\x1b\x58\x30", 3);
static const std::string CONFIGURATION("\x1b\x57\x83\x80\x80\x80\x80\x80\x80\x80", 10);

// Returns what a 20x4 display module makes of a run with the initial options that sent and
// stored <screen> (text only, 20 to a line): the pty host's JSON view of it.
static std::string module_view(const std::string& screen) {
  std::string lines = "[";
  for (size_t at = 0; at < 80; at += 20)
    lines += (at ? ",\"" : "\"") + (screen + std::string(80, ' ')).substr(at, 20) + "\"";
  lines += "]";
  return "{\"screen\":" + lines + ",\"stored_screen\":" + lines +
         ",\"config\":{\"brightness\":100,\"startup_screen\":false,\"delay_s\":0,"
         "\"old_mode\":false,\"write_protect\":false,\"auto_dim\":true},\"anomalies\":[]}";
}

// Returns the program path as Windows sees it.
static std::wstring exe_path(void) { return windows_path(GLIMMERSET_EXE); }

// Returns the control id of the focused control of <window>, or 0.
static int focus_id(HWND window) {
  HWND focus = focus_of(window);
  return focus && GetParent(focus) == window ? GetDlgCtrlID(focus) : 0;
}

// Returns the text of control <id> of another process's window.
static std::wstring control_text(HWND window, int id) {
  return control_text(GetDlgItem(window, id));
}

// Returns the BM_GETCHECK state of button <id>.
static LRESULT check_of(HWND window, int id) {
  return SendMessageW(GetDlgItem(window, id), BM_GETCHECK, 0, 0);
}

// The program under test and its window; one per test, ended by TearDown in any case.
class Glimmerset : public ::testing::Test {
 protected:
  PROCESS_INFORMATION process_ = {};
  HWND window_ = NULL;

  void TearDown() override { end_process(); }

  // Ends the program if it still runs (TerminateProcess as the last resort) and forgets
  // it. Returns nothing.
  void end_process(void) {
    if (!process_.hProcess) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_.hProcess, 99);
      WaitForSingleObject(process_.hProcess, WAIT_MS);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
    process_ = {};
    window_ = NULL;
  }

  // Starts Glimmerset.exe and returns once its window is visible; fails the test (and
  // returns false) otherwise. With <activate> false the program's first ShowWindow shows
  // the window without activating it, as the platform does when the starter asks for that.
  bool start_in_background(bool activate = true) {
    std::wstring path = exe_path();
    std::wstring command = L"\"" + path + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (!activate) {
      startup.dwFlags = STARTF_USESHOWWINDOW;
      startup.wShowWindow = SW_SHOWNOACTIVATE;
    }
    if (!CreateProcessW(path.c_str(), &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                        &process_)) {
      ADD_FAILURE() << "CreateProcessW(" << testing::PrintToString(path) << ") failed, error "
                    << GetLastError();
      return false;
    }
    WaitForInputIdle(process_.hProcess, WAIT_MS);
    DWORD pid = process_.dwProcessId;
    if (!wait_until([&] { return (window_ = find_dialog(pid, MAIN_TITLE)) != NULL; }, WAIT_MS)) {
      ADD_FAILURE() << "no visible window titled \"Glimmerset v1.1 ...\" within " << WAIT_MS
                    << " ms";
      return false;
    }
    return true;
  }

  // Starts Glimmerset.exe and returns once its window is visible, in front, and has put
  // the focus in a control; fails the test (and returns false) otherwise.
  bool start(void) { return start_in_background() && bring_to_front(); }

  // Returns true once the main window is the foreground window and a control in it has
  // the focus; fails the test otherwise.
  bool bring_to_front(void) {
    bool ok =
        ::bring_to_front(window_) && wait_until([&] { return focus_id(window_) != 0; }, WAIT_MS);
    if (!ok)
      ADD_FAILURE() << "the main window did not come to the front with a focused control"
                    << " (foreground " << GetForegroundWindow() << ", main " << window_ << ")";
    return ok;
  }

  // Waits for the "Done" box, checks its text, closes it with OK and checks that the main
  // window is back in front with the focus in control <focus>; fails the test otherwise.
  void dismiss_done_box(const char* input, int focus) {
    HWND box = NULL;
    DWORD pid = process_.dwProcessId;
    if (!wait_until([&] { return (box = find_dialog(pid, L"Done")) != NULL; }, WAIT_MS)) {
      ADD_FAILURE() << input << ": no \"Done\" message box within " << WAIT_MS << " ms";
      return;
    }
    wchar_t text[256] = L"";
    GetDlgItemTextW(box, 0xFFFF, text, 256);
    EXPECT_STREQ(L"Configuration complete.", text) << input << ": text of the \"Done\" box";
    EXPECT_FALSE(IsWindowEnabled(window_)) << input << ": main window while the box shows";
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(wait_until([&] { return !IsWindow(box) && IsWindowEnabled(window_); }, WAIT_MS))
        << input << ": the box did not close on OK, or the main window stayed disabled";
    EXPECT_TRUE(wait_until([&] { return GetForegroundWindow() == window_; }, WAIT_MS))
        << input << ": the main window is not in front after the box (foreground "
        << GetForegroundWindow() << ", main " << window_ << ")";
    EXPECT_TRUE(wait_until([&] { return focus_id(window_) == focus; }, WAIT_MS))
        << input << ": focus after the box: " << focus_id(window_) << ", expected " << focus;
  }

  // Closes the program with Alt+F4 and checks that it ends at once with exit code 0.
  void close_with_alt_f4(const char* input) {
    ASSERT_TRUE(bring_to_front()) << input;
    ASSERT_TRUE(input_alt_f4()) << input << ": SendInput error " << GetLastError();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process_.hProcess, WAIT_MS))
        << input << ": the program still runs " << WAIT_MS << " ms after Alt+F4";
    DWORD code = 12345;
    GetExitCodeProcess(process_.hProcess, &code);
    EXPECT_EQ(0u, code) << input << ": exit code after Alt+F4";
  }
};

TEST_F(Glimmerset, StartsInItsInitialStateAndSendsItOnEnter) {
  ASSERT_TRUE(pty_fresh(1));
  ASSERT_TRUE(start());
  EXPECT_EQ(ID_DELAY, focus_id(window_)) << "focus when the window first becomes active";
  EXPECT_EQ(L"1", control_text(window_, ID_PORT)) << "port field";
  static const struct {
    int id;
    const char* name;
  } CHECKED[] = {{ID_BAUD_9600, "9600"},
                 {ID_BRIGHT_100, "100%"},
                 {ID_SEND_TEXT, "send text"},
                 {ID_STORE_TO_EE, "store to EE"},
                 {ID_FOUR_LINES, "4x20"}};
  for (const auto& button : CHECKED)
    EXPECT_EQ(BST_CHECKED, check_of(window_, button.id))
        << "\"" << button.name << "\" (" << button.id << ")";
  EXPECT_EQ(BST_UNCHECKED, check_of(window_, ID_TWO_LINES)) << "\"2x20\"";

  // The second Enter right after the first box proves that the window took the keyboard back.
  std::string expected = "\x0c" + std::string(80, ' ') + STORE + CONFIGURATION;
  for (const char* input : {"first Enter in the initial window", "second Enter"}) {
    ASSERT_TRUE(input_key(VK_RETURN)) << input << ": SendInput error " << GetLastError();
    dismiss_done_box(input, ID_DELAY);
    std::string sent = pty_bytes(1);
    EXPECT_EQ(hex_of(expected), hex_of(sent))
        << input << ": bytes on COM1 (" << sent.size() << " of 94)";
    EXPECT_EQ(module_view(""), pty_view(1)) << input << ": what the module made of them";
  }
  // A pty keeps 8 data bits and no parity whatever is asked of it, so only the speed and
  // the stop bits here prove what the program set; the rest guards against a garbled line.
  PtyAttr line = pty_attr(1);
  ASSERT_TRUE(line.valid);
  EXPECT_EQ(9600, line.speed) << "COM1 speed";
  EXPECT_EQ(8, line.csize) << "COM1 data bits";
  EXPECT_FALSE(line.parenb) << "COM1 parity";
  EXPECT_FALSE(line.cstopb) << "COM1 two stop bits";

  close_with_alt_f4("initial window");
}

// Two screen lines typed by a user; 2x20 picked with the mouse.
struct TypedLines {
  const wchar_t* line1;  // 20 characters: the last one moves the focus to line 2
  const wchar_t* line2;  // shorter: padded with spaces to 20 on the way out
};

static const TypedLines TYPED[] = {
    {L"Glimmerset VFD 20x2!", L"Line two"},
    {L"0123456789 <>()[]#+-", L""},
};

// Returns <text> as single bytes (the cases hold ASCII only).
static std::string ascii(const wchar_t* text) {
  std::string bytes;
  for (; *text; ++text) bytes += (char)*text;
  return bytes;
}

TEST_F(Glimmerset, SendsTwoTypedLinesWhen2x20IsClicked) {
  for (const TypedLines& c : TYPED) {
    std::string input = "lines \"" + ascii(c.line1) + "\" / \"" + ascii(c.line2) + "\"";
    SCOPED_TRACE(input);
    ASSERT_TRUE(pty_fresh(1));
    ASSERT_TRUE(start());

    ASSERT_TRUE(input_click(GetDlgItem(window_, ID_LINES[0])));
    ASSERT_TRUE(wait_until([&] { return focus_id(window_) == ID_LINES[0]; }, WAIT_MS))
        << "focus after clicking line 1: " << focus_id(window_);
    ASSERT_TRUE(input_text(c.line1));
    ASSERT_TRUE(wait_until([&] { return focus_id(window_) == ID_LINES[1]; }, WAIT_MS))
        << "focus after 20 characters in line 1: " << focus_id(window_) << ", expected "
        << ID_LINES[1];
    ASSERT_TRUE(input_text(c.line2));
    ASSERT_TRUE(wait_until([&] { return control_text(window_, ID_LINES[1]) == c.line2; }, WAIT_MS))
        << "line 2 holds \"" << ascii(control_text(window_, ID_LINES[1]).c_str()) << "\"";
    EXPECT_EQ(std::wstring(c.line1), control_text(window_, ID_LINES[0])) << "line 1 text";

    ASSERT_TRUE(input_click(GetDlgItem(window_, ID_TWO_LINES)));
    ASSERT_TRUE(wait_until([&] { return check_of(window_, ID_TWO_LINES) == BST_CHECKED; }, WAIT_MS))
        << "\"2x20\" not checked after a click";
    EXPECT_EQ(BST_UNCHECKED, check_of(window_, ID_FOUR_LINES)) << "\"4x20\" after the click";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window_, ID_LINES[2]))) << "line 3 enabled";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window_, ID_LINES[3]))) << "line 4 enabled";

    int focus = focus_id(window_);
    ASSERT_TRUE(input_key(VK_RETURN));
    dismiss_done_box(input.c_str(), focus);
    std::string line2 = ascii(c.line2);
    std::string expected = "\x0c" + ascii(c.line1) + line2 + std::string(20 - line2.size(), ' ') +
                           STORE + CONFIGURATION;
    std::string sent = pty_bytes(1);
    EXPECT_EQ(hex_of(expected), hex_of(sent)) << "bytes on COM1 (" << sent.size() << " of 54)";
    EXPECT_EQ(module_view(ascii(c.line1) + line2), pty_view(1)) << "what the module made of them";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window_, ID_LINES[2]))) << "line 3 after sending";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window_, ID_LINES[3]))) << "line 4 after sending";

    close_with_alt_f4(input.c_str());
    end_process();
    if (HasFatalFailure()) return;
  }
}

// A click on the main window's client area where no control is (below the option groups,
// left of "Send"): activation by the mouse that gives no control the focus.
static bool click_empty_client_area(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  POINT point = {client.right * 100 / 331, client.bottom * 148 / 158};
  ClientToScreen(window, &point);
  return input_click_at(point.x, point.y);
}

TEST_F(Glimmerset, FirstFocusIsTheDelayFieldHoweverActivationComes) {
  static const struct {
    const char* how;
    bool shown_active;              // the first ShowWindow activates the window
    bool (*activate)(HWND window);  // how the main window then becomes active
  } ways[] = {
      {"shown in front", true, ::bring_to_front},
      {"shown inactive, then activated from outside", false, ::bring_to_front},
      {"shown inactive, then a click", false, click_empty_client_area},
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(way.how);
    ASSERT_TRUE(start_in_background(way.shown_active));
    ASSERT_TRUE(way.activate(window_));
    EXPECT_TRUE(wait_until([&] { return focus_id(window_) == ID_DELAY; }, WAIT_MS))
        << "first focus: " << focus_id(window_) << ", expected " << ID_DELAY << " (foreground "
        << GetForegroundWindow() << ", main " << window_ << ")";
    ASSERT_TRUE(input_key(VK_TAB));
    EXPECT_TRUE(wait_until([&] { return focus_id(window_) == ID_BRIGHT_100; }, WAIT_MS))
        << "focus after Tab: " << focus_id(window_) << ", expected " << ID_BRIGHT_100
        << " (foreground " << GetForegroundWindow() << ", main " << window_ << ")";
    close_with_alt_f4(way.how);
    end_process();
    if (HasFatalFailure()) return;
  }
}

// The window, the Linux command and the console program build their bytes from the same
// code; this proves that the commands' options mean what the window's controls mean.
TEST_F(Glimmerset, SendsWhatTheCommandsSendForTheSameSettings) {
  static const struct {
    const char* what;
    std::vector<int> clicks;                          // buttons clicked, in this order
    std::vector<std::pair<int, std::wstring>> typed;  // a field's whole text, typed anew
    std::vector<std::string> options;                 // glimmerset send's options for it
  } cases[] = {
      {"a start-up screen shown at 75 %",
       {ID_SHOW_STARTUP, ID_BRIGHT_75},
       {{ID_LINES[0], L"Gr\u00FC\u00DFe \u20AC"}, {ID_LINES[1], L"Pump 4"}, {ID_DELAY, L"42"}},
       {"--line1",
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE2\x82\xAC",
        "--line2", "Pump 4", "--show-startup", "--brightness", "75", "--delay", "42"}},
      {"2x20 at 2400, every mode, not stored",
       {ID_BAUD_2400, ID_TWO_LINES, ID_STORE_TO_EE, ID_WRITE_PROTECT, ID_OLD_MODE, ID_NO_AUTO_DIM,
        ID_BRIGHT_25},
       {{ID_LINES[1], L"second line"}},
       {"--baud", "2400", "--screen", "2x20", "--no-store", "--write-protect", "--old-mode",
        "--no-auto-dim", "--brightness", "25", "--line2", "second line"}},
      {"no text, the longest delay",
       {ID_SEND_TEXT},
       {{ID_DELAY, L"120"}},
       {"--no-text", "--delay", "120"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(pty_fresh(1));
    ASSERT_TRUE(start());
    for (const auto& field : c.typed) {
      HWND box = GetDlgItem(window_, field.first);
      ASSERT_TRUE(input_click(box));
      ASSERT_TRUE(wait_until([&] { return focus_id(window_) == field.first; }, WAIT_MS));
      // As a person clears a field: to its end, then back over what it holds.
      ASSERT_TRUE(input_key(VK_END));
      for (size_t n = control_text(window_, field.first).size(); n > 0; n--)
        ASSERT_TRUE(input_key(VK_BACK));
      ASSERT_TRUE(input_text(field.second));
      ASSERT_TRUE(
          wait_until([&] { return control_text(window_, field.first) == field.second; }, WAIT_MS))
          << "field " << field.first << " after typing";
    }
    for (int id : c.clicks) {
      LRESULT before = check_of(window_, id);
      ASSERT_TRUE(input_click(GetDlgItem(window_, id)));
      ASSERT_TRUE(wait_until([&] { return check_of(window_, id) != before; }, WAIT_MS))
          << "button " << id << " did not change on a click";
    }
    int focus = focus_id(window_);
    ASSERT_TRUE(input_key(VK_RETURN));
    dismiss_done_box(c.what, focus);
    std::string expected = glimmerset_send(c.options);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(hex_of(expected), hex_of(pty_bytes(1))) << "the window's bytes on COM1";
    close_with_alt_f4(c.what);
    end_process();
    if (HasFatalFailure()) return;
    std::vector<std::string> args = {"send", "--port", "COM1"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    ConsoleRun run = console(args);
    EXPECT_EQ(0u, run.code) << run.err;
    EXPECT_EQ(hex_of(expected), hex_of(pty_bytes(1))) << "glimmerset.com's bytes on COM1";
  }
}

// The built file as Explorer reads it, without running it: the details of its properties,
// its manifest and its icon.

// GLIMMERSET_VERSION_DOTTED as a wide string literal.
#define TEXT_OF(x) #x
#define STRING_OF(x) TEXT_OF(x)
#define WIDE(s) L##s
#define WIDE_OF(s) WIDE(s)
#define VERSION_DOTTED WIDE_OF(STRING_OF(GLIMMERSET_VERSION_DOTTED))

// The programs users copy to Windows: the window and its console twin, each with the file
// name its details give.
static const struct {
  const char* unix_path;
  const wchar_t* name;
} PROGRAMS[] = {{GLIMMERSET_EXE, L"Glimmerset.exe"}, {GLIMMERSET_COM, L"glimmerset.com"}};

// Returns the program file at <unix_path> loaded for its resources only, as Explorer loads
// it, or NULL.
static HMODULE load_for_resources(const char* unix_path) {
  return LoadLibraryExW(windows_path(unix_path).c_str(), NULL,
                        LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
}

// Checks the version details and the manifest of the program file at <unix_path>, named
// <name>, as Explorer reads them. Returns nothing.
static void version_details_are_right(const char* unix_path, const wchar_t* name) {
  std::wstring path = windows_path(unix_path);
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), NULL);
  ASSERT_NE(0u, size) << "no version resource, error " << GetLastError();
  std::vector<BYTE> info(size);
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, info.data()));

  VS_FIXEDFILEINFO* fixed = NULL;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", (void**)&fixed, &length));
  const WORD numbers[4] = {GLIMMERSET_VERSION_NUMBERS};
  const DWORD high = MAKELONG(numbers[1], numbers[0]), low = MAKELONG(numbers[3], numbers[2]);
  EXPECT_EQ(high, fixed->dwFileVersionMS) << "file version, first two numbers";
  EXPECT_EQ(low, fixed->dwFileVersionLS) << "file version, last two numbers";
  EXPECT_EQ(high, fixed->dwProductVersionMS) << "product version, first two numbers";
  EXPECT_EQ(low, fixed->dwProductVersionLS) << "product version, last two numbers";

  // Explorer finds the texts through the first language and code page the file lists.
  WORD* translation = NULL;
  ASSERT_TRUE(
      VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", (void**)&translation, &length));
  ASSERT_GE(length, 4u);
  const struct {
    const wchar_t* key;
    const wchar_t* value;  // NULL: any text
  } texts[] = {
      // clang-format off
      {L"ProductName", L"Glimmerset"},
      {L"FileDescription", NULL},
      {L"FileVersion", VERSION_DOTTED},
      {L"ProductVersion", VERSION_DOTTED},
      {L"OriginalFilename", name},
      // clang-format on
  };
  for (const auto& t : texts) {
    wchar_t query[64];
    swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\%ls", translation[0], translation[1], t.key);
    wchar_t* value = NULL;
    UINT chars = 0;
    bool found = VerQueryValueW(info.data(), query, (void**)&value, &chars) && chars > 1;
    EXPECT_TRUE(found) << testing::PrintToString(query) << " is missing or empty";
    if (found && t.value) {
      EXPECT_STREQ(t.value, value) << testing::PrintToString(query);
    }
  }

  HMODULE file = load_for_resources(unix_path);
  ASSERT_TRUE(file) << "LoadLibraryExW error " << GetLastError();
  EXPECT_TRUE(FindResourceW(file, MAKEINTRESOURCEW(1), RT_MANIFEST)) << "no manifest";
  FreeLibrary(file);
}

TEST(Identity, VersionDetailsAsExplorerReadsThem) {
  for (const auto& program : PROGRAMS) {
    SCOPED_TRACE(testing::PrintToString(program.name));
    version_details_are_right(program.unix_path, program.name);
  }
}

#pragma pack(push, 2)
struct IconGroupEntry {  // GRPICONDIRENTRY: one image of an icon group resource
  BYTE width, height, colours, reserved;
  WORD planes, bits;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

// Checks the icon of the program file at <unix_path>: each size Windows asks for is an
// image of its own, not a scaled one, and loads (the 256-pixel one is PNG inside). Returns
// nothing.
static void icon_is_right(const char* unix_path) {
  HMODULE file = load_for_resources(unix_path);
  ASSERT_TRUE(file) << "LoadLibraryExW error " << GetLastError();
  HRSRC found = FindResourceW(file, MAKEINTRESOURCEW(1), RT_GROUP_ICON);
  BYTE* group = found ? (BYTE*)LockResource(LoadResource(file, found)) : NULL;
  ASSERT_TRUE(group) << "no icon group 1";
  const IconGroupEntry* entries = (const IconGroupEntry*)(group + 6);
  const WORD count = *(const WORD*)(group + 4);
  for (int size : {16, 32, 48, 256}) {
    int id = LookupIconIdFromDirectoryEx(group, TRUE, size, size, LR_DEFAULTCOLOR);
    const IconGroupEntry* entry = NULL;
    for (WORD i = 0; i < count; i++)
      if (entries[i].id == id) entry = &entries[i];
    EXPECT_TRUE(entry && entry->width == size % 256 && entry->bits == 32)
        << size << " px: the image chosen is " << (entry ? entry->width : -1) << " px (0: 256), "
        << (entry ? entry->bits : -1) << " bits";
    HICON icon = (HICON)LoadImageW(file, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0);
    EXPECT_TRUE(icon) << size << " px: LoadImageW error " << GetLastError();
    if (icon) DestroyIcon(icon);
  }
  FreeLibrary(file);
}

TEST(Identity, IconHasAnImageForEverySizeWindowsShows) {
  for (const auto& program : PROGRAMS) {
    SCOPED_TRACE(testing::PrintToString(program.name));
    icon_is_right(program.unix_path);
  }
}
