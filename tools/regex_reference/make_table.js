#!/usr/bin/env node
// Writes tests/unit/data/regex_reference.txt: regular-expression cases with the answers of the
// browser engine (V8, as in Node) for the program's settings (flags "gm"), which the unit test
// RegExpReference replays against StringSearchByRegExp / StringReplaceByRegExp.
//
//   node tools/regex_reference/make_table.js > tests/unit/data/regex_reference.txt
//
// The cases are the hand-written ones below plus patterns and texts drawn from a generator
// with a fixed seed, so the table comes out the same on every run of the same Node version.
// Left out, because the program answers otherwise on purpose: texts holding CR LF (one line
// break for ^ and $ here), U+2028 / U+2029 (no line breaks here) and replacements with "$0"
// (the whole match here); lookbehind and named groups, which the program does not read.
// The rows marked "own" are written by hand with the program's answer for those choices.
//
// Row: pattern TAB text TAB replacement TAB position TAB replaced, where position is what
// StringSearchByRegExp returns (1-based, -1 without a match, 0 for an empty text or pattern)
// or "error" when the engine refuses the pattern (then replaced is empty). "\\", "\t", "\n",
// "\r" and "\uXXXX" (every character outside printable ASCII) are escaped.
'use strict';

function escape(s) {
  let out = '';
  for (const ch of s) {
    const c = ch.charCodeAt(0);
    if (ch.length > 1) throw new Error('outside the basic plane');
    if (ch === '\\') out += '\\\\';
    else if (ch === '\t') out += '\\t';
    else if (ch === '\n') out += '\\n';
    else if (ch === '\r') out += '\\r';
    else if (c < 0x20 || c > 0x7e) out += '\\u' + c.toString(16).padStart(4, '0');
    else out += ch;
  }
  return out;
}

