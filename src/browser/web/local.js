// The studio's back end in the browser itself: the render service's answers come from the
// WebAssembly core in a Worker (worker.js), over the game folder the player chose, and nothing
// leaves the computer. It exports what service.js exports, so the page has one code path, and
// what only a studio without a server needs: opening a folder, the command line's files and
// the settings file's favourites.
import { queryOf, renderUrl, sceneUrl, swatchesUrl, iconUrl } from "./service.js";

export { renderUrl, sceneUrl, swatchesUrl, iconUrl };

// The folders of a game folder the core reads; nothing else of the folder is handed to it.
const GameFolders = new Set(["jma", "pic", "data", "menu"]);
// Pictures kept as object URLs for the page to show again: the newest always, the others while
// they take less than this. One let go is revoked a while later, when its <img> has it.
const KeptSources = 64;
const SourceBytes = 32 << 20;
const RevokeDelay = 10000;

let worker = null;
let calls = 0;
const waiting = new Map();
let language = "en";

function failAll(reason) {
  for (const { reject } of waiting.values())
    reject(new Error(reason));
  waiting.clear();
}

function call(op, args) {
  if (!worker) {
    worker = new Worker(new URL("worker.js", import.meta.url));
    worker.onmessage = ({ data }) => {
      const pending = waiting.get(data.id);
      waiting.delete(data.id);
      if (data.error !== undefined)
        pending.reject(new Error(data.error));
      else
        pending.resolve(data.result);
    };
    worker.onerror = (event) => {
      event.preventDefault();
      failAll("The studio's core cannot start: " + (event.message || "no WebAssembly"));
      worker = null;
    };
  }
  return new Promise((resolve, reject) => {
    const id = ++calls;
    waiting.set(id, { resolve, reject });
    worker.postMessage({ id, op, args });
  });
}

// Loads the core while the player looks for the folder.
export function start() {
  return call("start");
}

// Bytes the core's memory has grown to.
export function memory() {
  return call("memory");
}

export function setLanguage(tag) {
  language = tag;
}

async function answer(path, query) {
  const got = await call("request", { path, query: query || "", language });
  if (got.status >= 400) {
    let said = "";
    try {
      said = JSON.parse(new TextDecoder().decode(got.body)).error;
    } catch (error) {
      said = "";
    }
    throw new Error(said || "HTTP " + got.status);
  }
  return got;
}

async function json(path, query) {
  return JSON.parse(new TextDecoder().decode((await answer(path, query)).body));
}

function split(path) {
  const at = path.indexOf("?");
  return at < 0 ? [path, ""] : [path.slice(0, at), path.slice(at + 1)];
}

export function design(code, edits) {
  return json("/design.json", queryOf(code ? [["code", code], ...edits] : edits));
}

// The code's design as /code/CODE.json has it, asked without the code in the path, where its
// "/" would be taken for a folder.
export function codeInfo(code) {
  return design(code, []);
}

export async function findItems(search, group, slot) {
  const found = await json("/items", queryOf([["search", search], ["group", group],
                                              ["slot", slot]]));
  return new Set(found.map((item) => item.id));
}

// A picture of the service's as a Blob, for a download.
export async function picture(path) {
  const got = await answer(...split(path));
  return new Blob([got.body], { type: got.type });
}

const sources = new Map(); // path -> {made: Promise of an object URL, bytes}

function forget(path) {
  const kept = sources.get(path);
  sources.delete(path);
  kept.made.then((url) => setTimeout(() => URL.revokeObjectURL(url), RevokeDelay), () => {});
}

// An object URL of the picture of Path, kept while it is among the last few shown; the oldest
// are revoked, which a picture already shown survives.
export function source(path) {
  const kept = sources.get(path);
  if (kept) {
    sources.delete(path);
    sources.set(path, kept);
    return kept.made;
  }
  const entry = { made: null, bytes: 0 };
  entry.made = picture(path).then((blob) => {
    entry.bytes = blob.size;
    trim();
    return URL.createObjectURL(blob);
  });
  entry.made.catch(() => {
    if (sources.get(path) === entry)
      sources.delete(path);
  });
  sources.set(path, entry);
  trim();
  return entry.made;
}

function trim() {
  let bytes = 0;
  for (const entry of sources.values())
    bytes += entry.bytes;
  for (const [path, entry] of sources) {
    if (sources.size <= KeptSources || bytes <= SourceBytes)
      break;
    bytes -= entry.bytes;
    forget(path);
  }
}

const atlases = new Map();

// The items of one equipment list with their cells in one picture of icons, ready when the
// picture is; its "image" is an object URL kept while the game is open.
export function atlas(group, slot) {
  const key = group + "/" + slot;
  if (!atlases.has(key)) {
    const made = json("/atlas/" + key + ".json").then(async (cells) => {
      const image = URL.createObjectURL(await picture(cells.image));
      const shown = new Image();
      shown.src = image;
      await shown.decode().catch(() => null);
      return { ...cells, image };
    });
    made.catch(() => atlases.delete(key));
    atlases.set(key, made);
  }
  return atlases.get(key);
}

// The page's messages come with the app, so that the first screen speaks before a game is open.
export async function catalogue(tag) {
  const answer = await fetch(new URL("page." + tag + ".json", document.baseURI));
  if (!answer.ok)
    throw new Error("HTTP " + answer.status);
  return answer.json();
}

