#!/usr/bin/env bash
# varneth-cli prices on the demonstration account: a tdx quote directory built here byte by byte,
# the three updates and their display lines, the source and path settings, and the format test.
set -euo pipefail

CLI=$1
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
run() {  # expected-status expected-output description args…
    local want_rc=$1 want=$2 what=$3
    shift 3
    set +e
    local got
    got=$("$CLI" --dir "$T/p" "$@" 2>/dev/null)
    local rc=$?
    set -e
    [[ $rc == "$want_rc" ]] || fail "$what: exit $rc, expected $want_rc"
    [[ $got == "$want" ]] || fail "$what: got [$got] expected [$want]"
}
source "$(dirname "$0")/lib/tdx.sh"
field() {  # table code column: a column of the first row of that code (holdings rows, not closed-out ones)
    "$CLI" --dir "$T/p" export "$1" | awk -F, -v code="$2" -v col="$3" '
        NR == 1 { for (i = 1; i <= NF; i++) if ($i == "CODE") c = i; next }
        $c == code && $1 !~ /^P/ { print $col; exit }'
}

"$CLI" init "$T/p" >/dev/null
Q=$T/q

run 1 "不能用!" "the seed's tdx row has no path" prices update-all
run 1 "设置的路径不存在！" "a path that does not exist" prices path "$T/nowhere"
mkdir -p "$Q"
run 0 "" "path of the current source" prices path "$Q"

day "$Q/vipdoc/sz/lday/sz000002.day" 650 700
day "$Q/vipdoc/sh/lday/sh600000.day" 1100 0
day "$Q/vipdoc/sh/lday/sh113050.day" 126805
day "$Q/vipdoc/sh/lday/sh510050.day" 3125
day "$Q/vipdoc/sz/lday/sz399001.day" 1250000
day "$Q/vipdoc/sh/lday/sh000001.day" 391235
day "$Q/vipdoc/sz/lday/sz000001.day" 1200
printf 'short' >"$Q/vipdoc/sz/lday/sz000063.day"

run 0 "000001:12.00
000002:7.00
113050:126.80
399001:12500.00
510050:3.12
600000:0.00
699001:3912.35
有1个日K线文件不完整或已损坏,已跳过:$Q/vipdoc/sz/lday/sz000063.day" "all prices in code order" prices update-all
[[ $(field allstocks.DBF 000002 3) == 7 ]] || fail "000002 not written"
[[ $(field allstocks.DBF 600000 3) == 11.62 ]] || fail "a zero replaced 600000's price"

day "$Q/vipdoc/sz/lday/sz000001.day" 1200 1300
run 0 "000001:13.00" "display mode 1 shows and writes no price" prices update-mine --mode 1
[[ $(field tr2.DBF 000001 11) == 11.62 ]] || fail "mode 1 wrote a holding's price"
last=$("$CLI" --dir "$T/p" export Fund2.DB | tail -1)
[[ $(cut -d, -f13,14 <<<"$last") == "12500,3912.4" ]] || fail "index levels: $last"
run 0 "" "mode 0 writes and shows nothing" prices update-mine --mode 0
[[ $(field tr2.DBF 000001 11) == 13 ]] || fail "mode 0 did not write the holding's price"

run 1 "暂不能读！" "tdx has no code table reader" prices update-codes
run 0 "" "choosing a source" prices source qlong
now() { "$CLI" --dir "$T/p" sql --alias curr 'SELECT HQCODE FROM "hq_path.DBF" WHERE NOW'; }
[[ $(now) == "HQCODE
qlong" ]] || fail "NOW not on qlong alone: $(now)"
run 1 "没有这个数据源：nosuch" "an unknown source" prices source nosuch
run 0 "" "back to tdx" prices source tdx

# Records of 24 bytes: the first length asked about is the right one.
printf '%b' "$(le32 20261201)$(zeros 12)$(le32 1000)$(zeros 4)$(le32 20261202)$(zeros 12)$(le32 12345)$(zeros 4)" >"$T/k.day"
run 0 "20261202这是最近日期吗? 请仔细回答! [Yes]
记录长度是24
   这是最近价格吗? 请仔细回答! [No]
12.345这是最近价格吗? [Yes]
价格数据类型是3,和钱龙相同" "format test" --answers yny prices test-format "$T/k.day"
format=$("$CLI" --dir "$T/p" sql --alias curr "SELECT LENGTH, TYPE FROM \"hq_path.DBF\" WHERE HQCODE='tdx'")
[[ $format == "LENGTH	TYPE
24	3" ]] || fail "format test did not store LENGTH/TYPE: $format"
printf 'short' >"$T/short.day"
run 1 "文件太短或不能读,放弃测试" "format test on a short file" prices test-format "$T/short.day"
run 1 "文件太短或不能读,放弃测试" "format test on no file" prices test-format "$T/none.day"

run 2 "" "an unknown display mode" prices update-all --mode 3
run 2 "" "an unknown action" prices refresh
echo "prices commands: all passed"
