#!/usr/bin/env bash
# cpack builds both .deb files and the portable archive; the .deb files are
# unpacked with dpkg-deb into a private root (never installed), the archive
# beside it. Their programs print the project's version and find simulated
# cameras on loopback; an installed tool lays out the user's data folder, a
# portable one keeps to its own; lintian finds no error.
set -euo pipefail
CPACK=$1 BUILD=$2 VERSION=$3
WORK=$(mktemp -d /tmp/tolvane-packaging.XXXXXX)
CAMSIM_PID=
LINTIAN_PID=
cleanup() {
  if [ -n "$LINTIAN_PID" ]; then kill "$LINTIAN_PID" 2>/dev/null || true; wait "$LINTIAN_PID" || true; fi
  if [ -n "$CAMSIM_PID" ]; then kill "$CAMSIM_PID" 2>/dev/null || true; wait "$CAMSIM_PID" || true; fi
  rm -rf "$WORK"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in dpkg-deb lintian desktop-file-validate; do
  command -v "$tool" >/dev/null || fail "$tool is missing (bash scripts/install-deps.sh)"
done

(cd "$BUILD" && timeout 120 "$CPACK" -B "$WORK/pkg" >"$WORK/cpack.log" 2>&1) ||
  { cat "$WORK/cpack.log"; fail "cpack"; }
MAIN=$(echo "$WORK"/pkg/tolvane_"$VERSION"_*.deb)
LAB=$(echo "$WORK"/pkg/tolvane-lab_"$VERSION"_*.deb)
ARCHIVE=$(echo "$WORK"/pkg/tolvane-"$VERSION"-*-portable.tar.gz)
for f in "$MAIN" "$LAB" "$ARCHIVE"; do [ -f "$f" ] || fail "no package $f"; done
[[ $(dpkg-deb -f "$MAIN" Depends) == *libqt6widgets6* ]] || fail "tolvane does not depend on Qt"
[[ $(dpkg-deb -f "$MAIN" Recommends) == *qt6-translations-l10n* ]] || fail "tolvane does not recommend Qt's translations"
[[ $(dpkg-deb -c "$MAIN") != *camsim* ]] || fail "camsim belongs to tolvane-lab"
# lintian takes seconds; it runs while the programs are tried.
lintian "$MAIN" "$LAB" >"$WORK/lintian.txt" 2>&1 &
LINTIAN_PID=$!

ROOT=$WORK/root
for deb in "$MAIN" "$LAB"; do dpkg-deb -x "$deb" "$ROOT"; done
for f in bin/tolvane bin/tolvane-cli bin/lprctl bin/camsim bin/mkfwimage \
  share/man/man1/tolvane-cli.1.gz share/man/man1/lprctl.1.gz share/man/man1/camsim.1.gz \
  share/man/man1/mkfwimage.1.gz share/icons/hicolor/256x256/apps/tolvane.png \
  share/doc/tolvane/copyright share/doc/tolvane-lab/copyright; do
  [ -e "$ROOT/usr/$f" ] || fail "/usr/$f is not packaged"
done
desktop-file-validate "$ROOT/usr/share/applications/tolvane.desktop" || fail "desktop entry"
# The builder's folders must not reach the man pages.
[[ $(zcat "$ROOT/usr/share/man/man1/tolvane-cli.1.gz") != *"Data folder in use"* ]] ||
  fail "tolvane-cli's man page names the builder's data folder"

PORTABLE=$WORK/portable/tolvane-$VERSION
mkdir "$WORK/portable" && tar -xzf "$ARCHIVE" -C "$WORK/portable"
[ "$(ls "$WORK/portable")" = "tolvane-$VERSION" ] || fail "the archive holds more than one folder"
[ "$(find "$PORTABLE/UpdateFiles" -mindepth 2 -type d | wc -l)" = 7 ] || fail "portable UpdateFiles"
[ -z "$(find "$PORTABLE/UpdateFiles" -type f)" ] || fail "portable UpdateFiles is not empty"

for p in tolvane tolvane-cli lprctl camsim mkfwimage; do
  for dir in "$ROOT/usr/bin" "$PORTABLE"; do
    out=$("$dir/$p" --version) || fail "$dir/$p --version"
    [ "$out" = "$p $VERSION" ] || fail "$dir/$p --version printed '$out'"
  done
done

# Two cameras on addresses no other test uses; a port of this run's own.
PORT=$((20000 + $$ % 20000))
"$ROOT/usr/bin/camsim" --count 2 --base 127.91.0.2 --port "$PORT" --version 5.1.7.2 \
  --discovery-port 0 --ready-file "$WORK/ready" >"$WORK/camsim.out" 2>&1 &
CAMSIM_PID=$!
for _ in $(seq 300); do [ -f "$WORK/ready" ] && break; sleep 0.1; done
[ -f "$WORK/ready" ] || { cat "$WORK/camsim.out"; fail "camsim did not get ready"; }
export TOLVANE_DISCOVERY_PORT
TOLVANE_DISCOVERY_PORT=$(sed -n 's/.*discovery port \([0-9]*\).*/\1/p' "$WORK/ready")

# The installed tool: cameras and versions, and its data folder laid out.
search() {
  XDG_DATA_HOME=$1 timeout 60 "$2/tolvane-cli" search --seconds 1 \
    --add "127.91.0.2:$PORT" --add "127.91.0.3:$PORT"
}
out=$(search "$WORK/xdg" "$ROOT/usr/bin") || fail "installed tolvane-cli search"
for a in 127.91.0.2 127.91.0.3; do
  grep -qP "^$a\t$PORT\t5\.1\.7\.2$" <<<"$out" || fail "installed search: no $a in: $out"
done
[ "$(find "$WORK/xdg/tolvane/UpdateFiles" -mindepth 2 -type d | wc -l)" = 7 ] ||
  fail "no UpdateFiles tree in the installed tool's data folder"
out=$(timeout 30 "$ROOT/usr/bin/lprctl" version "127.91.0.3:$PORT") || fail "lprctl version"
[ "$out" = 5.1.7.2 ] || fail "lprctl version printed '$out'"

# The portable tool keeps everything beside itself.
out=$(search "$WORK/xdg-portable" "$PORTABLE") || fail "portable tolvane-cli search"
grep -qP "^127\.91\.0\.3\t$PORT\t5\.1\.7\.2$" <<<"$out" || fail "portable search: $out"
[ ! -e "$WORK/xdg-portable" ] || fail "the portable tool wrote to the user's data folder"
[[ $(XDG_DATA_HOME=$WORK/xdg-portable "$PORTABLE/tolvane-cli" --help) == \
  *"Data folder in use: $PORTABLE"* ]] || fail "portable --help names another data folder"

wait "$LINTIAN_PID" || true
LINTIAN_PID=
grep -v "running with root privileges" "$WORK/lintian.txt" || true
! grep -q "^E:" "$WORK/lintian.txt" || fail "lintian reports errors"
echo "packages: $(cd "$WORK/pkg" && ls ./*.deb ./*.tar.gz | tr '\n' ' ')"
