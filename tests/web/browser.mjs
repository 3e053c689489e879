// Opens a page of a folder in headless Chromium and checks what it did:
// serves the folder on 127.0.0.1 (a port the system picks), starts
// chromium-headless-shell with a fresh profile, drives it over the
// DevTools protocol on a pipe (--remote-debugging-pipe: no port, no
// WebSocket, nothing beyond node's own modules), prints every console
// message, waits for the line that ends the program's run, and takes a
// screenshot of the canvas whose pixels it compares with the expected ones.
//
//   node tests/web/browser.mjs --dir DIR --page 'index.html?proof' --until 'proof: '
//        [--ok 'proof: ok'] [--screenshot FILE] [--pixel X,Y,R,G,B ...]
//        [--allow-console] [--timeout SECONDS] [--browser PATH]
//        [--click] [--changes SECONDS] [--press KEY --then LINE]
//
// With --click it clicks the canvas's middle once the --until line has come;
// with --changes it then takes two screenshots SECONDS apart and fails when
// they are the same picture (the page is not playing); with --press it then
// presses the key (as DevTools names it: Escape) and fails unless a console
// line starting with --then comes within 30 s.
//
// It fails (exit status 1) when the page cannot be opened (a network error,
// or an error status for the page or any file it loads), when the browser
// ends early, when the page throws, when the console has an error or a
// WebGL error (unless --allow-console; other warnings, such as
// deprecations and the GL driver's performance notes, are only printed;
// the page sends the program's standard error to console.error, and
// emscripten's own complaints go there too), when no line starting with
// --until comes within the time, when that line is not --ok, when WebGL 2
// is missing, or when a pixel of the canvas (X, Y from its top left) is not
// R, G, B give or take 3. The whole run is bounded: past --timeout and a
// minute more for what comes after the --until line, it is cut off and
// fails. The server, the browser and its profile are gone when it ends,
// whichever way.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';

function parseArguments(argv) {
  const options = { pixels: [], timeout: 60, browser: '/usr/bin/chromium-headless-shell', allowConsole: false };
  for (let i = 0; i < argv.length; ++i) {
    const value = () => {
      if (i + 1 >= argv.length) throw new Error(`${argv[i]} needs a value`);
      return argv[++i];
    };
    switch (argv[i]) {
      case '--dir': options.dir = path.resolve(value()); break;
      case '--page': options.page = value(); break;
      case '--until': options.until = value(); break;
      case '--ok': options.ok = value(); break;
      case '--screenshot': options.screenshot = value(); break;
      case '--pixel': {
        const p = value().split(',').map(Number);
        if (p.length !== 5 || p.some((n) => !Number.isInteger(n))) throw new Error('--pixel takes X,Y,R,G,B');
        options.pixels.push(p);
        break;
      }
      case '--allow-console': options.allowConsole = true; break;
      case '--timeout': options.timeout = Number(value()); break;
      case '--browser': options.browser = value(); break;
      case '--click': options.click = true; break;
      case '--changes': options.changes = Number(value()); break;
      case '--press': options.press = value(); break;
      case '--then': options.then = value(); break;
      default: throw new Error(`unknown argument ${argv[i]}`);
    }
  }
  if (!options.dir || !options.page || !options.until) throw new Error('--dir, --page and --until are needed');
  return options;
}

const Types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.png': 'image/png',
};

// A static server of DIR: GET and HEAD only, nothing outside DIR.
function serve(dir) {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
    const file = path.join(dir, path.normalize(name === '/' ? '/index.html' : name));
    const inside = file.startsWith(dir + path.sep);
    if ((request.method !== 'GET' && request.method !== 'HEAD') || !inside || !fs.existsSync(file) ||
        !fs.statSync(file).isFile()) {
      response.writeHead(inside ? 404 : 403).end();
      return;
    }
    response.writeHead(200, {
      'Content-Type': Types[path.extname(file)] || 'application/octet-stream',
      'Cache-Control': 'no-store',
    });
    if (request.method === 'HEAD') response.end();
    else fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(0, '127.0.0.1', () => resolve(server));
  });
}

// The DevTools protocol over the browser's pipe: JSON messages ending in a
// NUL byte, commands written to its fd 3, answers and events read from fd 4.
class Protocol {
  constructor(input, output) {
    this.input = input;
    this.next = 1;
    this.waiting = new Map();
    this.listeners = [];
    let pending = Buffer.alloc(0);
    output.on('data', (chunk) => {
      pending = Buffer.concat([pending, chunk]);
      for (let end; (end = pending.indexOf(0)) >= 0; pending = pending.subarray(end + 1)) {
        this.receive(JSON.parse(pending.subarray(0, end).toString('utf8')));
      }
    });
  }

