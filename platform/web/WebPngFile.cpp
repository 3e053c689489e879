// A page in a browser keeps no files of its own: a PNG it writes (an
// editor's scripted window shot or preview frame) is handed to the user as
// a download named after the file (vemlaDownload, of the pages' shared
// vemla-page.js), encoded by the browser's own canvas.
// It reads no PNG files: capture, which does, runs natively.
#include <emscripten.h>

#include "platform/PngFile.h"

namespace {
EM_JS(void, vemla_png_download, (const char* nameText, int width, int height, const unsigned char* rgb), {
  var canvas = document.createElement('canvas');
  canvas.width = width;
  canvas.height = height;
  var context = canvas.getContext('2d');
  var image = context.createImageData(width, height);
  // Rows come bottom first; the canvas's run top first.
  for (var y = 0; y < height; ++y) {
    var from = rgb + (height - 1 - y) * width * 3, to = y * width * 4;
    for (var x = 0; x < width; ++x) {
      image.data[to + x * 4] = HEAPU8[from + x * 3];
      image.data[to + x * 4 + 1] = HEAPU8[from + x * 3 + 1];
      image.data[to + x * 4 + 2] = HEAPU8[from + x * 3 + 2];
      image.data[to + x * 4 + 3] = 255;
    }
  }
  context.putImageData(image, 0, 0);
  var name = UTF8ToString(nameText);
  canvas.toBlob(function(blob) {
    vemlaDownload(blob, name);
    console.log('vemla: wrote ' + name + ' as a download');
  }, 'image/png');
});
}  // namespace

bool WritePngBottomUp(const std::string& path, int width, int height, const uint8_t* rgb, std::string& reason) {
  if (width <= 0 || height <= 0 || rgb == nullptr) {
    reason = "there is no picture";
    return false;
  }
  const size_t slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  vemla_png_download(name.c_str(), width, height, rgb);
  return true;
}

bool ReadPngImage(const uint8_t*, size_t, int&, int&, std::vector<uint8_t>&, std::string& reason) {
  reason = "a page in a browser reads no PNG files";
  return false;
}

bool ReadPngFile(const std::string&, int&, int&, std::vector<uint8_t>&, std::string& reason) {
  reason = "a page in a browser reads no PNG files";
  return false;
}
