// The serial channel against pseudo-terminals behind the COM names of the Wine prefix.
// The pty proves what reached the line (bytes, speed, stop bits, flow control); data
// bits and parity, which a pty cannot hold, are read back through a second handle on the
// same COM name (Wine does not enforce exclusive access on serial devices).
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "serial/channel.h"
#include "serial/port_name.h"
#include "tests/win/ptyhost_client.h"

namespace {

// Returns the DCB of COM<port> as read through a handle of the test's own; .DCBlength is
// 0 when the port could not be opened or read.
DCB read_dcb(int port) {
  DCB dcb = {};
  std::string name = port_device_name(port);
  HANDLE h =
      CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
  if (h == INVALID_HANDLE_VALUE) return dcb;
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(h, &dcb)) dcb.DCBlength = 0;
  CloseHandle(h);
  return dcb;
}

void send(const std::string& bytes) { SER_SEND(bytes.data(), bytes.size()); }

TEST(SerialChannel, BytesArriveUnchanged) {
  std::string every_byte;
  for (int c = 0; c < 256; c++) every_byte += (char)c;
  static const std::string nul(1, '\0');
  const struct {
    const char* name;
    std::vector<std::string> sends;
    std::string expected;
  } cases[] = {
      {"every byte value", {every_byte}, every_byte},
      {"controls", {"\x1b@" + nul + "\x0c\xff\x11\x13"}, "\x1b@" + nul + "\x0c\xff\x11\x13"},
      {"empty send", {""}, ""},
      {"sends in order", {"ab", "", nul + "c", "\xff", "\r\n"}, "ab" + nul + "c\xff\r\n"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(pty_fresh(3));
    ASSERT_EQ(1, SER_OPEN(3, 9600)) << c.name << ": SER_OPEN(3, 9600)";
    for (const std::string& s : c.sends) send(s);
    EXPECT_EQ(hex_of(c.expected), hex_of(pty_bytes(3))) << c.name << ": bytes on the line";
    EXPECT_EQ(0, SER_WRITE_FAILED()) << c.name << ": SER_WRITE_FAILED";
    SER_CLOSE();
  }
}

TEST(SerialChannel, LineSettingsPerRate) {
  for (int rate : {1200, 2400, 4800, 9600}) {
    // A port left behind by another program: other speed, two stop bits, both kinds
    // of flow control. Only rate and frame may change.
    ASSERT_TRUE(pty_fresh(4, 19200, 2, true, true));
    DCB before = read_dcb(4);
    ASSERT_NE(0u, before.DCBlength) << "rate " << rate << ": DCB before the open";
    ASSERT_EQ(1, SER_OPEN(4, rate)) << "SER_OPEN(4, " << rate << ")";
    DCB after = read_dcb(4);
    PtyAttr attr = pty_attr(4);
    SER_CLOSE();

    ASSERT_NE(0u, after.DCBlength) << "rate " << rate << ": DCB after the open";
    EXPECT_EQ((DWORD)rate, after.BaudRate) << "rate " << rate << ": BaudRate";
    EXPECT_EQ(8, after.ByteSize) << "rate " << rate << ": ByteSize";
    EXPECT_EQ(NOPARITY, after.Parity) << "rate " << rate << ": Parity";
    EXPECT_EQ(0u, after.fParity) << "rate " << rate << ": fParity";
    EXPECT_EQ(ONESTOPBIT, after.StopBits) << "rate " << rate << ": StopBits";
    EXPECT_EQ(before.fOutxCtsFlow, after.fOutxCtsFlow) << "rate " << rate << ": fOutxCtsFlow";
    EXPECT_EQ(before.fRtsControl, after.fRtsControl) << "rate " << rate << ": fRtsControl";
    EXPECT_EQ(before.fDtrControl, after.fDtrControl) << "rate " << rate << ": fDtrControl";
    EXPECT_EQ(before.fOutX, after.fOutX) << "rate " << rate << ": fOutX";
    EXPECT_EQ(before.fInX, after.fInX) << "rate " << rate << ": fInX";

    ASSERT_TRUE(attr.valid);
    EXPECT_EQ(rate, attr.speed) << "rate " << rate << ": pty speed";
    EXPECT_FALSE(attr.cstopb) << "rate " << rate << ": pty CSTOPB";
    EXPECT_TRUE(attr.crtscts) << "rate " << rate << ": pty CRTSCTS";
    EXPECT_TRUE(attr.ixon) << "rate " << rate << ": pty IXON";
  }
}

TEST(SerialChannel, RefusedArgumentsTouchNothing) {
  const struct {
    int port, rate;
  } cases[] = {{0, 9600}, {-1, 9600}, {100, 9600}, {1, 0}, {1, 300}, {1, 19200}, {1, -9600}};
  ASSERT_TRUE(pty_fresh(1, 19200, 2, true, true));
  for (const auto& c : cases) {
    EXPECT_EQ(0, SER_OPEN(c.port, c.rate)) << "SER_OPEN(" << c.port << ", " << c.rate << ")";
    EXPECT_EQ(OPEN_OUT_OF_RANGE, SER_OPEN_FAILURE())
        << "SER_OPEN(" << c.port << ", " << c.rate << "): SER_OPEN_FAILURE";
    send("x");  // must go nowhere: no port is open
    PtyAttr attr = pty_attr(1);
    EXPECT_EQ(19200, attr.speed) << "after SER_OPEN(" << c.port << ", " << c.rate
                                 << "): COM1 speed";
    EXPECT_TRUE(attr.cstopb) << "after SER_OPEN(" << c.port << ", " << c.rate << "): COM1 CSTOPB";
    EXPECT_EQ("", hex_of(pty_bytes(1)))
        << "after SER_OPEN(" << c.port << ", " << c.rate << "): bytes on COM1";
    SER_CLOSE();
  }
}

// SER_OPEN_PORT takes every number Windows gives a port, SER_OPEN the window's 1..99.
TEST(SerialChannel, TwoDigitPortsOpenTheirOwnDevice) {
  port_held(1);  // so that a "COM10" taken as COM1 fails instead of passing
  for (int (*open)(int, int) : {SER_OPEN, SER_OPEN_PORT}) {
    for (int port : {9, 10, 99}) {
      ASSERT_TRUE(pty_fresh(port));
      EXPECT_EQ(1, open(port, 4800)) << "open(" << port << ", 4800)";
      send("ok");
      EXPECT_EQ(hex_of("ok"), hex_of(pty_bytes(port))) << "COM" << port << ": bytes";
      SER_CLOSE();
    }
  }
  for (int port : {0, 256}) {
    EXPECT_EQ(0, SER_OPEN_PORT(port, 9600)) << "SER_OPEN_PORT(" << port << ")";
    EXPECT_EQ(OPEN_OUT_OF_RANGE, SER_OPEN_FAILURE()) << "SER_OPEN_PORT(" << port << ")";
  }
}

TEST(SerialChannel, UnusableDevicesAreRefused) {
  port_file(5);
  port_held(6);
  port_full(13);  // no line state, every write fails
  port_null(18);  // no line state
  ASSERT_TRUE(pty_fresh(7));
  const struct {
    int port;
    OpenFailure failure;
    unsigned long error;
  } cases[] = {{5, OPEN_DISK_FILE, 0},
               {6, OPEN_DEVICE_REFUSED, ERROR_ACCESS_DENIED},
               {13, OPEN_LINE_REFUSED, 0},
               {18, OPEN_LINE_REFUSED, 0}};
  for (const auto& c : cases) {
    int port = c.port;
    EXPECT_EQ(0, SER_OPEN(port, 9600)) << "SER_OPEN(" << port << ", 9600)";
    EXPECT_EQ(c.failure, SER_OPEN_FAILURE()) << "COM" << port << ": SER_OPEN_FAILURE";
    if (c.error) {
      EXPECT_EQ(c.error, SER_LAST_ERROR()) << "COM" << port << ": SER_LAST_ERROR";
    }
    send("x");
    // The refused device must not stay open as the channel's port.
    EXPECT_EQ(1, SER_OPEN(7, 9600)) << "SER_OPEN(7) after refusing COM" << port;
    SER_CLOSE();
  }
  EXPECT_EQ(hex_of("untouched\n"), hex_of(file_content(5))) << "COM5: file content";
  EXPECT_EQ("", hex_of(pty_bytes(7))) << "COM7: bytes";
}

TEST(SerialChannel, CloseIsIdempotent) {
  EXPECT_EQ(1, SER_CLOSE()) << "SER_CLOSE with no port open";
  ASSERT_TRUE(pty_fresh(8));
  ASSERT_EQ(1, SER_OPEN(8, 2400));
  EXPECT_EQ(1, SER_CLOSE()) << "first SER_CLOSE";
  EXPECT_EQ(1, SER_CLOSE()) << "second SER_CLOSE";
  send("late");
  EXPECT_EQ("", hex_of(pty_bytes(8))) << "COM8: bytes sent after SER_CLOSE";
  EXPECT_EQ(1, SER_OPEN(8, 2400)) << "SER_OPEN after SER_CLOSE";
  SER_CLOSE();
}

TEST(SerialChannel, SecondOpenKeepsTheFirstPort) {
  ASSERT_TRUE(pty_fresh(11));
  ASSERT_TRUE(pty_fresh(12, 19200, 2, false, false));
  ASSERT_EQ(1, SER_OPEN(11, 9600));
  EXPECT_EQ(0, SER_OPEN(12, 1200)) << "SER_OPEN(12) while COM11 is open";
  EXPECT_EQ(0, SER_OPEN(11, 1200)) << "SER_OPEN(11) while COM11 is open";
  EXPECT_EQ(OPEN_ALREADY_OPEN, SER_OPEN_FAILURE()) << "SER_OPEN(11) while COM11 is open";
  send("first");
  EXPECT_EQ(hex_of("first"), hex_of(pty_bytes(11))) << "COM11: bytes";
  EXPECT_EQ("", hex_of(pty_bytes(12))) << "COM12: bytes";
  EXPECT_EQ(9600, pty_attr(11).speed) << "COM11: speed";
  EXPECT_EQ(19200, pty_attr(12).speed) << "COM12: speed";
  SER_CLOSE();
}

TEST(SerialChannel, WriteFailuresAreRemembered) {
  // Each step: what happens, then SER_WRITE_FAILED as it must read.
  port_held(15);
  const struct {
    const char* step;
    void (*act)();
    int failed;
  } steps[] = {
      {"open a pty",
       [] {
         pty_fresh(13);
         EXPECT_EQ(1, SER_OPEN(13, 9600));
       },
       0},
      {"send to a device gone",
       [] {
         pty_gone(13);
         send("abc");
       },
       1},
      {"close", [] { SER_CLOSE(); }, 1},
      {"refused open", [] { EXPECT_EQ(0, SER_OPEN(15, 9600)); }, 1},
      {"open a pty",
       [] {
         pty_fresh(14);
         EXPECT_EQ(1, SER_OPEN(14, 9600));
       },
       0},
      {"send to the pty",
       [] {
         send("abc");
         send("");
       },
       0},
      {"device gone",
       [] {
         pty_gone(14);
         send("d");
       },
       1},
      {"close", [] { SER_CLOSE(); }, 1},
  };
  for (const auto& s : steps) {
    s.act();
    EXPECT_EQ(s.failed, SER_WRITE_FAILED()) << "after " << s.step << ": SER_WRITE_FAILED";
  }
}

// Returns the time-outs of COM<port> as read through a handle of the test's own;
// .ReadIntervalTimeout is MAXDWORD - 1 when they could not be read.
COMMTIMEOUTS read_timeouts(int port) {
  COMMTIMEOUTS timeouts = {MAXDWORD - 1, 0, 0, 0, 0};
  std::string name = port_device_name(port);
  HANDLE h =
      CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
  if (h == INVALID_HANDLE_VALUE) return timeouts;
  if (!GetCommTimeouts(h, &timeouts)) timeouts.ReadIntervalTimeout = MAXDWORD - 1;
  CloseHandle(h);
  return timeouts;
}

TEST(SerialChannel, TimeoutsAreAsFoundAfterTheClose) {
  ASSERT_TRUE(pty_fresh(19));
  COMMTIMEOUTS before = read_timeouts(19);
  ASSERT_NE(MAXDWORD - 1, before.ReadIntervalTimeout) << "time-outs before the open";
  ASSERT_EQ(1, SER_OPEN(19, 2400));
  send("x");
  SER_CLOSE();
  COMMTIMEOUTS after = read_timeouts(19);
  EXPECT_EQ(hex_of(std::string((char*)&before, sizeof before)),
            hex_of(std::string((char*)&after, sizeof after)))
      << "time-outs before the open and after the close";
}

// A line whose XON and XOFF characters are equal, as some USB serial drivers report them:
// the platform would refuse every line setting, so the channel gives them the usual pair.
TEST(SerialChannel, EqualFlowCharsAreMadeDistinct) {
  ASSERT_TRUE(pty_fresh(17, 19200, 2, false, false));
  pty_flow_chars(17, 0, 0);
  ASSERT_EQ(1, SER_OPEN(17, 2400));
  send("ok");
  DCB dcb = read_dcb(17);
  SER_CLOSE();
  EXPECT_EQ(hex_of("ok"), hex_of(pty_bytes(17))) << "COM17: bytes";
  ASSERT_NE(0u, dcb.DCBlength) << "COM17: DCB after the open";
  EXPECT_EQ(0x11, dcb.XonChar) << "COM17: XonChar";
  EXPECT_EQ(0x13, dcb.XoffChar) << "COM17: XoffChar";
  EXPECT_EQ(2400u, dcb.BaudRate) << "COM17: BaudRate";
  EXPECT_EQ(ONESTOPBIT, dcb.StopBits) << "COM17: StopBits";
}

// A write that the held-off line never takes times out and counts as failed; what the run
// sends after it is dropped, not waited on.
TEST(SerialChannel, HeldOffLineFailsTheWriteAndDropsLaterOnes) {
  ASSERT_TRUE(pty_fresh(20));
  ASSERT_GT(pty_fill(20), 0);
  ASSERT_EQ(1, SER_OPEN(20, 9600));
  send(std::string(81, 's'));
  EXPECT_EQ(1, SER_WRITE_FAILED()) << "write to the held-off line: SER_WRITE_FAILED";
  EXPECT_EQ("", hex_of(pty_bytes(20))) << "bytes the held-off line took";
  send("late");  // the line has room again now
  EXPECT_EQ("", hex_of(pty_bytes(20))) << "bytes sent after the failed write";
  SER_CLOSE();
}

DWORD WINAPI gone_later(void* port) {
  Sleep(500);
  pty_gone((int)(INT_PTR)port);
  return 0;
}

// The wait for the output: done at once on a line that took every byte (a pty holds no
// output queue), failed after a write that failed or once SER_ABORT was called (a console's
// Ctrl+C, from another thread), which also drops what is sent later, until the next open.
TEST(SerialChannel, DrainAndAbort) {
  EXPECT_EQ(1, SER_DRAIN()) << "SER_DRAIN with no port open";
  ASSERT_TRUE(pty_fresh(21));
  ASSERT_EQ(1, SER_OPEN_PORT(21, 2400));
  send("sent");
  EXPECT_EQ(1, SER_DRAIN()) << "SER_DRAIN after a write the line took";
  EXPECT_EQ(hex_of("sent"), hex_of(pty_bytes_of(21, 4))) << "COM21: bytes before SER_ABORT";
  SER_ABORT();
  send("dropped");
  EXPECT_EQ(0, SER_DRAIN()) << "SER_DRAIN after SER_ABORT";
  SER_CLOSE();
  EXPECT_EQ("", hex_of(pty_bytes(21))) << "COM21: bytes after SER_ABORT";
  ASSERT_EQ(1, SER_OPEN_PORT(21, 2400)) << "the next open after SER_ABORT";
  send("again");
  EXPECT_EQ(1, SER_DRAIN()) << "SER_DRAIN after the next open";
  SER_CLOSE();
  ASSERT_TRUE(pty_fresh(22));
  ASSERT_GT(pty_fill(22), 0);
  ASSERT_EQ(1, SER_OPEN_PORT(22, 9600));
  send(std::string(81, 's'));
  EXPECT_EQ(0, SER_DRAIN()) << "SER_DRAIN after a write to a held-off line";
  SER_CLOSE();
}

TEST(SerialChannel, ShortWriteIsRemembered) {
  // The pty stops taking bytes once its buffer is full, and the device goes away while
  // the write waits: the platform reports success with only part of the bytes written.
  ASSERT_TRUE(pty_fresh(16));
  ASSERT_EQ(1, SER_OPEN(16, 9600));
  pty_stall(16);
  HANDLE remover = CreateThread(NULL, 0, gone_later, (void*)(INT_PTR)16, 0, NULL);
  ASSERT_NE((HANDLE)NULL, remover);
  send(std::string(1 << 20, 'x'));
  WaitForSingleObject(remover, INFINITE);
  CloseHandle(remover);
  EXPECT_EQ(1, SER_WRITE_FAILED()) << "1 MiB send cut short: SER_WRITE_FAILED";
  SER_CLOSE();
}

}  // namespace
