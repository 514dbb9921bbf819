// The batch worker: the module above it in the same script scores the file
// a few hundred rows at a time and reports its progress between them.
'use strict';
let kaldenReady = null;
self.onmessage = async (event) => {
  if (!kaldenReady) kaldenReady = createKalden({ wasmBinary: event.data.wasmBinary });
  const k = await kaldenReady;
  const { bytes, format, request, separator, name } = event.data;
  const started = performance.now();
  k.ccall('kalden_set_decimal_separator', null, ['number'], [separator.charCodeAt(0)]);
  const data = new Uint8Array(bytes);
  const at = k._malloc(Math.max(1, data.length));
  k.HEAPU8.set(data, at);
  const begun = JSON.parse(k.ccall('kalden_batch_begin', 'string', ['number', 'number', 'number', 'string'], [at, data.length, format, request]));
  k._free(at);
  if (begun.problem) { self.postMessage({ problem: begun.problem, name }); return; }
  let step;
  do {
    step = JSON.parse(k.ccall('kalden_batch_step', 'string', ['number'], [500]));
    self.postMessage({ progress: step.fraction });
  } while (!step.done);
  const length = k.ccall('kalden_batch_length', 'number', [], []);
  const pointer = k.ccall('kalden_batch_output', 'number', [], []);
  const bytesOut = k.HEAPU8.slice(pointer, pointer + length);
  const messages = k.ccall('kalden_batch_messages', 'string', [], []);
  k.ccall('kalden_batch_end', null, [], []);
  self.postMessage({ output: bytesOut, messages, rows: step.rows, rejected: step.rejected, format, name,
                     ms: performance.now() - started }, [bytesOut.buffer]);
};
