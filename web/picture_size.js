// What a file is and how large a picture says it is, read from its first bytes, so that the
// page can route a dropped file to its field and refuse a picture too large to decode
// before the browser spends seconds and hundreds of megabytes decoding it.
'use strict';

function bytesStartWith(bytes, text, at = 0) {
  if (bytes.length < at + text.length) return false;
  for (let i = 0; i < text.length; ++i) {
    if (bytes[at + i] !== text.charCodeAt(i)) return false;
  }
  return true;
}

// 'gif', 'png', 'jpeg', 'bmp', 'webp', 'wav', 'midi', 'mp3', 'ogg', 'flac' or ''.
function fileKind(bytes) {
  if (bytesStartWith(bytes, 'GIF8')) return 'gif';
  if (bytesStartWith(bytes, '\x89PNG\r\n\x1a\n')) return 'png';
  if (bytes[0] === 0xff && bytes[1] === 0xd8 && bytes[2] === 0xff) return 'jpeg';
  if (bytesStartWith(bytes, 'BM')) return 'bmp';
  if (bytesStartWith(bytes, 'RIFF') && bytesStartWith(bytes, 'WEBP', 8)) return 'webp';
  if (bytesStartWith(bytes, 'RIFF') && bytesStartWith(bytes, 'WAVE', 8)) return 'wav';
  if (bytesStartWith(bytes, 'MThd')) return 'midi';
  if (bytesStartWith(bytes, 'ID3') || (bytes[0] === 0xff && (bytes[1] & 0xe0) === 0xe0)) return 'mp3';
  if (bytesStartWith(bytes, 'OggS')) return 'ogg';
  if (bytesStartWith(bytes, 'fLaC')) return 'flac';
  return '';
}

const PICTURE_KINDS = new Set(['gif', 'png', 'jpeg', 'bmp', 'webp']);
const SOUND_KINDS = new Set(['wav', 'midi', 'mp3', 'ogg', 'flac']);

const readU16BE = (b, i) => (b[i] << 8) | b[i + 1];
const readU16LE = (b, i) => b[i] | (b[i + 1] << 8);
const readU32BE = (b, i) => ((b[i] << 24) >>> 0) + ((b[i + 1] << 16) | (b[i + 2] << 8) | b[i + 3]);
const readU32LE = (b, i) => ((b[i + 3] << 24) >>> 0) + ((b[i + 2] << 16) | (b[i + 1] << 8) | b[i]);
const readI32LE = (b, i) => b[i] | (b[i + 1] << 8) | (b[i + 2] << 16) | (b[i + 3] << 24);

// The JPEG frame header (any SOFn but the DHT, JPG and DAC markers) found by walking the
// segments; null when the bytes end first.
function jpegSize(b) {
  let i = 2;
  while (i + 9 < b.length) {
    if (b[i] !== 0xff) return null;
    const marker = b[i + 1];
    if (marker === 0xff) { ++i; continue; }
    if (marker === 0xd8 || marker === 0x01 || (marker >= 0xd0 && marker <= 0xd7)) { i += 2; continue; }
    if (marker >= 0xc0 && marker <= 0xcf && marker !== 0xc4 && marker !== 0xc8 && marker !== 0xcc) {
      return {width: readU16BE(b, i + 7), height: readU16BE(b, i + 5)};
    }
    i += 2 + readU16BE(b, i + 2);
  }
  return null;
}

function webpSize(b) {
  if (bytesStartWith(b, 'VP8X', 12) && b.length >= 30) {
    return {width: 1 + (b[24] | (b[25] << 8) | (b[26] << 16)),
            height: 1 + (b[27] | (b[28] << 8) | (b[29] << 16))};
  }
  if (bytesStartWith(b, 'VP8L', 12) && b.length >= 25) {
    const bits = readU32LE(b, 21);
    return {width: 1 + (bits & 0x3fff), height: 1 + ((bits >>> 14) & 0x3fff)};
  }
  if (bytesStartWith(b, 'VP8 ', 12) && b.length >= 30) {
    return {width: readU16LE(b, 26) & 0x3fff, height: readU16LE(b, 28) & 0x3fff};
  }
  return null;
}

// {width, height} as the picture's header states it, or null when the header is not one
// this page reads (the size is then checked after decoding).
function pictureSize(bytes) {
  const b = bytes;
  switch (fileKind(b)) {
    case 'png':
      return b.length >= 24 && bytesStartWith(b, 'IHDR', 12)
        ? {width: readU32BE(b, 16), height: readU32BE(b, 20)} : null;
    case 'gif':
      return b.length >= 10 ? {width: readU16LE(b, 6), height: readU16LE(b, 8)} : null;
    case 'bmp':
      if (b.length < 26) return null;
      if (readU32LE(b, 14) === 12) return {width: readU16LE(b, 18), height: readU16LE(b, 20)};
      return {width: Math.abs(readI32LE(b, 18)), height: Math.abs(readI32LE(b, 22))};
    case 'jpeg':
      return jpegSize(b);
    case 'webp':
      return webpSize(b);
    default:
      return null;
  }
}
