#!/usr/bin/env bash
# Benchmark (not a test): dumps a large signed file with a zipped component and compares it, in the same run,
# with `cat` of the signed file and `gzip -dc` of a gzip file of the same unpacked size.
# Usage: tests/sigdump/bench/run_bench.sh BUILD_DIR [UNPACKED_MIB]
set -euo pipefail
build=${1:?build folder}
mib=${2:-64}
cmake --build "$build" --target Kelmdor kelmdor_sample_maker >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bin/kelmdor_sample_maker" bench "$work/BIG.AGN" "$work/plain.bin" "$mib"
gzip -6 -c "$work/plain.bin" > "$work/plain.bin.gz"
rm "$work/plain.bin"

best() { # best wall time of three runs, and the largest resident size
    local t m best_t=999 max_m=0
    for _ in 1 2 3; do
        read -r t m < <( { /usr/bin/time -f "%e %M" "$@" >/dev/null; } 2>&1 | tail -1)
        best_t=$(echo "$t $best_t" | awk '{print ($1 < $2) ? $1 : $2}')
        max_m=$(( m > max_m ? m : max_m ))
    done
    echo "$best_t $max_m"
}

read -r t_dump m_dump < <(best "$build/bin/Kelmdor" -m "$work/BIG.AGN" "$work/report.txt")
read -r t_cat m_cat < <(best sh -c "cat '$work/BIG.AGN' > /dev/null")
read -r t_gz m_gz < <(best sh -c "gzip -dc '$work/plain.bin.gz' > /dev/null")
signed=$(stat -c %s "$work/BIG.AGN")
echo "signed file: $((signed / 1048576)) MiB, unpacked: $mib MiB"
printf '%-22s %8s s %8s KiB max RSS\n' "Kelmdor -m" "$t_dump" "$m_dump" "cat" "$t_cat" "$m_cat" "gzip -dc" "$t_gz" "$m_gz"
awk -v d="$t_dump" -v c="$t_cat" -v g="$t_gz" 'BEGIN { printf "Kelmdor / cat: %.1fx   Kelmdor / gzip -dc: %.2fx\n", d / (c > 0 ? c : 0.01), d / g }'
"$build/bin/kelmdor_sample_maker" time-unpack "$work/BIG.AGN"
