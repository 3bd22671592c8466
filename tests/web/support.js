// What the page's tests share: glimmerset (the host build of the command), the compiled
// module as the page loads it, and a PNG decoder from node's own zlib.
"use strict";
const { execFileSync } = require("child_process");
const fs = require("fs");
const path = require("path");
const zlib = require("zlib");
const { openModule } = require("../../web/module.js");

// Returns what glimmerset <args> gave: its exit status, standard output (bytes) and error.
function glimmerset(args, input) {
  try {
    const stdout = execFileSync(process.env.GLIMMERSET, args, { input, stdio: "pipe" });
    return { status: 0, stdout, stderr: "" };
  } catch (error) {
    if (error.status === null) throw error;
    return { status: error.status, stdout: error.stdout, stderr: error.stderr.toString() };
  }
}

// Returns the words with which glimmerset send refuses a line: what follows "--lineN 'TEXT': ".
function refusalWords(stderr) {
  const found = /--line\d '.*?': (.*) \(see /s.exec(stderr);
  return found ? found[1] : stderr;
}

// Returns what glimmerset module makes of <bytes> on a module of <lines> lines: its words and
// its picture's pixels as RGBA, as the page draws them.
function moduleOf(bytes, lines) {
  const png = path.join(fs.mkdtempSync(path.join(process.env.TMPDIR, "png-")), "glass.png");
  const words = glimmerset(["module", "--lines", String(lines), "--png", png, "--read", "-"], bytes);
  const picture = decodePng(fs.readFileSync(png));
  fs.rmSync(path.dirname(png), { recursive: true });
  return { words: words.stdout.toString(), picture };
}

// Returns the width, height and RGBA pixels of an 8-bit RGB PNG.
function decodePng(file) {
  let width, height;
  const data = [];
  for (let at = 8; at < file.length; ) {
    const length = file.readUInt32BE(at), type = file.toString("latin1", at + 4, at + 8);
    const body = file.subarray(at + 8, at + 8 + length);
    if (type === "IHDR") [width, height] = [body.readUInt32BE(0), body.readUInt32BE(4)];
    if (type === "IHDR" && (body[8] !== 8 || body[9] !== 2)) throw new Error("not 8-bit RGB");
    if (type === "IDAT") data.push(body);
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(data)), row = width * 3;
  const rgb = Buffer.alloc(row * height);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (row + 1)], line = raw.subarray(y * (row + 1) + 1, (y + 1) * (row + 1));
    for (let x = 0; x < row; x++) {
      const a = x >= 3 ? rgb[y * row + x - 3] : 0, b = y ? rgb[(y - 1) * row + x] : 0;
      const c = x >= 3 && y ? rgb[(y - 1) * row + x - 3] : 0;
      const p = a + b - c, [pa, pb, pc] = [Math.abs(p - a), Math.abs(p - b), Math.abs(p - c)];
      const predicted = [0, a, b, (a + b) >> 1, pa <= pb && pa <= pc ? a : pb <= pc ? b : c][filter];
      rgb[y * row + x] = (line[x] + predicted) & 255;
    }
  }
  const rgba = Buffer.alloc(width * height * 4, 255);
  for (let i = 0; i < width * height; i++) rgb.copy(rgba, i * 4, i * 3, i * 3 + 3);
  return { width, height, rgba };
}

// Returns where two byte strings first differ, or -1.
function firstDifference(a, b) {
  for (let i = 0; i < Math.max(a.length, b.length); i++) if (a[i] !== b[i]) return i;
  return -1;
}

const openCore = () => openModule(fs.readFileSync(process.env.GLIMMERSET_WASM));

module.exports = { glimmerset, refusalWords, moduleOf, firstDifference, openCore };
