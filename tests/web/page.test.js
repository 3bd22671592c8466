// The page from file:// in a real browser engine (GLIMMERSET_ENGINE: chromium, driven by
// playwright-core, or firefox, by puppeteer-core over WebDriver BiDi; Debian's own
// browsers), with a recording stand-in for navigator.serial put in before the page's script.
"use strict";
const assert = require("assert");
const fs = require("fs");
const os = require("os");
const path = require("path");
const { pathToFileURL } = require("url");
const { after, before, test } = require("node:test");
const { glimmerset, refusalWords, moduleOf, firstDifference } = require("./support.js");

const ENGINE = process.env.GLIMMERSET_ENGINE;
const PAGE = pathToFileURL(process.env.GLIMMERSET_PAGE).href;
const WAIT = { timeout: 60000 };  // a loaded machine is slow; every wait is for a condition

// Runs in the page before its script. Without <serial> the browser has no Web Serial. With
// it, navigator.serial follows the API's contract: requestPort needs a user's gesture and
// rejects with NotFoundError when the chooser is closed; open rejects with NetworkError for a
// port in use; the writable stream's close is the drain, and the port's close aborts the
// stream, so a drain that never ends keeps it from closing; an adapter pulled out fires
// "disconnect" and fails the write with NetworkError. window.__standIn records every call;
// its plan says what the next port does.
function standIn(serial) {
  const saved = (window.__saved = []);
  const createObjectURL = URL.createObjectURL;
  URL.createObjectURL = (blob) => (saved.push(blob), createObjectURL(blob));
  if (!serial) {
    delete Navigator.prototype.serial;
    return;
  }
  const control = (window.__standIn = {
    log: [], written: [], plan: { chooser: "choose", open: "ok", write: "ok", drain: "now" },
  });
  const log = (entry) => control.log.push(entry);
  const fail = (name, message) => new DOMException(message, name);
  class StandInPort extends EventTarget {
    constructor() {
      super();
      this.readable = null;
      this.writable = null;
    }
    async open(options) {
      log("open " + JSON.stringify(options));
      if (this.writable) throw fail("InvalidStateError", "The port is already open.");
      if (control.plan.open === "in use") throw fail("NetworkError", "Failed to open serial port.");
      const port = this;
      this.writable = new WritableStream({
        write(chunk) {
          if (control.plan.write === "unplug") {
            port.dispatchEvent(new Event("disconnect"));
            throw fail("NetworkError", "The device has been lost.");
          }
          log("write " + chunk.length);
          control.written.push(...chunk);
        },
        close() {
          log("drain");
          if (control.plan.drain === "never") return new Promise(() => {});
          if (control.plan.drain === "now") return log("drained");
          return new Promise((resolve) => { control.endDrain = () => resolve(log("drained")); });
        },
      });
    }
    async close() {
      log("port close");
      if (this.writable && this.writable.locked) throw fail("InvalidStateError", "A stream is locked.");
      if (this.writable) await this.writable.abort();
      this.writable = null;
      log("port closed");
    }
  }
  const serialApi = new EventTarget();
  serialApi.getPorts = async () => [];
  serialApi.requestPort = async () => {
    if (!navigator.userActivation.isActive) throw fail("SecurityError", "Must be handling a user gesture.");
    log("chooser");
    if (control.plan.chooser === "cancel") throw fail("NotFoundError", "No port selected by the user.");
    return new StandInPort();
  };
  Object.defineProperty(Navigator.prototype, "serial", { configurable: true, get: () => serialApi });
}

