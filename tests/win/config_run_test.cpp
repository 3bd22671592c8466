// The configuration run as a user starts it: the real window, the Send button, and the
// bytes that reach a pseudo-terminal behind COM1.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "gui_support.h"
#include "ptyhost_client.h"
#include "ui/window.h"

static const std::string STORE = "\x1B\x58\x30";

static std::string screen_message(const std::string& text) { return "\x0C" + text; }
static std::string blank_screen(int lines) { return screen_message(std::string(20 * lines, ' ')); }

static std::string config_command(int brightness, int startup, int delay, int mode) {
  return std::string("\x1B\x57") + (char)brightness + (char)startup + (char)delay + (char)mode +
         std::string(4, '\x80');
}

// The stream of the window in its initial state.
static const std::string INITIAL_STREAM =
    blank_screen(4) + STORE + config_command(0x83, 0x80, 0x80, 0x80);

static void click(int id) {
  SendDlgItemMessageW(g_main_window, id, BM_CLICK, 0, 0);
  pump();
}

static void set_text(int id, const wchar_t* text) {
  SetDlgItemTextW(g_main_window, id, text);
  pump();
}

// Presses Send and returns the bytes that arrived on COM1.
static std::string press_send(void) {
  click(ID_SEND);
  return pty_bytes(1);
}

static void expect_one_box(const wchar_t* caption, const wchar_t* text, const char* what) {
  std::vector<SeenMessageBox> boxes = take_message_boxes();
  ASSERT_EQ(1u, boxes.size()) << what << ": message boxes shown";
  const SeenMessageBox& box = boxes[0];
  EXPECT_STREQ(caption, box.caption.c_str()) << what;
  EXPECT_STREQ(text, box.text.c_str()) << what;
  EXPECT_FALSE(box.has_owner) << what << ": the box has an owner window";
  EXPECT_TRUE(box.main_was_disabled) << what << ": the box is not task-modal";
  EXPECT_TRUE(box.only_ok) << what << ": buttons other than OK";
  EXPECT_FALSE(box.icon) << what << ": the box shows an icon";
}

static const wchar_t DONE[] = L"Configuration complete.";
static const wchar_t PORT_ERROR[] = L"Can't access specified comm port.\rPlease select another.";

class ConfigRun : public ProgramTest {
 protected:
  // COM1 starts at another speed with two stop bits, so that the run has to set both.
  void SetUp() override {
    ASSERT_TRUE(pty_fresh(1, 19200, 2));
    ProgramTest::SetUp();
  }
};

TEST_F(ConfigRun, InitialWindowSendsThe94ByteStreamAt9600EightNOne) {
  std::string sent = press_send();
  EXPECT_EQ(94u, sent.size());
  EXPECT_EQ(hex_of(INITIAL_STREAM), hex_of(sent));
  PtyAttr line = pty_attr(1);
  ASSERT_TRUE(line.valid);
  EXPECT_EQ(9600, line.speed);
  EXPECT_EQ(8, line.csize);
  EXPECT_FALSE(line.parenb);
  EXPECT_FALSE(line.cstopb);
  expect_one_box(L"Done", DONE, "initial window");
}

