// The web page in Debian's headless Chromium (SwiftShader's WebGL), driven over the DevTools
// protocol: the globe where it belongs (WebGL 2 and 1), keys and drags that fly the camera, no
// frames while the page is hidden, the tour's caption, the shadows setting from the address, a
// spoiled data set's message naming the file, and the message of a browser without WebGL. Each case has a browser context of its own (its own cache).
"use strict";
const assert = require("node:assert/strict");
const fs = require("node:fs");
const { test, before, after } = require("node:test");
const puppeteer = require("puppeteer-core");
const { startServer, steppedClock } = require("./page_server.js");

const site = process.env.REDSPHERE_SITE;
const kChromium = "/usr/bin/chromium";
const kSoftwareWebGl = ["--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--no-sandbox"];
const kStill = "AutoControl=manual&TerraformMode=0&AdaptQuality=0";  // a camera that moves only on input

let server, browser;

before(async () => {
  assert.ok(site && fs.existsSync(site + "/data/manifest.json"), "the page and its data: scripts/web/build_site.sh");
  server = await startServer(site);
  browser = await puppeteer.launch({ executablePath: kChromium, headless: true, args: kSoftwareWebGl });
});

after(async () => {
  if (browser) await browser.close();
  if (server) await server.close();
});

async function openPage(query, width = 480, height = 270, chromium = browser, clock = null) {
  const context = await chromium.createBrowserContext();
  const page = await context.newPage();
  await page.setViewport({ width, height });
  if (clock) await page.evaluateOnNewDocument(steppedClock, clock, 0.25);
  await page.goto(server.url + "?" + query);
  return { context, page };
}

// Frames drawn from the loaded map data, the first of which shows the empty first slot.
async function waitForGlobe(page, frames = 4) {
  await page.waitForFunction((n) => window.redspherePage && (redspherePage.sceneFrames >= n || redspherePage.failed),
                             { timeout: 120000, polling: 100 }, frames);
  assert.equal(await page.evaluate(() => redspherePage.failed), false, await page.evaluate(() => redspherePage.lastFailure));
}

// The canvas alone: the page's text and buttons over it are hidden for the picture.
async function shot(page) {
  await page.addStyleTag({ content: ".overlay, #controls, #note { visibility: hidden !important; }" });
  const picture = (await page.screenshot({ encoding: "base64" })).toString();
  await page.addStyleTag({ content: ".overlay, #controls, #note { visibility: visible !important; }" });
  return picture;
}

// Runs in the page: decodes screenshots and measures them. Reddish pixels (the globe at the
// initial view, without the terraformed look) give the globe's box; two pictures give the share
// of pixels that differ by more than 24 in a channel, and how many of those are darker in the first.
async function measure(page, pictures) {
  return page.evaluate(async (pictures) => {
    const pixels = [];
    for (const data of pictures) {
      const image = new Image();
      image.src = "data:image/png;base64," + data;
      await image.decode();
      const canvas = new OffscreenCanvas(image.width, image.height);
      const context = canvas.getContext("2d");
      context.drawImage(image, 0, 0);
      pixels.push(context.getImageData(0, 0, image.width, image.height));
    }
    const { width, height, data } = pixels[0];
    let left = width, right = -1, top = height, bottom = -1;
    for (let y = 0; y < height; ++y)
      for (let x = 0; x < width; ++x) {
        const i = 4 * (y * width + x);
        if (data[i] > 60 && data[i] > data[i + 2] + 20) {
          left = Math.min(left, x); right = Math.max(right, x); top = Math.min(top, y); bottom = Math.max(bottom, y);
        }
      }
    let differing = 0, darker = 0;
    if (pixels.length > 1) {
      const other = pixels[1].data;
      for (let i = 0; i < data.length; i += 4) {
        if (Math.abs(data[i] - other[i]) <= 24 && Math.abs(data[i + 1] - other[i + 1]) <= 24 &&
            Math.abs(data[i + 2] - other[i + 2]) <= 24) continue;
        ++differing;
        if (data[i] + data[i + 1] + data[i + 2] < other[i] + other[i + 1] + other[i + 2]) ++darker;
      }
    }
    return { width, height, left, right, top, bottom, differingShare: differing / (width * height),
             darkerShare: differing ? darker / differing : 0 };
  }, pictures);
}

