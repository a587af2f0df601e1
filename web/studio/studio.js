// kaland studio: the map's text in an editor, checked, played, drawn, tested
// and published by the engine (the C++ core and checker compiled to
// WebAssembly) after every edit, and kept among the author's maps. This file
// wires the panes together; what a map means is only ever the engine's
// answer.
'use strict';

import {bytesOf, joinBytes, makeStudioEngine} from './studio_api.js';
import {createDocBytes} from './doc_bytes.js';
import {createEditor} from './editor.js';
import {createMaps} from './maps.js';
import {createPlay} from './play.js';
import {createPicture} from './picture.js';
import {createPictureView} from './picture_view.js';
import {createProblems} from './problems.js';
import {createPublishing} from './publishing.js';
import {createRandomGames} from './random.js';
import {createStart} from './start.js';
import {createTakeBack} from './take_back.js';
import {SHOWN_LINES, shortenLines, showCounts, showCoverage, showRoutes, showScripts} from './testing.js';
import {decodeBase64, decodeBytes, download, encodeText} from './text.js';
import {chooseLanguage, createWords} from './words.js';

const OLD_WORK_KEY = 'kaland-studio:work';  // where earlier studios kept the one map they kept
const CHECK_DELAY_MS = 30;   // after the last keystroke: check and play again
const SLOW_DELAY_MS = 400;   // then the picture, routes, coverage and counts
const TYPED_LINES_NAME = 'typed lines';
const NARROW_SCREEN = '(max-width: 700px)';  // where long lines wrap unless the author says otherwise
const WRAP_SETTING = 'wrap-lines';
const REFUSE_SETTING = 'refuse-on-warnings';

const $ = (id) => document.getElementById(id);
const page = {
  mapName: $('map-name'), status: $('status'), problems: $('problems'), summary: $('problem-summary'),
  log: $('log'), command: $('command'), line: $('line'), undo: $('undo'), restart: $('restart'),
  playFromHere: $('play-from-here'), playFromHereRoom: $('play-from-here-room'),
  counts: $('counts'), routes: $('routes'), routeWarnings: $('route-warnings'), coverage: $('coverage'),
  scripts: $('scripts'), expectSummary: $('expect-summary'), typedScriptName: $('typed-script-name'),
  wrapLines: $('wrap-lines'),
};
const words = createWords();

let engine = null;
let editor = null;
let play = null;
let picture = null;
let randomGames = null;
let maps = null;
let problems = null;
let publishing = null;
let start = null;
const takeBack = createTakeBack();
const docBytes = createDocBytes();
// The map being written: its name, how its bytes are shown, the bytes it was
// opened with (saved as they are while the text is unchanged, the editor's
// `openedVersion`), the lines typed (as bytes, each without its newline),
// key scripts ({name, bytes, expected: the bytes of its blessed
// SCRIPT.expected or null, result: what --expect says of it}), --expect's
// summary line, and the bytes of the text as it stands (`bytes`, with the
// `pieces` they were made of, of the editor's `version`).
let work = null;
let checkTimer = 0;
let editPending = false;  // an edit the engine has not seen yet
let slowTimer = 0;
// The picture, the routes and the counts are of the map before the last
// check: typed lines and key scripts change none of them.
let mapViewsStale = true;
const tokenCache = new Map();

let saidOfTypedLines = false;  // the status tells what an edit did to a typed line

function say(message) {
  page.status.textContent = message;
  saidOfTypedLines = false;
}

// Text of the engine's byte strings, in the map's encoding.
const text = (byteString) => decodeBytes(bytesOf(byteString), work.encoding);

function currentBytes() {
  const version = editor.version();
  if (work.version !== version) {
    if (version === work.openedVersion) {
      work.bytes = work.openedBytes;
      work.pieces = null;
    } else {
      work.pieces = docBytes.pieces(version, work.encoding, editor.lineBreak());
      work.bytes = joinBytes(work.pieces.map((piece) => piece.bytes));
    }
    work.version = version;
  }
  return work.bytes;
}

