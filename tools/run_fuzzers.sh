#!/bin/sh
# Runs every fuzz target for a bounded time and prints its speed and count.
# Usage: tools/run_fuzzers.sh <fuzz build folder> <seconds per target> [target...]
# New inputs go to <build>/corpus/<target>, findings to <build>/findings/;
# the seeds in the repository are only read. A target fails when it exits
# badly or leaves any finding (crash-, leak-, timeout- or oom- file) behind:
# with -fork or -ignore_crashes libFuzzer can record one and still exit 0.
set -u
build=$1
seconds=$2
top=$(cd "$(dirname "$0")/.." && pwd)
shift 2
failed=0
mkdir -p "$build/findings"
[ $# -gt 0 ] || set -- text_to_number file_names dropped_files picture_ops scrtool_args png_in jpeg_in gif_in bmp_in \
    pnm_in screen_reader extract picture_modes
for target in "$@"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  case $target in
    picture_ops|screen_reader) seeds="$top/testdata/screens"; options="-max_len=8192 -len_control=0" ;;
    *_in) seeds="$top/fuzz/seeds/$target"; options="-max_len=65536" ;;
    # Snapshots hold 48K and more; the seeds are whole files, their first byte
    # the file name's place in the target's list.
    extract) seeds="$top/fuzz/seeds/extract"; options="-max_len=140000" ;;
    # An extension, a newline and a file; .bsp reaches 133 KB.
    picture_modes) seeds="$top/fuzz/seeds/picture_modes"; options="-max_len=140000" ;;
    *) seeds="$top/fuzz/seeds/$target"; options="-max_len=4096" ;;
  esac
  log="$build/findings/$target.log"
  started="$build/findings/.$target.started"
  : >"$started"
  leaks=
  [ "$target" = extract ] && leaks="suppressions=$top/fuzz/extract_lsan.supp"
  # -timeout is above every limit a reader keeps itself (extract's child: ten
  # seconds), so that a slow input is the reader's to end, not the fuzzer's.
  # shellcheck disable=SC2086
  LSAN_OPTIONS=$leaks "$build/fuzz/${target}_fuzzer" $options -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$build/findings/$target-" "$corpus" "$seeds" >"$log" 2>&1
  status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  cover=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d ' ' -f 2)
  findings=$(find "$build/findings" -maxdepth 1 -newer "$started" \
      \( -name "$target-crash-*" -o -name "$target-leak-*" -o -name "$target-timeout-*" -o -name "$target-oom-*" \) |
      sort)
  if [ $status -eq 0 ] && [ -z "$findings" ]; then
    echo "fuzz $target: ${runs:-0} executions in ${seconds} s, ${speed:-0} per second, ${cover:-0} edges covered"
  else
    echo "fuzz $target: FAILED (exit $status) after ${runs:-0} executions; see $log"
    grep -E "law broken|ERROR|SUMMARY" "$log" | head -5
    [ -n "$findings" ] && echo "$findings"
    failed=1
  fi
done
exit $failed
