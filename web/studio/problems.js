// Problems: the checker's diagnostics in a list (each a button that goes to
// its line) and as marks in the editor; the quick fixes the checker
// proposes as "Fix: ..." buttons, in the editor's tooltip and in a list
// under the problems, and on Ctrl+. at the cursor's line; and, once the
// author pauses, the problems that are new told to a screen reader.
//
// A fix, as the engine proposes it: {title, edits: [{line, remove, insert}]}
// (see editor.js, replaceLines), lines counted in the map as last checked;
// a diagnostic carries its fixes as `fixes`.
'use strict';


// `fields`: {list, fixes, summary, news}. `host`: {editor, text(byteString)
// in the map's encoding, mapName(), stale() (an edit the engine has not
// checked yet), words, say(message)}.
export function createProblems(fields, host) {
  const {editor, words} = host;
  let diagnostics = [];  // the last check's, decoded, each with its fixes
  let known = null;      // what the last announcement knew of: Set of keys

  // A problem's identity across edits that move it: its words without the
  // line it names.
  function keyOf(diagnostic) {
    const prefix = `${host.mapName()}:${diagnostic.line}:`;
    const rest = diagnostic.text.startsWith(prefix) ? diagnostic.text.slice(prefix.length) : diagnostic.text;
    return `${diagnostic.severity} ${rest}`;
  }

  // Makes `fix`, unless the map changed since it was proposed. Returns
  // whether it was made.
  function apply(fix) {
    if (host.stale()) {
      host.say(words.get('fixStale'));
      return false;
    }
    editor.replaceLines(fix.edits.map(({line, remove, insert}) => ({line, remove, insert: host.text(insert ?? '')})));
    host.say(words.get('fixed', fix.title));
    return true;
  }

  function button(text, className, onClick) {
    const element = document.createElement('button');
    element.type = 'button';
    element.textContent = text;
    if (className) element.className = className;
    element.addEventListener('click', onClick);
    return element;
  }

  function item(child) {
    const element = document.createElement('li');
    element.appendChild(child);
    return element;
  }

  function fixButton(diagnostic, fix) {
    const element = button(words.get('fix', fix.title), '', () => apply(fix));
    element.dataset.line = String(diagnostic.line);
    element.title = diagnostic.text;
    return element;
  }

  // Shows the engine's check: {diagnostics: [{line, severity, text, fixes}],
  // summary}.
  function show(check) {
    diagnostics = check.diagnostics.map((diagnostic) => ({
      ...diagnostic,
      text: host.text(diagnostic.text),
      fixes: (diagnostic.fixes ?? []).map((fix) => ({title: host.text(fix.title), edits: fix.edits ?? []})),
    }));
    editor.showDiagnostics(diagnostics.map((diagnostic) => ({
      ...diagnostic,
      actions: diagnostic.fixes.map((fix) => ({name: words.get('fix', fix.title), apply: () => apply(fix)})),
    })));
    fields.list.replaceChildren(...diagnostics.map((diagnostic) =>
      item(button(diagnostic.text, diagnostic.severity, () => editor.goToLine(diagnostic.line || 1)))));
    fields.fixes.replaceChildren(...diagnostics.flatMap((diagnostic) =>
      diagnostic.fixes.map((fix) => item(fixButton(diagnostic, fix)))));
    fields.summary.textContent = `(${host.text(check.summary)})`;
  }

  return {
    show,
    // Makes a fix: {title, edits} as the engine's byte strings. Returns
    // whether it was made.
    applyFix: (fix) => apply({title: host.text(fix.title), edits: fix.edits ?? []}),
    // Another map: its problems are not news.
    reset() {
      known = null;
      fields.news.textContent = '';
    },
    // Tells a screen reader of the problems that were not there at the last
    // pause (the first pause on a map only takes note of them).
    announce() {
      const keys = new Set(diagnostics.filter((diagnostic) => diagnostic.severity !== 'note').map(keyOf));
      const fresh = diagnostics.filter((diagnostic) => diagnostic.severity !== 'note' && known &&
                                                        !known.has(keyOf(diagnostic)));
      known = keys;
      if (fresh.length > 0) fields.news.textContent = words.get('newProblems', fresh.length, fresh[0].text);
    },
    // Ctrl+. in the editor: the one fix on the cursor's line is made; of
    // several, the first is given the focus in the list.
    fixAtCursor() {
      const line = editor.cursorLine();
      const here = diagnostics.filter((diagnostic) => diagnostic.line === line && diagnostic.fixes.length > 0);
      const fixes = here.flatMap((diagnostic) => diagnostic.fixes);
      if (fixes.length === 1) {
        apply(fixes[0]);
      } else if (fixes.length > 1) {
        fields.fixes.querySelector(`button[data-line="${line}"]`)?.focus();
      } else {
        host.say(words.get('noFix', line));
      }
      return true;
    },
  };
}
