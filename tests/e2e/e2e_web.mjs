#!/usr/bin/env node
// The web page in headless Chromium (Debian's, driven by playwright-core), against kova-record:
//   node e2e_web.mjs PAGE-DIR RECORDER NODE-MODULES-DIR
// PAGE-DIR holds index.html, index.js and index.wasm (tools/build-web.sh); RECORDER is the Linux
// kova-record. The page is served on 127.0.0.1 and driven with real key presses: speed, the
// scene keys (F7 reads as space), the scroller's keys, the read-out, and F2 (read as Escape).
// Checked: the title, the canvas and its crisp scaling, the sound held back until the first key
// and then running at 44,100 Hz and not silent, a clean console, and every frame the canvas
// showed, fade included, against the recorder's frames for the same keys at the same frames.
// A probe in the page hashes each frame as it reaches the canvas and notes in which frame's key
// poll each key event was read, which gives the recorder its script. Exit status 77: skipped.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';

const SIZE = 256;
const FADE = 64;
const CHROMIUM = '/usr/bin/chromium';

class Failure extends Error {}
function check(condition, message) {
  if (!condition) throw new Failure(message);
}

// Two 64-bit hashes of a frame's RGB values, given as 0xBBGGRR words: of everything but the
// read-out's 16 x 8 corner, and of that corner (the read-out counts real frames per second,
// which the recorder's virtual clock cannot match). Runs in the page and here alike.
function frameHashes(rgb) {
  let a = 0x811c9dc5, b = 0x3b9aca07, c = 0x811c9dc5, d = 0x3b9aca07;
  for (let y = 0; y < 256; y++) {
    for (let x = 0; x < 256; x++) {
      const v = rgb(y * 256 + x) & 0xffffff;
      if (y < 8 && x < 16) {
        c = Math.imul(c ^ v, 16777619);
        d = Math.imul((d << 5 | d >>> 27) ^ v, 2246822519);
      } else {
        a = Math.imul(a ^ v, 16777619);
        b = Math.imul((b << 5 | b >>> 27) ^ v, 2246822519);
      }
    }
  }
  const hex = (n) => (n >>> 0).toString(16).padStart(8, '0');
  return [hex(a) + hex(b), hex(c) + hex(d)];
}

// Installed before the page's scripts. Every putImageData on the page's canvas is one shown
// frame; SDL's own object is wrapped as the page defines it, to see each key event that the
// program's key poll takes (after the frame shown last) and each sound buffer it fills.
function probe(hashSource) {
  const frameHashes = new Function(`return (${hashSource})`)();
  const seen = (window.__kova = { frames: [], keys: [], sound: { buffers: 0, loud: 0, rates: [] } });
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (image, ...rest) {
    put.call(this, image, ...rest);
    if (this.canvas.id !== 'canvas') return;
    const words = new Uint32Array(image.data.buffer, image.data.byteOffset, image.width * image.height);
    seen.frames.push(image.width === 256 && image.height === 256 ? frameHashes((i) => words[i]) : ['size', '']);
  };
  let sdl;
  Object.defineProperty(window, 'SDL', {
    configurable: true,
    get: () => sdl,
    set: (value) => {
      sdl = value;
      const make = value.makeCEvent;
      value.makeCEvent = function (event, ptr) {
        if (event && (event.type === 'keydown' || event.type === 'keyup'))
          seen.keys.push({ frame: seen.frames.length, type: event.type, keyCode: event.keyCode });
        return make.call(this, event, ptr);
      };
      const fill = value.fillWebAudioBufferFromHeap;
      value.fillWebAudioBufferFromHeap = function (ptr, samples, buffer) {
        const result = fill.call(this, ptr, samples, buffer);
        const data = buffer.getChannelData(0);
        let peak = 0;
        for (let i = 0; i < data.length; i++) peak = Math.max(peak, Math.abs(data[i]));
        seen.sound.buffers++;
        if (peak > 0.01) seen.sound.loud++;
        if (!seen.sound.rates.includes(buffer.sampleRate)) seen.sound.rates.push(buffer.sampleRate);
        return result;
      };
    },
  });
}

// The byte the program reads for each browser key code the test presses: Escape, space and
// ASCII as they are, letters in lower case, F2 and F7 as SDL 1.2's 283 and 288.
const KEY_BYTES = { 27: 27, 32: 32, 53: 53, 54: 54, 65: 97, 66: 98, 70: 102, 83: 115, 113: 27, 118: 32 };

