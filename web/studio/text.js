// Map text in the editor and map bytes in the engine. The engine decides how
// a map's bytes are shown (UTF-8 or windows-1250); this turns bytes into the
// editor's text and back, so that a map saved unchanged keeps its bytes.
'use strict';

import {encodeText} from '../shared/page_bytes.js';

// Text into bytes, base64 and downloads, as the player page does them.
export {decodeBase64, download, encodeText} from '../shared/page_bytes.js';

const decoders = new Map();

function decoderFor(encoding) {
  if (!decoders.has(encoding)) decoders.set(encoding, new TextDecoder(encoding, {ignoreBOM: true}));
  return decoders.get(encoding);
}

export function decodeBytes(bytes, encoding) {
  return decoderFor(encoding).decode(bytes);
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
    const bytes = encoding === 'utf-8' ? encodeText(character, 'utf-8').length : 1;
    for (let byte = 0; byte < bytes; ++byte) offsets.push(index);
    index += character.length;
  }
  offsets.push(index);
  return offsets;
}
