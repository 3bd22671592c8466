#include "screen/code_page.h"

#include <windows.h>

static bool is_lead_byte(unsigned char byte) { return IsDBCSLeadByte(byte) != 0; }

CodePage system_code_page(void) {
  // With UTF-8 as the system code page (an option since Windows 10) the lead-byte test is
  // false for every byte, so UTF-8 sequences are told by their own rule.
  if (GetACP() == CP_UTF8) return {UTF8_CODE_PAGE, NULL};
  CPINFO info;
  if (GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 1) return {SINGLE_BYTE_CODE_PAGE, NULL};
  return {DOUBLE_BYTE_CODE_PAGE, is_lead_byte};
}