const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// WebGL 2 first; Chromium without it (--disable-webgl2) gives the page WebGL 1, whose shadows
// take the WEBGL_depth_texture extension: both draw the same globe, shadows on, with no line.
test("the globe stands in the middle of the page, whole and round, on WebGL 2 and on WebGL 1", async () => {
  const webgl1 = await puppeteer.launch({ executablePath: kChromium, headless: true,
                                          args: [...kSoftwareWebGl, "--disable-webgl2"] });
  try {
    for (const [version, chromium] of [[2, browser], [1, webgl1]]) {
      const { context, page } = await openPage(kStill, 640, 360, chromium);
      await waitForGlobe(page);
      const box = await measure(page, [await shot(page)]);
      const state = await page.evaluate(() => [redspherePage.webgl, redspherePage.lastFailure]);
      await context.close();
      assert.deepEqual(state, [version, ""], "the WebGL version, and no line (shadows kept)");
      const centreX = (box.left + box.right) / 2, centreY = (box.top + box.bottom) / 2;
      const across = box.right - box.left, down = box.bottom - box.top;
      assert.ok(Math.abs(centreX - 320) < 12 && Math.abs(centreY - 180) < 12, JSON.stringify(box));
      assert.ok(down > 0.4 * 360 && down < 0.98 * 360, "the globe's height on the page: " + JSON.stringify(box));
      assert.ok(Math.abs(across - down) < 0.06 * down, "round: " + JSON.stringify(box));
    }
  } finally {
    await webgl1.close();
  }
});

test("a held arrow key and a drag each fly the camera; without input it stays", async () => {
  const { context, page } = await openPage(kStill);
  await waitForGlobe(page);
  await page.focus("#globe");
  // Manual control starts with the globe turning; End stops it.
  await page.keyboard.press("End");
  await pause(1000);
  const still = await shot(page);
  await pause(2500);
  const later = await shot(page);
  await page.keyboard.down("ArrowRight");
  await pause(2500);
  await page.keyboard.up("ArrowRight");
  await pause(1000);
  const afterKey = await shot(page);
  // A mouse reports a move every frame or so; manual flight gathers speed while the moves go on
  // from frame to frame and stops at the first frame without one, so sparse moves barely fly.
  await page.mouse.move(140, 135);
  await page.mouse.down();
  for (let step = 1; step <= 100; ++step) {
    await page.mouse.move(140 + 2 * step, 135);
    await pause(15);
  }
  await page.mouse.up();
  await pause(1000);
  const afterDrag = await shot(page);
  const unmoved = await measure(page, [still, later]);
  const keyed = await measure(page, [later, afterKey]);
  const dragged = await measure(page, [afterKey, afterDrag]);
  await context.close();
  // The planet turns slowly under the sun by itself; the key and the drag move far more.
  assert.ok(keyed.differingShare > 4 * unmoved.differingShare && keyed.differingShare > 0.05,
            `after the arrow key ${keyed.differingShare}, without input ${unmoved.differingShare}`);
  assert.ok(dragged.differingShare > 4 * unmoved.differingShare && dragged.differingShare > 0.05,
            `after the drag ${dragged.differingShare}, without input ${unmoved.differingShare}`);
});

test("a hidden page draws no frame, and draws again once shown", async () => {
  const { context, page } = await openPage(kStill);
  await waitForGlobe(page);
  const other = await context.newPage();
  await other.bringToFront();
  await pause(500);
  const hidden = await page.evaluate(() => [document.visibilityState, redspherePage.sceneFrames]);
  await pause(3000);
  const stillHidden = await page.evaluate(() => [document.visibilityState, redspherePage.sceneFrames]);
  await page.bringToFront();
  await pause(3000);
  const shown = await page.evaluate(() => [document.visibilityState, redspherePage.sceneFrames]);
  await context.close();
  assert.deepEqual(stillHidden, ["hidden", hidden[1]], "frames while hidden");
  assert.equal(shown[0], "visible");
  assert.ok(shown[1] > hidden[1], "frames once shown again: " + shown[1]);
});

