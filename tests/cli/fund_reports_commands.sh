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

# A type-b investment whose commission is drawn: the old buy is settled by withdrawal 1.
run "${P[@]}" --yes inout --pycode lxh --xabc b --date 2026-01-05 --amount 100000
"$CLI" "${P[@]}" fund recompute --from-row 1 >/dev/null
"$CLI" "${P[@]}" investors commission search >/dev/null
"$CLI" "${P[@]}" investors commission draw --pycode lxh --xabc b >/dev/null
ledger=$(sql "SELECT * FROM \"Fund2.DB\" ORDER BY rowid")
settled=$(sql "SELECT INPUT, UNIT, PRICE, L_PRICE, DMONEY FROM \"Fund2.DB\" WHERE CZXH=1 AND INPUT>0")
read -r input unit price lprice dmoney <<<"$settled"
# The standard 12 % of the gain, and what else the type kept back.
want=$(awk -v i="$input" -v u="$unit" -v p="$price" -v l="$lprice" -v d="$dmoney" 'BEGIN {
    t = (l / p - 1) * 0.12 * i; t = t < 0 ? 0 : int(t + 0.5); mv = int(l * u + 0.5)
    printf "%d\t%d", t, mv - t - d }')
run "${P[@]}" commission-stats --year 2026 --month 01-01
expect 0 "开始撤资序号:1
提成合计:${want%%$'\t'*}
保险合计:${want#*$'\t'}
合计:$((${want%%$'\t'*} + ${want#*$'\t'}))" "the totals of the one settled buy"
[[ $(sql "SELECT Czxh, PYCODE, XABC, Tich, Bxfund FROM \"tich.DB\"") == $'1\tlxh\tb\t'"$want" ]] ||
    fail "the statistics' row carries its withdrawal number"
[[ $(sql "SELECT * FROM \"Fund2.DB\" ORDER BY rowid") == "$ledger" ]] || fail "the fund ledger is unchanged"
run "${P[@]}" investors commission draw-all
expect 1 "无记录，放弃操作。" "nothing to draw after the statistics"

run "${P[@]}" commission-stats offsets --czxh 1
[[ $RC == 0 && $(head -1 <<<"$OUT") == $'撤资序号\t日期\t代码\t姓名\t类型\t进出额\t市值\t股数\t买价\t卖价\t增值率\t可取资金\t注释' ]] ||
    fail "the offsetting rows' header [$OUT]"
[[ $(tail -n +2 <<<"$OUT" | cut -f1,3,6 | LC_ALL=C sort) == $'1\tlxh\t-'*$'\n1\tlxh\t100000' ]] ||
    fail "the withdrawal and the buy it settled [$OUT]"
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
[[ $(sed -n 7p "$T/addr.txt" | cut -c1-6) == "@@@   " && $(sed -n 8p "$T/addr.txt" | cut -c1-6) == "wjg   " ]] ||
    fail "entries by postal code, the one without first"
acct=$("$CLI" "${P[@]}" login)
run "${P[@]}" addr print --fund-name 示范基金
expect 0 "$acct/report/Addr_2026-12-07.txt" "the proposed file in the account's report folder"
grep -q "示范基金投资人通讯录" "$acct/report/Addr_2026-12-07.txt" || fail "the fund name given"

echo "fund report commands: ok"
