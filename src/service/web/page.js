// The share page's behaviour and the dress-up studio on it. The server renders the page whole,
// so without this script it still shows the character and its items; the script makes every
// control act in place, asks the service for every change of the look (its rules stay there),
// and keeps the address, the link and the browser's history in step with what is shown.
// The same page runs without a server on the player's own game folder (a "local" studio, which
// a meta element names the back end of): its address keeps the state in the fragment, and the
// files it offers are made in the browser.
"use strict";

{
// The calls to the service, a module of its own (service.js, or local.js for a local studio).
let service = null;

const Defaults = { motion: 0, direction: 4, scale: 3, shadow: false, background: "FFFFFF" };
// Marks a text translated where it is used, so that lupdate finds it where it is written.
const QT_TR_NOOP = (text) => text;
const Facing = [QT_TR_NOOP("facing back"), QT_TR_NOOP("facing back-left"),
                QT_TR_NOOP("facing left"), QT_TR_NOOP("facing front-left"),
                QT_TR_NOOP("facing front"), QT_TR_NOOP("facing front-right"),
                QT_TR_NOOP("facing right"), QT_TR_NOOP("facing back-right")];
const SlotNames = ["", QT_TR_NOOP("Head"), QT_TR_NOOP("Body"), QT_TR_NOOP("Hand"),
                   QT_TR_NOOP("Arm"), QT_TR_NOOP("Shoes"), QT_TR_NOOP("Special")];
const Channels = [QT_TR_NOOP("Red"), QT_TR_NOOP("Green"), QT_TR_NOOP("Blue")];
// What the core says a folder lacks, shown in the page's language.
QT_TR_NOOP("This folder does not exist.");
QT_TR_NOOP("This folder has no jma folder.");
QT_TR_NOOP("This folder has no pic folder.");
QT_TR_NOOP("This folder has no data/Item.Dat.");
const BonusLabels = ["HP", "SP", "ATK", "DEF", "SPD", "MATK", "MDEF", "射撃対抗力(%)"];
const Downloads = ["png", "tpng", "gif", "apng", "webp"];
// What a local studio offers beside them: the command line's files for creators.
const LocalDownloads = [["png", QT_TR_NOOP("PNG (this frame)")],
                        ["tpng", QT_TR_NOOP("Transparent PNG")], ["gif", "GIF"],
                        ["apng", "APNG"], ["webp", "WebP"],
                        ["sheet", QT_TR_NOOP("Sheet and its JSON")],
                        ["bundle", QT_TR_NOOP("Bundle (ZIP)")],
                        ["aseprite", QT_TR_NOOP("Aseprite (layers)")]];
// The formats whose files hold several actions, and those of them with cells apart.
const SheetKinds = ["sheet", "bundle", "aseprite"];
const PaddedKinds = ["sheet", "bundle"];
const SheetPixels = { padding: 64, extrude: 16 };
const Levels = 10;
// The half width of a slider's thumb, where its first and last levels sit.
const ThumbHalf = 8;
const FavoritePlaces = 10;
const GroupSize = 8;
const GroupGap = { min: 0, max: 64, initial: 8 };
const GroupTagLength = 32;
const GroupPictureBytes = 32 << 20;
const CellWidth = 88;
const CellHeight = 80;
const LongPress = 500;

let messages = {};
// A message of the page in its language; %1, %2 ... are replaced by the arguments.
function qsTr(text, ...args) {
  const found = messages[text] || text;
  return found.replace(/%(\d)/g, (all, n) => (args[n - 1] !== undefined ? args[n - 1] : all));
}

const $ = (id) => document.getElementById(id);

function pickLanguage() {
  for (const tag of navigator.languages || [navigator.language || "en"]) {
    const primary = tag.toLowerCase().split("-")[0];
    if (primary === "ja" || primary === "en")
      return primary;
  }
  return "en";
}

// The server wrote the page in the language of Accept-Language; where the browser's own list
// says otherwise, the page's fixed texts follow the script's language.
function translateDocument(from, to) {
  const map = {};
  for (const [english, japanese] of Object.entries(from === "en" ? to : from))
    map[from === "en" ? english : japanese] = from === "en" ? japanese : english;
  const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
  for (let node = walker.nextNode(); node; node = walker.nextNode()) {
    const text = node.nodeValue.trim();
    if (text && map[text])
      node.nodeValue = node.nodeValue.replace(text, map[text]);
  }
  for (const element of document.querySelectorAll("[aria-label]")) {
    const text = element.getAttribute("aria-label");
    if (map[text])
      element.setAttribute("aria-label", map[text]);
  }
}

// Shows the picture of a service's Path in Image, once the back end has it; the last path asked
// for an image wins. Resolves to whether it could be had.
const wanted = new WeakMap();
function display(image, path) {
  if (wanted.get(image) === path)
    return Promise.resolve(true);
  wanted.set(image, path);
  return service.source(path).then((url) => {
    if (wanted.get(image) === path && image.getAttribute("src") !== url)
      image.src = url;
    return true;
  }, () => {
    if (wanted.get(image) === path)
      wanted.delete(image);
    return false;
  });
}

function undisplay(image) {
  wanted.delete(image);
  image.src = "data:,";
}

function readJson(storage, key) {
  try {
    return JSON.parse(storage.getItem(key));
  } catch (error) {
    return null;
  }
}

function keepJson(storage, key, value) {
  try {
    storage.setItem(key, JSON.stringify(value));
  } catch (error) {
    // Storage may be full or refused; the page then keeps it as long as it is open.
  }
}

// Where the state shown is written. The hosted page's address is the share link /c/CODE with
// the pose in its query; a local one keeps all in the fragment (#c=CODE&m=1&d=4), which no
// server ever sees.
const HostedAddress = {
  pose(state) {
    const params = [];
    if (state.motion !== Defaults.motion) params.push("motion=" + state.motion);
    if (state.direction !== Defaults.direction) params.push("direction=" + state.direction);
    if (state.scale !== Defaults.scale) params.push("scale=" + state.scale);
    if (state.shadow) params.push("shadow=1");
    if (state.background !== Defaults.background)
      params.push("background=" + (state.background === null ? "transparent"
                                                               : state.background));
    return params;
  },
  // The same link the server writes: only what differs from the defaults.
  path(state) {
    const params = this.pose(state);
    return "/c/" + encodeURIComponent(state.code) + (params.length ? "?" + params.join("&") : "");
  },
  link(state) {
    return location.origin + this.path(state);
  },
  read() {
    const params = new URLSearchParams(location.search);
    return readPose(params, "motion", "direction",
                    location.pathname.startsWith("/c/")
                      ? decodeURIComponent(location.pathname.slice(3)) : "");
  },
};

const LocalAddress = {
  path(state) {
    const params = ["c=" + encodeURIComponent(state.code), "m=" + state.motion,
                    "d=" + state.direction, ...HostedAddress.pose(state).filter((param) =>
                      !param.startsWith("motion=") && !param.startsWith("direction="))];
    return "#" + params.join("&");
  },
  link(state) {
    return location.href.split("#")[0] + this.path(state);
  },
  read(hash = location.hash) {
    const params = new URLSearchParams(hash.replace(/^#/, ""));
    return readPose(params, "m", "d", params.get("c") || "");
  },
};

// The pose of an address's Params, what is no pose taken as the default.
function readPose(params, motionName, directionName, code) {
  const number = (name, fallback, max) => {
    const value = Number(params.get(name));
    return params.has(name) && Number.isInteger(value) && value >= 0 && value <= max
      ? value : fallback;
  };
  const background = params.get("background");
  return {
    code,
    motion: number(motionName, Defaults.motion, 18),
    direction: number(directionName, Defaults.direction, 7),
    scale: Math.max(1, number("scale", Defaults.scale, 8)),
    shadow: params.get("shadow") === "1",
    background: background === "transparent" ? null
                : /^[0-9A-Fa-f]{6}$/.test(background || "") ? background.toUpperCase()
                : Defaults.background,
  };
}

async function start() {
  const local = document.querySelector("meta[name='pelto-back-end']");
  service = await import(local ? new URL(local.content, document.baseURI).href : "/service.js");
  const language = pickLanguage();
  service.setLanguage(language);
  if (language === "ja") {
    try {
      messages = await service.catalogue("ja");
    } catch (error) {
      messages = {};
    }
  }
  if (document.documentElement.lang !== language) {
    translateDocument(document.documentElement.lang, language === "ja" ? messages : {});
    document.documentElement.lang = language;
  }
  if (local)
    new LocalStudio(new Studio(true)).begin();
  else
    new Studio(false).begin();
}

class Studio {
  constructor(local) {
    this.local = local;
    this.address = local ? LocalAddress : HostedAddress;
    this.form = $("share");
    this.codeBox = $("code");
    this.picture = $("picture");
    this.directionField = this.form.querySelector("input[type=hidden][name=direction]");
    this.turnButtons = Array.from(document.querySelectorAll(".stage .turn"));
    const viewer = $("viewer");
    this.state = {
      code: viewer.hidden ? "" : this.codeBox.value,
      name: $("name").textContent,
      chara: -1,
      group: 0,
      items: [],
      colors: new Array(12).fill(4),
      status: [],
      frames: null,
      motion: Number($("motion").value),
      direction: Number(this.directionField.value),
      scale: Number($("scale").value),
      shadow: $("shadow").checked,
      background: $("transparent").checked ? null
                                            : $("background").value.slice(1).toUpperCase(),
      playing: true,
      frame: 1,
    };
    // A local studio keeps the locks, as the window keeps them in its settings.
    const locks = this.local ? readJson(localStorage, "pelto-locks") : null;
    this.locks = new Set(Array.isArray(locks) ? locks.filter((lock) =>
      /^([1-6]|color[0-3])$/.test(lock)) : []);
    this.step = (history.state && history.state.step) || 0;
    this.top = Math.max(this.step, Number(sessionStorage.getItem("pelto-top")) || 0);
    this.picker = new Picker(this);
    this.group = new Group(this);
  }

  begin() {
    this.prepare();
    if (this.state.code)
      this.load(this.state.code, false);
    else
      this.showLook();
  }

  prepare() {
    this.buildColors();
    this.bind();
    $("copy").hidden = false;
    $("copy-code").hidden = false;
    $("playback").hidden = false;
    $("studio").hidden = false;
    for (const button of document.querySelectorAll(".lock"))
      button.setAttribute("aria-pressed", String(this.locks.has(button.dataset.lock)));
    if (this.local) {
      this.makeDownloadButtons();
      this.makeSheetChoices();
    } else if (!$("download-tpng")) {
      const anchor = document.createElement("a");
      anchor.id = "download-tpng";
      anchor.textContent = qsTr("Transparent PNG");
      $("download-png").after(" ", anchor);
    }
    history.replaceState({ step: this.step }, "", location.href);
    this.showSteps();
    // A local studio's group waits for the game.
    if (!this.local)
      this.group.show();
  }

  // A local studio's game is open (again): the character of the address, or else the one shown
  // last, is shown as this game has it.
  opened(last) {
    const asked = this.address.read(location.hash.length > 1 ? location.hash : last || "");
    if (!asked.code && this.state.code)
      asked.code = this.state.code;
    this.applyPose(asked);
    this.picker.names.clear();
    this.group.shownKey = null;
    this.group.show();
    if (asked.code)
      this.load(asked.code, false);
    else
      this.showLook();
  }

  // Downloads made in the page, one button each, where the hosted page links to the service.
  makeDownloadButtons() {
    const target = $("downloads");
    target.replaceChildren(qsTr("Download:"));
    for (const [kind, label] of LocalDownloads) {
      const button = document.createElement("button");
      button.type = "button";
      button.id = "download-" + kind;
      button.dataset.kind = kind;
      button.textContent = qsTr(label);
      target.append(" ", button);
    }
  }

  // What a sheet, a bundle or a layered file holds: which motions, in which direction order,
  // and how far apart its cells are, as `pelto-cli render` takes them.
  makeSheetChoices() {
    const target = $("sheet-motions");
    for (let motion = 0; motion < $("motion").options.length; ++motion) {
      const label = document.createElement("label");
      const box = document.createElement("input");
      box.type = "checkbox";
      box.value = motion;
      label.append(box, " " + motion);
      target.append(label);
    }
    $("sheet-choices").hidden = false;
  }

  sheetChoices(kind) {
    if (!SheetKinds.includes(kind))
      return [];
    const pairs = [];
    const motions = Array.from($("sheet-motions").querySelectorAll("input:checked"),
                               (box) => box.value);
    if (motions.length)
      pairs.push(["motions", motions.join(",")]);
    if ($("sheet-directions").value)
      pairs.push(["directions", $("sheet-directions").value]);
    if (PaddedKinds.includes(kind))
      for (const [name, max] of Object.entries(SheetPixels)) {
        const asked = Math.round(Number($("sheet-" + name).value)) || 0;
        const pixels = Math.min(max, Math.max(0, asked));
        if (pixels)
          pairs.push([name, pixels]);
      }
    return pairs;
  }

  // The look

  buildColors() {
    const target = $("positions");
    this.levels = [];
    for (let position = 0; position < 4; ++position) {
      const group = document.createElement("div");
      group.className = "position";
      const head = document.createElement("div");
      head.className = "positionhead";
      const title = document.createElement("span");
      title.textContent = qsTr("Color %1", position + 1);
      const lock = document.createElement("button");
      lock.type = "button";
      lock.className = "lock";
      lock.dataset.lock = "color" + position;
      lock.setAttribute("aria-pressed", "false");
      lock.setAttribute("aria-label", qsTr("Lock color %1", position + 1));
      lock.innerHTML = '<svg width="16" height="16"><use href="#padlock"/></svg>';
      head.append(title, lock);
      group.append(head);
      for (let channel = 0; channel < 3; ++channel) {
        const label = document.createElement("label");
        label.className = "level c" + channel;
        const name = document.createElement("span");
        name.textContent = qsTr(Channels[channel]);
        const range = document.createElement("input");
        range.type = "range";
        range.min = 0;
        range.max = 9;
        range.step = 1;
        range.value = 4;
        range.dataset.color = position + ":" + channel;
        range.setAttribute("aria-label", qsTr("Color %1 %2", position + 1,
                                             qsTr(Channels[channel])));
        const value = document.createElement("output");
        value.textContent = "4";
        label.append(name, range, value);
        group.append(label);
        this.levels.push(range);
      }
      target.append(group);
    }
  }

  bind() {
    this.form.addEventListener("submit", (event) => {
      event.preventDefault();
      const button = event.submitter;
      if (button && button.name === "direction") {
        this.turn(Number(button.value));
        return;
      }
      const code = this.codeBox.value.trim();
      if (code)
        this.load(code, true);
    });
    this.codeBox.addEventListener("paste", () => {
      // The pasted text is in the box only after this event.
      setTimeout(() => {
        const code = this.codeBox.value.trim();
        if (code)
          this.load(code, true);
      }, 0);
    });
    $("motion").addEventListener("change", () => {
      this.state.motion = Number($("motion").value);
      this.state.frame = 1;
      this.update();
    });
    $("scale").addEventListener("change", () => {
      this.state.scale = Number($("scale").value);
      this.update();
    });
    $("shadow").addEventListener("change", () => {
      this.state.shadow = $("shadow").checked;
      this.update();
    });
    $("background").addEventListener("input", () => {
      $("transparent").checked = false;
      this.state.background = $("background").value.slice(1).toUpperCase();
      this.update();
    });
    $("transparent").addEventListener("change", () => {
      this.state.background = $("transparent").checked
                                ? null : $("background").value.slice(1).toUpperCase();
      this.update();
    });
    $("play").addEventListener("click", () => {
      this.state.playing = !this.state.playing;
      this.update();
    });
    $("previous").addEventListener("click", () => this.stepFrame(-1));
    $("next").addEventListener("click", () => this.stepFrame(1));
    $("copy").addEventListener("click", () => this.copy($("link"), qsTr("Link copied.")));
    $("copy-code").addEventListener("click", () => this.copy(this.codeBox, qsTr("Code copied.")));

    $("chara").addEventListener("change", () => {
      const chara = $("chara").value;
      this.edit([["chara", chara]], qsTr("Character: %1", $("chara").selectedOptions[0].text));
    });
    for (const button of document.querySelectorAll("#slots .slot"))
      button.addEventListener("click", () => this.picker.open(Number(button.dataset.slot), button));
    for (const button of document.querySelectorAll(".lock"))
      button.addEventListener("click", () => this.toggleLock(button));
    for (const range of this.levels) {
      range.addEventListener("input", () => {
        range.nextElementSibling.textContent = range.value;
        this.previewLevel(range, Number(range.value));
      });
      range.addEventListener("change", () => {
        this.endPreview();
        this.setLevel(range);
      });
      // A mouse over a slider tries the level under it; a touch drags, which is an input.
      range.addEventListener("pointermove", (event) => {
        if (event.pointerType !== "mouse" || event.buttons)
          return;
        const box = range.getBoundingClientRect();
        const at = (event.clientX - box.left - ThumbHalf) / Math.max(1, box.width - 2 * ThumbHalf);
        this.previewLevel(range, Math.min(Levels - 1, Math.max(0, Math.round(at * (Levels - 1)))));
      });
      range.addEventListener("pointerleave", () => this.endPreview());
    }
    this.buildSwatches();
    $("default-colors").addEventListener("click", () =>
      this.edit([["reset-colors", 1]], qsTr("Colors back to default.")));
    $("random-outfit").addEventListener("click", () => this.random("items"));
    $("random-colors").addEventListener("click", () => this.random("colors"));
    $("undo").addEventListener("click", () => this.undo());
    $("redo").addEventListener("click", () => this.redo());
    window.addEventListener("popstate", (event) => this.walked(event.state));
    document.addEventListener("keydown", (event) => this.key(event));
  }

  key(event) {
    if (!this.picker.hidden())
      return;
    const target = event.target;
    const typing = target instanceof HTMLInputElement &&
                   !["checkbox", "range", "color"].includes(target.type);
    if ((event.ctrlKey || event.metaKey) && !event.altKey && !typing) {
      const key = event.key.toLowerCase();
      if (key === "z" && !event.shiftKey) {
        event.preventDefault();
        this.undo();
      } else if ((key === "z" && event.shiftKey) || key === "y") {
        event.preventDefault();
        this.redo();
      }
      return;
    }
    if (!this.state.code || event.altKey || event.ctrlKey || event.metaKey)
      return;
    // Text boxes, lists and sliders keep their own keys.
    if (target instanceof HTMLSelectElement ||
        (target instanceof HTMLInputElement && target.type !== "checkbox"))
      return;
    const keys = {
      ArrowLeft: () => this.turn(this.state.direction - 1),
      ArrowRight: () => this.turn(this.state.direction + 1),
      ArrowUp: () => this.turn(0),
      ArrowDown: () => this.turn(4),
      ",": () => this.stepFrame(-1),
      ".": () => this.stepFrame(1),
    };
    const action = keys[event.key];
    if (action) {
      event.preventDefault();
      action();
    }
  }

  toggleLock(button) {
    const lock = button.dataset.lock;
    if (this.locks.has(lock))
      this.locks.delete(lock);
    else
      this.locks.add(lock);
    button.setAttribute("aria-pressed", String(this.locks.has(lock)));
    if (this.local)
      keepJson(localStorage, "pelto-locks", Array.from(this.locks).sort());
  }

  setLevel(range) {
    const position = Number(range.dataset.color.split(":")[0]);
    const levels = () => this.levels.slice(position * 3, position * 3 + 3).map((r) => r.value);
    this.edit(() => [["color", position + ":" + levels().join(",")]],
              qsTr("Color %1: %2", position + 1, levels().join(", ")));
  }

  // Try-on: a look shown without being worn. The preview is the edits that would make it, beside
  // the state; the state, the history, the address and the code box never see it. Only one
  // question is out at a time, and the next asks for the latest preview alone: moving over
  // twenty cells makes no queue, and an answer for a preview since left is dropped.
  preview(edits, label) {
    const key = JSON.stringify(edits);
    if (this.previewing && this.previewing.key === key)
      return;
    this.previewing = { key, edits, label, code: this.state.code, body: null };
    if (!this.asking)
      this.askPreview();
  }

  async askPreview() {
    this.asking = true;
    for (let asked = this.previewing; asked && !asked.body; asked = this.previewing) {
      let body = null;
      try {
        body = await service.design(asked.code, asked.edits);
      } catch (error) {
        body = null;
      }
      if (this.previewing !== asked)
        continue;
      if (!body || asked.code !== this.state.code) {
        this.previewing = null;
        break;
      }
      asked.body = body;
      this.showPreview();
    }
    this.asking = false;
  }

  // Puts the look back as the state has it.
  endPreview() {
    if (!this.previewing)
      return;
    const shown = this.previewing.body;
    this.previewing = null;
    if (shown) {
      this.showLook(false);
      this.showPicture();
    }
  }

  previewLevel(range, level) {
    const [position, channel] = range.dataset.color.split(":").map(Number);
    const levels = this.state.colors.slice(position * 3, position * 3 + 3);
    if (levels[channel] === level) {
      this.endPreview();
      return;
    }
    levels[channel] = level;
    this.preview([["color", position + ":" + levels.join(",")]],
                 { text: qsTr("Color %1 %2: %3", position + 1, qsTr(Channels[channel]), level),
                   range, level });
  }

  showPreview() {
    const { body, label } = this.previewing;
    this.showLook(false);
    this.showPicture();
    const slot = label.slot;
    const item = slot ? body.items.find((worn) => worn.slot === slot) : null;
    let text = label.text;
    if (slot) {
      const row = document.querySelector("#slots .slotrow[data-slot='" + slot + "']");
      row.classList.add("previewing");
      row.querySelector(".worn").textContent = qsTr("Preview: %1", item ? item.name : "---");
      row.querySelector(".trybonus").textContent =
        item ? item.bonuses.map((line) => line.trim()).join(" · ") : "";
      text = qsTr("%1: %2", qsTr(SlotNames[slot]), item ? item.name : "---");
    }
    if (label.range) {
      label.range.parentElement.classList.add("previewing");
      label.range.nextElementSibling.textContent = String(label.level);
    }
    $("status").textContent = this.totals(body.status);
    $("preview-note").hidden = false;
    document.querySelector(".totals").classList.add("previewing");
    $("tryon-label").textContent = qsTr("Preview: %1", text);
    $("tryon-status").textContent = this.totals(body.status);
    $("tryon").classList.add("previewing");
  }

  totals(status) {
    return status.length ? status.join("\n") : qsTr("No bonuses.");
  }

  random(vary) {
    const seed = Math.floor(Math.random() * 4294967296);
    const edits = [["random", seed], ["vary", vary]];
    const locks = Array.from(this.locks).sort();
    if (locks.length)
      edits.push(["lock", locks.join(",")]);
    this.edit(edits, vary === "items" ? qsTr("Random outfit.") : qsTr("Random colors."));
  }

  wear(slot, id) {
    const name = qsTr(SlotNames[slot]);
    if (id)
      this.edit([["wear", slot + ":" + id]], qsTr("%1: %2", name, this.picker.nameOf(id)));
    else
      this.edit([["strip", slot]], qsTr("%1 taken off.", name));
  }

  // Asks the service for the design after Edits (or what the function Edits gives when its turn
  // comes); the answer is the new look, a history step. Changes go one after another, each on
  // the look the one before made, however fast they come.
  edit(edits, said) {
    this.endPreview();
    this.pending = (this.pending || 0) + 1;
    this.queue = (this.queue || Promise.resolve())
      .then(() => this.editNow(typeof edits === "function" ? edits() : edits, said))
      .finally(() => --this.pending);
    return this.queue;
  }

  async editNow(edits, said) {
    let body;
    try {
      body = await service.design(this.state.code, edits);
    } catch (error) {
      this.showMessage(this.reason(error));
      return;
    }
    this.showMessage("");
    this.apply(body, true);
    this.say(said);
  }

  // Shows the character of Code; what is no code leaves the one shown as it was.
  async load(code, asStep) {
    let body;
    try {
      body = await service.codeInfo(code);
    } catch (error) {
      this.showMessage(this.reason(error));
      return;
    }
    this.showMessage("");
    this.apply(body, asStep);
  }

  reason(error) {
    return error.message === "unreachable" ? qsTr("The service cannot be reached.")
                                           : error.message || "Invalid code error.";
  }

  // Shows the design of Body; as a step of the history when AsStep and it changed the look.
  apply(body, asStep) {
    const state = this.state;
    const changed = body.code !== state.code;
    state.code = body.code;
    state.name = body.name;
    state.chara = body.chara;
    state.group = body.group;
    state.items = body.items;
    state.colors = body.colors;
    state.status = body.status;
    state.frames = body.frames;
    this.codeBox.value = body.code;
    $("name").textContent = body.name;
    document.title = body.name + " · PELTO in Wonderland";
    $("viewer").hidden = false;
    $("items").hidden = false;
    if (asStep && changed)
      this.pushStep();
    this.showLook();
    this.update();
  }

  // Shows the state's look; Sliders false leaves the sliders where the pointer has them.
  showLook(sliders = true) {
    const state = this.state;
    $("preview-note").hidden = true;
    document.querySelector(".totals").classList.remove("previewing");
    $("tryon").classList.remove("previewing");
    $("tryon-label").textContent = "";
    $("tryon-status").textContent = "";
    $("chara").value = state.chara >= 0 ? String(state.chara) : "";
    for (const row of document.querySelectorAll("#slots .slotrow")) {
      const slot = Number(row.dataset.slot);
      const item = state.items.find((worn) => worn.slot === slot);
      const button = row.querySelector(".slot");
      button.disabled = state.chara < 0;
      button.dataset.itemId = item ? item.id : 0;
      row.classList.remove("previewing");
      button.querySelector(".worn").textContent = item ? item.name : "---";
      button.querySelector(".trybonus").textContent = "";
      // An item the icon file has no icon for shows an empty cell, as nothing worn does.
      const icon = button.querySelector("img");
      if (item && item.icon)
        display(icon, service.iconUrl(item.id));
      else
        undisplay(icon);
      icon.style.visibility = item && item.icon ? "visible" : "hidden";
    }
    // While more changes wait, the sliders show what they will ask for.
    if (sliders && !(this.pending > 1))
      this.levels.forEach((range, index) => {
        range.value = state.colors[index];
      });
    for (const range of this.levels) {
      range.parentElement.classList.remove("previewing");
      range.nextElementSibling.textContent = range.value;
    }
    $("status").textContent = this.totals(state.status);
    this.listItems(state.items);
    const motion = $("motion");
    if (state.frames)
      Array.from(motion.options).forEach((option, index) => {
        option.textContent = qsTr("%1 (%2 frames)", index, state.frames[index][state.direction]);
      });
  }

  listItems(list) {
    const target = $("itemlist");
    target.replaceChildren();
    if (!list.length) {
      const none = document.createElement("li");
      none.className = "none";
      none.textContent = qsTr("Nothing worn.");
      target.append(none);
      return;
    }
    for (const item of list) {
      const row = document.createElement("li");
      row.dataset.id = item.id;
      let icon;
      if (item.icon) {
        icon = document.createElement("img");
        display(icon, item.icon);
        icon.alt = "";
        icon.width = 32;
        icon.height = 32;
      } else {
        icon = document.createElement("span");
        icon.className = "noicon";
      }
      const text = document.createElement("div");
      const slot = document.createElement("span");
      slot.className = "slot";
      slot.textContent = SlotNames[item.slot] ? qsTr(SlotNames[item.slot]) : "Slot " + item.slot;
      const name = document.createElement("span");
      name.className = "name";
      name.textContent = item.name;
      const bonuses = document.createElement("ul");
      bonuses.className = "bonuses";
      for (const line of item.bonuses) {
        const bonus = document.createElement("li");
        bonus.textContent = line;
        bonuses.append(bonus);
      }
      text.append(slot, " ", name, bonuses);
      row.append(icon, text);
      target.append(row);
    }
  }

  // The pose

  frameCount() {
    return this.state.frames ? this.state.frames[this.state.motion][this.state.direction] : 0;
  }

  update() {
    const state = this.state;
    if (!state.code)
      return;
    const count = this.frameCount();
    if (state.frame > count)
      state.frame = 1;
    const still = !state.playing;
    this.showPicture();
    this.showSwatches();
    const size = 128 * state.scale;
    this.picture.width = size;
    this.picture.height = size;
    this.picture.alt = state.name + ", " + qsTr(Facing[state.direction]);
    this.directionField.value = state.direction;
    for (const button of this.turnButtons)
      button.setAttribute("aria-pressed", String(Number(button.value) === state.direction));
    $("play").textContent = still ? qsTr("Play") : qsTr("Pause");
    $("play").setAttribute("aria-pressed", String(!still));
    $("frame").textContent = still ? (count ? qsTr("Frame %1 of %2", state.frame, count)
                                            : qsTr("No frames"))
                                   : qsTr("Playing");
    for (const kind of this.local ? [] : Downloads) {
      const anchor = $("download-" + kind);
      if (kind === "tpng")
        anchor.href = service.renderUrl("png", { ...state, background: null }, state.frame);
      else
        anchor.href = kind === "png" ? service.renderUrl(kind, state, state.frame)
                                     : service.renderUrl(kind, state);
      anchor.download = "pelto-" + state.chara + "." + (kind === "tpng" ? "png" : kind);
    }
    $("link").value = this.address.link(state);
    $("copied").textContent = "";
    history.replaceState({ step: this.step }, "", this.address.path(state));
    if (this.local)
      keepJson(localStorage, "pelto-last", this.address.path(state));
    this.group.show();
  }

  // The picture of the look shown: the preview's while there is one, in the state's pose.
  showPicture() {
    const state = this.state;
    const preview = this.previewing && this.previewing.body;
    const pose = preview ? { ...state, code: preview.code } : state;
    const path = state.playing ? service.renderUrl("apng", pose)
                               : service.renderUrl("png", pose, state.frame);
    display($("tryon-picture"), path);
    display(this.picture, path).then((shown) => {
      if (!shown && this.local)
        this.showMessage(qsTr("The picture cannot be drawn."));
    });
  }

  // Swatches: the character at the ten levels of a channel of one colour position, or at a
  // hundred of two; a click takes a swatch's levels as one change.
  buildSwatches() {
    const position = $("swatch-position");
    for (let index = 0; index < 4; ++index)
      position.append(new Option(qsTr("Color %1", index + 1), index));
    const down = $("swatch-down");
    down.append(new Option(qsTr("None"), ""));
    Channels.forEach((name, index) => {
      $("swatch-across").append(new Option(qsTr(name), index));
      down.append(new Option(qsTr(name), index));
    });
    $("swatches").addEventListener("toggle", () => this.showSwatches());
    for (const id of ["swatch-position", "swatch-across", "swatch-down"])
      $(id).addEventListener("change", () => this.showSwatches());
    $("swatch-picture").addEventListener("click", (event) => this.takeSwatch(event));
    $("swatch-picture").addEventListener("load", () => this.fitSwatches());
    window.addEventListener("resize", () => this.fitSwatches());
  }

  // As wide as the column lets it be, pixels enlarged, but never taller than most of the window.
  fitSwatches() {
    const picture = $("swatch-picture");
    if (!picture.naturalWidth || !$("swatches").open)
      return;
    const room = picture.parentElement.clientWidth;
    const tall = window.innerHeight * 0.8 * picture.naturalWidth / picture.naturalHeight;
    picture.style.width = Math.floor(Math.min(room, tall)) + "px";
  }

  swatchChoice() {
    const across = Number($("swatch-across").value);
    const down = $("swatch-down").value === "" ? null : Number($("swatch-down").value);
    return { position: Number($("swatch-position").value), across,
             down: down === across ? null : down };
  }

  showSwatches() {
    const state = this.state;
    if (!$("swatches").open || !state.code)
      return;
    const choice = this.swatchChoice();
    display($("swatch-picture"), service.swatchesUrl(state, choice, this.frameCount() ? state.frame
                                                                          : undefined));
  }

  takeSwatch(event) {
    const choice = this.swatchChoice();
    const box = event.target.getBoundingClientRect();
    const cell = (offset, size) =>
      Math.min(Levels - 1, Math.max(0, Math.floor(offset / size * Levels)));
    const levels = this.state.colors.slice(choice.position * 3, choice.position * 3 + 3);
    levels[choice.across] = cell(event.clientX - box.left, box.width);
    if (choice.down !== null)
      levels[choice.down] = cell(event.clientY - box.top, box.height);
    this.edit([["color", choice.position + ":" + levels.join(",")]],
              qsTr("Color %1: %2", choice.position + 1, levels.join(", ")));
  }

  // The options of `pelto-cli render` for a download of Kind of what is shown, as the local
  // back end takes them; the same options give the command line's very bytes.
  exportQuery(kind) {
    const state = this.state;
    // A layered file is transparent only.
    const transparent = kind === "tpng" || kind === "aseprite" || state.background === null;
    const format = { png: "png", tpng: "png", gif: "gif", apng: "apng", webp: "webp",
                     sheet: "sheet", bundle: "bundle", aseprite: "aseprite" }[kind];
    const pairs = [["format", (transparent && kind !== "aseprite" ? "t" : "") + format],
                   ["code", state.code], ["motion", state.motion],
                   ["direction", state.direction]];
    if (kind === "png" || kind === "tpng")
      pairs.push(["frame", state.frame]);
    pairs.push(["scale", state.scale]);
    if (state.shadow)
      pairs.push(["shadow", ""]);
    if (!transparent)
      pairs.push(["background", state.background]);
    pairs.push(...this.sheetChoices(kind));
    const name = "pelto-" + state.chara;
    const names = { png: ".png", tpng: "-transparent.png", gif: ".gif", apng: "-animated.png",
                    webp: ".webp",
                    sheet: "-sheet.png", bundle: ".zip", aseprite: ".aseprite" };
    return [pairs.map(([key, value]) => key + "=" + encodeURIComponent(value)).join("&"),
            name + names[kind]];
  }

  turn(direction) {
    this.state.direction = (direction + 8) % 8;
    this.showLook();
    this.update();
  }

  stepFrame(delta) {
    const count = this.frameCount();
    if (!count)
      return;
    if (this.state.playing)
      this.state.playing = false;
    else
      this.state.frame = ((this.state.frame - 1 + delta + count) % count) + 1;
    this.update();
  }

  // History: each look is a step of the browser's history, which Undo and Redo walk too.

  pushStep() {
    this.step += 1;
    this.top = this.step;
    sessionStorage.setItem("pelto-top", String(this.top));
    history.pushState({ step: this.step }, "", this.address.path(this.state));
    this.showSteps();
  }

  showSteps() {
    $("undo").disabled = this.step <= 0;
    $("redo").disabled = this.step >= this.top;
  }

  undo() {
    if (this.step > 0)
      history.back();
  }

  redo() {
    if (this.step < this.top)
      history.forward();
  }

  // The browser went back or forward: the address says what to show.
  walked(entry) {
    this.step = (entry && entry.step) || 0;
    this.showSteps();
    const wanted = this.address.read();
    this.applyPose(wanted);
    if (wanted.code) {
      this.load(wanted.code, false);
      this.say(qsTr("Step %1.", this.step));
    }
  }

  applyPose(pose) {
    const state = this.state;
    for (const key of ["motion", "direction", "scale", "shadow", "background"])
      state[key] = pose[key];
    $("motion").value = state.motion;
    $("scale").value = state.scale;
    $("shadow").checked = state.shadow;
    $("transparent").checked = state.background === null;
    if (state.background !== null)
      $("background").value = "#" + state.background;
  }

  // Telling

  showMessage(text) {
    $("message").textContent = text;
    $("message").hidden = !text;
  }

  say(text) {
    $("live").textContent = text;
  }

  async copy(box, done, status = $("copied")) {
    const text = box.value;
    try {
      await navigator.clipboard.writeText(text);
      status.textContent = done;
    } catch (error) {
      box.focus();
      box.select();
      status.textContent = document.execCommand("copy") ? done
                                                        : qsTr("Select the text and copy it.");
    }
  }
}

// Characters side by side in one picture, each in the motion and direction it had when it was
// added. The group lives in the tab's session storage rather than in the address, which the
// studio rewrites at every change of the look: a reload and the history's steps keep it, and a
// character's link stays a character's link.
class Group {
  constructor(studio) {
    this.studio = studio;
    this.members = [];
    this.gap = GroupGap.initial;
    // A gradient [top, bottom] the characters stand on instead of the background, or null.
    this.backdrop = null;
    this.shownKey = null;
    this.listedKey = null;
    this.pictures = 0; // pictures chosen to stand on, each drawn afresh
    this.restore();
    this.bind();
  }

  // What storage holds was written by this page, but perhaps by an older one: each member is
  // checked as the service would check it, and what is no member is dropped.
  restore() {
    let kept = null;
    try {
      kept = JSON.parse(sessionStorage.getItem("pelto-group"));
    } catch (error) {
      kept = null;
    }
    if (!kept || typeof kept !== "object")
      return;
    const whole = (value, max) => Number.isInteger(value) && value >= 0 && value <= max;
    const lastMotion = $("motion").options.length - 1;
    if (Array.isArray(kept.members))
      this.members = kept.members
        .filter((member) => member && typeof member.code === "string" && member.code &&
                            whole(member.motion, lastMotion) && whole(member.direction, 7))
        .slice(0, GroupSize)
        .map((member) => ({ code: member.code, motion: member.motion,
                            direction: member.direction,
                            name: typeof member.name === "string" ? member.name : "",
                            tag: typeof member.tag === "string"
                              ? member.tag.slice(0, GroupTagLength) : "",
                            mirror: member.mirror === true }));
    if (whole(kept.gap, GroupGap.max))
      this.gap = kept.gap;
    // A picture is the page's own while it lasts: not kept.
    const colour = (value) => typeof value === "string" && /^[0-9A-F]{6}$/.test(value);
    if (Array.isArray(kept.backdrop) && kept.backdrop.length === 2 &&
        kept.backdrop.every(colour))
      this.backdrop = kept.backdrop;
  }

  keep() {
    try {
      sessionStorage.setItem("pelto-group", JSON.stringify({ members: this.members,
                                                             gap: this.gap,
                                                             backdrop: this.backdrop }));
    } catch (error) {
      // Storage may be full or refused; the group then lasts as long as the page.
    }
  }

  bind() {
    $("add-to-group").addEventListener("click", () => this.add());
    // A member's tag and mirror change its picture, never the list, which keeps the focus.
    $("members").addEventListener("input", (event) => {
      const field = event.target.closest("input[data-index]");
      if (!field)
        return;
      const member = this.members[Number(field.dataset.index)];
      if (field.type === "checkbox")
        member.mirror = field.checked;
      else
        member.tag = field.value;
      this.changed();
    });
    const backdrop = $("backdrop");
    backdrop.append(new Option(qsTr("The background"), "background"),
                    new Option(qsTr("A gradient"), "gradient"));
    // A picture of the player's own only where it never leaves the computer.
    const chosen = $("backdrop-picture");
    if (service.setBackdropPicture) {
      backdrop.append(new Option(qsTr("A picture..."), "picture"));
      chosen.addEventListener("change", () => {
        const file = chosen.files[0];
        chosen.value = "";
        if (!file)
          return showBackdrop();
        if (file.size > GroupPictureBytes) {
          this.studio.say(qsTr("The picture is larger than %1 MB.", GroupPictureBytes >> 20));
          return showBackdrop();
        }
        service.setBackdropPicture(file).then(() => {
          this.backdrop = ["picture"];
          this.pictures += 1;
          wanted.delete($("group-picture"));
          showBackdrop();
          this.show();
        }, (error) => {
          this.studio.say(error.message);
          showBackdrop();
        });
      });
    }
    const top = $("backdrop-top"), bottom = $("backdrop-bottom");
    const hex = (input) => input.value.slice(1).toUpperCase();
    const showBackdrop = () => {
      backdrop.value = !this.backdrop ? "background"
                       : this.backdrop[0] === "picture" ? "picture" : "gradient";
      $("backdrop-colors").hidden = !this.backdrop || backdrop.value === "picture";
      if (backdrop.value === "gradient")
        [top.value, bottom.value] = this.backdrop.map((colour) => "#" + colour.toLowerCase());
    };
    showBackdrop();
    const setBackdrop = () => {
      if (backdrop.value === "picture")
        return chosen.click();
      this.backdrop = backdrop.value === "gradient" ? [hex(top), hex(bottom)] : null;
      showBackdrop();
      this.changed();
    };
    backdrop.addEventListener("change", setBackdrop);
    top.addEventListener("input", setBackdrop);
    bottom.addEventListener("input", setBackdrop);
    $("members").addEventListener("click", (event) => {
      const button = event.target.closest("button[data-index]");
      if (!button || button.disabled)
        return;
      const index = Number(button.dataset.index);
      if (button.dataset.action === "remove")
        this.remove(index);
      else
        this.move(index, Number(button.dataset.action));
    });
    const gap = $("gap");
    gap.value = this.gap;
    // While the box is being typed in, only what is a gap already counts; leaving it holds
    // a number to the range, and puts back the gap in use for what is none.
    gap.addEventListener("input", () => {
      const value = Number(gap.value);
      if (gap.value !== "" && Number.isInteger(value) && value >= GroupGap.min &&
          value <= GroupGap.max)
        this.setGap(value);
    });
    gap.addEventListener("change", () => {
      const value = Math.round(Number(gap.value));
      if (gap.value !== "" && Number.isFinite(value))
        this.setGap(Math.min(GroupGap.max, Math.max(GroupGap.min, value)));
      gap.value = this.gap;
    });
    $("copy-group").addEventListener("click", () =>
      this.studio.copy($("group-link"), qsTr("Link copied."), $("group-copied")));
    const picture = $("group-picture");
    picture.addEventListener("load", () => {
      $("group-failed").hidden = true;
    });
    picture.addEventListener("error", () => {
      $("group-failed").hidden = !picture.getAttribute("src");
    });
  }

  full() {
    return this.members.length >= GroupSize;
  }

  add() {
    const state = this.studio.state;
    if (!state.code || this.full())
      return;
    this.members.push({ code: state.code, motion: state.motion, direction: state.direction,
                        name: state.name, tag: "", mirror: false });
    this.changed();
    this.studio.say(this.full() ? qsTr("%1 added; the group is full.", state.name)
                                : qsTr("%1 added to the group.", state.name));
  }

  remove(index) {
    const [gone] = this.members.splice(index, 1);
    this.changed();
    this.studio.say(qsTr("%1 taken out of the group.", gone.name || gone.code));
    // The focus stays in the list, on the member that took the place, or goes back to Add.
    const buttons = $("members").querySelectorAll("button[data-action='remove']");
    const next = buttons[Math.min(index, buttons.length - 1)];
    (next || $("add-to-group")).focus();
  }

  move(index, delta) {
    const to = index + delta;
    if (to < 0 || to >= this.members.length)
      return;
    const [member] = this.members.splice(index, 1);
    this.members.splice(to, 0, member);
    this.changed();
    const list = $("members");
    const same = list.querySelector(`button[data-index='${to}'][data-action='${delta}']`);
    const other = list.querySelector(`button[data-index='${to}'][data-action='${-delta}']`);
    (same && !same.disabled ? same : other).focus();
    this.studio.say(qsTr("%1 is number %2.", member.name || member.code, to + 1));
  }

  setGap(gap) {
    if (gap === this.gap)
      return;
    this.gap = gap;
    this.keep();
    this.show();
  }

  changed() {
    this.keep();
    this.show();
  }

  // The look the studio's controls set, which the group's pictures share.
  look() {
    const state = this.studio.state;
    return { gap: this.gap, scale: state.scale, shadow: state.shadow,
             background: state.background, backdrop: this.backdrop };
  }

  who(member, index) {
    return qsTr("%1 (number %2)", member.name || member.code, index + 1);
  }

  show() {
    const add = $("add-to-group");
    add.disabled = !this.studio.state.code || this.full();
    add.title = this.full() ? qsTr("A group holds at most %1 characters.", GroupSize)
                : this.studio.state.code ? qsTr("Adds the character as it stands and faces now.")
                                         : qsTr("Show a character first.");
    const look = this.look();
    const key = JSON.stringify([this.members, look, this.pictures]);
    if (key === this.shownKey)
      return;
    this.shownKey = key;
    $("group").hidden = !this.members.length;
    $("group-count").textContent = qsTr("%1 of %2", this.members.length, GroupSize);
    this.listMembers(look);
    const picture = $("group-picture");
    if (!this.members.length) {
      wanted.delete(picture);
      picture.removeAttribute("src");
      $("group-link").value = "";
      return;
    }
    const still = service.sceneUrl("png", this.members, look);
    display(picture, still).then((shown) => {
      if (!shown)
        $("group-failed").hidden = false;
    });
    picture.alt = qsTr("The group: %1",
                       this.members.map((member) => member.name || member.code).join(", "));
    // The animated formats have no transparent kind: they take the colour last chosen.
    const coloured = { ...look, background: look.background === null
                                              ? $("background").value.slice(1).toUpperCase()
                                              : look.background };
    const urls = { png: still, tpng: service.sceneUrl("png", this.members,
                                                      { ...look, background: null }) };
    for (const kind of ["gif", "apng", "webp"])
      urls[kind] = service.sceneUrl(kind, this.members, coloured);
    this.urls = urls;
    for (const kind of this.studio.local ? [] : Downloads) {
      const anchor = $("group-download-" + kind);
      anchor.href = urls[kind];
      anchor.download = "pelto-group." + (kind === "tpng" ? "png" : kind);
    }
    $("group-link").value = location.origin + still;
    $("group-copied").textContent = "";
  }

  listMembers(look) {
    const list = $("members");
    const listed = JSON.stringify([this.members.map(({ code, motion, direction, name }) =>
                                                    [code, motion, direction, name]),
                                   look.shadow, look.background]);
    if (listed === this.listedKey)
      return;
    this.listedKey = listed;
    const last = this.members.length - 1;
    const button = (index, action, text, label, disabled) => {
      const made = document.createElement("button");
      made.type = "button";
      made.dataset.index = index;
      made.dataset.action = action;
      made.textContent = text;
      made.setAttribute("aria-label", label);
      made.title = label;
      made.disabled = disabled;
      return made;
    };
    list.replaceChildren(...this.members.map((member, index) => {
      const who = this.who(member, index);
      const row = document.createElement("li");
      row.className = "member";
      const thumbnail = document.createElement("img");
      display(thumbnail, service.renderUrl("png", { ...member, scale: 1, shadow: look.shadow,
                                                    background: look.background }, 1));
      thumbnail.alt = who + ", " + qsTr(Facing[member.direction]);
      thumbnail.width = 64;
      thumbnail.height = 64;
      const name = document.createElement("span");
      name.className = "membername";
      name.textContent = (index + 1) + ". " + (member.name || member.code);
      const buttons = document.createElement("div");
      buttons.className = "memberbuttons";
      buttons.append(
        button(index, "-1", "\u25C0", qsTr("Move %1 left", who), index === 0),
        button(index, "1", "\u25B6", qsTr("Move %1 right", who), index === last),
        button(index, "remove", "\u2715", qsTr("Remove %1", who), false));
      const tag = document.createElement("input");
      tag.className = "membertag";
      tag.dataset.index = index;
      tag.maxLength = GroupTagLength;
      tag.value = member.tag;
      tag.placeholder = qsTr("Name tag");
      tag.setAttribute("aria-label", qsTr("Name tag of %1", who));
      const mirror = document.createElement("label");
      mirror.className = "membermirror";
      const box = document.createElement("input");
      box.type = "checkbox";
      box.dataset.index = index;
      box.checked = member.mirror;
      mirror.append(box, " " + qsTr("Mirror"));
      row.append(thumbnail, name, tag, mirror, buttons);
      return row;
    }));
  }
}

// The item grid of one slot: the icons of its equipment list from one atlas, "---" first,
// found by the service's search, filtered by a bonus and sorted; rows are made only as they
// come into view.
class Picker {
  constructor(studio) {
    this.studio = studio;
    this.dialog = $("picker");
    this.grid = $("grid");
    this.spacer = this.grid.querySelector(".spacer");
    this.find = $("find");
    this.tip = $("tip");
    this.entries = [];
    this.shown = [];
    this.active = 0;
    this.found = null;
    this.searchTimer = 0;
    this.searchNumber = 0;
    this.names = new Map();
    const filter = $("bonus-filter");
    filter.append(new Option(qsTr("Any bonus"), ""));
    for (const label of BonusLabels)
      filter.append(new Option(qsTr("With %1", label), label));
    const sort = $("sort");
    for (const [value, text] of [["list", qsTr("List order")], ["name", qsTr("Name")],
                                 ["id", qsTr("ID")], ["bonus", qsTr("Bonus")]])
      sort.append(new Option(text, value));
    this.bind();
  }

  hidden() {
    return this.dialog.hidden;
  }

  nameOf(id) {
    return this.names.get(id) || "#" + id;
  }

  bind() {
    $("picker-close").addEventListener("click", () => this.close());
    this.dialog.addEventListener("click", (event) => {
      if (event.target === this.dialog)
        this.close();
    });
    this.grid.addEventListener("scroll", () => this.draw());
    window.addEventListener("resize", () => {
      if (!this.hidden())
        this.layout();
    });
    this.grid.addEventListener("keydown", (event) => this.key(event));
    this.find.addEventListener("keydown", (event) => {
      if (["ArrowUp", "ArrowDown", "PageUp", "PageDown", "Enter"].includes(event.key))
        this.key(event);
      else if (event.key === "Escape") {
        event.preventDefault();
        if (this.find.value) {
          this.find.value = "";
          this.search();
        } else
          this.close();
      }
    });
    this.find.addEventListener("input", () => {
      clearTimeout(this.searchTimer);
      this.searchTimer = setTimeout(() => this.search(), 120);
    });
    $("bonus-filter").addEventListener("change", () => this.refill());
    $("sort").addEventListener("change", () => this.refill());
    this.dialog.addEventListener("keydown", (event) => {
      if (event.key === "Escape") {
        event.preventDefault();
        this.close();
      } else if (event.key === "Tab")
        this.keepFocus(event);
    });
    this.grid.addEventListener("click", (event) => {
      const cell = event.target.closest(".cell");
      if (cell && !this.pressed)
        this.choose(Number(cell.dataset.index));
      this.pressed = false;
    });
    // While the keys move the cursor, a mouse that stays where it was (under cells the grid
    // redraws) leaves the tip to the cursor; moving it gives the tip back.
    this.grid.addEventListener("pointerover", (event) => {
      const cell = event.target.closest(".cell");
      if (cell && event.pointerType === "mouse" && !this.keyboard) {
        this.showTip(Number(cell.dataset.index), cell);
        this.tryOn(Number(cell.dataset.index));
      }
    });
    this.grid.addEventListener("pointermove", (event) => {
      if (event.pointerType === "mouse" && (event.movementX || event.movementY))
        this.keyboard = false;
    });
    this.grid.addEventListener("pointerleave", () => {
      this.hideTip();
      this.studio.endPreview();
    });
    // A long press on a touch screen shows what a pointer's hover would.
    this.grid.addEventListener("pointerdown", (event) => {
      const cell = event.target.closest(".cell");
      if (!cell || event.pointerType === "mouse")
        return;
      clearTimeout(this.pressTimer);
      this.pressTimer = setTimeout(() => {
        this.pressed = true;
        this.showTip(Number(cell.dataset.index), cell);
      }, LongPress);
    });
    for (const end of ["pointerup", "pointercancel", "pointermove"])
      this.grid.addEventListener(end, (event) => {
        if (end !== "pointermove" || event.movementX || event.movementY)
          clearTimeout(this.pressTimer);
      });
    this.grid.addEventListener("contextmenu", (event) => {
      if (event.target.closest(".cell"))
        event.preventDefault();
    });
  }

  keepFocus(event) {
    const focusable = Array.from(this.dialog.querySelectorAll("button, input, select, #grid"));
    const first = focusable[0];
    const last = focusable[focusable.length - 1];
    if (event.shiftKey && document.activeElement === first) {
      event.preventDefault();
      last.focus();
    } else if (!event.shiftKey && document.activeElement === last) {
      event.preventDefault();
      first.focus();
    }
  }

  async open(slot, opener) {
    const state = this.studio.state;
    if (state.chara < 0)
      return;
    this.slot = slot;
    this.group = state.group;
    this.opener = opener;
    $("picker-title").textContent = qsTr(SlotNames[slot]);
    this.find.value = "";
    this.found = null;
    this.entries = [];
    this.keyboard = false;
    this.dialog.hidden = false;
    document.body.classList.add("sheet-open");
    this.grid.setAttribute("aria-busy", "true");
    delete this.grid.dataset.ready;
    this.find.focus();
    let atlas;
    try {
      atlas = await service.atlas(this.group, slot);
    } catch (error) {
      this.studio.showMessage(this.studio.reason(error));
      this.close();
      return;
    }
    if (this.slot !== slot || this.hidden())
      return;
    this.grid.style.setProperty("--atlas", "url(" + atlas.image + ")");
    this.entries = [{ id: 0, label: "---", name: "---", text: qsTr("Take the item off."),
                      bonuses: [], bonus: {}, x: -1, y: -1 }].concat(atlas.items);
    this.entries.forEach((entry, index) => {
      entry.index = index;
      if (entry.id)
        this.names.set(entry.id, entry.name);
    });
    this.grid.removeAttribute("aria-busy");
    const worn = state.items.find((item) => item.slot === slot);
    this.refill(worn ? worn.id : 0);
    this.grid.dataset.ready = "1";
  }

  close() {
    if (this.hidden())
      return;
    this.dialog.hidden = true;
    document.body.classList.remove("sheet-open");
    this.hideTip();
    this.studio.endPreview();
    if (this.opener)
      this.opener.focus();
  }

  async search() {
    const text = this.find.value.trim();
    const number = ++this.searchNumber;
    if (!text) {
      this.found = null;
      this.refill();
      return;
    }
    let found;
    try {
      found = await service.findItems(text, this.group, this.slot);
    } catch (error) {
      found = new Set();
    }
    if (number !== this.searchNumber)
      return;
    this.found = found;
    this.refill();
  }

  // The entries the search and the bonus filter leave, in the order asked for.
  refill(keepId) {
    const bonus = $("bonus-filter").value;
    const sort = $("sort").value;
    const previous = keepId !== undefined ? keepId
                     : this.shown[this.active] ? this.shown[this.active].id : 0;
    let shown = this.entries.filter((entry) =>
      entry.id === 0 ? !this.found && !bonus
                     : (!this.found || this.found.has(entry.id)) && (!bonus || entry.bonus[bonus]));
    const total = (entry) => Object.values(entry.bonus).reduce((sum, value) => sum + value, 0);
    const sorters = {
      name: (a, b) => a.name.localeCompare(b.name, document.documentElement.lang),
      id: (a, b) => a.id - b.id,
      bonus: (a, b) => (bonus ? (b.bonus[bonus] || 0) - (a.bonus[bonus] || 0)
                              : total(b) - total(a)) || a.index - b.index,
    };
    if (sorters[sort]) {
      const first = shown.length && shown[0].id === 0 ? shown.shift() : null;
      shown.sort(sorters[sort]);
      if (first)
        shown.unshift(first);
    }
    this.shown = shown;
    this.active = Math.max(0, shown.findIndex((entry) => entry.id === previous));
    $("grid-count").textContent = qsTr("%1 items", shown.filter((entry) => entry.id).length);
    this.layout();
    this.reveal();
  }

  layout() {
    this.columns = Math.max(1, Math.floor(this.grid.clientWidth / CellWidth));
    this.rows = Math.ceil(this.shown.length / this.columns);
    this.spacer.style.height = this.rows * CellHeight + "px";
    this.spacer.style.width = this.columns * CellWidth + "px";
    this.drawn = null;
    this.draw();
  }

  draw() {
    const first = Math.max(0, Math.floor(this.grid.scrollTop / CellHeight) - 1);
    const last = Math.min(this.rows - 1,
                          Math.ceil((this.grid.scrollTop + this.grid.clientHeight) / CellHeight));
    const key = first + ":" + last + ":" + this.active;
    if (this.drawn === key)
      return;
    this.drawn = key;
    const cells = [];
    for (let row = first; row <= last; ++row)
      for (let column = 0; column < this.columns; ++column) {
        const index = row * this.columns + column;
        if (index < this.shown.length)
          cells.push(this.cell(index, row, column));
      }
    this.spacer.replaceChildren(...cells);
    const active = this.shown[this.active];
    if (active)
      this.grid.setAttribute("aria-activedescendant", "item-" + active.index);
    else
      this.grid.removeAttribute("aria-activedescendant");
  }

  cell(index, row, column) {
    const entry = this.shown[index];
    const cell = document.createElement("div");
    cell.className = "cell";
    cell.id = "item-" + entry.index;
    cell.setAttribute("role", "option");
    cell.setAttribute("aria-selected", String(index === this.active));
    cell.dataset.itemId = entry.id;
    cell.dataset.index = index;
    cell.style.transform = "translate(" + column * CellWidth + "px," + row * CellHeight + "px)";
    const icon = document.createElement("span");
    icon.className = entry.id ? "icon" : "icon none";
    if (entry.x >= 0)
      icon.style.backgroundPosition = -entry.x + "px " + -entry.y + "px";
    const label = document.createElement("span");
    label.className = "label";
    label.textContent = entry.label;
    cell.append(icon, label);
    cell.setAttribute("aria-label", entry.label + (entry.bonuses.length ? ", " +
                      entry.bonuses.map((line) => line.trim()).join(", ") : ""));
    return cell;
  }

  // Scrolls the active cell into view and shows what it is.
  reveal() {
    const row = Math.floor(this.active / this.columns);
    const top = row * CellHeight;
    if (top < this.grid.scrollTop)
      this.grid.scrollTop = top;
    else if (top + CellHeight > this.grid.scrollTop + this.grid.clientHeight)
      this.grid.scrollTop = top + CellHeight - this.grid.clientHeight;
    this.drawn = null;
    this.draw();
    const cell = $("item-" + (this.shown[this.active] || {}).index);
    if (cell && document.activeElement !== this.find && this.keyboard)
      this.showTip(this.active, cell);
    if (this.keyboard)
      this.tryOn(this.active);
  }

  // Shows the entry at Index worn, until the pointer or the cursor moves on or away.
  tryOn(index) {
    const entry = this.shown[index];
    if (!entry)
      return;
    const slot = this.slot;
    this.studio.preview(entry.id ? [["wear", slot + ":" + entry.id]] : [["strip", slot]], { slot });
  }

  key(event) {
    const page = Math.max(1, Math.floor(this.grid.clientHeight / CellHeight)) * this.columns;
    const moves = {
      ArrowLeft: -1, ArrowRight: 1, ArrowUp: -this.columns, ArrowDown: this.columns,
      PageUp: -page, PageDown: page,
    };
    const count = this.shown.length;
    if (!count)
      return;
    let next = this.active;
    if (event.key in moves)
      next = Math.min(count - 1, Math.max(0, this.active + moves[event.key]));
    else if (event.key === "Home")
      next = 0;
    else if (event.key === "End")
      next = count - 1;
    else if (event.key === "Enter" || event.key === " ") {
      if (event.key === " " && event.target === this.find)
        return;
      event.preventDefault();
      this.choose(this.active);
      return;
    } else
      return;
    event.preventDefault();
    this.active = next;
    this.keyboard = true;
    this.reveal();
  }

  choose(index) {
    const entry = this.shown[index];
    if (!entry)
      return;
    const slot = this.slot;
    this.close();
    this.studio.wear(slot, entry.id);
  }

  showTip(index, cell) {
    const entry = this.shown[index];
    if (!entry)
      return;
    const lines = [entry.name];
    if (entry.text)
      lines.push(entry.text);
    for (const line of entry.bonuses)
      lines.push(line.trim());
    this.tip.textContent = lines.join("\n");
    this.tip.hidden = false;
    const box = cell.getBoundingClientRect();
    const width = this.tip.offsetWidth;
    this.tip.style.left = Math.max(4, Math.min(window.innerWidth - width - 4, box.left)) + "px";
    this.tip.style.top = (box.bottom + 4 + this.tip.offsetHeight > window.innerHeight
      ? box.top - this.tip.offsetHeight - 4 : box.bottom + 4) + "px";
  }

  hideTip() {
    this.tip.hidden = true;
  }
}

// A studio without a server, on the game folder the player opens in the page: its first screen,
// the folder's opening, the favourites, the downloads made in the browser, and the app's own
// updates. Nothing of the game folder is stored or sent anywhere; the browser's storage keeps
// only codes, poses, locks and favourites.
class LocalStudio {
  constructor(studio) {
    this.studio = studio;
    this.opening = false;
    this.favorites = this.readFavorites();
  }

  begin() {
    document.body.classList.add("local", "closed");
    $("start").hidden = false;
    $("credit").hidden = true;
    $("local-credit").hidden = false;
    $("link-hint").hidden = false;
    $("favorites").hidden = false;
    $("group").querySelector(".link").hidden = true;
    this.studio.prepare();
    for (const anchor of Array.from($("group-downloads").querySelectorAll("a"))) {
      const button = document.createElement("button");
      button.type = "button";
      button.id = anchor.id;
      button.dataset.kind = anchor.id.slice("group-download-".length);
      button.textContent = anchor.textContent;
      anchor.replaceWith(button);
    }
    this.bind();
    if (LocalAddress.read().code)
      this.status(qsTr("Open your game folder to see the character of this link."));
    service.start().catch((error) => this.showError(error.message));
    this.offerRemembered();
    this.register();
  }

  bind() {
    const input = $("folder");
    input.addEventListener("change", () => {
      const list = input.files;
      if (!$("remember").checked)
        service.forgetFolder().catch(() => {});
      this.open(() => service.filesOfInput(list)).then(() => {
        input.value = "";
      });
    });
    // Where the browser has a folder picker, it opens the folder instead: only the game's
    // folders are then gone through, where the input makes a File of every file below the
    // folder first; and only its handle can be remembered.
    if ("showDirectoryPicker" in window) {
      $("remember-row").hidden = false;
      input.addEventListener("click", (event) => {
        event.preventDefault();
        this.pick();
      });
    }
    $("reopen").addEventListener("click", () => this.reopen());
    document.addEventListener("dragover", (event) => {
      if (!event.dataTransfer.types.includes("Files"))
        return;
      event.preventDefault();
      document.body.classList.add("dragging");
    });
    document.addEventListener("dragleave", (event) => {
      if (!event.relatedTarget)
        document.body.classList.remove("dragging");
    });
    document.addEventListener("drop", (event) => {
      if (!event.dataTransfer.types.includes("Files"))
        return;
      event.preventDefault();
      document.body.classList.remove("dragging");
      // The entries are to be had only while the event lasts.
      const entries = Array.from(event.dataTransfer.items)
        .map((item) => item.webkitGetAsEntry && item.webkitGetAsEntry()).filter(Boolean);
      this.open(() => service.filesOfEntries(entries));
    });
    $("downloads").addEventListener("click", (event) => {
      const button = event.target.closest("button[data-kind]");
      if (button)
        this.download(button);
    });
    $("group-downloads").addEventListener("click", (event) => {
      const button = event.target.closest("button[data-kind]");
      if (button)
        this.downloadGroup(button);
    });
    $("save-favorite").addEventListener("click", () => this.saveFavorite());
    $("favorite-name").addEventListener("keydown", (event) => {
      if (event.key === "Enter") {
        event.preventDefault();
        this.saveFavorite();
      }
    });
    $("favorite-list").addEventListener("click", (event) => {
      const button = event.target.closest("button[data-place]");
      if (!button)
        return;
      const place = Number(button.dataset.place);
      const favorite = this.favorites.find((entry) => entry.place === place);
      if (button.dataset.action === "show")
        this.studio.load(favorite.code, true);
      else
        this.deleteFavorite(favorite);
    });
    const file = $("import-favorites");
    file.addEventListener("change", () => {
      const chosen = file.files[0];
      file.value = "";
      if (chosen)
        this.importFavorites(chosen);
    });
    $("export-favorites").addEventListener("click", () => this.exportFavorites());
  }

  // The first screen

  status(text) {
    $("start-status").textContent = text;
  }

  showError(text) {
    $("start-error").textContent = text;
    $("start-error").hidden = !text;
  }

  // Opens the game of the files Read gives ({files, root}); says whether it opened.
  async open(read) {
    if (this.opening)
      return false;
    this.opening = true;
    document.body.classList.add("opening");
    this.showError("");
    this.status(qsTr("Reading the game folder…"));
    try {
      const { files, root } = await read();
      const opened = await service.open(files, root);
      document.body.classList.remove("closed");
      $("start-intro").hidden = true;
      $("reopen").hidden = true;
      $("folder-label").textContent = qsTr("Open another game folder");
      $("folder-label").classList.remove("primary");
      this.status(qsTr("Game folder: %1", opened.folder || root));
      this.showFavorites();
      this.studio.opened(localStorage.getItem("pelto-last"));
      return true;
    } catch (error) {
      this.status("");
      this.showError(qsTr(error.message));
      return false;
    } finally {
      this.opening = false;
      document.body.classList.remove("opening");
    }
  }

  async pick() {
    let handle;
    try {
      handle = await window.showDirectoryPicker({ id: "pelto-game", mode: "read" });
    } catch (error) {
      return; // the picker was closed
    }
    if (!await this.open(() => service.filesOfHandle(handle)))
      return;
    if ($("remember").checked)
      service.rememberFolder(handle).catch(() => {});
    else
      service.forgetFolder().catch(() => {});
  }

  async offerRemembered() {
    const handle = "showDirectoryPicker" in window ? await service.rememberedFolder() : null;
    if (!handle)
      return;
    $("remember").checked = true;
    this.remembered = handle;
    // A browser that kept the permission opens the folder at once.
    if (await handle.queryPermission({ mode: "read" }) === "granted") {
      this.open(() => service.filesOfHandle(handle));
      return;
    }
    $("reopen").textContent = qsTr("Open %1 again", handle.name);
    $("reopen").hidden = false;
  }

  async reopen() {
    const handle = this.remembered;
    let allowed = "denied";
    try {
      allowed = await handle.requestPermission({ mode: "read" });
    } catch (error) {
      allowed = "denied";
    }
    if (allowed === "granted")
      this.open(() => service.filesOfHandle(handle));
    else
      this.showError(qsTr("The browser did not allow reading the folder."));
  }

  register() {
    if (!("serviceWorker" in navigator))
      return;
    navigator.serviceWorker.register("sw.js").then((registration) => {
      // A new version waits for the studio's next start; the first one needs no word.
      const waiting = () => {
        if (navigator.serviceWorker.controller)
          $("update").hidden = false;
      };
      if (registration.waiting)
        waiting();
      registration.addEventListener("updatefound", () => {
        const coming = registration.installing;
        coming.addEventListener("statechange", () => {
          if (coming.state === "installed")
            waiting();
        });
      });
    }, () => {});
  }

  // Files

  // Hands Files [{name, blob}] to the browser as downloads.
  save(files) {
    for (const { name, blob } of files) {
      const url = URL.createObjectURL(blob);
      const anchor = document.createElement("a");
      anchor.href = url;
      anchor.download = name;
      anchor.hidden = true;
      document.body.append(anchor);
      anchor.click();
      anchor.remove();
      // The browser has the file once its download began.
      setTimeout(() => URL.revokeObjectURL(url), 60000);
    }
  }

  async making(button, work) {
    const studio = this.studio;
    button.disabled = true;
    button.setAttribute("aria-busy", "true");
    studio.say(qsTr("Making the file…"));
    try {
      const files = await work();
      this.save(files);
      studio.showMessage("");
      studio.say(qsTr("Downloaded %1.", files.map((file) => file.name).join(", ")));
    } catch (error) {
      studio.say("");
      studio.showMessage(error.message);
    } finally {
      button.disabled = false;
      button.removeAttribute("aria-busy");
    }
  }

  download(button) {
    if (!this.studio.state.code)
      return;
    const [query, name] = this.studio.exportQuery(button.dataset.kind);
    this.making(button, () => service.exportFiles(query, name));
  }

  downloadGroup(button) {
    const group = this.studio.group;
    const kind = button.dataset.kind;
    if (!group.members.length || !group.urls)
      return;
    const path = group.urls[kind];
    const name = "pelto-group" + (kind === "tpng" ? "-transparent.png"
                                  : kind === "apng" ? "-animated.png" : "." + kind);
    this.making(button, async () => [{ name, blob: await service.picture(path) }]);
  }

  // Favourites: up to ten named codes in places 1..10, as the window's settings file has them.

  readFavorites() {
    const kept = readJson(localStorage, "pelto-favorites");
    return this.placed(Array.isArray(kept) ? kept : []);
  }

  placed(list) {
    const byPlace = new Map();
    for (const entry of list)
      if (entry && Number.isInteger(entry.place) && entry.place >= 1 &&
          entry.place <= FavoritePlaces && typeof entry.code === "string" && entry.code &&
          typeof entry.name === "string")
        byPlace.set(entry.place, { place: entry.place, name: entry.name, code: entry.code });
    return Array.from(byPlace.values()).sort((a, b) => a.place - b.place);
  }

  keepFavorites() {
    keepJson(localStorage, "pelto-favorites", this.favorites);
    this.showFavorites();
  }

  sayFavorites(text) {
    $("favorites-said").textContent = text;
  }

  showFavorites() {
    const list = $("favorite-list");
    if (!this.favorites.length) {
      const none = document.createElement("li");
      none.className = "none";
      none.textContent = qsTr("No favorites yet.");
      list.replaceChildren(none);
    } else
      list.replaceChildren(...this.favorites.map((favorite) => {
        const row = document.createElement("li");
        row.dataset.place = favorite.place;
        const name = document.createElement("span");
        name.className = "favoritename";
        name.textContent = favorite.place + ". " + favorite.name;
        const button = (action, text, label) => {
          const made = document.createElement("button");
          made.type = "button";
          made.dataset.place = favorite.place;
          made.dataset.action = action;
          made.textContent = text;
          made.setAttribute("aria-label", label);
          return made;
        };
        row.append(name, button("show", qsTr("Show"), qsTr("Show %1", favorite.name)),
                   button("delete", qsTr("Delete"), qsTr("Delete %1", favorite.name)));
        return row;
      }));
    $("save-favorite").disabled = false;
    $("export-favorites").disabled = !this.favorites.length;
  }

  saveFavorite() {
    const state = this.studio.state;
    if (!state.code) {
      this.sayFavorites(qsTr("Show a character first."));
      return;
    }
    let place = 1;
    while (this.favorites.some((entry) => entry.place === place))
      ++place;
    if (place > FavoritePlaces) {
      this.sayFavorites(qsTr("The ten places are taken: delete a favorite first."));
      return;
    }
    const name = $("favorite-name").value.trim() || state.name;
    this.favorites = this.placed([...this.favorites, { place, name, code: state.code }]);
    $("favorite-name").value = "";
    this.keepFavorites();
    this.sayFavorites(qsTr("Saved favorite %1, %2.", place, name));
  }

  deleteFavorite(favorite) {
    this.favorites = this.favorites.filter((entry) => entry !== favorite);
    this.keepFavorites();
    this.sayFavorites(qsTr("Favorite %1 deleted.", favorite.name));
    $("favorite-name").focus();
  }

  // A settings file's favourites take their places; the places it leaves empty keep ours.
  async importFavorites(file) {
    try {
      const read = await service.importFavorites(await file.text());
      const places = new Set(read.favorites.map((entry) => entry.place));
      this.favorites = this.placed([...this.favorites.filter((entry) => !places.has(entry.place)),
                                    ...read.favorites]);
      this.keepFavorites();
      let said = qsTr("%1 favorites imported.", read.favorites.length);
      if (read.skipped.length)
        said += " " + qsTr("Left out as damaged: %1.", read.skipped.join(", "));
      this.sayFavorites(said);
    } catch (error) {
      this.sayFavorites(error.message);
    }
  }

  async exportFavorites() {
    try {
      const text = await service.exportFavorites(this.favorites);
      this.save([{ name: "pelto.ini", blob: new Blob([text], { type: "text/plain" }) }]);
      this.sayFavorites(qsTr("Downloaded %1.", "pelto.ini"));
    } catch (error) {
      this.sayFavorites(error.message);
    }
  }
}

start();
}
