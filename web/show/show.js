// The web show's presentation. Everything about the show itself comes from the WebAssembly
// core: the package is read, the frames are composed by the composition model, the cells,
// the slide, the message square and its zoom are the placement arithmetic, the message
// picture is drawn from its metafile and the caption is read from its code page. This file
// places and times what the core gives, writes the caption text and plays the sound once
// the viewer has tapped, as browsers allow no sound before.
'use strict';

(() => {
  const SLIDE_STEP_MS = 50;    // the player's wait after each slide pass
  const ARRIVAL_MS = 100;      // and after the last one
  const ZOOM_STEP_MS = 110;    // one message zoom step with its paint
  const DIALOG_FACE = [240, 240, 240];   // what the About dialog's logo is drawn over
  const $ = (id) => document.getElementById(id);

  let core = null;
  let packer = null;
  let packagePointer = 0;
  let scratch = 0;           // room in the core for the integers it answers
  let show = null;           // the package as WebShowRead reads it
  let animation = null;      // {width, height, count}
  let backdropPicture = null;
  let backdropColour = '';
  let messagePicture = null; // a canvas with the message at its own size
  let audio = null;
  let screen = null;         // {width, height, scale}: the screen the show plays on
  let startCell = 0;
  let endCell = 0;
  let corners = [];          // the slide, start corner first
  let shown = 0;             // frames shown since the animation arrived
  let zoomStep = 0;
  let timer = 0;
  let logoTimer = 0;

  function setState(state) {
    document.body.dataset.state = state;
  }

  function note(text) {
    $('note').textContent = text;
  }

  function decodeBase64(text) {
    const binary = atob(text);
    const bytes = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
    return bytes;
  }

  // Calls use with room in the core for count (up to 20) 32-bit integers, and answers them.
  function ints(count, use) {
    use(scratch);
    return Array.from(new Int32Array(core.HEAPU8.buffer, scratch, count));
  }

  function withBytes(bytes, use) {
    const pointer = core._WebAlloc(Math.max(1, bytes.length));
    core.HEAPU8.set(bytes, pointer);
    try {
      return use(pointer);
    } finally {
      core._WebFree(pointer);
    }
  }

  function rgbaCanvas(pointer, width, height, canvas = document.createElement('canvas')) {
    canvas.width = width;
    canvas.height = height;
    const pixels = new Uint8ClampedArray(core.HEAPU8.buffer, pointer, width * height * 4);
    canvas.getContext('2d').putImageData(new ImageData(new Uint8ClampedArray(pixels), width, height), 0, 0);
    return canvas;
  }

  // --- The package ------------------------------------------------------------------------

  function readPackage(bytes) {
    packagePointer = core._WebAlloc(bytes.length);
    core.HEAPU8.set(bytes, packagePointer);
    let accepted = 0;
    const v = ints(20, (out) => { accepted = core._WebShowRead(packagePointer, bytes.length, out); });
    if (!accepted) return null;
    const span = (i) => (v[2 * i] < 0 ? null : {pointer: packagePointer + v[2 * i], size: v[2 * i + 1]});
    return {
      animation: span(0), message: span(1), logo: span(2), sound: span(3), soundIsWave: v[8] === 1,
      caption: {pointer: packagePointer + v[9], length: v[10]}, colour: v[11],
      start: v[12], end: v[13], about: v[14] === 1,
      font: {height: v[15], weight: v[16], italic: v[17] === 1, charset: v[18],
             face: packagePointer + v[19]},
    };
  }

  // Bytes of the package in the code page of charset, as Unicode.
  function decodeText(pointer, length, charset) {
    return core.UTF8ToString(core._ReelboxPackCaptionToUtf8(packer, pointer, length, charset, 0));
  }

  function prepareCaption() {
    const caption = $('caption');
    const font = show.font;
    caption.textContent = decodeText(show.caption.pointer, show.caption.length, font.charset);
    let faceLength = 0;
    while (faceLength < 32 && core.HEAPU8[font.face + faceLength]) ++faceLength;
    const face = decodeText(font.face, faceLength, font.charset).replace(/["\\]/g, '');
    caption.style.fontFamily = face ? `"${face}", sans-serif` : 'sans-serif';
    caption.style.fontSize = `${font.height ? Math.abs(font.height) : 16}px`;
    caption.style.fontWeight = String(font.weight > 0 ? Math.min(font.weight, 1000) : 400);
    caption.style.fontStyle = font.italic ? 'italic' : 'normal';
    caption.style.color = `#${show.colour.toString(16).padStart(6, '0')}`;
  }

  function prepareMessage() {
    if (!show.message) return;
    let pixels = 0;
    const [width, height] = ints(2, (out) => {
      pixels = core._ReelboxPackDrawMessage(packer, show.message.pointer, show.message.size, out, out + 4);
    });
    if (pixels) messagePicture = rgbaCanvas(pixels, width, height);
    else note(core.UTF8ToString(core._ReelboxPackError(packer)));
  }

  function prepareSound() {
    if (!show.sound) return false;
    if (!show.soundIsWave) {
      note('This show\u2019s tune is MIDI, which a browser cannot play without a synthesizer: ' +
           'it plays silently here, and with its tune as a Windows show.');
      return false;
    }
    const bytes = core.HEAPU8.slice(show.sound.pointer, show.sound.pointer + show.sound.size);
    audio = new Audio(URL.createObjectURL(new Blob([bytes], {type: 'audio/wav'})));
    audio.addEventListener('error', () => note('This browser cannot play this show\u2019s sound.'));
    return true;
  }

  // --- The screen -------------------------------------------------------------------------

  // The window is the screen; an animation larger than it shrinks the whole screen with it.
  function measureScreen() {
    const width = window.innerWidth;
    const height = window.innerHeight;
    const scale = Math.min(1, width / animation.width, height / animation.height);
    screen = {width: Math.floor(width / scale), height: Math.floor(height / scale), scale};
    const stage = $('stage');
    stage.style.width = `${screen.width}px`;
    stage.style.height = `${screen.height}px`;
    stage.style.transform = scale < 1 ? `scale(${scale})` : '';
    const canvas = $('backdrop');
    canvas.width = screen.width;
    canvas.height = screen.height;
    const context = canvas.getContext('2d', {willReadFrequently: true});
    context.fillStyle = backdropColour;
    context.fillRect(0, 0, screen.width, screen.height);
    if (backdropPicture) {
      const cover = Math.max(screen.width / backdropPicture.width, screen.height / backdropPicture.height);
      const w = backdropPicture.width * cover;
      const h = backdropPicture.height * cover;
      context.drawImage(backdropPicture, (screen.width - w) / 2, (screen.height - h) / 2, w, h);
    }
  }

  function slideCorners() {
    const max = 1024;
    const pointer = core._WebAlloc(8 * max);
    try {
      const count = core._WebSlideCorners(startCell, endCell, screen.width, screen.height,
                                          animation.width, animation.height, pointer, max);
      const v = new Int32Array(core.HEAPU8.buffer, pointer, 2 * count);
      return Array.from({length: count}, (_, i) => ({x: v[2 * i], y: v[2 * i + 1]}));
    } finally {
      core._WebFree(pointer);
    }
  }

  // --- The animation ----------------------------------------------------------------------

  // Starts the composition over the screen under the window at corner.
  function playFrom(corner) {
    const canvas = $('animation');
    canvas.style.left = `${corner.x}px`;
    canvas.style.top = `${corner.y}px`;
    const under = $('backdrop').getContext('2d', {willReadFrequently: true})
      .getImageData(corner.x, corner.y, animation.width, animation.height).data;
    withBytes(new Uint8Array(under.buffer), (pointer) => core._WebPlayStart(pointer));
  }

  function showNextFrame() {
    rgbaCanvas(core._WebPlayNext(0), animation.width, animation.height, $('animation'));
  }

  function slide() {
    setState('sliding');
    corners = slideCorners();
    let pass = 0;
    const step = () => {
      $('animation').hidden = false;
      playFrom(corners[pass]);   // the first frame over what lies under it here
      showNextFrame();
      pass += 1;
      timer = setTimeout(pass < corners.length ? step : arrive, pass < corners.length ? SLIDE_STEP_MS : ARRIVAL_MS);
    };
    step();
  }

  function arrive() {
    setState('playing');
    playFrom(corners[corners.length - 1]);
    showNextFrame();
    shown = 1;
    scheduleFrame();
  }

  function scheduleFrame() {
    timer = setTimeout(() => {
      if (shown < animation.count) {
        showNextFrame();
        shown += 1;
        scheduleFrame();
      } else if (show.message) {
        openMessage();
      } else {
        setState('played');
      }
    }, Math.max(10, core._WebPlayDelay() * 10));
  }

  // --- The message ------------------------------------------------------------------------

  function placeMessage() {
    const v = ints(12, (out) => core._WebMessageLayout(endCell, screen.width, screen.height, out));
    const side = v[2] - v[0];
    const message = $('message');
    Object.assign(message.style, {left: `${v[0]}px`, top: `${v[1]}px`, width: `${side}px`, height: `${side}px`});
    Object.assign($('caption').style, {left: `${v[4]}px`, top: `${v[5]}px`,
                                       width: `${v[6] - v[4]}px`, height: `${v[7] - v[5]}px`});
    const canvas = $('message-picture');
    canvas.width = side;
    canvas.height = side;
    drawZoom();
  }

  function drawZoom() {
    const canvas = $('message-picture');
    const [l, t, r, b] = ints(4, (out) => core._WebMessageZoom(zoomStep, canvas.width, out));
    const context = canvas.getContext('2d');
    context.clearRect(0, 0, canvas.width, canvas.height);
    context.imageSmoothingQuality = 'high';
    if (messagePicture) context.drawImage(messagePicture, l, t, r - l, b - t);
    $('caption').hidden = zoomStep < 4;
  }

  function openMessage() {
    clearTimeout(timer);
    $('animation').hidden = true;
    core._WebReleaseAnimation();
    if (!show.message) {
      endShow();
      return;
    }
    setState('message');
    zoomStep = 0;
    $('message').hidden = false;
    placeMessage();
    const zoom = () => {
      zoomStep += 1;
      drawZoom();
      if (zoomStep < 4) timer = setTimeout(zoom, ZOOM_STEP_MS);
      else setState('message-shown');
    };
    timer = setTimeout(zoom, ZOOM_STEP_MS);
  }

  // --- The end ----------------------------------------------------------------------------

  function endShow() {
    clearTimeout(timer);
    $('animation').hidden = true;
    $('message').hidden = true;
    core._WebReleaseAnimation();
    if (show.about) openAbout();
    else finish();
  }

  function finish() {
    clearTimeout(logoTimer);
    core._WebReleaseAnimation();
    if (audio) audio.pause();
    setState('ended');
    $('ended').hidden = false;
  }

  function openAbout() {
    setState('about');
    const link = $('about-link');
    const address = document.body.dataset.webAddress;
    if (address) link.href = address;
    const count = show.logo ? core._WebLoadAnimation(show.logo.pointer, show.logo.size) : 0;
    link.hidden = count === 0;
    if (count > 0) {
      const width = core._WebAnimationWidth();
      const height = core._WebAnimationHeight();
      const face = new Uint8Array(width * height * 4);
      for (let i = 0; i < face.length; i += 4) face.set([...DIALOG_FACE, 255], i);
      withBytes(face, (pointer) => core._WebPlayStart(pointer));
      const loop = () => {
        rgbaCanvas(core._WebPlayNext(1), width, height, $('logo'));
        logoTimer = setTimeout(loop, Math.max(10, core._WebPlayDelay() * 10));
      };
      loop();
    }
    $('about').addEventListener('close', finish, {once: true});
    $('about').showModal();
  }

  // --- Wiring -----------------------------------------------------------------------------

  // A new window size (a phone turned round): the same moment of the show on the new screen.
  function relayout() {
    const state = document.body.dataset.state;
    if (!['waiting', 'sliding', 'playing', 'played', 'message', 'message-shown'].includes(state)) return;
    measureScreen();
    if (state === 'sliding') {
      clearTimeout(timer);
      corners = slideCorners();
      arrive();
    } else if (state === 'playing' || state === 'played') {
      corners = slideCorners();
      playFrom(corners[corners.length - 1]);
      for (let i = 0; i < shown; ++i) showNextFrame();
    } else if (state !== 'waiting') {
      placeMessage();
    }
  }

  function wire() {
    $('animation').addEventListener('click', () => {
      if (['playing', 'played'].includes(document.body.dataset.state)) openMessage();
    });
    $('message').addEventListener('click', endShow);
    document.addEventListener('keydown', (event) => {
      const state = document.body.dataset.state;
      if (event.key === 'Escape' && ['playing', 'played', 'message', 'message-shown'].includes(state)) endShow();
    });
    $('again').addEventListener('click', () => window.location.reload());
    window.addEventListener('resize', relayout);
  }

  async function start() {
    const data = JSON.parse($('show-data').textContent);
    core = await ReelboxCore();
    packer = core._ReelboxPackCreate();
    scratch = core._WebAlloc(80);
    show = readPackage(decodeBase64(data.package));
    if (!show) throw new Error('its data is damaged.');
    const count = core._WebLoadAnimation(show.animation.pointer, show.animation.size);
    if (count === 0) throw new Error('its animation has no frame to show.');
    animation = {width: core._WebAnimationWidth(), height: core._WebAnimationHeight(), count};
    backdropColour = data.backdrop;
    document.body.style.background = backdropColour;
    if (data.picture) {
      backdropPicture = new Image();
      backdropPicture.src = data.picture;
      await backdropPicture.decode();
    }
    startCell = show.start;   // random cells are drawn by the core
    endCell = show.end;
    prepareCaption();
    prepareMessage();
    measureScreen();
    wire();
    if (prepareSound()) {
      setState('waiting');
      $('start').hidden = false;
      $('start-button').addEventListener('click', () => {
        $('start').hidden = true;
        audio.play().catch(() => note('This browser did not play this show\u2019s sound.'));
        slide();
      }, {once: true});
    } else {
      slide();
    }
  }

  start().catch((error) => {
    setState('failed');
    note(`This show cannot be played: ${error.message}`);
  });
})();
