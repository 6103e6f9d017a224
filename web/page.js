// The page: reads the person's files, hands them to the core (decoded by the browser where
// they are pictures or sounds), draws what the core computes and offers the built show.
// Decoding the animation, composing its frames, placement, caption conversion, packing and
// the checks all happen in the core (reelbox_core.js); nothing here repeats them. The cells,
// charsets and limits the page offers are read from the core's tables (readChoices). Where a
// caption's lines break is the page's own approximation (wrapCaption).
//
// Typing and choosing never wait for the show: an edit redraws what it changes, checks its
// own field at once, and schedules one check of the whole show (the only place the show is
// packed) for when the edits pause. Until that check answers, no show is offered.
'use strict';

const FINDING_ERROR = 2;
const FINDING_WARNING = 1;
const CHECK_DELAY_MS = 200;     // edits closer together than this make one check
const COMPOSE_DELAY_MS = 120;   // the same for recomposing the preview (a colour being dragged)
const DEFAULT_FONT_SIZE = 28;

let core = null;
let playerBytes = null;
const inputs = {
  animation: null,        // Uint8Array of the GIF
  messagePicture: null,   // {rgba, width, height, bitmap}
  sound: null,            // {bytes} as given, or {samples, frames, channels, rate}
  logo: null,             // Uint8Array of the GIF
  backdropPicture: null,  // ImageBitmap
};
const inputVersions = {};  // input key -> a number that changes whenever that input does
const fileErrors = {};     // field id -> message found while reading its file
let animation = null;      // {width, height, delays, count, frames (pointer into the core)}
let frameIndex = 0;
let playing = true;
let frameTimer = 0;
let builtShowSize = 0;     // bytes of the show built from the current inputs (in showPacker), or 0

const $ = (id) => document.getElementById(id);

// --- The author's choices, as the core's tables state them -----------------------------------
// Read once when the core has loaded: the cells of the 3 x 3 screen grid in reading order,
// the cells off the grid (random), which make a row of their own below it, the charsets a
// caption can be stored in, the largest font size and the caption's length in bytes. The
// page builds its grids, menus and limits from these and keeps no copy of its own.

let choices = null;

function readChoices() {
  const grid = [];
  for (let row = 0; row < 3; ++row) {
    for (let column = 0; column < 3; ++column) grid.push(core._ReelboxPackCellAt(row, column));
  }
  const names = [];
  for (let cell = 0; cell < core._ReelboxPackCellCount(); ++cell) {
    names.push(core.UTF8ToString(core._ReelboxPackCellName(cell)));
  }
  const charsets = [];
  for (let i = 0; i < core._ReelboxPackCharsetCount(); ++i) {
    const charset = core._ReelboxPackCharsetAt(i);
    charsets.push({charset, name: core.UTF8ToString(core._ReelboxPackCharsetName(charset))});
  }
  return {grid, offGrid: names.map((_, cell) => cell).filter((cell) => !grid.includes(cell)),
          names, charsets, largestFontSize: core._ReelboxPackFontHeightLimit(),
          captionBytes: core._ReelboxPackCaptionByteLimit()};
}

const onGrid = (cell) => choices.grid.includes(cell);

// "top-left" as the page shows it: "Top left".
function cellLabel(cell) {
  const name = choices.names[cell];
  return name[0].toUpperCase() + name.slice(1).replace(/-/g, ' ');
}

// The size typed into the font field, in pixels, when the core takes it (stored as the
// negative LOGFONT height, a character height); null otherwise.
function typedFontSize() {
  const size = Number($('font-size').value);
  return Number.isInteger(size) && size >= 1 && size <= choices.largestFontSize ? size : null;
}

// --- Work in progress and the page's settled state -----------------------------------------
// Tests and people both see when the page has caught up: body[data-state] is "busy" while a
// file is read, the preview is composed or a check is pending, then "idle".

let pendingWork = 0;
function beginWork() {
  if (pendingWork++ === 0) document.body.dataset.state = 'busy';
}
function endWork() {
  if (--pendingWork > 0) return;
  document.body.dataset.state = 'idle';
  window.reelboxSettles = (window.reelboxSettles || 0) + 1;
}

// Runs work once, delay ms after the last call; the page counts as busy until it has run.
function debounced(delay, work) {
  let timer = 0;
  return () => {
    if (timer) clearTimeout(timer); else beginWork();
    timer = setTimeout(async () => {
      timer = 0;
      try {
        await work();
      } finally {
        endWork();
      }
    }, delay);
  };
}

// A note with a moving bar beside a field while long work runs; gone when it ends.
function showProgress(id, text) {
  const note = $(`${id}-progress`);
  if (!note) return;
  note.hidden = !text;
  note.querySelector('span').textContent = text || '';
}

// Lets the browser paint (a progress note) before work that holds the main thread.
const nextPaint = () => new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve, 0)));

// --- Moving bytes in and out of the core ---------------------------------------------------

class OutOfMemory extends Error {}

// A block of size bytes in the core's memory; refuses rather than hand out address 0.
function coreAlloc(size) {
  if (!(size >= 0 && size < 2 ** 31)) throw new OutOfMemory('This is too large for the page.');
  const pointer = core._WebAlloc(size) >>> 0;
  if (pointer === 0) throw new OutOfMemory('The page ran out of memory. Close other tabs, or use smaller files.');
  return pointer;
}

function withBytes(bytes, use) {
  const pointer = coreAlloc(bytes.length);
  core.HEAPU8.set(bytes, pointer);
  try {
    return use(pointer, bytes.length);
  } finally {
    core._WebFree(pointer);
  }
}

function withText(text, use) {
  const bytes = new TextEncoder().encode(text);
  const terminated = new Uint8Array(bytes.length + 1);
  terminated.set(bytes);
  return withBytes(terminated, (pointer) => use(pointer));
}

