#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while.
#   scripts/fuzz.sh [SECONDS] [TARGET ...]     default: 60 s each, every target
# Environment: FUZZ_BUILD (default build-fuzz), FUZZ_JOBS (parallel builds),
# FUZZ_MERGE=1 to fold the inputs that added coverage back into fuzz/corpus.
# Prints executions, coverage and findings per target; exits 1 on a finding.
set -euo pipefail
cd "$(dirname "$0")/.."

SECONDS_EACH=${1:-60}
shift || true
BUILD=${FUZZ_BUILD:-build-fuzz}
JOBS=${FUZZ_JOBS:-$(nproc)}

declare -A SEEDS=(
  [fuzz_model_build]="model script"
  [fuzz_expression]="expression"
  [fuzz_script]="script model"
  [fuzz_results_read]="results"
  [fuzz_plot_description]="plot_description"
  [fuzz_settings_file]="settings_file"
  [fuzz_sbml_import]="sbml"
  [fuzz_solve]="model"
  [fuzz_fit_data]="fit_data"
)
ALL=(fuzz_model_build fuzz_expression fuzz_script fuzz_results_read fuzz_plot_description
     fuzz_settings_file fuzz_sbml_import fuzz_solve fuzz_fit_data)
TARGETS=("$@")
[ ${#TARGETS[@]} -eq 0 ] && TARGETS=("${ALL[@]}")

bash scripts/install-deps.sh
mkdir -p "$BUILD"
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DKORA_FUZZ=ON \
  -DKORA_BUILD_TESTS=OFF -DKORA_BUILD_BENCH=OFF > "$BUILD/configure.log"
cmake --build "$BUILD" -j "$JOBS" --target "${TARGETS[@]}"

export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export QT_QPA_PLATFORM=offscreen
mkdir -p "$BUILD/findings"
failed=0
printf '%-24s %12s %10s %8s  %s\n' target executions coverage corpus findings
for target in "${TARGETS[@]}"; do
  corpus="$BUILD/corpus/$target"
  mkdir -p "$corpus"
  for seed in ${SEEDS[$target]}; do cp -n fuzz/corpus/"$seed"/* "$corpus"/ 2>/dev/null || true; done
  dict=fuzz/model.dict
  [ "$target" = fuzz_sbml_import ] && dict=fuzz/sbml.dict
  log="$BUILD/$target.log"
  status=0
  "$BUILD/fuzz/$target" -max_total_time="$SECONDS_EACH" -timeout=20 -rss_limit_mb=2560 \
    -max_len=8192 -dict="$dict" -print_final_stats=1 \
    -artifact_prefix="$BUILD/findings/$target-" "$corpus" > "$log" 2>&1 || status=$?
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*' || echo 0)
  size=$(find "$corpus" -type f | wc -l)
  finding="none"
  if [ "$status" -ne 0 ]; then
    finding="exit $status, see $log and $BUILD/findings/"
    failed=1
  fi
  printf '%-24s %12s %10s %8s  %s\n' "$target" "${runs:-0}" "${cov:-0}" "$size" "$finding"
  if [ "${FUZZ_MERGE:-0}" = 1 ] && [ "$status" -eq 0 ]; then
    keep="fuzz/corpus/${SEEDS[$target]%% *}"
    "$BUILD/fuzz/$target" -merge=1 -dict="$dict" "$keep" "$corpus" > "$BUILD/$target.merge.log" 2>&1 || true
  fi
done
exit $failed
