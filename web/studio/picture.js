// The map picture: the checker's --dot graph drawn by Graphviz in a worker,
// each room's node a button that moves the editor to the room's text, the
// room on show outlined and what coverage never reached drawn faint.
'use strict';

// Above this many rooms a drawing takes more than a second (see
// bench/web_figures.py), so the picture says so instead of drawing.
export const MAX_DRAWN_ROOMS = 400;

export function createPicture(container, workerSource, {onChooseRoom}) {
  let worker = null;
  let asked = 0;          // the id of the last drawing asked for
  let drawnDot = null;    // the graph on show
  let graph = null;       // {nodes, edges} of the graph on show
  let marks = {current: null, unshownRooms: [], untakenExits: []};

  function startWorker() {
    const url = URL.createObjectURL(new Blob([workerSource], {type: 'text/javascript'}));
    worker = new Worker(url);
    worker.onmessage = (event) => {
      if (event.data.id === asked) showDrawing(event.data);
    };
  }

  function say(text) {
    const note = document.createElement('p');
    note.className = 'hint';
    note.textContent = text;
    container.replaceChildren(note);
  }

  function showDrawing({svg, errors}) {
    if (!svg) {
      say(`Graphviz could not draw the map: ${errors.join(' ')}`);
      return;
    }
    const parsed = new DOMParser().parseFromString(svg, 'image/svg+xml').documentElement;
    if (parsed.nodeName !== 'svg') return;
    parsed.querySelectorAll('script, foreignObject').forEach((element) => element.remove());
    parsed.setAttribute('role', 'group');
    parsed.setAttribute('aria-label', 'The rooms and their exits');
    parsed.removeAttribute('width');
    parsed.removeAttribute('height');
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
    if (!svg) return;
    const unshown = new Set(marks.unshownRooms.map(String));
    for (const node of svg.querySelectorAll('g.node[data-room]')) {
      node.classList.toggle('current', node.dataset.room === String(marks.current));
      node.classList.toggle('uncovered', unshown.has(node.dataset.room));
    }
    // Graphviz numbers edges in the order the graph lists them.
    const untaken = new Set(marks.untakenExits);
    graph.edges.forEach((line, index) => {
      svg.querySelector(`#edge${index + 1}`)?.classList.toggle('uncovered', untaken.has(line));
    });
  }

  return {
    // Draws `picture` (the engine's dot answer) unless it is on show already.
    draw(picture) {
      const rooms = Object.keys(picture.nodes).length;
      if (rooms > MAX_DRAWN_ROOMS) {
        drawnDot = null;
        say(`The map has ${rooms} rooms to draw; above ${MAX_DRAWN_ROOMS} drawing takes too long, so it is not drawn. kaland-check --dot writes the graph for Graphviz.`);
        return;
      }
      if (picture.dot === drawnDot) return;
      drawnDot = picture.dot;
      graph = picture;
      if (!worker) startWorker();
      worker.postMessage({id: ++asked, dot: picture.dot});
    },
    mark(newMarks) {
      marks = {...marks, ...newMarks};
      applyMarks();
    },
  };
}
