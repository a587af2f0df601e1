// The testing pane: the map's counts, the routes to every ending (each one
// a button that plays it), the key scripts with what kaland-check --expect
// says of the blessed ones, and the coverage of the typed lines and the key
// scripts, every line as kaland-check prints it. Random games: random.js.
'use strict';

export function item(text, className = '') {
  const element = document.createElement('li');
  element.textContent = text;
  if (className) element.className = className;
  return element;
}

// A report of more lines than this shows its first lines and its last (the
// summary), and a button that shows the rest: tens of thousands of lines
// would hold the page up for a second each time.
export const SHOWN_LINES = 500;

// An item of a report: its text, or a button that goes to the map line it
// names (`go`, with the button's `title`).
function reportItem(line) {
  if (!line.go) return item(line.text, line.className);
  const element = item('', line.className);
  const button = document.createElement('button');
  button.type = 'button';
  button.textContent = line.text;
  button.title = line.title ?? '';
  button.addEventListener('click', line.go);
  element.appendChild(button);
  return element;
}

// Shows the report `lines` in `list`, one item each: `shape(line)` gives
// {text, className, go, title} of a line (the lines as they are by
// default), called only for the lines on show. `omitted`: how many lines
// the engine left out before the last (the summary); `onShowAll()` asks
// for them.
export function showLines(list, lines, shape = (line) => line, {omitted = 0, onShowAll = null} = {}) {
  const itemOf = (line) => reportItem(shape(line));
  const all = () => lines.map(itemOf);
  const gapOf = (count, show) => {
    const more = document.createElement('button');
    more.type = 'button';
    more.textContent = `Show the ${count.toLocaleString('en')} lines left out here`;
    more.addEventListener('click', () => {
      list.dataset.showAll = 'true';
      show();
      list.focus();
    });
    const gap = document.createElement('li');
    gap.className = 'more';
    gap.appendChild(more);
    return gap;
  };
  if (omitted > 0 && onShowAll) {
    list.replaceChildren(...lines.slice(0, -1).map(itemOf), gapOf(omitted, onShowAll), itemOf(lines.at(-1)));
    return;
  }
  if (lines.length <= SHOWN_LINES + 1 || list.dataset.showAll === 'true') {
    list.replaceChildren(...all());
    return;
  }
  const gap = gapOf(lines.length - SHOWN_LINES - 1, () => list.replaceChildren(...all()));
  list.replaceChildren(...lines.slice(0, SHOWN_LINES).map(itemOf), gap, itemOf(lines.at(-1)));
}

// Another map: long reports are shortened again.
export function shortenLines(list) {
  delete list.dataset.showAll;
}

// The engine's counts, in the studio's `words`.
export function showCounts(list, counts, words) {
  const rows = [
    [words.get('countRooms'), counts.rooms],
    [words.get('countEndings'), counts.endings],
    [words.get('countWords'), counts.words ?? words.get('notCounted')],
    [words.get('countLongest'), counts.longestRoute === null ? words.get('noRoute')
      : words.get('routeLength', counts.longestRoute, counts.longestRouteTo)],
  ];
  list.replaceChildren(...rows.flatMap(([term, value]) => {
    const name = document.createElement('dt');
    name.textContent = term;
    const figure = document.createElement('dd');
    figure.textContent = String(value);
    return [name, figure];
  }));
}

// `routes`: the engine's routes answer with its byte strings decoded by
// `text`; `onPlay(route)` plays one. The routes go to `list`, the warnings
// about endings no route reaches to `warningList`.
export function showRoutes(list, warningList, routes, text, onPlay) {
  warningList.replaceChildren(...(routes.warnings ?? []).map((warning) => item(text(warning), 'warning')));
  if (routes.refused) {
    list.replaceChildren(item('The runner refuses the map: see Problems.', 'hint'));
    return;
  }
  const items = routes.routes.map((route) => {
    const button = document.createElement('button');
    button.type = 'button';
    button.className = 'route';
    button.textContent = text(route.text);
    button.addEventListener('click', () => onPlay(route));
    const element = document.createElement('li');
    element.appendChild(button);
    return element;
  });
  if (items.length === 0 && routes.warnings.length === 0) items.push(item('The map has no ending.', 'hint'));
  list.replaceChildren(...items);
}

