// For the build of kaland.html: plays the bundled map's first room with the
// page's own engine, in Node, and prints as JSON what kaland-publish puts
// into a page it publishes (see PageFirstScreen): the first room's output
// and named exits in base64, how they are shown, and the page's title.
//   node bundled_first_screen.js ENGINE.js engine_api.js MAP
'use strict';

const fs = require('node:fs');
const path = require('node:path');

const [enginePath, apiPath, mapPath] = process.argv.slice(2);
const createKalandEngine = require(path.resolve(enginePath));
const {makeKalandEngine, KalandGameState} = require(path.resolve(apiPath));

(async () => {
  const engine = makeKalandEngine(await createKalandEngine());
  const bytes = fs.readFileSync(mapPath);
  const loaded = engine.load(bytes) === 'loaded';
  const first = engine.play(new Uint8Array(0));
  const decoder = new TextDecoder(engine.encoding());
  const title = decoder.decode(engine.mapTitle()) || path.basename(mapPath);
  const shown = loaded && first.state === KalandGameState.WaitingForLine && first.readCount === 1;
  const exits = engine.namedExits().map(({key, words}) => Buffer.concat([Buffer.from(key, 'latin1'), words, Buffer.from('\n')]));
  process.stdout.write(JSON.stringify({
    screen: shown ? Buffer.from(first.output).toString('base64') : '',
    encoding: engine.encoding(),
    headingHidden: title === decoder.decode(engine.startText()),
    exits: shown ? Buffer.concat(exits).toString('base64') : '',
    enter: shown && engine.waitsForEnter(),
    title,
  }));
})().catch((error) => {
  process.stderr.write(`${error}\n`);
  process.exit(1);
});