function withInts(count, use) {
  const pointer = coreAlloc(4 * count);
  try {
    use(pointer);
    return Array.from(new Int32Array(core.HEAPU8.buffer, pointer, count));
  } finally {
    core._WebFree(pointer);
  }
}

// A size_t the core writes (wasm32: unsigned 32 bits).
function withSizeOut(use) {
  const pointer = coreAlloc(4);
  try {
    const result = use(pointer) >>> 0;
    return {result, size: new Uint32Array(core.HEAPU8.buffer, pointer, 1)[0]};
  } finally {
    core._WebFree(pointer);
  }
}

// --- The page's voice ----------------------------------------------------------------------

// The core's one-line reasons ("not a GIF (...)") as sentences.
function sentence(text) {
  const trimmed = String(text).trim();
  if (!trimmed) return '';
  const capital = trimmed[0].toUpperCase() + trimmed.slice(1);
  return /[.!?]$/.test(capital) ? capital : `${capital}.`;
}

const KIND_NAMES = {png: 'a PNG picture', jpeg: 'a JPEG picture', bmp: 'a BMP picture',
                    webp: 'a WebP picture', wav: 'a WAV sound', midi: 'a MIDI file',
                    mp3: 'an MP3 sound', ogg: 'an OGG sound', flac: 'a FLAC sound'};

const digits = (n) => n.toLocaleString('en');

// --- Reading the person's files ------------------------------------------------------------

function pictureBudget() {
  return core._WebPictureBudget() >>> 0;
}

// The reason a picture of this size is refused, or ''.
function pictureSizeProblem(width, height) {
  if (core._ReelboxPackPictureWithinBudget(width, 0, height, 0)) return '';
  if (width === 0 || height === 0) return `This picture is ${digits(width)} × ${digits(height)} pixels: it has nothing to show.`;
  return `This picture is ${digits(width)} × ${digits(height)} pixels ` +
         `(${(width * height / 1e6).toFixed(0)} million). Pictures may have at most ` +
         `${digits(pictureBudget() / 1e6)} million pixels, as in tackon. Scale it down and pick it again.`;
}

// The decoder's answer for a GIF, or the reason it will not take it.
function checkGif(bytes, what) {
  const kind = fileKind(bytes);
  if (kind !== 'gif') {
    const name = KIND_NAMES[kind];
    return name ? `This is ${name}, not a GIF. The ${what} must be a GIF.`
                : `This file is not a GIF. The ${what} must be a GIF.`;
  }
  const frames = withBytes(bytes, (p, n) => core._WebLoadAnimation(p, n));
  const width = core._WebAnimationWidth();
  const height = core._WebAnimationHeight();
  core._WebReleaseAnimation();
  if (frames <= 0) return 'The player cannot decode any frame of this GIF.';
  if (width <= 0 || height <= 0) {
    return `This GIF's screen is ${digits(width)} × ${digits(height)} pixels: the player shows nothing of it.`;
  }
  return '';
}

async function fileBytes(file) {
  if (file.size === 0) throw new Error('This file is empty.');
  return new Uint8Array(await file.arrayBuffer());
}

// Decodes a picture whose header size is within the budget; refused pictures are never
// decoded, so never drawn.
async function decodePicture(file, bytes) {
  const stated = pictureSize(bytes);
  if (stated) {
    const problem = pictureSizeProblem(stated.width, stated.height);
    if (problem) throw new Error(problem);
  }
  window.reelboxPictureDecodes = (window.reelboxPictureDecodes || 0) + 1;
  let bitmap;
  try {
    bitmap = await createImageBitmap(file, {colorSpaceConversion: 'none', premultiplyAlpha: 'none'});
  } catch (e) {
    throw new Error('This picture cannot be read. Use a PNG, JPEG, GIF or BMP file.');
  }
  const problem = pictureSizeProblem(bitmap.width, bitmap.height);
  if (problem) {
    bitmap.close();
    throw new Error(problem);
  }
  return bitmap;
}

function bitmapPixels(bitmap) {
  const canvas = document.createElement('canvas');
  canvas.width = bitmap.width;
  canvas.height = bitmap.height;
  const context = canvas.getContext('2d');
  context.drawImage(bitmap, 0, 0);
  const data = context.getImageData(0, 0, bitmap.width, bitmap.height).data;
  return {rgba: new Uint8Array(data.buffer), width: bitmap.width, height: bitmap.height, bitmap};
}

async function decodeSound(bytes) {
  const kind = fileKind(bytes);
  if (kind === 'midi') return {bytes};
  const audio = new OfflineAudioContext(1, 1, 44100);
  let decoded;
  try {
    decoded = await audio.decodeAudioData(bytes.buffer.slice(0));
  } catch (e) {
    if (kind === 'wav') throw new Error('This WAV file is damaged: its sound cannot be decoded.');
    const name = KIND_NAMES[kind];
    throw new Error(name && !SOUND_KINDS.has(kind)
      ? `This is ${name}, not a sound. Use a WAV, MIDI, MP3, OGG or FLAC file.`
      : 'This sound cannot be decoded. Use a WAV, MIDI, MP3, OGG or FLAC file.');
  }
  if (kind === 'wav') return {bytes};
  const channels = decoded.numberOfChannels;
  const frames = decoded.length;
  const samples = new Float32Array(frames * channels);
  for (let c = 0; c < channels; ++c) {
    const data = decoded.getChannelData(c);
    for (let i = 0; i < frames; ++i) samples[i * channels + c] = data[i];
  }
  return {samples, frames, channels, rate: decoded.sampleRate};
}

