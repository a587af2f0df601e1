// The page: a thin view over the engine. Its state is the map's bytes and
// the lines typed so far; the log, undo, restart and resume all come from
// playing those lines again through the engine. A game always writes the
// same transcript for the same lines, so after a typed line the page adds
// only what is new, and after Undo it drops only the last turn. Map text
// reaches the document only as text nodes.
'use strict';

(() => {
  const STORAGE_PREFIX = 'kaland:game:';
  // The runner's own words (the exit prompt, "Error: ..." lines) are
  // Hungarian whatever the map's language.
  const RUNNER_LANGUAGE = 'hu';
  const LANGUAGE_TAG = /^[A-Za-z]{2,8}(-[A-Za-z0-9]{1,8})*$/;

  const page = {
    html: document.documentElement,
    title: document.getElementById('kaland-title'),
    author: document.getElementById('kaland-author'),
    status: document.getElementById('status'),
    log: document.getElementById('log'),
    transcript: document.getElementById('transcript'),
    form: document.getElementById('command'),
    lineLabel: document.getElementById('line-label'),
    line: document.getElementById('line'),
    send: document.getElementById('send'),
    controls: document.getElementById('controls'),
    undo: document.getElementById('undo'),
    restart: document.getElementById('restart'),
    save: document.getElementById('save'),
    saveKeys: document.getElementById('save-keys'),
    open: document.getElementById('open'),
    openLabel: document.getElementById('open-label'),
    howTo: document.getElementById('how-to'),
    hint: document.getElementById('hint'),
    embeddedMap: document.getElementById('kaland-map'),
    firstScreen: document.getElementById('kaland-first-screen'),
  };

  // ---- the page's own words, in English and Hungarian ----

  const WORDS = {
    en: {
      logLabel: 'Game',
      lineLabel: 'Your command',
      send: 'Enter',
      undo: 'Undo',
      undoTitle: 'Take back the last line you typed (Ctrl+Z in an empty command field)',
      restart: 'Restart',
      playAgain: 'Play again',
      save: 'Save transcript',
      saveKeys: 'Save keys',
      saveKeysTitle: 'The lines you typed, one a line, as a key script for kaland-check',
      open: 'Open a map…',
      controls: 'Game controls',
      howTo: 'Type a key the room names (one character) and press Enter. Undo takes a line back.',
      hint: 'You can also drop a map file onto the page. Your game is kept in this browser and comes back when you open the page again.',
      ended: 'The game has ended. Press Play again to start over.',
      endedTyping: 'The game has ended. Press Play again, or open another map.',
      pressEnter: 'The game is over: press Enter to close it.',
      stopped: 'The map stopped the game.',
      stoppedNext: 'Open another map, or restart.',
      refused: 'The runner refuses this map, so it cannot be played.',
      refusedNext: 'Open another map.',
      cannotPlay: (name) => `${name} cannot be played.`,
      runnerRefuses: 'The runner refuses it with',
      runnerStops: 'The runner stops it before the first move with',
      atLine: (line) => `Line ${line}:`,
      atFile: 'The file:',
      gameGoesOn: 'The game before goes on.',
      memory: 'This map needs more memory than the browser gives this page. Open another map, or play it with the kaland program.',
      memoryFile: (name) => `${name} needs more memory than the browser gives this page. Play it with the kaland program.`,
      tooLarge: (name, megabytes) => `${name} is larger than ${megabytes} MB, the most this page opens.`,
      unreadable: (name) => `${name} could not be read.`,
      opening: (name) => `Opening ${name}…`,
      savedBack: 'Your saved game is back. Press Restart to begin anew.',
      tookBack: (line) => `Took back “${line}”.`,
      backAt: 'You are back at:',
      nothingToUndo: 'Nothing to undo.',
      startedAgain: 'Started again.',
      savedTranscript: (file) => `Saved the transcript as ${file}.`,
      savedKeys: (count, file) => `Saved the ${count} ${count === 1 ? 'line' : 'lines'} you typed as ${file}, a key script for kaland-check.`,
      engineFailed: 'The engine failed and was started afresh.',
      openAMap: 'Open a map to play.',
      noEngine: 'This browser cannot run the game engine (WebAssembly is needed).',
      noAnswer: (line) => `Nothing here answers to “${line}”.`,
      noAnswerEmpty: 'Enter alone does nothing here.',
      keysHint: 'Keys are single characters, named in the room’s text.',
    },
    hu: {
      logLabel: 'Játék',
      lineLabel: 'Parancsod',
      send: 'Enter',
      undo: 'Vissza',
      undoTitle: 'Az utoljára beírt sor visszavonása (üres parancsmezőben Ctrl+Z)',
      restart: 'Újrakezdés',
      playAgain: 'Új játék',
      save: 'Napló mentése',
      saveKeys: 'Billentyűk mentése',
      saveKeysTitle: 'A beírt sorok soronként, kulcsszkriptként a kaland-check számára',
      open: 'Térkép megnyitása…',
      controls: 'A játék gombjai',
      howTo: 'Írd be a helyiség szövegében megnevezett billentyűt (egy karakter), és nyomj Entert. A Vissza egy sort visszavon.',
      hint: 'Térképfájlt a lapra húzva is megnyithatsz. A játékodat ez a böngésző megőrzi, és folytathatod, amikor újra megnyitod a lapot.',
      ended: 'A játék véget ért. Az Új játék gombbal kezdheted újra.',
      endedTyping: 'A játék véget ért. Kezdj új játékot, vagy nyiss meg egy másik térképet.',
      pressEnter: 'A játék véget ért: nyomj Entert a befejezéshez.',
      stopped: 'A térkép megállította a játékot.',
      stoppedNext: 'Nyiss meg egy másik térképet, vagy kezdd újra.',
      refused: 'A futtató nem fogadja el ezt a térképet, így nem játszható.',
      refusedNext: 'Nyiss meg egy másik térképet.',
      cannotPlay: (name) => `${name}: ez a térkép nem játszható.`,
      runnerRefuses: 'A futtató ezzel utasítja el:',
      runnerStops: 'A futtató már az első lépés előtt megállítja ezzel:',
      atLine: (line) => `A térkép ${line}. sora:`,
      atFile: 'A fájl egésze:',
      gameGoesOn: 'Az eddigi játék folytatódik.',
      memory: 'Ehhez a térképhez több memória kell, mint amennyit a böngésző ennek a lapnak ad. Nyiss meg egy másik térképet, vagy játszd a kaland programmal.',
      memoryFile: (name) => `${name}: ehhez a térképhez több memória kell, mint amennyit a böngésző ennek a lapnak ad. Játszd a kaland programmal.`,
      tooLarge: (name, megabytes) => `${name}: nagyobb ${megabytes} MB-nál, ennél nagyobb térképet ez a lap nem nyit meg.`,
      unreadable: (name) => `${name}: a fájl nem olvasható.`,
      opening: (name) => `${name} megnyitása…`,
      savedBack: 'Visszakaptad a mentett játékodat. Az Újrakezdés gombbal kezdheted elölről.',
      tookBack: (line) => `Visszavontad: „${line}”.`,
      backAt: 'Itt vagy újra:',
      nothingToUndo: 'Nincs mit visszavonni.',
      startedAgain: 'Elölről kezdted.',
      savedTranscript: (file) => `A naplót ${file} néven mentetted.`,
      savedKeys: (count, file) => `A beírt ${count} sort ${file} néven mentetted, kulcsszkriptként a kaland-check számára.`,
      engineFailed: 'A játékmotor hibát vétett, és újraindult.',
      openAMap: 'Nyiss meg egy térképet a játékhoz.',
      noEngine: 'Ez a böngésző nem tudja futtatni a játékmotort (WebAssembly kell hozzá).',
      noAnswer: (line) => `Itt semmi sem felel erre: „${line}”.`,
      noAnswerEmpty: 'Az Enter magában itt nem csinál semmit.',
      keysHint: 'A billentyűk egy karakteresek; a helyiség szövege nevezi meg őket.',
    },
  };

  let words = WORDS.en;

  // A language tag fit to mark text with, or '' for anything else.
  function languageTag(value) {
    const tag = String(value ?? '').trim();
    return LANGUAGE_TAG.test(tag) ? tag : '';
  }

  // Hungarian for a map in Hungarian, English for a map in any other
  // language; for a map that does not say, the browser's first choice of
  // the two (English when it names neither).
  function chooseLanguage(mapLanguage) {
    const wanted = mapLanguage ? [mapLanguage] : navigator.languages?.length ? navigator.languages : [navigator.language];
    for (const tag of wanted) {
      const primary = String(tag ?? '').toLowerCase().split('-')[0];
      if (primary === 'hu' || primary === 'en') return primary;
    }
    return 'en';
  }

  function useLanguage(language) {
    words = WORDS[language];
    page.html.lang = language;
    page.log.setAttribute('aria-label', words.logLabel);
    page.lineLabel.textContent = words.lineLabel;
    page.send.textContent = words.send;
    page.controls.setAttribute('aria-label', words.controls);
    page.undo.textContent = words.undo;
    page.undo.title = words.undoTitle;
    page.save.textContent = words.save;
    page.saveKeys.textContent = words.saveKeys;
    page.saveKeys.title = words.saveKeysTitle;
    page.openLabel.textContent = words.open;
    page.howTo.textContent = words.howTo;
    page.hint.textContent = words.hint;
    page.restart.textContent = restartWord();
    for (const aid of aids) aid.useLanguage(language);
  }

  // Writes the page's message outside the log. Parts are the page's words,
  // or {text, lang, hidden} for words in another language (the runner's
  // Hungarian, the checker's English) or for screen readers only.
  function say(...parts) {
    const nodes = [];
    for (const part of parts) {
      if (part === '' || part === null || part === undefined) continue;
      if (nodes.length > 0) nodes.push(' ');
      if (typeof part === 'string') {
        nodes.push(part);
        continue;
      }
      const span = document.createElement('span');
      span.textContent = part.text;
      if (part.lang !== undefined) span.lang = part.lang;
      if (part.hidden) span.className = 'visually-hidden';
      nodes.push(span);
    }
    page.status.replaceChildren(...nodes);
  }

  // ---- saved games ----

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
    if (!game.unsaved) return;
    game.unsaved = false;
    try {
      localStorage.setItem(STORAGE_PREFIX + game.key, JSON.stringify({lines: game.lines}));
    } catch (error) {
      // Private windows and full storage refuse; the game goes on unsaved.
    }
  }

  // ---- the engine ----

  let engine = null;
  let engineStarting = null;
  // Set when a call failed inside the engine: a fresh one takes over.
  let engineBroken = false;

  // The engine's binary, when the page holds it apart from the engine's
  // script, is compiled at once where the browser allows it, so that the
  // first room is in the page's first frame; else in the background, as
  // it is when the page already shows the first room (`background`).
  function engineOptions(background) {
    const engineBinary = document.getElementById('kaland-engine');
    if (!engineBinary) return {};
    const binary = decodeBase64(engineBinary.textContent);
    const instantiateWasm = (imports, receive) => {
      if (background) {
        WebAssembly.instantiate(binary, imports).then((result) => receive(result.instance), () => say(words.noEngine));
        return {};
      }
      try {
        const instance = new WebAssembly.Instance(new WebAssembly.Module(binary), imports);
        receive(instance);
        return instance.exports;
      } catch (error) {
        WebAssembly.instantiate(binary, imports).then((result) => receive(result.instance), () => say(words.noEngine));
        return {};
      }
    };
    return {instantiateWasm};
  }

  // The engine comes last in the page, after everything the first room
  // needs: it is there once the page is parsed.
  const pageParsed = new Promise((resolve) => {
    if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', resolve, {once: true});
    else resolve();
  });

  function startEngine(background = false) {
    engineStarting = pageParsed.then(() => createKalandEngine(engineOptions(background))).then((module) => {
      engine = makeKalandEngine(module);
      if (game) engine.load(game.bytes);
    });
    return engineStarting;
  }

  // The checker's explanation of the defect the engine met last, as status
  // parts; none when it has none or cannot give one.
  function explanationOf(bytes, decoder) {
    let explanation = null;
    try {
      explanation = engine.explain(bytes);
    } catch (error) {
      // The checker ran out of memory and took the engine with it.
      engineBroken = true;
    }
    if (!explanation) return [];
    let text = decoder.decode(explanation.text);
    if (!/[.!?]$/.test(text)) text += '.';
    return [explanation.line > 0 ? words.atLine(explanation.line) : words.atFile, {text, lang: 'en'}];
  }

  // ---- the game ----

  // The game on show: its map, how its bytes become text, the lines typed
  // (and the same as input bytes), and what the log shows of its transcript:
  // one turn per typed line, each the line's echo and the output after it,
  // after a first turn with the output before the first line.
  let game = null;

  // `encoding` is the engine's decision for the whole map; `refused`: the
  // runner refused the map; `unplayable`: it or a defect met before the
  // first line read leaves nothing to play.
  function newGame(bytes, name, language, encoding) {
    return {
      bytes, name, language, refused: false, unplayable: false, key: fingerprint(bytes), unsaved: false,
      encoding, decoder: new TextDecoder(encoding),
      lines: [], input: new Uint8Array(1024), inputSize: 0, lineEnds: [],
      reads: [], outputSize: 0, state: KalandGameState.WaitingForLine, turns: [],
    };
  }

  const isOver = (state) => state === KalandGameState.Finished || state === KalandGameState.Stopped;

  function pushInputLine(line) {
    const bytes = encodeText(line + '\n', game.encoding);
    if (game.inputSize + bytes.length > game.input.length) {
      const grown = new Uint8Array(Math.max(game.input.length * 2, game.inputSize + bytes.length));
      grown.set(game.input.subarray(0, game.inputSize));
      game.input = grown;
    }
    game.input.set(bytes, game.inputSize);
    game.inputSize += bytes.length;
    game.lineEnds.push(game.inputSize);
    game.lines.push(line);
    game.unsaved = true;
  }

  function popInputLine() {
    game.lines.pop();
    game.lineEnds.pop();
    game.inputSize = game.lineEnds.length > 0 ? game.lineEnds[game.lineEnds.length - 1] : 0;
    game.unsaved = true;
  }

  function setLines(lines) {
    game.lines = [];
    game.lineEnds = [];
    game.inputSize = 0;
    game.unsaved = true;
    for (const line of lines) pushInputLine(line);
  }

  const typedInput = () => game.input.subarray(0, game.inputSize);

  // ---- the log ----

  // Columns of a line's leading spaces and tabs.
  function leadingWidth(text) {
    let width = 0;
    for (const character of text) {
      if (character === ' ') ++width;
      else if (character === '\t') width += 8 - (width % 8);
      else break;
    }
    return width;
  }

  // Indents up to this many columns come from the style sheet's classes.
  const INDENT_CLASSES = 16;

  // One row per line of output, so that each wraps under its own indent.
  function appendRows(turn, text, language) {
    let start = 0;
    while (start < text.length) {
      const newline = text.indexOf('\n', start);
      const end = newline < 0 ? text.length : newline + 1;
      const line = text.slice(start, end);
      const row = document.createElement('span');
      const indent = line[0] === ' ' || line[0] === '\t' ? leadingWidth(line) : 0;
      row.className = indent === 0 ? 'row' : indent <= INDENT_CLASSES ? `row i${indent}` : 'row';
      if (indent > INDENT_CLASSES) row.style.setProperty('--indent', `${indent}ch`);
      if (language !== undefined) row.lang = language;
      row.textContent = line;
      turn.appendChild(row);
      start = end;
    }
  }

  // Output bytes [from, to) into `turn`; `output` holds the output from
  // byte `base` on. What the runner says of its own is marked Hungarian.
  function appendOutput(turn, output, base, from, to, runnerFrom) {
    const split = Math.min(Math.max(runnerFrom, from), to);
    if (split > from) appendRows(turn, game.decoder.decode(output.subarray(from - base, split - base)));
    if (to > split) appendRows(turn, game.decoder.decode(output.subarray(split - base, to - base)), RUNNER_LANGUAGE);
  }

  // A turn of the log, beginning with the echo of the typed line, if any.
  function makeTurn(line) {
    const turn = document.createElement('div');
    turn.className = 'turn';
    if (line !== undefined) {
      const echo = document.createElement('span');
      echo.className = line === '' ? 'input enter' : 'input';
      echo.textContent = line + '\n';
      turn.appendChild(echo);
    }
    return turn;
  }

  // Turns go in chunks. A full chunk is sealed, and the browser lays out
  // and paints sealed chunks only when they come into view: a long game
  // costs what its last screenful does.
  const TURNS_PER_CHUNK = 50;

  function addTurn(parent, turn) {
    let chunk = parent.lastElementChild;
    if (!chunk || chunk.childElementCount >= TURNS_PER_CHUNK) {
      chunk?.classList.add('sealed');
      chunk = document.createElement('div');
      chunk.className = 'chunk';
      parent.appendChild(chunk);
    }
    chunk.appendChild(turn);
    game.turns.push(turn);
  }

  function removeLastTurn() {
    const turn = game.turns.pop();
    const chunk = turn.parentNode;
    turn.remove();
    if (!chunk.firstChild) {
      chunk.remove();
      page.transcript.lastElementChild?.classList.remove('sealed');
    }
  }

  // Whether the log may be scrolled away from its top: setting the scroll
  // position makes the browser lay the page out at once, which a page just
  // opened has no need for.
  let logScrolled = false;

  // Shows a turn from its top, the typed line first, so that the room it
  // brings starts in view however small the log is; a short turn shows
  // whole at the bottom.
  function showTurn(turn) {
    if (turn === page.transcript.firstChild?.firstChild) {
      if (logScrolled) page.log.scrollTop = 0;
      logScrolled = false;
      return;
    }
    logScrolled = true;
    const padding = parseFloat(getComputedStyle(page.log).paddingTop) || 0;
    const top = page.log.getBoundingClientRect().top + page.log.clientTop + padding;
    page.log.scrollTop += turn.getBoundingClientRect().top - top;
  }

  // The text of the last turn that showed anything: where the player is.
  function currentRoomText() {
    for (let index = game.turns.length - 1; index >= 0; --index) {
      const text = [...game.turns[index].querySelectorAll('.row')].map((row) => row.textContent).join('').trim();
      if (text !== '') return text;
    }
    return '';
  }

  // ---- playing ----

  // Plays the typed lines from the start and shows the whole log again.
  // A saved game of an older page may hold lines past the game's end: only
  // the lines the game read are kept.
  function playWhole(...message) {
    showWhole(engine.play(typedInput()));
    showOutcome(message);
  }

  function showWhole(result) {
    const consumed = Math.min(game.lines.length, result.reads.length);
    if (consumed < game.lines.length) setLines(game.lines.slice(0, consumed));
    const fragment = document.createDocumentFragment();
    game.turns = [];
    let turn = makeTurn();
    let start = 0;
    for (let index = 0; index <= consumed; ++index) {
      const end = index < consumed ? result.reads[index] : result.output.length;
      appendOutput(turn, result.output, 0, start, end, result.runnerFrom);
      addTurn(fragment, turn);
      if (index < consumed) turn = makeTurn(game.lines[index]);
      start = end;
    }
    page.transcript.replaceChildren(fragment);
    game.reads = result.reads;
    game.outputSize = result.outputSize;
    game.state = result.state;
    game.outOfMemory = result.outOfMemory;
  }

  // After a change to the log: the controls, the saved game, the page's
  // message (or what it adds to `message`) and the newest turn in view.
  function showOutcome(message) {
    updateControls();
    saveLines();
    say(...describeEnd(message));
    showTurn(game.turns[game.turns.length - 1]);
    for (const aid of aids) aid.update();
  }

  function describeEnd(message) {
    if (game.outOfMemory) return [words.memory];
    if (game.refused) return [words.refused, ...explanationOf(game.bytes, game.decoder), words.refusedNext];
    if (game.state === KalandGameState.Stopped) {
      return [words.stopped, ...explanationOf(game.bytes, game.decoder),
              game.unplayable ? words.refusedNext : words.stoppedNext];
    }
    if (game.state === KalandGameState.Finished) return [words.ended];
    if (game.state === KalandGameState.WaitingForEnter) return [...message, words.pressEnter];
    return message;
  }

  // "Play again" once a game the map lets the player play has ended.
  const restartWord = () => (game && isOver(game.state) && !game.unplayable ? words.playAgain : words.restart);

  function updateControls() {
    page.restart.textContent = restartWord();
    page.restart.disabled = game.unplayable;
    page.undo.disabled = game.lines.length === 0;
  }

  function typeLine(line) {
    if (game.unplayable) {
      say(...describeEnd([]));
      return false;
    }
    if (isOver(game.state)) {
      say(words.endedTyping);
      return false;
    }
    const count = game.lines.length;
    const shown = game.outputSize;
    pushInputLine(line);
    const result = engine.playSince(typedInput(), shown, count);
    if (result.outOfMemory) {
      // The log stays as it was, and the line stays in the field.
      popInputLine();
      say(words.memory);
      return false;
    }
    if (result.readCount <= count || result.reads[0] !== shown) {
      // Not where the log says the game waits: show it all again.
      playWhole();
      return true;
    }
    game.state = result.state;
    game.outOfMemory = result.outOfMemory;
    const turn = makeTurn(line);
    appendOutput(turn, result.output, shown, shown, result.outputSize, result.runnerFrom);
    addTurn(page.transcript, turn);
    game.reads.length = count;
    for (const read of result.reads) game.reads.push(read);
    game.outputSize = result.outputSize;
    // Nothing written and the game asks again: no exit of the room took the line.
    const answered = result.outputSize > shown || result.state !== KalandGameState.WaitingForLine;
    if (answered) showOutcome([]);
    else showOutcome([line === '' ? words.noAnswerEmpty : words.noAnswer(line), words.keysHint]);
    return true;
  }

  function undoLine() {
    const count = game.lines.length;
    if (count === 0) {
      say(words.nothingToUndo);
      return;
    }
    const taken = game.lines[count - 1];
    // The game waited for the taken line where its read began.
    const waitedAt = game.reads[count - 1];
    popInputLine();
    const result = engine.playSince(typedInput(), waitedAt, count - 1);
    if (result.outputSize !== waitedAt || result.readCount !== count) {
      showWhole(engine.play(typedInput()));
    } else {
      removeLastTurn();
      game.reads.length = count;
      game.outputSize = waitedAt;
      game.state = result.state;
      game.outOfMemory = result.outOfMemory;
    }
    // A screen reader hears where the player is again, not only what went.
    const room = currentRoomText();
    showOutcome([words.tookBack(taken), room && {text: `${words.backAt} ${room}`, lang: game.language, hidden: true}]);
  }

  function restartGame() {
    setLines([]);
    page.line.value = '';
    playWhole(words.startedAgain);
  }

  // The transcript as a text file: the log, with each typed line on a line
  // of its own after "› ".
  function transcriptText() {
    const pieces = [];
    let endsLine = true;
    for (const node of page.transcript.querySelectorAll('.input, .row')) {
      let text = node.textContent;
      if (node.classList.contains('input')) text = `${endsLine ? '' : '\n'}›${text === '\n' ? '' : ' '}${text}`;
      pieces.push(text);
      endsLine = text.endsWith('\n');
    }
    return pieces.join('');
  }

  function saveTranscript() {
    const name = savedFileName(game.name, '-transcript.txt');
    download(transcriptText(), name, 'text/plain;charset=utf-8');
    say(words.savedTranscript(name));
  }

  // The typed lines as a key script: the bytes the game read, each line with
  // its newline in the map's own encoding, so that `kaland MAP < FILE` and
  // kaland-check --cover, --bless and --expect play the same game.
  function saveKeys() {
    const name = savedFileName(game.name, '.keys');
    download(game.input.slice(0, game.inputSize), name, 'application/octet-stream');
    say(words.savedKeys(game.lines.length, name));
  }

  // `published`: the title and author kaland-publish wrote into the page,
  // which stand for its own map; null for any other map.
  function showTitle(published) {
    const startText = game.decoder.decode(engine.startText());
    const title = published ? published.title : game.decoder.decode(engine.mapTitle()) || game.name || 'kaland';
    page.title.textContent = title;
    document.title = title;
    // The log's first room says the same: the heading is for screen readers.
    page.title.classList.toggle('visually-hidden', title === startText);
    // The map's own #author, under the title.
    const author = published ? published.author : game.decoder.decode(engine.mapAuthor());
    page.author.textContent = author;
    page.author.hidden = author === '';
    // Both are the map's words, in its language.
    page.title.lang = game.language;
    page.author.lang = game.language;
  }

  // Starts the map `bytes` (named `name`): its saved game comes back, if any.
  // A map that cannot be played at all (the runner refuses it, or stops it
  // before the player can type anything) leaves the game on show exactly as
  // it was, and the page says why. Returns whether the map is now on show.
  function openMap(bytes, name, published) {
    if (bytes.length > MAX_MAP_BYTES) {
      say(words.tooLarge(name, MAX_MAP_BYTES / 1024 / 1024), game ? words.gameGoesOn : '');
      return false;
    }
    const loaded = engine.load(bytes);
    // The game with nothing typed: what the player would see first.
    const first = loaded === 'memory' ? null : engine.play(new Uint8Array(0));
    const memory = first === null || first.outOfMemory;
    const unplayable = !memory && first.state === KalandGameState.Stopped && first.readCount === 0;
    if (memory || (unplayable && game)) {
      let why = [words.memoryFile(name)];
      if (!memory) {
        const decoder = new TextDecoder(engine.encoding());
        const message = decoder.decode(first.output.subarray(first.runnerFrom)).trim();
        why = [words.cannotPlay(name), loaded === 'refused' ? words.runnerRefuses : words.runnerStops,
               {text: `“${message}”.`, lang: RUNNER_LANGUAGE}, ...explanationOf(bytes, decoder)];
      }
      if (game && !engineBroken) engine.load(game.bytes);
      say(...why, game ? words.gameGoesOn : '');
      return false;
    }
    let language = '';
    if (loaded === 'loaded') language = languageTag(engine.mapLanguage());
    game = newGame(bytes, name, language, engine.encoding());
    game.refused = loaded === 'refused';
    game.unplayable = unplayable;
    useLanguage(chooseLanguage(language));
    page.transcript.lang = language;
    page.line.value = '';
    showTitle(published);
    setLines(unplayable ? [] : loadSavedLines(game.key));
    game.unsaved = false;
    if (game.lines.length > 0) {
      playWhole(words.savedBack);
    } else {
      if (!adoptFirstScreen(first)) showWhole(first);
      showOutcome([]);
    }
    return true;
  }

  async function openFile(file) {
    if (!file) return;
    if (file.size > MAX_MAP_BYTES) {
      say(words.tooLarge(file.name, MAX_MAP_BYTES / 1024 / 1024), game ? words.gameGoesOn : '');
      return;
    }
    let bytes;
    try {
      say(words.opening(file.name));
      // Let the message show before a large map keeps the engine busy.
      await new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve, 0)));
      bytes = new Uint8Array(await file.arrayBuffer());
    } catch (error) {
      say(words.unreadable(file.name), game ? words.gameGoesOn : '');
      return;
    }
    await engineStarting;
    if (game && saves.isSaveFile(bytes, file.name)) {
      guarded(() => saves.importSave(bytes, file.name));
      return;
    }
    guarded(() => openMap(bytes, file.name, ''), false);
  }

  // Runs an action on the engine; should the engine ever fail, a fresh one
  // takes over with the same map and lines. Actions on the game wait for a
  // map that the browser could hold.
  async function guarded(action, needsGame = true) {
    if (needsGame && !game) await mapOpening;
    if (needsGame && !game) {
      say(words.openAMap);
      page.line.focus();
      return;
    }
    try {
      action();
    } catch (error) {
      say(words.engineFailed);
      await startEngine();
      if (game) playWhole(words.engineFailed);
    }
    if (engineBroken) {
      engineBroken = false;
      await startEngine();
    }
    focusAfterAction();
  }

  // ---- the first room before the engine ----

  // kaland-publish writes the first room into the page, played by the
  // runner's own code, so that it shows before the engine is ready; the
  // engine then takes over the very rows it shows, and a screen reader
  // hears the room once. A saved game to resume waits for the engine.
  let firstScreen = null;

  function showFirstScreen(mapBytes, language) {
    const data = page.firstScreen;
    if (!data?.dataset.encoding || data.textContent.trim() === '') return false;
    if (loadSavedLines(fingerprint(mapBytes)).length > 0) return false;
    let decoder;
    try {
      decoder = new TextDecoder(data.dataset.encoding);
    } catch (error) {
      return false;
    }
    const bytes = decodeBase64(data.textContent);
    const turn = makeTurn();
    appendRows(turn, decoder.decode(bytes));
    const chunk = document.createElement('div');
    chunk.className = 'chunk';
    chunk.appendChild(turn);
    page.transcript.replaceChildren(chunk);
    page.title.classList.toggle('visually-hidden', data.dataset.heading === 'hidden');
    page.undo.disabled = true;
    firstScreen = {bytes, turn, encoding: data.dataset.encoding};
    const exits = data.dataset.exits ? decoder.decode(decodeBase64(data.dataset.exits)).split('\n').slice(0, -1) : [];
    keyButtons.show(exits.map((line) => ({key: line[0], words: line.slice(1)})), data.dataset.enter === '1', language);
    return true;
  }

  // Whether the engine's first game (`result`) shows what the page shows
  // already: if so, the page keeps its rows as the game's first turn.
  function adoptFirstScreen(result) {
    const shown = firstScreen;
    firstScreen = null;
    const same = shown && game.lines.length === 0 && game.encoding === shown.encoding && result.readCount === 1 &&
      result.state === KalandGameState.WaitingForLine && result.output.length === shown.bytes.length &&
      result.runnerFrom >= shown.bytes.length && result.output.every((byte, index) => byte === shown.bytes[index]) &&
      page.transcript.firstChild?.firstChild === shown.turn;
    if (!same) return false;
    game.turns = [shown.turn];
    game.reads = result.reads;
    game.outputSize = result.outputSize;
    game.state = result.state;
    game.outOfMemory = result.outOfMemory;
    return true;
  }

  // ---- another game's lines ----

  // Plays `lines` as the game. The turns of the lines it begins with in
  // common with the game on show stay as they are (the same lines write the
  // same transcript), so that going back to an earlier point of the same
  // game costs what Undo does, and going on from it what typing does.
  function replayLines(lines, ...message) {
    let same = 0;
    const most = Math.min(lines.length, game.lines.length, game.reads.length - 1);
    while (same < most && lines[same] === game.lines[same]) ++same;
    if (game.unplayable || game.outOfMemory) {
      setLines(lines);
      playWhole(...message);
      return;
    }
    if (same === 0) {
      setLines(lines);
      showWholeLater(engine.play(typedInput()));
      showOutcome(message);
      return;
    }
    // The game waited for line `same + 1` here, whatever came after.
    const waitedAt = game.reads[same];
    while (game.lines.length > same) popInputLine();
    for (const line of lines.slice(same)) pushInputLine(line);
    const result = engine.playSince(typedInput(), waitedAt, same);
    if (result.outOfMemory || result.readCount <= same || result.reads[0] !== waitedAt) {
      playWhole(...message);
      return;
    }
    while (game.turns.length > same + 1) removeLastTurn();
    const consumed = Math.min(game.lines.length, result.readCount);
    while (game.lines.length > consumed) popInputLine();
    for (let line = same + 1; line <= consumed; ++line) {
      const turn = makeTurn(game.lines[line - 1]);
      const end = line < consumed ? result.reads[line - same] : result.outputSize;
      appendOutput(turn, result.output, waitedAt, result.reads[line - 1 - same], end, result.runnerFrom);
      addTurn(page.transcript, turn);
    }
    game.reads.length = same;
    for (const read of result.reads) game.reads.push(read);
    game.outputSize = result.outputSize;
    game.state = result.state;
    game.outOfMemory = result.outOfMemory;
    showOutcome(message);
  }

  // A whole log built at once: the turns of all but its last two chunks go
  // in with one row each, the lines of their output together, and a chunk
  // gets a row per line (each wrapping under its own indent) as it comes
  // near the log's visible part. Its text is the same either way, so a long
  // game comes back in the time its last turns take.
  let laterRows = null;

  function expandLaterRows(chunk) {
    for (const row of chunk.querySelectorAll('.row.later')) {
      const turn = row.parentNode;
      row.remove();
      appendRows(turn, row.textContent);
    }
  }

  function showWholeLater(result) {
    const consumed = Math.min(game.lines.length, result.reads.length);
    while (game.lines.length > consumed) popInputLine();
    const rowsFrom = (Math.floor(consumed / TURNS_PER_CHUNK) - 1) * TURNS_PER_CHUNK;
    const fragment = document.createDocumentFragment();
    game.turns = [];
    let start = 0;
    for (let index = 0; index <= consumed; ++index) {
      const turn = makeTurn(index === 0 ? undefined : game.lines[index - 1]);
      const end = index < consumed ? result.reads[index] : result.output.length;
      if (index >= rowsFrom || end > result.runnerFrom) {
        appendOutput(turn, result.output, 0, start, end, result.runnerFrom);
      } else if (end > start) {
        const row = document.createElement('span');
        row.className = 'row later';
        row.textContent = game.decoder.decode(result.output.subarray(start, end));
        turn.appendChild(row);
      }
      addTurn(fragment, turn);
      start = end;
    }
    page.transcript.replaceChildren(fragment);
    laterRows ??= new IntersectionObserver((entries) => {
      for (const entry of entries) {
        if (!entry.isIntersecting) continue;
        laterRows.unobserve(entry.target);
        expandLaterRows(entry.target);
      }
    }, {root: page.log, rootMargin: '200% 0px'});
    for (const chunk of page.transcript.children) {
      if (chunk.querySelector('.later')) laterRows.observe(chunk);
    }
    game.reads = result.reads;
    game.outputSize = result.outputSize;
    game.state = result.state;
    game.outOfMemory = result.outOfMemory;
  }

  // ---- what the page's added parts see of it ----

  // The key buttons and the saves (key_buttons.js, saves.js) act through
  // these, and hear of each change of the game (update) and of the page's
  // language (useLanguage).
  const view = {
    game: () => game,
    engine: () => engine,
    say,
    act: (action) => guarded(action),
    typeLine,
    undoLine,
    typedInput: () => typedInput(),
    replayLines,
    // Says `message`, and what the game's end adds to it.
    tell: (...message) => say(...describeEnd(message)),
    // The first line of the room the game is in, trimmed, as text.
    roomFirstLine() {
      engine.playSince(typedInput(), game.outputSize, game.lines.length);
      return game.decoder.decode(engine.roomFirstLine());
    },
    isOver: () => !game || game.unplayable || isOver(game.state),
  };
  const keyButtons = makeKeyButtons(view, page.line);
  const saves = makeSaves(view);
  const aids = [keyButtons, saves];

  // After an action the command field takes the focus, unless the key
  // buttons are there to keep a touch screen's keyboard closed.
  function focusAfterAction() {
    if (keyButtons.keepsKeyboardClosed()) keyButtons.keepFocus();
    else page.line.focus();
  }

  // Resolved once the page's own map is open (or cannot be): actions asked
  // for before then wait for it.
  let mapOpened = null;
  const mapOpening = new Promise((resolve) => {
    mapOpened = resolve;
  });

  const markFirstRoom = () => requestAnimationFrame(() => setTimeout(() => performance.mark('kaland-first-room'), 0));

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
      const plain = !event.ctrlKey && !event.metaKey && !event.altKey && !event.shiftKey;
      if ((event.ctrlKey || event.metaKey) && !event.altKey && event.key.toLowerCase() === 'z' &&
          page.line.value === '') {
        event.preventDefault();
        guarded(undoLine);
      } else if (plain && (event.key === 'PageUp' || event.key === 'PageDown')) {
        // The log scrolls from the command field, which keeps the focus.
        event.preventDefault();
        page.log.scrollBy(0, (event.key === 'PageUp' ? -0.9 : 0.9) * page.log.clientHeight);
      }
    });
    page.log.addEventListener('scroll', () => {
      logScrolled = true;
    }, {passive: true});
    // A click that selects nothing, or a key typed while the log has the
    // focus, goes back to the command field.
    page.log.addEventListener('click', () => {
      if (document.getSelection().isCollapsed && !keyButtons.keepsKeyboardClosed()) page.line.focus({preventScroll: true});
    });
    page.log.addEventListener('keydown', (event) => {
      if (event.key.length === 1 && event.key !== ' ' && !event.ctrlKey && !event.metaKey && !event.altKey) {
        page.line.focus({preventScroll: true});
      }
    });
    page.undo.addEventListener('click', () => guarded(undoLine));
    page.restart.addEventListener('click', () => guarded(restartGame));
    page.save.addEventListener('click', () => guarded(saveTranscript));
    page.saveKeys.addEventListener('click', () => guarded(saveKeys));
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
    // kaland-publish marks a page with its map's language when the map
    // declares one: the page's words show in it before the engine is up.
    // (It leaves the template's "en" for a map that declares none.)
    const published = page.title.dataset.source === 'page';
    const marked = languageTag(page.html.getAttribute('lang'));
    const languageHint = published && marked !== 'en' ? marked : '';
    useLanguage(chooseLanguage(languageHint));
    wireControls();
    const mapBytes = decodeBase64(page.embeddedMap.textContent);
    // The first room, when the page holds it, shows before the engine is
    // compiled; the engine is then compiled in the background.
    const early = showFirstScreen(mapBytes, languageHint);
    // For the benchmark: when the first room has been painted.
    if (early) {
      markFirstRoom();
      await new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve, 0)));
    }
    try {
      await startEngine(early);
    } catch (error) {
      say(words.noEngine);
      mapOpened();
      return;
    }
    const facts = published ? {title: page.title.textContent, author: page.author.textContent} : null;
    guarded(() => openMap(mapBytes, page.embeddedMap.dataset.name || 'map', facts), false);
    mapOpened();
    document.body.dataset.ready = 'true';
    if (!early) markFirstRoom();
  }

  start();
})();
