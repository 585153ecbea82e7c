// The WebAssembly core, owned by this Worker so that the page never waits on it. The game
// folder's File objects are mounted as they come (WORKERFS reads a file only when the core asks
// for it, and only the part asked), so no file of the folder is ever read whole by the page.
// Each message is {id, op, args}; the answer is {id, result} or {id, error}, its bytes
// transferred rather than copied.
"use strict";

importScripts("pelto-web.js");

let core = null;
let mounted = null; // {point, folder} of the folder whose game is open
let mounts = 0;

function loaded() {
  if (!core)
    core = PeltoWeb();
  return core;
}

// The font of name tags, fetched beside the module the first time a tag is drawn, not with the
// app: it is larger than the rest of the app together. The core reads it from this path.
const FontPath = "/fonts/ipag.ttf";
let font = null;

async function fontFor(query, Module) {
  if (!/(^|&)tag=[^&]/.test(query))
    return;
  if (!font)
    font = fetch("ipag.ttf").then((response) => {
      if (!response.ok)
        throw new Error("The font of name tags cannot be loaded.");
      return response.arrayBuffer();
    }).then((bytes) => {
      const FS = Module.FS;
      if (!FS.analyzePath("/fonts").exists)
        FS.mkdir("/fonts");
      FS.writeFile(FontPath, new Uint8Array(bytes));
    }).catch((error) => {
      font = null;
      throw error;
    });
  await font;
}

// A body the page can take: never a view of the core's memory, which would detach with it.
function owned(body, Module) {
  if (body.buffer === Module.HEAPU8.buffer || body.byteOffset !== 0 ||
      body.byteLength !== body.buffer.byteLength)
    return body.slice();
  return body;
}

const operations = {
  async start() {
    await loaded();
    return true;
  },

  // Files: [{path, file}], paths below the folder chosen, whose name is Root (empty when the
  // files came without one). The folder chosen is a folder of its own, also when none of its
  // files is the game's, and each gets a mount point of its own, so that the game open before
  // keeps its files until the new one has opened.
  async open({ files, root }) {
    const Module = await loaded();
    const FS = Module.FS;
    if (!FS.analyzePath("/game").exists)
      FS.mkdir("/game");
    const point = "/game/" + ++mounts;
    const folder = root ? point + "/" + root : point;
    FS.mkdir(point);
    if (root)
      FS.mkdir(folder);
    FS.mount(FS.filesystems.WORKERFS,
             { blobs: files.map(({ path, file }) => ({ name: path, data: file })) }, folder);
    const opened = JSON.parse(Module.openGame(folder));
    const made = { point, folder };
    const gone = opened.error ? made : mounted;
    if (!opened.error)
      mounted = made;
    if (gone) {
      FS.unmount(gone.folder);
      if (gone.folder !== gone.point)
        FS.rmdir(gone.folder);
      FS.rmdir(gone.point);
    }
    if (!opened.error)
      opened.folder = opened.folder.slice(point.length).replace(/^\/+|\/+$/g, "");
    return opened;
  },

  async request({ path, query, language }) {
    const Module = await loaded();
    await fontFor(query, Module);
    const answer = Module.request(path, query, language);
    const body = owned(answer.body, Module);
    return [{ status: answer.status, type: answer.type, body }, [body.buffer]];
  },

  async exportFiles({ query, fileName }) {
    const Module = await loaded();
    await fontFor(query, Module);
    const made = Module.exportFiles(query, fileName);
    if (made.error)
      return { error: made.error };
    const files = made.files.map(({ name, type, body }) =>
      ({ name, type, body: owned(body, Module) }));
    return [{ files }, files.map((file) => file.body.buffer)];
  },

  // The player's picture for a group to stand on, where the core looks for it.
  async backdropPicture({ file }) {
    const FS = (await loaded()).FS;
    if (!FS.analyzePath("/backdrop").exists)
      FS.mkdir("/backdrop");
    FS.writeFile("/backdrop/picture", new Uint8Array(await file.arrayBuffer()));
    return true;
  },

  // Bytes the core's memory has grown to, for the benchmark.
  async memory() {
    return (await loaded()).HEAP8.length;
  },

  async importFavorites({ text }) {
    return JSON.parse((await loaded()).importFavorites(text));
  },

  // A settings file's text, or {error} for favourites it cannot hold.
  async exportFavorites({ favorites }) {
    const made = (await loaded()).exportFavorites(JSON.stringify(favorites));
    return made.startsWith("{") ? JSON.parse(made) : { text: made };
  },
};

function reason(error) {
  return error && error.message ? error.message : String(error);
}

// One call at a time: the core is not reentrant, and each waits for the one before.
let queue = Promise.resolve();

self.onmessage = ({ data }) => {
  const { id, op, args } = data;
  queue = queue.then(async () => {
    try {
      const done = await operations[op](args || {});
      const [result, transfer] = Array.isArray(done) ? done : [done, []];
      self.postMessage({ id, result }, transfer);
    } catch (error) {
      self.postMessage({ id, error: reason(error) });
    }
  });
};
