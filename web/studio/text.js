// Map text in the editor and map bytes in the engine. The engine decides how
// a map's bytes are shown (UTF-8 or windows-1250), where its lines end and
// where a line's tokens stand; this turns bytes into the editor's text and
// back, so that a map saved unchanged keeps its bytes.
'use strict';

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
