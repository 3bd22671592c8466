// The page's script: it moves values between the form, the compiled core (module.js) and
// the serial port. Every correction, refusal and byte is the core's; the words about Web
// Serial and the port are the page's own.
"use strict";

(async () => {
  const form = document.getElementById("form");
  const status = document.getElementById("status");
  const glass = document.getElementById("glass");
  const view = document.getElementById("view");
  const wasm = Uint8Array.from(atob(document.getElementById("glimmerset-wasm").textContent.trim()),
    (c) => c.charCodeAt(0));
  const core = await openModule(wasm);

  const fields = [...form.elements].filter((element) => element.name);
  const names = [...new Set(fields.map((element) => element.name))];
  const lines = names.filter((name) => /^line\d$/.test(name));
  const codePage = form.elements.namedItem("code_page");
  for (const name of core.codePages()) codePage.add(new Option(name, name));

  const say = (words) => { status.textContent = words; };
  const valueOf = (element) =>
    element.type === "checkbox" ? (element.checked ? "1" : "") : element.value;

  // Shows the value the core holds for each field; a text the user is editing keeps its
  // caret where it was.
  function showValues() {
    for (const element of fields) {
      const value = core.get(element.name);
      if (element.type === "checkbox") element.checked = value === "1";
      else if (element.type === "radio") element.checked = element.value === value;
      else if (element.value !== value) {
        const caret = Math.min(element.selectionStart ?? value.length, value.length);
        element.value = value;
        if (document.activeElement === element) element.setSelectionRange(caret, caret);
      }
      element.disabled = !core.enabled(element.name);
    }
  }

  function draw(canvas) {
    const { width, height, pixels } = core.picture();
    canvas.width = width;
    canvas.height = height;
    canvas.getContext("2d").putImageData(new ImageData(pixels, width, height), 0, 0);
  }

  // Returns the line's label and the core's words for each line that is refused.
  function refusals() {
    const found = [];
    for (const name of lines) {
      const words = core.refusal(name);
      const element = form.elements.namedItem(name);
      document.getElementById(name + "-refusal").textContent = words;
      element.setAttribute("aria-invalid", words ? "true" : "false");
      if (words) found.push({ element, words: element.labels[0].textContent + ": " + words });
    }
    return found;
  }

  // Builds the run as the form stands and shows what the display makes of it. Returns its
  // bytes, or null with the refusals shown.
  function update() {
    showValues();
    const bytes = core.run();
    const refused = refusals();
    glass.hidden = bytes === null;
    view.textContent = bytes ? core.view() :
      "Nothing can be sent as the form stands.\n" + refused.map((r) => r.words).join("\n");
    if (bytes) draw(glass);
    return { bytes, refused };
  }

  form.addEventListener("input", (event) => {
    const element = event.target;
    if (!element.name || (element.type === "radio" && !element.checked)) return;
    core.set(element.name, valueOf(element));
    update();
  });
  // Enter sends from every control of the form, as in the window.
  form.addEventListener("keydown", (event) => {
    if (event.key !== "Enter" || event.target.tagName !== "INPUT" || event.target.type === "file")
      return;
    event.preventDefault();
    form.requestSubmit();
  });

  const seconds = (ms) => (ms / 1000).toFixed(1) + " s";
  const LATE = Symbol("late");
  // Returns what <promise> gives, or LATE when it has not settled within <ms>.
  function within(promise, ms) {
    let timer;
    const late = new Promise((resolve) => { timer = setTimeout(() => resolve(LATE), ms); });
    return Promise.race([promise, late]).finally(() => clearTimeout(timer));
  }

  // Gives the port up after a failed or late send: the writer released, the port closed,
  // waiting no longer than <ms> for either (a writer whose drain never ends stays stuck).
  async function abandon(port, writer, ms) {
    writer.abort().catch(() => {});
    writer.releaseLock();
    await within(port.close(), ms).catch(() => {});
  }

  // Writes <bytes> to the open <port> and waits for the drain, each within <limit> ms.
  // Returns "sent", "late" or "gone".
  async function deliver(port, bytes, limit) {
    let gone = false;
    const unplugged = () => { gone = true; };
    port.addEventListener("disconnect", unplugged);
    const writer = port.writable.getWriter();
    writer.closed.catch(() => {});
    try {
      // The writer's close drains the adapter's buffers; closing the port first would
      // throw away what is still queued.
      if ((await within(writer.write(bytes), limit)) === LATE ||
          (await within(writer.close(), limit)) === LATE) {
        await abandon(port, writer, limit);
        return "late";
      }
      // The port closes only once no stream of it is locked.
      writer.releaseLock();
      await within(port.close(), limit).catch(() => {});
      return gone ? "gone" : "sent";
    } catch (error) {
      await abandon(port, writer, limit);
      return "gone";
    } finally {
      port.removeEventListener("disconnect", unplugged);
    }
  }

  // Returns the words for a request for a port that failed with <error>.
  function notChosen(error) {
    if (error.name === "NotFoundError") return "No port was chosen: nothing was sent.";
    if (error.name === "SecurityError")
      return "This browser does not let the page use serial ports (a policy or a setting " +
        "forbids it): nothing was sent. Save the bytes and send them with glimmerset send.";
    return "The browser could not offer its ports (" + error.message + "): nothing was sent.";
  }

  let sending = false;
  async function send(bytes) {
    let port;
    try {
      port = await navigator.serial.requestPort();
    } catch (error) {
      return notChosen(error);
    }
    try {
      await port.open({ baudRate: core.baud(), dataBits: 8, stopBits: 1, parity: "none",
        flowControl: "none" });
    } catch (error) {
      return "The port could not be opened (another program may be using it, or the " +
        "adapter was unplugged): nothing was sent.";
    }
    say("Sending " + bytes.length + " bytes at " + core.baud() + " baud…");
    const limit = core.writeLimitMs();
    const outcome = await deliver(port, bytes, limit);
    if (outcome === "sent")
      return "Configuration complete: the " + bytes.length + " bytes have left for the " +
        "adapter. The display never answers, so only the display itself shows that it took them.";
    if (outcome === "late")
      return "The adapter did not send the bytes within " + seconds(limit) + ", so the send " +
        "was stopped: the display may not have everything. Unplug the adapter, plug it in " +
        "again and press Send.";
    return "The adapter went away during the send (unplugged?): the display may not have " +
      "everything. Plug it in again and press Send.";
  }

  form.addEventListener("submit", async (event) => {
    event.preventDefault();
    if (sending) return;
    const { bytes, refused } = update();
    if (!bytes) {
      say("Nothing was sent. " + refused[0].words);
      refused[0].element.focus();
      return;
    }
    if (!("serial" in navigator)) {
      say("This browser cannot send: see the note above. Save the bytes instead.");
      return;
    }
    sending = true;
    say("Choose the display's port in the browser's list.");
    try {
      say(await send(bytes));
    } finally {
      sending = false;
    }
  });

  document.getElementById("save").addEventListener("click", () => {
    const { bytes, refused } = update();
    if (!bytes) {
      say("Nothing was saved. " + refused[0].words);
      refused[0].element.focus();
      return;
    }
    const link = document.createElement("a");
    link.href = URL.createObjectURL(new Blob([bytes], { type: "application/octet-stream" }));
    link.download = "glimmerset-run.bin";
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
    say("Saved " + bytes.length + " bytes as glimmerset-run.bin: glimmerset module --read " +
      "decodes the file, and glimmerset send's users or any serial program can send it.");
  });

  document.getElementById("capture").addEventListener("change", async (event) => {
    const file = event.target.files[0];
    if (!file) return;
    const clean = core.decode(new Uint8Array(await file.arrayBuffer()));
    document.getElementById("capture-title").textContent = "Capture: " + file.name;
    document.getElementById("capture-view").textContent = core.view();
    draw(document.getElementById("capture-glass"));
    document.getElementById("capture-section").hidden = false;
    say(file.name + ": " + (clean ? "exactly what configuration runs send." :
      "anomalies found, listed below the picture of the capture."));
    update();
  });

  document.getElementById("no-serial").hidden = "serial" in navigator;
  update();
  // How long the page takes to its first picture of the glass (tools/bench reads it).
  performance.mark("glimmerset-first-picture");
  document.documentElement.dataset.ready = "true";
})();