const fileReaders = {
  'animation': async (file) => {
    const bytes = await fileBytes(file);
    const problem = checkGif(bytes, 'animation');
    if (problem) throw new Error(problem);
    inputs.animation = bytes;
  },
  'logo': async (file) => {
    const bytes = await fileBytes(file);
    const problem = checkGif(bytes, 'logo');
    if (problem) throw new Error(problem);
    inputs.logo = bytes;
  },
  'message-picture': async (file) => {
    $('message-kind-picture').checked = true;
    const bytes = await fileBytes(file);
    showProgress('message-picture', 'Reading the picture…');
    inputs.messagePicture = bitmapPixels(await decodePicture(file, bytes));
  },
  'sound': async (file) => {
    const bytes = await fileBytes(file);
    showProgress('sound', 'Decoding the sound…');
    inputs.sound = await decodeSound(bytes);
  },
  'backdrop-picture': async (file) => {
    $('backdrop-kind-picture').checked = true;
    inputs.backdropPicture = await decodePicture(file, await fileBytes(file));
  },
};

const inputKeys = {'animation': 'animation', 'logo': 'logo', 'message-picture': 'messagePicture',
                   'sound': 'sound', 'backdrop-picture': 'backdropPicture'};

// The input's version changes when reading starts and again when it ends, so that nothing
// made from the input meanwhile (a packer holding it) is taken for what was read.
async function readFile(id, file) {
  beginWork();
  const key = inputKeys[id];
  const nextVersion = () => { inputVersions[key] = (inputVersions[key] || 0) + 1; };
  inputs[key] = null;
  nextVersion();
  delete fileErrors[id];
  dropShow('Reading the file…');
  try {
    if (file) {
      try {
        await fileReaders[id](file);
      } catch (e) {
        inputs[key] = null;
        fileErrors[id] = e.message;
      } finally {
        showProgress(id, '');
      }
    }
    if (id === 'animation' || id === 'backdrop-picture') {
      invalidateBackdrop();
      await composeAnimation();
    }
    if (id === 'message-picture') fittedPicture = null;
    nextVersion();
    changed(id);
  } finally {
    endWork();
  }
}

// A file dropped anywhere goes to the field it was dropped on, or else to the field its
// kind belongs to: a GIF is the animation, another picture the message, a sound the sound.
async function dropFile(file, zone) {
  if (zone) return readFile(zone, file);
  const kind = fileKind(new Uint8Array(await file.slice(0, 16).arrayBuffer()));
  if (kind === 'gif') return readFile('animation', file);
  if (PICTURE_KINDS.has(kind)) return readFile('message-picture', file);
  if (SOUND_KINDS.has(kind) || file.type.startsWith('audio/')) return readFile('sound', file);
  return readFile('animation', file);
}

// --- Fields that apply, and guidance at the field ------------------------------------------

function messageKind() {
  return document.querySelector('input[name="message-kind"]:checked').value;
}

// Shows only the fields the current choices use.
function applyFields() {
  const kind = messageKind();
  const caption = $('caption').value !== '';
  const sound = inputs.sound || fileErrors['sound'];
  for (const element of document.querySelectorAll('[data-when]')) {
    const when = element.dataset.when;
    element.hidden = !((when === 'message-picture' && kind === 'picture') ||
                       (when === 'caption' && caption) ||
                       (when === 'converted-sound' && inputs.sound && inputs.sound.samples) ||
                       (when === 'sound' && sound) ||
                       (when === 'backdrop-picture' && $('backdrop-kind-picture').checked));
  }
  $('empty-state').hidden = Boolean(inputs.animation);
  $('preview-views').hidden = !inputs.animation;
}

// Warnings that come with a one-click fix: the show still works, but not as meant.
function showGuidance() {
  const captionAlone = $('caption').value !== '' && messageKind() === 'none';
  $('caption-guidance').hidden = !captionAlone;
  const logoUnseen = Boolean(inputs.logo) && !$('show-about').checked;
  $('logo-guidance').hidden = !logoUnseen;
  if (logoUnseen) {
    $('logo-guidance-text').textContent =
        `The logo shows only in the About dialog, which is off: the show would carry its ` +
        `${digits(Math.ceil(inputs.logo.length / 1024))} KB for nothing.`;
  }
}

// --- The preview ---------------------------------------------------------------------------

function screenSize() {
  const [width, height] = $('screen-size').value.split('x').map(Number);
  return {width, height};
}

function selectedCell(name) {
  return Number(document.querySelector(`input[name="${name}"]:checked`).value);
}

// The backdrop drawn at the screen's size, kept until the backdrop or the screen changes.
let backdrop = null;
function invalidateBackdrop() {
  backdrop = null;
}
function backdropCanvas() {
  if (backdrop) return backdrop;
  const {width, height} = screenSize();
  const canvas = document.createElement('canvas');
  canvas.width = width;
  canvas.height = height;
  const context = canvas.getContext('2d');
  if ($('backdrop-kind-picture').checked && inputs.backdropPicture) {
    context.drawImage(inputs.backdropPicture, 0, 0, width, height);
  } else {
    context.fillStyle = $('backdrop-colour').value;
    context.fillRect(0, 0, width, height);
  }
  backdrop = canvas;
  return canvas;
}

function animationCorner(cell, width, height) {
  const screen = screenSize();
  const [x, y] = withInts(2, (out) =>
    core._WebAnimationCorner(cell, screen.width, screen.height, width, height, out));
  return {x, y};
}

function stopAnimation() {
  clearTimeout(frameTimer);
  frameTimer = 0;
  animation = null;
}

// Decodes the animation and composes every frame over the backdrop under its end cell. An
// animation whose frames would not fit the preview's memory is refused at its field, and
// the show with it. The frames stay in the core's memory; one is copied out to be shown.
async function composeAnimation() {
  stopAnimation();
  if (inputs.animation) {
    showProgress('animation', 'Composing the preview…');
    try {
      if (inputs.animation.length > 1 << 20) await nextPaint();
      animation = composeFrames(inputs.animation);
    } catch (e) {
      core._WebReleaseAnimation();
      inputs.animation = null;
      fileErrors['animation'] = e.message;
    } finally {
      showProgress('animation', '');
    }
    frameIndex = animation ? Math.min(frameIndex, animation.count - 1) : 0;
  }
  showFrame();
  scheduleNextFrame();
}

