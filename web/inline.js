// Makes glimmerset.html: the template with its style, its scripts and the WebAssembly
// module inlined (a page opened from disk can fetch no file beside it), and a
// Content-Security-Policy that lets in exactly that script and style, by their SHA-256, and
// the compiling of the module: nothing from the network. Same inputs, same bytes.
//
//   node inline.js OUT VERSION MODULE TEMPLATE STYLE SCRIPT...
"use strict";
const crypto = require("crypto");
const fs = require("fs");

const [out, version, wasm, template, style, ...scripts] = process.argv.slice(2);
if (!scripts.length) {
  console.error("usage: node inline.js OUT VERSION MODULE TEMPLATE STYLE SCRIPT...");
  process.exit(2);
}
const read = (path) => fs.readFileSync(path, "utf8");
const hash = (text) => "sha256-" + crypto.createHash("sha256").update(text).digest("base64");
const css = read(style);
const script = scripts.map(read).join("\n");
if (/<\/(script|style)/i.test(script + css)) {
  console.error("inline.js: a script or the style holds an end tag, which would end it early");
  process.exit(1);
}
const parts = {
  "@SCRIPT_HASH@": hash(script),
  "@STYLE_HASH@": hash(css),
  "@VERSION@": version,
  "@STYLE@": css,
  "@MODULE@": fs.readFileSync(wasm).toString("base64"),
  "@SCRIPT@": script,
};
// One pass over the template, so that no inlined part is searched for markers in turn.
const page = read(template).replace(/@[A-Z_]+@/g, (marker) => {
  if (!(marker in parts)) throw new Error("inline.js: unknown marker " + marker);
  return parts[marker];
});
fs.writeFileSync(out + ".part", page);
fs.renameSync(out + ".part", out);
