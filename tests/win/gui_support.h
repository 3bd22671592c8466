// Driving the real main window in-process: the program's own start-up and pump step,
// keyboard input fed as real messages, and message boxes recorded and closed as they open.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Starts the program as its entry point does, up to the message loop, and pumps the
// messages that start-up leaves queued.
void start_program(void);

// Runs the program's pump step until the thread's queue is empty. Returns the open-window
// count.
int pump(void);

// Destroys the main window if it still exists and pumps. Returns nothing.
void end_program(void);

// Posts a key press (down and up) to the control with the focus, with Shift held when
// <shift>, and pumps, so that it passes through the dialog keyboard handling.
void press_key(UINT vk, bool shift = false);

// Posts each character of <text> as WM_CHAR to the control with the focus, and pumps.
void type_text(const std::wstring& text);

// Returns the id of the control with the keyboard focus, or 0 when none of ours has it.
int focus_id(void);

// Returns the control's text as the user sees it (UTF-16).
std::wstring window_text(int id);

// What a message box showed when it opened.
struct SeenMessageBox {
  std::wstring caption;
  std::wstring text;
  bool has_owner;          // an owner window was given
  bool main_was_disabled;  // the main window was disabled while it showed (task-modal)
  bool only_ok;            // an OK button and no other
  bool icon;               // a visible icon
  DWORD activated_tick;    // GetTickCount() when it became the active window
};

// Records every message box of this thread from now on and dismisses it with OK as soon as
// it opens, so that no test waits on a person.
void watch_message_boxes(void);

// Returns the message boxes seen since the last call, and forgets them.
std::vector<SeenMessageBox> take_message_boxes(void);

// A test that starts the program in-process, records its message boxes and ends it
// afterwards.
class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};
