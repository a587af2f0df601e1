// The author's maps: the list "Your maps", and what New map, Open, Save,
// Rename and Delete do to it. Every map is kept in the library (library.js)
// with its lines typed and its key scripts, written a moment after each
// change and when the page is left; nothing replaces another map. When the
// browser keeps nothing (storage full or refused) the page says so, keeps
// the work of every map in memory, and asks before it is left.
'use strict';

import {notAMap} from './file_kinds.js';
import {openLibrary, storageProblemOf} from './library.js';
import {cleanMapName, fileNameOfTitle, uniqueName} from './map_names.js';
import {download} from './text.js';

const WRITE_DELAY_MS = 500;    // after the last change
const LONGEST_UNKEPT_MS = 3000; // however long the author keeps typing
const CURRENT = 'current';     // the setting that names the map on the page
const OLD_WORK_TAKEN = 'old-work-taken';
const PREVIEW_WAIT_MS = 50;    // for the library, before the bundled adventure is shown
// Set once the library has kept a map in this browser: where it is not, the
// library can only be empty, and the bundled adventure is shown at once
// rather than after the library is made.
const KEPT_BEFORE = 'kaland-studio:maps-kept';

function keptBefore() {
  try {
    return localStorage.getItem(KEPT_BEFORE) !== null;
  } catch (error) {
    return true;  // storage off: the library will say so, as before
  }
}

function noteKept() {
  try {
    localStorage.setItem(KEPT_BEFORE, '1');
  } catch (error) {
    // Without it the next visit waits for the library, as a first one would not.
  }
}
const LIBRARY_WAIT_MS = 8000;  // for the library at all, before the studio goes on without it

