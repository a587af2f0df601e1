// The page's handle on the WebAssembly engine: bytes in, bytes out, and
// where the game stands. No game rule lives here; every byte shown comes
// from the engine. Also loaded by the Node tests (module.exports below).
'use strict';

// Where a game stands (WaitingForLine, WaitingForEnter, Finished, Stopped)
// and what a line read did (ReadEffect: Ignored, TookExit, Quit, ByNoRoom),
// as the engine defines them: filled in by the first engine made.
const KalandGameState = {};
const KalandReadEffect = {};

const UTF8_DECODER = new TextDecoder();

// How far a save's lines lead on the loaded map (readSave's `outcome`:
// Whole, Unchecked, EndsSooner, StartsElsewhere, LineLeadsElsewhere) and
// which map a save was made for (readSave's `map`: Unnamed, This, Other),
// as the engine defines them: filled in by the first engine made.
const KalandSaveOutcome = {};
const KalandSaveMap = {};

// Wraps an instantiated engine module.
function makeKalandEngine(module) {
  // Memory may grow during any call, which replaces the heap's buffer:
  // the views are taken afresh after each call.
  const copyOut = (pointer, size) => module.HEAPU8.slice(pointer, pointer + size);

  function terminatedText(pointer) {
    const heap = module.HEAPU8;
    let end = pointer;
    while (heap[end] !== 0) ++end;
    return heap.slice(pointer, end);
  }

  // The engine's constants: its game states, read effects, the largest map
  // the page opens, and what a save's report says.
  const constants = JSON.parse(UTF8_DECODER.decode(terminatedText(module._kaland_constants())));
  Object.assign(KalandGameState, constants.GameState);
  Object.assign(KalandReadEffect, constants.ReadEffect);
  Object.assign(KalandSaveOutcome, constants.SaveOutcome);
  Object.assign(KalandSaveMap, constants.SaveMap);

  // Hands the engine a text (UTF-8) in its text buffer; returns its length in bytes.
  function putText(text) {
    const bytes = new TextEncoder().encode(text);
    const pointer = module._kaland_text_buffer(bytes.length);
    module.HEAPU8.set(bytes, pointer);
    return bytes.length;
  }

  // Loads a map's bytes into the engine's room table. Returns 'loaded',
  // 'refused' (the map's own message shows when it is played) or 'memory'.
  function load(bytes) {
    const pointer = module._kaland_map_buffer(bytes.length);
    if (!pointer) return 'memory';
    module.HEAPU8.set(bytes, pointer);
    if (module._kaland_load(bytes.length) === 0) return 'loaded';
    return module._kaland_out_of_memory() ? 'memory' : 'refused';
  }

  // Plays the loaded map from the start with `input` (bytes, every typed
  // line with its newline). With `inputClosed` the input ends there as a
  // piped file does. A page that already shows the transcript up to output
  // byte `outputFrom` and knows the first `readsFrom` reads asks only for
  // what follows. Returns
  //   {state, output, outputSize, reads, effects, readCount, runnerFrom, outOfMemory}:
  // `output` is the output from `outputFrom` on (outputSize bytes in all);
  // `reads` the output size at which each line read began and `effects`
  // what its line did (a KalandReadEffect), from read `readsFrom` on
  // (readCount reads in all); `runnerFrom` where the runner's own words
  // (exit prompt, defect messages) begin in the output.
  function playSince(input, outputFrom = 0, readsFrom = 0, inputClosed = false) {
    const pointer = module._kaland_input_buffer(input.length);
    if (!pointer) {
      return {state: KalandGameState.Stopped, output: new Uint8Array(0), outputSize: 0, reads: [], effects: [],
              readCount: 0, runnerFrom: 0, outOfMemory: true};
    }
    module.HEAPU8.set(input, pointer);
    const state = module._kaland_play(input.length, inputClosed ? 1 : 0);
    const outputSize = module._kaland_output_size();
    const output = copyOut(module._kaland_output() + Math.min(outputFrom, outputSize),
                           outputSize - Math.min(outputFrom, outputSize));
    const readCount = module._kaland_read_count();
    const first = Math.min(readsFrom, readCount);
    const block = (pointer) => Array.from(new Uint32Array(module.HEAPU8.buffer, pointer + 4 * first, readCount - first));
    const reads = block(module._kaland_reads());
    const effects = block(module._kaland_read_effects());
    return {state, output, outputSize, reads, effects, readCount, runnerFrom: module._kaland_runner_output_start(),
            outOfMemory: module._kaland_out_of_memory() === 1};
  }

  // The whole transcript: {state, output, reads, effects, runnerFrom, outOfMemory}.
  function play(input, inputClosed = false) {
    return playSince(input, 0, 0, inputClosed);
  }

  // The first line of the start room's text, trimmed, as bytes.
  const startText = () => terminatedText(module._kaland_start_text());
  // The loaded map's title, as kaland-publish gives it, in UTF-8 bytes:
  // #title, else the start room's first line, else the map's file name
  // `name`, else "kaland".
  const mapTitle = (name = '') => terminatedText(module._kaland_map_title(putText(name)));
  // The loaded map's #author and #blurb, as bytes of the map.
  const mapAuthor = () => terminatedText(module._kaland_map_author());
  const mapBlurb = () => terminatedText(module._kaland_map_blurb());

  // The checker's plain words for the defect that refused the loaded map or
  // stopped the last game: {line, text} with the text as bytes (English),
  // line 0 for the file as a whole; null when it has none. `bytes` are the
  // map's, which the engine no longer keeps once loaded.
  function explain(bytes) {
    const pointer = module._kaland_check_buffer(bytes.length);
    if (!pointer) return null;
    module.HEAPU8.set(bytes, pointer);
    const text = terminatedText(module._kaland_explain(bytes.length));
    return text.length > 0 ? {line: module._kaland_explanation_line(), text} : null;
  }

  // The language the loaded map declares on its #lang line, as a language
  // tag; '' when it declares none (or one that is no language tag).
  function mapLanguage() {
    return new TextDecoder('latin1').decode(terminatedText(module._kaland_map_language()));
  }

  // The language of the page's words for a language tag: 'hu', 'en', or ''
  // for another language.
  function wordsLanguage(tag) {
    putText(String(tag ?? ''));
    return UTF8_DECODER.decode(terminatedText(module._kaland_words_language()));
  }

  // The name of a file made from the map `name`: its name without the
  // extension, then `ending` (".keys").
  function fileNamedAfter(name, ending) {
    const nameSize = putText(name + ending) - new TextEncoder().encode(ending).length;
    return UTF8_DECODER.decode(terminatedText(module._kaland_file_named_after(nameSize)));
  }

  // How the loaded map's text is shown: 'utf-8' or 'windows-1250', the
  // engine's decision for the whole map, as a TextDecoder label.
  const encoding = () => new TextDecoder('latin1').decode(terminatedText(module._kaland_map_encoding()));

  // ---- where the game stands, for key buttons and saves ----

  // The loaded map's fingerprint, the one its save files carry.
  const fingerprint = () => new TextDecoder('latin1').decode(terminatedText(module._kaland_map_fingerprint()));

  // The exits the text of the room where the last game waits names (the
  // checker's rule for keys in text), in the order it names them:
  // [{key, words}], the key a one-character string, the words the bytes of
  // the line that names it. None unless the game waits for a key.
  function namedExits() {
    const text = terminatedText(module._kaland_named_exits());
    const exits = [];
    for (let start = 0; start < text.length;) {
      const end = text.indexOf(10, start);
      exits.push({key: String.fromCharCode(text[start]), words: text.slice(start + 1, end)});
      start = end + 1;
    }
    return exits;
  }

  // Whether the last game waits for a line that moves it on whatever it
  // holds: a scene's Enter, or the exit prompt's.
  const waitsForEnter = () => module._kaland_waits_for_enter() === 1;

  // The first line of the room the last game showed last, trimmed, as bytes.
  const roomFirstLine = () => terminatedText(module._kaland_room_first_line());

  function putInput(bytes) {
    const pointer = module._kaland_input_buffer(bytes.length);
    if (!pointer) return false;
    module.HEAPU8.set(bytes, pointer);
    return true;
  }

  const answer = (pointer) => copyOut(pointer, module._kaland_answer_size());

  // The save file of the game whose typed lines are `input` (bytes, each
  // line with its newline): the lines and a line that names the map and
  // where each was read, which the game reads without effect. Null when
  // memory is short.
  const saveFile = (input) => (putInput(input) ? answer(module._kaland_save_file(input.length)) : null);

  // Whether `bytes` are a save file (and not a map or a plain key script).
  const isSave = (bytes) => putInput(bytes) && module._kaland_is_save(bytes.length) === 1;

  // Plays the lines of the save (or key script) `bytes` on the loaded map:
  // {input, outcome, map, lines, kept, line}: `input` the save's typed
  // lines (bytes, each line with its newline), of which the first `kept`
  // bring the game where the save had it;
  // `outcome` what the engine found, one of KalandSaveOutcome; `map` one of
  // KalandSaveMap; `lines` how many the save holds, and `line` the first
  // one left out (from 1; 0 for none).
  // Null when memory is short.
  function readSave(bytes) {
    if (!putInput(bytes)) return null;
    const input = answer(module._kaland_read_save(bytes.length));
    const [outcome, map, lines, kept, line] = new Uint32Array(module.HEAPU8.buffer, module._kaland_save_report(), 5);
    return {input, outcome, map, lines, kept, line};
  }

  return {load, play, playSince, startText, mapTitle, mapAuthor, mapBlurb, explain, mapLanguage, wordsLanguage,
          fileNamedAfter, encoding, maxMapBytes: constants.maxMapBytes, fingerprint, namedExits, waitsForEnter,
          roomFirstLine, saveFile, isSave, readSave};
}

if (typeof module === 'object' && module.exports) {
  module.exports = {makeKalandEngine, KalandGameState, KalandReadEffect, KalandSaveOutcome, KalandSaveMap};
}
