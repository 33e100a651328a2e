'use strict';
// The report page: fills the warnings and objects tables from the data
// block, filters the warnings, and builds an object's side-by-side view when
// a link to it is followed. Every text of the data is escaped before it
// becomes HTML.
window.reportErrors = [];
window.addEventListener('error', (e) => window.reportErrors.push(String(e.message)));

(function () {
  const data = JSON.parse(document.getElementById('report-data').textContent);
  const objects = data.objects;    // [type, name, parent, state, failure, source, dest]
  const warnings = data.warnings;  // [object, kind, line, column, word]
  const CHUNK = 400;               // table rows made at a time
  const STATE_TEXT = ['сконвертирован', 'ошибка', 'не сконвертирован'];
  const $ = (id) => document.getElementById(id);
  const ESCAPES = { '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;', "'": '&#39;' };
  const esc = (text) => String(text).replace(/[&<>"']/g, (c) => ESCAPES[c]);

  // The warnings of each object, in place order (the data keeps them so).
  const byObject = new Map();
  warnings.forEach((w, i) => {
    let list = byObject.get(w[0]);
    if (!list) byObject.set(w[0], (list = []));
    list.push(i);
  });

  const label = (o) => (objects[o][2] ? objects[o][2] + '.' : '') + objects[o][1];

  // A table body filled CHUNK rows at a time: the rest follow when the end
  // of the table comes near the screen, or on the button.
  function RowList(tbody, columns, rowHtml) {
    let items = [];
    let shown = 0;
    let sentinel = null;
    const observer = 'IntersectionObserver' in window
      ? new IntersectionObserver((entries) => { if (entries.some((e) => e.isIntersecting)) more(); }, { rootMargin: '600px' })
      : null;
    function more() {
      if (sentinel) {
        if (observer) observer.unobserve(sentinel);
        sentinel.remove();
        sentinel = null;
      }
      const end = Math.min(items.length, shown + CHUNK);
      const parts = [];
      for (let i = shown; i < end; i++) parts.push(rowHtml(items[i]));
      tbody.insertAdjacentHTML('beforeend', parts.join(''));
      shown = end;
      if (shown < items.length) {
        tbody.insertAdjacentHTML('beforeend', '<tr class="more"><td colspan="' + columns +
          '"><button type="button">показать ещё (' + (items.length - shown) + ')</button></td></tr>');
        sentinel = tbody.lastElementChild;
        sentinel.querySelector('button').addEventListener('click', more);
        if (observer) observer.observe(sentinel);
      }
    }
    return {
      set(list) { items = list; shown = 0; sentinel = null; tbody.textContent = ''; more(); },
    };
  }

  // --- Warnings table and its filters -------------------------------------

  function fillSelect(select, names) {
    const options = names.map((name, i) => '<option value="' + i + '" title="' + esc(name) + '">' +
      esc(name.length > 90 ? name.slice(0, 88) + '…' : name) + '</option>');
    select.insertAdjacentHTML('beforeend', options.join(''));
  }
  const kindSelect = $('filter-kind');
  const typeSelect = $('filter-type');
  fillSelect(kindSelect, data.kinds);
  fillSelect(typeSelect, data.types);

  const warningRows = RowList(document.querySelector('#warnings tbody'), 5, (i) => {
    const w = warnings[i];
    return '<tr data-w="' + i + '" data-kind="' + w[1] + '" data-type="' + objects[w[0]][0] + '"><td>' +
      esc(data.types[objects[w[0]][0]]) + '</td><td><a href="#w' + i + '">' + esc(label(w[0])) +
      '</a></td><td class="num">' + w[2] + ':' + w[3] + '</td><td class="word">' + esc(w[4]) +
      '</td><td class="kind">' + esc(data.kinds[w[1]]) + '</td></tr>';
  });

  function filterWarnings() {
    const kind = kindSelect.value === '' ? -1 : Number(kindSelect.value);
    const type = typeSelect.value === '' ? -1 : Number(typeSelect.value);
    const chosen = [];
    for (let i = 0; i < warnings.length; i++) {
      const w = warnings[i];
      if ((kind < 0 || w[1] === kind) && (type < 0 || objects[w[0]][0] === type)) chosen.push(i);
    }
    warningRows.set(chosen);
    $('warning-count').textContent = chosen.length === warnings.length
      ? String(warnings.length) : chosen.length + ' из ' + warnings.length;
    $('no-warnings').hidden = chosen.length > 0;
  }
  kindSelect.addEventListener('change', filterWarnings);
  typeSelect.addEventListener('change', filterWarnings);
  filterWarnings();

  // --- Objects table ------------------------------------------------------

  RowList(document.querySelector('#objects tbody'), 4, (o) => {
    const ob = objects[o];
    const count = (byObject.get(o) || []).length;
    return '<tr><td>' + esc(data.types[ob[0]]) + '</td><td><a href="#o' + o + '">' + esc(label(o)) +
      '</a></td><td class="state-' + ob[3] + '">' + STATE_TEXT[ob[3]] + '</td><td class="num">' +
      (count || '') + '</td></tr>';
  }).set(objects.map((_, i) => i));

  // --- An object's view ---------------------------------------------------

  // The UTF-16 index of code point `n` of `line` (columns count characters).
  function indexOfCodePoint(line, n) {
    let index = 0;
    for (let k = 0; k < n && index < line.length; k++) index += line.codePointAt(index) > 0xffff ? 2 : 1;
    return index;
  }
  const splitLines = (text) => {
    const lines = text.split(/\r\n|\n|\r/);
    if (lines.length > 1 && lines[lines.length - 1] === '') lines.pop();
    return lines;
  };
  const lineHtml = (n, html) => '<span class="l" data-n="' + n + '">' + html + '</span>\n';

  // The converted script, each warning's word marked at its line and column.
  function destHtml(text, list) {
    const lines = splitLines(text);
    const marks = new Map();  // line index -> [{start, end, ids}]
    for (const i of list) {
      const w = warnings[i];
      if (w[2] < 1 || w[2] > lines.length) continue;
      const line = lines[w[2] - 1];
      const start = indexOfCodePoint(line, w[3] - 1);
      // The word itself when it stands there; else (the conversion rewrote
      // it) the name or keyword that begins at the place.
      let end = start + (w[4] ? indexOfCodePoint(line.slice(start), [...w[4]].length) : 0);
      if (end === start || line.slice(start, end).toLowerCase() !== w[4].toLowerCase()) {
        const word = /^[\w@#$]+/.exec(line.slice(start));
        end = start + (word ? word[0].length : Math.min(1, line.length - start));
      }
      let row = marks.get(w[2] - 1);
      if (!row) marks.set(w[2] - 1, (row = []));
      const same = row.find((m) => start < m.end && m.start < end);
      if (same) same.ids.push(i); else row.push({ start, end, ids: [i] });
    }
    return lines.map((line, n) => {
      const row = marks.get(n);
      if (!row) return lineHtml(n + 1, esc(line));
      row.sort((a, b) => a.start - b.start);
      let html = '';
      let at = 0;
      for (const m of row) {
        html += esc(line.slice(at, m.start)) + '<mark class="warn" data-w="' + m.ids.join(' ') + '" title="' +
          esc(m.ids.map((i) => data.kinds[warnings[i][1]]).join('\n')) + '">' +
          (m.end > m.start ? esc(line.slice(m.start, m.end)) : '&#8203;') + '</mark>';
        at = m.end;
      }
      return lineHtml(n + 1, html + esc(line.slice(at)));
    }).join('');
  }

  // The source, with each occurrence of a warned word marked.
  function sourceHtml(text, list) {
    const words = [...new Set(list.map((i) => warnings[i][4]).filter((w) => w.trim() !== ''))];
    words.sort((a, b) => b.length - a.length);
    const pattern = words.map((w) => {
      const quoted = w.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');
      return (/^[\w@#$]/.test(w) ? '(?<![\\w@#$])' : '') + quoted + (/[\w@#$]$/.test(w) ? '(?![\\w@#$])' : '');
    }).join('|');
    const find = pattern ? new RegExp(pattern, 'gi') : null;
    return splitLines(text).map((line, n) => {
      if (!find) return lineHtml(n + 1, esc(line));
      let html = '';
      let at = 0;
      find.lastIndex = 0;
      for (let m; (m = find.exec(line)) !== null;) {
        if (m[0] === '') { find.lastIndex++; continue; }
        html += esc(line.slice(at, m.index)) + '<mark class="src">' + esc(m[0]) + '</mark>';
        at = m.index + m[0].length;
      }
      return lineHtml(n + 1, html + esc(line.slice(at)));
    }).join('');
  }

  const view = $('object-view');
  function showObject(o, current) {
    const ob = objects[o];
    const list = byObject.get(o) || [];
    let html = '<h2 id="object-title">' + esc(data.types[ob[0]]) + ' ' + esc(label(o)) +
      ' <span class="state-' + ob[3] + '">(' + STATE_TEXT[ob[3]] + ')</span></h2>';
    if (ob[3] === 1) html += '<p class="failure">' + esc(ob[4]) + '</p>';
    if (list.length) {
      html += '<ul class="object-warnings">' + list.map((i) => {
        const w = warnings[i];
        return '<li data-w="' + i + '"' + (i === current ? ' class="current"' : '') + '><a href="#w' + i + '">' +
          (w[2] > 0 ? w[2] + ':' + w[3] : 'без места') + '</a> ' + esc(data.kinds[w[1]]) +
          (w[4] ? ': <code>' + esc(w[4]) + '</code>' : '') + '</li>';
      }).join('') + '</ul>';
    }
    html += '<div class="panes"><div class="pane"><h4>Исходный текст (Transact-SQL)</h4><pre class="code" id="source-code">' +
      sourceHtml(ob[5], list) + '</pre></div><div class="pane"><h4>Результат (Watcom-SQL)</h4><pre class="code" id="dest-code">' +
      (ob[6] ? destHtml(ob[6], list) : '<span class="empty">нет</span>') + '</pre></div></div>';
    view.innerHTML = html;
    view.hidden = false;
    view.dataset.object = String(o);
    view.dataset.warning = String(current);
    const mark = current >= 0 ? [...view.querySelectorAll('#dest-code mark')].find(
      (m) => m.dataset.w.split(' ').includes(String(current))) : null;
    view.scrollIntoView({ block: 'start' });
    if (mark) {
      mark.classList.add('current');
      mark.scrollIntoView({ block: 'center', inline: 'center' });
    }
  }

  function route() {
    const m = /^#([wo])(\d+)$/.exec(location.hash);
    if (!m) return;
    const n = Number(m[2]);
    if (m[1] === 'w' && n < warnings.length) showObject(warnings[n][0], n);
    else if (m[1] === 'o' && n < objects.length) showObject(n, -1);
  }
  window.addEventListener('hashchange', route);
  // A link to the place already shown shows it again (no hashchange then).
  document.addEventListener('click', (e) => {
    const a = e.target.closest && e.target.closest('a[href^="#"]');
    if (a && a.getAttribute('href') === location.hash) route();
  });
  route();
  document.documentElement.dataset.ready = '1';
})();
