// The page: reads the person's files, hands them to the core (decoded by the browser where
// they are pictures or sounds), draws what the core computes and offers the built show.
// Decoding the animation, composing its frames, placement, caption conversion, packing and
// the checks all happen in the core (reelbox_core.js); nothing here repeats them.
'use strict';

const CELL_NAMES = ['Centre', 'Top left', 'Middle left', 'Bottom left', 'Top centre',
                    'Bottom centre', 'Top right', 'Middle right', 'Bottom right'];
// Cells in reading order on the 3 x 3 grid.
const GRID_ORDER = [1, 4, 6, 2, 0, 7, 3, 5, 8];
const RANDOM_CELL = 9;
const FINDING_ERROR = 2;

let core = null;
let playerBytes = null;
const inputs = {
  animation: null,        // Uint8Array of the GIF
  messagePicture: null,   // {rgba, width, height, bitmap}
  sound: null,            // {bytes} as given, or {samples, frames, channels, rate}
  logo: null,             // Uint8Array of the GIF
  backdropPicture: null,  // ImageBitmap
};
const fileErrors = {};    // field id -> message found while reading its file
let animation = null;     // {width, height, delays, frames: [ImageData]}
let frameIndex = 0;
let playing = true;
let frameTimer = 0;
let builtShow = null;     // Uint8Array of the last show the core built without errors

const $ = (id) => document.getElementById(id);

// --- Moving bytes in and out of the core -------------------------------------------------

function withBytes(bytes, use) {
  const pointer = core._WebAlloc(Math.max(1, bytes.length));
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
  const pointer = core._WebAlloc(4 * count);
  try {
    use(pointer);
    return Array.from(new Int32Array(core.HEAPU8.buffer, pointer, count));
  } finally {
    core._WebFree(pointer);
  }
}

// --- Reading the person's files ----------------------------------------------------------

function startsWith(bytes, text) {
  for (let i = 0; i < text.length; ++i) {
    if (bytes[i] !== text.charCodeAt(i)) return false;
  }
  return bytes.length >= text.length;
}

function pictureKind(bytes) {
  if (startsWith(bytes, '\x89PNG')) return 'a PNG picture';
  if (bytes[0] === 0xff && bytes[1] === 0xd8) return 'a JPEG picture';
  if (startsWith(bytes, 'BM')) return 'a BMP picture';
  if (startsWith(bytes, 'RIFF')) return 'a RIFF file (sound or WebP)';
  return 'not a GIF file';
}

// A GIF the player's decoder loads, or the reason it will not.
function checkGif(bytes, what) {
  if (!startsWith(bytes, 'GIF8')) {
    return `This is ${pictureKind(bytes)}, not a GIF. The ${what} must be a GIF file.`;
  }
  const frames = withBytes(bytes, (p, n) => core._WebLoadAnimation(p, n));
  core._WebReleaseAnimation();
  return frames > 0 ? '' : `The player cannot decode any frame of this GIF.`;
}

async function decodePicture(file) {
  const bitmap = await createImageBitmap(file, {colorSpaceConversion: 'none',
                                                premultiplyAlpha: 'none'});
  const canvas = document.createElement('canvas');
  canvas.width = bitmap.width;
  canvas.height = bitmap.height;
  const context = canvas.getContext('2d');
  context.drawImage(bitmap, 0, 0);
  const data = context.getImageData(0, 0, bitmap.width, bitmap.height).data;
  return {rgba: new Uint8Array(data.buffer), width: bitmap.width, height: bitmap.height, bitmap};
}

