// Play with a thumb: under the log, a row of buttons for the room the game
// waits in. One per exit the room's text names (the engine says which, by
// the rule kaland-check holds room text to: an exit the text does not name
// stays hidden), Enter where any line moves the game on (a scene, the exit
// prompt), and Undo. On a touch screen the row is on by default and the
// command field keeps out of the way, so that no keyboard opens after a
// move; the "Key buttons" setting turns the row on or off anywhere, and the
// browser remembers it.
'use strict';

function makeKeyButtons(view, commandField) {
  const SETTING = 'kaland:key-buttons';
  const WORDS = {
    en: {exits: 'Exits', setting: 'Key buttons', enter: 'Enter', undo: 'Undo'},
    hu: {exits: 'Kijáratok', setting: 'Billentyűgombok', enter: 'Enter', undo: 'Vissza'},
  };
  const row = document.getElementById('exits');
  const setting = document.getElementById('key-buttons');
  const settingLabel = document.getElementById('key-buttons-label');
  const touchScreen = navigator.maxTouchPoints > 0 || matchMedia('(any-pointer: coarse)').matches;
  let words = WORDS.en;
  // What the row shows, to leave it (and the focus in it) alone when a
  // line changes nothing.
  let shown = null;
  let undo = null;

  function remembered() {
    try {
      return localStorage.getItem(SETTING);
    } catch (error) {
      return null;
    }
  }

  setting.checked = remembered() === null ? touchScreen : remembered() === 'on';
  row.hidden = !setting.checked;
  setting.addEventListener('change', () => {
    try {
      localStorage.setItem(SETTING, setting.checked ? 'on' : 'off');
    } catch (error) {
      // Without storage the setting holds for this visit.
    }
    row.hidden = !setting.checked;
    shown = null;
    update();
  });

  const keepsKeyboardClosed = () => touchScreen && setting.checked;

  // The page's autofocus would open a touch screen's keyboard at once.
  if (keepsKeyboardClosed()) {
    commandField.removeAttribute('autofocus');
    requestAnimationFrame(() => {
      if (document.activeElement === commandField) commandField.blur();
    });
  }

  function button(className, label, action) {
    const element = document.createElement('button');
    element.type = 'button';
    element.className = className;
    element.append(...label);
    element.addEventListener('click', () => view.act(action));
    return element;
  }

  // Shows a button for each of `exits` ([{key, words}], words as text in
  // the map's `language`), Enter when `enter`, and Undo.
  function show(exits, enter, language) {
    const wanted = JSON.stringify([exits, enter, language, words.undo]);
    if (wanted !== shown) {
      shown = wanted;
      const buttons = exits.map(({key, words: text}) => {
        const mark = document.createElement('span');
        mark.className = 'key';
        mark.textContent = key;
        const element = button('key-button', [mark, ` ${text}`], () => view.typeLine(key));
        if (language) element.lang = language;
        return element;
      });
      if (enter) buttons.push(button('enter-button', [words.enter], () => view.typeLine('')));
      undo = button('undo-button', [words.undo], view.undoLine);
      buttons.push(undo);
      row.replaceChildren(...buttons);
    }
    undo.disabled = !(view.game()?.lines.length > 0);
  }

  // After any change to the game: the buttons of the room it waits in.
  function update() {
    const game = view.game();
    if (row.hidden || !game) return;
    const engine = view.engine();
    const playing = !view.isOver();
    const exits = playing ? engine.namedExits().map(({key, words: bytes}) => ({key, words: game.decoder.decode(bytes)})) : [];
    show(exits, playing && engine.waitsForEnter(), game.language);
  }

  // A button the player pressed is gone with the room it led from: the
  // focus goes to the new room's first button, not to the command field.
  function keepFocus() {
    const focused = document.activeElement;
    if ((!focused || focused === document.body) && row.firstElementChild) row.firstElementChild.focus({preventScroll: true});
  }

  function useLanguage(language) {
    words = WORDS[language];
    row.setAttribute('aria-label', words.exits);
    settingLabel.textContent = words.setting;
    shown = null;
    update();
  }

  return {show, update, useLanguage, keepsKeyboardClosed, keepFocus};
}
