// Publishing as kaland-publish does: the page or the release zip, named
// after the map; before it, what kaland-publish warns of, listed as the
// author writes; "Refuse on warnings", which publishes nothing while the
// checker warns of anything, as --strict; and, for a map without #ifid,
// the fresh IFID the release would get, with a button that writes it into
// the map so that every release keeps it.
'use strict';

import {decodeBase64, download} from './text.js';

// Larger maps are not published in the background after every pause just
// to list the warnings: the list waits for Publish.
const LISTED_WHILE_WRITING_BYTES = 2 * 1024 * 1024;
const IFID_LINE = /^#ifid (\S+)$/m;

// `fields`: {refuse, summary, warnings, ifidOffer, freshIfid, insertIfid}.
// `host`: {engine(), upToDate(), text(byteString), work() → {name,
// modified: the file's date while the text is as opened, or null, size},
// remember(refuse) (keeps the switch's choice),
// warningCount() (the checker's warnings), playerPage() (the element with
// the page template), editor, say(message), words}.
export function createPublishing(fields, host) {
  const {words} = host;
  let template = null;  // the player page's bytes
  let random = null;    // the fresh IFID's 16 bytes, the same for one map
  let freshIfidLine = null;

  const templateBytes = () => (template ??= decodeBase64(host.playerPage().textContent));

  fields.refuse.addEventListener('change', () => host.remember(fields.refuse.checked));

  function runPublish(asZip) {
    random ??= crypto.getRandomValues(new Uint8Array(16));
    const {modified} = host.work();
    return host.engine().publish(templateBytes(), random, {asZip, time: modified ? new Date(modified) : new Date()});
  }

  // Shows kaland-publish's warnings (a byte string of its lines) or, for a
  // map the runner refuses, that.
  function showWarnings(result) {
    let lines = [];
    if (!result.bytes) {
      lines = [{text: words.get('refusedMapWarnings'), className: 'hint'}];
    } else {
      lines = host.text(result.warnings).split('\n').filter((line) => line !== '')
        .map((line) => ({text: line, className: 'warning'}));
    }
    if (lines.length === 0) lines = [{text: words.get('noPublishWarnings'), className: 'hint'}];
    fields.warnings.replaceChildren(...lines.map(({text, className}) => {
      const item = document.createElement('li');
      item.textContent = text;
      item.className = className;
      return item;
    }));
    const ifid = result.bytes ? IFID_LINE.exec(host.text(result.warnings)) : null;
    freshIfidLine = ifid ? ifid[0] : null;
    fields.ifidOffer.hidden = !ifid;
    fields.freshIfid.textContent = ifid ? ifid[1] : '';
  }

  function showSummary() {
    const count = host.warningCount();
    fields.summary.textContent = count > 0 ? words.get('publishWarnings', count) : '';
  }

  function publish(asZip) {
    host.upToDate();
    const {name} = host.work();
    const count = host.warningCount();
    if (fields.refuse.checked && count > 0) {
      showWarnings(runPublish(false));
      host.say(words.get('publishRefused', name, count));
      return;
    }
    const result = runPublish(asZip);
    showWarnings(result);
    if (!result.bytes) {
      host.say(host.text(result.refusal).trim().replace(/\n/g, ' '));
      return;
    }
    const fileName = host.text(host.engine().fileNamedAfter(asZip ? '.zip' : '.html'));
    download(result.bytes, fileName, asZip ? 'application/zip' : 'text/html');
    const what = asZip ? 'the zip a game site takes (index.html, the map, its iFiction record, README.txt)'
                       : 'one page that plays the map in any browser';
    host.say(`Published ${fileName}: ${what}. ${host.text(result.warnings).trim().replace(/\n/g, ' ')}`.trim());
  }

  // Writes the fresh IFID's line at the top of the map.
  fields.insertIfid.addEventListener('click', () => {
    if (!freshIfidLine) return;
    const line = freshIfidLine;
    host.editor.replaceLines([{line: 1, remove: 0, insert: line + '\n'}]);
    fields.ifidOffer.hidden = true;
    host.say(words.get('ifidInserted', line.slice('#ifid '.length)));
  });

  return {
    publish,
    // Another map: another fresh IFID.
    mapOpened() {
      random = null;
      freshIfidLine = null;
    },
    // After a pause: what kaland-publish would warn of now.
    update() {
      showSummary();
      if (host.work().size > LISTED_WHILE_WRITING_BYTES) {
        fields.warnings.replaceChildren(Object.assign(document.createElement('li'),
                                                      {textContent: words.get('warningsWhenPublishing'), className: 'hint'}));
        fields.ifidOffer.hidden = true;
        return;
      }
      showWarnings(runPublish(false));
    },
  };
}
