// The web page's figures, measured in one run beside the Linux program: bytes fetched before the
// first globe, time from opening the page to the first globe on loopback, frames per second in
// headless Chromium (SwiftShader's WebGL) at 1280 x 720 against the Linux program on llvmpipe at
// the same size and settings, and the share of pixels that differ from the Linux program's
// picture of the same frame of the flyby. A benchmark, not a test: it prints, it asserts nothing.
// Usage: node bench/web/page_bench.js [SECONDS]   (scripts/web/build_site.sh and the linux preset
// built first; SECONDS of frame counting per configuration, 20 when not given)
"use strict";
const { execFileSync, spawn } = require("node:child_process");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const root = path.resolve(__dirname, "../..");
const puppeteer = require(path.join(root, "tests/web/node_modules/puppeteer-core"));
const { startServer, steppedClock } = require(path.join(root, "tests/web/page_server.js"));

const seconds = Number(process.argv[2] || 20);
const site = path.join(root, "build/web/site");
const data = path.join(root, "build/web/data8");
const program = path.join(root, "build/linux/shell/linux/redsphere");
const kWidth = 1280, kHeight = 720;
const kArgs = ["--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--no-sandbox"];
const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

async function openPage(browser, query, clockMs) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.setViewport({ width: kWidth, height: kHeight });
  // A reading moves the clock by a nanosecond only: each frame's time is the frame's step.
  if (clockMs) await page.evaluateOnNewDocument(steppedClock, clockMs, 0.000001);
  return { context, page };
}

// The first globe, the second frame drawn from the map data (the first shows the empty first
// slot): the time from opening the page, and the bytes the server sent for it, which are all it
// sent but the clouds' file (fetched after the globe's files, while the first frames are drawn).
async function firstGlobe(page, server) {
  server.state.served = [];
  const opened = Date.now();
  await page.goto(server.url + "?AdaptQuality=0");
  await page.waitForFunction(() => window.redspherePage && redspherePage.sceneFrames >= 2, { polling: 5, timeout: 120000 });
  const ms = Date.now() - opened;
  await page.waitForFunction(() => redspherePage.cloudsArrived, { polling: 50, timeout: 120000 });
  const served = server.state.served;
  const clouds = served.filter(([name]) => name.includes("/clouds")).reduce((sum, [, bytes]) => sum + bytes, 0);
  const all = served.reduce((sum, [, bytes]) => sum + bytes, 0);
  return { ms, bytes: all - clouds, clouds };
}

async function pageRate(browser, server, query) {
  const { context, page } = await openPage(browser, query);
  await page.goto(server.url + "?AdaptQuality=0&" + query);
  await page.waitForFunction(() => window.redspherePage && redspherePage.sceneFrames >= 3, { polling: 100, timeout: 120000 });
  await pause(3000);
  const start = await page.evaluate(() => [redspherePage.sceneFrames, performance.now()]);
  await pause(seconds * 1000);
  const end = await page.evaluate(() => [redspherePage.sceneFrames, performance.now()]);
  await context.close();
  return (1000 * (end[0] - start[0])) / (end[1] - start[1]);
}

function nativeRate(options) {
  const out = execFileSync("bash", ["-c",
    `XVFB_GEOMETRY=${kWidth}x${kHeight}x24 tests/xvfb/run_with_xvfb.sh timeout -s INT ${seconds + 8} ` +
    `${program} --data ${data} --size ${kWidth}x${kHeight} --fps --adapt-quality 0 ${options} || true`],
    { cwd: root, env: { ...process.env, HOME: os.tmpdir() }, encoding: "utf8" });
  const rates = [...out.matchAll(/([0-9.]+) frames per second/g)].map((m) => Number(m[1])).slice(1);
  return rates.length ? rates.reduce((a, b) => a + b, 0) / rates.length : NaN;
}

