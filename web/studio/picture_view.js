// Zoom and pan for the map picture: the drawing scrolls in its pane, and
// grows or shrinks with the wheel, a pinch, the buttons or + and − (0 fits
// the whole map in the pane, 1 shows it at 100 %, where room names are as
// large as the map text). The view keeps its zoom when the map is drawn
// again after an edit, and brings the room on show into view when it
// changes. A drag moves the drawing and is not taken for a click on a room.
'use strict';

const ZOOM_STEP = 1.25;
const DRAG_PIXELS = 4;       // a move shorter than this is a click
const FALLBACK_LABEL_UNITS = 14;
const MARGIN_PIXELS = 24;    // room kept around a room brought into view

// `viewport`: the scrolling element the drawing is put in. `controls`:
// {zoomIn, zoomOut, fit, actual, level}. `textSize()`: the map text's font
// size in pixels. `words`: the studio's words.
export function createPictureView(viewport, controls, {textSize, words}) {
  let svg = null;
  let box = null;          // the drawing's size in its own units: {width, height}
  let labelUnits = FALLBACK_LABEL_UNITS;
  let scale = 0;           // pixels per unit
  let fitted = false;      // the drawing follows the pane's size
  let dragged = false;     // the last press moved the drawing
  const pointers = new Map();  // pointer id → {x, y}
  let pinch = null;        // {distance, scale} when two pointers pinch

  const actualScale = () => textSize() / labelUnits;
  function fitScale() {
    const width = viewport.clientWidth - 8;
    const height = viewport.clientHeight - 8;
    return Math.max(0.01, Math.min(width / box.width, height / box.height));
  }
  const limits = () => {
    const fit = fitScale();
    const actual = actualScale();
    return [Math.min(fit, actual) / 2, Math.max(fit, actual * 4)];
  };

  function showLevel() {
    const enabled = svg !== null;
    for (const button of [controls.zoomIn, controls.zoomOut, controls.fit, controls.actual]) button.disabled = !enabled;
    controls.level.textContent = enabled ? words.get('zoomLevel', Math.round((scale / actualScale()) * 100)) : '';
  }

  // Scales the drawing to `newScale`, keeping the point at (`x`, `y`) of
  // the pane (the pane's middle by default) where it is.
  function zoomTo(newScale, x = viewport.clientWidth / 2, y = viewport.clientHeight / 2) {
    if (!svg) return;
    const [least, most] = limits();
    newScale = Math.min(most, Math.max(least, newScale));
    const unitX = (viewport.scrollLeft + x) / scale;
    const unitY = (viewport.scrollTop + y) / scale;
    scale = newScale;
    svg.setAttribute('width', String(box.width * scale));
    svg.setAttribute('height', String(box.height * scale));
    viewport.scrollLeft = unitX * scale - x;
    viewport.scrollTop = unitY * scale - y;
    showLevel();
  }

  function fit() {
    if (!svg) return;
    fitted = true;
    zoomTo(fitScale());
    viewport.scrollLeft = 0;
    viewport.scrollTop = 0;
  }

  const zoomBy = (factor, x, y) => {
    fitted = false;
    zoomTo(scale * factor, x, y);
  };

  // Brings `element` of the drawing into view unless it is in view already.
  function keepInView(element) {
    if (!svg || !element) return;
    const pane = viewport.getBoundingClientRect();
    const shown = element.getBoundingClientRect();
    const inside = shown.left >= pane.left && shown.right <= pane.right && shown.top >= pane.top &&
                   shown.bottom <= pane.bottom;
    if (inside) return;
    const dx = shown.left + shown.width / 2 - (pane.left + pane.width / 2);
    const dy = shown.top + shown.height / 2 - (pane.top + pane.height / 2);
    viewport.scrollLeft += shown.width + MARGIN_PIXELS * 2 > pane.width ? shown.left - pane.left - MARGIN_PIXELS : dx;
    viewport.scrollTop += shown.height + MARGIN_PIXELS * 2 > pane.height ? shown.top - pane.top - MARGIN_PIXELS : dy;
  }

  const local = (event) => {
    const pane = viewport.getBoundingClientRect();
    return [event.clientX - pane.left, event.clientY - pane.top];
  };

  viewport.addEventListener('wheel', (event) => {
    if (!svg) return;
    event.preventDefault();
    const pixels = event.deltaMode === 1 ? event.deltaY * 16 : event.deltaMode === 2 ? event.deltaY * 400 : event.deltaY;
    zoomBy(Math.exp(-pixels * 0.002), ...local(event));
  }, {passive: false});

  viewport.addEventListener('pointerdown', (event) => {
    if (!svg || (event.pointerType === 'mouse' && event.button !== 0)) return;
    pointers.set(event.pointerId, {x: event.clientX, y: event.clientY, startX: event.clientX, startY: event.clientY});
    dragged = false;
    if (pointers.size === 2) {
      const [a, b] = [...pointers.values()];
      pinch = {distance: Math.hypot(a.x - b.x, a.y - b.y), scale};
    }
  });
  viewport.addEventListener('pointermove', (event) => {
    const pointer = pointers.get(event.pointerId);
    if (!pointer) return;
    const [dx, dy] = [event.clientX - pointer.x, event.clientY - pointer.y];
    pointer.x = event.clientX;
    pointer.y = event.clientY;
    if (pinch && pointers.size === 2) {
      const [a, b] = [...pointers.values()];
      const pane = viewport.getBoundingClientRect();
      fitted = false;
      zoomTo(pinch.scale * Math.hypot(a.x - b.x, a.y - b.y) / Math.max(1, pinch.distance),
             (a.x + b.x) / 2 - pane.left, (a.y + b.y) / 2 - pane.top);
      dragged = true;
      return;
    }
    if (!dragged && Math.hypot(event.clientX - pointer.startX, event.clientY - pointer.startY) < DRAG_PIXELS) return;
    if (!dragged) viewport.setPointerCapture(event.pointerId);
    dragged = true;
    viewport.scrollLeft -= dx;
    viewport.scrollTop -= dy;
  });
  const release = (event) => {
    pointers.delete(event.pointerId);
    if (pointers.size < 2) pinch = null;
  };
  viewport.addEventListener('pointerup', release);
  viewport.addEventListener('pointercancel', release);
  // A drag ends in a click on whatever is under the pointer: not a choice.
  viewport.addEventListener('click', (event) => {
    if (!dragged) return;
    dragged = false;
    event.stopPropagation();
    event.preventDefault();
  }, true);

  viewport.addEventListener('keydown', (event) => {
    if (!svg || event.ctrlKey || event.metaKey || event.altKey) return;
    const actions = {'+': () => zoomBy(ZOOM_STEP), '=': () => zoomBy(ZOOM_STEP), '-': () => zoomBy(1 / ZOOM_STEP),
                     '−': () => zoomBy(1 / ZOOM_STEP), '0': fit, '1': () => zoomBy(actualScale() / scale)};
    const action = actions[event.key];
    if (!action) return;
    event.preventDefault();
    action();
  });
  controls.zoomIn.addEventListener('click', () => zoomBy(ZOOM_STEP));
  controls.zoomOut.addEventListener('click', () => zoomBy(1 / ZOOM_STEP));
  controls.fit.addEventListener('click', fit);
  controls.actual.addEventListener('click', () => zoomBy(actualScale() / scale));
  new ResizeObserver(() => {
    if (fitted) fit();
  }).observe(viewport);
  showLevel();

  return {
    // A new drawing is in the pane (or none, for a message): it keeps the
    // zoom of the one before; the first is shown at 100 %.
    drawn(newSvg) {
      const first = svg === null;
      svg = newSvg;
      if (!svg) {
        showLevel();
        return;
      }
      const view = svg.viewBox.baseVal;
      box = view && view.width > 0 ? {width: view.width, height: view.height}
                                   : {width: svg.width.baseVal.value || 1, height: svg.height.baseVal.value || 1};
      labelUnits = Number.parseFloat(svg.querySelector('g.node[data-room] text')?.getAttribute('font-size')) || FALLBACK_LABEL_UNITS;
      const [left, top] = [viewport.scrollLeft, viewport.scrollTop];
      if (fitted) {
        fit();
        return;
      }
      scale = first || scale === 0 ? actualScale() : scale;
      zoomTo(scale);
      if (!first) {
        viewport.scrollLeft = left;
        viewport.scrollTop = top;
      }
    },
    keepInView,
  };
}