function serve(root) {
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };
  const server = http.createServer((request, response) => {
    const name = request.url === '/' ? 'index.html' : path.basename(new URL(request.url, 'http://x').pathname);
    fs.readFile(path.join(root, name), (error, data) => {
      if (error) {
        response.writeHead(404);
        response.end();
        return;
      }
      response.writeHead(200, { 'content-type': types[path.extname(name)] || 'application/octet-stream' });
      response.end(data);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// The recorder's frames for the script, hashed as the page hashes them.
function record(recorder, frames, keys, work) {
  const out = path.join(work, 'recording');
  const args = ['--frames', String(frames), '--out', out];
  if (keys.length) args.push('--keys', keys.map(([frame, byte]) => `${frame}:0x${byte.toString(16)}`).join(','));
  const run = spawnSync(recorder, args, { encoding: 'utf8' });
  check(run.status === 0, `kova-record ${args.join(' ')} failed: ${run.stderr}`);
  const hashes = [];
  for (let n = 1; n <= frames + FADE; n++) {
    const file = fs.readFileSync(path.join(out, `frame-${String(n).padStart(5, '0')}.ppm`));
    const rgb = file.subarray(file.length - SIZE * SIZE * 3);
    hashes.push(frameHashes((i) => rgb[3 * i] | rgb[3 * i + 1] << 8 | rgb[3 * i + 2] << 16));
    fs.rmSync(path.join(out, `frame-${String(n).padStart(5, '0')}.ppm`));
  }
  return hashes;
}

async function run(pageDir, recorder, modules, work) {
  const { chromium } = createRequire(path.join(modules, 'x.js'))('playwright-core');
  const server = await serve(pageDir);
  const context = await chromium.launchPersistentContext(path.join(work, 'profile'), {
    executablePath: CHROMIUM,
    headless: true,
    chromiumSandbox: false,
    viewport: { width: 1000, height: 700 },
    args: ['--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync'],
  });
  const messages = [];
  try {
    const page = context.pages()[0] || (await context.newPage());
    page.on('console', (m) => messages.push(`${m.type()}: ${m.text()}`));
    page.on('pageerror', (e) => messages.push(`pageerror: ${e.message}`));
    await page.addInitScript(probe, frameHashes.toString());
    const started = Date.now();
    await page.goto(`http://127.0.0.1:${server.address().port}/`);
    await page.waitForFunction(() => document.body.dataset.state === 'running', null, { timeout: 60000 });
    const frames = () => page.evaluate(() => window.__kova.frames.length);
    const waitFrames = (n) => page.waitForFunction((k) => window.__kova.frames.length >= k, n, { timeout: 60000 });

    check((await page.title()) === 'KOVA1301', `title "${await page.title()}"`);
    const look = await page.evaluate(() => {
      const c = document.getElementById('canvas');
      const r = c.getBoundingClientRect();
      return { w: c.width, h: c.height, rect: [r.left, r.top, r.width, r.height],
               rendering: getComputedStyle(c).imageRendering, audio: SDL.audioContext && SDL.audioContext.state };
    });
    check(look.w === SIZE && look.h === SIZE, `canvas ${look.w} x ${look.h}`);
    check(JSON.stringify(look.rect) === JSON.stringify([150, 0, 700, 700]),
          `the canvas is not scaled to the 1000 x 700 window's height and centred: ${look.rect}`);
    check(['pixelated', 'crisp-edges'].includes(look.rendering), `canvas scaled with ${look.rendering}`);
    check(look.audio === 'suspended', `the sound runs before any key: ${look.audio}`);

    // Each key is held until the program's poll has read it, then the run goes on for some
    // frames: the keys and the frames they act in are the program's own, whatever the timing.
    const press = async (key, after, repeats = 0) => {
      const polled = await page.evaluate(() => window.__kova.keys.length);
      await page.keyboard.down(key);
      await page.waitForFunction((n) => window.__kova.keys.length > n, polled, { timeout: 60000 });
      for (let i = 0; i < repeats; i++) {
        await waitFrames((await frames()) + 3);
        await page.keyboard.down(key);
      }
      await waitFrames((await frames()) + 3 * Math.sign(repeats));
      const read = await page.evaluate((n) => window.__kova.keys.slice(n), polled);
      check(read.length === 1 && read[0].type === 'keydown', `${key} held: the program read ${JSON.stringify(read)}`);
      await page.keyboard.up(key);
      await waitFrames((await frames()) + after);
    };
    await waitFrames(30);
    await press('6', 30);      // 50 frames a second; the first key also starts the sound
    const sound = await page.evaluate(() => ({ state: SDL.audioContext.state, time: SDL.audioContext.currentTime }));
    check(sound.state === 'running', `the sound did not start with the first key: ${sound.state}`);
    // Held over several frames with the browser's repeats: read once, as SDL 1.2 reads a held key.
    await press('F7', 40, 3);  // reads as space: the plasma
    await press(' ', 30);      // the scroller
    await press('a', 15);
    await press('s', 15);
    await press('b', 15);
    await press(' ', 50);      // the music trace
    await press(' ', 60);      // the typed pages
    await press(' ', 20);      // the rain again
    await press('f', 30);      // the read-out
    await press('5', 20);
    await page.keyboard.down('F2');  // reads as Escape: the fade, then the end
    await page.waitForFunction(() => document.body.dataset.state !== 'running', null, { timeout: 60000 });
    await page.keyboard.up('F2');
    const seen = await page.evaluate(() => ({ ...window.__kova, state: document.body.dataset.state,
                                              time: SDL.audioContext.currentTime }));
    const seconds = (Date.now() - started) / 1000;
    check(seen.state === 'ended', `the page's state after F2: ${seen.state}`);

    // The script the program saw: in each frame's poll the last key event counts, a press acting
    // with its byte (a release leaves nothing). Escape ends the recording's frames.
    const last = new Map();
    for (const k of seen.keys) last.set(k.frame, k);
    const script = [];
    let escape = 0;
    for (const [frame, k] of last) {
      if (k.type !== 'keydown') continue;
      const byte = KEY_BYTES[k.keyCode];
      check(byte !== undefined, `an unexpected key code ${k.keyCode} was read in frame ${frame}`);
      if (byte === 27) {
        escape = frame;
        break;
      }
      script.push([frame, byte]);
    }
    check(escape > 0, 'no Escape was read');
    check(seen.frames.length === escape + FADE,
          `${seen.frames.length} frames shown, not ${escape} and the fade's ${FADE}`);
    const readout = script.find(([, byte]) => byte === 102)[0];

    const expected = record(recorder, escape, script, work);
    let exact = 0, corner = 0;
    for (let i = 0; i < expected.length; i++) {
      const [body, box] = seen.frames[i], [wantBody, wantBox] = expected[i];
      check(body === wantBody && (box === wantBox || i + 1 > readout),
            `frame ${i + 1} of ${expected.length} differs from the recorder's (keys ${JSON.stringify(script)})`);
      if (box === wantBox) exact++;
      else corner++;
    }
    check(seen.frames[seen.frames.length - 1][0] === expected[expected.length - 1][0], 'the last frame');
    check(seen.sound.rates.length === 1 && seen.sound.rates[0] === 44100, `sound buffers at ${seen.sound.rates} Hz`);
    check(seen.sound.loud > 0 && seen.time > sound.time, `no sound played: ${JSON.stringify(seen.sound)}`);

    const unexpected = messages.filter((line) => !line.startsWith('warning: The AudioContext was not allowed to start'));
    check(unexpected.length === 0, `the console:\n${unexpected.join('\n')}`);

    process.stdout.write(
      `${expected.length} frames in ${seconds.toFixed(1)} s (${(expected.length / seconds).toFixed(0)} a second): ` +
      `${exact} identical to the recorder's, ${corner} identical but for the read-out\n` +
      `keys read in frames ${JSON.stringify(script)}, Escape in frame ${escape}\n` +
      `sound: ${seen.sound.buffers} buffers at 44100 Hz, ${seen.sound.loud} of them not silent\n`);
  } finally {
    await context.close();
    server.close();
  }
}

async function main(argv) {
  if (argv.length !== 3) {
    process.stdout.write('usage: e2e_web.mjs PAGE-DIR RECORDER NODE-MODULES-DIR\n');
    return 2;
  }
  const [pageDir, recorder, modules] = argv.map((a) => path.resolve(a));
  for (const [what, where] of [['chromium', CHROMIUM], ['the page', path.join(pageDir, 'index.html')],
                               ['playwright-core', path.join(modules, 'playwright-core')]]) {
    if (!fs.existsSync(where)) {
      process.stdout.write(`SKIP: ${what} is not installed (${where})\n`);
      return 77;
    }
  }
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'kova-web-'));
  const started = Date.now();
  try {
    await run(pageDir, recorder, modules, work);
    process.stdout.write(`passed in ${((Date.now() - started) / 1000).toFixed(0)} s\n`);
    return 0;
  } catch (error) {
    process.stdout.write(`FAILED: ${error instanceof Failure ? error.message : error.stack}\n`);
    return 1;
  } finally {
    fs.rmSync(work, { recursive: true, force: true });
  }
}

process.exit(await main(process.argv.slice(2)));
