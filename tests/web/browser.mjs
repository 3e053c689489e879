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
//        [--window W,H] [--profile DIR] [--downloads DIR] [--no-file-pickers]
//        [--gesture-for-sound] [--step STEP ...]
//
// With --click it clicks the canvas's middle once the --until line has come;
// with --changes it then takes two screenshots SECONDS apart and fails when
// they are the same picture (the page is not playing); with --press it then
// presses the key (as DevTools names it: Escape) and fails unless a console
// line starting with --then comes within 30 s.
//
// --window sets the browser's window (800,600). --profile keeps the browser's
// profile in DIR rather than in a fresh folder removed at the end, so that a
// later run finds what the page stored (its IndexedDB), served from the same
// port as the first run that used it. --downloads lets the
// page download into DIR: each file as <n>-<its name>, numbered from 1 in
// the order they began; the run waits for them to finish. --no-file-pickers
// opens the page as a browser without the File System Access API's pickers
// would (showSaveFilePicker and showOpenFilePicker taken away before the
// page's scripts run). --gesture-for-sound leaves sound to wait for a click
// or a key, as browsers have it (by default it may start at once).
//
// Steps run in order after all that, each bounded (30 s where it waits):
//   press KEYS       keys pressed and released, KEYS as DevTools names them,
//                    with modifiers held ("ArrowDown Control+s Shift+Tab")
//   type TEXT        the characters typed, a key each
//   wait LINE        a console line starting with LINE, later than the line
//                    the step before waited for
//   sleep SECONDS
//   click X,Y        a click at the canvas's pixel X,Y
//   shot FILE        a screenshot of the canvas
//   fps SECONDS      the animation frames the page gets a second, counted
//   held KEYS        fails unless the page held back the browser's own
//                    meaning (preventDefault) of each key's last press, as
//                    it went down or as it typed its character
//   expect EXPR      fails unless the page's JavaScript EXPR is true
//   choose FILE      the next file chooser the page opens gets FILE
//   reload [asking]  the page loaded again; with "asking", fails unless the
//                    page asks before it is left (beforeunload), which is
//                    answered "leave"; without, fails if it asks
//   tab LINE         fails unless the page opens a tab in which a console
//                    line starting with LINE comes; its errors count too
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

const StepVerbs = ['press', 'type', 'wait', 'sleep', 'click', 'shot', 'fps', 'held', 'expect', 'choose', 'reload', 'tab'];