// The engine: a browser, and a fresh page of it (a context of its own) with the stand-in.
let browser, home;
async function launch() {
  const flags = ["--disable-gpu", "--disable-quic", "--no-first-run", "--disable-background-networking",
    "--disable-component-update", "--disable-sync"];
  // A browser writes into its home folder (a profile, crash reports, settings): one of its
  // own, so that nothing lands in the user's.
  home = fs.mkdtempSync(path.join(os.tmpdir(), ENGINE + "-home-"));
  const env = { ...process.env, HOME: home, XDG_CONFIG_HOME: path.join(home, ".config"),
    XDG_CACHE_HOME: path.join(home, ".cache"), XDG_DATA_HOME: path.join(home, ".local/share") };
  if (ENGINE === "chromium") {
    const { chromium } = require("playwright-core");
    browser = await chromium.launch({ executablePath: "/usr/bin/chromium", args: flags, env });
    return;
  }
  const puppeteer = require("puppeteer-core");
  browser = await puppeteer.launch({ browser: "firefox", executablePath: "/usr/bin/firefox-esr",
    headless: true, env });
}

async function openPage(serial) {
  const context = ENGINE === "chromium" ? await browser.newContext() : await browser.createBrowserContext();
  const page = await context.newPage();
  if (ENGINE === "chromium") await page.addInitScript(standIn, serial);
  else await page.evaluateOnNewDocument(standIn, serial);
  await page.goto(PAGE);
  const waitFor = (fn, arg) =>
    ENGINE === "chromium" ? page.waitForFunction(fn, arg, WAIT) : page.waitForFunction(fn, WAIT, arg);
  await waitFor(() => document.documentElement.dataset.ready === "true");
  return {
    page, waitFor,
    evaluate: (fn, arg) => page.evaluate(fn, arg),
    select: (selector, value) =>
      ENGINE === "chromium" ? page.selectOption(selector, value) : page.select(selector, value),
    status: () => page.evaluate(() => document.getElementById("status").textContent),
    // Waits until the status says what <pattern> (a regular expression's text) matches.
    statusSays: (pattern) => waitFor((p) => new RegExp(p).test(document.getElementById("status").textContent), pattern),
    close: () => context.close(),
  };
}

// A form set as a user sets it (typing, clicks, a choice) and the same run for the command.
async function fillForm(p) {
  await p.page.focus("#line1");
  await p.page.keyboard.type("Pump station 4");
  await p.page.click('input[name="baud"][value="2400"]');
  await p.page.click('input[name="show_startup"]');
  await p.page.click('input[name="brightness"][value="75"]');
  await p.page.focus("#line2");
  await p.page.keyboard.type("ready");
}
const FORM_ARGS = ["--baud", "2400", "--line1", "Pump station 4", "--show-startup", "--brightness", "75",
  "--line2", "ready"];

// Returns the canvas's pixels (RGBA), the standard form of the glass.
async function canvasPixels(p, id) {
  const base64 = await p.evaluate((canvasId) => {
    const canvas = document.getElementById(canvasId);
    const data = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height).data;
    let text = "";
    for (let i = 0; i < data.length; i += 8192) text += String.fromCharCode(...data.subarray(i, i + 8192));
    return btoa(text);
  }, id);
  return Buffer.from(base64, "base64");
}

async function sendWithEnter(p) {
  await p.page.focus("#line2");
  await p.page.keyboard.press("Enter");
}

before(launch);
after(async () => {
  if (browser) await browser.close();
  if (home) fs.rmSync(home, { recursive: true, force: true });
});

test(`${ENGINE}: Enter sends the command's bytes, the writer drained before the port closes`, async () => {
  const p = await openPage(true);
  await p.evaluate(() => { window.__standIn.plan.drain = "held"; });
  await fillForm(p);
  const command = glimmerset(["send", "--output", "-", ...FORM_ARGS]);
  const expected = moduleOf(command.stdout, 4);
  assert.strictEqual(await p.evaluate(() => document.getElementById("view").textContent), expected.words,
    "the module's words beside the glass");
  const pixels = await canvasPixels(p, "glass");
  assert.strictEqual(firstDifference(pixels, expected.picture.rgba), -1, "the canvas's pixels against --png");

  await sendWithEnter(p);
  await p.waitFor(() => window.__standIn.log.includes("drain"));
  assert.doesNotMatch(await p.status(), /complete/, "success said before the drain ended");
  await p.evaluate(() => window.__standIn.endDrain());
  await p.statusSays("^Configuration complete: the 94 bytes have left for the adapter");
  const { log, written } = await p.evaluate(() => window.__standIn);
  assert.deepStrictEqual(JSON.parse(log[1].slice(5)),
    { baudRate: 2400, dataBits: 8, stopBits: 1, parity: "none", flowControl: "none" }, "open options");
  assert.deepStrictEqual(log.map((entry) => entry.split(" {")[0]),
    ["chooser", "open", "write 94", "drain", "drained", "port close", "port closed"], "the order of the calls");
  assert.strictEqual(Buffer.from(written).toString("hex"), command.stdout.toString("hex"), "bytes written");
  await p.close();
});

