// The testing pane: the map's counts, the routes to every ending (each one
// a button that plays it) and the coverage of the typed lines and the key
// scripts, every line as kaland-check prints it.
'use strict';

function item(text, className = '') {
  const element = document.createElement('li');
  element.textContent = text;
  if (className) element.className = className;
  return element;
}

export function showCounts(list, counts) {
  const rows = [
    ['Rooms', counts.rooms],
    ['Endings', counts.endings],
    ['Words of room text', counts.words ?? 'not counted: the map cannot be loaded here'],
    ['Longest route to an ending', counts.longestRoute === null ? 'none'
      : `${counts.longestRoute} ${counts.longestRoute === 1 ? 'line' : 'lines'} (ending ${counts.longestRouteTo})`],
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

// The transcript checks of kaland-check (a blessed script's expected output,
// random play) belong in this pane too, beside coverage, once the checker
// has them.
export function showCoverage(list, coverage, text) {
  if (coverage.refused) {
    list.replaceChildren(item('The runner refuses the map: see Problems.', 'hint'));
    return;
  }
  list.replaceChildren(...coverage.errors.map((line) => item(text(line), 'error')),
                       ...coverage.notes.map((line) => item(text(line))));
}
