#!/usr/bin/env bash
# varneth-cli settings, margin and exchange on the demonstration account: the settlement change, the
# margin calculator's field and write, and the exchange files built here byte by byte.
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
    got=$("$CLI" --dir "$T/p" --now "2026-12-07 09:00:00" "$@" 2>/dev/null)
    local rc=$?
    set -e
    [[ $rc == "$want_rc" ]] || fail "$what: exit $rc, expected $want_rc"
    [[ $got == "$want" ]] || fail "$what: got [$got] expected [$want]"
}
sql() { "$CLI" --dir "$T/p" sql "$@" | tail -n +2; }
hex() { printf '\\x%02x' "$@"; }
# A dBASE III table: file, then columns "NAME:TYPE:LEN", then "--", then records of fields joined by "|".
dbf() {
    local file=$1 cols=() recs=()
    shift
    while [[ $1 != -- ]]; do cols+=("$1"); shift; done
    shift
    recs=("$@")
    local n=${#cols[@]} reclen=1 out="" body=""
    for c in "${cols[@]}"; do reclen=$((reclen + ${c##*:})); done
    local headlen=$((32 * n + 33)) nrec=${#recs[@]}
    out+="$(hex 3 126 12 7 $((nrec & 255)) $((nrec >> 8)) 0 0 $((headlen & 255)) $((headlen >> 8)) $((reclen & 255)) $((reclen >> 8)))"
    out+="$(printf '\\x00%.0s' $(seq 20))"
    for c in "${cols[@]}"; do
        IFS=: read -r name type len <<<"$c"
        local padded
        padded=$(printf '%-11s' "$name" | tr ' ' '\0' | od -An -tx1 | tr -s ' \n' ' ')
        for b in $padded; do out+="\\x$b"; done
        out+="$type$(printf '\\x00%.0s' $(seq 4))$(hex "$len")$(hex $([[ $type == N ]] && echo 3 || echo 0))"
        out+="$(printf '\\x00%.0s' $(seq 14))"
    done
    out+='\x0d'
    for r in "${recs[@]}"; do
        body+=" "
        IFS='|' read -r -a vals <<<"$r"
        local i=0
        for c in "${cols[@]}"; do
            IFS=: read -r name type len <<<"$c"
            if [[ $type == N ]]; then body+=$(printf "%${len}s" "${vals[$i]}"); else body+=$(printf "%-${len}s" "${vals[$i]}"); fi
            i=$((i + 1))
        done
    done
    printf '%b' "$out" >"$file"
    printf '%s\x1a' "$body" >>"$file"
}

"$CLI" init "$T/p" >/dev/null

# Margin: the field's text is the last line; nothing is checked or written without --apply.
run 0 "0.05" "defaults" margin
run 0 "0.324" "2000 a lot of 5 units at 1234" margin --lot 2000 --units 5 --price 1234
run 0 "abc" "typed text is not checked without --apply" margin --ratio abc
run 1 "每手包含交易单位数量和市价不能为0!
0.05" "no units" margin --units 0
run 1 "类型表中没有类型码zz" "unknown type" margin --apply zz
run 1 "你选中的期货类型和类型码是期货qh
保证金比率不是数字,请修改!
abc" "not a number" margin --apply qh --ratio abc
run 1 "你选中的期货类型和类型码是期货qh
保证金比率太小,请检查输入的数据!
0.000" "a tiny ratio cut to zero" margin --apply qh --lot 1 --units 1000 --price 3000
[[ $(sql --alias curr "SELECT Bzj_rate FROM \"lx.DB\" WHERE Lx='qh'") == 0.1 ]] || fail "a refused ratio was written"
run 0 "你选中的期货类型和类型码是期货qh
0.324" "written" margin --apply qh --lot 2000 --units 5 --price 1234
[[ $(sql --alias curr "SELECT Bzj_rate FROM \"lx.DB\" WHERE Lx='qh'") == 0.324 ]] || fail "ratio not written"

# Settlement currency: every rate over the chosen one, four decimals; the ledger follows.
run 1 "没有此货币代码!" "unknown currency" settings currencies set-settlement --code xyz
run 0 "" "usd as settlement" settings currencies set-settlement --code usd
[[ $(sql "SELECT Code, Rate, Now FROM \"bi.db\" ORDER BY Code" | tr '\t\n' ', ') == "hkd,0.1292,0 rmb,0.1404,0 usd,1,1 " ]] ||
    fail "rates: $(sql 'SELECT * FROM "bi.db"')"
[[ $(sql "SELECT DISTINCT BIRATE FROM \"tr2.DBF\" WHERE ZJZH='20668802'") == 0.12919999659061432 ]] ||
    fail "ledger rate: $(sql "SELECT DISTINCT BIRATE FROM \"tr2.DBF\" WHERE ZJZH='20668802'")"
run 2 "" "set-settlement needs its code" settings currencies set-settlement

# Questions take the scripted answers.
run 0 "" "rules apply on the seed's rules" --answers yyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyy settings rules apply

# Exchange files.
run 1 "SJLJ.TXT中没有第1行" "no location list" exchange links
printf 'http://a.example/hq\r\nhttp://b.example/dbf\r\n' >"$T/p/SJLJ.TXT"
run 0 "http://b.example/dbf/SHOW2003.DBF
http://b.example/dbf/SJSHQ.DBF" "second line" exchange links --line 2
run 1 "找不到文件SHOW2003.DBF,请检查!" "no Shanghai file" exchange import
D=$T/dl
mkdir -p "$D"
dbf "$D/show2003.dbf" S1:C:6 S2:C:8 S10:N:10 -- "000001|index|3912.35" "600000|PF|13.5" "000300|HS300|4000" "600036|ZS|0"
dbf "$D/SJSHQ.DBF" HQZQDM:C:6 HQZQJC:C:8 HQZJCJ:N:10 -- "000001|PA|12.5" "600000|both|14"
before=$(sql --alias curr 'SELECT COUNT(*) FROM "allstocks.DBF"')
run 0 "请等，上海已处理3个记录
请等，深圳已处理2个记录
更新完毕" "import" exchange import --from "$D"
[[ $(sql --alias curr "SELECT PRICE FROM \"allstocks.DBF\" WHERE CODE='600000'") == 14 ]] || fail "Shenzhen last"
[[ $(sql --alias curr "SELECT price2 FROM \"code_N_P.DBF\" WHERE code='000001'") == 12.5 ]] || fail "list not updated"
after=$(sql --alias curr 'SELECT COUNT(*) FROM "allstocks.DBF"')
run 0 "请等，上海已处理3个记录
请等，深圳已处理2个记录
更新完毕" "import again" exchange import --from "$D"
[[ $(sql --alias curr 'SELECT COUNT(*) FROM "allstocks.DBF"') == "$after" && $after -gt $before ]] ||
    fail "second import changed the row count"
head -c 160 "$D/SJSHQ.DBF" >"$T/cut" && mv "$T/cut" "$D/SJSHQ.DBF"
run 1 "文件SJSHQ.DBF已损坏,请检查!" "truncated file" exchange import --from "$D"

# A pass that changes prices in the ledger.
run 0 "" "prices to the ledger" settings prices to-ledger
[[ $(sql "SELECT DISTINCT PRICE2 FROM \"tr2.DBF\" WHERE CODE='000001' AND WTH NOT LIKE 'P%'") == 12.5 ]] ||
    fail "ledger price not updated"
echo ok