async function decodeSound(file) {
  const bytes = new Uint8Array(await file.arrayBuffer());
  const isWave = startsWith(bytes, 'RIFF') && String.fromCharCode(...bytes.slice(8, 12)) === 'WAVE';
  if (startsWith(bytes, 'MThd')) return {bytes};
  const audio = new OfflineAudioContext(1, 1, 44100);
  let decoded;
  try {
    decoded = await audio.decodeAudioData(bytes.buffer.slice(0));
  } catch (e) {
    throw new Error(isWave ? 'This WAV file is broken: its sound cannot be decoded.'
                           : 'This is not a sound this page can read (WAV, MIDI, MP3, OGG or FLAC).');
  }
  if (isWave) return {bytes};
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
    const bytes = new Uint8Array(await file.arrayBuffer());
    const problem = checkGif(bytes, 'animation');
    if (problem) throw new Error(problem);
    inputs.animation = bytes;
  },
  'logo': async (file) => {
    const bytes = new Uint8Array(await file.arrayBuffer());
    const problem = checkGif(bytes, 'logo');
    if (problem) throw new Error(problem);
    inputs.logo = bytes;
  },
  'message-picture': async (file) => {
    inputs.messagePicture = null;
    try {
      inputs.messagePicture = await decodePicture(file);
    } catch (e) {
      throw new Error('This picture cannot be read. Use a PNG, JPEG, GIF or BMP file.');
    }
    $('message-kind-picture').checked = true;
  },
  'sound': async (file) => {
    inputs.sound = await decodeSound(file);
  },
  'backdrop-picture': async (file) => {
    try {
      inputs.backdropPicture = (await decodePicture(file)).bitmap;
    } catch (e) {
      throw new Error('This picture cannot be read.');
    }
    $('backdrop-kind-picture').checked = true;
  },
};

const inputKeys = {'animation': 'animation', 'logo': 'logo', 'message-picture': 'messagePicture',
                   'sound': 'sound', 'backdrop-picture': 'backdropPicture'};

async function readFile(id, file) {
  inputs[inputKeys[id]] = null;
  delete fileErrors[id];
  if (file) {
    try {
      await fileReaders[id](file);
    } catch (e) {
      inputs[inputKeys[id]] = null;
      fileErrors[id] = e.message;
    }
  }
  refresh(id === 'animation' || id === 'backdrop-picture');
}

// --- The preview -------------------------------------------------------------------------

function screenSize() {
  const [width, height] = $('screen-size').value.split('x').map(Number);
  return {width, height};
}

function selectedCell(name) {
  return Number(document.querySelector(`input[name="${name}"]:checked`).value);
}

// The backdrop drawn at the screen's size.
function backdropCanvas() {
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
  return canvas;
}

function animationCorner(cell, width, height) {
  const screen = screenSize();
  const shown = cell === RANDOM_CELL ? 0 : cell;
  const [x, y] = withInts(2, (out) =>
    core._WebAnimationCorner(shown, screen.width, screen.height, width, height, out));
  return {x, y};
}

// Decodes the animation and composes every frame over the backdrop under its end cell.
function composeAnimation(backdrop) {
  animation = null;
  if (!inputs.animation) return;
  const count = withBytes(inputs.animation, (p, n) => core._WebLoadAnimation(p, n));
  if (count === 0) return;
  const width = core._WebAnimationWidth();
  const height = core._WebAnimationHeight();
  const delays = [];
  for (let i = 0; i < count; ++i) delays.push(core._WebFrameDelay(i));
  const corner = animationCorner(selectedCell('end-cell'), width, height);
  const under = backdrop.getContext('2d').getImageData(corner.x, corner.y, width, height).data;
  const frames = [];
  withBytes(new Uint8Array(under.buffer), (p) => {
    const composed = core._WebComposeFrames(p);
    const frameBytes = width * height * 4;
    for (let i = 0; i < count; ++i) {
      const pixels = new Uint8ClampedArray(core.HEAPU8.buffer, composed + i * frameBytes, frameBytes);
      frames.push(new ImageData(new Uint8ClampedArray(pixels), width, height));
    }
  });
  core._WebReleaseAnimation();
  animation = {width, height, delays, frames};
  frameIndex = Math.min(frameIndex, count - 1);
}

function showFrame() {
  const canvas = $('animation-canvas');
  if (!animation) {
    $('frame-label').textContent = 'No animation';
    canvas.width = 1;
    canvas.height = 1;
    canvas.style.width = '';
    canvas.dataset.frame = '';
    return;
  }
  canvas.width = animation.width;
  canvas.height = animation.height;
  // Small animations are shown enlarged, pixel for pixel; the canvas keeps their real size.
  const zoom = Math.max(1, Math.min(4, Math.floor(240 / Math.max(animation.width, animation.height))));
  canvas.style.width = `${animation.width * zoom}px`;
  canvas.getContext('2d').putImageData(animation.frames[frameIndex], 0, 0);
  canvas.dataset.frame = String(frameIndex);
  const delay = animation.delays[frameIndex];
  $('frame-label').textContent =
      `Frame ${frameIndex + 1} of ${animation.frames.length} (${delay * 10} ms)`;
  drawScreen();
}

