#!/usr/bin/env bash
# Times vexlorn-cli's write and verify passes on a RAM-backed medium (a loop-mounted image in
# /dev/shm, as root; FAT32 as on cards where the kernel has it, else ext4) against dd with the same 256-byte requests (the limit of one request per
# block), dd bs=1M (the medium's own limit) and, where installed, f3write/f3read.
# Prints a table; it never passes or fails.
#
#   bash bench/passes.sh [BUILD_DIR] [MEDIUM_MIB]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/plain}
size_mib=${2:-2048}
cli=$build/cli/vexlorn-cli
[ "$(id -u)" -eq 0 ] || { echo "bench/passes.sh needs root (loop devices, drop_caches)"; exit 0; }
[ -x "$cli" ] || { echo "build vexlorn-cli first: $cli"; exit 0; }
fstype=ext4
if grep -qw vfat /proc/filesystems || modprobe vfat 2>/dev/null; then
    fstype=vfat
    command -v mkfs.vfat >/dev/null || apt-get install -y -qq dosfstools >/dev/null
fi

work=$(mktemp -d /dev/shm/vexlorn-bench-XXXXXX)
mnt=$work/mnt
mkdir "$mnt"
image=$work/medium.img
loop=
cleanup() {
    mountpoint -q "$mnt" && umount "$mnt"
    [ -n "$loop" ] && losetup -d "$loop"
    rm -rf "$work"
}
trap cleanup EXIT

fresh_medium() {
    mountpoint -q "$mnt" && umount "$mnt"
    [ -n "$loop" ] && losetup -d "$loop"
    rm -f "$image"
    truncate -s "${size_mib}M" "$image"
    if [ "$fstype" = vfat ]; then
        mkfs.vfat -F 32 "$image" >/dev/null
    else
        mkfs.ext4 -q -F -m 0 "$image"
    fi
    loop=$(losetup --find --show "$image")
    mount -t "$fstype" "$loop" "$mnt"
}

drop_caches() {
    sync
    echo 3 >/proc/sys/vm/drop_caches
}

# seconds, user+system CPU seconds of a command
timed() {
    /usr/bin/time -o "$work/time" -f "%e %U %S" "$@" >/dev/null 2>&1 || true
    awk '{printf "%s %.2f\n", $1, $2 + $3}' "$work/time"
}

declare -A seconds cpu gib

record() {  # name, "seconds cpu", bytes
    seconds[$1]=${2% *}
    cpu[$1]=${2#* }
    gib[$1]=$(awk -v b="$3" 'BEGIN {printf "%.3f", b / 1073741824}')
}

echo "medium: ${size_mib} MiB $fstype image in /dev/shm on $(uname -r), $(nproc) cores"

fresh_medium
out=$(/usr/bin/time -o "$work/time" -f "TIME %e %U %S" "$cli" --no-prompt --allow-non-removable "$mnt" | cat)
out+=$'\n'$(cat "$work/time")
write_s=$(sed -n 's/^写入用时 \([0-9.]*\) 秒.*/\1/p' <<<"$out")
verify_s=$(sed -n 's/^校验用时 \([0-9.]*\) 秒.*/\1/p' <<<"$out")
written=$(sed -n 's/^.*写入数据大小：\([0-9.]*\)G.*$/\1/p' <<<"$out" | tail -n 1)
cli_cpu=$(awk '/^TIME/ {printf "%.2f", $3 + $4}' <<<"$out")
cli_bytes=$(awk -v g="$written" 'BEGIN {printf "%d", g * 1073741824}')
grep -q "一切正常" <<<"$out" || echo "note: vexlorn-cli did not give the sound verdict on the bench medium"

for bs in 256 1M; do
    fresh_medium
    record "dd-write-$bs" "$(timed sh -c "dd if=/dev/zero of='$mnt/dd.bin' bs=$bs 2>/dev/null; sync")" \
        "$(stat -c %s "$mnt/dd.bin")"
    drop_caches
    record "dd-read-$bs" "$(timed dd if="$mnt/dd.bin" of=/dev/null bs=$bs)" "$(stat -c %s "$mnt/dd.bin")"
done

if command -v f3write >/dev/null && command -v f3read >/dev/null; then
    fresh_medium
    record f3write "$(timed sh -c "f3write '$mnt'; sync")" "$(du -sb "$mnt" | cut -f1)"
    drop_caches
    record f3read "$(timed f3read "$mnt")" "$(du -sb "$mnt" | cut -f1)"
fi

rate() { awk -v g="$1" -v s="$2" 'BEGIN {printf "%.1f", (s > 0 ? g * 1073.741824 / s : 0)}'; }
printf '\n%-22s %8s %9s %9s %12s\n' "pass" "GiB" "seconds" "MB/s" "CPU s/GiB"
row() {  # name gib seconds cpu
    printf '%-22s %8s %9s %9s %12s\n' "$1" "$2" "$3" "$(rate "$2" "$3")" \
        "$(awk -v c="$4" -v g="$2" 'BEGIN {if (c == "-") print "-"; else printf "%.2f", (g > 0 ? c / g : 0)}')"
}
cli_gib=$(awk -v b="$cli_bytes" 'BEGIN {printf "%.3f", b / 1073741824}')
row "vexlorn-cli write" "$cli_gib" "$write_s" "-"
row "vexlorn-cli verify" "$cli_gib" "$verify_s" "-"
echo "vexlorn-cli whole run CPU: ${cli_cpu} s ($(awk -v c="$cli_cpu" -v g="$cli_gib" 'BEGIN {printf "%.2f", c / g / 2}') s/GiB per pass)"
for name in dd-write-256 dd-read-256 dd-write-1M dd-read-1M f3write f3read; do
    [ -n "${seconds[$name]:-}" ] && row "$name" "${gib[$name]}" "${seconds[$name]}" "${cpu[$name]}"
done
echo
awk -v w="$write_s" -v v="$verify_s" -v cg="$cli_gib" \
    -v dw="${seconds[dd-write-256]}" -v dr="${seconds[dd-read-256]}" -v dg="${gib[dd-write-256]}" \
    'BEGIN {
        printf "write  / dd bs=256: %.2f x\n", (cg / w) / (dg / dw)
        printf "verify / dd bs=256: %.2f x\n", (cg / v) / (dg / dr)
    }'
