// The studio's own words, in English and Hungarian, chosen as the player
// page chooses its words: the map's language when it is one of the two,
// otherwise the browser's first choice of them, otherwise English. The
// page's fixed words stand in studio.html in English, each element marked
// with the key of its words (data-word for its text, data-word-label,
// data-word-title, and data-word-html for text with markup, which comes only
// from this file); the words the studio writes into the page itself are here
// in both languages. What the status line says stays in English, as what
// the checker and kaland-publish say does.
'use strict';

const s = (count, one, many) => (count === 1 ? one : many);

const KIND_EN = {picture: 'a picture', document: 'a document', archive: 'an archive', program: 'a program',
                 sound: 'a sound', video: 'a video', database: 'a database', binary: 'binary data'};
const KIND_HU = {picture: 'kép', document: 'dokumentum', archive: 'archívum', program: 'program', sound: 'hang',
                 video: 'videó', database: 'adatbázis', binary: 'bináris adat'};

const ENGLISH = {
  // Your maps and their files
  undoDelete: (name) => `Undo delete (${name})`,
  keptAgain: 'Your maps are kept in this browser again.',
  storageFull: 'The browser has no room left to keep your maps (its storage is full). Your work stays on this ' +
               'page: Save it to a file before you leave.',
  storageRefused: 'The browser keeps no maps for this page (its storage is off or not allowed here, as in a ' +
                  'private window). Your work stays on this page only: Save it to a file before you leave.',
  storageFailed: 'The browser could not keep your latest change. Your work stays on this page: Save it to a ' +
                 'file before you leave.',
  storageUnanswered: 'The browser\'s storage does not answer, so your maps are not kept. Your work stays on this ' +
                     'page only: Save it to a file before you leave.',
  mapLost: (name) => `${name} could not be read back from the browser’s storage.`,
  switched: (name) => `Now working on ${name}.`,
  tooLarge: (name, megabytes) => `${name} is larger than ${megabytes} MB, the most the page opens.`,
  unreadable: (name) => `${name} could not be read.`,
  notAMap: (name, {format, kind}) => `${name} is not a map: it is ${KIND_EN[kind]}${format ? ` (${format})` : ''}. ` +
                                     'A map is a text file; nothing was opened.',
  reopened: (name) => `Opened ${name}: it is among your maps already, with its key scripts and the lines you typed.`,
  opened: (name) => `Opened ${name}.`,
  openedWithScripts: (name) => `Opened ${name}, with the key scripts and typed lines of the ${name} among your maps.`,
  mapFiles: 'kaland maps',
  savedBack: (name) => `Saved ${name}.`,
  savedDownload: (name) => `Saved ${name} to your downloads.`,
  badName: 'A map’s name needs a letter or a digit, and no / or \\.',
  renamed: (name) => `The map is now called ${name}.`,
  deleted: (name) => `Deleted ${name} from your maps. Undo delete brings it back until you leave the page.`,
  undeleted: (name) => `${name} is back among your maps.`,
  migrated: (name) => `Your work on ${name} is back, and is kept among your maps from now on.`,
  restored: (name) => `Your work on ${name} is back as you left it.`,
  newMapStarted: 'A new map: write your game in it.',
  templateOpened: 'The template game, with a fresh #ifid of its own: play it, change it, make it yours.',
  newMapText: `# A new kaland map. A line whose first word starts with # and is no directive
# is a comment. The facts of the game come before the first room.
#title Untitled
#lang en
#helyiseg 1
You stand at the start of your story. [n] go north, [s] sit down
#irany N 2 n
#irany N 3 s
#helyiseg 2
The road north ends at the sea. (Press Enter)
#irany E 1
#helyiseg 3
You sit down and the story ends here.
#gameover
`,
  // the picture
  zoomLevel: (percent) => `${percent} %`,
  // counts, and where the cursor is
  countRooms: 'Rooms',
  countEndings: 'Endings',
  countWords: 'Words of room text',
  countLongest: 'Longest route to an ending',
  notCounted: 'not counted: the map cannot be loaded here',
  noRoute: 'none',
  routeLength: (lines, ending) => `${lines} ${s(lines, 'line', 'lines')} (ending ${ending})`,
  cursorInNoRoom: '(put the cursor in a room)',
  cursorInRoom: (room) => `(room ${room})`,
  keptGame: (line) => `The map has an error on line ${line}: this is the game as the map last loaded.`,
  goToError: (line) => `Go to line ${line}`,
  // play
  tookBackLines: (count) => `The ${count} ${s(count, 'line', 'lines')} you had typed ${s(count, 'is', 'are')} back.`,
  nothingToUndo: 'Nothing to undo.',
  noRoomAdded: 'No room can be added here: put the cursor in a room that waits for a key and has fewer than ' +
               '9 exits.',
  noAnswer: (line) => `Nothing here answers to “${line}”. Keys are single characters, named in the room’s text.`,
  noAnswerEmpty: 'Enter alone does nothing here. Keys are single characters, named in the room’s text.',
  // problems and quick fixes
  newProblems: (count, first) => `${count} new ${s(count, 'problem', 'problems')}: ${first}`,
  fix: (title) => `Fix: ${title}`,
  fixed: (title) => `Fixed: ${title}.`,
  noFix: (line) => `The checker offers no quick fix on line ${line}.`,
  fixStale: 'The map has changed since this fix was offered: choose it again.',
  goToLine: (line) => `Go to line ${line} of the map`,
  // publishing
  noPublishWarnings: 'kaland-publish warns of nothing: the map can be published.',
  publishWarnings: (count) => `${count} ${s(count, 'warning', 'warnings')} (see Before publishing)`,
  publishRefused: (name, count) => `Nothing published: ${name} has ${count} ${s(count, 'warning', 'warnings')}, ` +
                                   'and Refuse on warnings is on (as kaland-publish --strict). See Before publishing.',
  warningsWhenPublishing: 'The map is large: what kaland-publish warns of is listed when you publish.',
  refusedMapWarnings: 'The runner refuses the map: see Problems.',
  ifidInserted: (ifid) => `Inserted #ifid ${ifid} among the map's facts: every release keeps it now.`,
  // scripts
  blessedAll: (count) => `Blessed ${count} key ${s(count, 'script', 'scripts')}.`,
  noScriptsToBless: 'There are no key scripts to bless: add some, or bless the typed lines.',
};

