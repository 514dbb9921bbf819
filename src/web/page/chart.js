// The profile chart as SVG, laid out as the desktop program draws it: the
// title, the score scale on the left and the percentile ranks on the right,
// the average band, per Index its score marker and confidence bar (for two
// assessments, both), the table of scores, limits and percentiles (or of the
// two scores and the change), the legend and the caption.
'use strict';
const kaldenChart = (() => {
  const W = 760, H = 620, FONT = 13, LINE = 16;
  const MARKER = '#1f4e9a', FIRST = '#c04a00', BAR = '#303030', BAND = '#dce6f2';
  const PAIR = 11; // each profile's side of the Index's middle, for two
  const esc = (t) => String(t).replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;').replace(/"/g, '&quot;');
  const text = (x, y, t, anchor = 'start', extra = '') =>
    `<text x="${x.toFixed(1)}" y="${y.toFixed(1)}" text-anchor="${anchor}" ${extra}>${esc(t)}</text>`;
  const line = (x1, y1, x2, y2, stroke, width = 1) =>
    `<line x1="${x1.toFixed(1)}" y1="${y1.toFixed(1)}" x2="${x2.toFixed(1)}" y2="${y2.toFixed(1)}" stroke="${stroke}" stroke-width="${width}"/>`;

  // Words of the title in lines of at most `chars` characters, never cut.
  function wrap(title, chars) {
    const lines = [];
    let current = '';
    for (const word of title.split(' ')) {
      if (current && (current + ' ' + word).length > chars) { lines.push(current); current = word; }
      else current = current ? current + ' ' + word : word;
    }
    if (current) lines.push(current);
    return lines;
  }

  // A chart of one case, or of two assessments (`c.firstLabel` set): the
  // first an open square on its own bar left of the Index's middle, its score
  // to the left, the second a filled circle right of it.
  function svg(c) {
    const pair = 'firstLabel' in c;
    const titleLines = wrap(c.title, 92);
    const left = 82, right = 78;
    const top = titleLines.length * LINE + 2 * LINE + 8;
    const plot = { x: left, y: top, w: W - left - right, h: H - top - (pair ? 10 * LINE + 40 : 7 * LINE + 36) };
    const y = (s) => plot.y + (c.high - s) / (c.high - c.low) * plot.h;
    const slot = plot.w / 5;
    const x = (i) => plot.x + (i + 0.5) * slot;
    const out = [];
    out.push(`<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 ${W} ${H}" role="img" aria-labelledby="chart-title chart-desc" font-family="DejaVu Sans, Arial, sans-serif" font-size="${FONT}">`);
    out.push(`<title id="chart-title">${esc('Index profile chart: ' + c.title)}</title>`);
    out.push(`<desc id="chart-desc">${esc(describe(c).join('\n'))}</desc>`);
    out.push(`<rect width="${W}" height="${H}" fill="#fff"/>`);
    titleLines.forEach((t, i) => out.push(text(W / 2, (i + 1) * LINE - 3, t, 'middle', 'font-weight="bold"')));
    out.push(`<rect x="${plot.x}" y="${y(c.bandHigh).toFixed(1)}" width="${plot.w}" height="${(y(c.bandLow) - y(c.bandHigh)).toFixed(1)}" fill="${BAND}"/>`);
    for (let v = c.low; v <= c.high; v += 10) {
      out.push(line(plot.x, y(v), plot.x + plot.w, y(v), v === 100 ? '#808080' : '#c8c8c8', v === 100 ? 1.5 : 1));
      out.push(text(plot.x - 8, y(v) + 4.5, String(v), 'end'));
    }
    out.push(`<rect x="${plot.x}" y="${plot.y}" width="${plot.w}" height="${plot.h.toFixed(1)}" fill="none" stroke="#000"/>`);
    const namesY = plot.y - LINE / 2 - 4;
    out.push(text(0, namesY, 'Score'));
    out.push(text(W, namesY, 'Percentile', 'end'));
    for (const m of c.marks) {
      out.push(line(plot.x + plot.w, y(m.score), plot.x + plot.w + 5, y(m.score), '#000'));
      out.push(text(plot.x + plot.w + 8, y(m.score) + 4.5, m.percentile));
    }
    const cap = 6;
    const bar = (bx, top, bottom, colour) =>
      `<g>${line(bx, top, bx, bottom, colour, 3)}${line(bx - cap, top, bx + cap, top, colour, 3)}${line(bx - cap, bottom, bx + cap, bottom, colour, 3)}</g>`;
    const square = (sx, sy) =>
      `<rect x="${(sx - 5).toFixed(1)}" y="${(sy - 5).toFixed(1)}" width="10" height="10" fill="#fff" stroke="${FIRST}" stroke-width="2"/>`;
    const circle = (cx, cy) => `<circle cx="${cx.toFixed(1)}" cy="${cy.toFixed(1)}" r="5" fill="${MARKER}"/>`;
    c.indexes.forEach((r, i) => {
      const words = r.name.split(' ');
      out.push(text(x(i), plot.y + plot.h + 6 + LINE - 3, words[0], 'middle'));
      if (words.length > 1) out.push(text(x(i), plot.y + plot.h + 6 + 2 * LINE - 3, words.slice(1).join(' '), 'middle'));
      if (pair) {
        const a = x(i) - PAIR, b = x(i) + PAIR;
        out.push(bar(a, y(r.first.top), y(r.first.bottom), FIRST), square(a, y(r.first.at)));
        out.push(text(a - cap - 4, y(r.first.at) + 4.5, r.first.score, 'end'));
        out.push(bar(b, y(r.second.top), y(r.second.bottom), BAR), circle(b, y(r.second.at)));
        out.push(text(b + cap + 4, y(r.second.at) + 4.5, r.second.score));
      } else {
        out.push(bar(x(i), y(r.top), y(r.bottom), BAR), circle(x(i), y(r.at)));
        out.push(text(x(i) + cap + 4, y(r.at) + 4.5, r.score));
      }
    });
    const tableTop = plot.y + plot.h + 2 * LINE + 14;
    out.push(line(0, tableTop - 3, plot.x + plot.w, tableTop - 3, '#c8c8c8'));
    const heads = pair ? c.heads : ['Score', 'Limits', 'Percentile'];
    const cell = pair ? (r, row) => r.cells[row] : (r, row) => [r.score, r.limits, r.percentile][row];
    heads.forEach((head, row) => {
      const ty = tableTop + row * LINE + LINE - 4;
      out.push(text(0, ty, head));
      c.indexes.forEach((r, i) => out.push(text(x(i), ty, cell(r, row), 'middle')));
    });
    legend(out, c, pair, plot.y + plot.h + (pair ? 7 : 5) * LINE + 24, { bar, square, circle });
    out.push(text(W / 2, H - 8, c.caption, 'middle'));
    out.push('</svg>');
    return out.join('');
  }

  // Each glyph with what it stands for, centred in as many rows as the
  // chart's width needs.
  function legend(out, c, pair, top, draw) {
    const items = pair
      ? [['square', c.firstLabel], ['circle', c.secondLabel], ['bar', 'Confidence limits'], ['band', c.bandLabel]]
      : [['circle', 'Index score'], ['bar', c.limitsHeading], ['band', c.bandLabel]];
    const width = ([, t]) => 18 + 6 + t.length * 7.2;
    const rows = [[]];
    let used = 0;
    for (const item of items) {
      if (rows[rows.length - 1].length && used + 24 + width(item) > W) { rows.push([]); used = 0; }
      used += (rows[rows.length - 1].length ? 24 : 0) + width(item);
      rows[rows.length - 1].push(item);
    }
    rows.forEach((row, k) => {
      const mid = top + k * (LINE + 4) + LINE / 2;
      let lx = Math.max(0, (W - row.reduce((sum, item) => sum + width(item) + 24, -24)) / 2);
      for (const item of row) {
        const [glyph, t] = item;
        const cx = lx + 9;
        if (glyph === 'square') out.push(draw.bar(cx, mid - 7, mid + 7, FIRST), draw.square(cx, mid));
        else if (glyph === 'circle') out.push((pair ? line(cx, mid - 7, cx, mid + 7, BAR, 3) : '') + draw.circle(cx, mid));
        else if (glyph === 'bar') out.push(draw.bar(cx, mid - 7, mid + 7, BAR));
        else out.push(`<rect x="${lx.toFixed(1)}" y="${(mid - 6).toFixed(1)}" width="18" height="12" fill="${BAND}"/>`);
        out.push(text(lx + 24, mid + 4.5, t));
        lx += width(item) + 24;
      }
    });
  }

  // One line per Index, as a screen reader reads the chart: the library's words.
  function describe(c) { return c.description; }

  return { svg, describe };
})();
