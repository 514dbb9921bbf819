// The profile chart as SVG, laid out as the desktop program draws it: the
// title, the score scale on the left and the percentile ranks on the right,
// the average band, per Index its score marker and confidence bar,
// the table of scores, limits and percentiles, the legend and the caption.
'use strict';
const kaldenChart = (() => {
  const W = 760, H = 620, FONT = 13, LINE = 16;
  const MARKER = '#1f4e9a', BAR = '#303030', BAND = '#dce6f2';
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

  function svg(c) {
    const titleLines = wrap(c.title, 92);
    const left = 82, right = 78;
    const top = titleLines.length * LINE + 2 * LINE + 8;
    const plot = { x: left, y: top, w: W - left - right, h: H - top - (7 * LINE + 36) };
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
    c.indexes.forEach((r, i) => {
      const words = r.name.split(' ');
      out.push(text(x(i), plot.y + plot.h + 6 + LINE - 3, words[0], 'middle'));
      if (words.length > 1) out.push(text(x(i), plot.y + plot.h + 6 + 2 * LINE - 3, words.slice(1).join(' '), 'middle'));
      const cap = 6, top = y(r.top), bottom = y(r.bottom), mid = y(r.at);
      out.push(`<g stroke="${BAR}" stroke-width="3">${line(x(i), top, x(i), bottom, BAR, 3)}${line(x(i) - cap, top, x(i) + cap, top, BAR, 3)}${line(x(i) - cap, bottom, x(i) + cap, bottom, BAR, 3)}</g>`);
      out.push(`<circle cx="${x(i).toFixed(1)}" cy="${mid.toFixed(1)}" r="5" fill="${MARKER}"/>`);
      out.push(text(x(i) + cap + 4, mid + 4.5, r.score));
    });
    const tableTop = plot.y + plot.h + 2 * LINE + 14;
    out.push(line(0, tableTop - 3, plot.x + plot.w, tableTop - 3, '#c8c8c8'));
    ['Score', 'Limits', 'Percentile'].forEach((head, row) => {
      const ty = tableTop + row * LINE + LINE - 4;
      out.push(text(0, ty, head));
      c.indexes.forEach((r, i) => out.push(text(x(i), ty, row === 0 ? r.score : row === 1 ? r.limits : r.percentile, 'middle')));
    });
    const legendY = plot.y + plot.h + 5 * LINE + 24 + LINE / 2;
    const items = ['Index score', c.limitsHeading, c.bandLabel];
    const widths = items.map((t) => 18 + 6 + t.length * 7.2);
    let lx = Math.max(0, (W - widths.reduce((a, b) => a + b + 24, -24)) / 2);
    items.forEach((t, i) => {
      const cx = lx + 9;
      if (i === 0) out.push(`<circle cx="${cx.toFixed(1)}" cy="${legendY.toFixed(1)}" r="5" fill="${MARKER}"/>`);
      else if (i === 1) out.push(line(cx, legendY - 7, cx, legendY + 7, BAR, 3) + line(cx - 5, legendY - 7, cx + 5, legendY - 7, BAR, 3) + line(cx - 5, legendY + 7, cx + 5, legendY + 7, BAR, 3));
      else out.push(`<rect x="${lx.toFixed(1)}" y="${(legendY - 6).toFixed(1)}" width="18" height="12" fill="${BAND}"/>`);
      out.push(text(lx + 24, legendY + 4.5, t));
      lx += widths[i] + 24;
    });
    out.push(text(W / 2, H - 8, c.caption, 'middle'));
    out.push('</svg>');
    return out.join('');
  }

  // One line per Index, as a screen reader reads the chart: the library's words.
  function describe(c) { return c.description; }

  return { svg, describe };
})();
