// The names of the author's maps: a map opened from a file is called as the
// file is; a new map is called after its #title, in a form every system
// takes as a file name; and an author may call a map anything that is a
// file name.
'use strict';

const MAP_EXTENSION = '.map';
const MAX_NAME_LENGTH = 80;
const UNTITLED = 'untitled';

// A file-safe name for a game called `title`: small ASCII letters and
// digits with hyphens between words, accents dropped ("A kút titka" gives
// "a-kut-titka.map"), "untitled.map" when nothing of it is left.
export function fileNameOfTitle(title) {
  const base = String(title ?? '').normalize('NFD').replace(/[\u0300-\u036f]/g, '').toLowerCase()
    .replace(/[^a-z0-9]+/g, '-').replace(/^-+|-+$/g, '').slice(0, MAX_NAME_LENGTH - MAP_EXTENSION.length)
    .replace(/-+$/, '');
  return (base || UNTITLED) + MAP_EXTENSION;
}

// `name` as the author typed it, made a file name: no folder, no control
// characters, and .map when it has no extension. Returns '' when nothing is
// left.
export function cleanMapName(name) {
  // eslint-disable-next-line no-control-regex
  const clean = String(name ?? '').replace(/[\u0000-\u001f\u007f/\\]/g, '').trim().slice(0, MAX_NAME_LENGTH);
  if (clean === '' || /^\.+$/.test(clean)) return '';
  return /\.[^.]+$/.test(clean) ? clean : clean + MAP_EXTENSION;
}

// `name`, or with -2, -3 ... before its extension, so that no name in
// `taken` is used twice.
export function uniqueName(name, taken) {
  const names = new Set(taken);
  if (!names.has(name)) return name;
  const dot = name.lastIndexOf('.');
  const [base, extension] = dot > 0 ? [name.slice(0, dot), name.slice(dot)] : [name, ''];
  for (let number = 2; ; ++number) {
    const candidate = `${base}-${number}${extension}`;
    if (!names.has(candidate)) return candidate;
  }
}
