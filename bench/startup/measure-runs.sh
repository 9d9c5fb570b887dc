#!/usr/bin/env bash
# The measuring half of startup-bench.sh, run inside xvfb-run (DISPLAY set).
set -euo pipefail

export QT_QPA_PLATFORM=xcb
# Qt logs each flush of painted widgets to the screen in this category.
export QT_LOGGING_RULES="qt.widgets.painting=true"
export QT_MESSAGE_PATTERN="%{category} %{message}"

ms_between() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.0f", (b - a) * 1000 }'; }

# One start: prints "mapped_ms first_frame_ms peak_rss_kib".
measure() {
    local title=$1; shift
    local frame_file="$SCRATCH/frame" err_fifo="$SCRATCH/stderr"
    rm -f "$frame_file" "$err_fifo"
    mkfifo "$err_fifo"
    if [ "$COLD" -eq 1 ]; then
        sync
        echo 3 > /proc/sys/vm/drop_caches
    fi
    # Stamps the first flush as it arrives, then keeps draining standard
    # error so the program never blocks on a full pipe.
    (
        while IFS= read -r line; do
            if [[ $line == qt.widgets.painting*Flushing* ]]; then
                echo "$EPOCHREALTIME" > "$frame_file"
                break
            fi
        done
        cat >/dev/null
    ) < "$err_fifo" &
    local reader=$!
    local t0=$EPOCHREALTIME
    "$@" 2> "$err_fifo" >/dev/null &
    local pid=$!
    local mapped=""
    for _ in $(seq 1 2000); do
        if xwininfo -name "$title" 2>/dev/null | grep -q "Map State: IsViewable"; then
            mapped=$EPOCHREALTIME
            break
        fi
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.005
    done
    sleep 1.5
    local rss
    rss=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || echo "")
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    wait "$reader" 2>/dev/null || true
    local frame="-"
    [ -s "$frame_file" ] && frame=$(ms_between "$t0" "$(cat "$frame_file")")
    if [ -z "$mapped" ]; then
        echo "- $frame ${rss:--}"
    else
        echo "$(ms_between "$t0" "$mapped") $frame ${rss:--}"
    fi
}

stats() {   # first, median and best of the rest of one column
    awk -v col="$1" '
        NR == 1 { first = $col; next }
        $col != "-" { v[++n] = $col }
        END {
            if (n == 0) { printf "%s | - | -", first; exit }
            for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (v[j] < v[i]) { t = v[i]; v[i] = v[j]; v[j] = t }
            med = (n % 2) ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
            printf "%s | %.0f | %s", first, med, v[1]
        }' "$2"
}

: > "$SCRATCH/brevolan4.txt"
: > "$SCRATCH/cutecom.txt"
for i in $(seq 1 "$RUNS"); do
    measure "RDS/RBDS Encoder - Brevolan 4" "$BREVOLAN" >> "$SCRATCH/brevolan4.txt"
    measure "CuteCom - Default" cutecom >> "$SCRATCH/cutecom.txt"
    printf '.' >&2
done
echo >&2

echo "Start-up on Xvfb, $RUNS starts each$([ "$COLD" -eq 1 ] && echo ", page cache dropped before each"); $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "brevolan4: $BREVOLAN (Qt 6); cutecom $(dpkg-query -W -f='${Version}' cutecom) (Qt 5)"
echo
echo "| program | measure | first start | median | best |"
echo "|---|---|---|---|---|"
for prog in brevolan4 cutecom; do
    echo "| $prog | window mapped, ms | $(stats 1 "$SCRATCH/$prog.txt") |"
    echo "| $prog | first frame, ms | $(stats 2 "$SCRATCH/$prog.txt") |"
    echo "| $prog | peak RSS, KiB | $(stats 3 "$SCRATCH/$prog.txt") |"
done
echo
echo "raw (mapped_ms first_frame_ms peak_rss_kib), brevolan4:"; cat "$SCRATCH/brevolan4.txt"
echo "raw, cutecom:"; cat "$SCRATCH/cutecom.txt"