function scheduleNextFrame() {
  clearTimeout(frameTimer);
  if (!animation || !playing) return;
  // The player moves on at the first 10 ms tick after the delay has passed.
  const wait = Math.max(10, animation.delays[frameIndex] * 10);
  frameTimer = setTimeout(() => {
    frameIndex = (frameIndex + 1) % animation.frames.length;
    showFrame();
    scheduleNextFrame();
  }, wait);
}

function stepFrame(by) {
  playing = false;
  $('play-pause').textContent = 'Play';
  clearTimeout(frameTimer);
  if (!animation) return;
  const count = animation.frames.length;
  frameIndex = (frameIndex + by + count) % count;
  showFrame();
}

function drawScreen() {
  const screen = screenSize();
  const canvas = $('screen-canvas');
  const scale = 0.5;
  canvas.width = Math.round(screen.width * scale);
  canvas.height = Math.round(screen.height * scale);
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
    const frame = $('animation-canvas');
    context.drawImage(frame, end.x, end.y);
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
    if (startCell === RANDOM_CELL) context.fillText('start: random', start.x, start.y - 8);
    if (endCell === RANDOM_CELL) context.fillText('end: random', end.x, end.y + animation.height + 30);
  }
  context.restore();
}

// Breaks text into lines that fit width, at spaces where it can, as DrawText's word break
// does; a word longer than the line is broken where it must.
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

function drawMessage() {
  const canvas = $('message-canvas');
  const kind = document.querySelector('input[name="message-kind"]:checked').value;
  if (kind === 'none') {
    canvas.width = 1;
    canvas.height = 1;
    canvas.parentElement.hidden = true;
    return;
  }
  canvas.parentElement.hidden = false;
  const screen = screenSize();
  const layout = withInts(12, (out) =>
    core._WebMessageLayout(selectedCell('end-cell') === RANDOM_CELL ? 0 : selectedCell('end-cell'),
                           screen.width, screen.height, out));
  const side = layout[2] - layout[0];
  const [cl, ct, cr, cb] = layout.slice(4, 8);
  const [zl, zt, zr, zb] = layout.slice(8, 12);
  canvas.width = side;
  canvas.height = side;
  const context = canvas.getContext('2d');
  context.drawImage(backdropCanvas(), layout[0], layout[1], side, side, 0, 0, side, side);
  if (kind === 'colour') {
    context.fillStyle = $('message-colour').value;
    context.fillRect(zl, zt, zr - zl, zb - zt);
  } else {
    context.fillStyle = $('message-background').value;
    context.fillRect(zl, zt, zr - zl, zb - zt);
    const picture = inputs.messagePicture;
    if (picture) {
      const w = zr - zl;
      const h = zb - zt;
      const scale = Math.min(w / picture.width, h / picture.height);
      const pw = picture.width * scale;
      const ph = picture.height * scale;
      context.drawImage(picture.bitmap, zl + (w - pw) / 2, zt + (h - ph) / 2, pw, ph);
    }
  }
  const caption = $('caption').value;
  if (caption) {
    const size = Number($('font-size').value) || 28;
    context.font = `${$('font-italic').checked ? 'italic ' : ''}${$('font-bold').checked ? 'bold ' : ''}` +
                   `${size}px "${$('font-face').value}", sans-serif`;
    context.fillStyle = $('caption-colour').value;
    context.textBaseline = 'top';
    context.save();
    context.beginPath();
    context.rect(cl, ct, cr - cl, cb - ct);
    context.clip();
    wrapCaption(context, caption, cr - cl).forEach((line, i) =>
      context.fillText(line, cl, ct + i * size * 1.15));
    context.restore();
  }
}

// --- Packing and the check ---------------------------------------------------------------

function colourValue(id) {
  return parseInt($(id).value.slice(1), 16);
}

function packerText(pointer) {
  return core.UTF8ToString(pointer);
}

