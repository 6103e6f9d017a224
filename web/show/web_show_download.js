// The page's "Download for any device": the show just built, as one HTML file that plays in
// any browser, on a phone too (the web show). The template comes with the page as
// web_show_template.js, loaded the first time it is asked for; the core fills it.
'use strict';

function loadWebShowTemplate() {
  if (window.ReelboxWebShowTemplate) return Promise.resolve(window.ReelboxWebShowTemplate);
  return new Promise((resolve, reject) => {
    const script = document.createElement('script');
    script.src = 'web_show_template.js';
    script.onload = () => resolve(window.ReelboxWebShowTemplate);
    script.onerror = () => reject(new Error('This copy of the page has no web show template.'));
    document.head.append(script);
  });
}

async function backdropBytes(canvas) {
  if (!canvas) return new Uint8Array(0);
  const blob = await new Promise((resolve) => canvas.toBlob(resolve, 'image/jpeg', 0.9));
  return new Uint8Array(await blob.arrayBuffer());
}

// core: the page's core; show: the built show's bytes; backdrop: {colour: 0xRRGGBB, picture:
// a canvas with the backdrop picture, or null}.
async function downloadWebShow(core, show, backdrop) {
  const template = new TextEncoder().encode(await loadWebShowTemplate());
  const picture = await backdropBytes(backdrop.picture);
  const blocks = [template, show, picture].map((bytes) => {
    const pointer = core._WebAlloc(Math.max(1, bytes.length));
    core.HEAPU8.set(bytes, pointer);
    return pointer;
  });
  const sizePointer = core._WebAlloc(4);
  const packer = core._ReelboxPackCreate();
  try {
    const html = core._ReelboxPackWebShow(packer, blocks[0], template.length, blocks[1], show.length,
                                          backdrop.colour, picture.length ? blocks[2] : 0,
                                          picture.length, sizePointer);
    if (!html) throw new Error(core.UTF8ToString(core._ReelboxPackError(packer)));
    const length = new Uint32Array(core.HEAPU8.buffer, sizePointer, 1)[0];
    const file = new Blob([core.HEAPU8.slice(html, html + length)], {type: 'text/html'});
    const link = document.createElement('a');
    link.href = URL.createObjectURL(file);
    link.download = 'show.html';
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  } finally {
    core._ReelboxPackFree(packer);
    [...blocks, sizePointer].forEach((pointer) => core._WebFree(pointer));
  }
}