function composeFrames(bytes) {
  const count = withBytes(bytes, (p, n) => core._WebLoadAnimation(p, n));
  if (count <= 0) throw new Error('The player cannot decode any frame of this GIF.');
  const width = core._WebAnimationWidth();
  const height = core._WebAnimationHeight();
  const needed = width * height * 4 * count;   // exact in a double up to 2^53
  const budget = core._WebCompositionBudget() >>> 0;
  if (needed > budget) {
    throw new Error(`Previewing this animation needs ${(needed / 1e9).toFixed(1)} GB of memory ` +
                    `(${count} frames of ${digits(width)} × ${digits(height)} pixels); the page ` +
                    `holds at most ${digits(budget / 1e6)} MB of frames. Use a smaller or shorter animation.`);
  }
  const delays = [];
  for (let i = 0; i < count; ++i) delays.push(core._WebFrameDelay(i));
  const corner = animationCorner(selectedCell('end-cell'), width, height);
  const under = backdropCanvas().getContext('2d').getImageData(corner.x, corner.y, width, height).data;
  const frames = withBytes(new Uint8Array(under.buffer), (p) => core._WebComposeFrames(p) >>> 0);
  core._WebReleaseAnimation();
  if (frames === 0) throw new OutOfMemory('The page ran out of memory composing this animation.');
  return {width, height, delays, count, frames};
}

function showFrame() {
  const canvas = $('animation-canvas');
  if (!animation) {
    $('frame-label').textContent = 'No animation';
    canvas.width = 1;
    canvas.height = 1;
    canvas.style.width = '';
    canvas.dataset.frame = '';
    drawScreen();
    return;
  }
  const {width, height} = animation;
  canvas.width = width;
  canvas.height = height;
  // Small animations are shown enlarged, pixel for pixel; the canvas keeps their real size.
  const zoom = Math.max(1, Math.min(4, Math.floor(240 / Math.max(width, height))));
  canvas.style.width = `${width * zoom}px`;
  const frameBytes = width * height * 4;
  const pixels = new Uint8ClampedArray(core.HEAPU8.buffer, animation.frames + frameIndex * frameBytes, frameBytes);
  canvas.getContext('2d').putImageData(new ImageData(new Uint8ClampedArray(pixels), width, height), 0, 0);
  canvas.dataset.frame = String(frameIndex);
  const delay = animation.delays[frameIndex];
  $('frame-label').textContent = `Frame ${frameIndex + 1} of ${animation.count} (${delay * 10} ms)`;
  drawScreen();
}

function scheduleNextFrame() {
  clearTimeout(frameTimer);
  frameTimer = 0;
  if (!animation || !playing) return;
  // The player moves on at the first 10 ms tick after the delay has passed.
  const wait = Math.max(10, animation.delays[frameIndex] * 10);
  frameTimer = setTimeout(() => {
    frameTimer = 0;
    if (!animation) return;
    frameIndex = (frameIndex + 1) % animation.count;
    showFrame();
    scheduleNextFrame();
  }, wait);
}

function stepFrame(by) {
  playing = false;
  $('play-pause').textContent = 'Play';
  clearTimeout(frameTimer);
  frameTimer = 0;
  if (!animation) return;
  frameIndex = (frameIndex + by + animation.count) % animation.count;
  showFrame();
}

function drawScreen() {
  const screen = screenSize();
  const canvas = $('screen-canvas');
  const scale = 0.5;
  if (canvas.width !== Math.round(screen.width * scale)) canvas.width = Math.round(screen.width * scale);
  if (canvas.height !== Math.round(screen.height * scale)) canvas.height = Math.round(screen.height * scale);
  const context = canvas.getContext('2d');
  context.save();
  context.scale(scale, scale);
  context.drawImage(backdropCanvas(), 0, 0);
  context.strokeStyle = 'rgba(255,255,255,0.35)';
  context.lineWidth = 2;
  for (let i = 1; i < 3; ++i) {
    context.beginPath();
    context.moveTo(screen.width * i / 3, 0);
    context.lineTo(screen.width * i / 3, screen.height);
    context.moveTo(0, screen.height * i / 3);
    context.lineTo(screen.width, screen.height * i / 3);
    context.stroke();
  }
  if (animation) {
    const startCell = selectedCell('start-cell');
    const endCell = selectedCell('end-cell');
    const start = animationCorner(startCell, animation.width, animation.height);
    const end = animationCorner(endCell, animation.width, animation.height);
    context.drawImage($('animation-canvas'), end.x, end.y);
    context.setLineDash([12, 8]);
    context.strokeStyle = '#ffffff';
    context.lineWidth = 4;
    context.strokeRect(start.x, start.y, animation.width, animation.height);
    context.setLineDash([]);
    context.beginPath();
    context.moveTo(start.x + animation.width / 2, start.y + animation.height / 2);
    context.lineTo(end.x + animation.width / 2, end.y + animation.height / 2);
    context.stroke();
    context.fillStyle = '#ffffff';
    context.font = 'bold 28px sans-serif';
    // A cell off the grid (random) is drawn where the core places it, and named.
    if (!onGrid(startCell)) context.fillText(`Start: ${choices.names[startCell]}`, start.x, start.y - 8);
    if (!onGrid(endCell)) context.fillText(`End: ${choices.names[endCell]}`, end.x, end.y + animation.height + 30);
  }
  context.restore();
}

// Breaks text into lines that fit width, at spaces where it can, as DrawText's word break
// does; a word longer than the line is broken where it must. This is the page's own
// approximation, measured with the browser's fonts: the core has no fonts, and gives only the
// width (ReelboxPackCaptionFrame). It is the preview of a text caption, which the player
// wraps itself, and the layout of a picture caption, which tackon lays out with Pango or GDI
// and may break elsewhere.
function wrapCaption(context, text, width) {
  const lines = [];
  for (const paragraph of text.split(/\r?\n/)) {
    let line = '';
    for (const word of paragraph.split(' ')) {
      const candidate = line ? `${line} ${word}` : word;
      if (context.measureText(candidate).width <= width || !line) {
        line = candidate;
      } else {
        lines.push(line);
        line = word;
      }
      while (context.measureText(line).width > width && line.length > 1) {
        let cut = line.length - 1;
        while (cut > 1 && context.measureText(line.slice(0, cut)).width > width) --cut;
        lines.push(line.slice(0, cut));
        line = line.slice(cut);
      }
    }
    lines.push(line);
  }
  return lines;
}

