// Plays random games off the page's thread: a million games on a large map
// take seconds, and the author keeps writing meanwhile. The page starts this
// worker with the engine's own code before this file's, so it runs a second
// engine, handed the map as it stood when the games were asked for.
'use strict';

import {makeStudioEngine} from './studio_api.js';

const PROGRESS_MS = 100;  // the least time between two reports of progress
let engine = null;

async function startEngine() {
  // createStudioEngine comes from the engine's code, first in this worker.
  const module = await createStudioEngine();
  let told = 0;
  module.onRandomProgress = (played) => {
    const now = performance.now();
    if (now - told < PROGRESS_MS) return;
    told = now;
    self.postMessage({progress: played});
  };
  return makeStudioEngine(module);
}

self.onmessage = async ({data: {map, name, machineMemory, options}}) => {
  try {
    engine ??= await startEngine();
    engine.setMachineMemory(machineMemory);
    engine.setMap(map);
    engine.setName(name);
    self.postMessage({report: engine.random(options)});
  } catch (error) {
    engine = null;  // a failed engine is not used again
    self.postMessage({failed: String(error)});
  }
};
