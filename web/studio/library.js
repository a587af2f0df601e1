// The author's maps, kept in the browser's IndexedDB: for each map a small
// record (its name, where the name came from, the file it was opened from)
// that the list of maps reads, and its work (the lines typed, the key
// scripts with their blessed transcripts, and the map's bytes in pieces)
// read only when the map is opened.
//
// Bytes are stored as bytes, in pieces of at most tens of kilobytes, each
// under a number of its own that the work lists in order. A write puts only
// the pieces it has not put before (doc_bytes.js keeps a piece the same
// object while its lines are unchanged), and drops those the map no longer
// lists, in the same transaction; so a keystroke in a map of tens of
// megabytes writes kilobytes. A write that puts many pieces puts them one
// after another, a task each, so that the page never stops for it, except
// as the page is left, when everything is put at once: small values the
// browser takes at once reach the disk, where one value of megabytes (kept
// apart, as a Blob is) would be lost.
'use strict';

const DATABASE = 'kaland-studio';
const VERSION = 1;
const MAPS = 'maps';          // {id, name, nameFrom, size, created, changed, encoding, lineSeparator, handle?, fileModified?}
const WORK = 'work';          // {id, pieces: [number], lines, scripts: [{name, bytes, expected}]}
const PIECES = 'pieces';      // [map id, piece number] → Uint8Array
const SETTINGS = 'settings';  // {key, value}
const SLICE_BYTES = 64 * 1024; // the pieces of bytes that come as one block (a file opened)

// Why the browser keeps nothing: 'full' (no room left), 'refused' (storage
// switched off or not allowed here) or 'failed' (anything else).
export function storageProblemOf(error) {
  const name = error?.name ?? '';
  if (name === 'QuotaExceededError' || /quota|space/i.test(error?.message ?? '')) return 'full';
  if (name === 'SecurityError' || name === 'InvalidStateError' || name === 'NotAllowedError') return 'refused';
  return 'failed';
}

// A request's or a transaction's outcome as a promise.
function done(request) {
  return new Promise((resolve, reject) => {
    request.onsuccess = () => resolve(request.result);
    request.onerror = () => reject(request.error);
  });
}

function finished(transaction) {
  return new Promise((resolve, reject) => {
    transaction.oncomplete = () => resolve();
    transaction.onerror = () => reject(transaction.error);
    transaction.onabort = () => reject(transaction.error ?? new DOMException('The write was abandoned.', 'AbortError'));
  });
}

// Commits at once rather than when the page's task ends: a write started as
// the page is left then reaches the disk.
function commit(transaction) {
  if (typeof transaction.commit === 'function') transaction.commit();
}

function openDatabase() {
  return new Promise((resolve, reject) => {
    let request;
    try {
      request = indexedDB.open(DATABASE, VERSION);
    } catch (error) {
      reject(error);
      return;
    }
    request.onupgradeneeded = () => {
      const database = request.result;
      if (!database.objectStoreNames.contains(MAPS)) database.createObjectStore(MAPS, {keyPath: 'id', autoIncrement: true});
      if (!database.objectStoreNames.contains(WORK)) database.createObjectStore(WORK, {keyPath: 'id'});
      if (!database.objectStoreNames.contains(PIECES)) database.createObjectStore(PIECES);
      if (!database.objectStoreNames.contains(SETTINGS)) database.createObjectStore(SETTINGS, {keyPath: 'key'});
    };
    request.onsuccess = () => resolve(request.result);
    request.onerror = () => reject(request.error);
    request.onblocked = () => reject(new DOMException('Another tab keeps an older studio open.', 'InvalidStateError'));
  });
}

const piecesOf = (id) => IDBKeyRange.bound([id, -Infinity], [id, Infinity]);

// A number for a new piece: random, so that writes that overlap (one
// started as the page is left) never give two pieces one number.
const newPieceNumber = () => crypto.getRandomValues(new Uint32Array(2)).reduce((high, low) => high * 2 ** 32 + low) % 2 ** 53;

// Bytes alone in their buffer: a view of a larger one would store all of it.
const alone = (bytes) => (bytes.byteOffset === 0 && bytes.byteLength === bytes.buffer.byteLength ? bytes : bytes.slice());

// The pieces of `work`: its own ([{key, bytes}]), or its bytes in slices.
function piecesOfWork(work) {
  if (work.pieces) return work.pieces;
  const pieces = [];
  for (let start = 0; start < work.bytes.length || start === 0; start += SLICE_BYTES) {
    pieces.push({key: null, bytes: work.bytes.subarray(start, start + SLICE_BYTES)});
  }
  return pieces;
}