function parseArguments(argv) {
  const options = { pixels: [], timeout: 60, browser: '/usr/bin/chromium-headless-shell', allowConsole: false,
                    window: [800, 600], steps: [] };
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
      case '--window': {
        const size = value().split(',').map(Number);
        if (size.length !== 2 || size.some((n) => !(n > 0))) throw new Error('--window takes W,H');
        options.window = size;
        break;
      }
      case '--profile': options.profile = path.resolve(value()); break;
      case '--downloads': options.downloads = path.resolve(value()); break;
      case '--no-file-pickers': options.noFilePickers = true; break;
      case '--gesture-for-sound': options.gestureForSound = true; break;
      case '--step': {
        const text = value(), space = text.indexOf(' ');
        const step = { verb: space < 0 ? text : text.slice(0, space), argument: space < 0 ? '' : text.slice(space + 1) };
        if (!StepVerbs.includes(step.verb)) throw new Error(`unknown step "${text}"`);
        options.steps.push(step);
        break;
      }
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

// A static server of DIR: GET and HEAD only, nothing outside DIR; on the
// port given, or one the system picks (0).
function serve(dir, port) {
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
    server.listen(port, '127.0.0.1', () => resolve(server));
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

// A key as DevTools dispatches it: its key and code names, its Windows
// key code, and the text it types. KEY is a DevTools key name: a letter,
// a digit, ".", "-", " ", or a named key (ArrowDown, Enter, F2, Control, Space).
const NamedKeys = {
  ArrowLeft: 37, ArrowUp: 38, ArrowRight: 39, ArrowDown: 40, PageUp: 33, PageDown: 34, Home: 36, End: 35,
  Enter: 13, Escape: 27, Tab: 9, Backspace: 8, Delete: 46, Insert: 45, Control: 17, Shift: 16, Alt: 18,
};
function keyEvent(key, shift) {
  if (key === 'Space') return keyEvent(' ');
  if (/^F([1-9]|1[0-2])$/.test(key)) return { key, code: key, windowsVirtualKeyCode: 111 + Number(key.slice(1)) };
  if (key in NamedKeys) {
    const code = ['Control', 'Shift', 'Alt'].includes(key) ? `${key}Left` : key;
    return { key, code, windowsVirtualKeyCode: NamedKeys[key], text: key === 'Enter' ? '\r' : undefined };
  }
  if (/^[a-zA-Z]$/.test(key)) {
    const upper = key.toUpperCase();
    return { key: shift ? upper : key.toLowerCase(), code: `Key${upper}`, windowsVirtualKeyCode: upper.charCodeAt(0),
             text: shift ? upper : key.toLowerCase() };
  }
  if (/^[0-9]$/.test(key)) return { key, code: `Digit${key}`, windowsVirtualKeyCode: key.charCodeAt(0), text: key };
  const punctuation = { '.': ['Period', 190], '-': ['Minus', 189], '=': ['Equal', 187], ' ': ['Space', 32] };
  if (key in punctuation) return { key, code: punctuation[key][0], windowsVirtualKeyCode: punctuation[key][1], text: key };
  throw new Error(`no key is called "${key}"`);
}

function messageText(args) {
  return args.map((a) => (a.value !== undefined ? String(a.value) : a.description || a.type)).join(' ');
}

// What the browser itself tells: downloads (numbered as they begin and
// renamed once done), tabs the page opens (attached to, their console
// heard), and the page's file choosers (answered with the files the steps
// name).
class BrowserEvents {
  constructor(options, problems) {
    this.options = options;
    this.problems = problems;
    this.downloads = new Map();  // guid -> { name, done }
    this.files = [];             // the files the next choosers get
  }

  async start(cdp, session) {
    if (this.options.downloads) {
      fs.mkdirSync(this.options.downloads, { recursive: true });
      await cdp.send('Browser.setDownloadBehavior', {
        behavior: 'allowAndName', downloadPath: this.options.downloads, eventsEnabled: true });
    }
    if (this.options.noFilePickers) {
      await cdp.send('Page.addScriptToEvaluateOnNewDocument', {
        source: 'delete window.showSaveFilePicker; delete window.showOpenFilePicker;' }, session);
    }
    // Each key's last press, and whether the page held back its meaning:
    // on the key going down, or on the character it types (a keypress,
    // whose default is what scrolls on Space). Read once the event is done,
    // as the page's own listeners may come after these.
    await cdp.send('Page.addScriptToEvaluateOnNewDocument', {
      source: `for (const type of ['keydown', 'keypress']) {
        window.addEventListener(type, (e) => setTimeout(() => {
          const held = (window.heldKeys ||= {});
          held[e.key] = e.defaultPrevented || (type === 'keypress' && held[e.key] === true);
        }));
      }`,
    }, session);
    if (this.options.steps.some((step) => step.verb === 'choose'))
      await cdp.send('Page.setInterceptFileChooserDialog', { enabled: true }, session);
    await cdp.send('Target.setDiscoverTargets', { discover: true });
  }

  take(cdp, method, params) {
    if (method === 'Browser.downloadWillBegin') {
      const name = `${this.downloads.size + 1}-${params.suggestedFilename}`;
      this.downloads.set(params.guid, { name, done: false });
      console.log(`download: ${name}`);
    } else if (method === 'Browser.downloadProgress' && params.state !== 'inProgress') {
      const download = this.downloads.get(params.guid);
      if (!download) return;
      download.done = true;
      if (params.state === 'completed') {
        fs.renameSync(path.join(this.options.downloads, params.guid), path.join(this.options.downloads, download.name));
        console.log(`downloaded: ${download.name} (${params.receivedBytes} bytes)`);
      } else {
        this.problems.push(`the download ${download.name} was ${params.state}`);
      }
    } else if (method === 'Target.targetCreated' && params.targetInfo.type === 'page' &&
               params.targetInfo.openerId === this.opener) {
      console.log(`the page opened a tab: ${params.targetInfo.url}`);
      cdp.send('Target.attachToTarget', { targetId: params.targetInfo.targetId, flatten: true }).then(async (attached) => {
        this.attached(attached.sessionId);
        for (const domain of ['Runtime', 'Log', 'Network']) await cdp.send(`${domain}.enable`, {}, attached.sessionId);
      }).catch((error) => this.problems.push(`the tab the page opened cannot be followed: ${error.message}`));
    }
  }

  choose(cdp, params, session) {
    const file = this.files.shift();
    if (file === undefined) {
      this.problems.push('the page opened a file chooser that no step answers');
      return;
    }
    console.log(`chose ${file}`);
    cdp.send('DOM.setFileInputFiles', { files: [file], backendNodeId: params.backendNodeId }, session)
      .catch((error) => this.problems.push(`the file chooser took no file: ${error.message}`));
  }

  async finishDownloads(pause) {
    for (let waited = 0; [...this.downloads.values()].some((d) => !d.done); waited += 0.2) {
      if (waited >= 30) {
        this.problems.push('downloads still unfinished after 30 s');
        return;
      }
      await pause(0.2);
    }
  }
}

// The first of lines from index `from` on that starts with text, within 30
// s; its index, or -1.
async function lineFrom(lines, from, text, pause) {
  for (let waited = 0; waited < 30; waited += 0.1) {
    const at = lines.findIndex((line, k) => k >= from && line.startsWith(text));
    if (at >= 0) return at;
    await pause(0.1);
  }
  return -1;
}

// Each combination ("Control+s", "ArrowDown", " ") pressed and released,
// its modifiers held around it.
async function pressKeys(cdp, session, combos) {
  const Modifiers = { Alt: 1, Control: 2, Meta: 4, Shift: 8 };
  for (const combo of combos) {
    const parts = combo.length > 1 ? combo.split('+') : [combo];
    const key = parts.pop();
    let modifiers = 0;
    for (const held of parts) {
      if (!(held in Modifiers)) throw new Error(`"${held}" in "${combo}" is no modifier`);
      modifiers |= Modifiers[held];
      await cdp.send('Input.dispatchKeyEvent', { type: 'rawKeyDown', modifiers, ...keyEvent(held) }, session);
    }
    const event = keyEvent(key, (modifiers & Modifiers.Shift) !== 0);
    // A key types its text only without Ctrl, Alt or Meta.
    const typing = event.text !== undefined && (modifiers & (Modifiers.Alt | Modifiers.Control | Modifiers.Meta)) === 0;
    await cdp.send('Input.dispatchKeyEvent', {
      type: typing ? 'keyDown' : 'rawKeyDown', modifiers, ...event, text: typing ? event.text : undefined,
      unmodifiedText: typing ? event.text : undefined }, session);
    await cdp.send('Input.dispatchKeyEvent', { type: 'keyUp', modifiers, ...event, text: undefined }, session);
    for (const held of parts.reverse()) {
      modifiers &= ~Modifiers[held];
      await cdp.send('Input.dispatchKeyEvent', { type: 'keyUp', modifiers, ...keyEvent(held) }, session);
    }
  }
}

async function evaluate(cdp, session, expression) {
  const { result, exceptionDetails } = await cdp.send('Runtime.evaluate', {
    expression, returnByValue: true, awaitPromise: true }, session);
  if (exceptionDetails) throw new Error(`${expression}: ${exceptionDetails.exception?.description || exceptionDetails.text}`);
  return result.value;
}

// One step (see the top); a failure goes to problems with its message.
async function runStep(step, run) {
  const { cdp, session, page, tabs, facts, pause, problems } = run;
  const argument = step.argument;
  switch (step.verb) {
    case 'press': await pressKeys(cdp, session, argument.split(' ').filter((combo) => combo !== '')); break;
    case 'type': await pressKeys(cdp, session, [...argument]); break;
    case 'wait': {
      const at = await lineFrom(page.lines, page.waited ?? 0, argument, pause);
      if (at < 0) problems.push(`no line starting with "${argument}" within 30 s`);
      else page.waited = at + 1;
      break;
    }
    case 'sleep': await pause(Number(argument)); break;
    case 'click': {
      const [x, y] = argument.split(',').map(Number);
      const at = { x: facts.rect.x + x, y: facts.rect.y + y };
      await cdp.send('Input.dispatchMouseEvent', { type: 'mouseMoved', ...at }, session);
      for (const type of ['mousePressed', 'mouseReleased'])
        await cdp.send('Input.dispatchMouseEvent', { type, ...at, button: 'left', clickCount: 1 }, session);
      break;
    }
    case 'shot': fs.writeFileSync(argument, await run.canvasShot()); break;
    case 'fps': {
      const frames = await evaluate(cdp, session, `new Promise((resolve) => {
        let frames = 0;
        const end = performance.now() + ${Number(argument) * 1000};
        const tick = (now) => { ++frames; if (now < end) requestAnimationFrame(tick); else resolve(frames); };
        requestAnimationFrame(tick);
      })`);
      console.log(`${(frames / Number(argument)).toFixed(1)} frames/s`);
      break;
    }
    case 'held': {
      await pause(0.2);
      const held = await evaluate(cdp, session, 'window.heldKeys || {}');
      for (const key of argument.split(' ').map((combo) => combo.split('+').pop())) {
        const name = keyEvent(key).key;
        if (held[name] !== true) problems.push(`the browser's own meaning of ${key} was not held back`);
      }
      break;
    }
    case 'expect':
      if (!(await evaluate(cdp, session, argument))) problems.push(`${argument} is not so`);
      break;
    case 'choose': run.browserEvents.files.push(path.resolve(argument)); break;
    case 'reload': {
      page.asked = false;
      page.waited = page.lines.length;
      await cdp.send('Page.reload', {}, session);
      // The question, where there is one, comes before the page goes.
      await pause(1);
      console.log(page.asked ? 'the page asked before it was left' : 'the page was left without asking');
      if (argument === 'asking' && !page.asked) problems.push('the page was left without asking');
      if (argument !== 'asking' && page.asked) problems.push('the page asked before it was left');
      break;
    }
    case 'tab': {
      let tab;
      for (let waited = 0; waited < 30 && !(tab = tabs[0]); waited += 0.1) await pause(0.1);
      if (!tab) {
        problems.push('the page opened no tab within 30 s');
        break;
      }
      if ((await lineFrom(tab.lines, 0, argument, pause)) < 0)
        problems.push(`no line starting with "${argument}" in the tab within 30 s`);
      break;
    }
  }
}

async function main() {
  const options = parseArguments(process.argv.slice(2));
  const problems = [];
  // A kept profile keeps its server's port, so that the pages' origin, and
  // the storage that goes with it, is the same in every run that uses it.
  const portFile = options.profile && path.join(options.profile, 'vemla-port');
  const keptPort = portFile && fs.existsSync(portFile) ? Number(fs.readFileSync(portFile, 'utf8')) : 0;
  const server = await serve(options.dir, keptPort).catch((error) => {
    throw new Error(`cannot serve on 127.0.0.1:${keptPort} (${error.message})`);
  });
  if (portFile) {
    fs.mkdirSync(options.profile, { recursive: true });
    fs.writeFileSync(portFile, String(server.address().port));
  }
  const url = `http://127.0.0.1:${server.address().port}/${options.page}`;
  const keepProfile = options.profile !== undefined;
  const profile = keepProfile ? options.profile : fs.mkdtempSync(path.join(os.tmpdir(), 'vemla-chromium-'));
  const removeProfile = () => { if (!keepProfile) fs.rmSync(profile, { recursive: true, force: true }); };
  const flags = [
    '--remote-debugging-pipe', `--user-data-dir=${profile}`,
    // Nothing of Google's to reach, no proxy between it and 127.0.0.1.
    '--disable-background-networking', '--disable-component-update', '--disable-sync',
    '--no-first-run', '--disable-quic', '--no-proxy-server', '--disable-extensions',
    // WebGL from SwiftShader through ANGLE, the only GL a machine without a
    // GPU has; Chromium now asks for it to be allowed explicitly.
    '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
    // Audio makes no sound.
    '--mute-audio', '--disable-dev-shm-usage', `--window-size=${options.window.join(',')}`,
  ];
  // Audio may start without a click.
  if (!options.gestureForSound) flags.push('--autoplay-policy=no-user-gesture-required');
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
      removeProfile();
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
    console.log(`FAILED: ${options.page}\n  cut off after ${options.timeout + 60 + 40 * options.steps.length} s`);
    killBrowser();
    removeProfile();
    process.exit(1);
  }, (options.timeout + 60 + 40 * options.steps.length) * 1000);
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
    // The page's console lines in order, and those of the tabs it opened;
    // the downloads begun; what the page asks before it is left.
    const page = { lines: [] };
    const tabs = [];
    const browserEvents = new BrowserEvents(options, problems);
    cdp.on((message) => {
      const { method, params } = message;
      if (message.sessionId === undefined) {
        browserEvents.take(cdp, method, params);
        return;
      }
      const tab = tabs.find((t) => t.sessionId === message.sessionId);
      if (message.sessionId !== session && !tab) return;
      const where = tab ? 'tab ' : '';
      const lines = tab ? tab.lines : page.lines;
      if (method === 'Runtime.consoleAPICalled') {
        const text = messageText(params.args);
        console.log(`[${where}console.${params.type}] ${text}`);
        lines.push(text);
        if ((['error', 'assert'].includes(params.type) || GLError.test(text)) && !options.allowConsole)
          problems.push(`${where}console.${params.type}: ${text}`);
        if (tab) return;
        if (text.startsWith(options.until)) untilSeen(text);
        if (options.then !== undefined && text.startsWith(options.then)) thenSeen(text);
      } else if (method === 'Page.javascriptDialogOpening' && params.type === 'beforeunload') {
        page.asked = true;
        cdp.send('Page.handleJavaScriptDialog', { accept: true }, message.sessionId).catch(() => {});
      } else if (method === 'Page.fileChooserOpened' && !tab) {
        browserEvents.choose(cdp, params, session);
      } else if (method === 'Log.entryAdded') {
        const { level, source, text, url: where } = params.entry;
        if (level === 'verbose') return;
        console.log(`[${tab ? 'tab ' : ''}${source} ${level}] ${text}${where ? ` (${where})` : ''}`);
        if ((level === 'error' || GLError.test(text)) && !options.allowConsole)
          problems.push(`${tab ? 'tab ' : ''}${source} ${level}: ${text}`);
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
        console.log(`[${where}exception] ${text}`);
        problems.push(`${where}exception: ${text}`);
      }
    });
    const { targetId } = await cdp.send('Target.createTarget', { url: 'about:blank' });
    browserEvents.opener = targetId;
    browserEvents.attached = (tabSession) => tabs.push({ sessionId: tabSession, lines: [] });
    ({ sessionId: session } = await cdp.send('Target.attachToTarget', { targetId, flatten: true }));
    for (const domain of ['Runtime', 'Log', 'Page', 'Network']) await cdp.send(`${domain}.enable`, {}, session);
    await browserEvents.start(cdp, session);
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

    for (const step of options.steps) {
      console.log(`step: ${step.verb}${step.argument ? ` ${step.argument}` : ''}`);
      await Promise.race([runStep(step, { cdp, session, page, tabs, facts, canvasShot, pause, problems, browserEvents }),
                          endedEarly]);
    }
    await browserEvents.finishDownloads(pause);

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
    removeProfile();
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
