# Writing tdx day files byte by byte (sourced): 32-byte records, the close in cents.
le32() {  # a 32-bit integer, little-endian, as printf escapes
    local v=$(($1 & 0xFFFFFFFF))
    printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((v & 255)) $((v >> 8 & 255)) $((v >> 16 & 255)) $((v >> 24 & 255))
}
zeros() { printf '\\x00%.0s' $(seq "$1"); }
day() {  # file close…: one 32-byte record per close, dated from 20261201
    local file=$1 d=20261201 out=""
    shift
    for close in "$@"; do
        out+="$(le32 $d)$(zeros 12)$(le32 "$close")$(zeros 12)"
        d=$((d + 1))
    done
    mkdir -p "$(dirname "$file")"
    printf '%b' "$out" >"$file"
}