const NEWLINE = Uint8Array.of(0x0a);
const typedInput = (lines) => joinBytes(lines.flatMap((line) => [line, NEWLINE]));
// A typed line as text, in the encoding it was typed in.
const lineText = (line) => decodeBytes(line, work.encoding);

// ---- the editor's colours ----

function tokensOf(lineText) {
  if (!engine || !work) return [];
  const key = work.encoding + '\n' + lineText;
  let tokens = tokenCache.get(key);
  if (!tokens) {
    tokens = engine.lineTokens(encodeText(lineText, work.encoding), work.encoding);
    if (tokenCache.size > 20000) tokenCache.clear();
    tokenCache.set(key, tokens);
  }
  return tokens;
}

// ---- after every edit ----

function showProblems(check) {
  problems.show(check);
}

// The game the engine plays while the text has an error is the map as it
// last loaded ({lastLoaded: {errorLine}} in its answer): the pane says so,
// with a link to the error.
function showKeptGame(lastLoaded) {
  const kept = $('play-kept');
  kept.hidden = !lastLoaded;
  if (!lastLoaded) return;
  $('play-kept-text').textContent = words.get('keptGame', lastLoaded.errorLine);
  const link = $('play-kept-line');
  link.textContent = words.get('goToError', lastLoaded.errorLine);
  link.onclick = () => editor.goToLine(lastLoaded.errorLine);
}

function replay(options = {}) {
  const notice = play.replay({
    play: (lines) => {
      const result = engine.play(typedInput(lines));
      showKeptGame(result.lastLoaded);
      return result;
    },
    decode: (bytes) => decodeBytes(bytes, work.shownEncoding),
    lineText,
    roomDescribed: (room) => engine.roomDescribed(room),
    ...options,
  });
  if (work.lines !== play.lines()) {
    work.lines = play.lines();
    saveWork();  // a line typed or taken back is kept as an edit is
  }
  page.undo.disabled = work.lines.length === 0 && !takeBack.canUndo();
  if (notice) {
    say(notice.text);
    saidOfTypedLines = options.changed === true;
  } else if (saidOfTypedLines) {
    say('');  // what it said of a typed line no longer holds
  }
  refreshSlowlySoon();
  return notice;
}

// Checks and plays the map as it stands. `options` go to the play pane.
// The picture, the tests and the counts follow after a pause.
function refresh(options = {changed: true}) {
  clearTimeout(checkTimer);
  editPending = false;
  work.shownEncoding = engine.setMap(currentBytes()).encoding;
  showProblems(engine.check());
  mapViewsStale = true;
  replay(options);
  expectScripts();
  updatePlayFromHere();
  randomGames.mapEdited();
  performance.mark('kaland-studio-current');
}

// The engine has the map as it stands.
function upToDate() {
  if (editPending) refresh();
}

// What takes longer, after the author pauses: the picture, coverage,
// routes, counts and what follows from the facts, a task each, so that a
// keystroke between them is not kept waiting (and starts them again).
let slowRun = 0;

function refreshSlowlySoon() {
  clearTimeout(slowTimer);
  const run = ++slowRun;
  slowTimer = setTimeout(() => refreshSlowly(run), SLOW_DELAY_MS);
}

function refreshSlowly(run) {
  saveWork();
  const mapChanged = mapViewsStale;
  const steps = [
    () => {
      if (!mapChanged) return;
      followFacts();
      const drawing = engine.dot(picture.maxItems());
      picture.draw(drawing.tooLarge ? drawing : {...drawing, dot: decodeBytes(bytesOf(drawing.dot), 'utf-8')});
    },
    showTestCoverage,
    () => mapChanged && showRoutes(page.routes, page.routeWarnings, engine.routes(), text, playRoute),
    () => mapChanged && showCounts(page.counts, engine.counts(), words),
    () => {
      if (mapChanged) {
        publishing.update();
        mapViewsStale = false;
      }
      problems.announce();
    },
  ];
  const next = (index) => {
    if (run !== slowRun || index === steps.length) return;
    guarded(steps[index]);
    slowTimer = setTimeout(() => next(index + 1), 0);
  };
  next(0);
}

