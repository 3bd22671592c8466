// Text between glimmerset and Windows: the program works in UTF-8, Windows in UTF-16, and
// a failed call's error code becomes words of ours.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// UTF-16 text for Windows calls, ending in a 0. (A vector rather than std::wstring: the
// library's whole wide string brings some 25 KiB into a program that must stay small.)
typedef std::vector<wchar_t> WideText;

// Returns <text> (UTF-16) as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf8_of(const wchar_t* text);

// Returns <text> (UTF-8) as UTF-16, ending in a 0.
WideText wide_of(const std::string& text);

// Returns the cause of a failed call on a file from its error code, in lower-case words.
std::string windows_cause(DWORD error);

// Returns the cause of a failed call on a serial port from its error code, in the words a
// user acts on ("in use by another program", "the device went away", ...).
std::string windows_port_cause(DWORD error);
