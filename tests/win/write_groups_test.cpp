// The writes of a configuration run, recorded by a stand-in for the serial channel that
// this executable links in place of the real one.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui_support.h"
#include "ptyhost_client.h"
#include "serial/channel.h"
#include "ui/window.h"

static std::vector<std::string> s_calls;  // "open <port> <rate>", "send <hex>", "close"
static int s_open_result = 1;
static int s_write_failed = 0;

extern "C" int SER_OPEN(int port, int rate) {
  s_calls.push_back("open " + std::to_string(port) + " " + std::to_string(rate));
  return s_open_result;
}

extern "C" void SER_SEND(const char* bytes, size_t count) {
  s_calls.push_back("send " + hex_of(std::string(bytes, count)));
}

extern "C" int SER_CLOSE(void) {
  s_calls.push_back("close");
  return 1;
}

int SER_WRITE_FAILED(void) { return s_write_failed; }

static std::vector<std::string> run_with(void (*change)(void)) {
  start_program();
  watch_message_boxes();
  if (change) change();
  s_calls.clear();
  SendDlgItemMessageW(g_main_window, ID_SEND, BM_CLICK, 0, 0);
  pump();
  end_program();
  return s_calls;
}

static std::string spaces_hex(int count) {
  std::string out;
  for (int i = 0; i < count; i++) out += "20";
  return out;
}

TEST(WriteGroups, InitialWindowMakesSixWritesBetweenOpenAndClose) {
  std::vector<std::string> expected = {
      "open 1 9600",   "send 0c" + spaces_hex(80),
      "send 1b5830",   "send 1b57",
      "send 8380",     "send 8080",
      "send 80808080", "close",
  };
  EXPECT_EQ(expected, run_with(NULL));
  ASSERT_EQ(1u, take_message_boxes().size());
}

TEST(WriteGroups, SendTextClearLeavesTheFourWritesOfTheCommand) {
  std::vector<std::string> expected = {
      "open 1 2400", "send 1b57", "send 8381", "send 0587", "send 80808080", "close",
  };
  EXPECT_EQ(expected, run_with([] {
              SendDlgItemMessageW(g_main_window, ID_SEND_TEXT, BM_CLICK, 0, 0);
              SendDlgItemMessageW(g_main_window, ID_BAUD_2400, BM_CLICK, 0, 0);
              SendDlgItemMessageW(g_main_window, ID_SHOW_STARTUP, BM_CLICK, 0, 0);
              SendDlgItemMessageW(g_main_window, ID_OLD_MODE, BM_CLICK, 0, 0);
              SendDlgItemMessageW(g_main_window, ID_WRITE_PROTECT, BM_CLICK, 0, 0);
              SendDlgItemMessageW(g_main_window, ID_NO_AUTO_DIM, BM_CLICK, 0, 0);
              SetDlgItemTextW(g_main_window, ID_DELAY, L"5");
            }));
  ASSERT_EQ(1u, take_message_boxes().size());
}

TEST(WriteGroups, FailedOpenWritesNothingAndDoesNotClose) {
  s_open_result = 0;
  std::vector<std::string> expected = {"open 42 9600"};
  EXPECT_EQ(expected, run_with([] { SetDlgItemTextW(g_main_window, ID_PORT, L"42"); }));
  s_open_result = 1;
  std::vector<SeenMessageBox> boxes = take_message_boxes();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_STREQ(L"Error", boxes[0].caption.c_str());
}

TEST(WriteGroups, AFailedWriteStillSendsTheRestAndCloses) {
  s_write_failed = 1;
  std::vector<std::string> calls = run_with(NULL);
  s_write_failed = 0;
  EXPECT_EQ(8u, calls.size());
  EXPECT_EQ("close", calls.back());
  std::vector<SeenMessageBox> boxes = take_message_boxes();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_STREQ(L"Sending to the comm port failed.\rThe configuration may be incomplete.",
               boxes[0].text.c_str());
}
