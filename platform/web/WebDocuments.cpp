// The documents of a page in a browser (DocumentBackend.h). A document the
// program reads lies in its own folders: the page's package holds the one
// it opens with, and a timeline the user picks is put under /documents.
// Saving hands the text to the browser: written to the file the user
// opened or saved it as before (the File System Access API's handle), else
// through the browser's file-saving picker (showSaveFilePicker, Chromium's),
// else as a download. The unsaved text goes into the browser's storage
// (IndexedDB through vemla-storage.js, which the page loads), one record
// "unsaved" with the document's path, the file's text it was edited from
// and the unsaved text; the page hands the record it found when it opened
// as Module.vemlaKept, having put the file it was edited from back in
// place, and asks before the tab is left while Module.vemlaDocuments.unsaved
// says there are unsaved edits. A track for the player is kept as the
// record "track" and the player's page is opened on it
// (index.html?track=local).
//
// What waits on the user answers through a queue of [kind, path, note]
// that the program takes a frame at a time; the kinds are
// TDocumentAnswer::Kind's values.
#include <emscripten.h>

#include <filesystem>
#include <system_error>

#include "platform/DocumentBackend.h"
#include "platform/WholeFile.h"

namespace {
// The page's side: the answers, the files' handles by path, the kept
// record, and the writing and storing every call shares.
EM_JS(void, vemla_documents_start, (), {
  var docs = Module['vemlaDocuments'] = {
    answers: [], handles: {}, unsaved: false, kept: Module['vemlaKept'] || null,
    // A note's control characters (tabs and breaks, which part an answer's
    // fields) become spaces.
    answer: function(kind, path, note) {
      docs.answers.push([kind, path, String(note).split("").map(function(c) { return c < ' ' ? ' ' : c; }).join("")]);
    },
    write: function(handle, bytes) {
      return handle.createWritable().then(function(out) {
        return out.write(bytes).then(function() { return out.close(); });
      });
    },
    // A file the user picked, put where the program reads it.
    take: function(name, buffer, handle) {
      var path = '/documents/' + name;
      FS.mkdirTree('/documents');
      FS.writeFile(path, new Uint8Array(buffer));
      if (handle) docs.handles[path] = handle; else delete docs.handles[path];
      docs.answer(2, path, name);
    },
    types: [{ description: 'Vemla timeline', accept: { 'text/plain': ['.timeline'] } }],
  };
});

// 0: saved as a download; 1: waiting on the browser's file-saving picker;
// 2: being written to the file it was opened from or saved as before.
EM_JS(int, vemla_documents_save, (const char* pathText, const char* nameText, const char* bytes, int length), {
  var docs = Module['vemlaDocuments'], path = UTF8ToString(pathText), name = UTF8ToString(nameText);
  var data = HEAPU8.slice(bytes, bytes + length);
  var handle = docs.handles[path];
  if (handle) {
    docs.write(handle, data).then(function() { docs.answer(0, path, handle.name + ', the file it came from'); },
                                  function(error) { docs.answer(1, path, error.message); });
    return 2;
  }
  if (typeof window.showSaveFilePicker === 'function') {
    window.showSaveFilePicker({ suggestedName: name, types: docs.types }).then(function(chosen) {
      return docs.write(chosen, data).then(function() {
        var target = '/documents/' + chosen.name;
        docs.handles[target] = chosen;
        docs.answer(0, target, chosen.name + ' where it was chosen (later saves go there too)');
      });
    }).catch(function(error) {
      docs.answer(1, path, error.name === 'AbortError' ? 'the save dialog was closed' : error.message);
    });
    return 1;
  }
  vemlaDownload(new Blob([data], { type: 'application/octet-stream' }), name);
  console.log('vemla-edit: saved ' + name + ' as a download');
  return 0;
});

// The next answer's length in bytes (its fields joined by tabs), -1 for none;
// then the answer itself, taken off the queue.
EM_JS(int, vemla_documents_answer_length, (), {
  var docs = Module['vemlaDocuments'];
  return docs.answers.length ? lengthBytesUTF8(docs.answers[0].join('\t')) : -1;
});
EM_JS(void, vemla_documents_take_answer, (char* into, int size), {
  stringToUTF8(Module['vemlaDocuments'].answers.shift().join('\t'), into, size);
});

EM_JS(void, vemla_documents_pick, (), {
  var docs = Module['vemlaDocuments'];
  if (typeof window.showOpenFilePicker === 'function') {
    window.showOpenFilePicker({ types: docs.types }).then(function(handles) {
      return handles[0].getFile().then(function(file) { return file.arrayBuffer(); }).then(function(buffer) {
        docs.take(handles[0].name, buffer, handles[0]);
      });
    }).catch(function(error) {
      if (error.name !== 'AbortError') console.warn('vemla-edit: cannot open the file: ' + error.message);
    });
    return;
  }
  if (!docs.input) {
    docs.input = document.createElement('input');
    docs.input.type = 'file';
    docs.input.accept = '.timeline,text/plain';
    docs.input.style.display = 'none';
    document.body.appendChild(docs.input);
    docs.input.addEventListener('change', function() {
      var file = docs.input.files[0];
      docs.input.value = "";
      if (file) file.arrayBuffer().then(function(buffer) { docs.take(file.name, buffer, null); });
    });
  }
  docs.input.click();
});

EM_JS(void, vemla_documents_keep, (const char* pathText, const char* bytes, int length), {
  var docs = Module['vemlaDocuments'], path = UTF8ToString(pathText), base = null;
  try {
    base = FS.readFile(path);
  } catch (error) {
    // A document not yet written anywhere: there is no file to edit from.
  }
  docs.kept = { path: path, base: base, text: HEAPU8.slice(bytes, bytes + length), time: Date.now() };
  VemlaStorage.put('unsaved', docs.kept).then(function() {
    console.log('vemla-edit: the unsaved edits are kept in this browser');
  }, function(error) { docs.answer(3, path, error.message || String(error)); });
});
// The kept text's length for the document, -1 where none is kept for it;
// then its bytes.
EM_JS(int, vemla_documents_kept_length, (const char* pathText), {
  var kept = Module['vemlaDocuments'].kept;
  return kept && kept.path === UTF8ToString(pathText) ? kept.text.length : -1;
});
EM_JS(void, vemla_documents_kept_copy, (char* into), { HEAPU8.set(Module['vemlaDocuments'].kept.text, into); });
EM_JS(void, vemla_documents_discard, (const char* pathText), {
  var docs = Module['vemlaDocuments'];
  if (!docs.kept || docs.kept.path !== UTF8ToString(pathText)) return;
  docs.kept = null;
  VemlaStorage.remove('unsaved').catch(function(error) {
    console.warn('vemla-edit: cannot remove the kept edits: ' + error.message);
  });
});
EM_JS(void, vemla_documents_note_unsaved, (int unsaved), { Module['vemlaDocuments'].unsaved = !!unsaved; });

// Opens the player's page in a tab of its own (the same one each time)
// once the track is stored.
EM_JS(void, vemla_documents_play, (const char* bytes, int length), {
  var docs = Module['vemlaDocuments'];
  VemlaStorage.put('track', HEAPU8.slice(bytes, bytes + length)).then(function() {
    if (!window.open('index.html?track=local', 'vemla-show'))
      docs.answer(4, "", 'the browser did not open the player: allow this page pop-ups');
    else
      console.log('vemla-edit: the edited show opens in the player');
  }, function(error) { docs.answer(4, "", error.message || String(error)); });
});

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

class TPageDocuments final : public DocumentBackend {
 public:
  TSaveStart Save(const std::string& path, const std::string& text, std::string& note) override {
    Start();
    const std::string name = FileNameOf(path);
    const int how = vemla_documents_save(path.c_str(), name.c_str(), text.data(), static_cast<int>(text.size()));
    if (how == 0) {
      // The program's copy is the file as saved, as a desktop's would be.
      if (!ReplaceFile(path, text, false, note)) return TSaveStart::Failed;
      note = name + " as a download (into the browser's downloads)";
      return TSaveStart::Saved;
    }
    Pending = text;
    note = how == 1 ? "Saving " + name + ": choose where in the browser's dialog" : "Saving " + name + " ...";
    return TSaveStart::Waiting;
  }

