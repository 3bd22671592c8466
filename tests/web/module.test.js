// The compiled rules against the command: for each form, the page's module must send the
// bytes of glimmerset send for the same options, refuse what it refuses with the same words,
// and see what glimmerset module sees in them, pixel for pixel.
"use strict";
const assert = require("assert");
const fs = require("fs");
const test = require("node:test");
const { glimmerset, refusalWords, moduleOf, firstDifference, openCore } = require("./support.js");

// form: the fields the page sets (the rest keep the window's initial state); args: what
// glimmerset send is given for the same run; refused: the line the command refuses.
const CASES = [
  { name: "the window's initial state", form: {}, args: [] },
  { name: "windows-1252, shown at 75 % after a second",
    form: { line1: "Café crème", line2: "naïve ½ ©", show_startup: "1", brightness: "75", delay: "2" },
    args: ["--line1", "Café crème", "--line2", "naïve ½ ©", "--show-startup", "--brightness", "75",
      "--delay", "2"] },
  { name: "cp437 at 2400 baud", form: { code_page: "cp437", baud: "2400", line1: "Größe ±5°", line4: "╔══╗ ░▒▓" },
    args: ["--codepage", "cp437", "--baud", "2400", "--line1", "Größe ±5°", "--line4", "╔══╗ ░▒▓"] },
  { name: "koi8-r, every mode flag",
    form: { code_page: "koi8-r", line2: "Привет, мир", old_mode: "1", write_protect: "1", no_auto_dim: "1" },
    args: ["--codepage", "koi8-r", "--line2", "Привет, мир", "--old-mode", "--write-protect", "--no-auto-dim"] },
  { name: "no text: the lines are not sent", form: { send_text: "", line1: "left out" }, args: ["--no-text"] },
  { name: "no store", form: { store: "", line3: "not stored", brightness: "25" },
    args: ["--no-store", "--line3", "not stored", "--brightness", "25"] },
  { name: "2x20: lines 3 and 4 are not sent", form: { screen: "2x20", line1: "two", line3: "three" },
    args: ["--screen", "2x20", "--line1", "two"] },
  { name: "a long line is cut to 20 characters, a long delay to 120",
    form: { line1: "abcdefghijklmnopqrstuvwxyzé", delay: "130" },
    args: ["--line1", "abcdefghijklmnopqrst", "--delay", "120"] },
  { name: "a character cp437 lacks", form: { code_page: "cp437", line2: "5 €" },
    args: ["--codepage", "cp437", "--line2", "5 €"], refused: "line2" },
  { name: "a control character", form: { line1: "tab\there" }, args: ["--line1", "tab\there"], refused: "line1" },
  { name: "a combining mark", form: { code_page: "iso-8859-5", line3: "e\u0301" },
    args: ["--codepage", "iso-8859-5", "--line3", "e\u0301"], refused: "line3" },
];

for (const c of CASES) {
  test(c.name, async () => {
    const core = await openCore();
    for (const [name, value] of Object.entries(c.form))
      assert.ok(core.set(name, value), `${c.name}: the form has no ${name} "${value}"`);
    const bytes = core.run();
    const command = glimmerset(["send", "--output", "-", ...c.args]);
    if (c.refused) {
      assert.strictEqual(bytes, null, `${c.name}: the page would send what the command refuses`);
      assert.strictEqual(command.status, 2, `${c.name}: glimmerset send: ${command.stderr}`);
      assert.strictEqual(core.refusal(c.refused), refusalWords(command.stderr), `${c.name}: refusal`);
      return;
    }
    assert.strictEqual(command.status, 0, `${c.name}: glimmerset send: ${command.stderr}`);
    assert.ok(bytes, `${c.name}: the page refuses: ${["line1", "line2", "line3", "line4"].map(core.refusal)}`);
    const at = firstDifference(Buffer.from(bytes), command.stdout);
    assert.strictEqual(at, -1, `${c.name}: bytes differ at ${at}: ` +
      `page ${Buffer.from(bytes).toString("hex")}, command ${command.stdout.toString("hex")}`);
    const lines = core.get("screen") === "2x20" ? 2 : 4;
    const expected = moduleOf(command.stdout, lines);
    assert.strictEqual(core.view(), expected.words, `${c.name}: the module's words`);
    const picture = core.picture();
    assert.deepStrictEqual([picture.width, picture.height],
      [expected.picture.width, expected.picture.height], `${c.name}: picture size`);
    const pixel = firstDifference(Buffer.from(picture.pixels), expected.picture.rgba);
    assert.strictEqual(pixel, -1, `${c.name}: pixels differ at byte ${pixel}`);
  });
}

// A capture holds what no run sends: the page decodes it as glimmerset module --read does.
test("a capture with anomalies", async () => {
  const core = await openCore();
  const capture = Buffer.from("\x0cHi\x1bW\x85\x80\x00\x80\x80\x80\x80\x80junk", "latin1");
  assert.strictEqual(core.decode(capture), false, "the capture is taken as clean");
  assert.strictEqual(core.view(), moduleOf(capture, 4).words, "the module's words for the capture");
});

test("the page stays under 128 KiB", () => {
  const size = fs.statSync(process.env.GLIMMERSET_PAGE).size;
  assert.ok(size < 128 * 1024, `glimmerset.html is ${size} bytes`);
});