// The coverage of the typed lines and the key scripts, and its marks in the
// picture. Of a long report the engine writes only what is shown, until
// the author asks for the rest.
function showTestCoverage() {
  const scripts = [{name: TYPED_LINES_NAME, bytes: typedInput(work.lines)}, ...work.scripts]
    .map((script) => ({name: scriptName(script), bytes: script.bytes}));
  const showAll = page.coverage.dataset.showAll === 'true';
  const coverage = engine.cover(scripts, {maxNotes: showAll ? 0 : SHOWN_LINES, maxMarks: picture.maxItems()});
  showCoverage(page.coverage, coverage, text, {
    onGoToLine: (line) => editor.goToLine(line),
    label: (line) => words.get('goToLine', line),
    onShowAll: () => guarded(showTestCoverage),
  });
  picture.mark({current: play.currentRoom(), unshownRooms: coverage.unshownRooms ?? [],
                untakenExits: coverage.untakenExits ?? []});
}

// The studio speaks the map's language, and a new map is named after its
// title.
function followFacts() {
  const facts = engine.facts();
  if (words.use(chooseLanguage(text(facts.language), (tag) => engine.wordsLanguage(tag)))) updatePlayFromHere();
  maps.titleIs(text(facts.title));
}

function scheduleRefresh() {
  if (!work) return;  // typed before the engine was there: it reads the text as it stands
  editPending = true;
  maps.changed();
  clearTimeout(checkTimer);
  checkTimer = setTimeout(() => guarded(() => refresh()), CHECK_DELAY_MS);
}

// ---- play ----

function typeLine(line) {
  const state = play.state();
  if (state === null || state === engine.GameState.Finished || state === engine.GameState.Stopped) {
    say('The game has ended. Press Restart to play again.');
    return false;
  }
  replay({typed: [...work.lines, encodeText(line, work.encoding)]});
  // A line no exit of the room took is answered, as the player page does.
  if (play.lastEffect() === engine.ReadEffect.Ignored) {
    play.addNotice(line === '' ? words.get('noAnswerEmpty') : words.get('noAnswer', line));
  }
  picture.mark({current: play.currentRoom()});
  return true;
}

function undoLine() {
  const lines = takeBack.undo(work.lines);
  if (lines) {
    play.clearLog();
    replay({typed: lines, message: words.get('tookBackLines', lines.length)});
    picture.mark({current: play.currentRoom()});
    return;
  }
  if (work.lines.length === 0) {
    say(words.get('nothingToUndo'));
    return;
  }
  const taken = work.lines[work.lines.length - 1];
  replay({typed: work.lines.slice(0, -1), message: `Took back “${lineText(taken)}”.`});
  picture.mark({current: play.currentRoom()});
}

function restartGame() {
  if (work.lines.length > 0) takeBack.replaced(work.lines, []);
  play.clearLog();
  replay({typed: [], message: 'Started again.'});
  picture.mark({current: play.currentRoom()});
}

function playRoute(route) {
  playLines(route.keys.map(bytesOf), `Typed the route for you: ${text(route.text)}`);
}

// Plays `lines` (bytes) from the start, as if typed, and says `message`
// (replay does, with the log's notice).
function playLines(lines, message) {
  upToDate();
  takeBack.replaced(work.lines, lines);
  play.clearLog();
  replay({typed: lines, message});
  picture.mark({current: play.currentRoom()});
  page.line.focus();
}

function roomAtCursor() {
  return engine.roomAtLine(editor.cursorLine());
}

function updatePlayFromHere() {
  const room = roomAtCursor();
  page.playFromHere.disabled = room < 0;
  page.playFromHereRoom.textContent = room < 0 ? words.get('cursorInNoRoom') : words.get('cursorInRoom', room);
}

