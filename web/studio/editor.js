// The map editor: CodeMirror 6 with line numbers, search, undo, line
// wrapping on request, the checker's diagnostics as lint marks (with their
// quick fixes as actions), and colours from the engine's own reading of each
// line (no rule of the map is written here).
'use strict';

import {Compartment, EditorState, RangeSetBuilder, StateEffect} from '@codemirror/state';
import {
  Decoration, EditorView, ViewPlugin, drawSelection, highlightActiveLine, highlightActiveLineGutter,
  highlightSpecialChars, keymap, lineNumbers,
} from '@codemirror/view';
import {defaultKeymap, history, historyKeymap, insertNewline} from '@codemirror/commands';
import {highlightSelectionMatches, search, searchKeymap} from '@codemirror/search';
import {lintGutter, lintKeymap, setDiagnostics} from '@codemirror/lint';

const recolour = StateEffect.define();

// `tokensOf(text)` gives [from, to, kind] character spans of one line.
function colours(tokensOf) {
  const marks = new Map();
  const markOf = (kind) => {
    if (!marks.has(kind)) marks.set(kind, Decoration.mark({class: `tok-${kind}`}));
    return marks.get(kind);
  };
  const build = (view) => {
    const builder = new RangeSetBuilder();
    for (const {from, to} of view.visibleRanges) {
      for (let position = from; position <= to;) {
        const line = view.state.doc.lineAt(position);
        for (const [start, end, kind] of tokensOf(line.text)) builder.add(line.from + start, line.from + end, markOf(kind));
        position = line.to + 1;
      }
    }
    return builder.finish();
  };
  return ViewPlugin.fromClass(class {
    constructor(view) {
      this.decorations = build(view);
    }
    update(update) {
      if (update.docChanged || update.viewportChanged ||
          update.transactions.some((transaction) => transaction.effects.some((effect) => effect.is(recolour)))) {
        this.decorations = build(update.view);
      }
    }
  }, {decorations: (plugin) => plugin.decorations});
}

// Colours that follow the page's light or dark theme (studio.css).
const theme = EditorView.theme({
  '&': {height: '100%', backgroundColor: 'var(--field)', color: 'var(--text)'},
  '.cm-content': {fontFamily: 'ui-monospace, monospace', caretColor: 'var(--text)'},
  '.cm-gutters': {backgroundColor: 'var(--panel)', color: 'var(--muted)', borderRight: '1px solid var(--border)'},
  '.cm-activeLine, .cm-activeLineGutter': {backgroundColor: 'var(--active-line)'},
  '&.cm-focused': {outline: '0.2rem solid var(--focus)', outlineOffset: '-0.2rem'},
  '&.cm-focused .cm-cursor': {borderLeftColor: 'var(--text)'},
  '&.cm-focused .cm-selectionBackground, .cm-selectionBackground, ::selection': {backgroundColor: 'var(--selection)'},
});

// `onQuickFix()`: Ctrl+. (Cmd+. on a Mac) was pressed. `wrap`: long lines
// wrap from the start.
export function createEditor(parent, {onChange, onCursor, tokensOf, onQuickFix = () => false, wrap = false}) {
  const wrapping = new Compartment();
  let wrapped = wrap;
  const extensions = (lineSeparator) => [
    wrapping.of(wrapped ? EditorView.lineWrapping : []),
    EditorState.lineSeparator.of(lineSeparator),
    lineNumbers(),
    highlightActiveLineGutter(),
    highlightSpecialChars(),
    history(),
    drawSelection(),
    highlightActiveLine(),
    highlightSelectionMatches(),
    search({top: true}),
    lintGutter(),
    colours(tokensOf),
    theme,
    EditorView.contentAttributes.of({'aria-label': 'Map text', 'tabindex': '0', 'spellcheck': 'false',
                                     'autocapitalize': 'off'}),
    // Enter starts an empty line: indentation is part of a map line's text,
    // so the editor never adds any of its own.
    keymap.of([{key: 'Enter', run: insertNewline}, {key: 'Mod-.', run: () => onQuickFix() !== false},
               ...defaultKeymap, ...historyKeymap, ...searchKeymap, ...lintKeymap]),
    EditorView.updateListener.of((update) => {
      if (update.docChanged) onChange(update);
      if (update.selectionSet) onCursor();
    }),
  ];
  const view = new EditorView({parent, state: EditorState.create({doc: '', extensions: extensions('\n')})});

  return {
    view,
    // A new document: its own undo history and line separator, shown from
    // its start.
    setDocument(text, lineSeparator) {
      view.setState(EditorState.create({doc: text, extensions: extensions(lineSeparator)}));
      view.scrollDOM.scrollTop = 0;
      view.scrollDOM.scrollLeft = 0;
    },
    text: () => view.state.sliceDoc(),  // with the map's own line separator
    // The document as it stands, as a value that changes with every edit
    // (CodeMirror's Text).
    version: () => view.state.doc,
    // The map's own line separator.
    lineBreak: () => view.state.lineBreak,
    // The text of each line, from the first.
    lines: () => view.state.doc.iterLines(),
    setWrapping(on) {
      wrapped = on;
      view.dispatch({effects: wrapping.reconfigure(on ? EditorView.lineWrapping : [])});
    },
    // Replaces whole lines, as one step that Undo takes back: each edit
    // {line, remove, insert} removes `remove` lines from line `line` (1 is
    // the first; one past the last adds at the end) and puts the text
    // `insert` (lines ending in \n) there. Lines count in the document as
    // it stands.
    replaceLines(edits) {
      const {doc, lineBreak} = view.state;
      const changes = edits.map(({line, remove = 0, insert = ''}) => {
        let text = insert.replace(/\r?\n/g, lineBreak);
        if (line > doc.lines) {
          const last = doc.line(doc.lines);
          if (last.length > 0) text = lineBreak + text.replace(new RegExp(`${lineBreak}$`), '');
          return {from: doc.length, to: doc.length, insert: text};
        }
        const from = doc.line(Math.max(1, line)).from;
        const end = line + remove;
        const to = remove <= 0 ? from : end <= doc.lines ? doc.line(end).from : doc.length;
        if (end > doc.lines && remove > 0 && text.endsWith(lineBreak)) text = text.slice(0, -lineBreak.length);
        return {from, to, insert: text};
      });
      view.dispatch({changes, scrollIntoView: true, userEvent: 'input.fix'});
      view.focus();
    },
    recolour() {
      view.dispatch({effects: recolour.of(null)});
    },
    // Diagnostics: [{line, severity, text, actions}] with 1-based lines (0:
    // the file) and actions [{name, apply()}] as buttons in the tooltip; a
    // note is shown as CodeMirror's 'info'.
    showDiagnostics(diagnostics) {
      const doc = view.state.doc;
      const marks = diagnostics.filter((diagnostic) => diagnostic.line > 0).map((diagnostic) => {
        const line = doc.line(Math.min(diagnostic.line, doc.lines));
        const actions = (diagnostic.actions ?? []).map(({name, apply}) => ({name, apply: () => apply()}));
        return {from: line.from, to: line.to, severity: diagnostic.severity === 'note' ? 'info' : diagnostic.severity,
                message: diagnostic.text, actions};
      });
      view.dispatch(setDiagnostics(view.state, marks));
    },
    goToLine(number) {
      const line = view.state.doc.line(Math.max(1, Math.min(number, view.state.doc.lines)));
      view.dispatch({selection: {anchor: line.from}, effects: EditorView.scrollIntoView(line.from, {y: 'center'})});
      view.focus();
    },
    cursorLine: () => view.state.doc.lineAt(view.state.selection.main.head).number,
  };
}
