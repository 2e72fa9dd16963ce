#!/usr/bin/env bash
# Two varneth-cli processes on one program directory at once: no transfer lost, a fund recomputation
# beside investments leaves every row with units, and two order loops never share an order number.
set -euo pipefail

CLI=$1
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
P=$T/p
NOW=(--now "2026-12-07 15:00:00")
sql() { "$CLI" --dir "$P" sql "$1" | tail -n +2; }
cents() { sql "SELECT CAST(round(AMT * 100) AS INTEGER) FROM \"tr2.DBF\" WHERE ZJZH='$1' AND CODE='xj' AND WTH=''"; }
fund_rows() { sql "SELECT count(*) FROM \"Fund2.DB\""; }
# Runs the CLI N times in each of two processes at once; each run's output goes to $T/LOG.a or .b,
# a failing run adds "exit STATUS".
twice() {  # log args...
    local log=$1
    shift
    for side in a b; do
        for ((i = 0; i < N; i++)); do
            "$CLI" --dir "$P" "${NOW[@]}" "$@" >>"$T/$log.$side" 2>&1 || echo "exit $?" >>"$T/$log.$side"
        done &
    done
    wait
}
all_done() {  # log
    ! grep -h -B1 '^exit' "$T/$1".? || fail "$1: a run failed (above)"
}
"$CLI" init "$P" >/dev/null

N=15
# Transfers of 1 between two accounts of one currency: both cash rows move by every transfer.
from=$(cents 10086601) to=$(cents 30123456) rows=$(fund_rows)
twice transfer transfer --from 10086601 --to 30123456 --amount 1
all_done transfer
[[ $(cents 10086601) == $((from - 200 * N)) ]] || fail "source cash in cents $from -> $(cents 10086601)"
[[ $(cents 30123456) == $((to + 200 * N)) ]] || fail "destination cash in cents $to -> $(cents 30123456)"
[[ $(fund_rows) == $((rows + 4 * N)) ]] || fail "fund-ledger rows $rows -> $(fund_rows), two per transfer"

# The daily recomputation beside investments: none fails, every row gets its units. Few enough rows
# for the daily recomputation's tail to reach them all: a new row of an investor's day sorts first.
N=6
twice fund fund recompute &
twice invest invest --pycode lxh --zjzh 20668802 --qsdm zszq --amount 1000 --xabc a --note 并发
wait
all_done fund
all_done invest
[[ $(sql "SELECT count(*) FROM \"Fund2.DB\" WHERE NOTE='并发'") == $((2 * N)) ]] || fail "investor rows"
"$CLI" --dir "$P" "${NOW[@]}" fund recompute
[[ $(sql "SELECT count(*) FROM \"Fund2.DB\" WHERE UNIT IS NULL AND PYCODE<>'***'") == 0 ]] ||
    fail "investor rows without units"

N=15
# Orders from two processes on the same minute: every order number once, every order booked.
twice buy buy --qsdm htzq --zjzh 10086601 --gddm A123456789 --code 600036 --amt 100 --price 40
all_done buy
[[ $(grep -h '^[0-9]' "$T"/buy.? | sort -u | wc -l) == $((2 * N)) ]] || fail "an order number issued twice"
[[ $(sql "SELECT count(DISTINCT WTH) FROM \"tr2.DBF\" WHERE CODE='600036' AND WTH<>''") == $((2 * N)) ]] ||
    fail "order rows"
echo "two programs: all passed"
