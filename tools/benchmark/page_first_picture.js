// Prints the median time, in milliseconds, from opening the page in headless Chromium (the
// navigation's start) to its first picture of the glass, over TRIES loads, each in a fresh
// context. playwright-core comes from the web preset's test folder (NODE_PATH).
//
//   node tools/benchmark/page_first_picture.js PAGE TRIES
"use strict";
const { chromium } = require("playwright-core");
const fs = require("fs");
const os = require("os");
const path = require("path");
const { pathToFileURL } = require("url");

(async () => {
  const [page, tries] = [pathToFileURL(process.argv[2]).href, Number(process.argv[3])];
  // Chromium writes into its home folder (crash reports, settings): one of its own.
  const home = fs.mkdtempSync(path.join(os.tmpdir(), "chromium-home-"));
  const env = { ...process.env, HOME: home, XDG_CONFIG_HOME: path.join(home, ".config"),
    XDG_CACHE_HOME: path.join(home, ".cache"), XDG_DATA_HOME: path.join(home, ".local/share") };
  const browser = await chromium.launch({ executablePath: "/usr/bin/chromium", args: ["--disable-gpu",
    "--disable-quic", "--no-first-run", "--disable-background-networking", "--disable-component-update",
    "--disable-sync"], env });
  const times = [];
  for (let round = 0; round <= tries; round++) {
    const context = await browser.newContext();
    const tab = await context.newPage();
    await tab.goto(page);
    await tab.waitForFunction(() => document.documentElement.dataset.ready === "true", null,
      { timeout: 60000 });
    const ms = await tab.evaluate(() => performance.getEntriesByName("glimmerset-first-picture")[0].startTime);
    if (round > 0) times.push(ms);  // the first load warms the browser up
    await context.close();
  }
  await browser.close();
  fs.rmSync(home, { recursive: true, force: true });
  times.sort((a, b) => a - b);
  const middle = times.length >> 1;
  const median = times.length % 2 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
  console.log(median.toFixed(1));
})().catch((error) => {
  console.error("page_first_picture: " + error.message);
  process.exit(1);
});
