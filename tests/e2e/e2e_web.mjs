// The web page in headless chromium (playwright-core) against kova-record, with real keys (F7 held
// through the browser's repeats, F2 read as Escape): a probe hashes each frame the canvas shows and
// notes in which frame's poll the program read each key; the recorder, given those keys at those
// frames, must draw the same frames, fade included. Also the title, the crisp scaled canvas, the
// sound held back until the first key and then running at 44,100 Hz, and a quiet console. Then the
// pages that cannot start (opened as a file, index.wasm missing or damaged, no WebAssembly) must say
// so in words, and keep saying so after a key.
//   node e2e_web.mjs PAGE-DIR RECORDER NODE-MODULES-DIR
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';

const [pageDir, recorder, modules] = process.argv.slice(2).map((a) => path.resolve(a));
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'kova-web-'));
const check = (ok, message) => { if (!ok) throw new Error(message); };

// Hashes of a frame's 0xBBGGRR words: of all but the read-out's 16 x 8 corner (it counts real
// seconds, unlike the recorder's clock), and of that corner. Runs in the page and here.
function frameHashes(rgb) {
  const h = [0x811c9dc5, 0x811c9dc5];
  for (let i = 0; i < 65536; i++) {
    const k = (i & 255) < 16 && i < 2048 ? 1 : 0;
    h[k] = Math.imul(h[k] ^ (rgb(i) & 0xffffff), 16777619);
  }
  return h.map((v) => (v >>> 0).toString(16));
}

// Before the page's scripts: each putImageData on its canvas is a shown frame; SDL's object is
// wrapped as the page defines it, to log each key event as the program's poll takes it.
function probe(hashSource) {
  const hashes = new Function(`return ${hashSource}`)();
  const seen = (window.seen = { frames: [], keys: [] });
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (image, ...at) {
    put.call(this, image, ...at);
    const words = new Uint32Array(image.data.buffer);
    if (this.canvas.id === 'canvas') seen.frames.push(hashes((i) => words[i]));
  };
  let sdl;
  Object.defineProperty(window, 'SDL', { get: () => sdl, set: (v) => {
    const make = v.makeCEvent, open = v.openAudioContext;
    v.makeCEvent = (e, ptr) => {
      if (/^key/.test(e.type)) seen.keys.push([seen.frames.length, e.type, e.keyCode]);
      return make(e, ptr);
    };
    v.openAudioContext = () => console.debug(`sound ${open() || sdl.audioContext.state}`);
    sdl = v;
  } });
}

const { chromium } = createRequire(path.join(modules, 'x.js'))('playwright-core');
const types = { '.js': 'text/javascript', '.wasm': 'application/wasm' };
// /broken/NAME/... serves the page from work/NAME, a copy with a file removed or damaged.
const server = http.createServer((q, r) => fs.readFile(path.join(
  q.url.startsWith('/broken/') ? path.join(work, q.url.split('/')[2]) : pageDir, q.url.endsWith('/') ? 'index.html' : path.basename(q.url)),
  (e, d) => r.writeHead(e ? 404 : 200, { 'content-type': types[path.extname(q.url)] || 'text/html' }).end(d)));
server.listen(0, '127.0.0.1');
const browser = await chromium.launchPersistentContext(path.join(work, 'profile'), {
  executablePath: '/usr/bin/chromium', headless: true, chromiumSandbox: false, viewport: { width: 1000, height: 700 },
  args: ['--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking', '--disable-sync'] });
