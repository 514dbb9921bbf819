// Assembles the page into one HTML file: the style, the compiled module and
// the page's scripts go inside it, and the Content-Security-Policy names the
// exact hash of each inline script and style, so that nothing else can run
// and nothing can be loaded or sent.
// Usage: node assemble.js PAGE_DIR MODULE_JS MODULE_WASM VERSION OUTPUT
'use strict';
const fs = require('fs');
const path = require('path');
const crypto = require('crypto');
const zlib = require('zlib');

const [pageDir, moduleFile, wasmFile, version, output] = process.argv.slice(2);
const read = (name) => fs.readFileSync(path.join(pageDir, name), 'utf8');
const hash = (text) => `'sha256-${crypto.createHash('sha256').update(text, 'utf8').digest('base64')}'`;

// The compiled module goes in gzipped (the page unpacks it with the
// browser's DecompressionStream), as base64. The module's script and the
// worker's are kept as text; the page starts each
// from a blob: URL (the worker needs its own copy of the module).
const moduleText = fs.readFileSync(moduleFile, 'utf8');
const style = read('kalden.css');
const script = [read('chart.js'), read('kalden.js')].join('\n');
const policy = [
  "default-src 'none'",
  `script-src ${hash(script)} blob: 'wasm-unsafe-eval'`,
  'worker-src blob:',
  `style-src ${hash(style)}`,
  'img-src data:',
  "connect-src 'none'",
  "form-action 'none'",
  "base-uri 'none'",
].join('; ');
const escapeText = (text) => text.replace(/<\/(script)/gi, '<\\/$1');
let page = read('kalden.html')
  .replace('@POLICY@', policy)
  .replace(/@VERSION@/g, version)
  .replace('@STYLE@', () => style)
  .replace('@MODULE@', () => escapeText(moduleText))
  .replace('@WASM@', () => zlib.gzipSync(fs.readFileSync(wasmFile), { level: 9 }).toString('base64'))
  .replace('@WORKER@', () => escapeText(read('worker.js')))
  .replace('@SCRIPT@', () => script);
fs.writeFileSync(output, page);
