// The page's way into the core: a small C interface that the page's script calls, and the
// only exports of the WebAssembly module besides its memory and _initialize (which runs the
// constructors of the core's constants and must come first). Texts are UTF-8 and counted,
// never terminated: the script writes them into the room web_input gives and reads the
// result of a call from web_output. The module holds the form as the page shows it, so that
// every correction and every refusal is the core's.
//
// The form's fields, by the names of its controls: "baud" ("9600", "2400"), "screen"
// ("4x20", "2x20"), "brightness" ("25", "50", "75", "100"), "line1" to "line4", "delay" (the
// field's text), "code_page" (a name of code_pages), and the flags "send_text", "store",
// "show_startup", "write_protect", "old_mode" and "no_auto_dim" ("1" checked, "" not).
#pragma once

#include <stddef.h>

#define WEB_EXPORT(name) extern "C" __attribute__((export_name(#name)))

// Returns room for <length> bytes of input in the module's memory, valid until the next call.
WEB_EXPORT(web_input) char* web_input(size_t length);

// Returns where the result of the last call that gives one lies, and its length.
WEB_EXPORT(web_output) const char* web_output(void);
WEB_EXPORT(web_output_length) size_t web_output_length(void);

// Sets the field whose name is the first <name_length> bytes of the input to the
// <value_length> bytes after them; a line is cut to what fits, a delay above 120 becomes
// "120". Returns 1, or 0 (and changes nothing) for a name or a value the form does not have.
WEB_EXPORT(web_set) int web_set(size_t name_length, size_t value_length);

// Gives the value of the field named by the input as the form must show it (web_set's
// encoding). Returns 1, or 0 for a name the form does not have.
WEB_EXPORT(web_get) int web_get(size_t name_length);

// Returns 1 when the field named by the input takes part in the run as the form stands, 0
// when it is to be shown disabled, as the window disables them: "store" without "send text",
// lines 3 and 4 on a 2x20 screen.
WEB_EXPORT(web_enabled) int web_enabled(size_t name_length);

// Gives why the line named by the input cannot be sent as it stands (after web_run).
// Returns 1 when it is refused, 0 when not.
WEB_EXPORT(web_refusal) int web_refusal(size_t name_length);

// Builds the run of the form as it stands and decodes it with the module model for
// web_view and web_picture. Returns 1 and gives its bytes, or 0 when a line it sends is
// refused (nothing is given, and the view says so).
WEB_EXPORT(web_run) int web_run(void);

// Decodes the <length> bytes of the input (a capture) as glimmerset module --read does, on
// a module of as many lines as the form's screen. Returns 1 when the stream is exactly what
// configuration runs send, 0 when it holds anomalies.
WEB_EXPORT(web_decode) int web_decode(size_t length);

// Gives the module's words for the last run or capture decoded: the text of glimmerset
// module. Returns its length.
WEB_EXPORT(web_view) size_t web_view(void);

// Return the glass at power-up after the last run or capture decoded: its size in pixels,
// and where its pixels lie (rows top to bottom, 4 bytes a pixel: red, green, blue, 255).
WEB_EXPORT(web_picture_width) int web_picture_width(void);
WEB_EXPORT(web_picture_height) int web_picture_height(void);
WEB_EXPORT(web_picture) const unsigned char* web_picture(void);

// Returns the baud rate of the form's run.
WEB_EXPORT(web_baud) unsigned long web_baud(void);

// Returns how long the bytes of the last run built may take to leave, in milliseconds: the
// limit of glimmerset send, for the write and again for the drain.
WEB_EXPORT(web_write_limit_ms) unsigned long web_write_limit_ms(void);

// Gives the names of the code pages offered, as a list with ", " between them (the
// command's words for them). Returns how many there are.
WEB_EXPORT(web_code_pages) int web_code_pages(void);