// Hands every input to a fresh packer; fills errors with the messages of refused fields and
// answers the report of the build (or null when an input was refused).
function buildShow(errors) {
  builtShow = null;
  if (typeof core._ReelboxPackCreate !== 'function') {
    return {report: 'This build of the page has no packing core.', ok: false};
  }
  const packer = core._ReelboxPackCreate();
  const error = () => packerText(core._ReelboxPackError(packer));
  const refuse = (id, done) => { if (!done && !errors[id]) errors[id] = error(); };
  try {
    withBytes(playerBytes, (p, n) => {
      if (!core._ReelboxPackSetPlayer(packer, p, n, 0)) errors['download'] = error();
    });
    if (inputs.animation) {
      withBytes(inputs.animation, (p, n) => refuse('animation', core._ReelboxPackSetAnimation(packer, p, n)));
    }
    const kind = document.querySelector('input[name="message-kind"]:checked').value;
    if (kind === 'colour') {
      refuse('message-colour', core._ReelboxPackSetMessageColour(packer, colourValue('message-colour')));
    } else if (kind === 'picture' && inputs.messagePicture) {
      const picture = inputs.messagePicture;
      // 64-bit arguments reach WebAssembly as low and high halves.
      if (!core._ReelboxPackPictureWithinBudget(picture.width, 0, picture.height, 0)) {
        errors['message-picture'] = errors['message-picture'] ||
            `This picture has ${picture.width} x ${picture.height} pixels, more than the packer takes.`;
      } else {
        withBytes(picture.rgba, (p) => refuse('message-picture',
            core._ReelboxPackSetMessagePicture(packer, p, picture.width, picture.height,
                                               colourValue('message-background'))));
      }
    } else if (kind === 'picture' && !errors['message-picture']) {
      errors['message-picture'] = 'Pick the message picture, or choose another kind of message.';
    }
    const captionStored = withText($('caption').value, (p) =>
      core._ReelboxPackSetCaption(packer, p, Number($('charset').value)));
    refuse('caption', captionStored);
    $('caption-charset').textContent = captionStored && $('caption').value
      ? `Stored in ${packerText(core._ReelboxPackCharsetName(core._ReelboxPackCaptionCharset(packer)))}.`
      : '';
    const size = Number($('font-size').value);
    if (!(size >= 6 && size <= 200)) {
      errors['font-size'] = 'The size must be a whole number of pixels from 6 to 200.';
    } else {
      withText($('font-face').value, (p) => refuse('font-face',
          core._ReelboxPackSetFont(packer, p, -Math.round(size), $('font-bold').checked ? 1 : 0,
                                   $('font-italic').checked ? 1 : 0)));
    }
    refuse('caption-colour', core._ReelboxPackSetCaptionColour(packer, colourValue('caption-colour')));
    const sound = inputs.sound;
    if (sound && sound.bytes) {
      withBytes(sound.bytes, (p, n) => refuse('sound', core._ReelboxPackSetSoundFile(packer, p, n)));
    } else if (sound) {
      const samples = new Uint8Array(sound.samples.buffer);
      const [rate, channels] = $('sound-rate').value.split('x').map(Number);
      withBytes(samples, (p) => refuse('sound', core._ReelboxPackSetSoundSamples(
          packer, p, sound.frames, sound.channels, sound.rate, rate, channels)));
    }
    if (inputs.logo) {
      withBytes(inputs.logo, (p, n) => refuse('logo', core._ReelboxPackSetLogo(packer, p, n)));
    }
    refuse('start-cell', core._ReelboxPackSetPlacement(packer, selectedCell('start-cell'),
                                                       selectedCell('end-cell')));
    refuse('show-about', core._ReelboxPackSetAbout(packer, $('show-about').checked ? 1 : 0));

    const built = core._ReelboxPackBuild(packer);
    const report = packerText(core._ReelboxPackReport(packer));
    let hasError = !built;
    for (let i = 0; i < core._ReelboxPackFindingCount(packer); ++i) {
      if (core._ReelboxPackFindingKind(packer, i) === FINDING_ERROR) hasError = true;
    }
    if (built && !hasError) {
      const sizePointer = core._WebAlloc(4);
      const output = core._ReelboxPackOutput(packer, sizePointer);
      const length = new Uint32Array(core.HEAPU8.buffer, sizePointer, 1)[0];
      core._WebFree(sizePointer);
      builtShow = new Uint8Array(core.HEAPU8.buffer, output, length).slice();
    }
    return {report, ok: built && !hasError};
  } finally {
    core._ReelboxPackFree(packer);
  }
}

const ERROR_FIELDS = ['animation', 'message-picture', 'caption', 'font-face', 'font-size',
                      'sound', 'logo', 'backdrop-picture'];

function showErrors(errors) {
  for (const id of ERROR_FIELDS) {
    const message = errors[id] || '';
    $(`${id}-error`).textContent = message;
    $(id).setAttribute('aria-invalid', message ? 'true' : 'false');
  }
}

