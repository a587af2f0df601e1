// The studio's engine in Node, through studio_api.js as the page calls it:
// the answers that are the engine's alone (fixes, Add room, facts, IFIDs,
// the checks before publishing, play while the text does not load).
//   KALAND_STUDIO_ENGINE=build-web/web/studio/kaland_studio_engine.js node --test tests/web/studio_engine.test.mjs
import assert from 'node:assert';
import fs from 'node:fs';
import {createRequire} from 'node:module';
import path from 'node:path';
import test from 'node:test';
import {fileURLToPath} from 'node:url';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..', '..');
const createStudioEngine = createRequire(import.meta.url)(path.resolve(process.env.KALAND_STUDIO_ENGINE));
const apiSource = fs.readFileSync(path.join(root, 'web', 'studio', 'studio_api.js'), 'utf8');
const api = await import('data:text/javascript,' + encodeURIComponent(apiSource));
const engine = api.makeStudioEngine(await createStudioEngine());
const bytes = (text) => new TextEncoder().encode(text);
const text = (byteString) => new TextDecoder().decode(api.bytesOf(byteString));
const zeros = new Uint8Array(16);

engine.setName(bytes('game.map'));

test('a diagnostic carries its fix as whole-line edits', () => {
  engine.setMap(bytes('#title A Well\n#lang hu\n#helyiseg 1\nThe well. [d] down\n#irany N 2 d\n#helyseg 2\nEnd.\n#gameover\n'));
  const {diagnostics} = engine.check();
  const typo = diagnostics.find((diagnostic) => diagnostic.line === 6);
  assert.deepStrictEqual(typo.fixes, [{title: "replace '#helyseg' with '#helyiseg'",
                                       edits: [{line: 6, remove: 1, insert: '#helyiseg 2\n'}]}]);
  assert.ok(diagnostics.filter((diagnostic) => diagnostic !== typo).every((diagnostic) => diagnostic.fixes.length === 0));
  assert.deepStrictEqual(engine.facts(), {title: 'A Well', language: 'hu'});
  assert.strictEqual(engine.freshIfid(zeros), '00000000-0000-4000-8000-000000000000');
});

test('Add room: a new room and an exit to it from the room at the cursor', () => {
  engine.setMap(bytes('# The hall\n#helyiseg 1\nThe hall. [b]ack\n#irany N 1 b\n'));
  assert.strictEqual(engine.addRoom(1), null, 'above the first room');
  assert.deepStrictEqual(engine.addRoom(3), {
    title: "add '#irany N 2 a' to room 1 and room 2 at the end of the map",
    edits: [{line: 5, remove: 0, insert: '#irany N 2 a\n'},
            {line: 5, remove: 0, insert: '#helyiseg 2\n(Room 2: write here what the player sees.)\n#gameover\n'}]});
});

test('publishing: warnings, a fresh IFID to insert, and strict refusal', () => {
  engine.setMap(bytes('#title T\n#helyiseg 1\nStart. [n]\n#irany N 2 n\n#irany N 9 x\n#helyiseg 2\nEnd.\n#gameover\n'));
  const check = engine.publishWarnings(zeros);
  assert.strictEqual(check.refused, false);
  assert.strictEqual(check.warnings.length, 1);
  assert.strictEqual(check.warnings[0].line, 5);
  assert.strictEqual(check.freshIfid, '00000000-0000-4000-8000-000000000000');
  assert.deepStrictEqual(check.ifidFix.edits, [{line: 2, remove: 0, insert: `#ifid ${check.freshIfid}\n`}]);
  const refused = engine.publish(new Uint8Array(0), zeros, {strict: true});
  assert.strictEqual(refused.status, 1);
  assert.match(new TextDecoder().decode(refused.refusal), /game\.map: 1 warning and --strict; nothing written\n$/);
});

test('play goes on with the last map that loaded, and tells a key that matches nothing', () => {
  engine.setMap(bytes('#helyiseg 1\nThe gate. [n] north\n#irany N 2 n\n#helyiseg 2\nThe house.\n#gameover\n'));
  const first = engine.play(bytes('x\n'));
  assert.strictEqual(first.lastLoaded, undefined);
  assert.deepStrictEqual(first.reads.map((read) => read.matched), [false, true]);
  engine.setMap(bytes('#helyiseg 1\nThe gate. [n] north\n#irany N 2\n#helyiseg 2\nThe house.\n#gameover\n'));
  const played = engine.play(bytes('n\n'));
  assert.deepStrictEqual(played.lastLoaded, {errorLine: 3});
  assert.match(new TextDecoder().decode(played.output), /The house\./);
  assert.strictEqual(played.reads[0].matched, true);
  assert.strictEqual(engine.check().diagnostics[0].severity, 'error', 'the map being typed is still the one checked');
});

test('coverage notes name their map lines', () => {
  engine.setMap(bytes('#helyiseg 1\nThe gate. [n] north, [s] south\n#irany N 2 n\n#irany N 2 s\n#helyiseg 2\nEnd.\n#gameover\n'));
  const coverage = engine.cover([{name: bytes('walk.keys'), bytes: bytes('n\n\n')}]);
  assert.ok(coverage.notes.some((note) => note.line === 4 && text(note.text).startsWith('game.map:4: note:')),
            JSON.stringify(coverage.notes));
});

test('a long coverage report is cut to what is shown, with its summary and the count left out', () => {
  const rooms = Array.from({length: 20}, (_, index) => `#helyiseg ${index + 1}\nRoom ${index + 1}. [n]\n` +
                           (index === 19 ? '#gameover\n' : `#irany N ${index + 2} n\n`)).join('');
  engine.setMap(bytes(rooms));
  const walk = [{name: bytes('walk.keys'), bytes: bytes('')}];
  const whole = engine.cover(walk);
  assert.strictEqual(whole.omittedNotes, 0);
  assert.ok(whole.notes.length > 4 && whole.unshownRooms.length === 19);
  const cut = engine.cover(walk, {maxNotes: 3, maxMarks: 10});
  assert.deepStrictEqual(cut.notes.slice(0, 3), whole.notes.slice(0, 3));
  assert.deepStrictEqual(cut.notes.at(-1), whole.notes.at(-1), 'the summary');
  assert.strictEqual(cut.omittedNotes, whole.notes.length - 4);
  assert.deepStrictEqual(cut.unshownRooms, [], 'more rooms than a picture of 10 items draws');
});
