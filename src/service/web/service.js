// Every call the page makes to the render service. The studio knows only these functions, so
// that another back end (the browser's own, src/browser/web/local.js) stands in for HTTP.

async function json(url) {
  let answer;
  try {
    answer = await fetch(url);
  } catch (error) {
    throw new Error("unreachable");
  }
  const body = await answer.json().catch(() => ({}));
  if (!answer.ok)
    throw new Error(body.error || "HTTP " + answer.status);
  return body;
}

export function queryOf(pairs) {
  return pairs.map(([name, value]) => encodeURIComponent(name) + "=" + encodeURIComponent(value))
    .join("&");
}

// The design after edits, as pairs [name, value] in the order given (see /design.json).
export function design(code, edits) {
  const pairs = code ? [["code", code], ...edits] : edits;
  return json("/design.json?" + queryOf(pairs));
}

export function codeInfo(code) {
  return json("/code/" + encodeURIComponent(code) + ".json");
}

// The identifiers of the list's items that Search finds, in the list's order.
export async function findItems(search, group, slot) {
  const found = await json("/items?" + queryOf([["search", search], ["group", group],
                                                 ["slot", slot]]));
  return new Set(found.map((item) => item.id));
}

const atlases = new Map();
// The items of one equipment list with their cells in one picture of icons, both asked for at
// once and once only; ready when the picture is decoded too, so that cells come with icons.
export function atlas(group, slot) {
  const key = group + "/" + slot;
  if (!atlases.has(key)) {
    const picture = new Image();
    picture.src = "/atlas/" + key + ".png";
    const made = Promise.all([json("/atlas/" + key + ".json"),
                              picture.decode().catch(() => null)]).then(([cells]) => cells);
    made.catch(() => atlases.delete(key));
    atlases.set(key, made);
  }
  return atlases.get(key);
}

export function catalogue(language) {
  return json("/page." + language + ".json");
}

// The picture of a pose: {code, motion, direction, scale, shadow, background (null:
// transparent)}; frame for a still one.
export function renderUrl(kind, pose, frame) {
  const pairs = [["code", pose.code], ["motion", pose.motion], ["direction", pose.direction],
                 ["scale", pose.scale], ["shadow", pose.shadow ? 1 : 0]];
  if (pose.background !== null)
    pairs.push(["background", pose.background]);
  if (frame !== undefined)
    pairs.push(["frame", frame]);
  return "/render." + (pose.background === null ? "t" : "") + kind + "?" + queryOf(pairs);
}

// The picture of a group: members [{code, motion, direction, tag, mirror}] side by side in
// their order, each in its own motion and direction, with its name tag and mirrored or not;
// look {gap, scale, shadow, background (null: transparent), backdrop (null, or [top, bottom]
// for a gradient instead of the background)} is theirs together.
export function sceneUrl(kind, members, look) {
  const pairs = members.map((member) => ["c", member.code + "~" + member.motion + "~" +
                                               member.direction]);
  pairs.push(["gap", look.gap], ["scale", look.scale], ["shadow", look.shadow ? 1 : 0]);
  if (look.background !== null && look.backdrop)
    pairs.push(["backdrop", look.backdrop.join("-")]);
  else if (look.background !== null)
    pairs.push(["background", look.background]);
  // Tags go with the characters by their order, so every one is given once any is.
  if (members.some((member) => member.tag))
    for (const member of members)
      pairs.push(["tag", member.tag || ""]);
  const mirrored = members.flatMap((member, index) => member.mirror ? [index + 1] : []);
  if (mirrored.length)
    pairs.push(["mirror", mirrored.join(",")]);
  return "/v1/scene." + (look.background === null ? "t" : "") + kind + "?" + queryOf(pairs);
}

// A character at other levels of one colour position (pose as renderUrl's), each cropped to
// the character: choice {position, across, down (null: one row)} names the channels that vary;
// frame for a pose with frames.
export function swatchesUrl(pose, choice, frame) {
  const pairs = [["code", pose.code], ["position", choice.position], ["across", choice.across]];
  if (choice.down !== null)
    pairs.push(["down", choice.down]);
  pairs.push(["motion", pose.motion], ["direction", pose.direction],
             ["shadow", pose.shadow ? 1 : 0], ["crop", "body"]);
  if (frame !== undefined)
    pairs.push(["frame", frame]);
  if (pose.background !== null)
    pairs.push(["background", pose.background]);
  return "/v1/swatches.png?" + queryOf(pairs);
}

export function iconUrl(id) {
  return "/icon/" + id + ".png";
}

// What an <img> shows for a path of the service: over HTTP, the path itself.
export function source(path) {
  return Promise.resolve(path);
}

// The browser tells the service its languages itself.
export function setLanguage() {}
