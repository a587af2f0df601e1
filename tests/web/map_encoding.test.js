// A map that is UTF-8 in its first line and windows-1250 later shows the same
// text everywhere: the first line of the page's log (the engine's output,
// decoded as the page decodes it), kaland-check's --dot label (its checker
// case) and kaland-publish's heading and <title> (with a native build).
//   KALAND_ENGINE=build-web/web/player/kaland_engine.js KALAND_PAGE=build-web/kaland.html \
//   KALAND_NATIVE_BUILD=build node --test tests/web/map_encoding.test.js
'use strict';

const assert = require('node:assert');
const childProcess = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const test = require('node:test');

const root = path.resolve(__dirname, '..', '..');
const caseDir = path.join(root, 'tests', 'check', 'cases', 'dot_map_in_two_encodings_is_windows_1250');
const {makeKalandEngine} = require(path.join(root, 'web', 'player', 'engine_api.js'));
const createKalandEngine = require(path.resolve(process.env.KALAND_ENGINE));

const map = fs.readFileSync(path.join(caseDir, 'map'));
const shown = 'Ĺ‘ title';  // "\xC5\x91 title" read as windows-1250, as the rest of the map is

test('one encoding for the whole map', async (suite) => {
  await suite.test('the page log', async () => {
    const engine = makeKalandEngine(await createKalandEngine());
    assert.strictEqual(engine.load(map), 'loaded');
    assert.strictEqual(engine.encoding(), 'windows-1250');
    const log = new TextDecoder(engine.encoding()).decode(engine.play(Buffer.alloc(0)).output);
    assert.strictEqual(log.split('\n').find((line) => line !== ''), shown);
  });

  await suite.test('the --dot label', () => {
    const picture = fs.readFileSync(path.join(caseDir, 'output'), 'utf8');
    assert.match(picture, new RegExp(`label="1\\\\n${shown}"`));
  });

  await suite.test('the published heading and title', (t) => {
    const native = process.env.KALAND_NATIVE_BUILD;
    const publish = native ? path.join(native, 'kaland-publish') : '';
    if (!publish || !fs.existsSync(publish)) {
      if (process.env.KALAND_REQUIRE_WEB_TESTS === '1') assert.fail('KALAND_NATIVE_BUILD has no kaland-publish');
      t.skip('no native build given (KALAND_NATIVE_BUILD)');
      return;
    }
    const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'kaland-encoding-'));
    try {
      fs.copyFileSync(publish, path.join(scratch, 'kaland-publish'));
      fs.chmodSync(path.join(scratch, 'kaland-publish'), 0o755);
      fs.copyFileSync(path.resolve(process.env.KALAND_PAGE), path.join(scratch, 'kaland.html'));
      fs.writeFileSync(path.join(scratch, 'mixed.map'), map);
      childProcess.execFileSync(path.join(scratch, 'kaland-publish'), ['mixed.map'], {cwd: scratch, timeout: 60000});
      const page = fs.readFileSync(path.join(scratch, 'mixed.html'), 'utf8');
      assert.ok(page.includes(`<title>${shown}</title>`), 'the <title>');
      assert.ok(page.includes(`<h1 id="kaland-title" data-source="page">${shown}</h1>`), 'the heading');
    } finally {
      fs.rmSync(scratch, {recursive: true, force: true});
    }
  });
});
