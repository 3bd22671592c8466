// The serial channel to the display: one COM port, opened with fixed line settings and
// written synchronously. Nothing is read back; the display never answers.
#include "serial/channel.h"

#include <windows.h>

#include <string>

#include "serial/line_state.h"
#include "serial/port_name.h"

// The open port, or INVALID_HANDLE_VALUE when none is open.
static HANDLE port_handle = INVALID_HANDLE_VALUE;
// Set when a write since the last successful open failed, was short or timed out.
static int write_failed = 0;
// The port's time-outs as found at the open, put back before the close; valid while
// timeouts_changed is set.
static COMMTIMEOUTS found_timeouts;
static bool timeouts_changed = false;
// Why the last open failed, and the platform's error code of the last failed call.
static OpenFailure open_failure = OPEN_DONE;
static DWORD last_error = 0;
// The open port's rate and the bytes handed to it since the open, which bound the wait
// for them to leave.
static DWORD open_rate = 0;
static size_t handed = 0;
// Set by SER_ABORT, from another thread.
static volatile LONG aborted = 0;

// Runs one call on the device with the critical-error and open-file message boxes
// suppressed, so that a missing or failing device answers with an error code instead of a
// dialog the user must dismiss; the caller's error mode is restored afterwards. Returns
// what the call returns.
template <typename Call>
static auto quiet(Call call) -> decltype(call()) {
  UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  auto result = call();
  SetErrorMode(previous);
  return result;
}

// Reads the port's DCB into <dcb>. Returns false when the device holds no line state.
static bool read_dcb(DCB* dcb) {
  ZeroMemory(dcb, sizeof *dcb);
  dcb->DCBlength = sizeof *dcb;
  return quiet([&] { return GetCommState(port_handle, dcb); });
}

// Returns the fields of <dcb> that the channel decides on.
static LineState line_state_of(const DCB& dcb) {
  LineState state = {dcb.BaudRate,
                     dcb.ByteSize,
                     dcb.Parity,
                     dcb.StopBits,
                     (unsigned char)dcb.XonChar,
                     (unsigned char)dcb.XoffChar};
  return state;
}

// Reads the port's DCB, lets <change> alter only the fields it must and writes it back,
// so that whatever else the driver or the user set up (flow control, DTR/RTS handling)
// stays as it was. Equal XON and XOFF characters, which make the platform refuse the
// whole DCB, are made distinct on the way. A step the driver refuses is caught by the
// check after the last one. Returns nothing.
static void change_line(void (*change)(DCB* dcb, DWORD rate), DWORD rate) {
  DCB dcb;
  if (!read_dcb(&dcb)) return;
  change(&dcb, rate);
  LineState state = line_state_of(dcb);
  separate_flow_chars(&state);
  dcb.XonChar = (char)state.xon;
  dcb.XoffChar = (char)state.xoff;
  quiet([&] { return SetCommState(port_handle, &dcb); });
}

// Returns true when the line now runs at <rate> with 8 data bits, no parity and one stop
// bit. A display at any other setting shows only garbage, and a device without a line
// state is no serial line at all.
static bool line_ready(DWORD rate) {
  DCB dcb;
  return read_dcb(&dcb) && line_state_fits(line_state_of(dcb), rate);
}

// Sets write time-outs (see write_timeouts_for) and keeps the read time-outs as found.
// Without them a device that holds the line off (output flow control left on, an adapter
// that stopped draining) blocks the write, and the window with it, for good. Returns
// false when the port's time-outs cannot be read or set.
static bool limit_writes(DWORD rate) {
  if (!quiet([&] { return GetCommTimeouts(port_handle, &found_timeouts); })) return false;
  COMMTIMEOUTS limited = found_timeouts;
  WriteTimeouts timeouts = write_timeouts_for(rate);
  limited.WriteTotalTimeoutMultiplier = timeouts.per_byte_ms;
  limited.WriteTotalTimeoutConstant = timeouts.constant_ms;
  timeouts_changed = quiet([&] { return SetCommTimeouts(port_handle, &limited); });
  return timeouts_changed;
}

static void set_rate(DCB* dcb, DWORD rate) { dcb->BaudRate = rate; }

// The display takes 8N1 frames; setting the frame as a whole keeps the size, parity and
// stop bits consistent even on a driver that rejects one of the later single steps.
static void set_frame(DCB* dcb, DWORD) {
  dcb->ByteSize = 8;
  dcb->StopBits = ONESTOPBIT;
  dcb->fParity = FALSE;
  dcb->Parity = NOPARITY;
}

static void clear_parity_check(DCB* dcb, DWORD) { dcb->fParity = FALSE; }

static void set_one_stop_bit(DCB* dcb, DWORD) { dcb->StopBits = ONESTOPBIT; }

// Asks for a 1024-byte queue on one side, keeping the other side at the size the driver
// reports now. Returns nothing; a driver that does not report its queues is left alone.
static void set_queues(bool transmit_side) {
  COMMPROP props;
  ZeroMemory(&props, sizeof props);
  if (!quiet([&] { return GetCommProperties(port_handle, &props); })) return;
  DWORD rx = transmit_side ? props.dwCurrentRxQueue : 1024;
  DWORD tx = transmit_side ? 1024 : props.dwCurrentTxQueue;
  quiet([&] { return SetupComm(port_handle, rx, tx); });
}