// The message picture fitted into the zoom rectangle on its background, drawn once for
// each size and background rather than at every keystroke.
let fittedPicture = null;
function fittedMessagePicture(width, height) {
  const picture = inputs.messagePicture;
  const background = $('message-background').value;
  if (fittedPicture && fittedPicture.width === width && fittedPicture.height === height &&
      fittedPicture.background === background) {
    return fittedPicture.canvas;
  }
  const canvas = document.createElement('canvas');
  canvas.width = width;
  canvas.height = height;
  const context = canvas.getContext('2d');
  context.fillStyle = background;
  context.fillRect(0, 0, width, height);
  if (picture) {
    const scale = Math.min(width / picture.width, height / picture.height);
    const pw = picture.width * scale;
    const ph = picture.height * scale;
    context.drawImage(picture.bitmap, (width - pw) / 2, (height - ph) / 2, pw, ph);
  }
  fittedPicture = {width, height, background, canvas};
  return canvas;
}

function drawCaption(context, rect) {
  const caption = $('caption').value;
  if (!caption) return;
  const [left, top, right, bottom] = rect;
  const size = typedFontSize() || DEFAULT_FONT_SIZE;
  context.font = `${$('font-italic').checked ? 'italic ' : ''}${$('font-bold').checked ? 'bold ' : ''}` +
                 `${size}px "${$('font-face').value}", sans-serif`;
  context.fillStyle = $('caption-colour').value;
  context.textBaseline = 'top';
  context.save();
  context.beginPath();
  context.rect(left, top, right - left, bottom - top);
  context.clip();
  wrapCaption(context, caption, right - left).forEach((line, i) =>
    context.fillText(line, left, top + i * size * 1.15));
  context.restore();
}

function drawMessage() {
  const canvas = $('message-canvas');
  const kind = messageKind();
  if (kind === 'none') {
    canvas.width = 1;
    canvas.height = 1;
    canvas.parentElement.hidden = true;
    drawCaptionPreview(null);
    return;
  }
  canvas.parentElement.hidden = false;
  const screen = screenSize();
  const endCell = selectedCell('end-cell');
  const layout = withInts(12, (out) =>
    core._WebMessageLayout(endCell, screen.width, screen.height, out));
  const side = layout[2] - layout[0];
  const [zl, zt, zr, zb] = layout.slice(8, 12);
  if (canvas.width !== side) canvas.width = side;
  if (canvas.height !== side) canvas.height = side;
  const context = canvas.getContext('2d');
  context.drawImage(backdropCanvas(), layout[0], layout[1], side, side, 0, 0, side, side);
  if (kind === 'colour') {
    context.fillStyle = $('message-colour').value;
    context.fillRect(zl, zt, zr - zl, zb - zt);
  } else {
    context.drawImage(fittedMessagePicture(zr - zl, zb - zt), zl, zt);
  }
  // A picture caption is shown as the show stores it, once a check has built it.
  if (drawCaptionPreview(context, {left: zl, top: zt, right: zr, bottom: zb})) return;
  drawCaption(context, layout.slice(4, 8));
}

// --- Checking fields as they are typed -----------------------------------------------------
// A small packer of its own answers for the caption and the font at once; it never packs.

let fieldPacker = 0;

function packerText(pointer) {
  return core.UTF8ToString(pointer);
}

function captionFits(text, charset) {
  return withText(text, (p) => core._ReelboxPackSetCaption(fieldPacker, p, charset)) === 1;
}

// The caption's problem in the page's words, with the number of characters to remove when
// it is too long; '' when it fits.
function captionProblem() {
  const text = $('caption').value;
  const charset = Number($('charset').value);
  if (captionFits(text, charset) || captionDrawnAsPicture(fieldPacker, text)) return '';
  const reason = packerText(core._ReelboxPackError(fieldPacker));
  if (!reason.includes(`at most ${choices.captionBytes} fit`)) return sentence(reason);
  // The longest beginning that fits, in characters as people count them.
  const characters = Array.from(text);
  let fits = 0;
  let fails = characters.length;
  while (fails - fits > 1) {
    const middle = (fits + fails) >> 1;
    if (captionFits(characters.slice(0, middle).join(''), charset)) fits = middle; else fails = middle;
  }
  const over = characters.length - fits;
  return `The caption is too long: remove ${digits(over)} character${over === 1 ? '' : 's'}. ` +
         `The player takes ${choices.captionBytes} bytes of caption.`;
}

function fontProblems(errors) {
  if (!typedFontSize()) {
    errors['font-size'] = `The size must be a whole number of pixels from 1 to ${digits(choices.largestFontSize)}.`;
  }
  const done = withText($('font-face').value, (p) => core._ReelboxPackSetFont(
      fieldPacker, p, -28, 0, 0));
  if (!done) errors['font-face'] = sentence(packerText(core._ReelboxPackError(fieldPacker)));
}

function captionCharsetNote() {
  const text = $('caption').value;
  $('caption-style-note').textContent = captionStyleNote(fieldPacker, text);
  if (!text || captionDrawnAsPicture(fieldPacker, text) || !captionFits(text, Number($('charset').value))) return '';
  return `Stored in ${packerText(core._ReelboxPackCharsetName(core._ReelboxPackCaptionCharset(fieldPacker)))}.`;
}

