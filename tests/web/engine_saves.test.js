// The engine's save files are key scripts the console program plays to the
// same point: after every line of the bundled walkthrough (rooms that wait
// for a key, scenes, the exit prompt, the end), `kaland zelmor.map < SAVE`
// writes what the typed lines alone make it write; the engine reads the
// save back whole, and on an edited map stops after the last line that
// still leads where it led. The key buttons of a room are the keys its text
// names and an exit takes.
//   KALAND_ENGINE=build-web/web/player/kaland_engine.js KALAND_NATIVE_BUILD=build \
//   node --test tests/web/engine_saves.test.js
'use strict';

const assert = require('node:assert');
const childProcess = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const test = require('node:test');

const root = path.resolve(__dirname, '..', '..');
const {makeKalandEngine, KalandSaveOutcome, KalandSaveMap} = require(path.join(root, 'web', 'player', 'engine_api.js'));
const createKalandEngine = require(path.resolve(process.env.KALAND_ENGINE));

const mapPath = path.join(root, 'zelmor.map');
const map = fs.readFileSync(mapPath);
const walkthrough = fs.readFileSync(path.join(root, 'zelmor.walkthrough'), 'latin1').split('\n').slice(0, -1);
const input = (lines) => Buffer.from(lines.map((line) => `${line}\n`).join(''), 'latin1');

function runner(stdin) {
  const kaland = path.join(process.env.KALAND_NATIVE_BUILD ?? '', 'kaland');
  return childProcess.spawnSync(kaland, [mapPath], {input: stdin, timeout: 30000, maxBuffer: 1 << 20});
}

test('save files', async (suite) => {
  const engine = makeKalandEngine(await createKalandEngine());
  assert.strictEqual(engine.load(map), 'loaded');

  await suite.test('play under the console program as the typed lines do', (t) => {
    if (!fs.existsSync(path.join(process.env.KALAND_NATIVE_BUILD ?? '', 'kaland'))) {
      if (process.env.KALAND_REQUIRE_WEB_TESTS === '1') assert.fail('KALAND_NATIVE_BUILD has no kaland');
      t.skip('no native build given (KALAND_NATIVE_BUILD)');
      return;
    }
    for (let count = 0; count <= walkthrough.length; ++count) {
      const typed = input(walkthrough.slice(0, count));
      const save = Buffer.from(engine.saveFile(typed));
      const expected = runner(typed);
      const played = runner(save);
      assert.strictEqual(played.stdout.toString('latin1'), expected.stdout.toString('latin1'), `after ${count} lines`);
      assert.strictEqual(played.status, expected.status);
      const report = engine.readSave(save);
      const described = save.includes('#kaland-save ');
      assert.strictEqual(report.outcome, described ? KalandSaveOutcome.Whole : KalandSaveOutcome.Unchecked);
      assert.strictEqual(report.map, described ? KalandSaveMap.This : KalandSaveMap.Unnamed);
      assert.strictEqual(report.kept, count, `read back after ${count} lines`);
      assert.deepStrictEqual(Buffer.from(report.input), typed);
    }
  });

  await suite.test('stop on an edited map after the last line that leads where it led', () => {
    const save = engine.saveFile(input(['w', 't', '', 'e']));
    // The hut's [t] leads to room 8 now, not to the talk with Bence.
    const edited = Buffer.from(map.toString('latin1').replace('#irany N 7 t', '#irany N 8 t'), 'latin1');
    assert.notDeepStrictEqual(edited, map);
    assert.strictEqual(engine.load(edited), 'loaded');
    const report = engine.readSave(save);
    assert.strictEqual(report.outcome, KalandSaveOutcome.LineLeadsElsewhere);
    assert.strictEqual(report.map, KalandSaveMap.Other);
    assert.deepStrictEqual([report.lines, report.kept, report.line], [4, 1, 2]);
    assert.strictEqual(Buffer.from(report.input).toString(), 'w\nt\n\ne\n', 'all its lines, of which the first is kept');
    engine.load(map);
  });

  await suite.test('key buttons name only keys the text names', () => {
    engine.play(Buffer.alloc(0));
    const text = (exits) => exits.map(({key, words}) => `${key} ${Buffer.from(words)}`);
    assert.deepStrictEqual(text(engine.namedExits()), ['n north to the market square',
      'e east along the cliff path to the lighthouse', "w west to the fisherman's hut"]);
    assert.strictEqual(engine.waitsForEnter(), false);
    engine.play(input(['w', 't']));
    assert.deepStrictEqual(engine.namedExits(), []);
    assert.strictEqual(engine.waitsForEnter(), true);
  });
});