const HUNGARIAN = {
  // the page's fixed words
  fileControls: 'Térképfájl',
  newMap: 'Új térkép',
  openMap: 'Térkép megnyitása…',
  save: 'Mentés',
  saveTitle: 'A térkép mentése a nevén: vissza abba a fájlba, amelyből megnyitottad, ha a böngésző engedi, ' +
             'különben letöltésként',
  publish: 'Közzététel',
  publishTitle: 'A térkép letöltése egyetlen weboldalként, amely lejátssza, ahogy a kaland-publish írja',
  publishZip: 'Zip közzététele játékoldalaknak',
  publishZipTitle: 'A zip, amelyet a játékoldalak (például az itch.io) elfogadnak, ahogy a kaland-publish --zip írja',
  refuseOnWarnings: 'Figyelmeztetésnél nincs közzététel',
  howItWorks: 'Hogyan működik?',
  yourMaps: 'Térképeid',
  rename: 'Átnevezés',
  newName: 'Új név',
  cancel: 'Mégse',
  delete: 'Törlés',
  deleteTitle: 'A megnyitott térkép törlése a térképeid közül: a törlés visszavonása visszahozza, amíg el nem ' +
               'hagyod az oldalt',
  startText: '<p>Egy kaland játék egy <em>térkép</em>: számozott helyiségek szövegfájlja. Bal oldalt írod; ' +
             'minden billentyűleütés után a stúdió ellenőrzi és újrajátssza.</p><ul>' +
             '<li><strong>A térkép szövege</strong>: a <code>#helyiseg 1</code> kezdi az 1-es helyiséget, az ' +
             'alatta álló sorok a szövege, az <code>#irany N 2 n</code> kijárat a 2-es helyiségbe, amelyet az ' +
             '<kbd>n</kbd> billentyű visz, a <code>#gameover</code> véget vet a játéknak. A <strong>Problémák' +
             '</strong> azt sorolják, amit az ellenőrző talál; válassz egyet, hogy a sorához ugorj.</li>' +
             '<li><strong>Játék</strong>: írj be egy billentyűt és Entert, ahogy egy játékos tenné. A lépéseid ' +
             'minden szerkesztés után újra lefutnak.</li>' +
             '<li><strong>A térkép képe</strong>: a helyiségek és a kijáratok; válassz egy helyiséget, hogy a ' +
             'szövegéhez ugorj.</li>' +
             '<li><strong>Tesztelés</strong>: útvonalak minden befejezéshez, billentyűszkriptek és átirataik, ' +
             'lefedettség és véletlen játékok.</li>' +
             '<li>A <strong>térképeid</strong> minden változás után megmaradnak ebben a böngészőben; a ' +
             '<strong>Mentés</strong> fájlba írja a térképet, a <strong>Közzététel</strong> weboldalt készít ' +
             'belőle.</li></ul>',
  openTemplate: 'A mintajáték megnyitása',
  templateNote: '(egy kis, teljes játék minden adatsorral, minden fajta helyiséggel és két befejezéssel), vagy ' +
                'olvasd el a direktívákat a térkép szövege alatt.',
  gotIt: 'Értem',
  mapText: 'A térkép szövege',
  wrapLines: 'Sortörés',
  problems: 'Problémák',
  quickFixes: 'Gyors javítások',
  directives: 'Direktívák és a játék adatai (angolul)',
  play: 'Játék',
  game: 'A játék',
  yourCommand: 'A parancsod',
  enter: 'Enter',
  undo: 'Visszavonás',
  undoTitle: 'Az utolsó beírt sor visszavonása, vagy azoké a soroké, amelyeket az Innen játszd, egy útvonal vagy ' +
             'az Újrakezdés tett a tieid helyére',
  restart: 'Újrakezdés',
  playFromHere: 'Innen játszd',
  mapPicture: 'A térkép képe',
  pictureNote: 'Halványan látszanak a helyiségek és a kijáratok, amelyeket sem a beírt sorok, ' +
               'sem a billentyűszkriptek nem érnek el; a helyiségnek, ahol vagy, vastag barna ' +
               'kerete van. Válassz egy helyiséget, hogy a szövegéhez ugorj. Nagyítás a görgővel, a gombokkal vagy a + ' +
               'és − billentyűvel, mozgatás húzással vagy a nyilakkal.',
  zoomOut: 'Kicsinyítés',
  zoomIn: 'Nagyítás',
  zoomFit: 'Egészben',
  zoomFitTitle: 'Az egész térkép a panelen',
  zoomActualTitle: 'A helyiségek neve a térkép szövegének méretében',
  pictureLabel: 'A térkép képe: a + és a − nagyít és kicsinyít, a nyilak mozgatnak, a 0 az egészet mutatja',
  testing: 'Tesztelés',
  counts: 'Számok',
  routes: 'Útvonalak minden befejezéshez',
  routesHint: 'Válassz egy útvonalat, hogy lejátszd.',
  scripts: 'Billentyűszkriptek és átiratok',
  scriptsHint: 'A billentyűszkriptek beszámítanak a lefedettségbe. A <strong>Bless</strong> (elfogadás) megőrzi, ' +
               'amit a játék egy szkript mentén kiír, ahogy a <code>kaland-check --bless</code> a ' +
               '<code>SCRIPT.expected</code> fájlt írja; minden szerkesztés után minden elfogadott szkript újra ' +
               'lefut, és a stúdió összeveti, ahogy a <code>kaland-check --expect</code>.',
  addScripts: 'Billentyűszkriptek hozzáadása…',
  openExpected: '.expected fájlok megnyitása…',
  blessAll: 'Mindet elfogadja (Bless all)',
  blessAllTitle: 'Minden billentyűszkript elfogadása: megőrzi átiratként, amit a játék mindegyik mentén kiír',
  clearScripts: 'A billentyűszkriptek eltávolítása',
  typedAsScript: 'A beírt sorok szkriptként',
  blessTyped: 'A beírt sorok elfogadása',
  coverage: 'Lefedettség',
  coverageHint: 'Amit sem a beírt sorok, sem a billentyűszkriptek nem érnek el, ahogy a ' +
                '<code>kaland-check --cover</code> jelenti. Válassz egy megjegyzést, hogy a sorához ugorj.',
  randomGames: 'Véletlen játékok',
  randomHint: 'Játékok, amelyekben a játékos minden olvasásnál beír egy sort azok közül, amelyek a helyiségben ' +
              'csinálnak valamit, ahogy a <code>kaland-check --random GAMES --seed SEED --steps STEPS</code> ' +
              'játssza őket; a lépések száma az, ahány sort egy játék legfeljebb beír.',
  games: 'Játékok',
  seed: 'Mag',
  steps: 'Lépések',
  playRandom: 'Véletlen játékok indítása',
  stop: 'Leállítás',
  randomStale: 'A térkép megváltozott, mióta ezek a játékok lefutottak.',
  beforePublishing: 'Közzététel előtt',
  publishingHint: 'Amire a <code>kaland-publish</code> figyelmeztet ennél a térképnél. Ha a <strong>Figyelmeztetésnél ' +
                  'nincs közzététel</strong> be van kapcsolva, a Közzététel semmit sem ír, amíg van figyelmeztetés, ' +
                  'ahogy a <code>kaland-publish --strict</code>.',
  ifidOffer: 'A térképnek nincs #ifid sora, pedig ez a szám azonosítja a játékot az archívumokban; így minden ' +
             'kiadás másikat kapna. Tartsd meg ezt:',
  insertIfid: 'Az IFID beszúrása',

  // the words of the page that the studio writes itself
  undoDelete: (name) => `A törlés visszavonása (${name})`,
  mapFiles: 'kaland térképek',
  newMapText: `# Új kaland térkép. Az a sor, amelynek első szava #-tel kezdődik, de nem direktíva,
# megjegyzés. A játék adatai az első helyiség előtt állnak.
#title Cím nélkül
#lang hu
#helyiseg 1
A történet elején állsz. [e] északra, [l] leülsz
#irany N 2 e
#irany N 3 l
#helyiseg 2
Az északi út a tengernél ér véget. (Nyomj Entert)
#irany E 1
#helyiseg 3
Leülsz, és a történet itt véget ér.
#gameover
`,
  zoomLevel: (percent) => `${percent} %`,
  countRooms: 'Helyiségek',
  countEndings: 'Befejezések',
  countWords: 'Szavak a helyiségek szövegében',
  countLongest: 'A leghosszabb út egy befejezéshez',
  notCounted: 'nincs megszámolva: a térkép itt nem tölthető be',
  noRoute: 'nincs',
  routeLength: (lines, ending) => `${lines} sor (a(z) ${ending}. befejezésig)`,
  cursorInNoRoom: '(vidd a kurzort egy helyiségbe)',
  cursorInRoom: (room) => `(${room}. helyiség)`,
  keptGame: (line) => `A térkép ${line}. sorában hiba van: ez a játék úgy fut, ahogy a térkép legutóbb betöltődött.`,
  goToError: (line) => `Ugrás a(z) ${line}. sorra`,
  noAnswer: (line) => `Itt semmi sem felel erre: „${line}”. A billentyűk egy karakteresek; a helyiség szövege ` +
                      'nevezi meg őket.',
  noAnswerEmpty: 'Az Enter magában itt nem csinál semmit. A billentyűk egy karakteresek; a helyiség szövege ' +
                 'nevezi meg őket.',
  addRoom: 'Helyiség hozzáadása',
  addRoomTitle: 'Új helyiség a következő szabad számmal, és kijárat hozzá a kurzor helyiségéből',
  noRoomAdded: 'Ide nem adható helyiség: vidd a kurzort egy olyan helyiségbe, amely billentyűre vár, és 9-nél ' +
               'kevesebb kijárata van.',
  fix: (title) => `Javítás: ${title}`,
  goToLine: (line) => `Ugrás a térkép ${line}. sorára`,
  noPublishWarnings: 'A kaland-publish semmire sem figyelmeztet: a térkép közzétehető.',
  publishWarnings: (count) => `${count} figyelmeztetés (lásd: Közzététel előtt)`,
  warningsWhenPublishing: 'A térkép nagy: amire a kaland-publish figyelmeztet, azt közzétételkor sorolja fel.',
  refusedMapWarnings: 'A futtató nem fogadja el a térképet: lásd a Problémákat.',
};

