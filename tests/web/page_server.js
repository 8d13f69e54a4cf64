// The page's test harness. A static server for the page's folder on 127.0.0.1, on the first free port of 8700..8799 from
// a start this process picks, with a switch that spoils one data file for a test: missing (404)
// or cut off after half its bytes; and a stepped clock for the page. Used by the page's tests and
// its measurements (bench/web).
"use strict";
const fs = require("fs");
const http = require("http");
const path = require("path");

const kTypes = { ".html": "text/html", ".js": "text/javascript", ".css": "text/css", ".wasm": "application/wasm",
                 ".json": "application/json", ".gz": "application/octet-stream" };

// Resolves to { server, port, url, spoil(name, how), bytesServed, close() }.
function startServer(folder) {
  const state = { spoiled: null, bytesServed: 0, served: [] };  // served: [path, bytes] in order
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, "http://x").pathname);
    const file = path.join(folder, name.endsWith("/") ? name + "index.html" : name);
    if (!file.startsWith(folder) || !fs.existsSync(file) || fs.statSync(file).isDirectory() ||
        (state.spoiled && name === "/data/" + state.spoiled.name && state.spoiled.how === "missing")) {
      response.writeHead(404);
      response.end();
      return;
    }
    let body = fs.readFileSync(file);
    if (state.spoiled && name === "/data/" + state.spoiled.name && state.spoiled.how === "truncated")
      body = body.subarray(0, body.length >> 1);
    state.bytesServed += body.length;
    state.served.push([name, body.length]);
    response.writeHead(200, { "Content-Type": kTypes[path.extname(file)] || "application/octet-stream",
                              "Content-Length": body.length });
    response.end(body);
  });
  const first = 8700 + (process.pid % 100);
  return new Promise((resolve, reject) => {
    let tries = 0;
    const listen = () => server.listen(8700 + ((first - 8700 + tries) % 100), "127.0.0.1");
    server.on("error", (error) => {
      if (error.code !== "EADDRINUSE" || ++tries >= 100) return reject(error);
      listen();
    });
    server.on("listening", () => {
      const port = server.address().port;
      resolve({
        port, url: "http://127.0.0.1:" + port + "/", state,
        spoil: (name, how) => { state.spoiled = name ? { name, how } : null; },
        close: () => new Promise((done) => { server.closeAllConnections(); server.close(done); }),
      });
    });
    listen();
  });
}

// Runs in the page before its scripts (page.evaluateOnNewDocument): a clock that moves `frameMs`
// at each of the browser's frames and `readingMs` at each reading (so a wait on it ends), so the
// flight reaches the same place at the same frame in every run; frames stop while
// window.holdWhen() says so, and the canvas keeps showing the last one. Waits on such a page poll
// by time, never by its frames.
function steppedClock(frameMs, readingMs) {
  let now = 0;
  performance.now = () => (now += readingMs);
  const nextFrame = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = (callback) => nextFrame(() => {
    if (window.holdWhen && window.holdWhen()) return void window.requestAnimationFrame(callback);
    now += frameMs;
    callback(now);
  });
}

module.exports = { startServer, steppedClock };
