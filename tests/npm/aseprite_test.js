// Reads a layered .aseprite file with the npm package ase-parser, a reader independent of
// the program's writer, and checks it against the frames of a bundle of the same character:
// layer names and order, frame count and durations, tags, and the cels laid over each other
// equal to each frame. Usage: node aseprite_test.js FILE.aseprite BUNDLE_FRAMES_DIR DELAY
// [--layers-png DIR]  (the last writes each layer of the first frame as a PNG, to look at)
'use strict';
const Aseprite = require('ase-parser');
const fs = require('fs');
const path = require('path');
const { decodePng, encodePng } = require('./png.js');

const [file, framesDir, delayText, option, pngDir] = process.argv.slice(2);
const delay = Number(delayText);
let failures = 0;
function check(ok, what) {
  if (!ok) {
    console.log('FAIL ' + what);
    failures++;
  }
}

const ase = new Aseprite(fs.readFileSync(file), path.basename(file));
ase.parse();
const names = ase.layers.map(layer => layer.name);
check(names[0] === 'Shadow' && names[1] === 'Body', 'shadow and body come first: ' + names);
check(names.includes('Head'), 'a head layer: ' + names);
check(names.some(name => /^Slot 3 ./.test(name)) && /^Slot 3 /.test(names[names.length - 1]),
  'the hand item, named, drawn last: ' + names);

// The actions in the order asked for (PELTO_TAGS, "m3-d4,m3-d3,..."), and the bundle's frames
// by pose in the order of the file's tags.
if (process.env.PELTO_TAGS)
  check(ase.tags.map(tag => tag.name).join() === process.env.PELTO_TAGS,
    'the tags in the order asked for: ' + ase.tags.map(tag => tag.name));
const pose = name => name.match(/m(\d+)-d(\d+)-f(\d+)/).slice(1).map(Number);
const tagOrder = ase.tags.map(tag => tag.name);
const frames = fs.readdirSync(framesDir).filter(name => name.endsWith('.png'));
frames.sort((a, b) => {
  const [pa, pb] = [pose(a), pose(b)];
  return tagOrder.indexOf(`m${pa[0]}-d${pa[1]}`) - tagOrder.indexOf(`m${pb[0]}-d${pb[1]}`) ||
    pa[2] - pb[2];
});
check(ase.numFrames === frames.length, `${ase.numFrames} frames, ${frames.length} in the bundle`);
check(ase.frames.every(frame => frame.frameDuration === delay), 'every frame lasts ' + delay);
let from = 0;
for (const tag of ase.tags) {
  const [motion, direction] = tag.name.match(/^m(\d+)-d(\d+)$/).slice(1).map(Number);
  const count = frames.filter(name => pose(name)[0] === motion && pose(name)[1] === direction).length;
  check(tag.from === from && tag.to === from + count - 1, `tag ${tag.name} ${tag.from}..${tag.to}`);
  from += count;
}
check(from === frames.length, 'the tags cover every frame');

// Each frame flattened: the cels in layer order, each pixel opaque or not at all.
ase.frames.forEach((frame, index) => {
  const want = decodePng(fs.readFileSync(path.join(framesDir, frames[index])));
  const got = Buffer.alloc(ase.width * ase.height * 4);
  const cels = [...frame.cels].sort((a, b) => a.layerIndex - b.layerIndex);
  for (const cel of cels) {
    check(cel.w > 0 && cel.h > 0, 'no empty cel');
    let drawnEdge = [false, false, false, false];
    for (let y = 0; y < cel.h; y++)
      for (let x = 0; x < cel.w; x++) {
        const from = (y * cel.w + x) * 4;
        if (cel.rawCelData[from + 3] === 0) continue;
        if (x === 0) drawnEdge[0] = true;
        if (y === 0) drawnEdge[1] = true;
        if (x === cel.w - 1) drawnEdge[2] = true;
        if (y === cel.h - 1) drawnEdge[3] = true;
        cel.rawCelData.copy(got, ((cel.ypos + y) * ase.width + cel.xpos + x) * 4, from, from + 4);
      }
    check(drawnEdge.every(Boolean), `cel of layer ${cel.layerIndex} cropped to its drawn pixels`);
  }
  check(want.width === ase.width && want.height === ase.height, 'frame size');
  check(got.equals(want.rgba), 'frame ' + frames[index] + ' flattened is the bundle\'s');
});

if (option === '--layers-png') {
  fs.mkdirSync(pngDir, { recursive: true });
  for (const cel of ase.frames[0].cels) {
    const rgba = Buffer.alloc(ase.width * ase.height * 4);
    for (let y = 0; y < cel.h; y++)
      cel.rawCelData.copy(rgba, ((cel.ypos + y) * ase.width + cel.xpos) * 4, y * cel.w * 4,
        (y + 1) * cel.w * 4);
    fs.writeFileSync(path.join(pngDir, `${cel.layerIndex + 1} ${names[cel.layerIndex]}.png`),
      encodePng(ase.width, ase.height, rgba));
  }
}
console.log(failures ? `${failures} failures` : `ok: ${names.length} layers, ${ase.numFrames} frames`);
process.exit(failures ? 1 : 0);
