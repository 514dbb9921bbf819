// The batch worker: the module above it in the same script scores the file
// 5,000 rows at a time (a step of a fraction of a second; fewer and larger
// pieces of output cost the browser less to keep), reporting its progress
// between them and keeping each piece of output as a Blob, so that neither
// the module nor the worker holds the whole output. A failure is reported, not left to
// hang the page.
'use strict';
let kaldenReady = null;

// Copies `bytes` into the module's memory; the pointer, or an error.
function intoModule(k, bytes) {
  const at = k._malloc(Math.max(1, bytes.length));
  if (!at) throw new Error(`no memory for ${bytes.length} bytes`);
  k.HEAPU8.set(bytes, at);
  return at;
}

async function scoreBatch(data) {
  if (!kaldenReady) kaldenReady = createKalden({ wasmBinary: data.wasmBinary });
  const k = await kaldenReady;
  const { format, request, separator, name } = data;
  const started = performance.now();
  k.ccall('kalden_set_decimal_separator', null, ['number'], [separator.charCodeAt(0)]);
  const file = new Uint8Array(data.bytes);
  const at = intoModule(k, file); // the module's from here on
  const options = intoModule(k, request);
  const begun = JSON.parse(k.ccall('kalden_batch_begin', 'string', ['number', 'number', 'number', 'number', 'number'],
                                   [at, file.length, format, options, request.length]));
  k._free(options);
  if (begun.problem) { self.postMessage({ problem: begun.problem, name }); return; }
  const parts = [];
  const messages = [];
  const take = () => {
    const length = k.ccall('kalden_batch_length', 'number', [], []);
    const pointer = k.ccall('kalden_batch_output', 'number', [], []);
    if (length > 0) parts.push(new Blob([k.HEAPU8.subarray(pointer, pointer + length)]));
    const said = k.ccall('kalden_batch_messages', 'string', [], []);
    if (said) messages.push(said);
  };
  take();
  let step;
  do {
    step = JSON.parse(k.ccall('kalden_batch_step', 'string', ['number'], [5000]));
    take();
    self.postMessage({ progress: step.fraction });
  } while (!step.done);
  k.ccall('kalden_batch_end', null, [], []);
  self.postMessage({ output: new Blob(parts), messages: messages.join(''), rows: step.rows, rejected: step.rejected,
                     format, name, ms: performance.now() - started });
}

self.onmessage = async (event) => {
  try {
    await scoreBatch(event.data);
  } catch (error) {
    self.postMessage({ failure: String((error && error.message) || error), name: event.data.name });
  }
};