function playFromHere() {
  const room = roomAtCursor();
  if (room < 0) {
    say('Put the cursor in a room’s text first.');
    return;
  }
  const answer = engine.routeTo(room);
  if (answer.refused) {
    say('The runner refuses the map: see Problems.');
  } else if (answer.route) {
    playRoute(answer.route);
  } else {
    say(answer.warnings.map(text).join(' '));
  }
}

// ---- files ----

function showName() {
  page.mapName.textContent = `— ${work.name}`;
  document.title = `${work.name} — kaland studio`;
}

// Starts work on a map of the library: `record` ({name, fileModified}) and
// its `kept` work ({bytes, lines, scripts}).
function openWork(record, {bytes, lines = [], scripts = []}) {
  const {encoding, lineSeparator} = engine.setMap(bytes);
  const openedText = decodeBytes(bytes, encoding);
  work = {name: record.name, encoding, lineSeparator, shownEncoding: encoding, openedText, openedBytes: bytes, scripts, lines,
          modified: record.fileModified ?? null};
  engine.setName(encodeText(work.name, encoding));
  tokenCache.clear();
  takeBack.clear();
  if (performance.getEntriesByName('kaland-studio-editable').length === 0) performance.mark('kaland-studio-editable');
  const editedEarly = early !== null && early.text === openedText && early.lineSeparator === lineSeparator &&
    editor.version() !== early.version;
  if (early === null || early.text !== openedText || early.lineSeparator !== lineSeparator) {
    editor.setDocument(openedText, lineSeparator);
  }
  work.openedVersion = editedEarly ? early.version : editor.version();
  early = null;
  if (editedEarly) maps.changed();
  showName();
  page.typedScriptName.value = typedScriptName();
  randomGames.clear();
  shortenLines(page.coverage);
  problems.reset();
  publishing.mapOpened();
  play.clearLog();
  refresh({typed: lines});
  followFacts();
}

// What is kept of the map on the page.
function keptWork() {
  return {bytes: currentBytes(), pieces: work.pieces, lines: work.lines, encoding: work.encoding,
          lineSeparator: work.lineSeparator,
          scripts: work.scripts.map(({name, bytes, expected}) => ({name, bytes, expected: expected ?? null}))};
}

// The text shown before the engine has read the map: where the engine's
// last answer about these bytes is known, or where the bytes are ASCII
// (which every encoding shows alike) with no carriage return (so that LF
// alone ends a line), the text is on the page to be edited at once; the
// engine then takes it as it stands.
let early = null;  // {text, encoding, lineSeparator, version}: the text shown so

const isAscii = (bytes) => bytes.every((byte) => byte < 0x80);

function showEarly(record, {bytes}) {
  if (engine || (early && editor.version() !== early.version)) return;  // open, or written in already
  const plain = isAscii(bytes) && !bytes.includes(0x0d);
  const encoding = record.lineSeparator ? record.encoding : plain ? 'utf-8' : null;
  if (!encoding) return;
  const shown = decodeBytes(bytes, encoding);
  if (early && early.text === shown) return;
  const lineSeparator = record.lineSeparator ?? '\n';
  editor.setDocument(shown, lineSeparator);
  early = {text: shown, encoding, lineSeparator, version: editor.version()};
  performance.mark('kaland-studio-editable');
}

// The map on the page has a new name.
function renamed(name) {
  const typedDefault = page.typedScriptName.value === typedScriptName();
  work.name = name;
  engine.setName(encodeText(name, work.encoding));
  showName();
  if (typedDefault) page.typedScriptName.value = typedScriptName();
  refresh({typed: work.lines});
}

// A new map (UTF-8 bytes), named after its title (once the engine, which
// reads it, runs: until then it is named when it opens).
function newMap(bytes) {
  const title = engine ? decodeBytes(bytesOf(engine.factsOf(bytes).title), 'utf-8') : '';
  return maps.newMap(bytes, title);
}

// ---- key scripts and their transcripts ----

const scriptName = (script) => encodeText(script.name, work.encoding);

