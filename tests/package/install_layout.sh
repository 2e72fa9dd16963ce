#!/usr/bin/env bash
# `cmake --install` into a scratch prefix: the layout a package holds, and the installed programs
# working in the user's own program directory, made once from the installed seed.
set -euo pipefail
BUILD=$1
T=$(mktemp -d)
gui=""
trap '[[ -n $gui ]] && kill "$gui" 2>/dev/null; rm -rf "$T"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$BUILD" --prefix "$T/usr" >/dev/null
U=$T/usr
for f in bin/varneth bin/varneth-cli; do [[ -x $U/$f ]] || fail "$f not installed"; done
for f in share/varneth/data/varneth.hlp share/varneth/data/shared/z.db.csv share/varneth/data/empty \
    share/varneth/data/accounts/demo/tr2.DBF.csv share/icons/hicolor/scalable/apps/varneth.svg; do
    [[ -e $U/$f ]] || fail "$f not installed"
done
desktop=$U/share/applications/varneth.desktop
for line in "Exec=varneth" "Icon=varneth" "Categories=Office;Finance;" "Name=Varneth"; do
    grep -qxF "$line" "$desktop" || fail "desktop entry lacks $line"
done
grep -q '^Name\[zh_CN\]=.*[^ -~]' "$desktop" || fail "desktop entry lacks a Chinese name"

# The command line without --dir, from anywhere: the user's own directory under XDG_DATA_HOME.
export HOME=$T/home XDG_DATA_HOME=$T/xdg
mkdir -p "$HOME"
cd "$T"
out=$("$U/bin/varneth-cli" init) || fail "init: $out"
[[ -e $T/xdg/varneth/varneth.db && -e $T/xdg/varneth/varneth.hlp ]] || fail "init did not make \$XDG_DATA_HOME/varneth"
[[ ! -e $T/varneth.db ]] || fail "init wrote into the current directory"
"$U/bin/varneth-cli" prices path "$T" >/dev/null || fail "a change in the user's directory"
set +e
out=$("$U/bin/varneth-cli" init)
rc=$?
set -e
[[ $rc == 1 && $out == "目录中已有数据表，不能覆盖：$T/xdg/varneth" ]] || fail "a second init: exit $rc [$out]"
[[ $("$U/bin/varneth-cli" sql --alias curr "SELECT PATH FROM \"hq_path.DBF\" WHERE NOW") == "PATH
$T" ]] || fail "the user's directory was written over"

# The window's first start without XDG_DATA_HOME: ~/.local/share/varneth, made before the login shows.
unset XDG_DATA_HOME
QT_QPA_PLATFORM=offscreen "$U/bin/varneth" >/dev/null 2>&1 &
gui=$!
for _ in $(seq 100); do
    [[ -e $HOME/.local/share/varneth/varneth.db ]] && break
    kill -0 "$gui" 2>/dev/null || fail "varneth ended at its first start"
    sleep 0.2
done
[[ -e $HOME/.local/share/varneth/demo/varneth.db ]] || fail "the window's first start made no program directory"
sleep 1
kill -0 "$gui" 2>/dev/null || fail "varneth did not stay up on its login window"
kill "$gui"
wait "$gui" 2>/dev/null || true
gui=""
echo "install layout: all passed"