  std::optional<TDocumentAnswer> TakeAnswer() override {
    Start();
    const int length = vemla_documents_answer_length();
    if (length < 0) return std::nullopt;
    std::string fields(static_cast<size_t>(length) + 1, '\0');
    vemla_documents_take_answer(fields.data(), length + 1);
    fields.resize(static_cast<size_t>(length));
    const size_t tab = fields.find('\t'), second = fields.find('\t', tab + 1);
    TDocumentAnswer answer;
    answer.Type = static_cast<TDocumentAnswer::Kind>(std::stoi(fields.substr(0, tab)));
    answer.Path = fields.substr(tab + 1, second - tab - 1);
    answer.Note = fields.substr(second + 1);
    if (answer.Type == TDocumentAnswer::Saved && Pending) {
      // Saved where the user chose: the program's copy follows there.
      std::error_code ignored;
      std::filesystem::create_directories(std::filesystem::path(answer.Path).parent_path(), ignored);
      std::string reason;
      if (!ReplaceFile(answer.Path, *Pending, false, reason)) {
        answer.Type = TDocumentAnswer::NotSaved;
        answer.Note = "saved, but the page's copy cannot be written: " + reason;
      }
    }
    if (answer.Type == TDocumentAnswer::Saved || answer.Type == TDocumentAnswer::NotSaved) Pending.reset();
    return answer;
  }

  // The File System Access API's picker, or a file input where there is none.
  bool PickerOffered() override { return true; }
  void PickToOpen() override {
    Start();
    vemla_documents_pick();
  }

  std::string UnsavedPlace(const std::string&) override { return "this browser's storage"; }
  bool KeepUnsaved(const std::string& path, const std::string& text, std::string&) override {
    Start();
    vemla_documents_keep(path.c_str(), text.data(), static_cast<int>(text.size()));
    return true;
  }
  std::optional<std::string> Unsaved(const std::string& path) override {
    Start();
    const int length = vemla_documents_kept_length(path.c_str());
    if (length < 0) return std::nullopt;
    std::string text(static_cast<size_t>(length), '\0');
    if (length > 0) vemla_documents_kept_copy(text.data());
    return text;
  }
  void DiscardUnsaved(const std::string& path) override {
    Start();
    vemla_documents_discard(path.c_str());
  }
  void NoteUnsaved(const std::string&, bool unsaved) override {
    Start();
    vemla_documents_note_unsaved(unsaved ? 1 : 0);
  }

  bool PlayerOffered() override { return true; }
  bool PlayTrack(const std::vector<uint8_t>& track, std::string&) override {
    Start();
    vemla_documents_play(reinterpret_cast<const char*>(track.data()), static_cast<int>(track.size()));
    return true;
  }

 private:
  void Start() {
    if (Started) return;
    Started = true;
    vemla_documents_start();
  }
  bool Started = false;
  std::optional<std::string> Pending;  // the text of the save under way
};

TPageDocuments Page;
DocumentBackend* Current = &Page;
}  // namespace

DocumentBackend& CurrentDocumentBackend() { return *Current; }
void SetDocumentBackend(DocumentBackend* backend) { Current = backend != nullptr ? backend : &Page; }