// What goes wrong between the chooser and the drain: each is said, and the form keeps every value.
const FAILURES = [
  { name: "a chooser closed without a choice", plan: { chooser: "cancel" }, says: "^No port was chosen: nothing was sent" },
  { name: "a port in use", plan: { open: "in use" }, says: "^The port could not be opened" },
  { name: "an adapter pulled out during the write", plan: { write: "unplug" }, says: "^The adapter went away during the send" },
  { name: "a drain that never ends", plan: { drain: "never" },
    says: "^The adapter did not send the bytes within 1\\.8 s, so the send was stopped: the display may not have everything" },
];
for (const f of FAILURES) {
  test(`${ENGINE}: ${f.name}`, async () => {
    const p = await openPage(true);
    await p.evaluate((plan) => Object.assign(window.__standIn.plan, plan), f.plan);
    await fillForm(p);
    await sendWithEnter(p);
    await p.statusSays(f.says);
    const kept = await p.evaluate(() => [line1.value, line2.value, form.elements.baud.value,
      form.elements.brightness.value, form.elements.show_startup.checked]);
    assert.deepStrictEqual(kept, ["Pump station 4", "ready", "2400", "75", true], `${f.name}: the form's values`);
    const log = await p.evaluate(() => window.__standIn.log);
    if (f.plan.drain) assert.ok(log.includes("port close") && !log.includes("port closed"), log.join(", "));
    await p.close();
  });
}

test(`${ENGINE}: a refused line gets the command's words, and nothing is sent`, async () => {
  const p = await openPage(true);
  await p.select("#code_page", "cp437");
  await p.page.focus("#line2");
  await p.page.keyboard.type("5 €");
  await p.page.keyboard.press("Enter");
  const words = refusalWords(glimmerset(["send", "--output", "-", "--codepage", "cp437", "--line2", "5 €"]).stderr);
  await p.statusSays("^Nothing was sent\\. Line 2: ");
  assert.strictEqual(await p.status(), "Nothing was sent. Line 2: " + words, "the status");
  const state = await p.evaluate(() => [document.activeElement.id, window.__standIn.log.length,
    line2.getAttribute("aria-invalid"), getComputedStyle(glass).display]);
  assert.deepStrictEqual(state, ["line2", 0, "true", "none"],
    "focus, calls to the port, the line marked, the glass of no run");
  await p.close();
});

test(`${ENGINE}: without navigator.serial the page says who can send, and the rest works`, async () => {
  const p = await openPage(false);
  await fillForm(p);
  await sendWithEnter(p);
  await p.statusSays("^This browser cannot send");
  assert.strictEqual(await p.evaluate(() => document.getElementById("no-serial").hidden), false, "the note");
  await p.page.click("#save");
  await p.waitFor(() => window.__saved.length === 1);
  const saved = await p.evaluate(async () => [...new Uint8Array(await window.__saved[0].arrayBuffer())]);
  const command = glimmerset(["send", "--output", "-", ...FORM_ARGS]);
  assert.strictEqual(Buffer.from(saved).toString("hex"), command.stdout.toString("hex"), "the saved bytes");
  assert.strictEqual(await p.evaluate(() => document.getElementById("view").textContent),
    moduleOf(command.stdout, 4).words, "the module's words");
  await p.close();
});
