#!/usr/bin/env bash
# varneth-cli lookup: messages first, the result on the last line, and a write seen by the next lookup.
set -euo pipefail

CLI=$1
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
check() {  # expected-output description args…
    local want=$1 what=$2
    shift 2
    local got
    got=$("$CLI" --dir "$T/p" "$@") || fail "$what: exit $?"
    [[ $got == "$want" ]] || fail "$what: got [$got] expected [$want]"
}

"$CLI" init "$T/p" --bare
cat >"$T/lx.csv" <<'CSV'
Lx,Lxm,Zk_rate,Sxf_rate,Yhs_rate,Bzj_rate,Oversell
A,沪A股,0.9,0.0003,0.001,1,F
CSV
cat >"$T/rules.csv" <<'CSV'
Order,Code1,Code2,Lx,Lxm
2,600000,609999,A,沪A股
1,600500,600599,B,其他
CSV
"$CLI" --dir "$T/p" import lx.DB "$T/lx.csv"
"$CLI" --dir "$T/p" import code_to_lx.DBF "$T/rules.csv"

check "B" "overlapping rules: the lower match order wins" lookup code_to_lx 600519
check "???" "a five-character code against six-character rules" lookup code_to_lx 60051
check "0.9" "discount rate as a 32-bit float" lookup lx_to_zk_rate A
check "0" "no fee on the total rows" lookup lx_to_sxf_rate zzc
check "码为 Q 的类型未加入类型文件，手续费率且以0.003代之, 可进入设置窗口修改好再来计算!
0.003" "an unlisted type: the message, then the default" lookup lx_to_sxf_rate Q
check "1" "an account without currency" lookup zjzh_to_birate 01 12345
check "" "no settlement currency: no code" lookup zjzh_to_bi 01 12345
check "600000" "a code of no table names itself" lookup code_to_name 600000
check "0" "and has price 0" lookup code_to_price 600000

cat >"$T/all.csv" <<'CSV'
CODE,NAME,PRICE
600000,浦发银行,7.5
CSV
"$CLI" --dir "$T/p" import allstocks.DBF "$T/all.csv"
check "浦发银行" "the general table after a write" lookup allstocks_code_to_name 600000
check "7.5" "its price" lookup code_to_price 600000

set +e
"$CLI" --dir "$T/p" lookup no_such_lookup x >/dev/null 2>&1
rc=$?
set -e
[[ $rc == 2 ]] || fail "an unknown lookup is a usage error (exit $rc)"
echo "lookup commands: all passed"
