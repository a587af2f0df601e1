#!/usr/bin/env bash
# The VS Code extension's package holds the extension, its grammar and the
# language client, and nothing that only packages it.
#
#   vsix_contents.sh KALAND.vsix
set -euo pipefail
vsix=$1
listing=$(unzip -Z1 "$vsix")
failed=0
for file in extension/package.json extension/extension.js extension/language-configuration.json \
            extension/syntaxes/kaland.tmLanguage.json extension/readme.md \
            extension/node_modules/vscode-languageclient/node.js extension.vsixmanifest; do
  grep -qxF "$file" <<<"$listing" || { echo "missing from $vsix: $file"; failed=1; }
done
if grep -q '^extension/node_modules/@vscode/vsce/' <<<"$listing"; then
  echo "$vsix holds vsce, which only packages it"
  failed=1
fi
# The manifest names the language and the grammar.
unzip -p "$vsix" extension/package.json | grep -q '"scopeName": "source.kaland"' || { echo "no grammar in the manifest"; failed=1; }
exit $failed
