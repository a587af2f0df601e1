// Plays the end-to-end cases through the WebAssembly engine, the way the
// page does, and compares with the console program's expected output byte
// for byte. Cases that need command-line arguments other than the map, a
// generate script, or bytes that are not plain text are left to the console
// suite; the summary says how many were played.
//   KALAND_ENGINE=build-web/web/player/kaland_engine.js node --test tests/web/engine_cases.test.js
'use strict';

const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const test = require('node:test');

const root = path.resolve(__dirname, '..', '..');
const casesDir = path.join(root, 'tests', 'e2e', 'cases');
const {makeKalandEngine, KalandGameState} = require(path.join(root, 'web', 'player', 'engine_api.js'));
const createKalandEngine = require(path.resolve(process.env.KALAND_ENGINE));

const readIfPresent = (file) => (fs.existsSync(file) ? fs.readFileSync(file) : Buffer.alloc(0));

// Valid UTF-8 without control bytes other than tab, LF and CR.
function isPlainText(bytes) {
  try {
    new TextDecoder('utf-8', {fatal: true}).decode(bytes);
  } catch (error) {
    return false;
  }
  return !bytes.some((byte) => byte < 0x20 && byte !== 0x09 && byte !== 0x0a && byte !== 0x0d);
}

// The case's map, or why it is not played here.
function caseMap(dir) {
  if (fs.existsSync(path.join(dir, 'generate'))) return {skip: 'makes its map with a script'};
  let mapName = 'map';
  const argsFile = path.join(dir, 'args');
  if (fs.existsSync(argsFile)) {
    const args = fs.readFileSync(argsFile, 'utf8');
    if (args === '' && fs.existsSync(path.join(dir, 'zelmor.map'))) {
      mapName = 'zelmor.map';  // no argument: the default map of the folder
    } else if (args.replace(/\n$/, '') !== 'map') {
      return {skip: 'needs other command-line arguments'};
    }
  }
  const mapFile = path.join(dir, mapName);
  if (!fs.existsSync(mapFile) || !fs.statSync(mapFile).isFile()) return {skip: 'has no map file'};
  const map = fs.readFileSync(mapFile);
  const input = readIfPresent(path.join(dir, 'input'));
  const output = readIfPresent(path.join(dir, 'output'));
  if (![map, input, output].every(isPlainText)) return {skip: 'holds bytes that are not plain text'};
  const statusFile = path.join(dir, 'status');
  const status = fs.existsSync(statusFile) ? Number(fs.readFileSync(statusFile, 'utf8').trim()) : 0;
  return {map, input, output, status};
}

// The input as the page would type it: every line with its newline.
function typedLines(input) {
  const lines = [];
  let start = 0;
  while (start < input.length) {
    let end = input.indexOf(0x0a, start);
    if (end < 0) end = input.length;
    lines.push(Buffer.concat([input.subarray(start, end), Buffer.from('\n')]));
    start = end + 1;
  }
  return lines;
}

const isOver = (state) => state === KalandGameState.Finished || state === KalandGameState.Stopped;

test('end-to-end cases through the WebAssembly engine', async (suite) => {
  const engine = makeKalandEngine(await createKalandEngine());
  const names = fs.readdirSync(casesDir).filter((name) => fs.statSync(path.join(casesDir, name)).isDirectory()).sort();
  let played = 0;
  let defects = 0;
  const skipped = {};

  for (const name of names) {
    const found = caseMap(path.join(casesDir, name));
    if (found.skip) {
      skipped[found.skip] = (skipped[found.skip] ?? 0) + 1;
      continue;
    }
    ++played;
    if (found.status !== 0) ++defects;
    await suite.test(name, () => {
      engine.load(found.map);

      // The whole input at once, ending as a piped file ends.
      const piped = engine.play(found.input, true);
      assert.strictEqual(Buffer.from(piped.output).toString('latin1'), found.output.toString('latin1'));
      assert.strictEqual(piped.state, found.status === 0 ? KalandGameState.Finished : KalandGameState.Stopped);

      // Line by line as the player types: the log only grows, each typed
      // line is read where the console program waits, and the game ends
      // with exactly the console's output.
      const lines = typedLines(found.input);
      let previous = Buffer.alloc(0);
      for (let count = 0; count <= lines.length; ++count) {
        const result = engine.play(Buffer.concat(lines.slice(0, count)));
        const output = Buffer.from(result.output);
        assert.ok(found.output.subarray(0, output.length).equals(output), `after ${count} lines the log is not the console's`);
        assert.ok(output.subarray(0, previous.length).equals(previous), `after ${count} lines the log lost text`);
        if (isOver(result.state)) {
          assert.ok(output.equals(found.output), 'an ended game shows the whole output');
          break;
        }
        assert.strictEqual(result.reads.length, count + 1, `line ${count + 1} is not the one awaited`);
        assert.strictEqual(result.reads[count], output.length, 'the game does not wait at the end of its output');
        if (result.state === KalandGameState.WaitingForEnter) {
          assert.ok(output.toString('latin1').endsWith('Nyomj <Enter>-t a kilepeshez!'));
          assert.strictEqual(Buffer.from(result.output.subarray(result.runnerFrom)).toString('latin1'),
                             'Nyomj <Enter>-t a kilepeshez!', 'the exit prompt is the runner\'s own');
        } else {
          assert.strictEqual(result.runnerFrom, output.length);
        }
        // What is new since the line before, as the page asks for it.
        const since = engine.playSince(Buffer.concat(lines.slice(0, count)), previous.length, count);
        assert.ok(Buffer.from(since.output).equals(output.subarray(previous.length)));
        assert.deepStrictEqual(since.reads, result.reads.slice(count));
        previous = output;
      }
    });
  }

  const why = Object.entries(skipped).map(([reason, count]) => `${count} ${reason}`).join(', ');
  console.log(`played ${played} of ${names.length} end-to-end cases (${defects} of them end with a defect or refusal); skipped: ${why}`);
  assert.ok(played >= 50, 'too few cases played: the case folder format may have changed');
  assert.ok(defects >= 10, 'too few defect cases played');
});
