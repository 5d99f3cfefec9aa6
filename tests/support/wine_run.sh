#!/usr/bin/env bash
# Runs a program of the Windows build under Wine: wine_run.sh EXE [ARGS...].
# Exits 77 (ctest's skip code for "wine"-labelled tests) when wine64 or the
# program is missing, so that a Linux build without the Windows one skips.
set -euo pipefail
exe=${1:?usage: wine_run.sh EXE [ARGS...]}
shift
wine=$(command -v wine64 || true)
[ -n "$wine" ] || [ ! -x /usr/lib/wine/wine64 ] || wine=/usr/lib/wine/wine64
if [ -z "$wine" ]; then
  echo "skipped: wine64 is not installed" >&2
  exit 77
fi
if [ ! -f "$exe" ]; then
  echo "skipped: $exe is missing (build the Windows build and pass -DTOLVANE_WINDOWS_BUILD_DIR)" >&2
  exit 77
fi
export WINEDEBUG=${WINEDEBUG:--all}
# The default language, as the Linux runs of the same tests get it from ctest.
export TOLVANE_LANG=${TOLVANE_LANG-zh}
# Wine reads the arguments and the environment in the locale's character
# set, and the C locale's is 7-bit: a path with 张伟 in it would arrive
# mangled. Only the character set: the language stays the caller's choice.
[ -n "${LC_ALL:-}" ] || export LC_CTYPE=C.UTF-8
# No Mono or Gecko install prompts when Wine sets up a new prefix.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
exec "$wine" "$exe" "$@"
