// Random games, as kaland-check --random plays them: the form, the games
// played by the engine in a worker while the author goes on writing (with
// how far they are, and Stop), and the report as the checker prints it. The
// lines of the first game a defect stopped can be played in the play pane
// or saved as the .keys file the checker writes.
'use strict';

import {bytesOf} from './studio_api.js';
import {item, showLines, shortenLines} from './testing.js';
import {decodeBytes, download} from './text.js';

// `fields`: the form's elements (see studio.html). `host`: {engine() for
// where no worker can be started, workerSource(), work() → {map, name,
// text, machineMemory} as the engine has them, mapText() as it stands,
// text(byteString) in the map's encoding, onPlay(lines as bytes, game),
// say(message)}.
export function createRandomGames(fields, host) {
  let worker = null;
  let running = null;  // {options, started, text}: the run under way
  let shownText = null;  // the map's text when the report on show was made

  // The checker's defaults, in the fields the author has not filled.
  function setDefaults({seed, steps}) {
    if (fields.seed.value === '') fields.seed.value = String(seed);
    if (fields.steps.value === '') fields.steps.value = String(steps);
  }

  // `field`: the engine's name of the form's field the message is about.
  function showUsage(message, fieldName) {
    const field = fields[fieldName] ?? fields.games;
    fields.error.textContent = message;
    field.setAttribute('aria-invalid', 'true');
    field.focus();
  }

  function clearUsage() {
    fields.error.textContent = '';
    for (const name of ['games', 'seed', 'steps']) fields[name].removeAttribute('aria-invalid');
  }

  // A run starts or ends: Play and Stop change places, and the focus moves
  // with them rather than staying on a button that is off.
  function setRunning(run) {
    const focused = document.activeElement;
    running = run;
    fields.play.disabled = run !== null;
    fields.stop.disabled = run === null;
    fields.progressBar.hidden = run === null;
    if (run === null) fields.progress.textContent = '';
    if (focused === fields.play && run) fields.stop.focus();
    if (focused === fields.stop && !run) fields.play.focus();
  }

  function seconds(ms) {
    return ms < 10000 ? `${(ms / 1000).toFixed(1)} s` : `${Math.round(ms / 1000)} s`;
  }

  // How far the run is, and at this pace how long it has left.
  function showProgress(played) {
    const total = Number(running.options.games);
    const elapsed = performance.now() - running.started;
    fields.progressBar.max = total;
    fields.progressBar.value = played;
    const left = played > 0 ? elapsed * (total - played) / played : 0;
    fields.progress.textContent = `${played.toLocaleString('en')} of ${total.toLocaleString('en')} games played in ` +
      `${seconds(elapsed)}; about ${seconds(left)} left.`;
  }

  function showReport(report, run, elapsed) {
    fields.defect.hidden = true;
    fields.stale.hidden = true;
    if (report.usage !== undefined) {
      const usage = decodeBytes(bytesOf(report.usage), 'utf-8');  // the fields' text, as sent
      showUsage(usage, report.field);
      host.say(`Not played: ${usage}.`);
      return;
    }
    shownText = run.text;
    fields.stale.hidden = host.mapText() === shownText;
    if (report.refused) {
      fields.report.replaceChildren(item('The runner refuses the map: see Problems.', 'hint'));
      host.say('No random games: the runner refuses the map.');
      return;
    }
    const lines = report.lines.map((line) => ({text: host.text(line.text)}));
    if (report.error) lines.push({text: host.text(report.error), className: 'error'});
    shortenLines(fields.report);
    showLines(fields.report, lines);
    const games = Number(run.options.games);
    const played = `${games.toLocaleString('en')} random ${games === 1 ? 'game' : 'games'}`;
    let message = `Played ${played} in ${seconds(elapsed)}.`;
    if (report.game > 0) {
      const keysName = host.text(report.keysName);
      const keys = report.keys;
      fields.playDefect.textContent = `Play game ${report.game}`;
      fields.playDefect.onclick = () => host.onPlay(report.keysLines.map(bytesOf), report.game);
      fields.saveKeys.textContent = `Download ${keysName}`;
      fields.saveKeys.onclick = () => download(bytesOf(keys), keysName, 'text/plain');
      fields.defect.hidden = false;
      message += ` Game ${report.game} ran into a defect of the map: play it, or download its lines.`;
    }
    host.say(message);
  }

  function finish(data) {
    const run = running;
    setRunning(null);
    if (data.failed !== undefined) {
      host.say(`The random games failed: ${data.failed}`);
      return;
    }
    showReport(data.report, run, performance.now() - run.started);
  }

  function startWorker() {
    try {
      const url = URL.createObjectURL(new Blob([host.workerSource()], {type: 'text/javascript'}));
      worker = new Worker(url);
      URL.revokeObjectURL(url);
    } catch (error) {
      worker = null;
      return false;
    }
    worker.onmessage = ({data}) => {
      if (!running) return;
      if (data.progress !== undefined) showProgress(data.progress);
      else finish(data);
    };
    worker.onerror = (event) => {
      event.preventDefault();
      stopWorker();
      if (running) finish({failed: event.message || 'the worker stopped'});
    };
    return true;
  }

  function stopWorker() {
    if (worker) worker.terminate();
    worker = null;
  }

  function play() {
    if (running) return;
    clearUsage();
    const [games, seed, steps] = [fields.games, fields.seed, fields.steps].map((field) => field.value.trim());
    const options = {games, seed, steps};
    const work = host.work();
    setRunning({options, started: performance.now(), text: work.text});
    fields.progress.textContent = `Playing ${options.games} random games…`;
    host.say(`Playing ${options.games} random games…`);
    fields.progressBar.removeAttribute('value');
    if (worker || startWorker()) {
      worker.postMessage({map: work.map, name: work.name, machineMemory: work.machineMemory, options});
      return;
    }
    // No worker here: the page's own engine plays them, and the page waits.
    let data;
    try {
      data = {report: host.engine().random(options)};
    } catch (error) {
      data = {failed: String(error)};
    }
    finish(data);
  }

  function stop() {
    if (!running) return;
    const games = running.options.games;
    stopWorker();
    setRunning(null);
    host.say(`Stopped the ${games} random games before their end: there is no report of them.`);
  }

  fields.form.addEventListener('submit', (event) => {
    event.preventDefault();
    play();
  });
  fields.stop.addEventListener('click', stop);
  setRunning(null);

  return {
    setDefaults,
    // The map's text may have changed: a report on show may be of the map
    // before.
    mapEdited() {
      if (shownText !== null) fields.stale.hidden = host.mapText() === shownText;
    },
    // Another map: what was shown is of the one before.
    clear() {
      if (running) stop();
      shownText = null;
      fields.report.replaceChildren();
      shortenLines(fields.report);
      fields.defect.hidden = true;
      fields.stale.hidden = true;
      clearUsage();
    },
  };
}
