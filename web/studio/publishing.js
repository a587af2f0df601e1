// Publishing as kaland-publish does: the page or the release zip, named
// after the map; before it, what kaland-publish warns of, listed as the
// author writes (each warning a link to its line); "Refuse on warnings",
// which publishes nothing while the checker warns of anything, as
// kaland-publish --strict; and, for a map without #ifid, the fresh IFID the
// release would get, with a button that writes it into the map so that
// every release keeps it. What is warned of and refused is the engine's
// answer.
'use strict';

import {decodeBase64, download} from './text.js';

// `fields`: {refuse, summary, warnings, ifidOffer, freshIfid, insertIfid}.
// `host`: {engine(), upToDate(), text(byteString), work() → {name,
// modified: the file's date while the text is as opened, or null},
// remember(refuse) (keeps the switch's choice), playerPage() (the element
// with the page template), applyFix(fix) (makes it as a quick fix is made;
// returns whether it was), goToLine(line), say(message), words}.
export function createPublishing(fields, host) {
  const {words} = host;
  let template = null;  // the player page's bytes
  let random = null;    // the fresh IFID's 16 bytes, the same for one map
  let ifidFix = null;   // the engine's fix that writes the fresh IFID into the map

  const templateBytes = () => (template ??= decodeBase64(host.playerPage().textContent));
  const randomBytes = () => (random ??= crypto.getRandomValues(new Uint8Array(16)));

  fields.refuse.addEventListener('change', () => host.remember(fields.refuse.checked));

  // What kaland-publish would say of the map now, without making the page.
  const publishCheck = () => host.engine().publishWarnings(randomBytes());

  function warningItem({text, line}) {
    const item = document.createElement('li');
    item.className = 'warning';
    if (!line) {
      item.textContent = host.text(text);
      return item;
    }
    const link = document.createElement('button');
    link.type = 'button';
    link.className = 'link';
    link.textContent = host.text(text);
    link.addEventListener('click', () => host.goToLine(line));
    item.append(link);
    return item;
  }

  function hint(text) {
    return Object.assign(document.createElement('li'), {textContent: text, className: 'hint'});
  }

  // Shows what kaland-publish warns of, or that the runner refuses the map,
  // and offers the fresh IFID of a map without one.
  function showCheck(check) {
    fields.summary.textContent = check.warningCount > 0 ? words.get('publishWarnings', check.warningCount) : '';
    const items = check.refused ? [hint(words.get('refusedMapWarnings'))] : check.warnings.map(warningItem);
    if (items.length === 0) items.push(hint(words.get('noPublishWarnings')));
    fields.warnings.replaceChildren(...items);
    ifidFix = !check.refused && check.ifidFix ? check.ifidFix : null;
    fields.ifidOffer.hidden = !ifidFix;
    fields.freshIfid.textContent = ifidFix ? host.text(check.freshIfid) : '';
  }

  function publish(asZip) {
    host.upToDate();
    const {name, modified} = host.work();
    const check = publishCheck();
    showCheck(check);
    const strict = fields.refuse.checked;
    const result = host.engine().publish(templateBytes(), randomBytes(),
                                         {asZip, strict, time: modified ? new Date(modified) : new Date()});
    if (!result.bytes) {
      const refusedForWarnings = strict && !check.refused && check.warningCount > 0;
      host.say(refusedForWarnings ? words.get('publishRefused', name, check.warningCount)
                                  : host.text(result.refusal).trim().replace(/\n/g, ' '));
      return;
    }
    const fileName = host.text(host.engine().fileNamedAfter(asZip ? '.zip' : '.html'));
    download(result.bytes, fileName, asZip ? 'application/zip' : 'text/html');
    const what = asZip ? 'the zip a game site takes (index.html, the map, its iFiction record, README.txt)'
                       : 'one page that plays the map in any browser';
    host.say(`Published ${fileName}: ${what}. ${host.text(result.warnings).trim().replace(/\n/g, ' ')}`.trim());
  }

  // Writes the fresh IFID's line where the map's facts go.
  fields.insertIfid.addEventListener('click', () => {
    if (!ifidFix) return;
    const ifid = fields.freshIfid.textContent;
    if (!host.applyFix(ifidFix)) return;
    ifidFix = null;
    fields.ifidOffer.hidden = true;
    host.say(words.get('ifidInserted', ifid));
  });

  return {
    publish,
    // Another map: another fresh IFID.
    mapOpened() {
      random = null;
      ifidFix = null;
    },
    // After a pause: what kaland-publish would warn of now.
    update() {
      showCheck(publishCheck());
    },
  };
}
