#!/usr/bin/env bash
# What goes wrong in real use: output over a data file, text that is not UTF-8, a killed account add,
# a read-only or damaged program directory, cancelling an order that is not there.
set -euo pipefail

source "$(dirname "$0")/lib/harness.sh"
rows() { "$CLI" --dir "$P" sql "SELECT COUNT(*) FROM \"$1\"" --alias "${2:-kvt}" | tail -n 1; }

P=$T/prog
"$CLI" init "$P" >/dev/null
ME=(--dir "$P" --account 我的帐户 --password "")

# No output lands on the program's own files.
before=$(md5sum <"$P/demo/varneth.db")
for out in "$P/demo/varneth.db" "$P/varneth.db-wal" "$P/demo/../demo/VARNETH.DB"; do
    run --dir "$P" --account 示范帐户 report holdings --out "$out"
    expect 1 "不能写到数据文件上，请换一个文件名。" "report over $out"
done
run --dir "$P" --account 示范帐户 performance --start from-head --png "$P/varneth.db"
expect 1 "不能写到数据文件上，请换一个文件名。" "chart over the shared tables"
[[ $(md5sum <"$P/demo/varneth.db") == "$before" ]] || fail "a refused report changed the account"

# Text is UTF-8, or GBK when said so.
run --dir "$P" buy --qsdm htzq --zjzh 10086601 --gddm A123456789 --code $'\xd5\xd0' --amt 100 --price 1
expect 1 "命令行参数--code不是有效的UTF-8文字。" "a GBK argument"
iconv -f UTF-8 -t GBK >"$T/gbk.csv" <<<$'CODE,NAME\n600999,浦发银行'
n=$(rows allstocks.DBF curr)
run --dir "$P" import allstocks.DBF "$T/gbk.csv"
expect 1 "文件不是UTF-8编码；如为GBK编码请加 --encoding gbk" "GBK without --encoding"
[[ $(rows allstocks.DBF curr) == "$n" ]] || fail "a refused import wrote rows"
run --dir "$P" import allstocks.DBF "$T/gbk.csv" --encoding gbk
expect 0 "" "GBK import"
[[ $("$CLI" --dir "$P" sql "SELECT NAME FROM \"allstocks.DBF\" WHERE CODE='600999'" --alias curr | tail -n 1) == 浦发银行 ]] ||
    fail "the GBK name was not read as 浦发银行"

# An add killed while it built its directory, or after the directory was in place, never blocks a retry.
mkdir -p "$P/.varneth-add-ab"
echo half >"$P/.varneth-add-ab/varneth.db"
run "${ME[@]}" account add --name 甲 --subdir ab
expect 0 "建立帐户成功." "add after a leftover build"
[[ ! -e $P/.varneth-add-ab ]] || fail "the leftover build stayed"
mkdir "$P/cd"
cp "$P/empty/varneth.db" "$P/cd/"
run "${ME[@]}" account add --name 乙 --subdir cd
expect 0 "建立帐户成功." "add over a placed directory without its row"
run --dir "$P" --account 乙 login
expect 0 "$P/cd" "the account taken over logs in"

# Cancelling with boxes that name no row writes nothing and says so.
n=$(rows tr2.DBF)
run --dir "$P" --yes cancel --wth 9999 --qsdm htzq --date 2026-12-01 --amt 100 --price 10 --lx ha
expect 1 "缺少冻结资金记录,继续吗？（继续选Yes, 放弃选No） [Yes]"$'\n'"委托号,券商代码或日期改了，记录未找到,退出重来。" \
    "cancel of a missing order"
[[ $(rows tr2.DBF) == "$n" ]] || fail "the cancel of a missing order changed the ledger"
run --dir "$P" buy --qsdm htzq --zjzh 10086601 --gddm A123456789 --code 600036 --amt 100 --price 40 --wth 123456789012345
[[ $RC == 0 && $OUT == *$'\n'12345678901 ]] || fail "a long order number is not printed as stored [$OUT]"

# A read-only program directory still serves what only reads; writes say why and exit 1.
as=()
if [[ $(id -u) == 0 ]]; then
    command -v setpriv >/dev/null || exit 0
    chmod 755 "$T"
    chmod -R a+rX "$P"
    as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
chmod -R a-w "$P"
ro() {
    set +e
    OUT=$("${as[@]}" "$CLI" --dir "$P" --account 示范帐户 "$@" 2>&1)
    RC=$?
    set -e
}
for c in tables "export tr2.DBF" "view 0" login; do
    # shellcheck disable=SC2086
    ro $c
    [[ $RC == 0 ]] || fail "read-only $c: exit $RC [$OUT]"
done
ro sql 'SELECT COUNT(*) AS n FROM "tr2.DBF"'
[[ $RC == 0 ]] || fail "read-only sql: exit $RC [$OUT]"
ro value
expect 1 "数据文件$P/demo/varneth.db不能读写：文件或目录只读。本次操作没有写入任何数据。" "a write in a read-only directory"
chmod -R u+w "$P"

# A damaged file is named with what is wrong with it.
echo "not a database" >"$P/demo/varneth.db"
run --dir "$P" --account 示范帐户 view 0
expect 1 "数据文件$P/demo/varneth.db不能打开：文件已损坏或不是数据文件" "a damaged account file"
