// The bytes of the editor's document, made piece by piece. CodeMirror keeps
// a document as a tree of chunks of whole lines, and an edit replaces only
// the chunks on the way to the lines it changed: the bytes of every other
// chunk are kept from the last time, so that a keystroke in a map of tens of
// megabytes encodes a few kilobytes, and the library writes only the pieces
// that changed.
'use strict';

import {encodeText} from './text.js';

// A piece is the largest chunk of the tree of at most this many characters
// (or a single chunk of lines, whatever its length).
const PIECE_CHARACTERS = 64 * 1024;

function collect(node, pieces) {
  if (node.children === null || node.length <= PIECE_CHARACTERS) {
    pieces.push(node);
    return;
  }
  for (const child of node.children) collect(child, pieces);
}

export function createDocBytes() {
  let cache = new WeakMap();  // chunk → {bytes, last}
  let cachedFor = '';         // the encoding and line break of the bytes in the cache

  return {
    // The document `doc` in `encoding`, its lines joined by `lineBreak`, as
    // [{key, bytes}]: the key is the same object for as long as the piece is.
    pieces(doc, encoding, lineBreak) {
      if (cachedFor !== encoding + lineBreak) {
        cache = new WeakMap();
        cachedFor = encoding + lineBreak;
      }
      const nodes = [];
      collect(doc, nodes);
      return nodes.map((node, index) => {
        const last = index === nodes.length - 1;
        let entry = cache.get(node);
        if (!entry || entry.last !== last) {
          // Each piece but the last ends with the line break before the next.
          const text = node.sliceString(0, node.length, lineBreak) + (last ? '' : lineBreak);
          entry = {bytes: encodeText(text, encoding), last};
          cache.set(node, entry);
        }
        return {key: node, bytes: entry.bytes};
      });
    },
  };
}