// Frame `frame` of the flyby on the page's stepped clock (30 frames a second of flight, as --frames
// steps the Linux program), as a PNG.
async function pageFrame(browser, server, frame) {
  const { context, page } = await openPage(browser, "", 1000 / 30);
  await page.evaluateOnNewDocument((n) => { window.holdWhen = () => window.redspherePage && redspherePage.sceneFrames >= n; }, frame);
  await page.goto(server.url + "?AdaptQuality=0");
  await page.waitForFunction(() => window.holdWhen(), { polling: 100, timeout: 240000 });
  await pause(500);
  await page.addStyleTag({ content: ".overlay, #controls, #note { visibility: hidden !important; }" });
  const picture = await page.screenshot({ encoding: "base64" });
  await context.close();
  return picture;
}

// Share of pixels whose channels differ by more than `tolerance`, measured in a browser page.
async function differingShare(browser, a, b, tolerance) {
  const page = await browser.newPage();
  const share = await page.evaluate(async (a, b, tolerance) => {
    const read = async (data) => {
      const image = new Image();
      image.src = "data:image/png;base64," + data;
      await image.decode();
      const canvas = new OffscreenCanvas(image.width, image.height);
      canvas.getContext("2d").drawImage(image, 0, 0);
      return canvas.getContext("2d").getImageData(0, 0, image.width, image.height).data;
    };
    const p = await read(a), q = await read(b);
    let differing = 0;
    for (let i = 0; i < p.length; i += 4)
      if (Math.abs(p[i] - q[i]) > tolerance || Math.abs(p[i + 1] - q[i + 1]) > tolerance ||
          Math.abs(p[i + 2] - q[i + 2]) > tolerance) ++differing;
    return differing / (p.length / 4);
  }, a, b, tolerance);
  await page.close();
  return share;
}

(async () => {
  const server = await startServer(site);
  const browser = await puppeteer.launch({ executablePath: "/usr/bin/chromium", headless: true, args: kArgs });
  try {
    // A first visit, then a second one in the same browser context (its cache kept).
    const { context, page } = await openPage(browser, "");
    const first = await firstGlobe(page, server);
    const again = await firstGlobe(page, server);
    await context.close();
    for (const [visit, figures] of [["first visit", first], ["second visit", again]])
      console.log(`${visit}: first globe ${figures.ms} ms after opening the page, ${(figures.bytes / 1e6).toFixed(2)} MB ` +
                  `sent before it (the clouds' ${(figures.clouds / 1e6).toFixed(2)} MB after it)`);
    const files = JSON.parse(fs.readFileSync(path.join(site, "data/manifest.json"))).files;
    console.log(`  (data set: ${files.length} files, ${(files.reduce((s, f) => s + f.gzipBytes, 0) / 1e6).toFixed(2)} MB compressed)`);
    for (const [query, options] of [["Shadows=1", "--shadows 1"], ["Shadows=0", "--shadows 0"]]) {
      const web = await pageRate(browser, server, query);
      const native = nativeRate(options);
      console.log(`${query}: page ${web.toFixed(2)} fps (Chromium, SwiftShader), Linux program ${native.toFixed(2)} fps ` +
                  `(llvmpipe), ratio ${(web / native).toFixed(2)}`);
    }
    const frame = 60;
    const out = fs.mkdtempSync(path.join(os.tmpdir(), "redsphere-frames-"));
    execFileSync(program, ["--data", data, "--frames", String(frame), "--out", out, "--size", `${kWidth}x${kHeight}`],
                 { cwd: root, env: { ...process.env, DISPLAY: "" }, stdio: "ignore" });
    // --frames writes from the second ready frame on: its picture N is the page's frame N + 1.
    const native = fs.readFileSync(path.join(out, `frame-${String(frame).padStart(5, "0")}.png`)).toString("base64");
    const web = await pageFrame(browser, server, frame + 1);
    fs.writeFileSync(path.join(out, "page.png"), Buffer.from(web, "base64"));
    for (const tolerance of [8, 24])
      console.log(`frame ${frame} of the flyby: ${(100 * await differingShare(browser, web, native, tolerance)).toFixed(2)} % ` +
                  `of pixels differ by more than ${tolerance} in a channel from the Linux program's (pictures in ${out})`);
  } finally {
    await browser.close();
    await server.close();
  }
})();