  receive(message) {
    if (message.id !== undefined) {
      const waiter = this.waiting.get(message.id);
      this.waiting.delete(message.id);
      if (!waiter) return;
      if (message.error) waiter.reject(new Error(`${waiter.method}: ${message.error.message}`));
      else waiter.resolve(message.result);
    } else {
      for (const listener of this.listeners) listener(message);
    }
  }

  send(method, params = {}, sessionId = undefined) {
    const id = this.next++;
    this.input.write(JSON.stringify({ id, method, params, sessionId }) + '\0');
    return new Promise((resolve, reject) => this.waiting.set(id, { resolve, reject, method }));
  }

  on(listener) { this.listeners.push(listener); }
}

// The pixels of a PNG as Chromium writes its screenshots: 8 bits a
// channel, RGB or RGBA, not interlaced.
function decodePng(png) {
  if (png.readUInt32BE(0) !== 0x89504e47) throw new Error('not a PNG');
  let width = 0, height = 0, channels = 0;
  const data = [];
  for (let at = 8; at < png.length;) {
    const length = png.readUInt32BE(at), type = png.toString('latin1', at + 4, at + 8);
    const body = png.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      const depth = body[8], colour = body[9], interlace = body[12];
      channels = { 2: 3, 6: 4 }[colour];
      if (depth !== 8 || !channels || interlace !== 0) throw new Error('a PNG of a kind not read here');
    } else if (type === 'IDAT') {
      data.push(body);
    }
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(data));
  const stride = width * channels, pixels = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)], line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; ++x) {
      const a = x >= channels ? pixels[y * stride + x - channels] : 0;
      const b = y > 0 ? pixels[(y - 1) * stride + x] : 0;
      const c = x >= channels && y > 0 ? pixels[(y - 1) * stride + x - channels] : 0;
      let predicted = 0;
      if (filter === 1) predicted = a;
      else if (filter === 2) predicted = b;
      else if (filter === 3) predicted = (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      pixels[y * stride + x] = (line[x] + predicted) & 0xff;
    }
  }
  return { width, height, at: (x, y) => [...pixels.subarray((y * width + x) * channels, (y * width + x) * channels + 3)] };
}

// How Chromium words a WebGL error in the console (as a warning, not as an
// error): "WebGL: INVALID_ENUM: ..." or "[.WebGL-...]GL_INVALID_OPERATION: ...".
const GLError = /\b(GL_)?INVALID_(ENUM|VALUE|OPERATION|FRAMEBUFFER_OPERATION)\b|CONTEXT_LOST/;

function messageText(args) {
  return args.map((a) => (a.value !== undefined ? String(a.value) : a.description || a.type)).join(' ');
}

