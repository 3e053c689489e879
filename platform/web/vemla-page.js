// What the site's pages (the player's index.html and the editor's
// edit.html) share: the check for WebGL 2, scripts loaded one after another,
// downloads, and the browser's storage.
//
// The storage is IndexedDB, which keeps what is put there across reloads
// and restarts of the browser: one database, "vemla", with one object store
// of records by name:
//   "unsaved"  the editor's unsaved text, { path, base, text, time }: the
//              document's path in the program's folders, the file's bytes
//              it was edited from, the unsaved bytes, when (ms since 1970)
//   "track"    the edited show compiled for the player (a track file's bytes)
// Each call waits for its transaction to be committed. Calls run in the
// order they are made.
'use strict';
const VemlaStorage = (() => {
  let opened = null;
  const database = () => {
    opened = opened || new Promise((resolve, reject) => {
      const request = indexedDB.open('vemla', 1);
      request.onupgradeneeded = () => request.result.createObjectStore('files');
      request.onsuccess = () => resolve(request.result);
      request.onerror = () => reject(request.error);
    });
    return opened;
  };
  // Runs one request on the store and resolves with its result once the
  // transaction is committed.
  const run = (mode, use) => database().then((db) => new Promise((resolve, reject) => {
    const transaction = db.transaction('files', mode);
    const request = use(transaction.objectStore('files'));
    transaction.oncomplete = () => resolve(request.result);
    transaction.onerror = () => reject(transaction.error);
    transaction.onabort = () => reject(transaction.error || new Error('the storage refused the change'));
  }));
  return {
    get: (name) => run('readonly', (store) => store.get(name)),
    put: (name, value) => run('readwrite', (store) => store.put(value, name)),
    remove: (name) => run('readwrite', (store) => store.delete(name)),
  };
})();

// Whether the browser offers WebGL 2, which the programs draw with.
function webgl2Offered() {
  try {
    return !!document.createElement('canvas').getContext('webgl2');
  } catch (error) {
    return false;
  }
}

// Hands the blob to the user as a download named name.
function vemlaDownload(blob, name) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(blob);
  link.download = name;
  document.body.appendChild(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
}

// Loads the scripts one after another, each once the one before it has run;
// failed(name) where one cannot be loaded, and nothing after it.
function loadScripts(names, failed) {
  if (!names.length) return;
  const script = document.createElement('script');
  script.src = names[0];
  script.onload = () => loadScripts(names.slice(1), failed);
  script.onerror = () => failed(names[0]);
  document.body.appendChild(script);
}
