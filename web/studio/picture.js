// The map picture: the checker's --dot graph drawn by Graphviz in a worker,
// each room's node a button that moves the editor to the room's text, the
// room on show marked and what coverage never reached drawn faint. `view`
// (picture_view.js) zooms it and keeps the room on show in sight.
'use strict';

// How long a layout takes depends on how the exits cross more than on the
// count of rooms (bench/web_figures.py): a graph of more rooms and edges
// than this is not tried, and a drawing that takes longer than the time
// below is given up, as is any graph as large from then on.
export const MAX_DRAWN_ITEMS = 1200;
const MAX_DRAWING_MS = 1000;

export function createPicture(container, workerSource, {onChooseRoom, view}) {
  let worker = null;
  let workerReady = false; // Graphviz is loaded: drawings are timed from now
  let asked = 0;          // the id of the last drawing asked for
  let deadline = 0;       // the timer that gives a drawing up
  let tooSlow = Infinity; // the size of the smallest graph that took too long
  let drawnDot = null;    // the graph on show
  let graph = null;       // {nodes, edges} of the graph on show
  let asking = null;      // and of the graph asked for
  let graphShown = false; // the drawing asked for is in the page
  let pendingSize = 0;    // rooms and edges of the drawing asked for
  let marks = {current: null, unshownRooms: [], untakenExits: []};
  let shownCurrent = null; // the room last brought into view

  function startWorker() {
    const url = URL.createObjectURL(new Blob([workerSource()], {type: 'text/javascript'}));
    worker = new Worker(url);
    workerReady = false;
    worker.onmessage = (event) => {
      if (event.data.ready) {
        workerReady = true;
        if (drawnDot !== null && !graphShown) startDeadline();
        return;
      }
      if (event.data.id !== asked) return;
      clearTimeout(deadline);
      showDrawing(event.data);
    };
  }

  function say(text) {
    const note = document.createElement('p');
    note.className = 'hint';
    note.textContent = text;
    container.replaceChildren(note);
    view.drawn(null);
  }

  function startDeadline() {
    clearTimeout(deadline);
    deadline = setTimeout(() => {
      worker.terminate();
      worker = null;
      tooSlow = Math.min(tooSlow, pendingSize);
      drawnDot = null;
      say(`Drawing the map's ${pendingSize} rooms and exits takes more than a second, so the picture is left out. kaland-check --dot writes the graph for Graphviz.`);
    }, MAX_DRAWING_MS);
  }

  function showDrawing({svg, errors}) {
    graphShown = true;
    graph = asking;
    if (!svg) {
      say(`Graphviz could not draw the map: ${errors.join(' ')}`);
      return;
    }
    const parsed = new DOMParser().parseFromString(svg, 'image/svg+xml').documentElement;
    if (parsed.nodeName !== 'svg') return;
    parsed.querySelectorAll('script, foreignObject').forEach((element) => element.remove());
    parsed.setAttribute('role', 'group');
    parsed.setAttribute('aria-label', 'The rooms and their exits');
    for (const node of parsed.querySelectorAll('g.node')) {
      const room = graph.nodes[node.querySelector('title')?.textContent];
      if (!room) continue;
      node.dataset.room = room.room;
      node.setAttribute('tabindex', '0');
      node.setAttribute('role', 'button');
      const shown = [...node.querySelectorAll('text')].map((label) => label.textContent).join(' ');
      node.setAttribute('aria-label', `${shown} (room ${room.room}, line ${room.line})`);
    }
    container.replaceChildren(document.importNode(parsed, true));
    view.drawn(container.querySelector('svg'));
    for (const node of container.querySelectorAll('g.node[data-room]')) {
      const room = graph.nodes[node.querySelector('title').textContent];
      node.addEventListener('click', () => onChooseRoom(room));
      node.addEventListener('keydown', (event) => {
        if (event.key === 'Enter' || event.key === ' ') {
          event.preventDefault();
          onChooseRoom(room);
        }
      });
    }
    applyMarks();
  }

  function applyMarks() {
    const svg = container.querySelector('svg');
    if (!svg || !graph) return;
    const unshown = new Set(marks.unshownRooms.map(String));
    let current = null;
    for (const node of svg.querySelectorAll('g.node[data-room]')) {
      const isCurrent = node.dataset.room === String(marks.current);
      node.classList.toggle('current', isCurrent);
      if (isCurrent) current = node;
      node.classList.toggle('uncovered', unshown.has(node.dataset.room));
    }
    if (current && marks.current !== shownCurrent) view.keepInView(current);
    shownCurrent = current ? marks.current : null;
    // Graphviz numbers edges in the order the graph lists them.
    const untaken = new Set(marks.untakenExits);
    graph.edges.forEach((line, index) => {
      svg.querySelector(`#edge${index + 1}`)?.classList.toggle('uncovered', untaken.has(line));
    });
  }

  return {
    // The most rooms and edges a drawing is tried for.
    maxItems: () => Math.min(MAX_DRAWN_ITEMS, tooSlow - 1),
    // Draws `picture` (the engine's dot answer) unless it is on show
    // already; says why not for a graph too large.
    draw(picture) {
      if (picture.tooLarge) {
        drawnDot = null;
        say(`The map has ${picture.rooms} rooms and ${picture.edges} exits to draw, more than can be drawn within a second, so the picture is left out. kaland-check --dot writes the graph for Graphviz.`);
        return;
      }
      if (picture.dot === drawnDot) return;
      drawnDot = picture.dot;
      asking = picture;
      graphShown = false;
      pendingSize = Object.keys(picture.nodes).length + picture.edges.length;
      if (!worker) startWorker();
      worker.postMessage({id: ++asked, dot: picture.dot});
      if (workerReady) startDeadline();
    },
    // Loads Graphviz before the first drawing is asked for.
    warmUp() {
      if (!worker) startWorker();
    },
    mark(newMarks) {
      marks = {...marks, ...newMarks};
      applyMarks();
    },
  };
}
