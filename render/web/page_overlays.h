// The WebGL back end's overlays are the page's text over the canvas, kept crisp at any pixel
// ratio: these calls hand the page what this frame shows (page/redsphere_page.js draws it).
#pragma once

// "Loading..." while the map data is not there; the help; the frame rate when it is not negative;
// the tour's caption (overlay-font bytes, code page 1252) while title is not null, at its opacity.
// The page changes only what differs from the last call.
void ShowPageOverlays(bool loading, bool help, double framesPerSecond, const char* captionTitle,
                      const char* captionFacts, float captionOpacity);
// Which WebGL the page runs on (1 or 2) and whether it has depth textures, for the page's note.
void ShowPageBackEnd(int webglVersion, bool depthTextures);
