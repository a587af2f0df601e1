// kaland studio: the map's text in an editor, checked, played, drawn, tested
// and published by the engine (the C++ core and checker compiled to
// WebAssembly) after every edit. This file wires the panes together; what a
// map means is only ever the engine's answer.
'use strict';

import {byteStringOf, bytesOf, joinBytes, makeStudioEngine} from './studio_api.js';
import {createEditor} from './editor.js';
import {createPlay} from './play.js';
import {createPicture} from './picture.js';
import {createRandomGames} from './random.js';
import {shortenLines, showCounts, showCoverage, showRoutes, showScripts} from './testing.js';
import {decodeBase64, decodeBytes, download, encodeText} from './text.js';

const STORAGE_KEY = 'kaland-studio:work';
const CHECK_DELAY_MS = 30;   // after the last keystroke: check and play again
const SLOW_DELAY_MS = 400;   // then the picture, routes, coverage and counts
const TYPED_LINES_NAME = 'typed lines';

const NEW_MAP = `# A new kaland map. Lines starting with an unknown # word are comments.
#helyiseg 1
You stand at the start of your story. [n] go north, [s] sit down
#irany N 2 n
#irany N 3 s
#helyiseg 2
The road north ends at the sea. (Press Enter)
#irany E 1
#helyiseg 3
You sit down and the story ends here.
#gameover
`;

const $ = (id) => document.getElementById(id);
const page = {
  mapName: $('map-name'), status: $('status'), problems: $('problems'), summary: $('problem-summary'),
  log: $('log'), command: $('command'), line: $('line'), undo: $('undo'), restart: $('restart'),
  playFromHere: $('play-from-here'), playFromHereRoom: $('play-from-here-room'),
  counts: $('counts'), routes: $('routes'), routeWarnings: $('route-warnings'), coverage: $('coverage'),
  scripts: $('scripts'), expectSummary: $('expect-summary'), typedScriptName: $('typed-script-name'),
};

let engine = null;
let editor = null;
let play = null;
let picture = null;
let randomGames = null;
// The map being written: its name, how its bytes are shown, the bytes it was
// opened with (saved as they are while the text is unchanged), the lines
// typed (as bytes, each without its newline), key scripts ({name, bytes,
// expected: the bytes of its blessed SCRIPT.expected or null, result: what
// --expect says of it}) and --expect's summary line.
let work = null;
let checkTimer = 0;
let editPending = false;  // an edit the engine has not seen yet
let slowTimer = 0;
// The picture, the routes and the counts are of the map before the last
// check: typed lines and key scripts change none of them.
let mapViewsStale = true;
const tokenCache = new Map();

function say(message) {
  page.status.textContent = message;
}

// Text of the engine's byte strings, in the map's encoding.
const text = (byteString) => decodeBytes(bytesOf(byteString), work.encoding);

function currentBytes() {
  const current = editor.text();
  return current === work.openedText ? work.openedBytes : encodeText(current, work.encoding);
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
  const diagnostics = check.diagnostics.map((diagnostic) => ({...diagnostic, text: text(diagnostic.text)}));
  editor.showDiagnostics(diagnostics);
  page.problems.replaceChildren(...diagnostics.map((diagnostic) => {
    const button = document.createElement('button');
    button.type = 'button';
    button.className = diagnostic.severity;
    button.textContent = diagnostic.text;
    button.addEventListener('click', () => editor.goToLine(diagnostic.line || 1));
    const item = document.createElement('li');
    item.appendChild(button);
    return item;
  }));
  page.summary.textContent = `(${text(check.summary)})`;
}

function replay(options = {}) {
  const notice = play.replay({
    play: (lines) => engine.play(typedInput(lines)),
    decode: (bytes) => decodeBytes(bytes, work.shownEncoding),
    lineText,
    roomDescribed: (room) => engine.roomDescribed(room),
    ...options,
  });
  work.lines = play.lines();
  page.undo.disabled = work.lines.length === 0;
  if (notice) say(notice.text);
  refreshSlowlySoon();
  return notice;
}

