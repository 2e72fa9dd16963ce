#!/usr/bin/env bash
# varneth-cli daily on the demonstration account with a tdx quote directory written here: the prices
# it takes, the fund price it books, the summary, and a step that stops keeping the later ones out.
set -euo pipefail
source "$(dirname "$0")/lib/harness.sh"
source "$(dirname "$0")/lib/tdx.sh"

NOW="2026-12-07 18:00:00"
P=$T/p
Q=$T/q
v() { "$CLI" --dir "$P" --now "$NOW" "$@"; }
field() {  # table code column: a column of the first holdings row of that code
    v export "$1" | awk -F, -v code="$2" -v col="$3" '
        NR == 1 { for (i = 1; i <= NF; i++) if ($i == "CODE" || $i == "code") c = i; next }
        $c == code && $1 !~ /^P/ { print $col; exit }'
}
journal() { v history | wc -l; }

"$CLI" init "$P" >/dev/null
mkdir -p "$Q"
v prices path "$Q" >/dev/null
day "$Q/vipdoc/sh/lday/sh600036.day" 4215 4400
day "$Q/vipdoc/sz/lday/sz000001.day" 1162 1250
day "$Q/vipdoc/sz/lday/sz399001.day" 1241600 1260000
day "$Q/vipdoc/sh/lday/sh000001.day" 391200 395000

# Fund price 1.062 on 2026-12-04; 600036 and 000001 rise, the rest keep their prices.
cli --dir "$P" --now "$NOW" daily
expect 0 "日期	2026-12-07
基金价格	1.0707
涨跌幅(%)	0.82
S1	2452821.5
S2	2546792
S3	2335365
深证成指	12600
上证指数	3950" "the evening job"
first=$OUT
# What the steps wrote: the general table and the holdings from the day files, the price list from
# the general table, the day's index levels (first into the day before's row, the last row when
# the quotes are read, then into today's market row).
[[ $(field allstocks.DBF 600036 3) == 44 ]] || fail "general price of 600036"
[[ $(field code_N_P.DBF 600036 3) == 44 ]] || fail "price list of 600036"
[[ $(field tr2.DBF 600036 11) == 44 && $(field tr2.DBF 000001 11) == 12.5 ]] || fail "holdings prices"
market=$(v export Fund2.DB | awk -F, '$3 == "***" { print $1 "," $12 "," $13 "," $14 }' | tail -2)
[[ $market == "2026-12-04,1.062,12600,3950
2026-12-07,1.0707,12600,3950" ]] || fail "market rows: $market"

# A second run the same evening books no second market row and reads the same.
cli --dir "$P" --now "$NOW" daily
[[ $RC == 0 && $OUT == "$(tail -8 <<<"$first")" ]] || fail "a second run: $OUT"
[[ $(v export Fund2.DB | grep -c '^2026-12-07,[^,]*,\*\*\*,') == 1 ]] || fail "two market rows today"

# The quote directory gone: the first step stops, and nothing at all is written.
tables() { for t in allstocks.DBF code_N_P.DBF tr2.DBF Fund2.DB; do v export "$t"; done; }
before=$(tables)
entries=$(journal)
mv "$Q" "$T/away"
cli --dir "$P" --now "2026-12-08 18:00:00" daily
expect 1 "设置的路径不存在！" "the quote directory is gone"
[[ $(tables) == "$before" ]] || fail "a stopped job wrote"
[[ $(journal) == "$entries" ]] || fail "a stopped job left a journal entry"

# The fund price step stops (a row dated after today): the price updates before it stay, the two
# price-list steps after it do not run.
mv "$T/away" "$Q"
day "$Q/vipdoc/sh/lday/sh600036.day" 4215 4400 4500
printf 'DT,PYCODE,NAME,INPUT\n2026-12-20,@@@,管理人,0\n' >"$T/future.csv"
v import Fund2.DB "$T/future.csv" >/dev/null
cli --dir "$P" --now "2026-12-08 18:00:00" daily
expect 1 "记录日期超过今天，需修改后再运行！" "a fund ledger row after today"
[[ $(field allstocks.DBF 600036 3) == 45 && $(field tr2.DBF 600036 11) == 45 ]] || fail "the price updates were not kept"
[[ $(field code_N_P.DBF 600036 3) == 44 ]] || fail "据总表更新价格 ran after the fund price stopped"

run --dir "$P" daily extra
expect 2 "" "daily takes no arguments"
echo "daily command: all passed"
