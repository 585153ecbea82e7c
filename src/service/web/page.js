// The share page's behaviour. The server renders the page whole, so without this script it
// still shows the character and its items; the script makes every control act in place and
// keeps the address and the link in step with what is shown.
"use strict";

(function () {
  const Defaults = { motion: 0, direction: 4, scale: 3, shadow: false, background: "FFFFFF" };
  const Words = ["back", "back-left", "left", "front-left", "front", "front-right", "right",
                 "back-right"];
  const SlotNames = ["", "Head", "Body", "Hand", "Arm", "Shoes", "Special"];
  const Downloads = ["png", "gif", "apng", "webp"];

  const $ = (id) => document.getElementById(id);
  const form = $("share");
  const codeBox = $("code");
  const message = $("message");
  const viewer = $("viewer");
  const items = $("items");
  const picture = $("picture");
  const motion = $("motion");
  const scale = $("scale");
  const shadow = $("shadow");
  const background = $("background");
  const transparent = $("transparent");
  const link = $("link");
  const copied = $("copied");
  const playButton = $("play");
  const frameText = $("frame");
  // The buttons share its name, so that without this script they submit theirs.
  const directionField = form.querySelector("input[type=hidden][name=direction]");
  const turnButtons = Array.from(document.querySelectorAll(".stage .turn"));

  const state = {
    code: viewer.hidden ? "" : codeBox.value,
    name: $("name").textContent,
    chara: 0,
    motion: Number(motion.value),
    direction: Number(directionField.value),
    scale: Number(scale.value),
    shadow: shadow.checked,
    background: transparent.checked ? null : background.value.slice(1).toUpperCase(),
    playing: true,
    frame: 1,
    frames: null,
  };

  function frameCount() {
    return state.frames ? state.frames[state.motion][state.direction] : 0;
  }

  function query(frame) {
    let text = "code=" + encodeURIComponent(state.code) + "&motion=" + state.motion +
               "&direction=" + state.direction + "&scale=" + state.scale + "&shadow=" +
               (state.shadow ? 1 : 0);
    if (state.background !== null)
      text += "&background=" + state.background;
    if (frame !== undefined)
      text += "&frame=" + frame;
    return text;
  }

  function renderUrl(kind, frame) {
    return "/render." + (state.background === null ? "t" : "") + kind + "?" + query(frame);
  }

  // The same link the server writes: only what differs from the defaults.
  function sharePath() {
    const params = [];
    if (state.motion !== Defaults.motion) params.push("motion=" + state.motion);
    if (state.direction !== Defaults.direction) params.push("direction=" + state.direction);
    if (state.scale !== Defaults.scale) params.push("scale=" + state.scale);
    if (state.shadow) params.push("shadow=1");
    if (state.background !== Defaults.background)
      params.push("background=" + (state.background === null ? "transparent" : state.background));
    return "/c/" + encodeURIComponent(state.code) + (params.length ? "?" + params.join("&") : "");
  }

  function update() {
    if (!state.code)
      return;
    const count = frameCount();
    if (state.frame > count)
      state.frame = 1;
    const still = !state.playing;
    picture.src = still ? renderUrl("png", state.frame) : renderUrl("apng");
    const size = 128 * state.scale;
    picture.width = size;
    picture.height = size;
    picture.alt = state.name + ", facing " + Words[state.direction];
    directionField.value = state.direction;
    for (const button of turnButtons)
      button.setAttribute("aria-pressed", String(Number(button.value) === state.direction));
    playButton.textContent = still ? "Play" : "Pause";
    frameText.textContent = still ? (count ? "Frame " + state.frame + " of " + count : "No frames")
                                  : "Playing";
    for (const kind of Downloads) {
      const anchor = $("download-" + kind);
      anchor.href = kind === "png" ? renderUrl(kind, state.frame) : renderUrl(kind);
      anchor.download = "pelto-" + state.chara + "." + kind;
    }
    link.value = location.origin + sharePath();
    copied.textContent = "";
    history.replaceState(null, "", sharePath());
  }

  function showMessage(text) {
    message.textContent = text;
    message.hidden = !text;
  }

  function listItems(list) {
    const target = $("itemlist");
    target.replaceChildren();
    if (!list.length) {
      const none = document.createElement("li");
      none.className = "none";
      none.textContent = "Nothing worn.";
      target.append(none);
      return;
    }
    for (const item of list) {
      const row = document.createElement("li");
      row.dataset.id = item.id;
      const icon = document.createElement("img");
      icon.src = item.icon;
      icon.alt = "";
      icon.width = 32;
      icon.height = 32;
      const text = document.createElement("div");
      const slot = document.createElement("span");
      slot.className = "slot";
      slot.textContent = SlotNames[item.slot] || "Slot " + item.slot;
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

  // Shows the character of Code; what is no code leaves the one shown as it was.
  async function load(code) {
    let answer;
    let body;
    try {
      answer = await fetch("/code/" + encodeURIComponent(code) + ".json");
      body = await answer.json();
    } catch (error) {
      showMessage("The service cannot be reached.");
      return;
    }
    if (!answer.ok) {
      showMessage(body.error || "Invalid code error.");
      return;
    }
    showMessage("");
    state.code = body.code;
    state.name = body.name;
    state.chara = body.chara;
    state.frames = body.frames;
    codeBox.value = body.code;
    $("name").textContent = body.name;
    document.title = body.name + " · PELTO in Wonderland";
    listItems(body.items);
    viewer.hidden = false;
    items.hidden = false;
    update();
  }

  function turn(direction) {
    state.direction = (direction + 8) % 8;
    update();
  }

  function step(delta) {
    const count = frameCount();
    if (!count)
      return;
    if (state.playing)
      state.playing = false;
    else
      state.frame = ((state.frame - 1 + delta + count) % count) + 1;
    update();
  }

  form.addEventListener("submit", (event) => {
    event.preventDefault();
    const button = event.submitter;
    if (button && button.name === "direction") {
      turn(Number(button.value));
      return;
    }
    const code = codeBox.value.trim();
    if (code)
      load(code);
  });

  codeBox.addEventListener("paste", () => {
    // The pasted text is in the box only after this event.
    setTimeout(() => {
      const code = codeBox.value.trim();
      if (code)
        load(code);
    }, 0);
  });

  motion.addEventListener("change", () => {
    state.motion = Number(motion.value);
    state.frame = 1;
    update();
  });
  scale.addEventListener("change", () => {
    state.scale = Number(scale.value);
    update();
  });
  shadow.addEventListener("change", () => {
    state.shadow = shadow.checked;
    update();
  });
  background.addEventListener("input", () => {
    transparent.checked = false;
    state.background = background.value.slice(1).toUpperCase();
    update();
  });
  transparent.addEventListener("change", () => {
    state.background = transparent.checked ? null : background.value.slice(1).toUpperCase();
    update();
  });

  playButton.addEventListener("click", () => {
    state.playing = !state.playing;
    update();
  });
  $("previous").addEventListener("click", () => step(-1));
  $("next").addEventListener("click", () => step(1));

  document.addEventListener("keydown", (event) => {
    if (!state.code || event.altKey || event.ctrlKey || event.metaKey)
      return;
    const target = event.target;
    // Text boxes and lists keep their own keys.
    if (target instanceof HTMLSelectElement ||
        (target instanceof HTMLInputElement && target.type !== "checkbox"))
      return;
    const keys = {
      ArrowLeft: () => turn(state.direction - 1),
      ArrowRight: () => turn(state.direction + 1),
      ArrowUp: () => turn(0),
      ArrowDown: () => turn(4),
      ",": () => step(-1),
      ".": () => step(1),
    };
    const action = keys[event.key];
    if (action) {
      event.preventDefault();
      action();
    }
  });

  $("copy").addEventListener("click", async () => {
    const text = link.value;
    try {
      await navigator.clipboard.writeText(text);
      copied.textContent = "Link copied.";
    } catch (error) {
      link.focus();
      link.select();
      copied.textContent = document.execCommand("copy") ? "Link copied."
                                                        : "Select the link and copy it.";
    }
  });

  // What only works with this script is shown by it.
  $("copy").hidden = false;
  $("playback").hidden = false;
  if (state.code)
    load(state.code);
})();
