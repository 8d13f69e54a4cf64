// A static server for the page's folder on 127.0.0.1, on the first free port of 8700..8799 from
// a start this process picks, with a switch that spoils one data file for a test: missing (404)
// or cut off after half its bytes. Used by the page's tests and its measurements.
"use strict";
const fs = require("fs");
const http = require("http");
const path = require("path");

const kTypes = { ".html": "text/html", ".js": "text/javascript", ".css": "text/css", ".wasm": "application/wasm",
                 ".json": "application/json", ".gz": "application/octet-stream" };

// Resolves to { server, port, url, spoil(name, how), bytesServed, close() }.
function startServer(folder) {
  const state = { spoiled: null, bytesServed: 0 };
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

module.exports = { startServer };
