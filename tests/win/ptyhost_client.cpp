// Winsock client of the pseudo-terminal host; see ptyhost_client.h.
#include "tests/win/ptyhost_client.h"

#include <winsock2.h>

#include <stdio.h>
#include <stdlib.h>

#include <gtest/gtest.h>

// The connection to the host, made on first use and kept until the process ends.
static SOCKET host_socket = INVALID_SOCKET;

// Returns the connected socket, connecting first if needed; INVALID_SOCKET on failure.
static SOCKET connection() {
  if (host_socket != INVALID_SOCKET) return host_socket;
  const char* port = getenv("GLIMMERSET_PTYHOST_PORT");
  if (!port || !*port) {
    ADD_FAILURE() << "GLIMMERSET_PTYHOST_PORT is not set: run under tools/winenv exec";
    return INVALID_SOCKET;
  }
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
    ADD_FAILURE() << "WSAStartup failed";
    return INVALID_SOCKET;
  }
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons((u_short)atoi(port));
  if (s == INVALID_SOCKET || connect(s, (sockaddr*)&address, sizeof address) != 0) {
    ADD_FAILURE() << "cannot connect to the pty host at 127.0.0.1:" << port << ", error "
                  << WSAGetLastError();
    if (s != INVALID_SOCKET) closesocket(s);
    return INVALID_SOCKET;
  }
  host_socket = s;
  return s;
}

static void disconnect() {
  closesocket(host_socket);
  host_socket = INVALID_SOCKET;
}

std::string ptyhost(const std::string& command) {
  SOCKET s = connection();
  if (s == INVALID_SOCKET) return "";
  std::string line = command + "\n";
  if (send(s, line.data(), (int)line.size(), 0) != (int)line.size()) {
    ADD_FAILURE() << "pty host: cannot send \"" << command << "\"";
    disconnect();
    return "";
  }
  std::string reply;
  char c;
  while (recv(s, &c, 1, 0) == 1) {
    if (c == '\n') return reply;
    reply += c;
  }
  ADD_FAILURE() << "pty host: connection lost during \"" << command << "\"";
  disconnect();
  return "";
}

// Runs <command> and returns the text after "OK" (without the space); fails the test
// and returns "" when the reply is not OK.
static std::string run(const std::string& command, bool* ok = nullptr) {
  std::string reply = ptyhost(command);
  bool good = reply == "OK" || reply.compare(0, 3, "OK ") == 0;
  if (ok) *ok = good;
  if (!good) {
    ADD_FAILURE() << "pty host: \"" << command << "\" answered \"" << reply << "\"";
    return "";
  }
  return reply.size() > 3 ? reply.substr(3) : "";
}

static std::string unhex(const std::string& hex) {
  std::string bytes;
  if (!bytes_of_hex(hex, &bytes)) ADD_FAILURE() << "the pty host sent no hex: " << hex;
  return bytes;
}

bool pty_fresh(int port, int speed, int stopbits, bool crtscts, bool ixon) {
  std::string command = "PTY " + std::to_string(port);
  if (speed != 0)
    command += " " + std::to_string(speed) + " " + std::to_string(stopbits) + " " +
               (crtscts ? "1" : "0") + " " + (ixon ? "1" : "0");
  bool ok = false;
  run(command, &ok);
  return ok;
}

std::string pty_bytes(int port) { return unhex(run("BYTES " + std::to_string(port))); }

std::string pty_bytes_of(int port, size_t count) {
  // A minute: the pty moves written bytes to its far side in the background, which a busy
  // machine may put off for a long while.
  const DWORD bound_ms = 60000;
  std::string bytes;
  for (DWORD start = GetTickCount(); bytes.size() < count && GetTickCount() - start < bound_ms;)
    bytes += pty_bytes(port);
  return bytes;
}

std::string pty_view(int port) { return run("VIEW " + std::to_string(port)); }

// Returns the number after "<name>=" in <text>, or -1.
static long field(const std::string& text, const char* name) {
  std::string key = std::string(" ") + name + "=";
  size_t at = (" " + text).find(key);
  return at == std::string::npos ? -1 : atol(text.c_str() + at + key.size() - 1);
}

PtyAttr pty_attr(int port) {
  bool ok = false;
  std::string text = run("ATTR " + std::to_string(port), &ok);
  PtyAttr attr = {};
  attr.valid = ok;
  attr.speed = field(text, "speed");
  attr.csize = (int)field(text, "csize");
  attr.parenb = field(text, "parenb") == 1;
  attr.cstopb = field(text, "cstopb") == 1;
  attr.crtscts = field(text, "crtscts") == 1;
  attr.ixon = field(text, "ixon") == 1;
  attr.ixoff = field(text, "ixoff") == 1;
  attr.vstart = (int)field(text, "vstart");
  attr.vstop = (int)field(text, "vstop");
  return attr;
}

void pty_stall(int port) { run("STALL " + std::to_string(port)); }

long pty_fill(int port) { return atol(run("FILL " + std::to_string(port)).c_str()); }

void pty_pace(int port, int bytes_per_second) {
  run("PACE " + std::to_string(port) + " " + std::to_string(bytes_per_second));
}

void pty_flow_chars(int port, int start, int stop) {
  run("XCHARS " + std::to_string(port) + " " + std::to_string(start) + " " + std::to_string(stop));
}

void pty_gone(int port) { run("GONE " + std::to_string(port)); }

void port_held(int port) { run("HELD " + std::to_string(port)); }

void port_full(int port) { run("FULL " + std::to_string(port)); }

void port_null(int port) { run("NULL " + std::to_string(port)); }

void port_file(int port) { run("FILE " + std::to_string(port)); }

std::string file_content(int port) { return unhex(run("CONTENT " + std::to_string(port))); }

std::string glimmerset_send(const std::vector<std::string>& args) {
  std::string joined;
  for (const std::string& arg : args) joined += arg + '\n';
  return unhex(run("SEND " + hex_of(joined)));
}
