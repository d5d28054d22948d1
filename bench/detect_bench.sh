#!/usr/bin/env bash
# Detection wall time and CPU time with 1, 4 and 16 simulated modems behind /dev/ttyUSB*,
# with the default read windows (no set.ini). Prints figures; checks nothing.
#
#   bash bench/detect_bench.sh BUILD/Quenlo BUILD [RUNS]
#
# Each run is one Quenlo with standard input that is not a terminal: one full detection,
# the device table, and the end. The median of RUNS runs (default 3) is printed. CPU time per
# port is what each modem adds to a run without any (the program's own start and the two
# absent ttyS ports).
source "$(dirname "$0")/../tests/e2e/harness.sh"
h_begin "$@"
runs=${3:-3}

# measure: prints "WALL_S CPU_S" of one Quenlo run (CPU time of the process and its threads)
measure() {
    python3 - "$H_QUENLO" <<'PY'
import os, resource, subprocess, sys, time
before = resource.getrusage(resource.RUSAGE_CHILDREN)
start = time.monotonic()
subprocess.run([sys.argv[1]], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, check=True)
wall = time.monotonic() - start
after = resource.getrusage(resource.RUSAGE_CHILDREN)
cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
print(f"{wall:.3f} {cpu:.3f}")
PY
}

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

printf '%-8s %-10s %-10s %-14s\n' modems wall_s cpu_s cpu_ms/port
declare -A wall
for n in 0 1 4 16; do
    for ((i = 0; i < n; i++)); do
        h_modem "$i" --ati 'Model: ME901' || exit 1
    done
    walls=() cpus=()
    for ((r = 0; r < runs; r++)); do
        read -r w c < <(measure)
        walls+=("$w")
        cpus+=("$c")
    done
    wall[$n]=$(printf '%s\n' "${walls[@]}" | median)
    cpu=$(printf '%s\n' "${cpus[@]}" | median)
    [ "$n" -eq 0 ] && cpu0=$cpu
    printf '%-8s %-10s %-10s %-14s\n' "$n" "${wall[$n]}" "$cpu" \
        "$(awk -v c="$cpu" -v c0="$cpu0" -v n="$n" 'BEGIN { if (n) printf "%.1f", (c - c0) * 1000 / n; else print "-" }')"
    h_stop_modems
done
awk -v a="${wall[16]}" -v b="${wall[1]}" 'BEGIN { printf "T16/T1 = %.2f\n", a / b }'
