// Picture captions on the page: which style the caption takes (the core's default, or the
// author's choice) and why, the caption drawn with this browser's canvas text onto the
// message square the core hands out, and the preview of the message picture exactly as the
// show stores it (read back from the built show by the core).
// Uses page.js's $, core, choices, cellLabel, withText, withInts and wrapCaption.
'use strict';

const CAPTION_STYLE_PICTURE = 1;
const CAPTION_LINE_SPACING = 1.2;
const CAPTION_ALIGNS = ['left', 'center', 'right'];

let captionPreview = null;   // {side, pixels: ImageData} of the last show built with a picture caption

function captionPlace() {
  return Number($('caption-position').value);
}

function hexColour(rgb) {
  return `#${rgb.toString(16).padStart(6, '0')}`;
}

// The style the caption takes: {picture, note}.
function chooseCaptionStyle(packer, text) {
  const asked = $('caption-style').value;
  const style = withText(text, (p) =>
    core._ReelboxPackDefaultCaptionStyle(packer, p, Number($('charset').value), captionPlace()));
  const reason = core.UTF8ToString(core._ReelboxPackCaptionStyleReason(packer));
  if (asked === 'auto') return {picture: style === CAPTION_STYLE_PICTURE, note: `Chosen: ${reason}.`};
  const picture = asked === 'picture';
  return {picture, note: `${picture ? 'A picture caption' : 'A text caption'}, as chosen; by itself the ` +
                         `page would make ${reason}.`};
}

// Whether the caption would be drawn here as a picture, so that no code page need hold it.
function captionDrawnAsPicture(packer, text) {
  return text !== '' && chooseCaptionStyle(packer, text).picture;
}

function captionStyleNote(packer, text) {
  return text ? chooseCaptionStyle(packer, text).note : '';
}

// Draws the caption onto the core's message square and hands it back. Answers '' or the
// reason it cannot be drawn.
function drawCaptionPicture(packer, text, colour, size) {
  let canvasPixels = null;
  const [side] = withInts(1, (out) => { canvasPixels = core._ReelboxPackCaptionCanvas(packer, out); });
  if (!canvasPixels) return core.UTF8ToString(core._ReelboxPackError(packer));
  const [pixelHeight, margin, wrapWidth, outline, outlineColour, column] = withInts(7, (out) =>
    core._ReelboxPackCaptionFrame(side, -size, $('caption-outline').checked ? 1 : 0, colour, captionPlace(), out));
  const canvas = document.createElement('canvas');
  canvas.width = side;
  canvas.height = side;
  const context = canvas.getContext('2d', {willReadFrequently: true});
  const square = new Uint8ClampedArray(core.HEAPU8.buffer, canvasPixels, side * side * 4).slice();
  context.putImageData(new ImageData(square, side, side), 0, 0);
  context.font = `${$('font-italic').checked ? 'italic ' : ''}${$('font-bold').checked ? 'bold ' : ''}` +
                 `${pixelHeight}px "${$('font-face').value}", sans-serif`;
  context.direction = withText(text, (p) => core._ReelboxPackCaptionRightToLeft(p)) ? 'rtl' : 'ltr';
  context.textAlign = CAPTION_ALIGNS[column];
  context.textBaseline = 'top';
  context.lineJoin = 'round';
  const lines = wrapCaption(context, text, wrapWidth);
  const lineHeight = Math.round(pixelHeight * CAPTION_LINE_SPACING);
  const top = core._ReelboxPackCaptionBlockTop(side, captionPlace(), lines.length * lineHeight);
  const x = [margin, side / 2, side - margin][column];
  lines.forEach((line, i) => {
    if (outline > 0) {
      context.lineWidth = 2 * outline;
      context.strokeStyle = hexColour(outlineColour);
      context.strokeText(line, x, top + i * lineHeight);
    }
    context.fillStyle = hexColour(colour);
    context.fillText(line, x, top + i * lineHeight);
  });
  const drawn = new Uint8Array(context.getImageData(0, 0, side, side).data.buffer);
  const stored = withBytes(drawn, (p) => core._ReelboxPackSetCaptionPicture(packer, p, side));
  return stored ? '' : core.UTF8ToString(core._ReelboxPackError(packer));
}

// Stores the caption in its style. Answers {stored, picture, error}.
function storeCaption(packer, text, colour, size) {
  captionPreview = null;
  if (!text) {
    $('caption-style-note').textContent = '';
    return {stored: withText(text, (p) => core._ReelboxPackSetCaption(packer, p, -1)), picture: false};
  }
  const style = chooseCaptionStyle(packer, text);
  $('caption-style-note').textContent = style.note;
  if (!style.picture) return {stored: withText(text, (p) =>
    core._ReelboxPackSetCaption(packer, p, Number($('charset').value))), picture: false};
  const error = drawCaptionPicture(packer, text, colour, size);
  return {stored: !error, picture: true, error};
}

// After a build: the message picture the show stores, when it has a picture caption.
function keepCaptionPreview(packer, output, length, picture) {
  captionPreview = null;
  if (!picture) return;
  let pixels = null;
  const [side] = withInts(1, (out) => { pixels = core._ReelboxPackMessagePixels(packer, output, length, out); });
  if (!pixels) return;
  const data = new Uint8ClampedArray(core.HEAPU8.buffer, pixels, side * side * 4).slice();
  captionPreview = {side, pixels: new ImageData(data, side, side)};
}

// The stored message picture at its own size, and over the message window's zoom rectangle
// of the message preview. Answers whether there was one to draw.
function drawCaptionPreview(messageContext, zoom) {
  const preview = $('caption-picture');
  preview.parentElement.hidden = !captionPreview;
  if (!captionPreview) {
    preview.width = 1;
    preview.height = 1;
    return false;
  }
  preview.width = captionPreview.side;
  preview.height = captionPreview.side;
  preview.getContext('2d').putImageData(captionPreview.pixels, 0, 0);
  if (messageContext) {
    messageContext.imageSmoothingQuality = 'high';
    messageContext.drawImage(preview, zoom.left, zoom.top, zoom.right - zoom.left, zoom.bottom - zoom.top);
  }
  return true;
}

function fillCaptionPositions() {
  const select = $('caption-position');
  for (const cell of choices.grid) {
    const option = document.createElement('option');
    option.value = String(cell);
    option.textContent = cellLabel(cell);
    option.selected = cell === 1;
    select.append(option);
  }
}
