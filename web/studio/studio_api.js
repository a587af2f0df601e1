// The studio's handle on its WebAssembly engine (studio_engine.cpp):
// bytes in, answers out. No rule of the map or of play lives here.
'use strict';

// Strings in the engine's answers carry bytes (one character per byte).
export function bytesOf(byteString) {
  const bytes = new Uint8Array(byteString.length);
  for (let index = 0; index < byteString.length; ++index) bytes[index] = byteString.charCodeAt(index);
  return bytes;
}

// Bytes as such a string: the engine's answers are read so, and the studio
// keeps bytes so in the browser's storage.
export function byteStringOf(bytes) {
  let text = '';
  for (let start = 0; start < bytes.length; start += 8192) {
    text += String.fromCharCode.apply(null, bytes.subarray(start, start + 8192));
  }
  return text;
}

export function joinBytes(pieces) {
  const joined = new Uint8Array(pieces.reduce((total, piece) => total + piece.length, 0));
  let offset = 0;
  for (const piece of pieces) {
    joined.set(piece, offset);
    offset += piece.length;
  }
  return joined;
}

export function makeStudioEngine(module) {
  const heap = () => module.HEAPU8;

  function put(bytes, buffer = module._studio_input_buffer) {
    const pointer = buffer(bytes.length);
    heap().set(bytes, pointer);
  }

  function resultBytes() {
    const pointer = module._studio_result();
    return heap().slice(pointer, pointer + module._studio_result_size());
  }

  // A terminated string of the engine's, one character per byte.
  function byteString(pointer) {
    let end = pointer;
    while (heap()[end] !== 0) ++end;
    return byteStringOf(heap().subarray(pointer, end));
  }

  // The engine's JSON is ASCII: its strings escape every other byte.
  const json = (pointer) => JSON.parse(byteString(pointer));

  // The game states, what a line read did (ReadEffect), the largest map the
  // page opens (maxMapBytes), the kinds of a line's tokens and the
  // checker's defaults for random games, as the engine defines them.
  const constants = json(module._studio_constants());

  return {
    ...constants,
    setMachineMemory(gibibytes) {
      module._studio_set_machine_memory(gibibytes || 0);
    },
    // The map's bytes. Returns {encoding: how its text is shown,
    // lineSeparator: "\n" or "\r\n", as the editor keeps its lines}.
    setMap(bytes) {
      put(bytes, module._studio_map_buffer);
      return json(module._studio_set_map());
    },
    // The map's name in messages, as bytes in the map's encoding.
    setName(nameBytes) {
      put(nameBytes);
      module._studio_set_name();
    },
    // The diagnostics: {diagnostics: [{line, severity, text, fixes: [{title,
    // edits: [{line, remove, insert}]}]}], summary}. A fix's edits are whole
    // lines (1-based `line`; `remove` lines from it give way to `insert`, the
    // new lines' bytes each ending in "\n"; a line past the last appends),
    // applied from the last to the first.
    check: () => json(module._studio_check()),
    // The game's facts as the map gives them: {title, language}, byte strings.
    facts: () => json(module._studio_facts()),
    // The same of a map's `bytes` that is not open yet.
    factsOf(bytes) {
      put(bytes);
      return json(module._studio_facts_of_input());
    },
    // The language of the studio's words for a language tag (text): 'hu',
    // 'en', or '' for another language.
    wordsLanguage(tag) {
      put(new TextEncoder().encode(tag));
      return json(module._studio_words_language());
    },
    // A fresh IFID made of 16 random bytes (a Uint8Array from the browser's
    // crypto), as kaland-publish makes one.
    freshIfid(random16) {
      put(random16);
      return byteString(module._studio_fresh_ifid());
    },
    // "Add room" at the cursor's map line: {title, edits} as a fix has them,
    // or null where no room can be added.
    addRoom: (cursorLine) => json(module._studio_add_room(cursorLine)),
    // [from, to, kind name] of one line's bytes in `encoding`, in the
    // columns of the line's text.
    lineTokens(bytes, encoding) {
      put(bytes);
      const count = module._studio_line_tokens(encoding === 'utf-8' ? 1 : 0);
      const words = new Uint32Array(heap().buffer, module._studio_tokens(), count * 3);
      const tokens = [];
      for (let index = 0; index < count; ++index) {
        tokens.push([words[3 * index], words[3 * index + 1], constants.tokenKinds[words[3 * index + 2]]]);
      }
      return tokens;
    },
    dot: (maxItems) => json(module._studio_dot(maxItems)),
    routes: () => json(module._studio_routes()),
    routeTo: (room) => json(module._studio_route_to(room)),
    // Coverage of the scripts: [{name: bytes, bytes}]. Its notes are
    // [{text, line}], line being the map line a note is about (0: none):
    // with `maxNotes`, the first of them and the summary, and how many are
    // left out (omittedNotes); unshownRooms and untakenExits, for the
    // picture's marks, are empty where there are more than `maxMarks`.
    cover(scripts, {maxNotes = 0, maxMarks = 0xffffffff} = {}) {
      for (const script of scripts) {
        put(joinBytes([script.name, script.bytes]));
        module._studio_add_script(script.name.length);
      }
      return json(module._studio_cover(maxNotes, maxMarks));
    },
    // kaland-check --bless for one script (name and bytes as bytes):
    // {expected: the bytes of SCRIPT.expected, line: what kaland-check says}.
    bless(name, bytes) {
      put(joinBytes([name, bytes]));
      const answer = json(module._studio_bless(name.length));
      return {expected: bytesOf(answer.expected), line: answer.line};
    },
    // kaland-check --expect for the scripts [{name, bytes, expected}], all
    // bytes: {scripts: [{same, lines: [{text, line}]}], summary}, a map line
    // where a line of the report names one.
    expect(scripts) {
      for (const script of scripts) {
        put(joinBytes([script.name, script.bytes, script.expected]));
        module._studio_add_expectation(script.name.length, script.bytes.length);
      }
      return json(module._studio_expect());
    },
    // kaland-check --random with the form's {games, seed, steps} as typed:
    // {usage, field}, {refused} or the report (see studio_random).
    random({games, seed, steps}) {
      put(new TextEncoder().encode(`${games}\0${seed}\0${steps}`));
      return json(module._studio_random());
    },
    // Plays the typed input (bytes): {state, outOfMemory, reads, output},
    // each read with what its line did (see studio_play; `matched` is false
    // for a line no exit took, which the player page answers). While the
    // map does not load, the last map that loaded is played and the answer
    // has lastLoaded: {errorLine}, the line of the map's first error.
    play(input, inputClosed = false) {
      put(input);
      const result = json(module._studio_play(input.length, inputClosed ? 1 : 0));
      const pointer = module._studio_output();
      result.output = heap().slice(pointer, pointer + module._studio_output_size());
      return result;
    },
    roomAtLine: (line) => module._studio_room_at_line(line),
    roomDescribed: (room) => module._studio_room_described(room) === 1,
    counts: () => json(module._studio_counts()),
    // The name of a file made from the map's: its name without the
    // extension, then `ending` (".html", ".keys").
    fileNamedAfter(ending) {
      put(new TextEncoder().encode(ending));
      return byteString(module._studio_file_named_after());
    },
    // What kaland-publish says before publishing, `random16` being 16 bytes
    // for a fresh IFID: {refused, errors, warnings: [{text, line}] (each
    // warning with its notes), warningCount}, and for a map without a usable
    // #ifid freshIfid and ifidFix ({title, edits}, a fix that puts the #ifid
    // line where the facts go).
    publishWarnings(random16) {
      put(random16);
      return json(module._studio_publish_check());
    },
    // What kaland-publish writes: the page, or with `asZip` the zip for
    // game sites dated `time` (a Date); with `strict`, nothing for a map
    // the checker warns about, as kaland-publish --strict. `random`: 16
    // bytes for a fresh IFID. Returns {bytes, warnings} or {refusal,
    // status}, byte strings of kaland-publish's lines.
    publish(templateBytes, random, {asZip = false, time = new Date(), strict = false} = {}) {
      put(joinBytes([templateBytes, random]));
      const status = module._studio_publish(asZip ? 1 : 0, time.getFullYear(), time.getMonth() + 1, time.getDate(),
                                            time.getHours(), time.getMinutes(), time.getSeconds(), strict ? 1 : 0);
      const bytes = resultBytes();
      if (status !== 0) return {refusal: bytes, status};
      return {bytes, warnings: byteString(module._studio_publish_warnings())};
    },
  };
}
