// Answers the studio asks of the engine beyond studio_api.js's: the map's
// facts (its title names a new map, its language chooses the studio's
// words), a fresh IFID, the map line of a coverage note and the quick fixes
// of a diagnostic. Each asks the engine when it offers the answer; until it
// does, the stand-in beside it gives the answer from what the page has.
'use strict';

const FACTS_END = '#helyiseg';

// The first word of a map line, as the loader splits words (space, tab,
// vertical tab, form feed, carriage return), in small letters.
const firstWord = (line) => (/^[ \t\v\f\r]*([^ \t\v\f\r]*)/.exec(line)[1] ?? '').toLowerCase();

// The game's title and language: {title, language}, '' where the map has
// none. `lines` iterates the map's lines as text; `text` decodes the
// engine's byte strings.
export function mapFacts(engine, lines, text) {
  if (typeof engine?.facts === 'function') {
    const facts = engine.facts();
    return {title: text(facts.title ?? ''), language: text(facts.language ?? '')};
  }
  // Stand-in: the first #title and #lang lines before the first room.
  const facts = {title: '', language: ''};
  for (const line of lines) {
    const word = firstWord(line);
    if (word === FACTS_END) break;
    const fact = word === '#title' ? 'title' : word === '#lang' ? 'language' : null;
    if (!fact || facts[fact]) continue;
    facts[fact] = line.trimStart().slice(word.length).trim();
  }
  return facts;
}

// A fresh IFID for a new game, in capitals as kaland-publish writes them.
export function freshIfid(engine) {
  const random = crypto.getRandomValues(new Uint8Array(16));
  if (typeof engine?.freshIfid === 'function') return engine.freshIfid(random);
  // Stand-in: a random UUID (version 4, as kaland-publish makes them).
  return crypto.randomUUID().toUpperCase();
}

// A coverage note as {text, line}: the map line it names, 0 for none (a
// note about a script's line, or the summary). The engine's notes are
// {text, line}; as bare lines, the map line is read from the way
// kaland-check starts a note about the map: "NAME:LINE: ".
export function coverageNote(note, mapName) {
  if (typeof note === 'object' && note !== null) return {text: note.text, line: note.line ?? 0};
  const prefix = mapName + ':';
  const match = note.startsWith(prefix) ? /^(\d+): /.exec(note.slice(prefix.length)) : null;
  return {text: note, line: match ? Number(match[1]) : 0};
}

// The quick fixes the checker proposes for a diagnostic: [{title, edits:
// [{line, remove, insert}]}], titles and inserted text as the engine's byte
// strings; none until the engine proposes them.
export const fixesOf = (diagnostic) => (Array.isArray(diagnostic.fixes) ? diagnostic.fixes : []);
