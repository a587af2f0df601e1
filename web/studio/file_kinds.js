// Whether a file the author opens can be a map at all. A map is text in any
// 8-bit character set or UTF-8, so nothing about its bytes is refused but
// what plainly makes a file something else: the signature a picture, an
// archive, a document or a program starts with, or as many control bytes
// as only binary data has. A map with a stray NUL or escape byte still
// opens, and the checker tells of it; a UTF-16 text opens for the checker
// to name.
'use strict';

// [signature, offset, format, kind]: formats whose first bytes no map
// written as text starts with.
const SIGNATURES = [
  ['\x89PNG\r\n\x1a\n', 0, 'PNG', 'picture'],
  ['\xff\xd8\xff', 0, 'JPEG', 'picture'],
  ['GIF87a', 0, 'GIF', 'picture'],
  ['GIF89a', 0, 'GIF', 'picture'],
  ['WEBP', 8, 'WebP', 'picture'],
  ['II*\x00', 0, 'TIFF', 'picture'],
  ['MM\x00*', 0, 'TIFF', 'picture'],
  ['\x00\x00\x01\x00', 0, 'ICO', 'picture'],
  ['%PDF-', 0, 'PDF', 'document'],
  ['PK\x03\x04', 0, 'zip', 'archive'],
  ['PK\x05\x06', 0, 'zip', 'archive'],
  ['\x1f\x8b', 0, 'gzip', 'archive'],
  ['\xfd7zXZ\x00', 0, 'xz', 'archive'],
  ['7z\xbc\xaf\x27\x1c', 0, '7-Zip', 'archive'],
  ['Rar!\x1a\x07', 0, 'RAR', 'archive'],
  ['\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1', 0, 'Office', 'document'],
  ['\x7fELF', 0, '', 'program'],
  ['\xcf\xfa\xed\xfe', 0, '', 'program'],
  ['\xce\xfa\xed\xfe', 0, '', 'program'],
  ['\xca\xfe\xba\xbe', 0, '', 'program'],
  ['\x00asm', 0, 'WebAssembly', 'program'],
  ['OggS', 0, 'Ogg', 'sound'],
  ['fLaC', 0, 'FLAC', 'sound'],
  ['WAVE', 8, 'WAV', 'sound'],
  ['ftyp', 4, 'MP4', 'video'],
  ['SQLite format 3\x00', 0, 'SQLite', 'database'],
];

// Binary data: at least this many control bytes that text never holds, and
// at least this share of the bytes looked at.
const MIN_CONTROL_BYTES = 32;
const MIN_CONTROL_SHARE = 0.08;
const SAMPLE_BYTES = 65536;

function startsWith(bytes, signature, offset) {
  if (bytes.length < offset + signature.length) return false;
  for (let index = 0; index < signature.length; ++index) {
    if (bytes[offset + index] !== signature.charCodeAt(index)) return false;
  }
  return true;
}

const isUtf16 = (bytes) => bytes.length >= 2 && ((bytes[0] === 0xff && bytes[1] === 0xfe) ||
                                                  (bytes[0] === 0xfe && bytes[1] === 0xff));

// Control bytes a text file does not hold: all below 0x20 but tab, line
// feed, vertical tab, form feed, carriage return, Ctrl-Z (the end of a map)
// and escape (terminal colours, which a map may use).
function controlBytes(bytes) {
  let count = 0;
  const end = Math.min(bytes.length, SAMPLE_BYTES);
  for (let index = 0; index < end; ++index) {
    const byte = bytes[index];
    if (byte < 0x20 && !(byte >= 0x09 && byte <= 0x0d) && byte !== 0x1a && byte !== 0x1b) ++count;
  }
  return {count, share: end > 0 ? count / end : 0};
}

// What the file `bytes` is when it cannot be a map (say, 'PNG', 'picture',
// or 'binary data'); null when it may be one.
export function notAMap(bytes) {
  if (isUtf16(bytes)) return null;
  for (const [signature, offset, what] of SIGNATURES) {
    if (startsWith(bytes, signature, offset)) return what;
  }
  const {count, share} = controlBytes(bytes);
  return count >= MIN_CONTROL_BYTES && share >= MIN_CONTROL_SHARE ? 'binary data' : null;
}
