// ONNX Runtime on one thread, timed on the texts our encoder's benchmark uses.
//
//   node bench.mjs MODEL.onnx INPUTS.json OUT.json
//
// INPUTS.json maps a token count to the ids of one text of that length. Timing copies Google
// Benchmark's, which times our side: after warm-up runs, kRepetitions repetitions, each running
// the text for at least kMinSeconds and kMinRuns times and giving its mean wall-clock and
// process CPU milliseconds per text. OUT.json gets every repetition, the session's load time and
// resident memory, and the vectors, so that the driver can check they are ours.

import * as ort from 'onnxruntime-node';
import { readFileSync, writeFileSync } from 'node:fs';

const kWarmupRuns = 10;
const kRepetitions = 5;
const kMinRuns = 5;
const kMinSeconds = 0.5;

const [modelPath, inputsPath, outPath] = process.argv.slice(2);
if (!outPath) {
  console.error('usage: node bench.mjs MODEL.onnx INPUTS.json OUT.json');
  process.exit(2);
}

const options = {
  executionProviders: ['cpu'],
  intraOpNumThreads: 1,
  interOpNumThreads: 1,
  executionMode: 'sequential',
  graphOptimizationLevel: 'all',
};

const rssBefore = process.memoryUsage().rss;
const loadStart = process.hrtime.bigint();
const session = await ort.InferenceSession.create(modelPath, options);
const loadMs = Number(process.hrtime.bigint() - loadStart) / 1e6;
const rssMB = (process.memoryUsage().rss - rssBefore) / (1024 * 1024);

const inputs = JSON.parse(readFileSync(inputsPath, 'utf8'));
const result = { version: ort.env.versions?.common ?? 'unknown', loadMs, rssMB, texts: {} };
for (const [tokens, ids] of Object.entries(inputs)) {
  const shape = [1, ids.length];
  const feeds = {
    input_ids: new ort.Tensor('int64', BigInt64Array.from(ids.map(BigInt)), shape),
    attention_mask: new ort.Tensor('int64', new BigInt64Array(ids.length).fill(1n), shape),
  };
  let output;
  for (let i = 0; i < kWarmupRuns; ++i) output = await session.run(feeds);
  const wallMs = [], cpuMs = [];
  for (let repetition = 0; repetition < kRepetitions; ++repetition) {
    const start = process.hrtime.bigint();
    const cpuStart = process.cpuUsage();
    let runs = 0, seconds = 0;
    while (runs < kMinRuns || seconds < kMinSeconds) {
      output = await session.run(feeds);
      ++runs;
      seconds = Number(process.hrtime.bigint() - start) / 1e9;
    }
    const cpu = process.cpuUsage(cpuStart);
    wallMs.push((seconds * 1e3) / runs);
    cpuMs.push((cpu.user + cpu.system) / 1e3 / runs);
  }
  result.texts[tokens] = { wallMs, cpuMs, embedding: Array.from(output.embedding.data) };
  console.log(`ONNX Runtime ${tokens} tokens: ${Math.min(...wallMs).toFixed(3)} ms at best of ${kRepetitions}`);
}
writeFileSync(outPath, JSON.stringify(result));
