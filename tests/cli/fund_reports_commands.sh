#!/usr/bin/env bash
# varneth-cli commission-stats and addr on the demonstration account: the statistics' refusals and
# totals over a commission draw, never changing the fund ledger and leaving nothing to draw; the
# address book's names, entries, refused codes and printout.
set -euo pipefail
source "$(dirname "$0")/lib/harness.sh"

P=(--dir "$T/p" --now "2026-12-07 15:00:00")
sql() { "$CLI" --dir "$T/p" sql "$1" "${@:2}" | tail -n +2; }
"$CLI" init "$T/p" >/dev/null

run "${P[@]}" commission-stats --year 2026 --month 01-01
expect 1 "没有撤资记录" "no withdrawal settled yet"
run "${P[@]}" commission-stats --year 2026 --month 01-01 --rate 100
expect 1 "提成比例不对!" "a rate above 99"
run "${P[@]}" commission-stats --year 2026 --month 12-07
expect 1 "开始日期错了!" "a period starting today"

# A type-b investment, bought low, whose commission is drawn: its buy is settled by withdrawal 1.
run "${P[@]}" --yes inout --pycode lxh --xabc b --date 2025-12-03 --amount 100000
"$CLI" "${P[@]}" fund recompute --from-row 1 >/dev/null
"$CLI" "${P[@]}" investors commission search >/dev/null
"$CLI" "${P[@]}" investors commission draw --pycode lxh --xabc b >/dev/null
ledger=$(sql "SELECT * FROM \"Fund2.DB\" ORDER BY rowid")
# The standard 12 % of each settled buy's gain, and what else its type kept back.
want=$(sql "SELECT INPUT, UNIT, PRICE, L_PRICE, DMONEY FROM \"Fund2.DB\" WHERE CZXH>=1 AND INPUT>=0" | awk -F'\t' '{
    t = ($4 / $3 - 1) * 0.12 * $1; t = t < 0 ? 0 : int(t + 0.5); mv = int($4 * $2 + 0.5)
    n++; st += t; sb += mv - t - $5 } END { printf "%d %d %d", n, st, sb }')
read -r settled tich insurance <<<"$want"
(( tich > 0 )) || fail "a settled gain [$want]"
run "${P[@]}" commission-stats --year 2026 --month 01-01
expect 0 "开始撤资序号:1
提成合计:$tich
保险合计:$insurance
合计:$((tich + insurance))" "the totals of the settled buys"
[[ $(sql "SELECT Czxh, PYCODE, XABC, count(*) FROM \"tich.DB\" GROUP BY 1, 2, 3") == $'1\tlxh\tb\t'"$settled" ]] ||
    fail "the statistics' rows carry their withdrawal number"
[[ $(sql "SELECT * FROM \"Fund2.DB\" ORDER BY rowid") == "$ledger" ]] || fail "the fund ledger is unchanged"
run "${P[@]}" investors commission draw-all
expect 1 "无记录，放弃操作。" "nothing to draw after the statistics"

run "${P[@]}" commission-stats offsets --czxh 1
[[ $RC == 0 && $(head -1 <<<"$OUT") == $'撤资序号\t日期\t代码\t姓名\t类型\t进出额\t市值\t股数\t买价\t卖价\t增值率\t可取资金\t注释' ]] ||
    fail "the offsetting rows' header [$OUT]"
[[ $(tail -n +2 <<<"$OUT" | wc -l) == $((settled + 1)) && $(tail -n +2 <<<"$OUT" | cut -f3 | sort -u) == lxh ]] ||
    fail "the withdrawal and the buys it settled [$OUT]"
run "${P[@]}" commission-stats offsets --czxh x
[[ $RC == 2 ]] || fail "a withdrawal number that does not read"

# The address book.
book=$(sql "SELECT * FROM \"addr.dbf\" ORDER BY rowid")
for cmd in "fill-names --pycode nobody" "delete --pycode nobody" "copy --pycode nobody"; do
    # shellcheck disable=SC2086
    run "${P[@]}" --yes addr $cmd
    expect 1 "投资人代码nobody不存在,放弃操作。" "addr $cmd"
done
[[ $(sql "SELECT * FROM \"addr.dbf\" ORDER BY rowid") == "$book" ]] || fail "refused codes write nothing"

run "${P[@]}" --yes addr delete --pycode chl
expect 0 "删除记录：chl 陈海林 0755-83216688？ [Yes]" "a deletion asks first"
printf 'PYCODE,NAME\nchl,陈林\n' >"$T/chl.csv"
"$CLI" --dir "$T/p" import addr.dbf "$T/chl.csv" >/dev/null
run "${P[@]}" addr fill-names --pycode chl
expect 0 "" "one code renamed"
[[ $(sql "SELECT DISTINCT NAME FROM \"Fund2.DB\" WHERE PYCODE IN ('chl', 'wjg') ORDER BY NAME") == $'王建国\n陈林' ]] ||
    fail "only the chosen code takes the book's name"

run "${P[@]}" addr fill-from-investors
run "${P[@]}" addr fill-from-investors
[[ $(sql "SELECT PYCODE FROM \"addr.dbf\" ORDER BY PYCODE" | tr '\n' ' ') == "@@@ chl lxh wjg zsf zwm " ]] ||
    fail "the manager added once, the investors kept"

run "${P[@]}" addr print --order pcpy --out "$T/addr.txt"
expect 0 "$T/addr.txt" "the printout"
[[ $(wc -l <"$T/addr.txt") == 13 && $(head -1 "$T/addr.txt") == "                                     无费用义务代投资投资人通讯录" ]] ||
    fail "one page of six entries under the fund's name"
[[ $(sed -n 7,9p "$T/addr.txt" | cut -c1-6 | tr '\n' '|') == "@@@   |chl   |wjg   |" ]] ||
    fail "entries by postal code, those without one first"
acct=$("$CLI" "${P[@]}" login)
run "${P[@]}" addr print --fund-name 示范基金
expect 0 "$acct/report/Addr_2026-12-07.txt" "the proposed file in the account's report folder"
grep -q "示范基金投资人通讯录" "$acct/report/Addr_2026-12-07.txt" || fail "the fund name given"

echo "fund report commands: ok"