function listScripts() {
  showScripts(page.scripts, page.expectSummary, work.scripts, work.expectSummary ?? null, {
    text,
    onAction: (action, script) => guarded(() => scriptAction(action, script)),
    onGoToLine: (line) => editor.goToLine(line),
  });
}

// Plays every blessed script again and compares, as kaland-check --expect.
function expectScripts() {
  const blessed = work.scripts.filter((script) => script.expected);
  work.expectSummary = null;
  if (blessed.length > 0) {
    const answer = engine.expect(blessed.map((script) => ({name: scriptName(script), bytes: script.bytes,
                                                            expected: script.expected})));
    blessed.forEach((script, index) => {
      script.result = answer.scripts[index];
    });
    work.expectSummary = answer.summary;
  }
  listScripts();
}

// Keeps what the game writes along `script` as its SCRIPT.expected, and
// says so (`what` was blessed) in kaland-check's words.
function bless(script, what = script.name) {
  upToDate();
  const answer = engine.bless(scriptName(script), script.bytes);
  script.expected = answer.expected;
  say(`Blessed ${what}: ${text(answer.line)}`);
}

function scriptAction(action, script) {
  if (action === 'bless') {
    bless(script);
    expectScripts();
    saveWork();
  } else if (action === 'expected') {
    download(script.expected, `${script.name}.expected`, 'text/plain');
    say(`Saved ${script.name}.expected to your downloads.`);
  } else if (action === 'script') {
    download(script.bytes, script.name, 'text/plain');
    say(`Saved ${script.name} to your downloads.`);
  } else if (action === 'remove') {
    work.scripts = work.scripts.filter((other) => other !== script);
    scriptsChanged();
    say(`Removed ${script.name}${script.expected ? ' and its blessed transcript' : ''}.`);
    (page.scripts.querySelector('button') ?? $('open-scripts')).focus();
  }
}

function scriptsChanged() {
  expectScripts();
  saveWork();
  refreshSlowlySoon();
}

// The typed lines' name as a script, as the player page's Save keys names them.
const typedScriptName = () => text(engine.fileNamedAfter('.keys'));

function blessTypedLines() {
  const name = page.typedScriptName.value.trim() || typedScriptName();
  page.typedScriptName.value = name;
  const bytes = typedInput(work.lines);
  let script = work.scripts.find((other) => other.name === name);
  const count = work.lines.length;
  let what = `the ${count} typed ${count === 1 ? 'line' : 'lines'} as ${name}`;
  if (script) {
    script.bytes = bytes;
    what += ', in place of the script of that name';
  } else {
    script = {name, bytes, expected: null};
    work.scripts.push(script);
  }
  bless(script, what);
  scriptsChanged();
}

// Key scripts and the SCRIPT.expected files of scripts among them (by the
// name before .expected), in any order.
async function addScripts(files) {
  const isTranscript = (file) => file.name.endsWith('.expected');
  const unmatched = [];
  let added = 0;
  let opened = 0;
  for (const file of [...files.filter((file) => !isTranscript(file)), ...files.filter(isTranscript)]) {
    let bytes;
    try {
      bytes = new Uint8Array(await file.arrayBuffer());
    } catch (error) {
      unmatched.push(`${file.name} could not be read.`);
      continue;
    }
    if (!isTranscript(file)) {
      const known = work.scripts.find((script) => script.name === file.name);
      if (known) known.bytes = bytes;
      else work.scripts.push({name: file.name, bytes, expected: null});
      ++added;
      continue;
    }
    const name = file.name.slice(0, -'.expected'.length);
    const script = work.scripts.find((other) => other.name === name);
    if (script) {
      script.expected = bytes;
      ++opened;
    } else {
      unmatched.push(`${file.name} is the transcript of ${name}, which is not among the key scripts: add it too.`);
    }
  }
  await guarded(scriptsChanged);
  const counted = (count, noun) => `${count} ${noun}${count === 1 ? '' : 's'}`;
  say([`Added ${counted(added, 'key script')} and ${counted(opened, 'blessed transcript')}.`, ...unmatched].join(' '));
}

