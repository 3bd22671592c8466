// Writes the tables of the code pages that the lines can be sent in: for every one, the
// character of each of the 256 bytes, read from the build machine's iconv. Runs on the
// build machine, so that the program itself needs no iconv: a static binary finds no
// conversion modules on a device, and another C library converts by other rules (musl
// substitutes "*" where glibc refuses).
//
//   make_code_pages FILE.cpp
//
// Only single-byte code pages that keep ASCII in place are offered: the display shows one
// character per byte and takes ESC and the form feed as commands. Fails, and writes
// nothing, when the machine's iconv lacks one of them or a byte decodes to more than one
// character.
#include <errno.h>
#include <iconv.h>
#include <stdint.h>
#include <stdio.h>

#include <string>

namespace {

// The name users give (matched in any case), the name the build machine's iconv knows it
// by, and other names for it. windows-1258 is left out: Vietnamese text as typed holds
// letters with their accents as one character, which that code page builds out of two bytes.
const struct {
  const char* name;
  const char* iconv_name;
  const char* aliases;  // space-separated
} CODE_PAGES[] = {
    {"windows-1252", "WINDOWS-1252", "cp1252"},
    {"windows-1250", "WINDOWS-1250", "cp1250"},
    {"windows-1251", "WINDOWS-1251", "cp1251"},
    {"windows-1253", "WINDOWS-1253", "cp1253"},
    {"windows-1254", "WINDOWS-1254", "cp1254"},
    {"windows-1255", "WINDOWS-1255", "cp1255"},
    {"windows-1256", "WINDOWS-1256", "cp1256"},
    {"windows-1257", "WINDOWS-1257", "cp1257"},
    {"windows-874", "WINDOWS-874", "cp874"},
    {"cp437", "CP437", "ibm437"},
    {"cp850", "CP850", "ibm850"},
    {"cp852", "CP852", "ibm852"},
    {"cp855", "CP855", "ibm855"},
    {"cp857", "CP857", "ibm857"},
    {"cp858", "CP858", "ibm858"},
    {"cp860", "CP860", "ibm860"},
    {"cp861", "CP861", "ibm861"},
    {"cp862", "CP862", "ibm862"},
    {"cp863", "CP863", "ibm863"},
    {"cp865", "CP865", "ibm865"},
    {"cp866", "CP866", "ibm866"},
    {"cp869", "CP869", "ibm869"},
    {"iso-8859-1", "ISO-8859-1", "iso8859-1 latin1"},
    {"iso-8859-2", "ISO-8859-2", "iso8859-2 latin2"},
    {"iso-8859-3", "ISO-8859-3", "iso8859-3 latin3"},
    {"iso-8859-4", "ISO-8859-4", "iso8859-4 latin4"},
    {"iso-8859-5", "ISO-8859-5", "iso8859-5"},
    {"iso-8859-6", "ISO-8859-6", "iso8859-6"},
    {"iso-8859-7", "ISO-8859-7", "iso8859-7"},
    {"iso-8859-8", "ISO-8859-8", "iso8859-8"},
    {"iso-8859-9", "ISO-8859-9", "iso8859-9 latin5"},
    {"iso-8859-10", "ISO-8859-10", "iso8859-10 latin6"},
    {"iso-8859-11", "ISO-8859-11", "iso8859-11"},
    {"iso-8859-13", "ISO-8859-13", "iso8859-13 latin7"},
    {"iso-8859-14", "ISO-8859-14", "iso8859-14 latin8"},
    {"iso-8859-15", "ISO-8859-15", "iso8859-15 latin9"},
    {"iso-8859-16", "ISO-8859-16", "iso8859-16 latin10"},
    {"koi8-r", "KOI8-R", ""},
    {"koi8-u", "KOI8-U", ""},
};

const uint32_t NONE = 0xFFFF;  // a byte the code page leaves undefined

// Returns the character that <byte> stands for in <cd>'s code page, NONE when the code
// page does not define it, or -1 when it gives more than one character.
long decode(iconv_t cd, unsigned char byte) {
  char in = (char)byte, *from = &in;
  size_t from_left = 1;
  unsigned char out[8];
  char* to = (char*)out;
  size_t to_left = sizeof out;
  iconv(cd, NULL, NULL, NULL, NULL);
  if (iconv(cd, &from, &from_left, &to, &to_left) == (size_t)-1 && errno != EINVAL) return NONE;
  // Some converters hold a character back until the end, in case a combining mark follows.
  iconv(cd, NULL, NULL, &to, &to_left);
  if (sizeof out - to_left == 0) return NONE;
  if (sizeof out - to_left != 4) return -1;
  return out[0] | out[1] << 8 | out[2] << 16 | (long)out[3] << 24;
}

// Appends the table of one code page to <text>: the characters of the bytes 0x80 to 0xFF,
// the bytes below standing for ASCII. Returns false when it cannot be made.
bool append_table(const char* iconv_name, std::string* text) {
  iconv_t cd = iconv_open("UTF-32LE", iconv_name);
  if (cd == (iconv_t)-1) {
    fprintf(stderr, "make_code_pages: iconv does not know %s\n", iconv_name);
    return false;
  }
  bool ok = true;
  for (int byte = 0; byte < 256 && ok; byte++) {
    long code = decode(cd, (unsigned char)byte);
    ok = code >= 0 && code <= 0xFFFF && (byte >= 0x80 || code == byte);
    if (!ok)
      fprintf(stderr, "make_code_pages: %s: byte 0x%02X is no single character\n", iconv_name,
              byte);
    if (byte < 0x80) continue;
    char entry[16];
    snprintf(entry, sizeof entry, "%s0x%04lX,", byte % 8 ? " " : "\n     ", code);
    *text += entry;
  }
  iconv_close(cd);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    fputs("usage: make_code_pages FILE.cpp\n", stderr);
    return 2;
  }
  std::string text =
      "// Made by tools/code_pages/make_code_pages.cpp from the build machine's iconv.\n"
      "#include \"core/code_page.h\"\n\n"
      "const CodePageTable CODE_PAGE_TABLES[] = {\n";
  int count = 0;
  for (const auto& page : CODE_PAGES) {
    text += std::string("    {\"") + page.name + "\", \"" + page.aliases + "\", {";
    if (!append_table(page.iconv_name, &text)) return 1;
    text += "\n    }},\n";
    count++;
  }
  text += "};\nconst int CODE_PAGE_COUNT = " + std::to_string(count) + ";\n";
  FILE* f = fopen(argv[1], "wb");
  bool written = f && fwrite(text.data(), 1, text.size(), f) == text.size();
  if (f && fclose(f) != 0) written = false;
  if (written) return 0;
  fprintf(stderr, "make_code_pages: cannot write %s\n", argv[1]);
  remove(argv[1]);
  return 1;
}