try {
  const page = browser.pages()[0], messages = [], started = Date.now();
  page.on('console', (m) => messages.push(`${m.type()}: ${m.text()}`)).on('pageerror', (e) => messages.push(`${e}`));
  await page.addInitScript(probe, frameHashes.toString());
  // Nothing is evaluated in the page before its sound opens: an evaluation counts as a gesture.
  const opened = page.waitForEvent('console', (m) => m.text().startsWith('sound '));
  await page.goto(`http://127.0.0.1:${server.address().port}/`);
  check((await opened).text() === 'sound suspended', `before any key: ${(await opened).text()}`);
  const until = (f, arg) => page.waitForFunction(f, arg, { timeout: 60000 });
  const frames = (more) => page.evaluate((n) => window.seen.frames.length + n, more);
  await until(() => document.body.dataset.state === 'running');
  const look = await page.evaluate(() => [document.title, canvas.width, canvas.height, getComputedStyle(canvas)
    .imageRendering, JSON.stringify(canvas.getBoundingClientRect())].join(' '));
  check(/^KOVA1301 256 256 (pixelated|crisp-edges) {"x":244,"y":82,"width":512,"height":512,/.test(look),
        `the title, the canvas, scaled by 2 and crisp in the 1000 x 700 window above the note: ${look}`);
  // Other windows: the largest whole scale that fits, centred; smooth below 1.
  for (const [width, height, want] of [[1920, 1080, '448,16,1024,1024,pixelated'],
                                       [700, 1000, '94,232,512,512,pixelated'], [280, 200, '52,0,176,176,auto']]) {
    await page.setViewportSize({ width, height });
    await page.waitForFunction((w) => canvas.getBoundingClientRect().width === w, Number(want.split(',')[2]),
                               { timeout: 5000 }).catch(() => {});
    const box = await page.evaluate(() => { const r = canvas.getBoundingClientRect();
      return [r.x, r.y, r.width, r.height, getComputedStyle(canvas).imageRendering].join().replace('crisp-edges', 'pixelated'); });
    check(box === want, `the canvas in a ${width} x ${height} window: ${box}, want ${want}`);
  }
  await page.setViewportSize({ width: 1000, height: 700 });

  // Each key is held until the program has read it, through `repeats` browser repeats that it
  // must not read, and then the run goes on for `after` frames.
  await until(() => window.seen.frames.length >= 30);
  for (const [key, after, repeats = 0] of [['6', 30], ['F7', 40, 3], [' ', 30], ['a', 15], ['s', 15], ['b', 15],
                                           [' ', 50], [' ', 60], [' ', 20], ['f', 30], ['5', 20]]) {
    const read = await page.evaluate(() => window.seen.keys.length);
    await page.keyboard.down(key);
    await until((n) => window.seen.keys.length > n, read);
    for (let i = 0; i <= repeats; i++) {
      await until((n) => window.seen.frames.length >= n, await frames(3));
      if (i < repeats) await page.keyboard.down(key);
    }
    check(await page.evaluate((n) => window.seen.keys.length === n + 1, read), `${key}: read more than once`);
    await page.keyboard.up(key);
    await until((n) => window.seen.frames.length >= n, await frames(after));
  }
  const sound = await page.evaluate(() => [SDL.audioContext.state, SDL.audio.freq, SDL.audioContext.currentTime > 0]);
  check(sound.join() === 'running,44100,true', `the sound after the keys: ${sound}`);
  await page.keyboard.down('F2');
  await until(() => document.body.dataset.state !== 'running');
  const seen = await page.evaluate(() => ({ ...window.seen, state: document.body.dataset.state }));
  check(seen.state === 'ended', `the page after F2: ${seen.state}`);

  // The keys as the program read them: the last key event of each frame's poll, a press giving
  // SDL 1.2's byte (F2 Escape, F7 space, letters in lower case); Escape ends the recording.
  const bytes = { 113: 27, 118: 32, 65: 97, 66: 98, 70: 102, 83: 115 };
  const last = new Map(seen.keys.map(([frame, type, code]) => [frame, type === 'keydown' ? bytes[code] ?? code : 0]));
  const script = [...last].filter(([, byte]) => byte), [escape, byte] = script.pop();
  check(byte === 27 && seen.frames.length === escape + 64, `Escape in frame ${escape}, ${seen.frames.length} frames`);
  const keys = script.map(([frame, b]) => `${frame}:0x${b.toString(16)}`).join(',');
  const args = ['--frames', String(escape), '--keys', keys, '--out', path.join(work, 'rec')];
  check(spawnSync(recorder, args).status === 0, `kova-record ${args.join(' ')} failed`);
  const readout = script.find(([, b]) => b === 102)[0];
  seen.frames.forEach(([body, corner], i) => {
    const ppm = fs.readFileSync(path.join(work, 'rec', `frame-${String(i + 1).padStart(5, '0')}.ppm`)).subarray(-196608);
    const want = frameHashes((k) => ppm[3 * k] | ppm[3 * k + 1] << 8 | ppm[3 * k + 2] << 16);
    check(body === want[0] && (corner === want[1] || i >= readout), `frame ${i + 1}: not the recorder's (${args})`);
  });
  const noise = messages.filter((m) => !/^(warning: The AudioContext was not allowed to start|debug: sound )/.test(m));
  check(!noise.length, `the console:\n${noise.join('\n')}`);
  const seconds = (Date.now() - started) / 1000;
  console.log(`${seen.frames.length} frames in ${seconds} s, each kova-record's for --frames ${escape} --keys ${keys}`);

  // Pages that cannot start say why, and a key does not bring the keys' note back.
  fs.mkdirSync(path.join(work, 'missing'));
  fs.mkdirSync(path.join(work, 'damaged'));
  for (const file of ['index.html', 'index.js']) {
    for (const dir of ['missing', 'damaged']) fs.copyFileSync(path.join(pageDir, file), path.join(work, dir, file));
  }
  fs.writeFileSync(path.join(work, 'damaged', 'index.wasm'),
                   fs.readFileSync(path.join(pageDir, 'index.wasm')).subarray(0, 5000));
  const base = `http://127.0.0.1:${server.address().port}`;
  for (const [how, url, said, setup] of [
    ['opened as a file', `file://${pageDir}/index.html`, /opened as a file/],
    ['without index.wasm', `${base}/broken/missing/`, /index\.wasm\) is missing or damaged/],
    ['with a damaged index.wasm', `${base}/broken/damaged/`, /index\.wasm\) is missing or damaged/],
    ['without WebAssembly', `${base}/`, /no WebAssembly/, () => { delete window.WebAssembly; }]]) {
    const broken = await browser.newPage();
    if (setup) await broken.addInitScript(setup);
    await broken.goto(url);
    await broken.waitForFunction(() => document.body.dataset.state === 'failed', null, { timeout: 20000 })
      .catch(() => {});
    await broken.keyboard.down('x');
    await broken.keyboard.up('x');
    const shown = await broken.evaluate(() => [document.body.dataset.state, note.className, note.textContent]);
    check(shown[0] === 'failed' && shown[1] === '' && said.test(shown[2]), `the page ${how}: ${shown}`);
    await broken.close();
  }
  console.log('1 passed, 0 failed');
} catch (error) {
  console.log(`FAILED: ${error.message}\n0 passed, 1 failed`);
  process.exitCode = 1;
} finally {
  await browser.close();
  server.close();
  fs.rmSync(work, { recursive: true, force: true });
}
