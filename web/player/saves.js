// Saves a player names, and saves that travel. A named save keeps the lines
// typed so far under a name, per map, in this browser; restoring one plays
// its lines again through the engine, as a reload does. "Export save"
// downloads the game as a file the engine writes: the typed lines, and one
// line that names the map and where each line was read, which the game
// itself reads without effect, so that `kaland MAP < SAVE` plays it too.
// "Import save" (or a save dropped onto the page) plays its lines on the
// map on show as far as they lead where they led, and says where they
// stopped and why. Deleting a save, and restoring one over a game, can be
// undone.
'use strict';

function makeSaves(view) {
  const PREFIX = 'kaland:saves:';
  // The Hungarian article before a number: "az" where its name starts with
  // a vowel (egy, öt, ezer...: 1, 5, 50, 1000...), else "a".
  const article = (number) => {
    const digits = String(number);
    return digits[0] === '5' || (digits[0] === '1' && digits.length % 3 === 1) ? 'az' : 'a';
  };
  const WORDS = {
    en: {
      saveAs: 'Save as…',
      exportSave: 'Export save',
      importSave: 'Import save',
      saves: 'Saves',
      name: 'Name of the save',
      confirm: 'Save',
      cancel: 'Cancel',
      restore: 'Restore',
      remove: 'Delete',
      undo: 'Undo',
      enter: 'Enter',
      lines: (count) => `${count} ${count === 1 ? 'line' : 'lines'}`,
      saved: (name) => `Saved the game as “${name}”.`,
      notKept: 'This browser would not keep the save: its storage is full or turned off.',
      restored: (name) => `Restored “${name}”.`,
      restoreUndone: 'The game before the restore is back.',
      canUndo: 'Undo brings the game before it back.',
      deleted: (name) => `Deleted “${name}”.`,
      broughtBack: (name) => `“${name}” is back.`,
      exported: (file, count) => `Exported the game (${count}) as ${file}; Import save brings it back, here or in another browser.`,
      youAreAt: (room) => `You are at: ${room}`,
      // Why an imported save stopped where it did.
      otherMap: 'This save was made for another map, or another version of this one.',
      unnamedMap: 'This file does not say which map it was made for.',
      whole: (file, count) => `Restored ${file}: ${WORDS.en.lines(count)}.`,
      wholeElsewhere: (file, count) =>
        `Its lines still lead where they led, so ${file} (${WORDS.en.lines(count)}) is restored whole.`,
      endsSooner: (kept, total, line) =>
        `Restored ${kept} of its ${WORDS.en.lines(total)}: the game ends before line ${line}.`,
      startsElsewhere: (total) =>
        `Its first line is read in another room here, so none of its ${WORDS.en.lines(total)} was restored.`,
      leadsElsewhere: (kept, total, line, typed) => `Restored the first ${kept} of its ${WORDS.en.lines(total)}: ` +
        `line ${line} (${typed}) no longer leads where it led when the game was saved.`,
      memory: 'There is not enough memory for this save.',
      unreadable: (file) => `${file} could not be read.`,
      tooLarge: (file, megabytes) => `${file} is larger than ${megabytes} MB, the most this page reads.`,
    },
    hu: {
      saveAs: 'Mentés másként…',
      exportSave: 'Mentés exportálása',
      importSave: 'Mentés importálása',
      saves: 'Mentések',
      name: 'A mentés neve',
      confirm: 'Mentés',
      cancel: 'Mégse',
      restore: 'Visszaállítás',
      remove: 'Törlés',
      undo: 'Visszavonás',
      enter: 'Enter',
      lines: (count) => `${count} sor`,
      saved: (name) => `A játékot „${name}” néven mentetted.`,
      notKept: 'Ez a böngésző nem őrzi meg a mentést: a tárhelye megtelt, vagy ki van kapcsolva.',
      restored: (name) => `Visszaállítottad: „${name}”.`,
      restoreUndone: 'Visszakaptad a visszaállítás előtti játékot.',
      canUndo: 'A Visszavonás visszahozza az előtte folyó játékot.',
      deleted: (name) => `Törölted: „${name}”.`,
      broughtBack: (name) => `„${name}” visszakerült.`,
      exported: (file, count) => `A játékot (${count}) ${file} néven exportáltad; a Mentés importálása visszahozza, itt vagy egy másik böngészőben.`,
      youAreAt: (room) => `Itt vagy: ${room}`,
      otherMap: 'Ez a mentés egy másik térképhez vagy ennek egy másik változatához készült.',
      unnamedMap: 'Ez a fájl nem mondja meg, melyik térképhez készült.',
      whole: (file, count) => `Visszaállítottad: ${file}, ${count} sor.`,
      wholeElsewhere: (file, count) => `A sorai ma is oda vezetnek, ahová akkor, így ${file} (${count} sor) egészében visszaállt.`,
      endsSooner: (kept, total, line) =>
        `${total} sorából ${kept} állt vissza: a játék ${article(line)} ${line}. sor előtt véget ér.`,
      startsElsewhere: (total) => `Az első sorát itt egy másik helyiség olvassa, így ${total} sorából egy sem állt vissza.`,
      leadsElsewhere: (kept, total, line, typed) => `${total} sorából az első ${kept} állt vissza: ` +
        `${article(line)} ${line}. sor (${typed}) már nem oda vezet, ahová a mentéskor.`,
      memory: 'Ehhez a mentéshez nincs elég memória.',
      unreadable: (file) => `${file}: a fájl nem olvasható.`,
      tooLarge: (file, megabytes) => `${file}: nagyobb ${megabytes} MB-nál, ennél nagyobb fájlt ez a lap nem olvas be.`,
    },
  };
  const element = (id) => document.getElementById(id);
  const saveAsButton = element('save-as');
  const exportButton = element('export-save');
  const importInput = element('import-save');
  const importLabel = element('import-save-label');
  const panel = element('saves-panel');
  const heading = element('saves-heading');
  const form = element('save-as-form');
  const nameLabel = element('save-name-label');
  const nameField = element('save-name');
  const confirmButton = element('save-as-confirm');
  const cancelButton = element('save-as-cancel');
  const list = element('saves');
  const undoLine = element('saves-undo');
  const undoText = element('saves-undo-text');
  const undoButton = element('saves-undo-button');
  let words = WORDS.en;
  let language = 'en';
  // What the saves' Undo takes back: a save deleted, or the game a restore replaced.
  let undoable = null;
  let itemNumber = 0;

  // ---- the saves of a map, in this browser ----

  function storedSaves(game) {
    try {
      const stored = JSON.parse(localStorage.getItem(PREFIX + game.key) ?? 'null');
      if (Array.isArray(stored?.saves)) {
        return stored.saves.filter((save) => typeof save?.name === 'string' && Array.isArray(save.lines) &&
                                             save.lines.every((line) => typeof line === 'string'));
      }
    } catch (error) {
      // No storage, or something else's value under our key.
    }
    return [];
  }

  function storeSaves(game, saves) {
    try {
      if (saves.length === 0) localStorage.removeItem(PREFIX + game.key);
      else localStorage.setItem(PREFIX + game.key, JSON.stringify({saves}));
      return true;
    } catch (error) {
      return false;
    }
  }

  const shownLine = (line) => (line === '' ? words.enter : `“${line}”`);
  const time = (when, options) => new Date(when).toLocaleString(language, options);

  // ---- the list ----

  function showPanel() {
    panel.hidden = form.hidden && list.childElementCount === 0 && undoLine.hidden;
    heading.hidden = list.childElementCount === 0;
  }

  function listItem(game, save) {
    const item = document.createElement('li');
    const name = document.createElement('span');
    name.className = 'save-name';
    name.id = `save-${++itemNumber}`;
    name.textContent = save.name;
    const facts = document.createElement('span');
    facts.className = 'save-facts';
    const room = document.createElement('span');
    room.textContent = save.room ?? '';
    if (game.language) room.lang = game.language;
    facts.append(`${time(save.time, {dateStyle: 'medium', timeStyle: 'short'})} · `, room);
    const restore = document.createElement('button');
    restore.type = 'button';
    restore.textContent = words.restore;
    restore.setAttribute('aria-describedby', name.id);
    restore.addEventListener('click', () => view.act(() => restoreSave(save)));
    const remove = document.createElement('button');
    remove.type = 'button';
    remove.textContent = words.remove;
    remove.setAttribute('aria-describedby', name.id);
    remove.addEventListener('click', () => deleteSave(save));
    item.append(name, ' ', facts, ' ', restore, ' ', remove);
    return item;
  }

  // The map's saves, newest first.
  function showSaves() {
    const game = view.game();
    const saves = game ? storedSaves(game) : [];
    list.replaceChildren(...saves.map((save) => listItem(game, save)).reverse());
    showPanel();
  }

  function offerUndo(what, text) {
    undoable = what;
    undoText.textContent = text;
    undoLine.hidden = what === null;
    showPanel();
  }

  // ---- save as ----

  // The room's first line and the time.
  function defaultName() {
    const room = view.roomFirstLine();
    const now = time(Date.now(), {hour: '2-digit', minute: '2-digit'});
    return room ? `${room}, ${now}` : now;
  }

  function askForName() {
    nameField.value = defaultName();
    form.hidden = false;
    showPanel();
    nameField.focus();
    nameField.select();
  }

  function closeForm() {
    form.hidden = true;
    showPanel();
  }

  function saveAs(name) {
    const game = view.game();
    const saves = storedSaves(game);
    saves.push({name, time: Date.now(), room: view.roomFirstLine(), lines: [...game.lines]});
    if (!storeSaves(game, saves)) {
      view.say(words.notKept);
      return;
    }
    closeForm();
    offerUndo(null, '');
    showSaves();
    view.say(words.saved(name));
  }

  // ---- restore and delete ----

  // Plays `lines` as the game, replacing the one on show: the log is built
  // again without reading it all out; the page's message says where the
  // player is.
  function replaceGame(lines, ...message) {
    const log = document.getElementById('log');
    log.setAttribute('aria-live', 'off');
    view.replayLines(lines, ...message);
    setTimeout(() => log.setAttribute('aria-live', 'polite'), 100);
  }

  function here() {
    const room = view.roomFirstLine();
    return room ? {text: words.youAreAt(room), lang: view.game().language || undefined} : '';
  }

  const sameLines = (first, second) => first.length === second.length && first.every((line, index) => line === second[index]);

  // Replaces the game with `lines`; Undo brings back the game it replaced,
  // until the player goes on.
  function replaceWithUndo(lines, ...message) {
    const before = [...view.game().lines];
    replaceGame(lines);
    view.tell(...message, here());
    const after = [...view.game().lines];
    offerUndo(sameLines(before, after) ? null : {before, after}, words.canUndo);
  }

  // A map the runner refuses plays no lines: the page says why, as when
  // the player types one.
  function refused() {
    if (!view.game().unplayable) return false;
    view.tell();
    return true;
  }

  function restoreSave(save) {
    closeForm();
    if (refused()) return;
    replaceWithUndo(save.lines, words.restored(save.name));
  }

  function deleteSave(save) {
    const game = view.game();
    const saves = storedSaves(game);
    const index = saves.findIndex((stored) => stored.time === save.time && stored.name === save.name);
    if (index < 0) return;
    saves.splice(index, 1);
    storeSaves(game, saves);
    showSaves();
    offerUndo({save, index}, words.deleted(save.name));
    view.say(words.deleted(save.name));
    undoButton.focus();
  }

  function undo() {
    const what = undoable;
    offerUndo(null, '');
    if (what?.save) {
      const game = view.game();
      const saves = storedSaves(game);
      saves.splice(Math.min(what.index, saves.length), 0, what.save);
      if (!storeSaves(game, saves)) {
        view.say(words.notKept);
        return;
      }
      showSaves();
      view.say(words.broughtBack(what.save.name));
      list.children[saves.length - 1 - Math.min(what.index, saves.length - 1)]?.querySelector('button')?.focus();
    } else if (what?.before) {
      view.act(() => {
        replaceGame(what.before);
        view.tell(words.restoreUndone, here());
      });
    }
  }

  // ---- saves as files ----

  function exportSave() {
    const game = view.game();
    const bytes = view.engine().saveFile(view.typedInput());
    if (!bytes) {
      view.say(words.memory);
      return;
    }
    const file = savedFileName(game.name, '-save.keys');
    download(bytes, file, 'application/octet-stream');
    view.say(words.exported(file, words.lines(game.lines.length)));
  }

  // Whether a file dropped or opened is a save rather than a map.
  const isSaveFile = (bytes, fileName) => /\.keys$/i.test(fileName) || view.engine().isSave(bytes);

  // What the page says of an imported save, from the engine's report.
  function importMessage(report, file, lines) {
    const total = report.lines;
    const map = report.map === KalandSaveMap.Other ? words.otherMap : report.map === KalandSaveMap.Unnamed
      ? words.unnamedMap : '';
    switch (report.outcome) {
      case KalandSaveOutcome.Whole:
        return report.map === KalandSaveMap.Other ? [map, words.wholeElsewhere(file, total)] : [words.whole(file, total)];
      case KalandSaveOutcome.EndsSooner:
        return [map, words.endsSooner(report.kept, total, report.line)];
      case KalandSaveOutcome.StartsElsewhere:
        return [map, words.startsElsewhere(total)];
      case KalandSaveOutcome.LineLeadsElsewhere:
        return [map, words.leadsElsewhere(report.kept, total, report.line, shownLine(lines[report.line - 1]))];
      default:
        return [map, words.whole(file, total)];
    }
  }

  function importSave(bytes, file) {
    const game = view.game();
    if (refused()) return;
    const report = view.engine().readSave(bytes);
    if (!report) {
      view.say(words.memory);
      return;
    }
    const lines = game.decoder.decode(report.input).split('\n').slice(0, -1);
    closeForm();
    replaceWithUndo(lines.slice(0, report.kept), ...importMessage(report, file, lines));
  }

  async function importFile(file) {
    if (!file) return;
    if (file.size > MAX_MAP_BYTES) {
      view.say(words.tooLarge(file.name, MAX_MAP_BYTES / 1024 / 1024));
      return;
    }
    let bytes;
    try {
      bytes = new Uint8Array(await file.arrayBuffer());
    } catch (error) {
      view.say(words.unreadable(file.name));
      return;
    }
    view.act(() => importSave(bytes, file.name));
  }

  // ---- wiring ----

  saveAsButton.addEventListener('click', () => {
    if (view.game()) askForName();
  });
  form.addEventListener('submit', (event) => {
    event.preventDefault();
    const name = nameField.value.trim();
    view.act(() => saveAs(name || defaultName()));
  });
  const cancel = () => {
    closeForm();
    saveAsButton.focus();
  };
  cancelButton.addEventListener('click', cancel);
  form.addEventListener('keydown', (event) => {
    if (event.key === 'Escape') cancel();
  });
  exportButton.addEventListener('click', () => view.act(exportSave));
  importInput.addEventListener('change', () => {
    const file = importInput.files[0];
    importInput.value = '';
    importFile(file);
  });
  undoButton.addEventListener('click', undo);

  function useLanguage(chosen) {
    language = chosen;
    words = WORDS[chosen];
    saveAsButton.textContent = words.saveAs;
    exportButton.textContent = words.exportSave;
    importInput.setAttribute('aria-label', words.importSave);
    importLabel.textContent = words.importSave;
    heading.textContent = words.saves;
    list.setAttribute('aria-label', words.saves);
    nameLabel.textContent = words.name;
    confirmButton.textContent = words.confirm;
    cancelButton.textContent = words.cancel;
    undoButton.textContent = words.undo;
    showSaves();
  }

  // The list follows the map on show; a restore can be undone until the
  // player goes on.
  let shownKey = null;
  function update() {
    const game = view.game();
    if (undoable?.after && game && !sameLines(undoable.after, game.lines)) offerUndo(null, '');
    const key = game?.key;
    if (key === shownKey) return;
    shownKey = key;
    closeForm();
    offerUndo(null, '');
    showSaves();
  }

  return {update, useLanguage, isSaveFile, importSave};
}
