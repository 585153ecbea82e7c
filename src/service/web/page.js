// The share page's behaviour and the dress-up studio on it. The server renders the page whole,
// so without this script it still shows the character and its items; the script makes every
// control act in place, asks the service for every change of the look (its rules stay there),
// and keeps the address, the link and the browser's history in step with what is shown.
"use strict";

{
// The calls to the service, a module of its own (see service.js).
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
const BonusLabels = ["HP", "SP", "ATK", "DEF", "SPD", "MATK", "MDEF", "射撃対抗力(%)"];
const Downloads = ["png", "tpng", "gif", "apng", "webp"];
const GroupSize = 8;
const GroupGap = { min: 0, max: 64, initial: 8 };
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

async function start() {
  service = await import("/service.js");
  const language = pickLanguage();
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
  new Studio().begin();
}

class Studio {
  constructor() {
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
    this.locks = new Set();
    this.step = (history.state && history.state.step) || 0;
    this.top = Math.max(this.step, Number(sessionStorage.getItem("pelto-top")) || 0);
    this.picker = new Picker(this);
    this.group = new Group(this);
  }

  begin() {
    this.buildColors();
    this.bind();
    $("copy").hidden = false;
    $("copy-code").hidden = false;
    $("playback").hidden = false;
    $("studio").hidden = false;
    if (!$("download-tpng")) {
      const anchor = document.createElement("a");
      anchor.id = "download-tpng";
      anchor.textContent = qsTr("Transparent PNG");
      $("download-png").after(" ", anchor);
    }
    history.replaceState({ step: this.step }, "", location.href);
    this.showSteps();
    this.group.show();
    if (this.state.code)
      this.load(this.state.code, false);
    else
      this.showLook();
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
      });
      range.addEventListener("change", () => this.setLevel(range));
    }
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
  }

  setLevel(range) {
    const position = Number(range.dataset.color.split(":")[0]);
    const levels = () => this.levels.slice(position * 3, position * 3 + 3).map((r) => r.value);
    this.edit(() => [["color", position + ":" + levels().join(",")]],
              qsTr("Color %1: %2", position + 1, levels().join(", ")));
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

  showLook() {
    const state = this.state;
    $("chara").value = state.chara >= 0 ? String(state.chara) : "";
    for (const row of document.querySelectorAll("#slots .slotrow")) {
      const slot = Number(row.dataset.slot);
      const item = state.items.find((worn) => worn.slot === slot);
      const button = row.querySelector(".slot");
      button.disabled = state.chara < 0;
      button.dataset.itemId = item ? item.id : 0;
      button.querySelector(".worn").textContent = item ? item.name : "---";
      // An item the icon file has no icon for shows an empty cell, as nothing worn does.
      const icon = button.querySelector("img");
      icon.src = item && item.icon ? service.iconUrl(item.id) : "data:,";
      icon.style.visibility = item && item.icon ? "visible" : "hidden";
    }
    // While more changes wait, the sliders show what they will ask for.
    if (!(this.pending > 1))
      this.levels.forEach((range, index) => {
        range.value = state.colors[index];
        range.nextElementSibling.textContent = String(state.colors[index]);
      });
    $("status").textContent = state.status.length ? state.status.join("\n") : qsTr("No bonuses.");
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
        icon.src = item.icon;
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

  // The same link the server writes: only what differs from the defaults.
  sharePath() {
    const state = this.state;
    const params = [];
    if (state.motion !== Defaults.motion) params.push("motion=" + state.motion);
    if (state.direction !== Defaults.direction) params.push("direction=" + state.direction);
    if (state.scale !== Defaults.scale) params.push("scale=" + state.scale);
    if (state.shadow) params.push("shadow=1");
    if (state.background !== Defaults.background)
      params.push("background=" + (state.background === null ? "transparent" : state.background));
    return "/c/" + encodeURIComponent(state.code) + (params.length ? "?" + params.join("&") : "");
  }

  update() {
    const state = this.state;
    if (!state.code)
      return;
    const count = this.frameCount();
    if (state.frame > count)
      state.frame = 1;
    const still = !state.playing;
    this.picture.src = still ? service.renderUrl("png", state, state.frame)
                             : service.renderUrl("apng", state);
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
    for (const kind of Downloads) {
      const anchor = $("download-" + kind);
      if (kind === "tpng")
        anchor.href = service.renderUrl("png", { ...state, background: null }, state.frame);
      else
        anchor.href = kind === "png" ? service.renderUrl(kind, state, state.frame)
                                     : service.renderUrl(kind, state);
      anchor.download = "pelto-" + state.chara + "." + (kind === "tpng" ? "png" : kind);
    }
    $("link").value = location.origin + this.sharePath();
    $("copied").textContent = "";
    history.replaceState({ step: this.step }, "", this.sharePath());
    this.group.show();
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
    history.pushState({ step: this.step }, "", this.sharePath());
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
    const path = location.pathname;
    const params = new URLSearchParams(location.search);
    const state = this.state;
    const number = (name, fallback, max) => {
      const value = Number(params.get(name));
      return params.has(name) && Number.isInteger(value) && value >= 0 && value <= max
        ? value : fallback;
    };
    state.motion = number("motion", Defaults.motion, 18);
    state.direction = number("direction", Defaults.direction, 7);
    state.scale = Math.max(1, number("scale", Defaults.scale, 8));
    state.shadow = params.get("shadow") === "1";
    const background = params.get("background");
    state.background = background === "transparent" ? null
                       : /^[0-9A-Fa-f]{6}$/.test(background || "") ? background.toUpperCase()
                       : Defaults.background;
    $("motion").value = state.motion;
    $("scale").value = state.scale;
    $("shadow").checked = state.shadow;
    $("transparent").checked = state.background === null;
    if (path.startsWith("/c/")) {
      this.load(decodeURIComponent(path.slice(3)), false);
      this.say(qsTr("Step %1.", this.step));
    }
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
    this.shownKey = null;
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
                            name: typeof member.name === "string" ? member.name : "" }));
    if (whole(kept.gap, GroupGap.max))
      this.gap = kept.gap;
  }

  keep() {
    try {
      sessionStorage.setItem("pelto-group", JSON.stringify({ members: this.members,
                                                             gap: this.gap }));
    } catch (error) {
      // Storage may be full or refused; the group then lasts as long as the page.
    }
  }

  bind() {
    $("add-to-group").addEventListener("click", () => this.add());
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
                        name: state.name });
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
             background: state.background };
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
    const key = JSON.stringify([this.members, look]);
    if (key === this.shownKey)
      return;
    this.shownKey = key;
    $("group").hidden = !this.members.length;
    $("group-count").textContent = qsTr("%1 of %2", this.members.length, GroupSize);
    this.listMembers(look);
    const picture = $("group-picture");
    if (!this.members.length) {
      picture.removeAttribute("src");
      $("group-link").value = "";
      return;
    }
    const still = service.sceneUrl("png", this.members, look);
    if (picture.getAttribute("src") !== still)
      picture.src = still;
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
    for (const kind of Downloads) {
      const anchor = $("group-download-" + kind);
      anchor.href = urls[kind];
      anchor.download = "pelto-group." + (kind === "tpng" ? "png" : kind);
    }
    $("group-link").value = location.origin + still;
    $("group-copied").textContent = "";
  }

  listMembers(look) {
    const list = $("members");
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
      thumbnail.src = service.renderUrl("png", { ...member, scale: 1, shadow: look.shadow,
                                                 background: look.background }, 1);
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
      row.append(thumbnail, name, buttons);
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
    this.grid.addEventListener("pointerover", (event) => {
      const cell = event.target.closest(".cell");
      if (cell && event.pointerType === "mouse")
        this.showTip(Number(cell.dataset.index), cell);
    });
    this.grid.addEventListener("pointerleave", () => this.hideTip());
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

start();
}