// ---- keeping the work ----

// The work is written among the author's maps a moment after each change.
function saveWork() {
  maps.changed();
}

// The one map earlier studios kept, in local storage, for the library to
// take in once: {name, work, forget()}, or null.
function oldWork() {
  try {
    const saved = JSON.parse(localStorage.getItem(OLD_WORK_KEY) ?? 'null');
    const encoding = saved?.encoding === 'utf-8' ? 'utf-8' : 'windows-1250';
    // The typed lines' bytes; work kept before they were kept as bytes has their text.
    const lines = Array.isArray(saved?.typed) ? saved.typed.filter((line) => typeof line === 'string').map(bytesOf)
      : Array.isArray(saved?.lines) ? saved.lines.filter((line) => typeof line === 'string')
        .map((line) => encodeText(line, encoding)) : null;
    if (!saved || typeof saved.text !== 'string' || typeof saved.name !== 'string' || !lines) return null;
    const scripts = (Array.isArray(saved.scripts) ? saved.scripts : [])
      .filter((script) => script && typeof script.name === 'string' && typeof script.bytes === 'string')
      .map((script) => ({name: script.name, bytes: bytesOf(script.bytes),
                         expected: typeof script.expected === 'string' ? bytesOf(script.expected) : null}));
    const bytes = encodeText(saved.text, encoding);
    return {name: saved.name, work: {bytes, lines, scripts},
            forget: () => localStorage.removeItem(OLD_WORK_KEY)};
  } catch (error) {
    return null;  // nothing kept, or not ours
  }
}

// ---- wiring ----

// Runs an action; should the engine ever fail, a fresh one takes over.
async function guarded(action) {
  try {
    action();
  } catch (error) {
    say('The engine failed and was started afresh.');
    await startEngine();
    if (work) refresh({typed: work.lines});
  }
}

async function startEngine() {
  engine = makeStudioEngine(await createStudioEngine());
  // "Add room" once the engine that proposes the room runs.
  $('add-room').hidden = false;
  engine.setMachineMemory(navigator.deviceMemory);
  randomGames.setDefaults(engine.randomDefaults);
}

function wire() {
  page.command.addEventListener('submit', (event) => {
    event.preventDefault();
    const line = page.line.value;
    guarded(() => {
      if (typeLine(line)) page.line.value = '';
    });
  });
  page.line.addEventListener('keydown', (event) => {
    if ((event.ctrlKey || event.metaKey) && event.key.toLowerCase() === 'z' && page.line.value === '') {
      event.preventDefault();
      guarded(undoLine);
    }
  });
  page.undo.addEventListener('click', () => guarded(undoLine));
  page.restart.addEventListener('click', () => guarded(restartGame));
  page.playFromHere.addEventListener('click', () => guarded(playFromHere));
  $('new-map').addEventListener('click', async () => {
    await newMap(encodeText(words.get('newMapText'), 'utf-8'));
    say(words.get('newMapStarted'));
    editor.goToLine(1);
  });
  // Where the browser has file-system access, Open remembers the file, and
  // Save writes it back.
  $('open-map').addEventListener('click', (event) => {
    if (!window.showOpenFilePicker) return;
    event.preventDefault();
    maps.openWithPicker();
  });
  $('open-map').addEventListener('change', (event) => {
    const file = event.target.files[0];
    event.target.value = '';
    if (file) maps.openFile(file);
  });
  $('save-map').addEventListener('click', () => maps.save());
  $('publish').addEventListener('click', () => guarded(() => publishing.publish(false)));
  $('publish-zip').addEventListener('click', () => guarded(() => publishing.publish(true)));
  $('bless-all').addEventListener('click', () => guarded(blessAll));
  $('add-room').addEventListener('click', () => guarded(() => {
    upToDate();
    const room = engine.addRoom(editor.cursorLine());
    if (room) problems.applyFix(room);
    else say(words.get('noRoomAdded'));
  }));
  page.wrapLines.addEventListener('change', () => {
    page.wrapLines.dataset.chosen = 'true';
    editor.setWrapping(page.wrapLines.checked);
    maps.setSetting(WRAP_SETTING, page.wrapLines.checked);
  });
  for (const input of [$('open-scripts'), $('open-expected')]) {
    input.addEventListener('change', (event) => {
      const files = [...event.target.files];
      event.target.value = '';
      addScripts(files);
    });
  }
  $('clear-scripts').addEventListener('click', () => {
    const blessed = work.scripts.filter((script) => script.expected).length;
    if (blessed > 0 && !window.confirm(`Remove every key script, and the ${blessed} blessed ` +
                                       `${blessed === 1 ? 'transcript' : 'transcripts'} with them?`)) return;
    work.scripts = [];
    guarded(scriptsChanged);
    say('Removed the key scripts.');
  });
  $('bless-typed-form').addEventListener('submit', (event) => {
    event.preventDefault();
    guarded(blessTypedLines);
  });
  // A file dropped anywhere opens it (the editor would insert its text).
  document.addEventListener('dragover', (event) => {
    if (!event.dataTransfer.types.includes('Files')) return;
    event.preventDefault();
    document.body.classList.add('dropping');
  }, true);
  document.addEventListener('dragleave', () => document.body.classList.remove('dropping'));
  document.addEventListener('drop', (event) => {
    document.body.classList.remove('dropping');
    if (event.dataTransfer.files.length === 0) return;
    event.preventDefault();
    event.stopPropagation();
    maps.openFile(event.dataTransfer.files[0]);
  }, true);
}

