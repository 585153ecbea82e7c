// Assembles the browser studio into one folder that any static host serves, at any path:
//   node --no-experimental-fetch tools/web_app.mjs --module build/wasm/pelto-web.js --out DIR
// The page is the service's own, filled by the WebAssembly module as the service fills it for
// "/", with its links made relative, a policy that allows nothing from elsewhere, the manifest
// and the mark that makes the script use the browser's back end. Beside it: the page's script
// and style, the back end, its Worker and the module, the Japanese messages, the icons, the
// manifest and the service worker, whose version is a hash of all the others.
import { createHash } from "node:crypto";
import fs from "node:fs";
import { createRequire } from "node:module";
import path from "node:path";
import { fileURLToPath } from "node:url";

const Repository = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "..");
const PageFiles = ["page.css", "page.js", "service.js"].map((name) =>
  path.join(Repository, "src/service/web", name));
const LocalFiles = ["local.js", "worker.js"].map((name) =>
  path.join(Repository, "src/browser/web", name));
const ServiceWorker = path.join(Repository, "src/browser/web/sw.js");
// The font of name tags (Debian's fonts-ipafont-gothic), beside the app but not part of its
// first download: the Worker fetches it when a tag is first drawn.
const TagFont = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";
const IconSizes = [192, 512];
const Accent = "#2f5fb3";

// Workers and the service worker come from this folder; pictures are the page's own blob:
// URLs (and data: for none), which the page may also read back; the module is compiled in its
// Worker.
const Policy = ["default-src 'self'", "script-src 'self' 'wasm-unsafe-eval'",
                "img-src 'self' blob: data:", "style-src 'self'", "worker-src 'self'",
                "connect-src 'self' blob:", "object-src 'none'", "base-uri 'none'",
                "form-action 'none'"].join("; ");

function fail(message) {
  console.error("web_app.mjs: " + message);
  process.exit(1);
}

function options(argv) {
  const given = {};
  for (let at = 0; at < argv.length; at += 2) {
    const name = argv[at];
    if (!["--module", "--out"].includes(name) || at + 1 >= argv.length)
      fail("usage: web_app.mjs --module PELTO_WEB_JS --out DIR");
    given[name.slice(2)] = argv[at + 1];
  }
  if (!given.module || !given.out)
    fail("usage: web_app.mjs --module PELTO_WEB_JS --out DIR");
  return given;
}

// The page as a static file: every link of the site's root made relative, so the app works in
// any folder of any host.
export function localPage(html) {
  let page = html.replace(/\b(href|src|action)="\/([^"/][^"]*)?"/g,
                          (all, name, rest) => `${name}="${rest || "./"}"`);
  const absolute = page.match(/\b(?:href|src|action)="\/[^"]*"/);
  if (absolute)
    fail("the page keeps a link of the site's root: " + absolute[0]);
  const head = '<meta charset="utf-8">';
  if (!page.includes(head) || !page.includes('<link rel="icon" href="data:,">'))
    fail("the page's head is not as expected");
  page = page.replace(head, head + "\n" +
    `<meta http-equiv="Content-Security-Policy" content="${Policy}">\n` +
    '<meta name="pelto-back-end" content="local.js">\n' +
    `<meta name="theme-color" content="${Accent}">`);
  return page.replace('<link rel="icon" href="data:,">',
                      '<link rel="icon" href="icon-192.png">\n' +
                      '<link rel="manifest" href="manifest.webmanifest">');
}

function manifest() {
  return JSON.stringify({
    name: "PELTO in Wonderland",
    short_name: "PELTO",
    description: "The characters of Wonderland ONLINE dressed from your own game folder.",
    start_url: ".",
    scope: ".",
    display: "standalone",
    background_color: "#ffffff",
    theme_color: Accent,
    icons: IconSizes.map((size) => ({ src: `icon-${size}.png`, sizes: `${size}x${size}`,
                                      type: "image/png", purpose: "any" })),
  }, null, 2) + "\n";
}

// The service worker of these files: its version a hash of every file and of its own text.
export function serviceWorker(template, files) {
  const hash = createHash("sha256");
  for (const name of Object.keys(files).sort()) {
    hash.update(name + "\0");
    hash.update(files[name]);
    hash.update("\0");
  }
  hash.update(template);
  const version = hash.digest("hex").slice(0, 16);
  const versionLine = 'const Version = "unbuilt";';
  const filesLine = "const Files = [];";
  if (!template.includes(versionLine) || !template.includes(filesLine))
    fail("sw.js lacks the lines of its version and files");
  return template.replace(versionLine, `const Version = "${version}";`)
    .replace(filesLine, "const Files = " + JSON.stringify(Object.keys(files).sort()) + ";");
}

async function main() {
  const given = options(process.argv.slice(2));
  const modulePath = path.resolve(given.module);
  const wasmPath = modulePath.replace(/\.js$/, ".wasm");
  for (const needed of [modulePath, wasmPath, ...PageFiles, ...LocalFiles, ServiceWorker, TagFont])
    if (!fs.existsSync(needed))
      fail("missing " + needed);
  const PeltoWeb = createRequire(import.meta.url)(modulePath);
  const core = await PeltoWeb();
  for (const name of ["pageHtml", "pageCatalogue", "programIcon"])
    if (typeof core[name] !== "function")
      fail(`the module has no ${name}()`);

  const files = {
    "index.html": localPage(core.pageHtml("en")),
    "page.ja.json": core.pageCatalogue(),
    "manifest.webmanifest": manifest(),
    "pelto-web.js": fs.readFileSync(modulePath),
    "pelto-web.wasm": fs.readFileSync(wasmPath),
  };
  for (const file of [...PageFiles, ...LocalFiles])
    files[path.basename(file)] = fs.readFileSync(file);
  for (const size of IconSizes)
    files[`icon-${size}.png`] = Buffer.from(core.programIcon(size));
  JSON.parse(files["page.ja.json"]);

  fs.mkdirSync(given.out, { recursive: true });
  const written = { ...files, "sw.js": serviceWorker(fs.readFileSync(ServiceWorker, "utf8"), files) };
  for (const [name, contents] of Object.entries(written))
    fs.writeFileSync(path.join(given.out, name), contents);
  fs.copyFileSync(TagFont, path.join(given.out, "ipag.ttf"));
}

if (process.argv[1] && path.resolve(process.argv[1]) === fileURLToPath(import.meta.url))
  main().catch((error) => fail(error.stack || String(error)));
