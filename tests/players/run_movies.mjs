// Plays SWF movies in the Ruffle player (its web build) inside headless Chromium and
// collects what each one traces. Everything is served from 127.0.0.1; nothing is fetched.
// Usage: node run_movies.mjs FOLDER [CHROMIUM]
// Each movie ends its script with trace("__end__"). Prints, per movie in name order, a line
// "== NAME" and then "- LINE" for each traced line (without the end marker; the line
// "__timeout__" last when it never came).
import { createServer } from "node:http";
import { mkdtempSync, readFileSync, readdirSync, rmSync, existsSync } from "node:fs";
import { tmpdir } from "node:os";
import { dirname, extname, join } from "node:path";
import { fileURLToPath } from "node:url";
import puppeteer from "puppeteer-core";

const here = dirname(fileURLToPath(import.meta.url));
const folder = process.argv[2];
const chromium = process.argv[3] || "/usr/bin/chromium";
const ruffleDir = join(here, "node_modules", "@ruffle-rs", "ruffle");
const END = "__end__";
const MOVIE_TIMEOUT_MS = 6000;
const PARALLEL = 3;

const page = `<!doctype html><html><body><div id="stage"></div><script>
window.RufflePlayer = window.RufflePlayer || {};
window.RufflePlayer.config = { logLevel: "info", autoplay: "on", unmuteOverlay: "hidden",
  splashScreen: false, warnOnUnsupportedContent: false, letterbox: "off",
  openUrlMode: "deny", allowNetworking: "none", showSwfDownload: false,
  contextMenu: "off", publicPath: "/ruffle/" };
</script><script src="/ruffle/ruffle.js"></script><script>
window.addEventListener("load", () => {
  const player = window.RufflePlayer.newest().createPlayer();
  player.style.width = "100px"; player.style.height = "100px";
  document.getElementById("stage").appendChild(player);
  player.ruffle().load({ url: "/movies/" + location.hash.slice(1) });
});
</script></body></html>`;

const types = { ".js": "text/javascript", ".wasm": "application/wasm",
  ".swf": "application/x-shockwave-flash", ".html": "text/html", ".map": "application/json" };

function serve(req, res) {
  const path = decodeURIComponent(new URL(req.url, "http://127.0.0.1").pathname);
  let file = null;
  if (path === "/page.html") {
    res.writeHead(200, { "content-type": "text/html" });
    res.end(page);
    return;
  }
  if (path.startsWith("/ruffle/")) file = join(ruffleDir, path.slice(8));
  else if (path.startsWith("/movies/")) file = join(folder, path.slice(8));
  if (!file || file.includes("..") || !existsSync(file)) {
    res.writeHead(404);
    res.end();
    return;
  }
  res.writeHead(200, { "content-type": types[extname(file)] || "application/octet-stream" });
  res.end(readFileSync(file));
}

// Ruffle's web build logs a trace as an info message of its log adapter, styled with %c
// markers; keep only the traced text.
const TRACE = /^%cINFO%c web\/src\/log_adapter\.rs:\d+%c (.*) color: whitesmoke; background: #444 color: gray; font-style: italic color: inherit$/s;
function traceText(text) {
  const match = TRACE.exec(text);
  return match ? match[1] : null;
}

async function play(browser, port, movie) {
  const tab = await browser.newPage();
  const lines = [];
  let finish;
  let finished = false;
  const done = new Promise((resolve) => (finish = () => { finished = true; resolve(); }));
  tab.on("console", (message) => {
    if (process.env.STRAVEL_PLAYER_DEBUG) console.error(message.type(), message.text());
    const text = traceText(message.text());
    // What comes after the end or the time-out would hide the time-out from the retry.
    if (text === null || finished) return;
    if (text === END) finish();
    else lines.push(...text.split(/\r\n|\r|\n/));
  });
  const timer = setTimeout(() => { lines.push("__timeout__"); finish(); }, MOVIE_TIMEOUT_MS);
  await tab.goto(`http://127.0.0.1:${port}/page.html#${encodeURIComponent(movie)}`);
  await done;
  clearTimeout(timer);
  await tab.close();
  return lines;
}

const server = createServer(serve);
await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
const port = server.address().port;
const profile = mkdtempSync(join(tmpdir(), "stravel-chromium-"));
const browser = await puppeteer.launch({
  executablePath: chromium,
  headless: true,
  userDataDir: profile,
  args: ["--no-sandbox", "--disable-gpu", "--disable-background-networking",
         "--disable-component-update", "--no-first-run", "--disable-sync",
         "--disable-dev-shm-usage", "--autoplay-policy=no-user-gesture-required"],
});
const results = {};
try {
  const movies = readdirSync(folder).filter((name) => name.endsWith(".swf")).sort();
  let next = 0;
  const worker = async () => {
    while (next < movies.length) {
      const movie = movies[next++];
      results[movie] = await play(browser, port, movie);
    }
  };
  await Promise.all(Array.from({ length: PARALLEL }, worker));
  // A busy machine can starve a tab: a movie that never finished gets one more quiet run. The
  // timer may fire while the page is still loading, and traces may follow the marker then.
  for (const movie of movies)
    if (results[movie].includes("__timeout__")) results[movie] = await play(browser, port, movie);
} finally {
  await browser.close();
  server.close();
  rmSync(profile, { recursive: true, force: true });
}
for (const movie of Object.keys(results).sort()) {
  console.log(`== ${movie}`);
  for (const line of results[movie]) console.log(`- ${line}`);
}
