// The page's way into the compiled core (web/exports.h): texts into the module's memory and
// results out of it. Nothing here decides anything; node's tests load the same file.
"use strict";

// Returns the module made of <wasm> (its bytes) as functions of the form's fields.
async function openModule(wasm) {
  const { instance } = await WebAssembly.instantiate(wasm, {});
  const m = instance.exports;
  m._initialize();
  const encoder = new TextEncoder();
  const decoder = new TextDecoder();

  // Puts <parts> (texts or bytes) one after the other into the module's input. Returns
  // their lengths in bytes.
  function put(...parts) {
    const encoded = parts.map((part) => (typeof part === "string" ? encoder.encode(part) : part));
    const at = m.web_input(encoded.reduce((total, part) => total + part.length, 0));
    let offset = at;
    for (const part of encoded) {
      new Uint8Array(m.memory.buffer).set(part, offset);
      offset += part.length;
    }
    return encoded.map((part) => part.length);
  }
  const outputBytes = () =>
    new Uint8Array(m.memory.buffer, m.web_output(), m.web_output_length()).slice();
  const outputText = () => decoder.decode(outputBytes());

  return {
    // Sets a field; false for a name or value the form does not have.
    set: (name, value) => m.web_set(...put(name, value)) === 1,
    // The field's value as the form must show it.
    get: (name) => (m.web_get(...put(name)) ? outputText() : undefined),
    enabled: (name) => m.web_enabled(...put(name)) === 1,
    // Why the line cannot be sent as it stands (after run), or "".
    refusal: (name) => (m.web_refusal(...put(name)) ? outputText() : ""),
    // The run's bytes, or null when a line it sends is refused.
    run: () => (m.web_run() ? outputBytes() : null),
    // Decodes a capture; true when it is exactly what configuration runs send.
    decode: (bytes) => m.web_decode(...put(bytes)) === 1,
    view: () => (m.web_view(), outputText()),
    picture: () => {
      const width = m.web_picture_width();
      const height = m.web_picture_height();
      const pixels = new Uint8ClampedArray(m.memory.buffer, m.web_picture(), width * height * 4);
      return { width, height, pixels: pixels.slice() };
    },
    baud: () => m.web_baud(),
    writeLimitMs: () => m.web_write_limit_ms(),
    codePages: () => (m.web_code_pages(), outputText().split(", ")),
  };
}

if (typeof module !== "undefined" && module.exports) module.exports = { openModule };