async function main() {
  const options = parseArguments(process.argv.slice(2));
  const problems = [];
  const server = await serve(options.dir);
  const url = `http://127.0.0.1:${server.address().port}/${options.page}`;
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'vemla-chromium-'));
  const flags = [
    '--remote-debugging-pipe', `--user-data-dir=${profile}`,
    // Nothing of Google's to reach, no proxy between it and 127.0.0.1.
    '--disable-background-networking', '--disable-component-update', '--disable-sync',
    '--no-first-run', '--disable-quic', '--no-proxy-server', '--disable-extensions',
    // WebGL from SwiftShader through ANGLE, the only GL a machine without a
    // GPU has; Chromium now asks for it to be allowed explicitly.
    '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
    // Audio may start without a click, and makes no sound.
    '--autoplay-policy=no-user-gesture-required', '--mute-audio',
    '--disable-dev-shm-usage', '--window-size=800,600',
  ];
  if (process.getuid && process.getuid() === 0) flags.push('--no-sandbox');
  // In a process group of its own: Debian's chromium-headless-shell is a
  // script that starts the browser as its child, and a browser that has to
  // be stopped is stopped whole, group and all.
  const browser = spawn(options.browser, [...flags, 'about:blank'], {
    stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'], detached: true,
  });
  const killBrowser = () => {
    try { process.kill(-browser.pid, 'SIGKILL'); } catch { /* gone already */ }
  };
  for (const signal of ['SIGINT', 'SIGTERM']) {
    process.once(signal, () => {
      killBrowser();
      fs.rmSync(profile, { recursive: true, force: true });
      process.exit(1);
    });
  }
  let browserLog = '';
  browser.stderr.on('data', (chunk) => { browserLog = (browserLog + chunk).slice(-4000); });
  const exited = new Promise((resolve) => browser.once('exit', resolve));
  const spawned = new Promise((resolve, reject) => {
    browser.once('spawn', resolve);
    browser.once('error', reject);
  });

  let timer;
  const deadline = new Promise((_, reject) => {
    timer = setTimeout(() => reject(new Error(`nothing starting with "${options.until}" within ${options.timeout} s`)),
                       options.timeout * 1000);
  });
  // A browser that ends or stops answering never holds the run: past this
  // the process ends, failed, whatever it was waiting for.
  const watchdog = setTimeout(() => {
    console.log(`FAILED: ${options.page}\n  cut off after ${options.timeout + 60} s`);
    killBrowser();
    fs.rmSync(profile, { recursive: true, force: true });
    process.exit(1);
  }, (options.timeout + 60) * 1000);
  watchdog.unref();
  const endedEarly = exited.then((code) => { throw new Error(`the browser ended (${code}) before the page was done`); });
  endedEarly.catch(() => {});

  let finished = null;
  try {
    await Promise.race([spawned, deadline, endedEarly]);
    const cdp = new Protocol(browser.stdio[3], browser.stdio[4]);
    let session;
    let untilSeen, thenSeen, notOpened;
    const ended = new Promise((resolve) => { untilSeen = resolve; });
    const openFailed = new Promise((_, reject) => { notOpened = reject; });
    openFailed.catch(() => {});
    const thenCame = new Promise((resolve) => { thenSeen = resolve; });
    cdp.on((message) => {
      if (message.sessionId !== session) return;
      const { method, params } = message;
      if (method === 'Runtime.consoleAPICalled') {
        const text = messageText(params.args);
        console.log(`[console.${params.type}] ${text}`);
        if ((['error', 'assert'].includes(params.type) || GLError.test(text)) && !options.allowConsole)
          problems.push(`console.${params.type}: ${text}`);
        if (text.startsWith(options.until)) untilSeen(text);
        if (options.then !== undefined && text.startsWith(options.then)) thenSeen(text);
      } else if (method === 'Log.entryAdded') {
        const { level, source, text, url: where } = params.entry;
        if (level === 'verbose') return;
        console.log(`[${source} ${level}] ${text}${where ? ` (${where})` : ''}`);
        if ((level === 'error' || GLError.test(text)) && !options.allowConsole)
          problems.push(`${source} ${level}: ${text}`);
      } else if (method === 'Network.responseReceived' && params.response.status >= 400 &&
                 !params.response.url.endsWith('/favicon.ico')) {
        // The browser's own look for an icon is not the page's.
        const problem = `${params.response.url} answered ${params.response.status}`;
        problems.push(problem);
        if (params.type === 'Document') notOpened(new Error(`the page could not be opened: ${problem}`));
      } else if (method === 'Network.loadingFailed' && !params.canceled) {
        problems.push(`loading a file failed: ${params.errorText}`);
        if (params.type === 'Document') notOpened(new Error(`the page could not be opened: ${params.errorText}`));
      } else if (method === 'Runtime.exceptionThrown') {
        const details = params.exceptionDetails;
        const text = details.exception?.description || details.text;
        console.log(`[exception] ${text}`);
        problems.push(`exception: ${text}`);
      }
    });
    const { targetId } = await cdp.send('Target.createTarget', { url: 'about:blank' });
    ({ sessionId: session } = await cdp.send('Target.attachToTarget', { targetId, flatten: true }));
    for (const domain of ['Runtime', 'Log', 'Page', 'Network']) await cdp.send(`${domain}.enable`, {}, session);
    console.log(`opening ${url}`);
    const opened = await Promise.race([cdp.send('Page.navigate', { url }, session), deadline, endedEarly]);
    if (opened.errorText) throw new Error(`the page could not be opened: ${opened.errorText}`);
    finished = await Promise.race([ended, deadline, endedEarly, openFailed]);

    const facts = JSON.parse((await cdp.send('Runtime.evaluate', {
      expression: `JSON.stringify({
        webgl2: !!document.createElement('canvas').getContext('webgl2'),
        rect: (() => { const r = document.getElementById('canvas').getBoundingClientRect();
                       return { x: r.x, y: r.y, width: r.width, height: r.height }; })(),
        agent: navigator.userAgent })`,
      returnByValue: true,
    }, session)).result.value);
    console.log(`browser: ${facts.agent}; WebGL 2 ${facts.webgl2 ? 'available' : 'missing'}`);
    if (!facts.webgl2) problems.push('WebGL 2 is not available');
    if (options.ok !== undefined && finished !== options.ok) problems.push(`the run ended with "${finished}"`);

    const canvasShot = async () => {
      const { x, y, width, height } = facts.rect;
      const shot = await cdp.send('Page.captureScreenshot', {
        format: 'png', clip: { x, y, width, height, scale: 1 }, captureBeyondViewport: false,
      }, session);
      return Buffer.from(shot.data, 'base64');
    };
    const pause = (seconds) => new Promise((resolve) => setTimeout(resolve, seconds * 1000));
    if (options.click) {
      const at = { x: facts.rect.x + facts.rect.width / 2, y: facts.rect.y + facts.rect.height / 2 };
      for (const type of ['mousePressed', 'mouseReleased'])
        await cdp.send('Input.dispatchMouseEvent', { type, ...at, button: 'left', clickCount: 1 }, session);
      console.log('clicked the canvas');
    }
    if (options.changes !== undefined) {
      await pause(1);
      const first = decodePng(await canvasShot());
      await pause(options.changes);
      const second = decodePng(await canvasShot());
      let differ = 0;
      for (let py = 0; py < first.height; py += 4)
        for (let px = 0; px < first.width; px += 4) {
          const a = first.at(px, py), b = second.at(px, py);
          if (Math.abs(a[0] - b[0]) + Math.abs(a[1] - b[1]) + Math.abs(a[2] - b[2]) > 24) ++differ;
        }
      const share = differ / (Math.ceil(first.width / 4) * Math.ceil(first.height / 4));
      console.log(`${(share * 100).toFixed(1)}% of the picture changed over ${options.changes} s`);
      if (share < 0.01) problems.push(`the picture did not change over ${options.changes} s`);
    }

    if (options.press !== undefined) {
      const key = { key: options.press, code: options.press, windowsVirtualKeyCode: options.press === 'Escape' ? 27 : 0 };
      for (const type of ['keyDown', 'keyUp']) await cdp.send('Input.dispatchKeyEvent', { type, ...key }, session);
      console.log(`pressed ${options.press}`);
      const line = await Promise.race([thenCame, pause(30).then(() => null)]);
      if (line === null) problems.push(`no line starting with "${options.then}" within 30 s of ${options.press}`);
    }

    if (options.screenshot || options.pixels.length) {
      const png = await canvasShot();
      if (options.screenshot) fs.writeFileSync(options.screenshot, png);
      const image = decodePng(png);
      console.log(`screenshot: ${image.width} x ${image.height}`);
      for (const [px, py, r, g, b] of options.pixels) {
        const [sr, sg, sb] = image.at(px, py);
        const right = Math.abs(sr - r) <= 3 && Math.abs(sg - g) <= 3 && Math.abs(sb - b) <= 3;
        console.log(`pixel ${px},${py}: ${sr},${sg},${sb}${right ? '' : `, not ${r},${g},${b}`}`);
        if (!right) problems.push(`the pixel at ${px},${py} is ${sr},${sg},${sb}, not ${r},${g},${b}`);
      }
    }
    await Promise.race([cdp.send('Browser.close'), new Promise((resolve) => setTimeout(resolve, 3000))]);
  } catch (error) {
    problems.push(error.message);
    if (browserLog) console.log(`--- the browser's last words:\n${browserLog}`);
  } finally {
    clearTimeout(timer);
    clearTimeout(watchdog);
    if (browser.exitCode === null && browser.signalCode === null) {
      await Promise.race([exited, new Promise((resolve) => setTimeout(resolve, 2000))]);
      if (browser.exitCode === null && browser.signalCode === null) killBrowser();
      await exited;
    }
    server.closeAllConnections?.();
    await new Promise((resolve) => server.close(resolve));
    fs.rmSync(profile, { recursive: true, force: true });
  }

  if (problems.length) {
    console.log(`FAILED: ${options.page}`);
    for (const problem of problems) console.log(`  ${problem}`);
    process.exit(1);
  }
  console.log(`passed: ${options.page}`);
}

main().catch((error) => {
  console.error(error.message);
  process.exit(1);
});
