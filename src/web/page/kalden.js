// The page: the worksheet, the reports, the chart and batch scoring over the
// scoring and report library (compiled into the module). Nothing is sent or
// stored: the only way out is a file the user saves.
'use strict';
(() => {
  const $ = (id) => document.getElementById(id);
  const moduleText = $('kalden-module').textContent;
  const moduleUrl = URL.createObjectURL(new Blob([moduleText], { type: 'text/javascript' }));
  const wasmBinary = Uint8Array.from(atob($('kalden-wasm').textContent), (c) => c.charCodeAt(0));
  const reports = [];   // the reports shown, each its lines
  let separator = [];   // the lines between two reports
  let lastSummary = '';
  let kalden = null;

  const call = (name, types, args) => kalden.ccall(name, 'string', types, args);

  function decimalSeparator() {
    const choice = $('separator').value;
    if (choice !== 'auto') return choice;
    return (1.5).toLocaleString(navigator.language).includes(',') ? ',' : '.';
  }

  function applySeparator() {
    if (kalden) kalden.ccall('kalden_set_decimal_separator', null, ['number'], [decimalSeparator().charCodeAt(0)]);
  }

  function choice(name) { return document.querySelector(`input[name="${name}"]:checked`).value; }
  function optionFields() { return [choice('ci'), choice('basis'), choice('bonferroni'), choice('criterion')]; }
  // The unit separator divides the request's fields: no typed text may hold it.
  const plain = (text) => text.replace(/\x1f/g, '');
  function notesText() { return plain($('notes').value.replace(/\r\n?/g, '\n')); }

  // A message of the program, its line breaks (carriage returns) kept.
  function showMessage(text) { $('message').textContent = text.replace(/\r/g, '\n'); }

  function compute(event) {
    event.preventDefault();
    if (!kalden) return;
    showMessage('');
    const now = new Date();
    const request = [];
    for (let k = 1; k <= 7; ++k) request.push(plain($('f' + k).value));
    request.push(...optionFields(), notesText(), String(Math.floor(now.getTime() / 1000)), String(-now.getTimezoneOffset()));
    const answer = JSON.parse(call('kalden_compute', ['string'], [request.join('\x1f')]));
    if (answer.field) {
      showMessage(answer.message);
      const field = $('f' + answer.field);
      field.focus();
      field.select();
      return;
    }
    if (answer.warnings.length) showMessage(answer.warnings.join('\n'));
    addReport(answer.report);
    lastSummary = answer.summary;
    drawChart(answer.chart);
  }

  function addReport(lines) {
    const results = $('results');
    if (reports.length) {
      const gap = document.createElement('pre');
      gap.className = 'separator';
      gap.setAttribute('aria-hidden', 'true');
      gap.textContent = separator.join('\n') + '\n';
      results.append(gap);
    }
    reports.push(lines);
    const pre = document.createElement('pre');
    pre.className = 'report';
    pre.textContent = lines.join('\n') + '\n';
    results.append(pre);
    results.scrollTop = pre.offsetTop - results.offsetTop;
  }

  function drawChart(chart) {
    $('chart').innerHTML = kaldenChart.svg(chart);
    $('chart-figure').hidden = false;
    const lines = kaldenChart.describe(chart);
    $('chart-caption').textContent = lines.join('. ');
    $('announce').textContent = 'Report ' + reports.length + ' added. ' + lines.join('. ');
  }

  // Every report with the separators between them, as Save Output writes
  // them: CR LF line ends.
  function allLines() {
    const lines = [];
    reports.forEach((r, i) => { if (i) lines.push(...separator); lines.push(...r); });
    return lines;
  }

  function download(name, bytes, type) {
    const a = document.createElement('a');
    a.href = URL.createObjectURL(new Blob([bytes], { type }));
    a.download = name;
    document.body.append(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(a.href), 1000);
  }

  function saveOutput() {
    if (!reports.length) { showMessage('There are no results to save.'); return; }
    download('results.txt', allLines().map((l) => l + '\r\n').join(''), 'text/plain;charset=utf-8');
  }

  async function copySummary() {
    if (!lastSummary) { showMessage('There is no case to summarise yet.'); return; }
    try {
      await navigator.clipboard.writeText(lastSummary);
      $('announce').textContent = 'Summary copied.';
    } catch (e) {
      showMessage('The summary could not be copied: ' + e.message);
    }
  }

  function clearResults() {
    reports.length = 0;
    lastSummary = '';
    $('results').replaceChildren();
    $('chart').replaceChildren();
    $('chart-figure').hidden = true;
    $('announce').textContent = 'Results cleared.';
  }

  function clearData() {
    for (let k = 1; k <= 7; ++k) $('f' + k).value = '';
    $('notes').value = '';
    showMessage('');
    $('f1').focus();
  }

  // Batch scoring in a worker with its own copy of the module, so that the
  // page stays responsive; the output is kept until saved or replaced.
  let worker = null;
  let batchOutput = null;
  const formatNames = { 0: 'txt', 1: 'csv', 2: 'json' };

  function startBatch() {
    const file = $('batch-file').files[0];
    if (!file) return;
    if (!worker) {
      const workerUrl = URL.createObjectURL(new Blob([moduleText, '\n', $('kalden-worker').textContent], { type: 'text/javascript' }));
      worker = new Worker(workerUrl);
      worker.onmessage = batchMessage;
    }
    batchOutput = null;
    $('batch-save').disabled = true;
    $('batch-run').disabled = true;
    $('batch-progress').value = 0;
    $('batch-messages').textContent = '';
    $('batch-status').textContent = 'Scoring ' + file.name + '...';
    file.arrayBuffer().then((bytes) => {
      worker.postMessage({ wasmBinary, bytes, format: Number($('batch-format').value), request: optionFields().join('\x1f'),
                           separator: decimalSeparator(), name: file.name }, [bytes]);
    });
  }

  function batchMessage(event) {
    const m = event.data;
    if (m.progress !== undefined) { $('batch-progress').value = m.progress; return; }
    $('batch-run').disabled = false;
    $('batch-progress').value = 1;
    if (m.problem) { $('batch-status').textContent = m.name + ': ' + m.problem; return; }
    batchOutput = { bytes: m.output, name: m.name.replace(/\.[^.]*$/, '') + '-scored.' + formatNames[m.format] };
    $('batch-messages').textContent = m.messages;
    $('batch-status').textContent = `${m.name}: ${m.rows} rows scored, ${m.rejected} rejected, in ${(m.ms / 1000).toFixed(2)} s.`;
    $('batch-save').disabled = false;
  }

  function saveBatch() {
    if (batchOutput) download(batchOutput.name, batchOutput.bytes, 'application/octet-stream');
  }

  $('worksheet').addEventListener('submit', compute);
  $('clear-data').addEventListener('click', clearData);
  $('separator').addEventListener('change', applySeparator);
  $('save-output').addEventListener('click', saveOutput);
  $('print').addEventListener('click', () => window.print());
  $('copy-summary').addEventListener('click', copySummary);
  $('clear-results').addEventListener('click', clearResults);
  $('batch-file').addEventListener('change', () => { $('batch-run').disabled = !kalden || !$('batch-file').files.length; });
  $('batch-run').addEventListener('click', startBatch);
  $('batch-save').addEventListener('click', saveBatch);

  const loader = document.createElement('script');
  loader.src = moduleUrl;
  loader.onload = () => createKalden({ wasmBinary }).then((module) => {
    kalden = module;
    separator = JSON.parse(call('kalden_separator', [], []));
    $('title').textContent = call('kalden_title', [], []);
    applySeparator();
    $('compute').disabled = false;
    $('batch-run').disabled = !$('batch-file').files.length;
    document.body.dataset.ready = 'true';
    $('f1').focus();
  });
  document.head.append(loader);
})();
