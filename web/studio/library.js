// The author's maps, kept in the browser's IndexedDB: for each map a small
// record (its name, where the name came from, the file it was opened from)
// that the list of maps reads, and its work (the lines typed, the key
// scripts with their blessed transcripts, and the map's bytes in pieces)
// read only when the map is opened. Bytes are stored as bytes: a map of tens
// of megabytes costs a copy, not a conversion to text. The pieces are small
// enough for the browser to take at once: a write started as the page is
// left reaches the disk even for a large map, where one value of megabytes
// (which the browser keeps apart, as it keeps a Blob) is lost.
'use strict';

const DATABASE = 'kaland-studio';
const VERSION = 1;
const MAPS = 'maps';          // {id, name, nameFrom, size, created, changed, handle?, fileModified?}
const WORK = 'work';          // {id, pieces, lines, scripts: [{name, bytes, expected}]}
const PIECES = 'pieces';      // the map's bytes: [id, index] → Uint8Array
const SETTINGS = 'settings';  // {key, value}
const PIECE_BYTES = 128 * 1024;

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

// What is stored of a map's work but its bytes: key scripts as their name
// and bytes (what --expect said of them is worked out again).
function storedWork(id, {bytes, lines, scripts}) {
  return {
    id,
    pieces: Math.ceil(bytes.length / PIECE_BYTES),
    lines,
    scripts: scripts.map(({name, bytes: scriptBytes, expected}) => ({name, bytes: scriptBytes, expected: expected ?? null})),
  };
}

const piecesOf = (id) => IDBKeyRange.bound([id, 0], [id, Infinity]);

// Puts the work of map `id` in `transaction`, its bytes in pieces, and
// drops the pieces of a longer text before.
function putWork(transaction, id, work) {
  const stored = storedWork(id, work);
  transaction.objectStore(WORK).put(stored);
  const pieces = transaction.objectStore(PIECES);
  for (let index = 0; index < stored.pieces; ++index) {
    pieces.put(work.bytes.slice(index * PIECE_BYTES, (index + 1) * PIECE_BYTES), [id, index]);
  }
  pieces.delete(IDBKeyRange.bound([id, stored.pieces], [id, Infinity]));
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

  const store = (names, mode = 'readonly') => database.transaction(names, mode);

  // Runs `body(transaction)` in a transaction that writes to `names`, all
  // of it or nothing: a request the browser refuses at once undoes the rest.
  // `later`: the body adds requests when the first succeed, so the
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

  return {
    // The records of every map, in the order they were added.
    async list() {
      return done(store([MAPS]).objectStore(MAPS).getAll());
    },
    // The work of map `id`: {bytes: Uint8Array, lines, scripts}, or null.
    async load(id) {
      const transaction = store([WORK, PIECES]);
      const [work, pieces] = await Promise.all([done(transaction.objectStore(WORK).get(id)),
                                                done(transaction.objectStore(PIECES).getAll(piecesOf(id)))]);
      if (!work || pieces.length !== work.pieces) return null;
      const bytes = new Uint8Array(pieces.reduce((total, piece) => total + piece.length, 0));
      let offset = 0;
      for (const piece of pieces) {
        bytes.set(piece, offset);
        offset += piece.length;
      }
      const scripts = Array.isArray(work.scripts) ? work.scripts : [];
      return {bytes, lines: Array.isArray(work.lines) ? work.lines : [], scripts};
    },
    // Adds a map (its record without id) and its work; returns its id.
    async add(record, work) {
      let request = null;
      await writing([MAPS, WORK, PIECES], (transaction) => {
        request = transaction.objectStore(MAPS).add({...record, size: work.bytes.length});
        request.onsuccess = () => putWork(transaction, request.result, work);
      }, true);
      return request.result;
    },
    // Writes a map's record and, when given, its work, in one transaction.
    write(record, work = null) {
      return writing([MAPS, WORK, PIECES], (transaction) => {
        transaction.objectStore(MAPS).put(work ? {...record, size: work.bytes.length} : record);
        if (work) putWork(transaction, record.id, work);
      });
    },
    // Deletes map `id`.
    remove(id) {
      return writing([MAPS, WORK, PIECES], (transaction) => {
        transaction.objectStore(MAPS).delete(id);
        transaction.objectStore(WORK).delete(id);
        transaction.objectStore(PIECES).delete(piecesOf(id));
      });
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