// The picture a group stands on with backdrop=picture, the player's own (a PNG, JPEG or BMP
// File); the pictures drawn on the one before are forgotten.
export async function setBackdropPicture(file) {
  await call("backdropPicture", { file });
  for (const path of Array.from(sources.keys()))
    if (/[?&]backdrop=picture(&|$)/.test(path))
      forget(path);
}

// What `pelto-cli render --out FileName` writes for the options of Query: [{name, blob}].
export async function exportFiles(query, fileName) {
  const made = await call("exportFiles", { query, fileName });
  if (made.error)
    throw new Error(made.error);
  return made.files.map(({ name, type, body }) => ({ name, blob: new Blob([body], { type }) }));
}

// The favourites of a settings file's text: {favorites: [{place, name, code}], skipped}, the
// places whose favourites are damaged.
export async function importFavorites(text) {
  const read = await call("importFavorites", { text });
  if (read.error)
    throw new Error(read.error);
  return { favorites: read.favorites, skipped: read.damaged };
}

// A settings file holding Favorites [{place, name, code}], as text.
export async function exportFavorites(favorites) {
  const made = await call("exportFavorites", { favorites });
  if (made.error)
    throw new Error(made.error);
  return made.text;
}

// Opens the game in Files [{path, file}] (paths below the folder chosen, whose name is Root);
// gives its folder below the chosen one's parent, or raises what the folder lacks.
export async function open(files, root) {
  const opened = await call("open", { files, root });
  if (opened.error)
    throw new Error(opened.error);
  for (const path of Array.from(sources.keys()))
    forget(path);
  for (const made of atlases.values())
    made.then((cells) => URL.revokeObjectURL(cells.image), () => {});
  atlases.clear();
  return opened;
}

// Whether the file at Parts (below the folder chosen) can belong to the game: the game folder is
// the chosen one or one inside it.
function wanted(parts) {
  return GameFolders.has((parts[0] || "").toLowerCase()) ||
         GameFolders.has((parts[1] || "").toLowerCase());
}

// The files of an <input webkitdirectory>: every path begins with the chosen folder's name. A
// folder of many files is gone through a slice at a time, so the page keeps drawing.
export async function filesOfInput(list) {
  const files = [];
  let root = null;
  for (let at = 0; at < list.length; ++at) {
    if (at && at % 4096 === 0)
      await new Promise((resolve) => setTimeout(resolve));
    const file = list[at];
    const parts = (file.webkitRelativePath || file.name).split("/");
    root = root === null ? parts[0] : root === parts[0] ? root : "";
    if (wanted(parts.slice(1, -1)))
      files.push({ path: parts.slice(1).join("/"), file });
  }
  return { files, root: root || "" };
}

function entriesOf(directory) {
  const reader = directory.createReader();
  const all = [];
  return new Promise((resolve, reject) => {
    const more = () => reader.readEntries((some) => {
      if (!some.length)
        resolve(all);
      else {
        all.push(...some);
        more();
      }
    }, reject);
    more();
  });
}

// Walks Dropped (FileSystemEntry objects of a drop) down to the files the game can need; a
// single folder dropped is the folder chosen.
export async function filesOfEntries(dropped) {
  const files = [];
  const root = dropped.length === 1 && dropped[0].isDirectory ? dropped[0].name : "";
  const walk = async (entry, parts) => {
    if (entry.isFile) {
      if (wanted(parts.slice(0, -1)))
        files.push({ path: parts.join("/"),
                     file: await new Promise((resolve, reject) => entry.file(resolve, reject)) });
      return;
    }
    // Below the folder chosen, only the game's folders and those that may hold them.
    if (parts.length >= 2 && !wanted(parts))
      return;
    for (const child of await entriesOf(entry))
      await walk(child, parts.concat(child.name));
  };
  if (root)
    for (const child of await entriesOf(dropped[0]))
      await walk(child, [child.name]);
  else
    for (const entry of dropped)
      await walk(entry, [entry.name]);
  return { files, root };
}

// The same for a directory handle of showDirectoryPicker.
export async function filesOfHandle(handle) {
  const files = [];
  const walk = async (directory, parts) => {
    for await (const child of directory.values()) {
      const path = parts.concat(child.name);
      if (child.kind === "file") {
        if (wanted(parts))
          files.push(child.getFile().then((file) => ({ path: path.join("/"), file })));
      } else if (path.length < 2 || wanted(path))
        await walk(child, path);
    }
  };
  await walk(handle, []);
  return { files: await Promise.all(files), root: handle.name };
}

// The folder remembered: a directory handle kept in IndexedDB, asked again for permission.
function store(mode, work) {
  return new Promise((resolve, reject) => {
    const opening = indexedDB.open("pelto", 1);
    opening.onupgradeneeded = () => opening.result.createObjectStore("folders");
    opening.onerror = () => reject(opening.error);
    opening.onsuccess = () => {
      const db = opening.result;
      const done = db.transaction("folders", mode);
      const asked = work(done.objectStore("folders"));
      done.oncomplete = () => {
        db.close();
        resolve(asked.result);
      };
      done.onerror = () => {
        db.close();
        reject(done.error);
      };
    };
  });
}

export function rememberFolder(handle) {
  return store("readwrite", (folders) => folders.put(handle, "game"));
}

export function forgetFolder() {
  return store("readwrite", (folders) => folders.delete("game"));
}

export async function rememberedFolder() {
  try {
    return (await store("readonly", (folders) => folders.get("game"))) || null;
  } catch (error) {
    return null;
  }
}