// Opens the library. Rejects, with the browser's error, when the browser
// keeps nothing for this page.
export async function openLibrary() {
  if (typeof indexedDB === 'undefined' || indexedDB === null) {
    throw new DOMException('This browser has no IndexedDB.', 'NotAllowedError');
  }
  const database = await openDatabase();
  // Another tab with a newer studio asks for the database: let it have it.
  database.onversionchange = () => database.close();
  // For each map, the pieces its last write listed (as far as this page
  // knows): {numbers: [number], ofKey: Map(key → number)}.
  const written = new Map();

  const store = (names, mode = 'readonly') => database.transaction(names, mode);

  // Runs `body(transaction)` in a transaction that writes to `names`, all
  // of it or nothing: a request the browser refuses at once undoes the rest.
  // `later`: the body adds requests when earlier ones succeed, so the
  // transaction commits by itself once they are done.
  async function writing(names, body, later = false) {
    const transaction = store(names, 'readwrite');
    const written = finished(transaction);
    try {
      body(transaction);
    } catch (error) {
      written.catch(() => {});
      try {
        transaction.abort();
      } catch (ignored) {
        // Already over.
      }
      throw error;
    }
    if (!later) commit(transaction);
    await written;
  }

  // Puts the work of map `id`: the record first, then each new piece, all
  // at once or (`spread`) each when the one before is stored; drops the
  // pieces the map listed before and no longer does. Returns what the map
  // lists once the transaction is done.
  function putWork(transaction, id, work, spread) {
    const before = written.get(id) ?? {numbers: [], ofKey: new Map()};
    const pieces = piecesOfWork(work);
    const numbers = [];
    const ofKey = new Map();
    const fresh = [];
    for (const {key, bytes} of pieces) {
      let number = key ? before.ofKey.get(key) : undefined;
      if (number === undefined) {
        number = newPieceNumber();
        fresh.push([number, bytes]);
      }
      numbers.push(number);
      if (key) ofKey.set(key, number);
    }
    const store = transaction.objectStore(PIECES);
    const listed = new Set(numbers);
    for (const number of before.numbers) {
      if (!listed.has(number)) store.delete([id, number]);
    }
    transaction.objectStore(WORK).put({
      id, pieces: numbers, lines: work.lines,
      scripts: work.scripts.map(({name, bytes, expected}) => ({name, bytes, expected: expected ?? null})),
    });
    const put = (index) => store.put(alone(fresh[index][1]), [id, fresh[index][0]]);
    if (!spread) {
      fresh.forEach((piece, index) => put(index));
    } else if (fresh.length > 0) {
      const next = (index) => {
        const request = put(index);
        if (index + 1 < fresh.length) request.onsuccess = () => next(index + 1);
      };
      next(0);
    }
    return {numbers, ofKey};
  }

  // Writes `record` and `work` with putWork in one transaction.
  async function writeWork(record, work, spread) {
    let after = null;
    const spreading = spread && piecesOfWork(work).length > 1;
    await writing([MAPS, WORK, PIECES], (transaction) => {
      transaction.objectStore(MAPS).put({...record, size: work.bytes.length});
      after = putWork(transaction, record.id, work, spreading);
    }, spreading);
    written.set(record.id, after);
  }

  return {
    // The records of every map, in the order they were added.
    async list() {
      return done(store([MAPS]).objectStore(MAPS).getAll());
    },
    // The work of map `id`: {bytes: Uint8Array, lines, scripts}, or null.
    async load(id) {
      const transaction = store([WORK, PIECES]);
      const pieces = transaction.objectStore(PIECES);
      const [work, numbers, values] = await Promise.all([
        done(transaction.objectStore(WORK).get(id)), done(pieces.getAllKeys(piecesOf(id))), done(pieces.getAll(piecesOf(id))),
      ]);
      if (!work || !Array.isArray(work.pieces)) return null;
      const stored = new Map(numbers.map(([, number], index) => [number, values[index]]));
      if (!work.pieces.every((number) => stored.has(number))) return null;
      const bytes = new Uint8Array(work.pieces.reduce((total, number) => total + stored.get(number).length, 0));
      let offset = 0;
      for (const number of work.pieces) {
        bytes.set(stored.get(number), offset);
        offset += stored.get(number).length;
      }
      written.set(id, {numbers: [...stored.keys()], ofKey: new Map()});
      const scripts = Array.isArray(work.scripts) ? work.scripts : [];
      return {bytes, lines: Array.isArray(work.lines) ? work.lines.filter((line) => line instanceof Uint8Array) : [], scripts};
    },
    // Adds a map (its record without id) and its work; returns its id.
    async add(record, work) {
      let request = null;
      let after = null;
      await writing([MAPS, WORK, PIECES], (transaction) => {
        request = transaction.objectStore(MAPS).add({...record, size: work.bytes.length});
        request.onsuccess = () => {
          after = putWork(transaction, request.result, work, true);
        };
      }, true);
      written.set(request.result, after);
      return request.result;
    },
    // Writes a map's record and its work, in one transaction; `spread`: a
    // task for each piece written (not as the page is left).
    write(record, work, {spread = false} = {}) {
      return writeWork(record, work, spread);
    },
    // Writes a map's record alone.
    writeRecord(record) {
      return writing([MAPS], (transaction) => transaction.objectStore(MAPS).put(record));
    },
    // Deletes map `id`.
    async remove(id) {
      await writing([MAPS, WORK, PIECES], (transaction) => {
        transaction.objectStore(MAPS).delete(id);
        transaction.objectStore(WORK).delete(id);
        transaction.objectStore(PIECES).delete(piecesOf(id));
      });
      written.delete(id);
    },
    async setting(key) {
      const entry = await done(store([SETTINGS]).objectStore(SETTINGS).get(key));
      return entry ? entry.value : undefined;
    },
    setSetting(key, value) {
      return writing([SETTINGS], (transaction) => transaction.objectStore(SETTINGS).put({key, value}));
    },
  };
}
