// The page: the worksheet, the reports, the chart and batch scoring over the
// scoring and report library (compiled into the module). Nothing is sent or
// stored: the only way out is a file the user saves.
'use strict';
(() => {
  const $ = (id) => document.getElementById(id);
  const moduleText = $('kalden-module').textContent;
  const moduleUrl = URL.createObjectURL(new Blob([moduleText], { type: 'text/javascript' }));
  // The compiled module travels in the page gzipped, as base64.
  const packedModule = Uint8Array.from(atob($('kalden-wasm').textContent), (c) => c.charCodeAt(0));
  let wasmBinary = null;
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
  function notesText() { return $('notes').value.replace(/\r\n?/g, '\n'); }

  // A request as the module reads it: each field its length in UTF-8 bytes,
  // a colon and the bytes, so that no character typed (a NUL, say) can end
  // a field early or reach another.
  function requestBytes(fields) {
    const encoder = new TextEncoder();
    const parts = fields.flatMap((field) => {
      const bytes = encoder.encode(field);
      return [encoder.encode(bytes.length + ':'), bytes];
    });
    const request = new Uint8Array(parts.reduce((n, part) => n + part.length, 0));
    let at = 0;
    for (const part of parts) { request.set(part, at); at += part.length; }
    return request;
  }

  function callWithRequest(name, fields) {
    const request = requestBytes(fields);
    const at = kalden._malloc(Math.max(1, request.length));
    kalden.HEAPU8.set(request, at);
    try {
      return kalden.ccall(name, 'string', ['number', 'number'], [at, request.length]);
    } finally {
      kalden._free(at);
    }
  }

  // A message of the program, its line breaks (carriage returns) kept, under
  // the buttons or, for a field it names, right under that field, so that a
  // small screen shows both together.
  const messageHome = $('message').previousElementSibling;
  function showMessage(text, field) {
    const message = $('message');
    message.textContent = text.replace(/\r/g, '\n');
    if (field) field.after(message);
    else messageHome.after(message);
  }

  const sessionIds = ['person', 'birth-date', 'testing-date', 'examiner', 'referral'];
  function sessionFields() { return sessionIds.map((id) => $(id).value); }

  // Today as the date of testing, as the desktop's Person and Session dialog
  // offers it.
  function today() {
    const d = new Date();
    return [d.getFullYear(), d.getMonth() + 1, d.getDate()].map((n) => String(n).padStart(2, '0')).join('-');
  }

  // The field a session message names, for the cursor.
  function sessionFieldOf(message) {
    if (message.startsWith('The date of birth')) return 'birth-date';
    if (message.startsWith('The reason for referral')) return 'referral';
    return 'testing-date';
  }

  function compute(event) {
    event.preventDefault();
    if (!kalden) return;
    showMessage('');
    const now = new Date();
    const request = [];
    for (let k = 1; k <= 7; ++k) request.push($('f' + k).value);
    request.push(...optionFields(), notesText(), String(Math.floor(now.getTime() / 1000)),
                 String(-now.getTimezoneOffset()), ...sessionFields());
    const answer = JSON.parse(callWithRequest('kalden_compute', request));
    if (answer.session || answer.field) {
      const field = $(answer.session ? sessionFieldOf(answer.session) : 'f' + answer.field);
      showMessage(answer.session || answer.message, field);
      field.scrollIntoView({ block: 'center' });
      field.focus();
      field.select();
      return;
    }
    if (answer.warnings.length) showMessage(answer.warnings.join('\n'));
    addCase(answer);
  }

  // A case on the page: its report after the others, its summary for Copy
  // Summary, its chart, and its place in the lists of cases to compare.
  const caseNames = [];
  function addCase(c) {
    addReport(c.report);
    lastSummary = c.summary;
    drawChart(c.chart);
    caseNames.push(c.name);
    addToPrintout(c.chart.title, c.report, c.chart);
    fillCaseLists();
  }

  // What Print prints: each case on pages of its own, headed by its person
  // and session, then its report and its chart, which the style keeps whole
  // on one page; the style numbers the pages.
  function addToPrintout(heading, lines, chart) {
    const part = document.createElement('section');
    part.className = 'print-case';
    const title = document.createElement('h2');
    title.textContent = heading;
    const report = document.createElement('pre');
    report.textContent = lines.join('\n') + '\n';
    part.append(title, report);
    if (chart) {
      const drawing = document.createElement('div');
      drawing.className = 'print-chart';
      drawing.innerHTML = kaldenChart.svg(chart);
      // A copy for paper: the chart on the screen keeps the ids it is named by.
      for (const named of drawing.querySelectorAll('[id]')) named.removeAttribute('id');
      drawing.firstElementChild.removeAttribute('aria-labelledby');
      part.append(drawing);
    }
    $('printout').append(part);
  }

  function fillCaseLists() {
    for (const [id, offset] of [['compare-first', 2], ['compare-second', 1]]) {
      const list = $(id);
      list.replaceChildren(...caseNames.map((name, i) => new Option(name, String(i + 1))));
      list.selectedIndex = Math.max(0, caseNames.length - offset);
    }
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
    caseNames.length = 0;
    $('printout').replaceChildren();
    fillCaseLists();
    if (kalden) kalden.ccall('kalden_clear_cases', null, [], []);
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

  // The page's cases as a case file, which the page, the desktop program
  // and kalden-report open.
  function saveCaseFile() {
    $('case-file-message').textContent = '';
    if (!caseNames.length) { $('case-file-message').textContent = 'There are no cases to save.'; return; }
    download('cases.kalden.json', call('kalden_case_file', [], []), 'application/json');
  }

  // A case file's cases after the page's own, every one checked and its
  // report computed again first: a file refused opens nothing.
  function openCaseFile() {
    const file = $('case-file').files[0];
    if (!file || !kalden) return;
    $('case-file-message').textContent = '';
    const said = (text) => { $('case-file-message').textContent = file.name + ': ' + text.replace(/\r/g, '\n'); };
    file.arrayBuffer().then((buffer) => {
      const bytes = new Uint8Array(buffer);
      const at = kalden._malloc(Math.max(1, bytes.length));
      kalden.HEAPU8.set(bytes, at);
      let answer;
      try {
        answer = JSON.parse(kalden.ccall('kalden_open_case_file', 'string', ['number', 'number'], [at, bytes.length]));
      } finally {
        kalden._free(at);
      }
      if (answer.problem) { said('refused, and nothing was opened: ' + answer.problem); return; }
      answer.cases.forEach(addCase);
      said(answer.cases.length + (answer.cases.length === 1 ? ' case' : ' cases') + ' opened.');
    }, (error) => said('the file cannot be read (' + error.message + ').')).finally(() => { $('case-file').value = ''; });
  }

  // The change between the two cases chosen, appended as the desktop
  // program appends it, with both profiles on one chart; Copy Summary then
  // gives its paragraph.
  function compare() {
    $('compare-message').textContent = '';
    const gains = ['vc', 'po', 'wm', 'ps', 'fsiq'].map((code) => $('practice-' + code).value);
    const answer = JSON.parse(callWithRequest('kalden_compare', [$('compare-first').value, $('compare-second').value,
      $('compare-level').value, ...gains, $('practice-source').value]));
    if (answer.problem) { $('compare-message').textContent = answer.problem.replace(/\r/g, '\n'); return; }
    if (answer.warnings.length) $('compare-message').textContent = answer.warnings.join('\n');
    addReport(answer.section);
    lastSummary = answer.summary;
    drawChart(answer.chart);
    addToPrintout('Change between two assessments: ' + $('compare-first').selectedOptions[0].text + ' and ' +
                  $('compare-second').selectedOptions[0].text, answer.section, answer.chart);
    $('announce').textContent = 'Change between two assessments added. ' + kaldenChart.describe(answer.chart).join('. ');
  }

  // Batch scoring in a worker with its own copy of the module, so that the
  // page stays responsive. The worker hands the output over in pieces as a
  // Blob, which the browser may keep on disk; it is kept until saved or
  // replaced. Cancel, or a worker that fails, ends the worker: the next
  // batch starts a fresh one.
  const MostBatchBytes = 512 * 1024 * 1024;
  let worker = null;
  let batchOutput = null;
  let batchName = '';
  const formatNames = { 0: 'txt', 1: 'csv', 2: 'json' };

  let batchActive = false;
  function batchRunning(running) {
    batchActive = running;
    $('batch-run').disabled = running || !kalden || !$('batch-file').files.length;
    $('batch-cancel').disabled = !running;
  }

  function endWorker(status) {
    if (worker) worker.terminate();
    worker = null;
    batchRunning(false);
    $('batch-progress').value = 0;
    $('batch-status').textContent = status;
  }

  function startBatch() {
    const file = $('batch-file').files[0];
    if (!file) return;
    batchOutput = null;
    batchName = file.name;
    $('batch-save').disabled = true;
    $('batch-messages').textContent = '';
    if (file.size > MostBatchBytes) {
      $('batch-status').textContent = `${file.name}: the file is larger than 512 MB, the most the page scores at ` +
        'once; kalden-report --batch scores a file of any size.';
      return;
    }
    if (!worker) {
      const workerUrl = URL.createObjectURL(new Blob([moduleText, '\n', $('kalden-worker').textContent], { type: 'text/javascript' }));
      worker = new Worker(workerUrl);
      worker.onmessage = batchMessage;
      worker.onerror = (event) => {
        event.preventDefault();
        endWorker(`${batchName}: the batch could not be scored (${event.message || 'the worker stopped'}).`);
      };
    }
    batchRunning(true);
    $('batch-progress').value = 0;
    $('batch-status').textContent = 'Scoring ' + file.name + '...';
    file.arrayBuffer().then((bytes) => {
      worker.postMessage({ wasmBinary, bytes, format: Number($('batch-format').value), request: requestBytes(optionFields()),
                           separator: decimalSeparator(), name: file.name }, [bytes]);
    }, (error) => endWorker(`${file.name}: the file cannot be read (${error.message}).`));
  }

  function cancelBatch() {
    endWorker(`Scoring of ${batchName} was cancelled; nothing was kept.`);
  }

  function batchMessage(event) {
    const m = event.data;
    if (m.progress !== undefined) { $('batch-progress').value = m.progress; return; }
    if (m.failure) { endWorker(`${m.name}: the batch could not be scored (${m.failure}).`); return; }
    batchRunning(false);
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
  $('save-case-file').addEventListener('click', saveCaseFile);
  $('case-file').addEventListener('change', openCaseFile);
  $('compare').addEventListener('click', compare);
  $('batch-file').addEventListener('change', () => batchRunning(batchActive));
  $('batch-run').addEventListener('click', startBatch);
  $('batch-cancel').addEventListener('click', cancelBatch);
  $('batch-save').addEventListener('click', saveBatch);

  $('testing-date').value = today();

  const loader = document.createElement('script');
  loader.src = moduleUrl;
  const unpacked = new Blob([packedModule]).stream().pipeThrough(new DecompressionStream('gzip'));
  loader.onload = () => new Response(unpacked).arrayBuffer().then((binary) => {
    wasmBinary = new Uint8Array(binary);
    return createKalden({ wasmBinary });
  }).then((module) => {
    kalden = module;
    separator = JSON.parse(call('kalden_separator', [], []));
    $('title').textContent = call('kalden_title', [], []);
    applySeparator();
    $('compute').disabled = false;
    $('compare').disabled = false;
    $('batch-run').disabled = !$('batch-file').files.length;
    document.body.dataset.ready = 'true';
    $('f1').focus();
  });
  document.head.append(loader);
})();
