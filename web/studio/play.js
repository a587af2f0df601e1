// The play pane: the lines typed so far, played again through the engine
// after every keystroke of the author and every line typed, shown as the
// player page shows them. When an edit changes what a typed line did (the
// room it was read in, or where it led), the pane says so at that line (and
// the studio's status says it aloud). What an edit changes in the log is
// not read out again: the log is a live region for the lines typed only.
'use strict';

// How long after an edit the log is live again: past the next frame, when
// the browser has taken in the edit's changes.
const QUIET_MS = 150;

export function createPlay(log) {
  let quietTimer = 0;
  let lines = [];        // the typed lines, as bytes, each without its newline
  let reference = [];    // what each typed line did when it was typed: {room, target}
  let result = null;     // the last play
  let notice = null;     // {after: index of the typed line it follows, or -1; text}
  let shown = [];        // the log's pieces: {text}, {typed} or {notice}
  let render = null;     // shows the log again as the last replay made it text

  const samePiece = (a, b) => a.text === b.text && a.typed === b.typed && a.notice === b.notice;

  function makeNode(piece) {
    if (piece.text !== undefined) return document.createTextNode(piece.text);
    const element = document.createElement('span');
    if (piece.typed !== undefined) {
      element.className = 'input';
      element.setAttribute('aria-hidden', 'true');  // read out as typed, not again
      element.textContent = piece.typed + '\n';
    } else {
      element.className = 'notice';
      element.textContent = piece.notice + '\n';
    }
    return element;
  }

  // Changes the log into `pieces` at its end only, so that a screen reader
  // hears just what is new; `quietly` (after an edit), it hears nothing.
  function show(pieces, quietly) {
    clearTimeout(quietTimer);
    if (quietly) {
      log.setAttribute('aria-live', 'off');
      quietTimer = setTimeout(() => log.setAttribute('aria-live', 'polite'), QUIET_MS);
    } else {
      log.setAttribute('aria-live', 'polite');
    }
    let kept = 0;
    while (kept < shown.length && kept < pieces.length && samePiece(shown[kept], pieces[kept])) ++kept;
    while (log.childNodes.length > kept) log.lastChild.remove();
    for (const piece of pieces.slice(kept)) log.appendChild(makeNode(piece));
    shown = pieces;
    log.scrollTop = log.scrollHeight;
  }

  function transcript(decode, lineText) {
    const pieces = [];
    const read = readLines();
    const addNotice = (after) => {
      if (notice && notice.after === after) pieces.push({notice: notice.text});
    };
    addNotice(-1);
    let start = 0;
    for (let index = 0; index < read; ++index) {
      const end = result.reads[index].at;
      pieces.push({text: decode(result.output.subarray(start, end))});
      pieces.push({typed: lineText(lines[index])});
      addNotice(index);
      start = end;
    }
    pieces.push({text: decode(result.output.subarray(start))});
    if (notice && notice.after >= read) pieces.push({notice: notice.text});
    return pieces;
  }

  // How many typed lines the game read (lines typed after its end are kept
  // for when an edit lets the game get that far).
  const readLines = () => Math.min(lines.length, result ? result.reads.length : 0);

  // What the first changed line did before and does now, in words.
  function findChange(roomDescribed, lineText) {
    for (let index = 0; index < Math.min(reference.length, lines.length); ++index) {
      const before = reference[index];
      const now = result.reads[index];
      const line = `Line ${index + 1}, “${lineText(lines[index])}”,`;
      if (!now) return {after: index - 1, text: `${line} is no longer read: the game ends before it.`};
      if (now.room !== before.room) {
        const why = roomDescribed(before.room) ? `is now read in room ${now.room}, not in room ${before.room}`
                                               : `was read in room ${before.room}, which is gone; it is now read in room ${now.room}`;
        return {after: index, text: `${line} ${why}.`};
      }
      if (now.target !== before.target) {
        const why = now.target === undefined
          ? `no longer leads anywhere in room ${now.room} (it led to room ${before.target})`
          : before.target === undefined ? `now leads to room ${now.target}`
                                        : `now leads to room ${now.target}, not to room ${before.target}`;
        return {after: index, text: `${line} ${why}. The game plays on from there.`};
      }
    }
    return null;
  }

  return {
    lines: () => lines,
    // The engine's GameState of the last play; null before the first.
    state: () => (result ? result.state : null),
    // The room on show where the game waits or ended; null when none.
    currentRoom() {
      if (!result || result.reads.length === 0) return null;
      return result.reads[Math.min(readLines(), result.reads.length - 1)].room;
    },
    // Plays `typed` (or the lines kept) with `play(lines)` and shows it,
    // the output as `decode` and the typed lines as `lineText` make them
    // text. `changed`: the map was edited, so say which typed line now does
    // something else. `message`: the studio's own words after the lines.
    replay({play, decode, lineText, roomDescribed, typed, changed = false, message = null}) {
      if (typed) lines = typed;
      result = play(lines);
      if (!changed) {
        reference = result.reads.slice(0, readLines()).map(({room, target}) => ({room, target}));
        notice = message ? {after: readLines() - 1, text: message} : null;
      } else {
        notice = findChange(roomDescribed, lineText);
      }
      if (result.outOfMemory && !notice) {
        notice = {after: readLines() - 1, text: 'The room table of this map needs more memory than the browser gives ' +
                                                 'this page; kaland on a computer may still play it.'};
      }
      render = (quietly) => show(transcript(decode, lineText), quietly);
      render(changed);
      return notice;
    },
    // What the last typed line did (the engine's ReadEffect); null when the
    // game has not read it.
    lastEffect: () => (lines.length > 0 && readLines() === lines.length ? result.reads[lines.length - 1].effect : null),
    // Says `text` in the log after the last line read, as the studio's own words.
    addNotice(text) {
      notice = {after: readLines() - 1, text};
      render?.(false);
      return notice;
    },
    clearLog() {
      log.replaceChildren();
      shown = [];
    },
  };
}