const TABLES = {en: ENGLISH, hu: HUNGARIAN};

// Hungarian for a map in Hungarian, English for a map in any other
// language; for a map that does not say, the browser's first choice of the
// two (English when it names neither). `wordsLanguage(tag)` is the
// engine's answer for a tag ('hu', 'en' or ''); until the engine runs,
// the browser's tags are taken by their first part.
export function chooseLanguage(mapLanguage, wordsLanguage = null) {
  const wanted = mapLanguage ? [mapLanguage] : navigator.languages?.length ? navigator.languages : [navigator.language];
  const languageOf = wordsLanguage ?? ((tag) => String(tag ?? '').toLowerCase().split('-')[0]);
  for (const tag of wanted) {
    const language = languageOf(String(tag ?? ''));
    if (language === 'hu' || language === 'en') return language;
    if (mapLanguage) break;
  }
  return 'en';
}

export function createWords(root = document) {
  let language = 'en';
  const english = new Map();  // element → its English words, as studio.html has them

  const marked = () => root.querySelectorAll('[data-word], [data-word-label], [data-word-title], [data-word-html]');

  function remember(element) {
    if (english.has(element)) return english.get(element);
    const words = {text: element.textContent, label: element.getAttribute('aria-label'),
                   title: element.getAttribute('title'), html: element.innerHTML};
    english.set(element, words);
    return words;
  }

  function fixed(key, fallback) {
    const words = TABLES[language][key];
    return typeof words === 'string' ? words : fallback;
  }

  return {
    language: () => language,
    // The words `key` with `values` filled in, in the language in use.
    get(key, ...values) {
      const words = TABLES[language][key] ?? ENGLISH[key];
      if (words === undefined) return key;
      return typeof words === 'function' ? words(...values) : words;
    },
    // Speaks `newLanguage` ('en' or 'hu') from now on, on the page too.
    use(newLanguage) {
      if (!TABLES[newLanguage]) newLanguage = 'en';
      if (newLanguage === language && english.size > 0) return false;
      language = newLanguage;
      document.documentElement.lang = language;
      for (const element of marked()) {
        const original = remember(element);
        const {word, wordLabel, wordTitle, wordHtml} = element.dataset;
        if (word) element.textContent = fixed(word, original.text);
        if (wordHtml) element.innerHTML = fixed(wordHtml, original.html);  // this file's own markup
        if (wordLabel) element.setAttribute('aria-label', fixed(wordLabel, original.label));
        if (wordTitle) element.setAttribute('title', fixed(wordTitle, original.title));
      }
      return true;
    },
  };
}
