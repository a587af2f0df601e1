// The page: a thin view over the engine. Its state is the map's bytes and
// the lines typed so far; the log, undo, restart and resume all come from
// playing those lines again through the engine. Map text reaches the
// document only as text nodes.
'use strict';

(() => {
  // Files larger than this are refused before they reach the engine.
  const MAX_MAP_BYTES = 64 * 1024 * 1024;
  const STORAGE_PREFIX = 'kaland:game:';

  const page = {
    title: document.getElementById('kaland-title'),
    author: document.getElementById('kaland-author'),
    status: document.getElementById('status'),
    log: document.getElementById('log'),
    form: document.getElementById('command'),
    line: document.getElementById('line'),
    undo: document.getElementById('undo'),
    restart: document.getElementById('restart'),
    save: document.getElementById('save'),
    open: document.getElementById('open'),
    embeddedMap: document.getElementById('kaland-map'),
  };

  let engine = null;
  // The game on show: its map, how its bytes become text, the lines typed.
  let game = null;
  // What the log shows, as the engine's text pieces and the typed lines
  // between them: log children are text, echo, text, echo, ..., text.
  let shown = [];

  function say(message) {
    page.status.textContent = message;
  }

  // ---- bytes and text ----

  // Typed text as bytes in the map's own encoding, so that an accented key
  // of a windows-1250 map can be typed.
  function makeLineEncoder(encoding) {
    if (encoding === 'utf-8') {
      const encoder = new TextEncoder();
      return (text) => encoder.encode(text);
    }
    const decoder = new TextDecoder(encoding);
    const byteOf = new Map();
    for (let byte = 0xff; byte >= 0; --byte) byteOf.set(decoder.decode(Uint8Array.of(byte)), byte);
    return (text) => Uint8Array.from(Array.from(text), (character) => byteOf.get(character) ?? 0x3f);
  }

  // A short fingerprint of the map's bytes: the key of its saved game.
  function fingerprint(bytes) {
    let first = 0x811c9dc5 ^ bytes.length;
    let second = 0x2545f491;
    for (let index = 0; index < bytes.length; ++index) {
      first = Math.imul(first ^ bytes[index], 0x01000193);
      second = Math.imul(second ^ bytes[index], 0x5bd1e995);
      second ^= second >>> 15;
    }
    const hex = (value) => (value >>> 0).toString(16).padStart(8, '0');
    return `${bytes.length}-${hex(first)}${hex(second)}`;
  }

  function decodeBase64(text) {
    const binary = atob(text.replace(/\s+/g, ''));
    const bytes = new Uint8Array(binary.length);
    for (let index = 0; index < binary.length; ++index) bytes[index] = binary.charCodeAt(index);
    return bytes;
  }

  // ---- saved games ----

  function loadSavedLines(key) {
    try {
      const saved = JSON.parse(localStorage.getItem(STORAGE_PREFIX + key) ?? 'null');
      if (saved && Array.isArray(saved.lines) && saved.lines.every((line) => typeof line === 'string')) {
        return saved.lines;
      }
    } catch (error) {
      // No storage, or something else's value under our key: start afresh.
    }
    return [];
  }

  function saveLines() {
    try {
      localStorage.setItem(STORAGE_PREFIX + game.key, JSON.stringify({lines: game.lines}));
    } catch (error) {
      // Private windows and full storage refuse; the game goes on unsaved.
    }
  }

  // ---- the engine ----

  async function startEngine() {
    engine = makeKalandEngine(await createKalandEngine());
  }

  function inputBytes(lines) {
    const pieces = lines.map((line) => game.encodeLine(line + '\n'));
    const input = new Uint8Array(pieces.reduce((total, piece) => total + piece.length, 0));
    let offset = 0;
    for (const piece of pieces) {
      input.set(piece, offset);
      offset += piece.length;
    }
    return input;
  }

  // Plays the typed lines from the start. Returns the engine's result, with
  // the lines the game actually read (a saved game of an older page may hold
  // lines past its end).
  function replay(lines) {
    const result = engine.play(inputBytes(lines));
    result.lines = lines.slice(0, Math.min(lines.length, result.reads.length));
    return result;
  }

  // ---- the log ----

  // The transcript as log children: the engine's text up to each line read,
  // the typed line, and so on, ending with the text after the last line.
  function transcriptOf(result) {
    const decoder = new TextDecoder(game.encoding);
    const pieces = [];
    let start = 0;
    result.lines.forEach((line, index) => {
      const end = result.reads[index];
      pieces.push({text: decoder.decode(result.output.subarray(start, end), {stream: true})});
      pieces.push({typed: line});
      start = end;
    });
    pieces.push({text: decoder.decode(result.output.subarray(start))});
    return pieces;
  }

  function samePiece(first, second) {
    return first.text === second.text && first.typed === second.typed;
  }

  function makeNode(piece) {
    if (piece.text !== undefined) return document.createTextNode(piece.text);
    // The echo of a typed line: shown, but not read out again.
    const echo = document.createElement('span');
    echo.className = 'input';
    echo.setAttribute('aria-hidden', 'true');
    echo.textContent = piece.typed + '\n';
    return echo;
  }

  // Changes the log into `pieces` by removing and appending at its end only,
  // so that a screen reader announces just the new text, once.
  function showTranscript(pieces) {
    let kept = 0;
    while (kept < shown.length && kept < pieces.length && samePiece(shown[kept], pieces[kept])) ++kept;
    const nodes = page.log.childNodes;
    if (kept === shown.length - 1 && kept < pieces.length && shown[kept].text !== undefined &&
        pieces[kept].text !== undefined && pieces[kept].text.startsWith(shown[kept].text)) {
      nodes[kept].appendData(pieces[kept].text.slice(shown[kept].text.length));
      ++kept;
    }
    while (nodes.length > kept) page.log.removeChild(page.log.lastChild);
    for (const piece of pieces.slice(kept)) page.log.appendChild(makeNode(piece));
    shown = pieces;
    page.log.scrollTop = page.log.scrollHeight;
  }

  // ---- the game ----

  function describeEnd(result) {
    if (result.outOfMemory) {
      return 'This map needs more memory than the browser gives this page. Open another map, or play it with the kaland program.';
    }
    if (result.state === KalandGameState.Stopped) return 'The map stopped the game. Open another map, or restart.';
    if (result.state === KalandGameState.Finished) return 'The game has ended. Press Play again to start over.';
    return '';
  }

  function updateControls(result) {
    const over = result.state === KalandGameState.Finished || result.state === KalandGameState.Stopped;
    page.restart.textContent = over ? 'Play again' : 'Restart';
    page.undo.disabled = game.lines.length === 0;
  }

  // Plays `lines` and shows the outcome. Returns the engine's result.
  function play(lines, message = '') {
    const result = replay(lines);
    game.lines = result.lines;
    game.state = result.state;
    showTranscript(transcriptOf(result));
    updateControls(result);
    saveLines();
    say(describeEnd(result) || message);
    return result;
  }

  function showTitle(fixedTitle) {
    const decoder = new TextDecoder(game.encoding);
    const title = fixedTitle || decoder.decode(engine.mapTitle()) || game.name || 'kaland';
    page.title.textContent = title;
    document.title = title;
    // The map's own #author, under the title.
    const author = decoder.decode(engine.mapAuthor());
    page.author.textContent = author;
    page.author.hidden = author === '';
  }

  // Starts the map `bytes` (named `name`): its saved game comes back, if any.
  // Returns false, leaving the current game, when the browser cannot hold it.
  function openMap(bytes, name, fixedTitle) {
    if (bytes.length > MAX_MAP_BYTES) {
      say(`${name} is larger than ${MAX_MAP_BYTES / 1024 / 1024} MB, the most this page opens. The game before goes on.`);
      return false;
    }
    const previous = game;
    const loaded = engine.load(bytes);
    if (loaded === 'memory') {
      const refusal = `${name} needs more memory than the browser gives this page. Play it with the kaland program.`;
      if (previous) {
        engine.load(previous.bytes);
        play(previous.lines);
        say(`${refusal} The game before goes on.`);
      } else {
        say(refusal);
      }
      return false;
    }
    const encoding = engine.encoding();
    game = {bytes, name, encoding, encodeLine: makeLineEncoder(encoding), key: fingerprint(bytes), lines: [], state: 0};
    page.log.replaceChildren();
    shown = [];
    showTitle(fixedTitle);
    const saved = loadSavedLines(game.key);
    play(saved, saved.length > 0 ? 'Your saved game is back. Press Restart to begin anew.' : '');
    return true;
  }

  function typeLine(line) {
    if (game.state === KalandGameState.Finished || game.state === KalandGameState.Stopped) {
      say('The game has ended. Press Play again, or open another map.');
      return false;
    }
    play([...game.lines, line]);
    return true;
  }

  function undoLine() {
    if (game.lines.length === 0) {
      say('Nothing to undo.');
      return;
    }
    const taken = game.lines[game.lines.length - 1];
    play(game.lines.slice(0, -1), `Took back “${taken}”.`);
  }

  function restartGame() {
    page.log.replaceChildren();
    shown = [];
    play([], 'Started again.');
  }

  function saveTranscript() {
    const blob = new Blob([page.log.textContent], {type: 'text/plain;charset=utf-8'});
    const link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = `${game.name.replace(/\.[^.]*$/, '') || 'kaland'}-transcript.txt`;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
    say(`Saved the transcript as ${link.download}.`);
  }

  async function openFile(file) {
    if (!file) return;
    if (file.size > MAX_MAP_BYTES) {
      say(`${file.name} is larger than ${MAX_MAP_BYTES / 1024 / 1024} MB, the most this page opens. The game before goes on.`);
      return;
    }
    let bytes;
    try {
      say(`Opening ${file.name}…`);
      // Let the message show before a large map keeps the engine busy.
      await new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve, 0)));
      bytes = new Uint8Array(await file.arrayBuffer());
    } catch (error) {
      say(`${file.name} could not be read.`);
      return;
    }
    guarded(() => openMap(bytes, file.name, ''), false);
  }

  // Runs an action on the engine; should the engine ever fail, a fresh one
  // takes over with the same map and lines. Actions on the game wait for a
  // map that the browser could hold.
  async function guarded(action, needsGame = true) {
    if (needsGame && !game) {
      say('Open a map to play.');
      page.line.focus();
      return;
    }
    try {
      action();
    } catch (error) {
      say('The engine failed and was started afresh.');
      await startEngine();
      if (game) {
        engine.load(game.bytes);
        play(game.lines);
      }
    }
    page.line.focus();
  }

  // ---- wiring ----

  function wireControls() {
    page.form.addEventListener('submit', (event) => {
      event.preventDefault();
      const line = page.line.value;
      guarded(() => {
        if (typeLine(line)) page.line.value = '';
      });
    });
    page.line.addEventListener('keydown', (event) => {
      if ((event.ctrlKey || event.metaKey) && !event.altKey && event.key.toLowerCase() === 'z' &&
          page.line.value === '') {
        event.preventDefault();
        guarded(undoLine);
      }
    });
    page.undo.addEventListener('click', () => guarded(undoLine));
    page.restart.addEventListener('click', () => guarded(restartGame));
    page.save.addEventListener('click', () => guarded(saveTranscript));
    page.open.addEventListener('change', () => {
      const file = page.open.files[0];
      page.open.value = '';
      openFile(file);
    });
    document.addEventListener('dragover', (event) => {
      event.preventDefault();
      document.body.classList.add('dropping');
    });
    document.addEventListener('dragleave', () => document.body.classList.remove('dropping'));
    document.addEventListener('drop', (event) => {
      event.preventDefault();
      document.body.classList.remove('dropping');
      openFile(event.dataTransfer.files[0]);
    });
  }

  async function start() {
    wireControls();
    try {
      await startEngine();
    } catch (error) {
      say('This browser cannot run the game engine (WebAssembly is needed).');
      return;
    }
    const fixedTitle = page.title.dataset.source === 'page' ? page.title.textContent : '';
    openMap(decodeBase64(page.embeddedMap.textContent), page.embeddedMap.dataset.name || 'map', fixedTitle);
    page.line.focus();
    document.body.dataset.ready = 'true';
    // For the benchmark: when the first room has been painted.
    requestAnimationFrame(() => setTimeout(() => performance.mark('kaland-first-room'), 0));
  }

  start();
})();
