#!/usr/bin/env bash
# The long faulty run: a book of about two hours of audio spoken through the local stand-in of the
# service with random faults (5 % of the requests answered 503, 1 % cut off in the middle of the
# answer, 1 % stalled past the time-out, 0.5 % answered 429 with a Retry-After), with --jobs 4 and
# --cache, interrupted by SIGINT three times at random moments and run again after each. It checks
# that the final WAV, LRC and SRT files are byte for byte those of a clean run (no faults, no
# interruptions, no cache), and that the peak memory (VmHWM) and the open descriptors of every run
# that lasts past its first minute are the same at its end as after that minute.
#
#   bench/long_faulty_run/long_faulty_run.sh [MINUTES [SEED]]
#
# MINUTES of audio (default 120), SEED for the book, the faults and the moments (default 1).
# BUILD names the build folder (default build; sonacli and sonacli-standin are built there), WORK
# the folder to work in (default: a new one under /tmp, removed at the end unless KEEP=1).
# Exit code 0 when every check holds.
set -euo pipefail
cd "$(dirname "$0")/../.."
minutes=${1:-120}
seed=${2:-1}
build=$(cd "${BUILD:-build}" && pwd)
jobs=4
timeout_ms=3000
stall_ms=6000

cmake --build "$build" -j2 --target sonacli sonacli-standin >/dev/null

work=${WORK:-$(mktemp -d /tmp/long_faulty_run.XXXXXX)}
mkdir -p "$work"
cd "$work"
RANDOM=$seed

standin_pid=
cleanup() {
  [ -n "$standin_pid" ] && kill "$standin_pid" 2>/dev/null && wait "$standin_pid" 2>/dev/null
  [ "${KEEP:-0}" = 1 ] || rm -rf "$work"
}
trap cleanup EXIT

# The book: paragraphs of sentences of words drawn with the seed. The stand-in speaks 50 ms for
# every character and 100 ms after every request of about 80 characters, about 20 characters a
# second in all.
awk -v seed="$seed" -v chars=$((minutes * 60 * 20)) '
BEGIN {
  srand(seed)
  n = split("the a river stone light morning quiet harbour garden window letter winter road " \
            "village old young small bright cold warm long slow distant near open closed green " \
            "walked found carried remembered watched opened crossed waited spoke heard kept " \
            "after before under over through beside across within and but while because", words, " ")
  total = 0; paragraph = ""
  while (total < chars) {
    count = 6 + int(rand() * 14)
    sentence = ""
    for (i = 0; i < count; ++i) sentence = sentence (i ? " " : "") words[1 + int(rand() * n)]
    sentence = toupper(substr(sentence, 1, 1)) substr(sentence, 2) (rand() < 0.2 ? "?" : ".")
    paragraph = paragraph (paragraph == "" ? "" : " ") sentence
    total += length(sentence) + 1
    if (rand() < 0.15) { print paragraph; paragraph = "" }
  }
  if (paragraph != "") print paragraph
}' > book.txt

: > script.json
"$build/tools/sonacli-standin" --port 0 --cert ca.pem --idle-exit 0 --log requests.log \
  --script script.json > standin.out 2>&1 &
standin_pid=$!
for _ in $(seq 100); do
  grep -q listening standin.out 2>/dev/null && break
  sleep 0.1
done
url=$(sed -n 's/.*listening on \(https:[^ ]*\).*/\1/p' standin.out)
[ -n "$url" ] || { echo "the stand-in did not start" >&2; exit 1; }
export SONACLI_CLOUD_URL="$url" SONACLI_LEGACY_URL="$url" SONACLI_CA_BUNDLE="$work/ca.pem"
export SONACLI_TEST_HTTP_TIMEOUT_MS=$timeout_ms

now_ms() { date +%s%3N; }

# One run of sonacli in folder $1 with the options after it, stopped by SIGINT after $interrupt_s
# seconds when that is above 0. Sets run_code, run_ms and the figures of its memory and
# descriptors: after its first minute (empty when it ended before) and at its last sample.
run() {
  local folder=$1
  shift
  mkdir -p "$folder"
  local started
  started=$(now_ms)
  (cd "$folder" && exec "$build/sonacli" "$@" > stdout.txt 2>&1) &
  local pid=$!
  minute_hwm= minute_fd= minute_sockets=
  last_hwm= last_fd= last_sockets=
  local signalled=0 elapsed hwm fds sockets
  while kill -0 "$pid" 2>/dev/null; do
    elapsed=$(($(now_ms) - started))
    if hwm=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status" 2>/dev/null) && [ -n "$hwm" ]; then
      # The run may end between two looks: find then fails, and the sample is the last one.
      fds=$(find "/proc/$pid/fd" -mindepth 1 2>/dev/null | wc -l) || continue
      sockets=$(find "/proc/$pid/fd" -mindepth 1 -lname 'socket:*' 2>/dev/null | wc -l) || continue
      last_hwm=$hwm last_fd=$fds last_sockets=$sockets
      if [ -z "$minute_hwm" ] && [ "$elapsed" -ge 60000 ]; then
        minute_hwm=$hwm minute_fd=$fds minute_sockets=$sockets
      fi
    fi
    if [ "$interrupt_s" -gt 0 ] && [ "$signalled" = 0 ] && [ "$elapsed" -ge $((interrupt_s * 1000)) ]; then
      kill -INT "$pid" 2>/dev/null || true
      signalled=1
    fi
    sleep 0.2
  done
  set +e
  wait "$pid"
  run_code=$?
  set -e
  run_ms=$(($(now_ms) - started))
}