// `fields`: the list's elements (see studio.html). `host`: {open(record,
// work), preview(record, work) (the map's text before the engine is there
// to open it), previewEdited() and previewBytes() (the author wrote in
// it), snapshot() → {bytes, lines, scripts, encoding, lineSeparator} of
// the map on the page, renamed(name), say(message), words, maxMapBytes()
// (a promise of the largest map the page opens), bundled: {name, bytes()}}.
// A record: {id, name, nameFrom: 'file' | 'title' | 'author', created,
// changed, size, encoding and lineSeparator (the engine's, when last
// written), handle?, fileModified?}; in memory it may carry `unkept`, the
// work the browser did not keep.
export function createMaps(fields, host) {
  const {words} = host;
  let library = null;
  let records = [];
  let current = null;
  let nextUnkeptId = -1;   // ids of maps the library does not hold
  let queue = Promise.resolve();
  let dirty = false;       // the map on the page changed since it was written
  let firstChange = 0;     // when, of the changes not yet written
  let timer = 0;
  let problem = null;      // why the last write failed: 'full', 'refused', 'failed'
  const removed = [];      // deleted maps, for Undo delete: {record, work, index}

  // One change to the list at a time, in the order asked.
  function serially(action) {
    const run = queue.then(action);
    queue = run.catch(() => {});
    return run;
  }

  const names = (except = null) => records.filter((record) => record !== except).map((record) => record.name);
  const stored = ({unkept, ...record}) => record;  // eslint-disable-line no-unused-vars

  // ---- the list ----

  function showList() {
    fields.list.replaceChildren(...records.map((record) => {
      const button = document.createElement('button');
      button.type = 'button';
      button.textContent = record.name;
      if (record === current) button.setAttribute('aria-current', 'true');
      button.addEventListener('click', () => switchTo(record));
      const item = document.createElement('li');
      item.appendChild(button);
      return item;
    }));
    fields.remove.disabled = current === null;
    fields.rename.disabled = current === null;
  }

  function showUndo() {
    const last = removed.at(-1);
    fields.undoRemove.hidden = !last;
    if (last) fields.undoRemove.textContent = words.get('undoDelete', last.record.name);
  }

  // ---- keeping ----

  function showProblem(kind) {
    if (kind === problem) return;
    problem = kind;
    fields.storageNote.hidden = kind === null;
    if (kind === null) {
      host.say(words.get('keptAgain'));
      return;
    }
    const note = {full: 'storageFull', refused: 'storageRefused', unanswered: 'storageUnanswered'}[kind] ?? 'storageFailed';
    fields.storageNote.textContent = words.get(note);
    host.say(fields.storageNote.textContent);
  }

  // Writes `record` with `work`; on failure keeps the work in memory.
  // `spread`: over many tasks (see library.js).
  async function write(record, work, spread = true) {
    record.size = work.bytes.length;
    if (work.encoding) record.encoding = work.encoding;
    if (work.lineSeparator) record.lineSeparator = work.lineSeparator;
    record.changed = Date.now();
    if (!library) {
      record.unkept = work;
      return false;
    }
    try {
      if (record.id < 0) {
        const {id, ...withoutId} = stored(record);  // eslint-disable-line no-unused-vars
        record.id = await library.add(withoutId, work);
        if (current === record) library.setSetting(CURRENT, record.id).catch(() => {});
      } else {
        await library.write(stored(record), work, {spread});
      }
      delete record.unkept;
      showProblem(null);
      noteKept();
      return true;
    } catch (error) {
      // A browser that cannot keep a file's handle keeps the map without it
      // (Save then downloads).
      if (error?.name === 'DataCloneError' && record.handle) {
        delete record.handle;
        return write(record, work, spread);
      }
      record.unkept = work;
      showProblem(storageProblemOf(error));
      return false;
    }
  }

  // Writes the map on the page now, if it changed. The write starts before
  // this returns, so that it is under way when the page is left (`atOnce`).
  function writeNow(atOnce = false) {
    clearTimeout(timer);
    timer = 0;
    if (!dirty || !current) return Promise.resolve(true);
    dirty = false;
    firstChange = 0;
    return write(current, host.snapshot(), !atOnce);
  }

  function changed() {
    if (!current) return;
    dirty = true;
    const now = Date.now();
    if (!firstChange) firstChange = now;
    clearTimeout(timer);
    timer = setTimeout(() => serially(() => writeNow()), Math.max(0, Math.min(WRITE_DELAY_MS, firstChange + LONGEST_UNKEPT_MS - now)));
  }

  // The page is left: write what is not written, and ask first when the
  // browser has kept nothing of it.
  window.addEventListener('pagehide', () => writeNow(true));
  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState === 'hidden') writeNow(true);
  });
  window.addEventListener('beforeunload', (event) => {
    if (problem === null || (!dirty && !records.some((record) => record.unkept))) return;
    event.preventDefault();
    event.returnValue = '';
  });

  // ---- opening ----

  async function workOf(record) {
    if (record === current) return host.snapshot();
    if (record.unkept) return record.unkept;
    return library ? library.load(record.id) : null;
  }

  function show(record, work) {
    current = record;
    dirty = false;
    host.open(record, work);
    showList();
    if (library && record.id >= 0) library.setSetting(CURRENT, record.id).catch(() => {});
  }

  // Adds a map to the library and opens it.
  async function add(record, work) {
    await writeNow();
    const now = Date.now();
    const added = {id: nextUnkeptId--, created: now, changed: now, size: work.bytes.length, ...record};
    records.push(added);
    await write(added, work);
    await show(added, work);
    return added;
  }

  function switchTo(record) {
    return serially(async () => {
      if (record === current) return;
      await writeNow();
      const work = await workOf(record);
      if (!work) {
        host.say(words.get('mapLost', record.name));
        return;
      }
      await show(record, work);
      host.say(words.get('switched', record.name));
    });
  }

  // A new map with the bytes `bytes` of a game called `title`, named
  // after it.
  function newMap(bytes, title) {
    return serially(() => add({name: uniqueName(fileNameOfTitle(title), names()), nameFrom: 'title'},
                               {bytes, lines: [], scripts: []}));
  }

  const sameBytes = (a, b) => a.length === b.length && a.every((byte, index) => byte === b[index]);

  // Opens a file the author chose or dropped (`handle`: where Save writes it
  // back). A file already among the maps with the same bytes opens that map;
  // a file that shares the name of one but not its bytes is added beside
  // it, with its key scripts and lines typed.
  function openFile(file, handle = null) {
    return serially(async () => {
      const largest = await host.maxMapBytes();
      if (file.size > largest) {
        host.say(words.get('tooLarge', file.name, largest / 1024 / 1024));
        return;
      }
      let bytes;
      try {
        bytes = new Uint8Array(await file.arrayBuffer());
      } catch (error) {
        host.say(words.get('unreadable', file.name));
        return;
      }
      const kind = notAMap(bytes);
      if (kind) {
        host.say(words.get('notAMap', file.name, kind));
        return;
      }
      const namesakes = records.filter((record) => record.name === file.name).reverse();
      let earlier = null;
      for (const record of namesakes) {
        const work = await workOf(record);
        if (!work) continue;
        earlier ??= work;
        if (!sameBytes(work.bytes, bytes)) continue;
        if (handle) record.handle = handle;
        if (record !== current) {
          await writeNow();
          await show(record, work);
        }
        host.say(words.get('reopened', file.name));
        return;
      }
      const work = {bytes, lines: earlier ? [...earlier.lines] : [], scripts: earlier ? earlier.scripts.map((script) => ({...script})) : []};
      await add({name: file.name, nameFrom: 'file', fileModified: file.lastModified, ...(handle ? {handle} : {})}, work);
      host.say(words.get(earlier && earlier.scripts.length > 0 ? 'openedWithScripts' : 'opened', file.name));
    });
  }

  // Where the browser has file-system access, Open remembers the file, and
  // Save writes it back.
  async function openWithPicker() {
    let handle;
    try {
      [handle] = await window.showOpenFilePicker({types: [{description: words.get('mapFiles'),
                                                          accept: {'text/plain': ['.map', '.txt']}}]});
    } catch (error) {
      return;  // the author closed the picker
    }
    await openFile(await handle.getFile(), handle);
  }

  // ---- saving, renaming, deleting ----

  async function writeBack(handle, bytes) {
    if (handle.queryPermission && await handle.queryPermission({mode: 'readwrite'}) !== 'granted' &&
        await handle.requestPermission({mode: 'readwrite'}) !== 'granted') {
      return false;
    }
    const writable = await handle.createWritable();
    await writable.write(bytes);
    await writable.close();
    return true;
  }

  function save() {
    return serially(async () => {
      if (!current) return;
      const record = current;
      const {bytes} = host.snapshot();
      if (record.handle) {
        try {
          if (await writeBack(record.handle, bytes)) {
            host.say(words.get('savedBack', record.handle.name));
            return;
          }
        } catch (error) {
          // Not allowed to write it: download instead.
        }
        delete record.handle;
      }
      download(bytes, record.name, 'text/plain');
      if (record.nameFrom === 'title') record.nameFrom = 'file';
      changed();
      host.say(words.get('savedDownload', record.name));
    });
  }

  function rename(name) {
    return serially(async () => {
      const clean = cleanMapName(name);
      if (!current || clean === '') {
        host.say(words.get('badName'));
        return false;
      }
      current.name = clean;
      current.nameFrom = 'author';
      host.renamed(clean);
      showList();
      dirty = true;
      await writeNow();
      host.say(words.get('renamed', clean));
      return true;
    });
  }

  // A new map named after its #title follows the title until the author
  // names it or saves it.
  function titleIs(title) {
    if (!current || current.nameFrom !== 'title' || !title) return;
    const name = uniqueName(fileNameOfTitle(title), names(current));
    if (name === current.name) return;
    current.name = name;
    host.renamed(name);
    showList();
    changed();
  }

  function remove() {
    return serially(async () => {
      if (!current) return;
      const record = current;
      const index = records.indexOf(record);
      const work = host.snapshot();
      clearTimeout(timer);
      dirty = false;
      if (library && record.id >= 0) {
        try {
          await library.remove(record.id);
        } catch (error) {
          showProblem(storageProblemOf(error));
        }
      }
      records.splice(index, 1);
      removed.push({record, work, index});
      current = null;
      const next = records[index] ?? records[index - 1];
      if (next) {
        await show(next, await workOf(next) ?? {bytes: new Uint8Array(), lines: [], scripts: []});
      } else {
        await add({name: host.bundled.name, nameFrom: 'file'}, {bytes: host.bundled.bytes(), lines: [], scripts: []});
      }
      showUndo();
      host.say(words.get('deleted', record.name));
    });
  }

  function undoRemove() {
    return serially(async () => {
      const last = removed.pop();
      if (!last) return;
      await writeNow();
      const {record, work, index} = last;
      records.splice(Math.min(index, records.length), 0, record);
      await write(record, work);
      await show(record, work);
      showUndo();
      host.say(words.get('undeleted', record.name));
      fields.list.querySelector('[aria-current="true"]')?.focus();
    });
  }

  // ---- the first map ----

  // `promise`, or a TimeoutError after `ms`.
  function answerWithin(promise, ms) {
    let timer = 0;
    const late = new Promise((resolve, reject) => {
      timer = setTimeout(() => reject(new DOMException('The browser\'s storage did not answer.', 'TimeoutError')), ms);
    });
    return Promise.race([promise, late]).finally(() => clearTimeout(timer));
  }

  // A new record for a map of `name`, not kept yet.
  function newRecord(name, fields = {}) {
    const now = Date.now();
    return {id: nextUnkeptId--, created: now, changed: now, name, nameFrom: 'file', ...fields};
  }

  // The work kept by earlier studios in the page's local storage joins the
  // library once (`oldWork()`: {name, work, forget()} or null).
  async function takeOldWork(oldWork) {
    if (!library || await library.setting(OLD_WORK_TAKEN).catch(() => true)) return null;
    const old = oldWork();
    let added = null;
    if (old) {
      added = newRecord(old.name);
      records.push(added);
      if (!await write(added, old.work)) return added;
      old.forget();
    }
    await library.setSetting(OLD_WORK_TAKEN, true).catch(() => {});
    return added;
  }

  // Opens the library and, once `ready` resolves, the map the author had on
  // the page last (or, on a first visit, the bundled adventure). Where the
  // library is slow to open (the first time a browser opens it), the
  // bundled adventure's text is shown meanwhile; should the author write
  // in it before their own map comes, it is kept as a map of its own.
  // Resolves to {firstVisit}.
  function start(oldWork, ready) {
    return serially(async () => {
      const bundledWork = () => ({bytes: host.bundled.bytes(), lines: [], scripts: []});
      let previewed = false;
      const preview = () => {
        previewed = true;
        host.preview({name: host.bundled.name}, bundledWork());
      };
      const previewTimer = keptBefore() ? setTimeout(preview, PREVIEW_WAIT_MS) : (preview(), 0);
      try {
        library = await answerWithin(openLibrary(), LIBRARY_WAIT_MS);
      } catch (error) {
        library = null;
        showProblem(error?.name === 'TimeoutError' ? 'unanswered'
                                                   : storageProblemOf(error) === 'full' ? 'full' : 'refused');
      }
      let currentId;
      if (library) {
        try {
          records = await library.list();
          currentId = await library.setting(CURRENT);
        } catch (error) {
          showProblem(storageProblemOf(error));
        }
      }
      clearTimeout(previewTimer);
      const migrated = await takeOldWork(oldWork);
      const firstVisit = records.length === 0 && !migrated;
      const latest = () => records.reduce((best, record) => (!best || record.changed > best.changed ? record : best), null);
      let record = migrated ?? records.find((candidate) => candidate.id === currentId) ?? latest();
      let work = null;
      while (record && !(work = await workOf(record))) {
        records.splice(records.indexOf(record), 1);
        record = latest();
      }
      const written = previewed && host.previewEdited();
      if (written || !record) {
        record = newRecord(host.bundled.name);
        work = written ? {...bundledWork(), bytes: host.previewBytes()} : bundledWork();
        records.push(record);
        write(record, work);
      }
      host.preview(record, work);
      await ready;
      show(record, work);
      if (migrated) host.say(words.get('migrated', record.name));
      else if (!firstVisit && !written) host.say(words.get('restored', record.name));
      return {firstVisit};
    });
  }

  fields.remove.addEventListener('click', () => remove());
  fields.undoRemove.addEventListener('click', () => undoRemove());
  fields.rename.addEventListener('click', () => {
    fields.renameInput.value = current?.name ?? '';
    fields.renameForm.hidden = false;
    fields.rename.hidden = true;
    fields.renameInput.focus();
    fields.renameInput.select();
  });
  const closeRename = () => {
    fields.renameForm.hidden = true;
    fields.rename.hidden = false;
    fields.rename.focus();
  };
  fields.renameForm.addEventListener('submit', async (event) => {
    event.preventDefault();
    if (await rename(fields.renameInput.value)) closeRename();
    else fields.renameInput.focus();
  });
  fields.renameCancel.addEventListener('click', closeRename);
  fields.renameInput.addEventListener('keydown', (event) => {
    if (event.key === 'Escape') {
      event.preventDefault();
      closeRename();
    }
  });
  showUndo();

  return {
    start,
    changed,
    newMap,
    openFile,
    openWithPicker,
    save,
    titleIs,
    // The record of the map on the page.
    current: () => current,
    // Writes what is not written yet.
    flush: () => serially(() => writeNow()),
    // The author's choices kept with the maps (undefined when none).
    setting: (key) => (library ? library.setting(key).catch(() => undefined) : Promise.resolve(undefined)),
    setSetting(key, value) {
      if (library) library.setSetting(key, value).catch(() => {});
    },
  };
}