test("the tour names a landmark of the table in its caption", async () => {
  const names = fs.readFileSync(process.env.REDSPHERE_LANDMARKS, "utf8").split("\n").slice(1)
    .filter((line) => line.trim()).map((line) => line.split(",")[0]);
  const { context, page } = await openPage("AutoControl=tour&TerraformMode=0");
  await waitForGlobe(page);
  await page.waitForFunction(() => {
    const caption = document.getElementById("caption");
    return !caption.classList.contains("hidden") && Number(caption.style.opacity) > 0.5;
  }, { timeout: 240000, polling: 100 });
  const title = await page.$eval("#caption .title", (element) => element.textContent);
  const facts = await page.$eval("#caption .facts", (element) => element.textContent);
  await context.close();
  assert.ok(names.includes(title), "the caption's title " + JSON.stringify(title));
  assert.ok(facts.length > 10, "the caption's facts " + JSON.stringify(facts));
});

// The tour's sun stands 18 degrees above each landmark's horizon, so slopes cast long shadows.
// On a stepped clock both runs hold the same frame of the flight: what differs is the shadows,
// and only on the ground (the sky above the horizon stays as it was).
test("Shadows=0 in the address takes the cast shadows out of the same frame of the tour", async () => {
  const pictures = [];
  let heldAt = 0;
  for (const shadows of [1, 0]) {
    const { context, page } = await openPage("AutoControl=tour&TerraformMode=0&AdaptQuality=0&Shadows=" + shadows,
                                             480, 270, browser, 250);
    if (shadows) {
      await page.evaluate(() => {
        window.holdWhen = () => Number(document.getElementById("caption").style.opacity) > 0.5;
      });
    } else {
      await page.evaluate((frame) => { window.holdWhen = () => redspherePage.sceneFrames >= frame; }, heldAt);
    }
    await page.waitForFunction(() => window.holdWhen(), { timeout: 240000, polling: 100 });
    await pause(300);
    heldAt = await page.evaluate(() => redspherePage.sceneFrames);
    pictures.push(await shot(page));
    if (!shadows) pictures.push(await measure(page, [pictures[0], pictures[1]]));
    await context.close();
  }
  // The same frame drawn twice with the same settings is the same picture to the pixel, so the
  // pixels that differ are the shadows' (about 0.2 % at this size: level 8's relief is gentle), and
  // shadows only ever darken.
  const compared = pictures[2];
  assert.ok(compared.differingShare > 0.0005 && compared.differingShare < 0.2,
            "pixels the shadows change: " + compared.differingShare);
  assert.ok(compared.darkerShare > 0.9, "of them darker with shadows: " + compared.darkerShare);
});

for (const [file, how] of [["topo8.hex", "missing"], ["mars8.hex", "truncated"]]) {
  test(`a ${how} ${file} gives the page's message naming it, and no globe`, async () => {
    server.spoil(file + ".gz", how);
    try {
      const { context, page } = await openPage(kStill);
      await page.waitForFunction(() => window.redspherePage && redspherePage.failed, { timeout: 120000, polling: 100 });
      const message = await page.$eval("#message", (element) => element.textContent);
      const hidden = await page.$eval("#message", (element) => element.classList.contains("hidden"));
      const frames = await page.evaluate(() => redspherePage.sceneFrames);
      await context.close();
      assert.equal(hidden, false);
      assert.match(message, new RegExp(file.replace(".", "\\.") + " in /data: "));
      assert.equal(frames, 0);
    } finally {
      server.spoil(null);
    }
  });
}

test("a browser without WebGL gets the page's message", async () => {
  const bare = await puppeteer.launch({ executablePath: kChromium, headless: true,
                                        args: ["--disable-webgl", "--disable-3d-apis", "--no-sandbox"] });
  try {
    const { page } = await openPage(kStill, 480, 270, bare);
    await page.waitForFunction(() => window.redspherePage && redspherePage.failed, { timeout: 60000, polling: 100 });
    assert.match(await page.$eval("#message", (element) => element.textContent), /WebGL/);
  } finally {
    await bare.close();
  }
});