options=(-k bench-key -f "$work/book.txt" -w out.wav -lrc -srt --jobs "$jobs")
failed=0
report() { printf '%s\n' "$*" | tee -a report.txt; }
: > report.txt

# The clean run: no faults, no interruptions, no cache.
interrupt_s=0
run clean "${options[@]}"
clean_ms=$run_ms
clean_requests=$(wc -l < requests.log)
report "book: $(wc -c < book.txt) bytes of text in $(wc -l < book.txt) paragraphs (seed $seed)"
report "clean run: exit $run_code, $((clean_ms / 1000)).$((clean_ms % 1000 / 100)) s, $clean_requests requests," \
  "peak memory $last_hwm kB"
[ "$run_code" = 0 ] || failed=1
audio_bytes=$(stat -c %s clean/out.wav)
report "audio: $audio_bytes bytes, $((($audio_bytes - 44) / 2 / 24000 / 60)) min" \
  "$((($audio_bytes - 44) / 2 / 24000 % 60)) s at 24000 Hz mono"

cat > script.json <<EOF
{"seed": $seed, "rules": [
  {"chance": 0.05, "status": 503},
  {"chance": 0.01, "answer": "cut"},
  {"chance": 0.01, "delay_ms": $stall_ms},
  {"chance": 0.005, "status": 429, "headers": {"Retry-After": "2"}}
]}
EOF

# Three runs stopped by SIGINT at random moments within the first quarter of the clean run's time
# (at least 5 s in), then the run that ends it; all on one cache.
faulty_started=$(now_ms)
quarter_s=$((clean_ms / 4000))
for attempt in 1 2 3 4; do
  if [ "$attempt" -le 3 ]; then
    interrupt_s=$((5 + RANDOM % (quarter_s > 5 ? quarter_s - 4 : 1)))
  else
    interrupt_s=0
  fi
  run faulty "${options[@]}" --cache "$work/cache"
  if [ "$interrupt_s" -gt 0 ]; then
    what="SIGINT after $interrupt_s s"
    [ "$run_code" = 130 ] || { what="$what (ended before it)"; failed=1; }
  else
    what="to the end"
    [ "$run_code" = 0 ] || failed=1
  fi
  line="faulty run $attempt, $what: exit $run_code, $((run_ms / 1000)).$((run_ms % 1000 / 100)) s;"
  if [ -n "$minute_hwm" ]; then
    line="$line VmHWM $minute_hwm kB at 1 min, $last_hwm kB at the end;"
    line="$line descriptors $minute_fd ($minute_sockets sockets) at 1 min, $last_fd ($last_sockets sockets) at the end"
    [ "$minute_hwm" = "$last_hwm" ] || failed=1
    # Sockets come and go with the requests in flight; any other descriptor more at the end is a leak.
    [ $((last_fd - last_sockets)) -le $((minute_fd - minute_sockets)) ] || failed=1
  else
    line="$line ended within its first minute (VmHWM $last_hwm kB, $last_fd descriptors at its end)"
  fi
  report "$line"
done
faulty_ms=$(($(now_ms) - faulty_started))

faulty_requests=$(($(wc -l < requests.log) - clean_requests))
count_rule() { tail -n "$faulty_requests" requests.log | grep -c "\"rule\":$1}" || true; }
report "faulty runs: $((faulty_ms / 1000)).$((faulty_ms % 1000 / 100)) s in all, $faulty_requests requests;" \
  "faults injected: $(count_rule 0) answered 503, $(count_rule 1) cut off mid-answer," \
  "$(count_rule 2) stalled past the ${timeout_ms} ms time-out, $(count_rule 3) answered 429 with Retry-After"

identical=yes
for file in out.wav out.lrc out.srt; do
  cmp -s "clean/$file" "faulty/$file" || { identical=no; failed=1; }
done
report "final WAV, LRC and SRT byte for byte those of the clean run: $identical"
[ "$failed" = 0 ] && report "all checks hold" || report "A CHECK FAILED"
cp report.txt "$build/long_faulty_run_report.txt"
exit "$failed"
