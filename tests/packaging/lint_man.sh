#!/usr/bin/env bash
# A manual page renders with groff and every warning on, without one warning.
#   lint_man.sh GROFF PAGE
set -u
warnings=$("$1" -man -ww -z "$2" 2>&1)
if [[ -n $warnings ]]; then
  echo "$warnings"
  exit 1
fi
