// Map text in the editor and map bytes in the engine. The engine decides how
// a map's bytes are shown (UTF-8 or windows-1250); this turns bytes into the
// editor's text and back, so that a map saved unchanged keeps its bytes.
'use strict';

const decoders = new Map();

function decoderFor(encoding) {
  if (!decoders.has(encoding)) decoders.set(encoding, new TextDecoder(encoding, {ignoreBOM: true}));
  return decoders.get(encoding);
}

export function decodeBytes(bytes, encoding) {
  return decoderFor(encoding).decode(bytes);
}

// windows-1250 has a character for every byte: the encoder is the decoder's
// table turned round. A character it lacks becomes '?'.
let windows1250Bytes = null;

function encodeWindows1250(text) {
  if (!windows1250Bytes) {
    windows1250Bytes = new Map();
    const decoder = decoderFor('windows-1250');
    for (let byte = 0xff; byte >= 0; --byte) windows1250Bytes.set(decoder.decode(Uint8Array.of(byte)), byte);
  }
  const bytes = new Uint8Array(text.length);
  let length = 0;
  for (const character of text) bytes[length++] = windows1250Bytes.get(character) ?? 0x3f;
  return bytes.subarray(0, length);
}

const utf8Encoder = new TextEncoder();

export function encodeText(text, encoding) {
  return encoding === 'utf-8' ? utf8Encoder.encode(text) : encodeWindows1250(text);
}

// The editor counts lines as the checker does, by their LF: a map whose
// every LF follows a CR keeps CR LF as its line separator, any other map
// splits at LF alone (a stray CR stays in its line, where the checker warns
// of it).
export function lineSeparatorOf(text) {
  const lineFeeds = text.split('\n').length - 1;
  return lineFeeds > 0 && text.split('\r\n').length - 1 === lineFeeds && !/\r(?!\n)/.test(text) ? '\r\n' : '\n';
}

// For each byte offset of `text` encoded as `encoding`, the offset in the
// string: the engine's token spans are byte spans.
export function byteToCharOffsets(text, encoding) {
  const offsets = [];
  let index = 0;
  for (const character of text) {
    const bytes = encoding === 'utf-8' ? utf8Encoder.encode(character).length : 1;
    for (let byte = 0; byte < bytes; ++byte) offsets.push(index);
    index += character.length;
  }
  offsets.push(index);
  return offsets;
}

// Bytes as a string of one character per byte, to keep in the browser's
// storage (studio_api.js's bytesOf turns it back).
export function byteStringOf(bytes) {
  let text = '';
  for (let start = 0; start < bytes.length; start += 8192) {
    text += String.fromCharCode.apply(null, bytes.subarray(start, start + 8192));
  }
  return text;
}

export function decodeBase64(text) {
  const binary = atob(text.replace(/\s+/g, ''));
  const bytes = new Uint8Array(binary.length);
  for (let index = 0; index < binary.length; ++index) bytes[index] = binary.charCodeAt(index);
  return bytes;
}

// Starts a download of `bytes` named `name`.
export function download(bytes, name, type) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([bytes], {type}));
  link.download = name;
  document.body.appendChild(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 10000);
}
