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
  // Memory may grow during any call, which replaces the heap's buffer:
  // the views are taken afresh after each call.
  const copyOut = (pointer, size) => module.HEAPU8.slice(pointer, pointer + size);

  function terminatedText(pointer) {
    const heap = module.HEAPU8;
    let end = pointer;
    while (heap[end] !== 0) ++end;
    return heap.slice(pointer, end);
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
  //   {state, output, outputSize, reads, readCount, runnerFrom, outOfMemory}:
  // `output` is the output from `outputFrom` on (outputSize bytes in all);
  // `reads` the output size at which each line read began, from read
  // `readsFrom` on (readCount reads in all); `runnerFrom` where the
  // runner's own words (exit prompt, defect messages) begin in the output.
  function playSince(input, outputFrom = 0, readsFrom = 0, inputClosed = false) {
    const pointer = module._kaland_input_buffer(input.length);
    if (!pointer) {
      return {state: KalandGameState.Stopped, output: new Uint8Array(0), outputSize: 0, reads: [], readCount: 0,
              runnerFrom: 0, outOfMemory: true};
    }
    module.HEAPU8.set(input, pointer);
    const state = module._kaland_play(input.length, inputClosed ? 1 : 0);
    const outputSize = module._kaland_output_size();
    const output = copyOut(module._kaland_output() + Math.min(outputFrom, outputSize),
                           outputSize - Math.min(outputFrom, outputSize));
    const readCount = module._kaland_read_count();
    const first = Math.min(readsFrom, readCount);
    const reads = Array.from(new Uint32Array(module.HEAPU8.buffer, module._kaland_reads() + 4 * first, readCount - first));
    return {state, output, outputSize, reads, readCount, runnerFrom: module._kaland_runner_output_start(),
            outOfMemory: module._kaland_out_of_memory() === 1};
  }

  // The whole transcript: {state, output, reads, runnerFrom, outOfMemory}.
  function play(input, inputClosed = false) {
    return playSince(input, 0, 0, inputClosed);
  }

  // The first line of the start room's text, trimmed, as bytes.
  const startText = () => terminatedText(module._kaland_start_text());
  // The loaded map's facts, as bytes of the map: its title (#title, else
  // the start room's first line), #author and #blurb.
  const mapTitle = () => terminatedText(module._kaland_map_title());
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
  // tag; '' when it declares none.
  function mapLanguage() {
    return new TextDecoder('latin1').decode(terminatedText(module._kaland_map_language())).trim();
  }

  // How the loaded map's text is shown: 'utf-8' or 'windows-1250', the
  // engine's decision for the whole map, as a TextDecoder label.
  const encoding = () => new TextDecoder('latin1').decode(terminatedText(module._kaland_map_encoding()));

  return {load, play, playSince, startText, mapTitle, mapAuthor, mapBlurb, explain, mapLanguage, encoding};
}

if (typeof module === 'object' && module.exports) module.exports = {makeKalandEngine, KalandGameState};
