// The system's ANSI code page, in which the window's texts become bytes for the display.
#pragma once

#include "screen/screen_text.h"

// Returns how the ANSI code page in force makes characters out of bytes.
CodePage system_code_page(void);
