#!/usr/bin/env bash
# Times our encoder against ONNX Runtime on the same all-MiniLM-L6-v2-shaped model, one thread
# each, pinned to the same core, and prints milliseconds per text and the ratio ours / ONNX
# Runtime side by side, for every build of our kernels this processor runs (avx512, avx2,
# portable, each forced with QB_ENCODER_KERNELS).
#
#   bench/compare-encoder.sh [ROUNDS]
#
# Rounds alternate the runtimes (default 3): each round runs ONNX Runtime, then each of our
# builds, so that load from other work on the machine falls on all alike; each figure is the
# median over rounds, with the best repetition beside it. QB_BENCH_CORE picks the core (default 2). Needs cmake and ninja, Debian's python3-torch (to export the weights to ONNX) and
# node with npm. ONNX Runtime comes from the onnxruntime-node package pinned in
# bench/onnx/package.json, installed under the work folder with ONNXRUNTIME_NODE_INSTALL=skip,
# which skips only the optional GPU downloads: the CPU provider ships inside the package. Not part
# of CI. Without one of those, ONNX Runtime is left out with a line saying why, and our builds are
# still timed side by side; without node, no report is printed and the figures stay in the work
# folder.
#
# QB_ENCODER_BENCH_DIR: work folder (default $TMPDIR/quillbrook-encoder-bench); it keeps the
# model, the ONNX export, node_modules and the results. QB_BENCH_BUILD_DIR: the Release build
# (default: build/ inside the work folder).

set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-3}
core=${QB_BENCH_CORE:-2}
work=${QB_ENCODER_BENCH_DIR:-${TMPDIR:-/tmp}/quillbrook-encoder-bench}
build=${QB_BENCH_BUILD_DIR:-$work/build}
python=${QB_TORCH_PYTHON:-/usr/bin/python3}
mkdir -p "$work"
export QB_ENCODER_BENCH_DIR=$work

echo "== building quillbrook_bench (Release) in $build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQB_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target quillbrook_bench -j4 >/dev/null
bench=$build/bench/quillbrook_bench

echo "== writing the model and timing its load"
rm -f "$work"/ours-*.json "$work"/ort-*.json
"$bench" --benchmark_filter='Encoder/load' --benchmark_out="$work/ours-load.json" \
  --benchmark_out_format=json >/dev/null 2>"$work/bench.log"

# Why ONNX Runtime is left out; empty while it can run.
without_ort=""
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  without_ort="node and npm are needed to install and run onnxruntime-node"
elif ! "$python" -c 'import torch' 2>/dev/null; then
  without_ort="$python cannot import torch (Debian's python3-torch), which exports the model to ONNX"
fi

if [[ -z "$without_ort" ]]; then
  echo "== exporting it to ONNX"
  "$python" "$root/tools/export_onnx.py" "$work" 2> >(grep -v -i warn >&2) ||
    without_ort="the export to ONNX failed"
fi

if command -v node >/dev/null; then
  mkdir -p "$work/node"
  cp "$root/bench/onnx/package.json" "$root/bench/onnx/package-lock.json" \
    "$root/bench/onnx/bench.mjs" "$root/bench/onnx/report.mjs" "$work/node/"
fi
if [[ -z "$without_ort" ]]; then
  echo "== installing onnxruntime-node"
  if ! cmp -s "$root/bench/onnx/package-lock.json" "$work/node/node_modules/.package-lock.json.installed" 2>/dev/null; then
    if (cd "$work/node" && ONNXRUNTIME_NODE_INSTALL=skip npm ci --no-audit --no-fund --loglevel=error >/dev/null); then
      cp "$root/bench/onnx/package-lock.json" "$work/node/node_modules/.package-lock.json.installed"
    else
      without_ort="npm could not install onnxruntime-node"
    fi
  fi
fi
[[ -z "$without_ort" ]] || echo "== ONNX Runtime skipped: $without_ort; timing our builds alone" >&2

# The builds this processor runs, fastest first.
flags=$(grep -m1 '^flags' /proc/cpuinfo)
has() { for flag in "$@"; do [[ " $flags " == *" $flag "* ]] || return 1; done; }
builds=()
has avx512f avx512vl avx512bw avx512dq avx2 fma && builds+=(avx512)
has avx2 fma && builds+=(avx2)
builds+=(portable)

for round in $(seq 1 "$rounds"); do
  if [[ -z "$without_ort" ]]; then
    echo "== round $round of $rounds: ONNX Runtime"
    taskset -c "$core" node "$work/node/bench.mjs" "$work/model.onnx" "$work/inputs.json" \
      "$work/ort-$round.json" >/dev/null
  fi
  for build in "${builds[@]}"; do
    echo "== round $round of $rounds: ours, $build"
    QB_ENCODER_KERNELS=$build taskset -c "$core" "$bench" --benchmark_filter='Encoder/run/' \
      --benchmark_repetitions=5 --benchmark_out="$work/ours-$build-$round.json" \
      --benchmark_out_format=json >/dev/null 2>"$work/bench.log"
  done
done

processor=$(grep -m1 '^model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
family=$(grep -m1 '^cpu family' /proc/cpuinfo | cut -d: -f2 | tr -d ' ')
model=$(grep -m1 '^model[[:space:]]*:' /proc/cpuinfo | cut -d: -f2 | tr -d ' ')
echo "processor: $processor (family $family, model $model), core $core"
if command -v node >/dev/null; then
  node "$work/node/report.mjs" "$work" "${builds[@]}"
else
  echo "compare-encoder: no node to write the report; the figures are in $work/ours-*.json" >&2
fi
