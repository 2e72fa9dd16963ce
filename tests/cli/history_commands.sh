#!/usr/bin/env bash
# varneth-cli history and undo: every command leaves one entry, and undoing it gives back every table
# exactly as exported before, for the actions that move money and holdings.
set -euo pipefail

CLI=$1
T=$(mktemp -d /tmp/vhXXXXXX)
trap 'rm -rf "$T"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
P=$T/p
ME=(--dir "$P" --account 我的帐户)
DEMO=(--dir "$P" --account 示范帐户)
run() {
    set +e
    OUT=$("$CLI" "$@" 2>"$T/stderr")
    RC=$?
    set -e
}
expect() {  # rc stdout description
    [[ $RC == "$1" && $OUT == "$2" ]] || fail "$3: exit $RC stdout [$OUT], expected $1 [$2]; stderr $(cat "$T/stderr")"
}
snapshot() {  # every table of the account and the program directory, as exported
    "$CLI" "$@" tables | while IFS=$'\t' read -r _ table; do
        echo "== $table"
        "$CLI" "$@" export "$table"
    done
}
newest() { "$CLI" "$@" history --limit 1 | tail -n 1 | cut -f1; }
# Runs one command, undoes it and checks that every table is back as it was.
undone() {  # description account-options… -- command…
    local what=$1
    shift
    local who=()
    while [[ $1 != -- ]]; do who+=("$1"); shift; done
    shift
    snapshot "${who[@]}" >"$T/before"
    run "${who[@]}" "$@"
    [[ $RC == 0 ]] || fail "$what: exit $RC [$OUT] $(cat "$T/stderr")"
    snapshot "${who[@]}" >"$T/after"
    cmp -s "$T/before" "$T/after" && fail "$what changed nothing"
    local n
    n=$(newest "${who[@]}")
    run "${who[@]}" --yes undo "$n"
    expect 0 "撤销到第${n}号操作，将撤销最近的1项操作。继续吗? [Yes]
已撤销1项操作。" "$what: undo"
    snapshot "${who[@]}" >"$T/undone"
    diff "$T/before" "$T/undone" >&2 || fail "$what: not restored"
}

"$CLI" init "$P" >/dev/null

run "${ME[@]}" history
expect 0 "serial	time	account	action	rows" "an empty history"

run "${ME[@]}" --now "2026-12-07 09:30:00" buy --qsdm zxzq --zjzh 10000001 --gddm A100 --code 600036 --amt 200 --price 10
[[ $RC == 0 ]] || fail "buy [$OUT]"
run "${ME[@]}" history
expect 0 "serial	time	account	action	rows
1	2026-12-07 09:30:00	我的帐户	varneth-cli --dir $P --account 我的帐户 --now \"2026-12-07 09:30:00\" buy --qsdm zxzq --zjzh 10000001 --gddm A100 --code 600036 --amt 200 --price 10	tr2.DBF:4" \
    "one entry for the buy, named by its command line"
run "${ME[@]}" history show 1
[[ $RC == 0 && $(head -n 1 <<<"$OUT") == $'table\tkey\tfield\told\tnew' ]] || fail "show: [$OUT]"
grep -q $'^tr2.DBF\t[0-9]*\t+\t\t.*CODE=600036' <<<"$OUT" || fail "the inserted holding is one + line: [$OUT]"

undone "a buy" "${ME[@]}" -- --now "2026-12-07 09:31:00" buy --qsdm zxzq --zjzh 10000001 --gddm A100 --code 600000 --amt 100 --price 8
run "${ME[@]}" --now "2026-12-08 10:00:00" confirm --wth 26120709301 --qsdm zxzq --date 2026-12-07 --amt 200
[[ $RC == 0 ]] || fail "confirm the buy [$OUT]"
run "${ME[@]}" --now "2026-12-09 14:05:09" sell --qsdm zxzq --zjzh 10000001 --gddm A100 --code 600036 --amt 50 --price 12
[[ $RC == 0 ]] || fail "sell [$OUT]"
undone "a confirmation splitting a holding" "${ME[@]}" -- --now "2026-12-09 15:00:00" confirm --wth 1209140509 --qsdm zxzq --date 2026-12-09

undone "a valuation" "${DEMO[@]}" -- value
undone "the fund's daily button" "${DEMO[@]}" -- --now "2026-12-07 15:00:00" fund recompute
undone "a transfer across two tables" "${DEMO[@]}" -- transfer --from 10086601 --to 20668802 --amount 1000
run "${DEMO[@]}" corporate-action fetch
undone "a corporate action" "${DEMO[@]}" -- corporate-action apply --row 2

# The undo is an action too: undoing it brings the corporate action back.
run "${DEMO[@]}" corporate-action apply --row 2
snapshot "${DEMO[@]}" >"$T/applied"
run "${DEMO[@]}" --yes undo "$(newest "${DEMO[@]}")"
run "${DEMO[@]}" --yes undo "$(newest "${DEMO[@]}")"
[[ $RC == 0 && $OUT == *"已撤销1项操作。" ]] || fail "undo of the undo: [$OUT]"
snapshot "${DEMO[@]}" >"$T/again"
diff "$T/applied" "$T/again" >&2 || fail "undo of an undo"

# Answering No changes nothing; a serial not kept is refused.
n=$(newest "${DEMO[@]}")
run "${DEMO[@]}" --no undo "$n"
expect 1 "撤销到第${n}号操作，将撤销最近的1项操作。继续吗? [No]" "No"
[[ $(newest "${DEMO[@]}") == "$n" ]] || fail "a declined undo leaves no entry"
run "${DEMO[@]}" --yes undo 999
expect 1 "第999号操作不在操作历史中。" "an unknown serial"
run "${DEMO[@]}" history show 999
expect 1 "第999号操作不在操作历史中。" "show of an unknown serial"
run "${DEMO[@]}" history limit 0
[[ $RC == 2 ]] || fail "a limit of 0 MB is a usage error"
run "${DEMO[@]}" history limit 32
expect 0 "" "set the limit"
[[ $("$CLI" "${DEMO[@]}" sql --alias curr "SELECT PARA FROM \"parameter.DBF\" WHERE NAME='histmb'" | tail -n 1) == 32 ]] ||
    fail "the limit is kept in the settings table"

# Passwords never reach the journal; adding an account is a line undo does not pass.
run "${ME[@]}" account add --name 新帐户 --subdir new1 --new-password geheim
[[ $RC == 0 ]] || fail "account add [$OUT]"
run "${ME[@]}" history --limit 1
[[ $OUT == *"--new-password ***"$'\t'"撤销界限" ]] || fail "masked password and the barrier: [$OUT]"
[[ $OUT != *geheim* ]] || fail "a password in the journal"
run "${ME[@]}" --yes undo 1
[[ $RC == 1 && $OUT == "撤销不能越过第"*"号操作(varneth-cli"* ]] || fail "undo past the account add: [$OUT]"
