// Bytes in and out of the browser, as the player page and the studio both
// handle them: typed text into a map's own encoding, base64 out of the page,
// and bytes into a download. The engine decides a map's encoding, and how
// large a map may be and what its files are called; nothing here reads a
// map. A plain script: the player page inlines it before its own, and the
// studio's bundle imports it (module.exports below).
'use strict';

const UTF8_ENCODER = new TextEncoder();
// windows-1250 has a character for every byte: its encoder is the decoder's
// table turned round, made when it is first needed.
let windows1250Bytes = null;

// `text` as bytes in `encoding` ('utf-8' or 'windows-1250', the engine's
// answer for the map), so that an accented key of a windows-1250 map can be
// typed and its text saved in its own bytes. A character windows-1250 lacks
// becomes '?'.
function encodeText(text, encoding) {
  if (encoding === 'utf-8') return UTF8_ENCODER.encode(text);
  if (!windows1250Bytes) {
    windows1250Bytes = new Map();
    const decoder = new TextDecoder('windows-1250');
    for (let byte = 0xff; byte >= 0; --byte) windows1250Bytes.set(decoder.decode(Uint8Array.of(byte)), byte);
  }
  const bytes = new Uint8Array(text.length);
  let length = 0;
  for (const character of text) bytes[length++] = windows1250Bytes.get(character) ?? 0x3f;
  return bytes.subarray(0, length);
}

// The bytes a page holds in base64 (its map, the engine's binary).
function decodeBase64(text) {
  if (Uint8Array.fromBase64) return Uint8Array.fromBase64(text.trim());
  const binary = atob(text.replace(/\s+/g, ''));
  const bytes = new Uint8Array(binary.length);
  for (let index = 0; index < binary.length; ++index) bytes[index] = binary.charCodeAt(index);
  return bytes;
}

// Starts a download of `data` (bytes or text) named `name`.
function download(data, name, type) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([data], {type}));
  link.download = name;
  document.body.appendChild(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 10000);
}

if (typeof module === 'object' && module.exports) module.exports = {encodeText, decodeBase64, download};