// What the program answers, from V8's answer; null when the case is left out.
function answer(pattern, text, replacement) {
  if (text.includes('\r\n') || /[\u2028\u2029]/.test(text) || replacement.includes('$0')) return null;
  if (/\(\?</.test(pattern)) return null;
  if (text === '' || pattern === '') return ['0', text];
  let re;
  try {
    re = new RegExp(pattern, 'gm');
  } catch (e) {
    return ['error', ''];
  }
  const at = text.search(re);
  return [String(at < 0 ? -1 : at + 1), text.replace(re, replacement)];
}

// mulberry32
function random(seed) {
  return function () {
    seed |= 0;
    seed = (seed + 0x6d2b79f5) | 0;
    let t = Math.imul(seed ^ (seed >>> 15), 1 | seed);
    t = (t + Math.imul(t ^ (t >>> 7), 61 | t)) ^ t;
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}
// node make_table.js [seed [rows]]: other seeds and sizes for a wider one-off comparison.
const rnd = random(Number(process.argv[2] || 20261210));
const pick = (list) => list[Math.floor(rnd() * list.length)];
const int = (n) => Math.floor(rnd() * n);

const hand = [
  // After an empty match the next search starts one character on.
  ['a*?', 'aaa', '-'], ['|b', 'ab', '-'], ['$|\\n', 'x\ny', '#'], ['x*', 'ab', '-'],
  ['\\b', 'ab cd', '|'], ['(?:)', 'abc', '.'], ['a??', 'aab', '<$&>'], ['^', 'a\nb\n', '> '],
  ['$', 'a\nb', ';'], ['(a)|b', 'ab', '[$1]'], ['(?=a)|a', 'aa', '<$&>'],
  // The older syntax the browsers still read.
  ['\\c', '\\c', '#'], ['\\c1', '\\c1', '#'], ['\\cJ', 'a\nb', '#'], ['\\x4g', 'x4g', '#'],
  ['\\x41', 'A', '#'], ['\\u00', 'u00', '#'], ['\\u0041', 'A', '#'], ['\\u{2}', 'uu{2}', '#'],
  ['\\8', '8', '#'], ['\\9', '9', '#'], ['\\1', '\u0001', '#'], ['\\12', '\n', '#'],
  ['(a)\\1', 'aa', '#'], ['(a)\\2', 'a\u0002', '#'], ['(a)\\18', 'a\u00018', '#'],
  ['\\0', '\u0000', '#'], ['\\00', '\u0000', '#'], ['\\08', '\u00008', '#'], ['\\377', '\u00ff', '#'],
  ['\\400', ' 0', '#'], ['\\0123', '\n3', '#'], ['[\\w-.]', 'a-.', '#'], ['[\\d-z]', '5-zy', '#'],
  ['[a-\\d]', 'a-5b', '#'], ['[\\w-\\d]', '-', '#'], ['[\\s-\\S]', 'x', '#'], ['{,2}', '{,2}', '#'],
  ['a{,2}', 'a{,2}aa', '#'], ['a{12', 'a{12', '#'], ['{12', '{12', '#'], ['{', '{', '#'],
  ['}', '}', '#'], [']', ']', '#'], ['a]', 'a]', '#'], ['x{1}{,2}', 'x{,2}', '#'],
  ['(?=a)*a', 'aa', '#'], ['(?=(a))+', 'aab', '[$1]'], ['(?!a)?b', 'ab', '#'], ['(?=a){2}', 'a', '#'],
  ['[\\c]', '\\c', '#'], ['[\\c1]', '\u0011', '#'], ['[\\c_]', '\u001f', '#'], ['[\\cA]', '\u0001', '#'],
  ['[\\1]', '\u0001', '#'], ['[\\8]', '8', '#'], ['[\\08]', '8', '#'], ['[\\B]', 'B', '#'],
  ['[\\b]', '\b', '#'], ['\\k', 'k', '#'], ['\\a\\e\\g\\y\\z', 'aegyz', '#'], ['\\-\\]', '-]', '#'],
  ['[]', 'a', '#'], ['[^]', 'a\n', '#'], ['[]]', ']', '#'],
  // Refused as the browsers refuse them.
  ['a**', 'a', '#'], ['a{2}+', 'a', '#'], ['a???', 'a', '#'], ['x{2,1}', 'x', '#'], ['{1}', '{1}', '#'],
  ['a{1}{2}', 'a', '#'], ['^*', 'a', '#'], ['\\b+', 'a', '#'], ['(', 'a', '#'], [')', 'a', '#'],
  ['[b-a]', 'a', '#'], ['\\', 'a', '#'], ['(?a)', 'a', '#'], ['*', 'a', '#'], ['a|*', 'a', '#'],
  ['[', 'a', '#'], ['(?:', 'a', '#'], ['(?=a', 'a', '#'], ['{2,}', 'a', '#'],
  // The replacement.
  ['(\\w+) (\\w+)', 'John Smith', '$2, $1'], ['b', 'abc', '[$`|$\'|$$|$&]'], ['(a)', 'a', '$10$2$'],
  ['(a)(b)?', 'ab a', '<$2>'], ['a', 'a', '$<n>'], ['(a)', 'a', '$01$001'],
];

// The program's own choices, with its answers.
const own = [
  ['^', 'a\r\nb', '> ', '1', '> a\r\n> b'], ['$', 'a\r\nb', ';', '2', 'a;\r\nb;'],
  ['^$', '\r\n\r\n', '#', '1', '#\r\n#\r\n#'], ['\\r$', 'a\r\nb', '#', '-1', 'a\r\nb'],
  ['.$', 'ab\r\ncd', '#', '2', 'a#\r\nc#'], ['b', 'abc', '[$0]', '2', 'a[b]c'],
  ['(b)', 'abc', '$0$1', '2', 'abbc'], ['.', 'a\u2028b', '#', '1', '###'],
  ['^b', 'a\u2028b', '#', '-1', 'a\u2028b'], ['\\s', 'a\u2028b', '#', '2', 'a#b'],
];

// Random patterns: atoms, groups, alternation, classes, anchors, lookaheads, repeats,
// back references and the older escapes, over a small alphabet so that they match often.
const letters = ['a', 'b', 'c', 'a', 'b', '-', ' ', '1', '_', '.'];
function atom(depth, groups) {
  const r = int(100);
  if (r < 30) return pick(['a', 'b', 'c', 'a', 'b', '1', '-', ' ', 'x']);
  if (r < 36) return '.';
  if (r < 46) {
    return pick(['[ab]', '[^a]', '[a-c]', '[\\w-.]', '[\\d-z]', '[^\\s]', '[a\\-]', '[.]',
                 '[\\c1]', '[\\b]', '[\\x41-\\x5a]', '[-a]', '[a-]', '[]', '[^]', '[\\1]', '[\\8]']);
  }
  if (r < 54) return pick(['\\d', '\\w', '\\s', '\\W', '\\D', '\\S', '\\b', '\\B', '^', '$', '\\n']);
  if (r < 60) {
    return pick(['\\c', '\\cA', '\\x4', '\\x61', '\\u00', '\\u0061', '\\8', '\\9', '\\0', '\\07',
                 '\\k', '{', '}', ']', '{,2}', '{1', '\\-', '\\/', '\\t', '\\$']);
  }
  if (r < 66 && groups.count > 0) return '\\' + (1 + int(groups.count + 1));
  if (depth < 2 && r < 90) {
    const open = pick(['(', '(', '(', '(?:', '(?=', '(?!']);
    if (open === '(') groups.count++;
    return open + alternation(depth + 1, groups) + ')';
  }
  return pick(letters);
}
function quantifier() {
  const r = int(100);
  if (r < 60) return '';
  const q = pick(['*', '+', '?', '{2}', '{1,}', '{0,2}', '{1,3}', '{,2}', '*', '+', '?']);
  return q + (rnd() < 0.3 ? '?' : '') + (rnd() < 0.01 ? pick(['*', '?', '{2}', '{2,1}']) : '');
}
function sequence(depth, groups) {
  let s = '';
  const n = 1 + int(3);
  for (let k = 0; k < n; ++k) s += atom(depth, groups) + quantifier();
  return s;
}
function alternation(depth, groups) {
  let s = sequence(depth, groups);
  while (rnd() < 0.25) s += '|' + (rnd() < 0.1 ? '' : sequence(depth, groups));
  return s;
}
// Pattern characters in any order, for the corners of the syntax.
function soup() {
  const tokens = ['(', ')', '[', ']', '{', '}', ',', '1', '2', '0', '8', '\\', '^', '$', '|', '*',
                  '+', '?', '-', '.', 'a', 'b', 'c', 'x', 'u', 'k', '(?:', '(?=', '(?!', '\\c',
                  '\\x', '\\u', '\\0', '\\1', '\\w', '\\d', '\\b', '\\B', '{1}', '{1,2}', '[^'];
  let s = '';
  const n = 1 + int(8);
  for (let k = 0; k < n; ++k) s += pick(tokens);
  return s;
}
function text() {
  const alphabet = ['a', 'a', 'b', 'b', 'c', 'x', ' ', '\n', '-', '1', '_', '.', '{', '}',
                    '\\', '\u0001', 'A', '\u00e9', '\u4e2d', '\r'];
  let s = '';
  const n = int(14);
  for (let k = 0; k < n; ++k) s += pick(alphabet);
  return s;
}
function replacement(groups) {
  const forms = ['#', '<$&>', '-', '[$`|$\']', '$$', '{$&}'];
  if (groups > 0) forms.push('[$1]', '($1|$&)', '$1$1', '$2$1', '$11');
  return pick(forms);
}

const rows = [];
const seen = new Set();
function add(pattern, subject, repl) {
  const key = pattern + '\u0000' + subject + '\u0000' + repl;
  if (seen.has(key)) return;
  const result = answer(pattern, subject, repl);
  if (!result) return;
  seen.add(key);
  rows.push([pattern, subject, repl, result[0], result[1]]);
}

for (const [p, s, r] of hand) add(p, s, r);
const wanted = Number(process.argv[3] || 4000);
while (rows.length < wanted) {
  const groups = { count: 0 };
  let pattern = alternation(0, groups);
  if (rnd() < 0.25) {
    pattern = soup();
    groups.count = (pattern.match(/\((?!\?)/g) || []).length;
  }
  for (let k = 0; k < 2 && rows.length < wanted; ++k) add(pattern, text(), replacement(groups.count));
}

const lines = ['# regex_reference: pattern, text, replacement, position, replaced (flags gm; ' +
               'V8 ' + process.versions.v8 + '); made by tools/regex_reference/make_table.js'];
for (const row of rows) lines.push(row.map(escape).join('\t'));
for (const row of own) lines.push(row.map(escape).join('\t') + '\town');
process.stdout.write(lines.join('\n') + '\n');
