// The overlays handed to the page's script, which owns the text elements over the canvas.
#include "render/web/page_overlays.h"

#include <emscripten/emscripten.h>

#include <cstring>

// NOTE: Module.redspherePage is set by the page's script before the program starts; the
// captions' bytes are code page 1252, which the page decodes with TextDecoder("windows-1252").
EM_JS(void, PageOverlays, (int loading, int help, double fps, const char* title, int titleLength, const char* facts,
                           int factsLength, double opacity), {
  const page = Module.redspherePage;
  if (!page) return;
  const text = (p, n) => p ? new TextDecoder("windows-1252").decode(HEAPU8.subarray(p, p + n)) : "";
  page.overlays(!!loading, !!help, fps, text(title, titleLength), text(facts, factsLength), opacity);
});

EM_JS(void, PageBackEnd, (int version, int depthTextures), {
  if (Module.redspherePage) Module.redspherePage.backEnd(version, !!depthTextures);
});

void ShowPageOverlays(bool loading, bool help, double framesPerSecond, const char* captionTitle,
                      const char* captionFacts, float captionOpacity) {
  const int titleLength = captionTitle ? static_cast<int>(std::strlen(captionTitle)) : 0;
  const int factsLength = captionTitle && captionFacts ? static_cast<int>(std::strlen(captionFacts)) : 0;
  PageOverlays(loading, help, framesPerSecond, captionTitle, titleLength, captionTitle ? captionFacts : nullptr,
               factsLength, captionOpacity);
}

void ShowPageBackEnd(int webglVersion, bool depthTextures) { PageBackEnd(webglVersion, depthTextures); }
