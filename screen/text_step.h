// The text step of a configuration run: the start-up screen and the store command.
#pragma once

// With "send text" checked, writes the form feed and the screen text of two or four lines
// in one write to the open serial channel, then, with "store to EE" checked too, the store
// command in a second write. Writes nothing when "send text" is clear. Returns nothing.
void text_step(void);