TEST_F(ConfigRun, EveryOptionReachesItsByte) {
  static const struct {
    const char* name;
    void (*change)(void);
    std::string stream;
  } cases[] = {
      {"25%", [] { click(ID_BRIGHT_25); },
       blank_screen(4) + STORE + config_command(0x80, 0x80, 0x80, 0x80)},
      {"50%", [] { click(ID_BRIGHT_50); },
       blank_screen(4) + STORE + config_command(0x81, 0x80, 0x80, 0x80)},
      {"75%", [] { click(ID_BRIGHT_75); },
       blank_screen(4) + STORE + config_command(0x82, 0x80, 0x80, 0x80)},
      {"show startup screen", [] { click(ID_SHOW_STARTUP); },
       blank_screen(4) + STORE + config_command(0x83, 0x81, 0x80, 0x80)},
      {"delay 1", [] { set_text(ID_DELAY, L"1"); },
       blank_screen(4) + STORE + config_command(0x83, 0x80, 0x01, 0x80)},
      {"delay 120", [] { set_text(ID_DELAY, L"120"); },
       blank_screen(4) + STORE + config_command(0x83, 0x80, 0x78, 0x80)},
      {"delay 0042", [] { set_text(ID_DELAY, L"0042"); },
       blank_screen(4) + STORE + config_command(0x83, 0x80, 0x2A, 0x80)},
      {"delay empty", [] { set_text(ID_DELAY, L""); },
       blank_screen(4) + STORE + config_command(0x83, 0x80, 0x80, 0x80)},
      {"delay 500", [] { set_text(ID_DELAY, L"500"); },
       blank_screen(4) + STORE + config_command(0x83, 0x80, 0x78, 0x80)},
      {"old mode", [] { click(ID_OLD_MODE); },
       blank_screen(4) + STORE + config_command(0x83, 0x80, 0x80, 0x81)},
      {"write protect", [] { click(ID_WRITE_PROTECT); },
       blank_screen(4) + STORE + config_command(0x83, 0x80, 0x80, 0x82)},
      {"no auto dim", [] { click(ID_NO_AUTO_DIM); },
       blank_screen(4) + STORE + config_command(0x83, 0x80, 0x80, 0x84)},
      {"protect and no dim",
       [] {
         click(ID_WRITE_PROTECT);
         click(ID_NO_AUTO_DIM);
       },
       blank_screen(4) + STORE + config_command(0x83, 0x80, 0x80, 0x86)},
      {"all modes",
       [] {
         click(ID_OLD_MODE);
         click(ID_WRITE_PROTECT);
         click(ID_NO_AUTO_DIM);
       },
       blank_screen(4) + STORE + config_command(0x83, 0x80, 0x80, 0x87)},
      {"send text clear", [] { click(ID_SEND_TEXT); }, config_command(0x83, 0x80, 0x80, 0x80)},
      {"store clear", [] { click(ID_STORE_TO_EE); },
       blank_screen(4) + config_command(0x83, 0x80, 0x80, 0x80)},
      {"2x20", [] { click(ID_TWO_LINES); },
       blank_screen(2) + STORE + config_command(0x83, 0x80, 0x80, 0x80)},
      {"port 01", [] { set_text(ID_PORT, L"01"); }, INITIAL_STREAM},
  };
  for (const auto& c : cases) {
    end_program();
    start_program();
    ASSERT_TRUE(pty_fresh(1));
    c.change();
    EXPECT_EQ(hex_of(c.stream), hex_of(press_send())) << c.name;
    expect_one_box(L"Done", DONE, c.name);
  }
}

TEST_F(ConfigRun, ScreenLinesAreSentAsTyped) {
  static const struct {
    const char* name;
    const wchar_t* lines[4];
    bool two_lines;
    std::string text;
  } cases[] = {
      {"full line followed directly by the next",
       {L"12345678901234567890", L"next", L"", L""},
       false,
       "12345678901234567890next" + std::string(16 + 40, ' ')},
      {"spaces kept",
       {L"  a  ", L" ", L"", L"z "},
       false,
       "  a  " + std::string(15, ' ') + std::string(40, ' ') + "z " + std::string(18, ' ')},
      {"2x20 leaves lines 3 and 4 out",
       {L"one", L"two", L"three", L"four"},
       true,
       "one" + std::string(17, ' ') + "two" + std::string(17, ' ')},
      {"code page replacements",
       {L"\x20AC\x00E4", L"\x0100\x2713", L"", L""},
       false,
       "\x80\xE4" + std::string(18, ' ') + "A?" + std::string(18 + 40, ' ')},
  };
  static const int LINES[] = {ID_LINE_1, ID_LINE_2, ID_LINE_3, ID_LINE_4};
  for (const auto& c : cases) {
    end_program();
    start_program();
    ASSERT_TRUE(pty_fresh(1));
    for (int i = 0; i < 4; i++) set_text(LINES[i], c.lines[i]);
    if (c.two_lines) click(ID_TWO_LINES);
    std::string expected = screen_message(c.text) + STORE + config_command(0x83, 0x80, 0x80, 0x80);
    EXPECT_EQ(hex_of(expected), hex_of(press_send())) << c.name;
    if (c.two_lines) {
      EXPECT_STREQ(L"three", window_text(ID_LINE_3).c_str()) << c.name << ": line 3 after the run";
      EXPECT_STREQ(L"four", window_text(ID_LINE_4).c_str()) << c.name << ": line 4 after the run";
    }
    take_message_boxes();
  }
}

TEST_F(ConfigRun, Rate2400ReachesTheLine) {
  click(ID_BAUD_2400);
  EXPECT_EQ(hex_of(INITIAL_STREAM), hex_of(press_send()));
  PtyAttr line = pty_attr(1);
  ASSERT_TRUE(line.valid);
  EXPECT_EQ(2400, line.speed);
  EXPECT_FALSE(line.cstopb);
  expect_one_box(L"Done", DONE, "2400 baud");
}

