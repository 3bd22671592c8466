// The settings of a configuration run, each read anew from its controls when it is needed.
#pragma once

// Returns 9600 or 2400 for the checked baud-rate option, 0 when none is checked.
int read_baud_rate(void);

// Returns the number in the port field (rounded; 0 when it holds none).
int read_port_number(void);

// Returns the brightness code 0x80..0x83 of the checked option, 0x00 when none is checked.
unsigned char read_brightness_code(void);

// Returns 0x81 when "Show startup screen" is checked, else 0x80.
unsigned char read_startup_flag(void);

// Returns the delay byte: 0x01..0x78 for the delay field's 1..120 (more counts as 120),
// 0x80 for 0, an empty field or no number.
unsigned char read_delay_byte(void);

// Returns the mode flags 0x80..0x87 of the three mode checkboxes.
unsigned char read_mode_flags(void);
