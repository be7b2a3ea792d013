// Puts our encoder's and ONNX Runtime's timings side by side.
//
//   node report.mjs DIR BUILD...
//
// DIR holds, for each round N, ort-N.json (bench.mjs's output) and, for each of our kernel
// builds, ours-BUILD-N.json (Google Benchmark's JSON output of Encoder/run with repetitions), plus
// ours-load.json, ours.json (our vectors) and inputs.json. One table per build. Each side's figure per text length is the median over rounds of that round's
// median repetition; "best" is the fastest repetition of all, the figure least disturbed by other
// work on the machine. Ratios are ours / ONNX Runtime. Without any ort-N.json (ONNX Runtime was
// left out), the rounds are those of our first build and the tables give our figures alone.

import { readFileSync, readdirSync } from 'node:fs';
import { join } from 'node:path';

const dir = process.argv[2];
const builds = process.argv.slice(3);
const read = (name) => JSON.parse(readFileSync(join(dir, name), 'utf8'));
const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};
const kMsPerUnit = { ns: 1e-6, us: 1e-3, ms: 1, s: 1e3 };
const wallMs = (benchmark) => benchmark.real_time * kMsPerUnit[benchmark.time_unit];
const cpuMs = (benchmark) => benchmark.cpu_time * kMsPerUnit[benchmark.time_unit];

const roundsOf = (pattern) => readdirSync(dir)
  .map((name) => pattern.exec(name)?.[1])
  .filter(Boolean)
  .sort((a, b) => a - b);
const ortRounds = roundsOf(/^ort-(\d+)\.json$/);
const withOrt = ortRounds.length > 0;
// Build names are plain words (avx512, avx2, portable).
const rounds = withOrt ? ortRounds : roundsOf(new RegExp(`^ours-${builds[0]}-(\\d+)\\.json$`));
const inputs = read('inputs.json');
const lengths = Object.keys(inputs).sort((a, b) => a - b);

// side → length → per-round figures: median wall time, fastest wall time, median CPU time.
const emptyFigures = () => Object.fromEntries(lengths.map((length) => [length, { wall: [], best: [], cpu: [] }]));
const ort = emptyFigures();
const ours = Object.fromEntries(builds.map((build) => [build, emptyFigures()]));
const add = (entry, wall, cpu) => {
  entry.wall.push(median(wall));
  entry.best.push(Math.min(...wall));
  entry.cpu.push(median(cpu));
};
const labels = {};
let ortVersion = '';
const ortLoad = [], ortRss = [], vectors = {};
for (const round of rounds) {
  if (withOrt) {
    const theirs = read(`ort-${round}.json`);
    ortVersion = theirs.version;
    ortLoad.push(theirs.loadMs);
    ortRss.push(theirs.rssMB);
    for (const length of lengths) {
      add(ort[length], theirs.texts[length].wallMs, theirs.texts[length].cpuMs);
      vectors[length] = theirs.texts[length].embedding;
    }
  }
  for (const build of builds) {
    const mine = read(`ours-${build}-${round}.json`).benchmarks;
    for (const length of lengths) {
      const repetitions = mine.filter((b) => b.run_type === 'iteration' && b.name === `Encoder/run/tokens:${length}`);
      labels[build] = repetitions[0].label ?? build;
      add(ours[build][length], repetitions.map(wallMs), repetitions.map(cpuMs));
    }
  }
}

const pad = (text, width) => String(text).padStart(width);
const fixed = (value) => value.toFixed(2);
const load = read('ours-load.json').benchmarks.find((b) => b.name.startsWith('Encoder/load'));
const ourLoad = `load: ours ${wallMs(load).toFixed(0)} ms, resident +${load.rss_MB.toFixed(1)} MB ` +
                `(peak while loading +${load.peak_MB.toFixed(1)} MB, file ${load.file_MB.toFixed(1)} MB)`;

if (!withOrt) {
  console.log(`\nOne thread, ${rounds.length} alternating round(s) of 5 repetitions of our builds; no ONNX Runtime figures.`);
  console.log("Milliseconds per text, wall clock: median of the rounds' medians, the best repetition, and the median in CPU time.");
  for (const build of builds) {
    console.log(`\nOur ${labels[build]} kernels (QB_ENCODER_KERNELS=${build}):`);
    console.log(`${pad('tokens', 6)} ${pad('ours', 7)} ${pad('(best)', 7)} ${pad('cpu', 7)}`);
    for (const length of lengths) {
      const a = ours[build][length];
      console.log(`${pad(length, 6)} ${pad(fixed(median(a.wall)), 7)} ${pad(fixed(Math.min(...a.best)), 7)}` +
                  ` ${pad(fixed(median(a.cpu)), 7)}`);
    }
  }
  console.log(`\n${ourLoad}`);
  process.exit(0);
}

console.log(`\nOne thread each, ${rounds.length} alternating round(s) of 5 repetitions; ONNX Runtime ${ortVersion}, CPU provider.`);
console.log("Milliseconds per text, wall clock: median of the rounds' medians, and the best repetition.");
console.log('Ratios are ours / ONNX Runtime; "cpu" is the median ratio in CPU time.');
for (const build of builds) {
  console.log(`\nOur ${labels[build]} kernels (QB_ENCODER_KERNELS=${build}):`);
  console.log(`${pad('tokens', 6)} ${pad('ours', 7)} ${pad('(best)', 7)} ${pad('ORT', 7)} ${pad('(best)', 7)}` +
              ` ${pad('ratio', 6)} ${pad('(best)', 7)} ${pad('cpu', 6)}   per-round ratios`);
  for (const length of lengths) {
    const a = ours[build][length], b = ort[length];
    const [wa, wb] = [median(a.wall), median(b.wall)];
    const [ba, bb] = [Math.min(...a.best), Math.min(...b.best)];
    const cpu = median(a.cpu) / median(b.cpu);
    const perRound = a.wall.map((value, i) => fixed(value / b.wall[i])).join(' ');
    console.log(`${pad(length, 6)} ${pad(fixed(wa), 7)} ${pad(fixed(ba), 7)} ${pad(fixed(wb), 7)} ${pad(fixed(bb), 7)}` +
                ` ${pad(fixed(wa / wb), 6)} ${pad(fixed(ba / bb), 7)} ${pad(fixed(cpu), 6)}   ${perRound}`);
  }
}

console.log(`\n${ourLoad}; ` +
            `ORT session ${median(ortLoad).toFixed(0)} ms, resident +${median(ortRss).toFixed(1)} MB`);

const mineVectors = read('ours.json');
let worst = 0;
for (const length of lengths) {
  vectors[length].forEach((v, i) => { worst = Math.max(worst, Math.abs(v - mineVectors[length][i])); });
}
console.log(`vectors: largest |ours - ORT| over all lengths = ${worst.toExponential(2)}`);