// Checks and plays the map as it stands. `options` go to the play pane.
// The picture, the tests and the counts follow after a pause.
function refresh(options = {changed: true}) {
  clearTimeout(checkTimer);
  editPending = false;
  work.shownEncoding = engine.setMap(currentBytes()).encoding;
  engine.setName(encodeText(work.name, work.encoding));
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

// What takes longer, after the author pauses; then the work is kept.
function refreshSlowlySoon() {
  clearTimeout(slowTimer);
  slowTimer = setTimeout(() => guarded(refreshSlowly), SLOW_DELAY_MS);
}

function refreshSlowly() {
  const mapChanged = mapViewsStale;
  if (mapChanged) {
    const drawing = engine.dot(picture.maxItems());
    picture.draw(drawing.tooLarge ? drawing : {...drawing, dot: decodeBytes(bytesOf(drawing.dot), 'utf-8')});
  }
  const scripts = [{name: TYPED_LINES_NAME, bytes: typedInput(work.lines)}, ...work.scripts]
    .map((script) => ({name: scriptName(script), bytes: script.bytes}));
  const coverage = engine.cover(scripts);
  showCoverage(page.coverage, coverage, text);
  picture.mark({current: play.currentRoom(), unshownRooms: coverage.unshownRooms ?? [],
                untakenExits: coverage.untakenExits ?? []});
  if (mapChanged) {
    showRoutes(page.routes, page.routeWarnings, engine.routes(), text, playRoute);
    showCounts(page.counts, engine.counts());
    mapViewsStale = false;
  }
  saveWork();
}

function scheduleRefresh() {
  editPending = true;
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
  picture.mark({current: play.currentRoom()});
  return true;
}

function undoLine() {
  if (work.lines.length === 0) {
    say('Nothing to undo.');
    return;
  }
  const taken = work.lines[work.lines.length - 1];
  replay({typed: work.lines.slice(0, -1), message: `Took back “${lineText(taken)}”.`});
  picture.mark({current: play.currentRoom()});
}

function restartGame() {
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
  page.playFromHereRoom.textContent = room < 0 ? '(put the cursor in a room)' : `(room ${room})`;
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

// Starts work on a map: `bytes` named `name`, with `lines` typed and key
// `scripts`.
function openWork(bytes, name, lines = [], scripts = []) {
  if (bytes.length > engine.maxMapBytes) {
    say(`${name} is larger than ${engine.maxMapBytes / 1024 / 1024} MB, the most the page opens.`);
    return;
  }
  saveHandle = null;
  const {encoding, lineSeparator} = engine.setMap(bytes);
  const openedText = decodeBytes(bytes, encoding);
  work = {name, encoding, shownEncoding: encoding, openedText, openedBytes: bytes, scripts, lines};
  engine.setName(encodeText(name, encoding));
  tokenCache.clear();
  editor.setDocument(openedText, lineSeparator);
  showName();
  page.typedScriptName.value = typedScriptName();
  randomGames.clear();
  shortenLines(page.coverage);
  play.clearLog();
  refresh({typed: lines});
}

// Opens a file the author chose or dropped. Returns whether it opened.
async function openFile(file) {
  if (!file) return false;
  if (file.size > engine.maxMapBytes) {
    say(`${file.name} is larger than ${engine.maxMapBytes / 1024 / 1024} MB, the most the page opens.`);
    return false;
  }
  let bytes;
  try {
    bytes = new Uint8Array(await file.arrayBuffer());
  } catch (error) {
    say(`${file.name} could not be read.`);
    return false;
  }
  await guarded(() => {
    openWork(bytes, file.name);
    work.modified = file.lastModified;
    say(`Opened ${file.name}.`);
  });
  return work.name === file.name && work.openedBytes === bytes;
}

// The file a map opened through the browser's file-system access came from:
// Save writes it back there. Maps opened otherwise are saved as downloads.
let saveHandle = null;

async function openWithPicker() {
  let handle;
  try {
    [handle] = await window.showOpenFilePicker({types: [{description: 'kaland maps', accept: {'text/plain': ['.map', '.txt']}}]});
  } catch (error) {
    return;  // the author closed the picker
  }
  if (await openFile(await handle.getFile())) saveHandle = handle;
}

async function saveMap() {
  const bytes = currentBytes();
  if (saveHandle) {
    try {
      const writable = await saveHandle.createWritable();
      await writable.write(bytes);
      await writable.close();
      say(`Saved ${saveHandle.name}.`);
      return;
    } catch (error) {
      saveHandle = null;  // not allowed to write it: download instead
    }
  }
  download(bytes, work.name, 'text/plain');
  say(`Saved ${work.name} to your downloads.`);
}

// Writes what kaland-publish writes for the map: its page or, `asZip`, the
// zip for game sites, dated as the map was last changed.
function publish(asZip) {
  upToDate();
  const random = crypto.getRandomValues(new Uint8Array(16));
  const time = editor.text() === work.openedText && work.modified ? new Date(work.modified) : new Date();
  const result = engine.publish(decodeBase64($('player-page').textContent), random, {asZip, time});
  if (!result.bytes) {
    say(decodeBytes(result.refusal, work.encoding).trim().replace(/\n/g, ' '));
    return;
  }
  const name = text(engine.fileNamedAfter(asZip ? '.zip' : '.html'));
  download(result.bytes, name, asZip ? 'application/zip' : 'text/html');
  const what = asZip ? 'the zip a game site takes (index.html, the map, its iFiction record, README.txt)'
                     : 'one page that plays the map in any browser';
  say(`Published ${name}: ${what}. ${text(result.warnings).trim().replace(/\n/g, ' ')}`.trim());
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

let scriptsUnkept = false;  // the browser had no room for the key scripts

function saveWork() {
  const kept = {name: work.name, encoding: work.encoding, text: editor.text(), typed: work.lines.map(byteStringOf)};
  const scripts = work.scripts.map((script) => ({
    name: script.name, bytes: byteStringOf(script.bytes), expected: script.expected && byteStringOf(script.expected),
  }));
  try {
    localStorage.setItem(STORAGE_KEY, JSON.stringify({...kept, scripts}));
    scriptsUnkept = false;
    return;
  } catch (error) {
    // Full storage: keep the map at least, and say what is not kept.
  }
  try {
    localStorage.setItem(STORAGE_KEY, JSON.stringify(kept));
  } catch (error) {
    // Private windows refuse too; the work goes on unsaved.
  }
  if (!scriptsUnkept) say('The browser has no room to keep the key scripts and their transcripts: download them.');
  scriptsUnkept = true;
}

// The key scripts kept with the work, as saveWork keeps them.
function keptScripts(saved) {
  if (!Array.isArray(saved)) return [];
  return saved.filter((script) => script && typeof script.name === 'string' && typeof script.bytes === 'string')
    .map((script) => ({name: script.name, bytes: bytesOf(script.bytes),
                       expected: typeof script.expected === 'string' ? bytesOf(script.expected) : null}));
}

function restoreWork() {
  try {
    const saved = JSON.parse(localStorage.getItem(STORAGE_KEY) ?? 'null');
    const encoding = saved?.encoding === 'utf-8' ? 'utf-8' : 'windows-1250';
    // The typed lines' bytes; work kept before they were kept as bytes has their text.
    const typed = Array.isArray(saved?.typed) ? saved.typed.filter((line) => typeof line === 'string').map(bytesOf)
      : Array.isArray(saved?.lines) ? saved.lines.filter((line) => typeof line === 'string')
        .map((line) => encodeText(line, encoding)) : null;
    if (saved && typeof saved.text === 'string' && typeof saved.name === 'string' && typed) {
      openWork(encodeText(saved.text, encoding), saved.name, typed, keptScripts(saved.scripts));
      say('Your work is back as you left it.');
      return true;
    }
  } catch (error) {
    // Nothing kept, or not ours: start with the bundled adventure.
  }
  return false;
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
  $('new-map').addEventListener('click', () => guarded(() => {
    openWork(encodeText(NEW_MAP, 'utf-8'), 'untitled.map');
    say('A new map from the template.');
  }));
  // Where the browser has file-system access, Open remembers the file, and
  // Save writes it back.
  $('open-map').addEventListener('click', (event) => {
    if (!window.showOpenFilePicker) return;
    event.preventDefault();
    openWithPicker();
  });
  $('open-map').addEventListener('change', (event) => {
    const file = event.target.files[0];
    event.target.value = '';
    openFile(file);
  });
  $('save-map').addEventListener('click', () => saveMap());
  $('publish').addEventListener('click', () => guarded(() => publish(false)));
  $('publish-zip').addEventListener('click', () => guarded(() => publish(true)));
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
    openFile(event.dataTransfer.files[0]);
  }, true);
}

async function start() {
  editor = createEditor($('editor'), {
    onChange: scheduleRefresh,
    onCursor: () => engine && work && updatePlayFromHere(),
    tokensOf,
  });
  performance.mark('kaland-studio-editor');
  play = createPlay(page.log);
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
      return {map: currentBytes(), name: encodeText(work.name, work.encoding), text: editor.text(),
              machineMemory: navigator.deviceMemory};
    },
    mapText: () => editor.text(),
    text,
    onPlay: (lines, game) => guarded(() => playLines(lines, `Typed the lines of random game ${game} for you.`)),
    say,
  });
  picture = createPicture($('picture'), $('viz-worker').textContent, {
    onChooseRoom: (room) => editor.goToLine(room.line),
  });
  wire();
  try {
    await startEngine();
  } catch (error) {
    say('This browser cannot run the studio’s engine (WebAssembly is needed).');
    return;
  }
  if (!restoreWork()) {
    const bundled = $('bundled-map');
    openWork(decodeBase64(bundled.textContent), bundled.dataset.name);
  }
  editor.recolour();
  document.body.dataset.ready = 'true';
  performance.mark('kaland-studio-ready');
  picture.warmUp();
}

start();
