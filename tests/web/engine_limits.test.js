// The engine at its limits: a table larger than the page's memory is
// refused as such and the engine stays usable; the start room's title and
// the map's facts; a game played again from the start after a refusal; the
// checker's words for every refusal among the checker's cases.
//   KALAND_ENGINE=build-web/web/player/kaland_engine.js node --test tests/web/engine_limits.test.js
'use strict';

const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const test = require('node:test');

const root = path.resolve(__dirname, '..', '..');
const {makeKalandEngine, KalandGameState} = require(path.join(root, 'web', 'player', 'engine_api.js'));
const createKalandEngine = require(path.resolve(process.env.KALAND_ENGINE));

const text = (bytes) => Buffer.from(bytes).toString('latin1');
const zelmor = fs.readFileSync(path.join(root, 'zelmor.map'));
const checkCases = path.join(root, 'tests', 'check', 'cases');

test('engine limits', async (suite) => {
  const engine = makeKalandEngine(await createKalandEngine());

  await suite.test('a table larger than the page memory is refused, and the next map plays', () => {
    for (const room of ['20000000', '4294967295']) {
      assert.strictEqual(engine.load(Buffer.from(`#helyiseg ${room}\nFar away.\n#gameover\n`)), 'memory');
      const result = engine.play(Buffer.alloc(0));
      assert.strictEqual(result.state, KalandGameState.Stopped);
      assert.ok(result.outOfMemory);
      assert.strictEqual(result.output.length, 0, 'the runner says nothing for lack of memory');
    }
    assert.strictEqual(engine.load(zelmor), 'loaded');
    const result = engine.play(Buffer.alloc(0));
    assert.strictEqual(result.state, KalandGameState.WaitingForLine);
    assert.ok(!result.outOfMemory);
  });

  await suite.test('a refused map shows the runner message in every game', () => {
    assert.strictEqual(engine.load(Buffer.from('no rooms here\n')), 'refused');
    for (let game = 0; game < 2; ++game) {
      const result = engine.play(Buffer.from('a\n'));
      assert.strictEqual(result.state, KalandGameState.Stopped);
      assert.strictEqual(text(result.output), 'Nincs helyiseg');
      assert.strictEqual(result.runnerFrom, 0, 'all of it is the runner\'s own words');
    }
  });

  await suite.test('a refusal is explained as kaland-check explains it', () => {
    let explained = 0;
    for (const name of fs.readdirSync(checkCases).filter((name) => name.startsWith('error_')).sort()) {
      const map = path.join(checkCases, name, 'map');
      if (!fs.existsSync(map) || engine.load(fs.readFileSync(map)) !== 'refused') continue;
      const explanation = engine.explain(fs.readFileSync(map));
      assert.ok(explanation, `${name}: no explanation`);
      const where = explanation.line > 0 ? `map:${explanation.line}:` : 'map:';
      const error = `${where} error: "${text(engine.play(Buffer.alloc(0)).output).replace(/^Error: /, '').trim()}": ` +
                    text(explanation.text);
      assert.ok(fs.readFileSync(path.join(checkCases, name, 'errors'), 'latin1').split('\n').includes(error),
                `${name}: ${error}`);
      ++explained;
    }
    assert.ok(explained >= 8, `only ${explained} refused maps among the checker's cases`);
    // A map saved as UTF-16 is named so, in either byte order.
    for (const mark of [[0xff, 0xfe], [0xfe, 0xff]]) {
      const body = Buffer.from('#helyiseg 1\nA room.\n#gameover\n', 'utf16le');
      if (mark[0] === 0xfe) body.swap16();
      const map = Buffer.concat([Buffer.from(mark), body]);
      assert.strictEqual(engine.load(map), 'refused');
      assert.match(text(engine.explain(map).text), /^the file is in UTF-16 .*save it as UTF-8 or windows-1250$/);
    }
  });

  await suite.test('a defect met in play is explained by the checker\'s warning', () => {
    engine.load(Buffer.from('#helyiseg 1\nOne.\n#irany N 7 g\n#helyiseg 2\nTwo.\n#gameover\n'));
    assert.strictEqual(engine.play(Buffer.from('g\n')).state, KalandGameState.Stopped);
    const missing = engine.explain(Buffer.from('#helyiseg 1\nOne.\n#irany N 7 g\n#helyiseg 2\nTwo.\n#gameover\n'));
    assert.deepStrictEqual([missing.line, text(missing.text)], [3,
      'exit to room 7, but the highest room is 2: taking it ends the game with "Hibas terkep: 7 helyiseg nem letezik"']);
    const circle = fs.readFileSync(path.join(checkCases, 'warning_automatic_circle', 'map'));
    engine.load(circle);
    assert.strictEqual(engine.play(Buffer.from('e\n')).state, KalandGameState.Stopped);
    assert.match(text(engine.explain(circle).text), /^automatic rooms go round in a circle \(4 -> 5 -> 6 -> 4\)/);
    engine.load(zelmor);
    engine.play(Buffer.alloc(0));
    assert.strictEqual(engine.explain(zelmor), null, 'a game that goes on has nothing to explain');
  });

  await suite.test('the title is the first line of the start room, trimmed', () => {
    engine.load(Buffer.from('#helyiseg 7\n   Second  \n#helyiseg 3\n\t  The  Start \r\nmore\n#gameover\n'));
    assert.strictEqual(text(engine.startText()), 'The  Start');
    engine.load(Buffer.from('#helyiseg 2\n#gameover\n'));
    assert.strictEqual(text(engine.startText()), '');
  });

  await suite.test("the map's facts: #title before the start room's line, even from a refused map", () => {
    const facts = '#TITLE  The Well \n#author Kiss Anna\n#lang hu-HU\n#blurb Water.\n#lang en\n';
    engine.load(Buffer.from(`${facts}#helyiseg 1\nFirst line\n#author Late\n#gameover\n`));
    assert.deepStrictEqual([text(engine.mapTitle()), text(engine.mapAuthor()), engine.mapLanguage(), text(engine.mapBlurb())],
                           ['The Well', 'Kiss Anna', 'hu-HU', 'Water.']);
    assert.strictEqual(engine.load(Buffer.from(`${facts}#helyiseg 0\n`)), 'refused');
    assert.strictEqual(engine.mapLanguage(), 'hu-HU');
    engine.load(Buffer.from('#lang magyar\n#helyiseg 1\nFirst line\n#gameover\n'));
    assert.deepStrictEqual([text(engine.mapTitle()), text(engine.mapAuthor()), engine.mapLanguage()],
                           ['First line', '', '']);
  });

  await suite.test('a map of a million bytes loads and plays', () => {
    const rooms = [];
    for (let room = 1; room <= 5000; ++room) {
      rooms.push(`#helyiseg ${room}\n${'A corridor of stone, damp and long. '.repeat(6)}\n#irany N ${room + 1} n\n`);
    }
    rooms.push('#helyiseg 5001\nThe end.\n#gameover\n');
    const map = Buffer.from(rooms.join(''));
    assert.ok(map.length > 1000000);
    assert.strictEqual(engine.load(map), 'loaded');
    const result = engine.play(Buffer.from('n\n'.repeat(5000)));
    assert.strictEqual(result.state, KalandGameState.WaitingForEnter);
    assert.ok(text(result.output).endsWith('\nThe end.\n\nNyomj <Enter>-t a kilepeshez!'));
  });
});
