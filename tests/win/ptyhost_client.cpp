// Winsock client of the pseudo-terminal host; see ptyhost_client.h.
#include "tests/win/ptyhost_client.h"

#include <winsock2.h>

#include <stdio.h>
#include <stdlib.h>

#include <gtest/gtest.h>

// The connection to the host, made on first use and kept until the process ends.
static SOCKET host_socket = INVALID_SOCKET;

// Returns the connected socket, connecting first if needed; INVALID_SOCKET on failure.
static SOCKET CONNECTION() {
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

static void DISCONNECT() {
  closesocket(host_socket);
  host_socket = INVALID_SOCKET;
}

std::string PTYHOST(const std::string& command) {
  SOCKET s = CONNECTION();
  if (s == INVALID_SOCKET) return "";
  std::string line = command + "\n";
  if (send(s, line.data(), (int)line.size(), 0) != (int)line.size()) {
    ADD_FAILURE() << "pty host: cannot send \"" << command << "\"";
    DISCONNECT();
    return "";
  }
  std::string reply;
  char c;
  while (recv(s, &c, 1, 0) == 1) {
    if (c == '\n') return reply;
    reply += c;
  }
  ADD_FAILURE() << "pty host: connection lost during \"" << command << "\"";
  DISCONNECT();
  return "";
}

// Runs <command> and returns the text after "OK" (without the space); fails the test
// and returns "" when the reply is not OK.
static std::string RUN(const std::string& command, bool* ok = nullptr) {
  std::string reply = PTYHOST(command);
  bool good = reply == "OK" || reply.compare(0, 3, "OK ") == 0;
  if (ok) *ok = good;
  if (!good) {
    ADD_FAILURE() << "pty host: \"" << command << "\" answered \"" << reply << "\"";
    return "";
  }
  return reply.size() > 3 ? reply.substr(3) : "";
}

static std::string UNHEX(const std::string& hex) {
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes += (char)strtol(hex.substr(i, 2).c_str(), nullptr, 16);
  return bytes;
}

bool PTY_FRESH(int port, int speed, int stopbits, bool crtscts, bool ixon) {
  std::string command = "PTY " + std::to_string(port);
  if (speed != 0)
    command += " " + std::to_string(speed) + " " + std::to_string(stopbits) + " " +
               (crtscts ? "1" : "0") + " " + (ixon ? "1" : "0");
  bool ok = false;
  RUN(command, &ok);
  return ok;
}

std::string PTY_BYTES(int port) { return UNHEX(RUN("BYTES " + std::to_string(port))); }

std::string PTY_VIEW(int port) { return RUN("VIEW " + std::to_string(port)); }

// Returns the number after "<name>=" in <text>, or -1.
static long FIELD(const std::string& text, const char* name) {
  std::string key = std::string(" ") + name + "=";
  size_t at = (" " + text).find(key);
  return at == std::string::npos ? -1 : atol(text.c_str() + at + key.size() - 1);
}

PtyAttr PTY_ATTR(int port) {
  bool ok = false;
  std::string text = RUN("ATTR " + std::to_string(port), &ok);
  PtyAttr attr = {};
  attr.valid = ok;
  attr.speed = FIELD(text, "speed");
  attr.csize = (int)FIELD(text, "csize");
  attr.parenb = FIELD(text, "parenb") == 1;
  attr.cstopb = FIELD(text, "cstopb") == 1;
  attr.crtscts = FIELD(text, "crtscts") == 1;
  attr.ixon = FIELD(text, "ixon") == 1;
  attr.ixoff = FIELD(text, "ixoff") == 1;
  attr.vstart = (int)FIELD(text, "vstart");
  attr.vstop = (int)FIELD(text, "vstop");
  return attr;
}

void PTY_STALL(int port) { RUN("STALL " + std::to_string(port)); }

long PTY_FILL(int port) { return atol(RUN("FILL " + std::to_string(port)).c_str()); }

void PTY_PACE(int port, int bytes_per_second) {
  RUN("PACE " + std::to_string(port) + " " + std::to_string(bytes_per_second));
}

void PTY_FLOW_CHARS(int port, int start, int stop) {
  RUN("XCHARS " + std::to_string(port) + " " + std::to_string(start) + " " + std::to_string(stop));
}

void PTY_GONE(int port) { RUN("GONE " + std::to_string(port)); }

void PORT_HELD(int port) { RUN("HELD " + std::to_string(port)); }

void PORT_FULL(int port) { RUN("FULL " + std::to_string(port)); }

void PORT_NULL(int port) { RUN("NULL " + std::to_string(port)); }

void PORT_FILE(int port) { RUN("FILE " + std::to_string(port)); }

std::string FILE_CONTENT(int port) { return UNHEX(RUN("CONTENT " + std::to_string(port))); }
