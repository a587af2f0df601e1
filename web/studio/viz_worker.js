// Draws Graphviz graphs off the page's thread: a large layout takes seconds,
// and the author keeps typing meanwhile.
'use strict';

import {instance} from '@viz-js/viz';

const viz = instance();
viz.then(() => self.postMessage({ready: true}));

self.onmessage = async (event) => {
  const {id, dot} = event.data;
  const result = (await viz).render(dot, {format: 'svg'});
  const errors = result.errors.filter((error) => error.level === 'error').map((error) => error.message);
  self.postMessage({id, svg: result.status === 'success' ? result.output : null, errors});
};