// The problems that stop the show; a picture refused for a message kind no longer chosen,
// or for the preview's backdrop, does not.
function fieldErrors() {
  const errors = Object.assign({}, fileErrors);
  delete errors['backdrop-picture'];
  if (messageKind() !== 'picture') delete errors['message-picture'];
  const caption = captionProblem();
  if (caption) errors['caption'] = caption;
  fontProblems(errors);
  if (messageKind() === 'picture' && !inputs.messagePicture && !errors['message-picture']) {
    errors['message-picture'] = 'Pick the message picture, or choose another kind of message.';
  }
  return errors;
}

const ERROR_FIELDS = ['animation', 'message-picture', 'caption', 'font-face', 'font-size',
                      'sound', 'logo', 'backdrop-picture'];

function showErrors(errors) {
  for (const id of ERROR_FIELDS) {
    const message = errors[id] || (id === 'backdrop-picture' && fileErrors[id]) || '';
    $(`${id}-error`).textContent = message;
    $(id).setAttribute('aria-invalid', message ? 'true' : 'false');
  }
}

// --- Packing and the check -----------------------------------------------------------------
// One packer holds the large inputs (animation, message, sound, logo) while they stay the
// same; each check sets the small ones and builds. The show is packed only here.

let showPacker = {pointer: 0, key: '', errors: {}};
let checkGeneration = 0;
let soundWave = null;       // {key, bytes}: the decoded sound as the WAV the show stores

function colourValue(id) {
  return parseInt($(id).value.slice(1), 16);
}

function soundKey() {
  return `${inputVersions.sound || 0}:${$('sound-rate').value}`;
}

// The decoded sound converted once for the chosen quality (the same conversion the packer
// makes), so that checks copy a WAV rather than convert minutes of samples again.
async function soundBytes() {
  const sound = inputs.sound;
  if (!sound) return null;
  if (sound.bytes) return sound.bytes;
  if (soundWave && soundWave.key === soundKey()) return soundWave.bytes;
  showProgress('sound', 'Converting the sound…');
  await nextPaint();
  try {
    const [rate, channels] = $('sound-rate').value.split('x').map(Number);
    const samples = new Uint8Array(sound.samples.buffer);
    const {result, size} = withBytes(samples, (p) => withSizeOut((sizeOut) =>
      core._WebBuildWave(p, sound.frames, sound.channels, sound.rate, rate, channels, sizeOut)));
    if (result === 0) throw new Error('This sound is too long for a WAV file.');
    const bytes = new Uint8Array(core.HEAPU8.buffer, result, size).slice();
    core._WebReleaseWave();
    soundWave = {key: soundKey(), bytes};
    return bytes;
  } finally {
    showProgress('sound', '');
  }
}

function heavyKey() {
  const kind = messageKind();
  const message = kind === 'picture' ? `p${inputVersions.messagePicture}:${$('message-background').value}`
                : kind === 'colour' ? `c${$('message-colour').value}` : 'none';
  return [inputVersions.animation, message, soundKey(), inputVersions.logo].join('|');
}

// The packer with the current large inputs, made afresh when one of them changed. A packer
// left half made (memory ran out) is not kept.
function packerWithInputs(sound) {
  const key = heavyKey();
  if (showPacker.pointer && showPacker.key === key) return showPacker;
  if (showPacker.pointer) core._ReelboxPackFree(showPacker.pointer);
  showPacker = {pointer: 0, key: '', errors: {}};
  const packer = core._ReelboxPackCreate();
  const errors = {};
  try {
    setLargeInputs(packer, sound, errors);
  } catch (e) {
    core._ReelboxPackFree(packer);
    throw e;
  }
  showPacker = {pointer: packer, key, errors};
  return showPacker;
}

function setLargeInputs(packer, sound, errors) {
  const error = () => sentence(packerText(core._ReelboxPackError(packer)));
  const refuse = (id, done) => { if (!done && !errors[id]) errors[id] = error(); };
  withBytes(playerBytes, (p, n) => {
    if (!core._ReelboxPackSetPlayer(packer, p, n, 0)) errors['download'] = error();
  });
  withBytes(inputs.animation, (p, n) => refuse('animation', core._ReelboxPackSetAnimation(packer, p, n)));
  const kind = messageKind();
  if (kind === 'colour') {
    refuse('message-colour', core._ReelboxPackSetMessageColour(packer, colourValue('message-colour')));
  } else if (kind === 'picture' && inputs.messagePicture) {
    const picture = inputs.messagePicture;
    withBytes(picture.rgba, (p) => refuse('message-picture',
        core._ReelboxPackSetMessagePicture(packer, p, picture.width, picture.height,
                                           colourValue('message-background'))));
  }
  if (sound) withBytes(sound, (p, n) => refuse('sound', core._ReelboxPackSetSoundFile(packer, p, n)));
  if (inputs.logo) withBytes(inputs.logo, (p, n) => refuse('logo', core._ReelboxPackSetLogo(packer, p, n)));
}