function button(text, action, name) {
  const element = document.createElement('button');
  element.type = 'button';
  element.textContent = text;
  element.dataset.action = action;
  element.dataset.script = name;
  return element;
}

// What --expect printed for a script: its lines, the map line among them a
// button that goes there.
function expectReport(result, text, onGoToLine) {
  if (result.same) {
    const same = document.createElement('p');
    same.className = 'same';
    same.textContent = 'Plays as expected.';
    return same;
  }
  const report = document.createElement('pre');
  report.className = 'expect-report';
  // A long report scrolls: from the keyboard too, when no map line has the focus.
  if (!result.lines.some((line) => line.line > 0)) report.tabIndex = 0;
  for (const line of result.lines) {
    if (line.line > 0) {
      const go = document.createElement('button');
      go.type = 'button';
      go.className = 'map-line';
      go.textContent = text(line.text);
      go.title = `Go to line ${line.line} of the map`;
      go.addEventListener('click', () => onGoToLine(line.line));
      report.append(go, '\n');
    } else {
      report.append(text(line.text) + '\n');
    }
  }
  return report;
}

// The key scripts [{name, expected, result}], each with its buttons ("Bless
// NAME", "Download NAME.expected" once blessed, "Download NAME", "Remove
// NAME": `onAction(action, script)`) and, blessed, what --expect says of it.
// `summary`: --expect's last line, or null. A button that had the focus
// keeps it.
export function showScripts(list, summaryLine, scripts, summary, {text, onAction, onGoToLine}) {
  const focused = list.contains(document.activeElement) ? document.activeElement.dataset : {};
  const items = scripts.map((script) => {
    const element = document.createElement('li');
    const name = document.createElement('p');
    name.className = 'script-name';
    name.textContent = `${script.name} ${script.expected ? '(blessed)' : '(not blessed)'}`;
    const buttons = document.createElement('div');
    buttons.className = 'button-row';
    buttons.append(button(`Bless ${script.name}`, 'bless', script.name));
    if (script.expected) buttons.append(button(`Download ${script.name}.expected`, 'expected', script.name));
    buttons.append(button(`Download ${script.name}`, 'script', script.name),
                   button(`Remove ${script.name}`, 'remove', script.name));
    buttons.addEventListener('click', (event) => {
      const action = event.target.closest('button')?.dataset.action;
      if (action) onAction(action, script);
    });
    element.append(name, buttons);
    if (script.expected && script.result) element.append(expectReport(script.result, text, onGoToLine));
    return element;
  });
  if (items.length === 0) items.push(item('No key scripts: only the typed lines are measured.', 'hint'));
  list.replaceChildren(...items);
  summaryLine.textContent = summary === null ? '' : text(summary);
  summaryLine.className = summary !== null && scripts.some((script) => script.result && !script.result.same)
    ? 'differs' : '';
  if (focused.action) {
    [...list.querySelectorAll('button')]
      .find((element) => element.dataset.action === focused.action && element.dataset.script === focused.script)
      ?.focus();
  }
}

// Coverage as kaland-check --cover prints it; a note about a map line (the
// engine's {text, line}) is a button that goes there. `label(line)`: the
// button's title; `onShowAll()`: the notes the engine left out are wanted.
export function showCoverage(list, coverage, text, {onGoToLine, label, onShowAll}) {
  if (coverage.refused) {
    list.replaceChildren(item('The runner refuses the map: see Problems.', 'hint'));
    return;
  }
  const shape = ({raw, error}) => {
    if (error) return {text: text(raw), className: 'error'};
    const note = {text: text(raw.text), line: raw.line};
    return note.line > 0 ? {text: note.text, go: () => onGoToLine(note.line), title: label(note.line)} : {text: note.text};
  };
  showLines(list, [...coverage.errors.map((raw) => ({raw, error: true})), ...coverage.notes.map((raw) => ({raw}))], shape,
            {omitted: coverage.omittedNotes ?? 0, onShowAll});
}
