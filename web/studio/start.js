// Where to start: on a first visit, a short "how this works" with a link to
// the template game, which the button "How this works" shows again; the
// template game opens as a new map of its own, with a fresh #ifid.
'use strict';

import {encodeText} from './text.js';

const IFID_FACT = /^#ifid [^\r\n]*$/m;

// `fields`: {help, show, hide, openTemplate}. `host`: {templateText() (the
// template game, as text), freshIfid(), openMap(bytes, title)}.
export function createStart(fields, host) {
  function setShown(shown) {
    fields.help.hidden = !shown;
    fields.show.setAttribute('aria-expanded', String(shown));
  }

  fields.show.addEventListener('click', () => {
    setShown(fields.help.hidden);
    if (!fields.help.hidden) fields.help.querySelector('h2').focus();
  });
  fields.hide.addEventListener('click', () => {
    setShown(false);
    fields.show.focus();
  });
  fields.openTemplate.addEventListener('click', (event) => {
    event.preventDefault();
    const text = host.templateText().replace(IFID_FACT, `#ifid ${host.freshIfid()}`);
    host.openMap(encodeText(text, 'utf-8'));
  });
  fields.help.querySelector('h2').tabIndex = -1;

  return {
    // The studio is open: on a first visit, the help is shown.
    started({firstVisit}) {
      setShown(firstVisit);
    },
  };
}