TEST_F(ConfigRun, PortThatCannotBeUsedShowsThePortErrorAndWritesNothing) {
  static const struct {
    const wchar_t* port;
    bool held;
  } cases[] = {{L"0", false}, {L"100", false}, {L"", false}, {L"4294967297", false}, {L"1", true}};
  for (const auto& c : cases) {
    ASSERT_TRUE(pty_fresh(1));
    set_text(ID_PORT, c.port);
    if (c.held) port_held(1);
    std::string sent = c.held ? (click(ID_SEND), "") : press_send();
    std::string what = "port field \"" + std::string(c.port, c.port + lstrlenW(c.port)) + "\"" +
                       (c.held ? " held elsewhere" : "");
    if (!c.held) {
      EXPECT_EQ("", hex_of(sent)) << what;
    }
    expect_one_box(L"Error", PORT_ERROR, what.c_str());
  }
}

static const wchar_t WRITE_ERROR[] =
    L"Sending to the comm port failed.\rThe configuration may be incomplete.";

TEST_F(ConfigRun, DeviceThatIsNoSerialLineShowsThePortError) {
  port_null(1);
  click(ID_SEND);
  expect_one_box(L"Error", PORT_ERROR, "COM1 on /dev/null");
}

// Closes the far side of COM1 once the run has set the line to <rate> (so the port is
// open and the run is at its first write), or after 10 s. Returns 0.
DWORD WINAPI gone_once_open(void* rate) {
  for (int i = 0; i < 2000 && pty_attr(1).speed != (long)(INT_PTR)rate; i++) Sleep(5);
  pty_gone(1);
  return 0;
}

static const struct {
  const wchar_t* rate;
  int rate_id;
} RATES[] = {{L"9600", ID_BAUD_9600}, {L"2400", ID_BAUD_2400}};

// A device that holds the line off for good: the run gives up on the first write that
// times out, does not wait on the rest, and says so within 5 s of the click. The next run
// on a working port sends everything.
TEST_F(ConfigRun, HeldOffPortFailsWithinFiveSeconds) {
  for (const auto& r : RATES) {
    std::string what = "held off at " + std::string(r.rate, r.rate + lstrlenW(r.rate));
    ASSERT_TRUE(pty_fresh(1));
    click(r.rate_id);
    ASSERT_GT(pty_fill(1), 0) << what << ": filler queued";
    DWORD clicked = GetTickCount();
    click(ID_SEND);
    std::vector<SeenMessageBox> boxes = take_message_boxes();
    ASSERT_EQ(1u, boxes.size()) << what << ": message boxes shown";
    EXPECT_STREQ(WRITE_ERROR, boxes[0].text.c_str()) << what;
    EXPECT_LE(boxes[0].activated_tick - clicked, 5000u) << what << ": ms from click to message";
    EXPECT_EQ("", hex_of(pty_bytes(1))) << what << ": bytes after the filler";

    ASSERT_TRUE(pty_fresh(1));
    EXPECT_EQ(hex_of(INITIAL_STREAM), hex_of(press_send())) << what << ": next run";
    expect_one_box(L"Done", DONE, (what + ": next run").c_str());
  }
}

// A slow but healthy device takes the bytes at the pace of the line and must never be
// taken for one that holds it off.
TEST_F(ConfigRun, DeviceAtLinePaceCompletes) {
  for (const auto& r : RATES) {
    std::string what = "line pace at " + std::string(r.rate, r.rate + lstrlenW(r.rate));
    ASSERT_TRUE(pty_fresh(1));
    click(r.rate_id);
    pty_pace(1, _wtoi(r.rate) / 10);
    EXPECT_EQ(hex_of(INITIAL_STREAM), hex_of(press_send())) << what;
    expect_one_box(L"Done", DONE, what.c_str());
  }
}

// The adapter goes away while the run waits on a write: the run ends with the failure
// message instead of hanging or calling the configuration complete.
TEST_F(ConfigRun, AdapterThatDisappearsIsReported) {
  for (const auto& r : RATES) {
    std::string what = "adapter gone at " + std::string(r.rate, r.rate + lstrlenW(r.rate));
    ASSERT_TRUE(pty_fresh(1));
    click(r.rate_id);
    pty_fill(1);
    HANDLE remover = CreateThread(NULL, 0, gone_once_open, (void*)(INT_PTR)_wtoi(r.rate), 0, NULL);
    ASSERT_NE((HANDLE)NULL, remover);
    click(ID_SEND);
    WaitForSingleObject(remover, INFINITE);
    CloseHandle(remover);
    expect_one_box(L"Error", WRITE_ERROR, what.c_str());
  }
  ASSERT_TRUE(pty_fresh(1));
  EXPECT_EQ(hex_of(INITIAL_STREAM), hex_of(press_send())) << "working port after a lost one";
  expect_one_box(L"Done", DONE, "working port after a lost one");
}
