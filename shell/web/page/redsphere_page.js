// The page around the program: it fetches the level's data set (compressed, with its progress, kept
// in the browser's cache), writes it into the program's memory file system, shows the program's
// overlays and messages as text over the canvas, and keeps the full-screen button. The program
// (redsphere.js) calls the methods of Module.redspherePage.
"use strict";

(function () {
  const MB = 1e6;
  const byId = (id) => document.getElementById(id);
  const show = (element, on) => element.classList.toggle("hidden", !on);

  const page = {
    capsLock: false,
    webgl: 0,             // 1 or 2 once the program has its context
    sceneFrames: 0,       // frames drawn with the map data loaded
    loadedAt: 0,          // performance.now() when the data set was in
    downloadedBytes: 0,   // compressed bytes fetched for the data set
    globeBytes: 0,        // of them, those fetched before the globe could be drawn
    cloudsArrived: false, // the clouds' file came after the globe and was handed to the program
    failed: false,
    lastFailure: "",
    shown: {},            // what the overlays show now, so only changes touch the page
  };

  function message(text) {
    page.failed = true;
    show(byId("loading"), false);
    show(byId("progress"), false);
    byId("message").textContent = text;
    show(byId("message"), true);
  }

  page.noWebGl = function () {
    message("Redsphere draws the globe with WebGL, which this browser does not offer " +
            "(it may be switched off, or the graphics driver refused).");
  };

  // Every line the program reports; a load that fails leaves its line as the page's message.
  page.failureLine = function (line) {
    page.lastFailure = line;
    const note = byId("note");
    note.textContent = line;
    show(note, true);
  };

  page.loadFailed = function () {
    message("Redsphere cannot show the globe: " + (page.lastFailure || "its start failed"));
  };

  page.backEnd = function (version, depthTextures) {
    page.webgl = version;
    document.body.dataset.webgl = String(version);
    document.body.dataset.shadows = depthTextures ? "possible" : "none";
  };

  page.overlays = function (loading, help, fps, title, facts, opacity) {
    if (page.failed) return;
    if (!loading) page.sceneFrames++;
    const s = page.shown;
    if (s.loading !== loading) show(byId("loading"), (s.loading = loading));
    if (s.help !== help) show(byId("help"), (s.help = help));
    const fpsText = fps >= 0 ? fps.toFixed(1) + " fps" : "";
    if (s.fps !== fpsText) {
      byId("fps").textContent = s.fps = fpsText;
      show(byId("fps"), fpsText !== "");
    }
    const caption = byId("caption");
    if (s.title !== title || s.facts !== facts) {
      caption.querySelector(".title").textContent = s.title = title;
      caption.querySelector(".facts").textContent = s.facts = facts;
      show(caption, title !== "");
    }
    const alpha = title !== "" ? opacity.toFixed(2) : "0";
    if (s.opacity !== alpha) caption.style.opacity = s.opacity = alpha;
  };

  function progress(done, total) {
    byId("progress").textContent =
      "Loading map data " + (done / MB).toFixed(1) + " of " + (total / MB).toFixed(1) + " MB";
  }

  // The response for a compressed file: from this version's cache when the browser has one
  // (a second visit starts at once), else from the server, then kept.
  async function fetchKept(cache, url) {
    const kept = cache ? await cache.match(url) : undefined;
    if (kept) return kept;
    const response = await fetch(url, { cache: "no-cache" });
    if (cache && response.ok) await cache.put(url, response.clone());
    return response;
  }

  async function openCache(version) {
    if (!self.caches) return null;  // only secure contexts (https, localhost) have the cache API
    try {
      const name = "redsphere-data-" + version;
      for (const old of await caches.keys()) if (old.startsWith("redsphere-data-") && old !== name) await caches.delete(old);
      return await caches.open(name);
    } catch (error) {
      return null;
    }
  }

  // The whole body, counting its bytes as they come.
  async function readCounted(response, onBytes) {
    const reader = response.body.getReader();
    const chunks = [];
    for (;;) {
      const { done, value } = await reader.read();
      if (done) break;
      chunks.push(value);
      onBytes(value.length);
    }
    return new Blob(chunks);
  }

  // Decompressed bytes as far as the stream is whole: a cut-off or damaged file gives what came
  // before the damage, and the loader's own rules then judge the file.
  async function inflate(blob) {
    const reader = blob.stream().pipeThrough(new DecompressionStream("gzip")).getReader();
    const chunks = [];
    let damaged = false;
    try {
      for (;;) {
        const { done, value } = await reader.read();
        if (done) break;
        chunks.push(value);
      }
    } catch (error) {
      damaged = true;
    }
    return { bytes: new Uint8Array(await new Blob(chunks).arrayBuffer()), damaged };
  }

  // One file into `folder`, counting its compressed bytes; a missing one is left out, for the
  // loader to name.
  async function fetchFile(cache, folder, file, onBytes) {
    const url = "data/" + file.name + ".gz";
    const response = await fetchKept(cache, url);
    if (!response.ok) {
      page.failureLine(url + ": the server answered " + response.status + " " + response.statusText);
      return;
    }
    const blob = await readCounted(response, (n) => { page.downloadedBytes += n; onBytes(n); });
    const { bytes, damaged } = await inflate(blob);
    if (damaged) {
      page.failureLine(url + " is cut off or damaged: " + bytes.length + " bytes of " + file.name + " came out of it");
      if (cache) await cache.delete(url);
    }
    Module.FS.writeFile(folder + "/" + file.name, bytes);
  }

  // Every file of the level into `folder`: the globe's first, which the program loads at once,
  // then the clouds', which it adds when they come.
  page.fetchData = async function (folder, level, clouds) {
    try {
      const manifestResponse = await fetch("data/manifest.json", { cache: "no-cache" });
      if (!manifestResponse.ok) throw new Error("data/manifest.json: the server answered " + manifestResponse.status);
      const manifest = await manifestResponse.json();
      const files = manifest.files.filter((f) => f.level === 0 || f.level === level);
      const globe = files.filter((f) => !f.clouds), cloudFiles = clouds ? files.filter((f) => f.clouds) : [];
      const total = globe.reduce((sum, f) => sum + f.gzipBytes, 0);
      const cache = await openCache(manifest.version);
      let done = 0;
      progress(0, total);
      show(byId("progress"), true);
      Module.FS.mkdirTree(folder);
      for (const file of globe) await fetchFile(cache, folder, file, (n) => progress((done += n), total));
      show(byId("progress"), false);
      page.loadedAt = performance.now();
      page.globeBytes = page.downloadedBytes;
      Module._RedsphereDataArrived();
      if (page.failed) return;
      for (const file of cloudFiles) await fetchFile(cache, folder, file, () => {});
      if (cloudFiles.length) Module._RedsphereCloudsArrived();
      page.cloudsArrived = true;
    } catch (error) {
      Module._RedsphereStop();
      message("Redsphere cannot fetch its map data: " + error.message);
    }
  };

  function keepCapsLock(event) {
    if (event.getModifierState) page.capsLock = event.getModifierState("CapsLock");
  }
  addEventListener("keydown", keepCapsLock, true);
  addEventListener("keyup", keepCapsLock, true);

  byId("fullscreen").addEventListener("click", () => {
    const root = document.documentElement;
    if (document.fullscreenElement) document.exitFullscreen();
    else if (root.requestFullscreen) root.requestFullscreen();
    byId("globe").focus();
  });
  byId("globe").addEventListener("contextmenu", (event) => event.preventDefault());

  if (!self.WebAssembly) {
    addEventListener("DOMContentLoaded", () => message("Redsphere needs WebAssembly, which this browser does not offer."));
  }

  window.Module = {
    redspherePage: page,
    canvas: byId("globe"),
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
  };
  window.redspherePage = page;
})();