// Builds the show from every input; fills errors with the messages of refused fields and
// answers the report of the build. builtShowSize is set only when nothing was refused.
function buildShow(errors, sound) {
  builtShowSize = 0;
  window.reelboxPacks = (window.reelboxPacks || 0) + 1;
  const {pointer: packer, errors: inputErrors} = packerWithInputs(sound);
  for (const id of Object.keys(inputErrors)) errors[id] = errors[id] || inputErrors[id];
  const error = () => sentence(packerText(core._ReelboxPackError(packer)));
  const refuse = (id, done) => { if (!done && !errors[id]) errors[id] = error(); };
  // A refused caption or font leaves none in the packer, so the report never shows an
  // older one.
  const size = typedFontSize() || DEFAULT_FONT_SIZE;
  const caption = storeCaption(packer, $('caption').value, colourValue('caption-colour'), size);
  if (!caption.stored) {
    if (!errors['caption']) errors['caption'] = sentence(caption.error || packerText(core._ReelboxPackError(packer)));
    withText('', (p) => core._ReelboxPackSetCaption(packer, p, -1));
  }
  withText($('font-face').value, (p) => refuse('font-face',
      core._ReelboxPackSetFont(packer, p, -size,
                               $('font-bold').checked ? 1 : 0, $('font-italic').checked ? 1 : 0)));
  refuse('caption-colour', core._ReelboxPackSetCaptionColour(packer, colourValue('caption-colour')));
  refuse('start-cell', core._ReelboxPackSetPlacement(packer, selectedCell('start-cell'),
                                                     selectedCell('end-cell')));
  refuse('show-about', core._ReelboxPackSetAbout(packer, $('show-about').checked ? 1 : 0));

  const built = core._ReelboxPackBuild(packer);
  const report = packerText(core._ReelboxPackReport(packer));
  let hasError = !built;
  let warnings = 0;
  for (let i = 0; i < core._ReelboxPackFindingCount(packer); ++i) {
    const kind = core._ReelboxPackFindingKind(packer, i);
    if (kind === FINDING_ERROR) hasError = true;
    if (kind === FINDING_WARNING) ++warnings;
  }
  const fieldProblems = Object.keys(errors).length > 0;
  if (built && !hasError && !fieldProblems) {
    const {result: output, size: length} = withSizeOut((sizeOut) => core._ReelboxPackOutput(packer, sizeOut));
    builtShowSize = length;
    keepCaptionPreview(packer, output, length, caption.picture);
  }
  return {report, ok: built && !hasError, warnings};
}

// The one check of the whole show, run when the edits pause; a later edit makes its answer
// moot, and only the answer for the current inputs is shown.
async function runCheck() {
  const generation = checkGeneration;
  const errors = fieldErrors();
  if (!inputs.animation) {
    showErrors(errors);
    $('check').textContent = '';
    setDownload(false, errors['animation'] ? 'Pick another animation to start.'
                                           : 'Drop or pick an animation (GIF) to start.');
    return;
  }
  let sound = null;
  try {
    sound = await soundBytes();
  } catch (e) {
    errors['sound'] = e.message;
  }
  if (generation !== checkGeneration) return;
  let result;
  try {
    result = buildShow(errors, sound);
    drawMessage();
  } catch (e) {
    builtShowSize = 0;
    showErrors(errors);
    $('check').textContent = '';
    setDownload(false, e instanceof OutOfMemory ? e.message : `The check failed: ${e.message}`);
    return;
  }
  showErrors(errors);
  const fieldProblems = Object.keys(errors).filter((id) => id !== 'download');
  const lines = fieldProblems.map((id) => `error: ${errors[id]}`);
  $('check').textContent = [result.report.trimEnd(), ...lines].filter(Boolean).join('\n');
  const warned = result.warnings ? ` ${result.warnings} warning${result.warnings === 1 ? '' : 's'} (see the check).` : '';
  if (errors['download']) {
    setDownload(false, errors['download']);
  } else if (fieldProblems.length) {
    setDownload(false, `Mend the ${fieldProblems.length === 1 ? 'field' : `${fieldProblems.length} fields`} marked in red to download the show.`);
  } else if (!result.ok) {
    setDownload(false, 'The check found errors: the player would not play this show.');
  } else {
    setDownload(true, `Ready: ${digits(builtShowSize)} bytes.${warned}`);
  }
}

const scheduleCheck = debounced(CHECK_DELAY_MS, runCheck);

function setDownload(enabled, note) {
  $('download').disabled = !enabled;
  $('download-web').disabled = !enabled;
  $('verdict').textContent = note;
  $('verdict').dataset.ready = enabled ? 'true' : 'false';
  if (enabled) return;
  builtShowSize = 0;
  captionPreview = null;
}

// Any edit makes the built show stale: it is dropped at once, and a check is scheduled.
function dropShow(note) {
  ++checkGeneration;
  setDownload(false, inputs.animation ? note : $('verdict').textContent);
}

function invalidateShow() {
  dropShow('Checking the show…');
  scheduleCheck();
}

// The show the last check built, copied out of its packer only when it is downloaded: a copy
// on every check held the page for up to 100 ms with a long sound loaded.
function builtShowBytes() {
  if (!builtShowSize) return null;
  const {result: output, size: length} =
      withSizeOut((sizeOut) => core._ReelboxPackOutput(showPacker.pointer, sizeOut));
  return new Uint8Array(core.HEAPU8.buffer, output, length).slice();
}

function download() {
  const show = builtShowBytes();
  if (!show) return;
  const url = URL.createObjectURL(new Blob([show], {type: 'application/vnd.microsoft.portable-executable'}));
  const link = document.createElement('a');
  link.href = url;
  link.download = 'show.exe';
  document.body.appendChild(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60000);
}

// --- Reacting to edits ---------------------------------------------------------------------

const RECOMPOSING = new Set(['backdrop-colour', 'screen-size', 'end-cell', 'backdrop-kind']);
const scheduleCompose = debounced(COMPOSE_DELAY_MS, composeAnimation);

// What an edit of field key changes: the fields shown, the field's own check, the preview
// parts it touches, and (later) the whole show's check.
function changed(key) {
  // Choosing a colour chooses what it colours.
  if (key === 'message-colour') $('message-kind-colour').checked = true;
  if (key === 'backdrop-colour') $('backdrop-kind-colour').checked = true;
  if (RECOMPOSING.has(key)) {
    invalidateBackdrop();
    scheduleCompose();
  }
  invalidateShow();
  applyFields();
  showGuidance();
  showErrors(fieldErrors());
  $('caption-charset').textContent = captionCharsetNote();
  drawMessage();
  if (key === 'start-cell' || key === 'end-cell') drawScreen();
}

// --- Wiring --------------------------------------------------------------------------------

