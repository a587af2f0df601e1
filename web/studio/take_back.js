// Undo in the play pane takes back one typed line at a time; where Play
// from here, a route, a random game or Restart put other lines in place of
// the typed ones, Undo, once back at that point, brings the typed lines back.
'use strict';

export function createTakeBack() {
  let steps = [];  // {before: the lines replaced, count: how many replaced them}

  return {
    // The typed lines `before` were replaced by `after`.
    replaced(before, after) {
      steps.push({before: [...before], count: after.length});
    },
    // The lines Undo puts back now, given the typed `lines`; null when it
    // takes back the last line.
    undo(lines) {
      const last = steps.at(-1);
      if (!last || lines.length > last.count) return null;
      steps.pop();
      return last.before;
    },
    // Undo has lines to bring back.
    canUndo: () => steps.length > 0,
    clear() {
      steps = [];
    },
  };
}
