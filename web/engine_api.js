// The page's handle on the WebAssembly engine: bytes in, bytes out, and
// where the game stands. No game rule lives here; every byte shown comes
// from the engine. Also loaded by the Node tests (module.exports below).
'use strict';

const KalandGameState = Object.freeze({
  WaitingForLine: 0,   // the game waits for the next typed line
  WaitingForEnter: 1,  // the exit prompt waits for its line
  Finished: 2,         // the program would have ended
  Stopped: 3,          // a defect or lack of memory stopped it
});

// Wraps an instantiated engine module.
function makeKalandEngine(module) {
  const copyOut = (pointer, size) => module.HEAPU8.slice(pointer, pointer + size);

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
  // piped file does. Returns {state, output, reads, outOfMemory}: `reads`
  // holds the output size at which each line read began.
  function play(input, inputClosed = false) {
    const pointer = module._kaland_input_buffer(input.length);
    if (!pointer) return {state: KalandGameState.Stopped, output: new Uint8Array(0), reads: [], outOfMemory: true};
    module.HEAPU8.set(input, pointer);
    const state = module._kaland_play(input.length, inputClosed ? 1 : 0);
    const output = copyOut(module._kaland_output(), module._kaland_output_size());
    const reads = [];
    const readCount = module._kaland_read_count();
    for (let read = 0; read < readCount; ++read) reads.push(module._kaland_read_output_size(read));
    return {state, output, reads, outOfMemory: module._kaland_out_of_memory() === 1};
  }

  // A terminated string of the engine, as bytes.
  function terminated(pointer) {
    let end = pointer;
    while (module.HEAPU8[end] !== 0) ++end;
    return copyOut(pointer, end - pointer);
  }

  // The first line of the start room's text, trimmed, as bytes.
  const startText = () => terminated(module._kaland_start_text());
  // The loaded map's facts, as bytes of the map: its title (#title, else
  // the start room's first line), #author and #blurb.
  const mapTitle = () => terminated(module._kaland_map_title());
  const mapAuthor = () => terminated(module._kaland_map_author());
  const mapBlurb = () => terminated(module._kaland_map_blurb());
  // The map's #lang tag as a string ('' without one): a tag is ASCII.
  const mapLanguage = () => String.fromCharCode(...terminated(module._kaland_map_language()));

  // How the loaded map's text is shown: 'utf-8' or 'windows-1250', the
  // engine's decision for the whole map, as a TextDecoder label.
  const encoding = () => String.fromCharCode(...terminated(module._kaland_map_encoding()));

  return {load, play, startText, mapTitle, mapAuthor, mapLanguage, mapBlurb, encoding};
}

if (typeof module === 'object' && module.exports) module.exports = {makeKalandEngine, KalandGameState};