function buildCellGrid(gridId, name, checkedCell) {
  const grid = $(gridId);
  for (const cell of [...choices.grid, ...choices.offGrid]) {
    const label = document.createElement('label');
    label.className = onGrid(cell) ? 'cell' : 'cell off-grid';
    const radio = document.createElement('input');
    radio.type = 'radio';
    radio.name = name;
    radio.value = String(cell);
    radio.id = onGrid(cell) ? `${name}-${cell}` : `${name}-${choices.names[cell]}`;
    radio.checked = cell === checkedCell;
    label.append(radio, ` ${cellLabel(cell)}`);
    grid.append(label);
  }
  grid.addEventListener('keydown', (event) => moveInGrid(grid, event));
}

// Where a cell stands as the grid is drawn: rows 0..2 are the screen grid, row 3 the cells
// off it, a single one under the middle column.
function gridPlace(cell) {
  const at = choices.grid.indexOf(cell);
  if (at >= 0) return [Math.floor(at / 3), at % 3];
  return [3, choices.offGrid.length === 1 ? 1 : choices.offGrid.indexOf(cell)];
}

function cellAtPlace(row, column) {
  if (row === 3) return choices.offGrid[Math.min(Math.max(column, 0), choices.offGrid.length - 1)];
  return row >= 0 && row < 3 && column >= 0 && column < 3 ? choices.grid[row * 3 + column] : undefined;
}

// Arrow keys move across the 3 x 3 grid as it is drawn; Down from the bottom row reaches
// the row below it (Random), Up from there the bottom centre.
function moveInGrid(grid, event) {
  const step = {ArrowLeft: [0, -1], ArrowRight: [0, 1], ArrowUp: [-1, 0], ArrowDown: [1, 0]}[event.key];
  if (!step || event.target.type !== 'radio' || event.altKey || event.ctrlKey || event.metaKey) return;
  event.preventDefault();
  const cell = Number(event.target.value);
  const [row, column] = gridPlace(cell);
  const next = cellAtPlace(row + step[0], column + step[1]);
  if (next === undefined || next === cell) return;
  const radio = grid.querySelector(`input[value="${next}"]`);
  radio.checked = true;
  radio.focus();
  radio.dispatchEvent(new Event('input', {bubbles: true}));
  radio.dispatchEvent(new Event('change', {bubbles: true}));
}

function wireDropping() {
  let depth = 0;
  const hasFiles = (event) => event.dataTransfer && [...event.dataTransfer.types].includes('Files');
  document.addEventListener('dragenter', (event) => {
    if (!hasFiles(event)) return;
    ++depth;
    document.body.classList.add('dropping');
  });
  document.addEventListener('dragleave', () => {
    if (--depth <= 0) {
      depth = 0;
      document.body.classList.remove('dropping');
    }
  });
  document.addEventListener('dragover', (event) => {
    if (!hasFiles(event)) return;
    event.preventDefault();
    for (const zone of document.querySelectorAll('[data-drop]')) {
      zone.classList.toggle('over', zone.contains(event.target));
    }
  });
  document.addEventListener('drop', (event) => {
    if (!hasFiles(event)) return;
    event.preventDefault();
    depth = 0;
    document.body.classList.remove('dropping');
    const zone = event.target.closest && event.target.closest('[data-drop]');
    for (const over of document.querySelectorAll('[data-drop].over')) over.classList.remove('over');
    const file = event.dataTransfer.files[0];
    if (file) dropFile(file, zone ? zone.dataset.drop : null);
  });
}

// The charset menu: Automatic, then the core's charsets in the order it tries them.
function fillCharsets() {
  const select = $('charset');
  for (const {charset, name} of choices.charsets) {
    const option = document.createElement('option');
    option.value = String(charset);
    option.textContent = name;
    select.append(option);
  }
}

function wire() {
  buildCellGrid('start-grid', 'start-cell', 1);
  buildCellGrid('end-grid', 'end-cell', 8);
  fillCaptionPositions();
  fillCharsets();
  $('font-size').max = String(choices.largestFontSize);
  for (const id of Object.keys(fileReaders)) {
    $(id).addEventListener('change', () => readFile(id, $(id).files[0]));
  }
  wireDropping();
  for (const form of document.querySelectorAll('form')) {
    form.addEventListener('input', (event) => {
      if (event.target.type === 'file') return;
      changed(event.target.name || event.target.id);
    });
    form.addEventListener('submit', (event) => event.preventDefault());
  }
  $('pick-animation').addEventListener('click', () => $('animation').click());
  $('use-card').addEventListener('click', () => {
    $('message-kind-colour').checked = true;
    changed('message-kind');
    $('message-kind-colour').focus();
  });
  $('use-about').addEventListener('click', () => {
    $('show-about').checked = true;
    changed('show-about');
  });
  $('sound-clear').addEventListener('click', () => {
    $('sound').value = '';
    readFile('sound', null);
  });
  $('play-pause').addEventListener('click', () => {
    playing = !playing;
    $('play-pause').textContent = playing ? 'Pause' : 'Play';
    scheduleNextFrame();
  });
  $('frame-previous').addEventListener('click', () => stepFrame(-1));
  $('frame-next').addEventListener('click', () => stepFrame(1));
  $('download').addEventListener('click', download);
  // The same show as one web page for phones and other systems (web_show_download.js).
  $('download-web').addEventListener('click', () => downloadWebShow(core, builtShowBytes(), {
    colour: colourValue('backdrop-colour'),
    picture: $('backdrop-kind-picture').checked && inputs.backdropPicture ? backdropCanvas() : null,
  }).catch((e) => { $('verdict').textContent = e.message; }));
}

function decodeBase64(text) {
  const binary = atob(text);
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
  return bytes;
}

async function start() {
  beginWork();
  playerBytes = decodeBase64(window.ReelboxPlayerBase64);
  core = await ReelboxCore();
  choices = readChoices();
  wire();
  fieldPacker = core._ReelboxPackCreate();
  document.body.dataset.ready = 'true';
  changed('');
  await composeAnimation();
  endWork();
}

start().catch((e) => {
  $('verdict').textContent = `The page could not start: ${e.message}`;
  document.body.dataset.ready = 'failed';
});