// Redraws the preview and rebuilds the show from the current inputs.
function refresh(recompose) {
  window.reelboxRefreshes = (window.reelboxRefreshes || 0) + 1;
  if (recompose) composeAnimation(backdropCanvas());
  showFrame();
  drawMessage();
  scheduleNextFrame();

  const errors = Object.assign({}, fileErrors);
  if (!inputs.animation && !errors['animation']) {
    $('check').textContent = 'Pick an animation to start.';
    showErrors(errors);
    setDownload(false, 'The show needs an animation.');
    return;
  }
  const {report, ok} = buildShow(errors);
  showErrors(errors);
  const fieldProblems = Object.keys(errors).filter((id) => id !== 'download');
  const lines = fieldProblems.map((id) => `error: ${errors[id]}`);
  $('check').textContent = [report.trimEnd(), ...lines].filter(Boolean).join('\n');
  if (errors['download']) {
    setDownload(false, errors['download']);
  } else if (fieldProblems.length) {
    setDownload(false, 'Mend the fields marked above to download the show.');
  } else if (!ok) {
    setDownload(false, 'The check found errors: the player would not play this show.');
  } else {
    setDownload(true, `show.exe, ${builtShow.length.toLocaleString('en')} bytes`);
  }
}

function setDownload(enabled, note) {
  $('download').disabled = !enabled;
  $('download-web').disabled = !enabled;
  $('download-note').textContent = note;
  if (!enabled) builtShow = null;
}

function download() {
  if (!builtShow) return;
  const url = URL.createObjectURL(new Blob([builtShow], {type: 'application/vnd.microsoft.portable-executable'}));
  const link = document.createElement('a');
  link.href = url;
  link.download = 'show.exe';
  document.body.appendChild(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60000);
}

// --- Wiring ------------------------------------------------------------------------------

function buildCellGrid(gridId, name, checkedCell) {
  const grid = $(gridId);
  for (const cell of GRID_ORDER) {
    const label = document.createElement('label');
    label.className = 'cell';
    const radio = document.createElement('input');
    radio.type = 'radio';
    radio.name = name;
    radio.value = String(cell);
    radio.id = `${name}-${cell}`;
    radio.checked = cell === checkedCell;
    label.append(radio, ` ${CELL_NAMES[cell]}`);
    grid.append(label);
  }
  const label = document.createElement('label');
  label.className = 'cell random';
  const radio = document.createElement('input');
  radio.type = 'radio';
  radio.name = name;
  radio.value = String(RANDOM_CELL);
  radio.id = `${name}-random`;
  label.append(radio, ' Random');
  grid.append(label);
}

function wire() {
  buildCellGrid('start-grid', 'start-cell', 1);
  buildCellGrid('end-grid', 'end-cell', 8);
  for (const id of Object.keys(fileReaders)) {
    $(id).addEventListener('change', () => readFile(id, $(id).files[0]));
  }
  for (const zone of document.querySelectorAll('[data-drop]')) {
    zone.addEventListener('dragover', (event) => { event.preventDefault(); zone.classList.add('over'); });
    zone.addEventListener('dragleave', () => zone.classList.remove('over'));
    zone.addEventListener('drop', (event) => {
      event.preventDefault();
      zone.classList.remove('over');
      const file = event.dataTransfer.files[0];
      if (file) readFile(zone.dataset.drop, file);
    });
  }
  const recomposing = new Set(['backdrop-colour', 'screen-size', 'end-cell', 'backdrop-kind']);
  $('show-form').addEventListener('input', (event) => {
    if (event.target.type === 'file') return;
    const key = event.target.name || event.target.id;
    refresh(recomposing.has(key));
  });
  $('show-form').addEventListener('submit', (event) => event.preventDefault());
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
  $('download-web').addEventListener('click', () => downloadWebShow(core, builtShow, {
    colour: colourValue('backdrop-colour'),
    picture: $('backdrop-kind-picture').checked && inputs.backdropPicture ? backdropCanvas() : null,
  }).catch((e) => { $('download-note').textContent = e.message; }));
}

function decodeBase64(text) {
  const binary = atob(text);
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
  return bytes;
}

async function start() {
  wire();
  playerBytes = decodeBase64(window.ReelboxPlayerBase64);
  core = await ReelboxCore();
  document.body.dataset.ready = 'true';
  refresh(true);
}

start().catch((e) => {
  $('check').textContent = `The page could not start: ${e.message}`;
  document.body.dataset.ready = 'failed';
});
