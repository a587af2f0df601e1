// kaland maps in VS Code: starts kaland-check --lsp, which checks each map
// as it is typed and answers hover, definition, references, symbols,
// completion and renames. ".map" is also the name of other formats, so a
// file is taken for a kaland map by what it holds: a line that starts with
// #helyiseg. Any file can be made one by picking "kaland map" as its
// language.
'use strict';

const vscode = require('vscode');
const { LanguageClient } = require('vscode-languageclient/node');

// How far into a file the #helyiseg line is looked for.
const LINES_LOOKED_AT = 1000;

let client = null;

function looksLikeMap(document) {
  const lines = Math.min(document.lineCount, LINES_LOOKED_AT);
  for (let line = 0; line < lines; line += 1) {
    if (/^\s*#helyiseg(\s|$)/i.test(document.lineAt(line).text)) return true;
  }
  return false;
}

// A .map file, or a file of plain text, that holds a #helyiseg line.
function claimMap(document) {
  if (document.languageId === 'kaland') return;
  const isMapFile = document.uri.path.toLowerCase().endsWith('.map');
  if ((isMapFile || document.languageId === 'plaintext') && looksLikeMap(document)) {
    vscode.languages.setTextDocumentLanguage(document, 'kaland');
  }
}

function startClient() {
  const command = vscode.workspace.getConfiguration('kaland').get('checkPath') || 'kaland-check';
  client = new LanguageClient('kaland', 'kaland-check', { command, args: ['--lsp'] },
                              { documentSelector: [{ language: 'kaland' }] });
  return client.start().catch((error) => {
    vscode.window.showErrorMessage(`kaland: cannot start ${command} --lsp (${error.message}); ` +
                                   'set kaland.checkPath to where kaland-check is.');
  });
}

async function restartClient() {
  if (client) await client.stop().catch(() => {});
  await startClient();
}

function activate(context) {
  startClient();
  context.subscriptions.push(
    vscode.workspace.onDidOpenTextDocument(claimMap),
    vscode.workspace.onDidChangeConfiguration((change) => {
      if (change.affectsConfiguration('kaland.checkPath')) restartClient();
    }),
  );
  vscode.workspace.textDocuments.forEach(claimMap);
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