// Long lines wrap on a narrow screen, unless the author has chosen.
const narrowScreen = window.matchMedia(NARROW_SCREEN);

function wrapLines(on) {
  page.wrapLines.checked = on;
  editor.setWrapping(on);
}

function followScreenWidth() {
  page.wrapLines.checked = narrowScreen.matches;
  narrowScreen.addEventListener('change', () => {
    if (!page.wrapLines.dataset.chosen) wrapLines(narrowScreen.matches);
  });
}

// The author's choices, once the library has them.
async function takeChoices() {
  const [wrap, refuse] = await Promise.all([maps.setting(WRAP_SETTING), maps.setting(REFUSE_SETTING)]);
  if (typeof wrap === 'boolean' && !page.wrapLines.dataset.chosen) {
    page.wrapLines.dataset.chosen = 'true';
    wrapLines(wrap);
  }
  if (typeof refuse === 'boolean') $('refuse-on-warnings').checked = refuse;
}

async function startStudio() {
  words.use(chooseLanguage(''));
  editor = createEditor($('editor'), {
    onChange: scheduleRefresh,
    onCursor: () => engine && work && updatePlayFromHere(),
    onQuickFix: () => problems.fixAtCursor(),
    tokensOf,
    wrap: narrowScreen.matches,
  });
  followScreenWidth();
  performance.mark('kaland-studio-editor');
  const bundled = $('bundled-map');
  maps = createMaps({
    list: $('map-list'), rename: $('rename-map'), renameForm: $('rename-form'), renameInput: $('rename-input'),
    renameCancel: $('rename-cancel'), remove: $('delete-map'), undoRemove: $('undo-delete'),
    storageNote: $('storage-note'),
  }, {
    open: (record, kept) => guarded(() => openWork(record, kept)),
    preview: showEarly,
    previewEdited: () => early !== null && editor.version() !== early.version,
    previewBytes: () => encodeText(editor.text(), early.encoding),
    snapshot: keptWork,
    renamed: (name) => guarded(() => renamed(name)),
    say,
    words,
    // The largest map the page opens, once the engine that says it runs.
    maxMapBytes: () => starting.then(() => engine.maxMapBytes, () => Infinity),
    bundled: {name: bundled.dataset.name, bytes: () => decodeBase64(bundled.textContent)},
  });
  // The library opens (and the map's text comes) while the rest is made;
  // the engine's code follows the studio's script in the page.
  const parsed = new Promise((resolve) => {
    if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', resolve);
    else resolve();
  });
  const starting = parsed.then(startEngine);
  const opening = maps.start(oldWork, starting);
  opening.catch(() => {});  // told below, as the engine's failure
  play = createPlay(page.log);
  problems = createProblems({list: page.problems, fixes: $('fixes'), summary: page.summary, news: $('problem-news')}, {
    editor, text, words, say, mapName: () => work.name, stale: () => editPending,
  });
  publishing = createPublishing({
    refuse: $('refuse-on-warnings'), summary: $('publish-summary'), warnings: $('publish-warnings'),
    ifidOffer: $('ifid-offer'), freshIfid: $('fresh-ifid'), insertIfid: $('insert-ifid'),
  }, {
    engine: () => engine, upToDate, text, editor, say, words, playerPage: () => $('player-page'),
    remember: (refuse) => maps.setSetting(REFUSE_SETTING, refuse),
    applyFix: (fix) => problems.applyFix(fix),
    goToLine: (line) => editor.goToLine(line),
    work: () => ({name: work.name, modified: editor.version() === work.openedVersion ? work.modified : null}),
  });
  randomGames = createRandomGames({
    form: $('random-form'), games: $('random-games'), seed: $('random-seed'), steps: $('random-steps'),
    play: $('random-play'), stop: $('random-stop'), error: $('random-error'), progress: $('random-progress'),
    progressBar: $('random-progress-bar'), stale: $('random-stale'), report: $('random-report'),
    defect: $('random-defect'), playDefect: $('random-play-defect'), saveKeys: $('random-save-keys'),
  }, {
    engine: () => engine,
    workerSource: () => `${$('studio-engine').textContent}\n${$('random-worker').textContent}`,
    work: () => {
      upToDate();
      return {map: currentBytes(), name: encodeText(work.name, work.encoding), text: editor.version(),
              machineMemory: navigator.deviceMemory};
    },
    mapText: () => editor.version(),
    text,
    onPlay: (lines, game) => guarded(() => playLines(lines, `Typed the lines of random game ${game} for you.`)),
    say,
  });
  const view = createPictureView($('picture'), {
    zoomIn: $('zoom-in'), zoomOut: $('zoom-out'), fit: $('zoom-fit'), actual: $('zoom-actual'), level: $('zoom-level'),
  }, {textSize: () => Number.parseFloat(getComputedStyle(editor.view.contentDOM).fontSize) || 16, words});
  picture = createPicture($('picture'), () => $('viz-worker').textContent, {
    onChooseRoom: (room) => editor.goToLine(room.line),
    view,
  });
  start = createStart({help: $('start-help'), show: $('show-help'), hide: $('hide-help'),
                       openTemplate: $('open-template')}, {
    templateText: () => decodeBytes(decodeBase64($('template-map').textContent), 'utf-8'),
    freshIfid: () => engine.freshIfid(crypto.getRandomValues(new Uint8Array(16))),
    openMap: async (bytes) => {
      await newMap(bytes);
      say(words.get('templateOpened'));
    },
  });
  wire();
  try {
    await starting;
  } catch (error) {
    say('This browser cannot run the studio’s engine (WebAssembly is needed).');
    return;
  }
  const {firstVisit} = await opening;
  start.started({firstVisit});
  takeChoices();
  editor.recolour();
  document.body.dataset.ready = 'true';
  performance.mark('kaland-studio-ready');
  picture.warmUp();
}

// ---- more of the testing pane ----

// Blesses every key script, as kaland-check --bless does for each.
function blessAll() {
  if (work.scripts.length === 0) {
    say(words.get('noScriptsToBless'));
    return;
  }
  for (const script of work.scripts) bless(script);
  expectScripts();
  saveWork();
  say(words.get('blessedAll', work.scripts.length));
}

startStudio();