// Returns the open handle of COM<port> (name from port_device_name), or
// INVALID_HANDLE_VALUE when the device cannot be opened or is a disk file (open_failure
// says which): a COM name can be redirected to a file, and the display data must not end
// up in one.
static HANDLE open_device(int port) {
  std::string name = port_device_name(port);
  std::wstring wide(name.begin(), name.end());  // the name is plain ASCII
  // Inheritable, so that a program started from this one may take the port over.
  SECURITY_ATTRIBUTES security = {sizeof security, NULL, TRUE};
  HANDLE handle = quiet([&] {
    return CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, 0, &security, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, NULL);
  });
  if (handle == INVALID_HANDLE_VALUE) {
    last_error = GetLastError();
    open_failure = OPEN_DEVICE_REFUSED;
    return INVALID_HANDLE_VALUE;
  }
  if (quiet([&] { return GetFileType(handle); }) == FILE_TYPE_DISK) {
    quiet([&] { return CloseHandle(handle); });
    open_failure = OPEN_DISK_FILE;
    return INVALID_HANDLE_VALUE;
  }
  return handle;
}

// Returns 1 when COM<port> is open at <rate> with 8 data bits, no parity and one stop
// bit, with write time-outs; 0 when the arguments are out of range, the device cannot be
// used or does not take these settings, or a port is already open (which then stays open
// untouched).
int SER_OPEN(int port, int rate) {
  if (port < 1 || port > 99) {
    open_failure = OPEN_OUT_OF_RANGE;
    return 0;
  }
  return SER_OPEN_PORT(port, rate);
}

// Returns 1 when COM<port> (1..255) is open as SER_OPEN leaves it, else 0.
int SER_OPEN_PORT(int port, int rate) {
  open_failure = port_device_name(port).empty() || !rate_supported(rate) ? OPEN_OUT_OF_RANGE
                 : port_handle != INVALID_HANDLE_VALUE                   ? OPEN_ALREADY_OPEN
                                                                         : OPEN_DONE;
  if (open_failure != OPEN_DONE) return 0;
  HANDLE handle = open_device(port);
  if (handle == INVALID_HANDLE_VALUE) return 0;
  port_handle = handle;
  change_line(set_rate, (DWORD)rate);
  change_line(set_frame, 0);
  change_line(clear_parity_check, 0);
  change_line(set_one_stop_bit, 0);
  set_queues(true);
  set_queues(false);
  open_failure = !line_ready((DWORD)rate)     ? OPEN_LINE_REFUSED
                 : !limit_writes((DWORD)rate) ? OPEN_TIMEOUTS_REFUSED
                                              : OPEN_DONE;
  if (open_failure != OPEN_DONE) {
    SER_CLOSE();
    return 0;
  }
  write_failed = 0;
  last_error = 0;
  open_rate = (DWORD)rate;
  handed = 0;
  InterlockedExchange(&aborted, 0);
  return 1;
}

// Writes <count> bytes in one synchronous call; returns nothing. The display cannot
// resynchronise in the middle of a command, so a partial or timed-out write is not
// resumed: the rest is dropped and the failure kept for SER_WRITE_FAILED. Later sends
// are dropped too, so that a port that holds the line off costs one time-out only.
void SER_SEND(const char* bytes, size_t count) {
  if (port_handle == INVALID_HANDLE_VALUE || write_failed || aborted) return;
  DWORD length = count > MAXDWORD ? MAXDWORD : (DWORD)count;
  DWORD written = 0;
  BOOL ok = quiet([&] { return WriteFile(port_handle, bytes, length, &written, NULL); });
  if (!ok) last_error = GetLastError();
  if (!ok || written != count || aborted) write_failed = 1;
  handed += written;
}

// Returns 1 always, after putting back the port's time-outs and releasing it, if one is
// open. Safe to call any number of times; nothing is flushed or purged, the bytes already
// handed over still go out.
int SER_CLOSE(void) {
  if (port_handle != INVALID_HANDLE_VALUE) {
    if (timeouts_changed) quiet([&] { return SetCommTimeouts(port_handle, &found_timeouts); });
    timeouts_changed = false;
    HANDLE handle = port_handle;
    port_handle = INVALID_HANDLE_VALUE;
    quiet([&] { return CloseHandle(handle); });
  }
  return 1;
}

// Returns 1 when a write since the last successful SER_OPEN failed or was short, else 0.
int SER_WRITE_FAILED(void) { return write_failed; }

OpenFailure SER_OPEN_FAILURE(void) { return open_failure; }

unsigned long SER_LAST_ERROR(void) { return last_error; }

// Returns 1 once the driver's output queue is empty, 0 when it does not empty within the
// write time-outs of the bytes handed since the open, or cannot tell. ClearCommError is
// the one call that tells how much the driver still holds.
int SER_DRAIN(void) {
  if (port_handle == INVALID_HANDLE_VALUE) return 1;
  WriteTimeouts timeouts = write_timeouts_for(open_rate);
  ULONGLONG deadline = GetTickCount64() + timeouts.per_byte_ms * handed + timeouts.constant_ms;
  while (!write_failed && !aborted) {
    DWORD errors = 0;
    COMSTAT status = {};
    if (!quiet([&] { return ClearCommError(port_handle, &errors, &status); })) {
      last_error = GetLastError();
      return 0;
    }
    if (status.cbOutQue == 0) return 1;
    if (GetTickCount64() >= deadline) return 0;
    Sleep(5);
  }
  return 0;
}

void SER_ABORT(void) {
  InterlockedExchange(&aborted, 1);
  HANDLE handle = port_handle;
  if (handle != INVALID_HANDLE_VALUE) PurgeComm(handle, PURGE_TXABORT | PURGE_TXCLEAR);
}
