// The WebGL back end's three shader programs (GLSL ES 1.00, which WebGL 1 and 2 both compile) and
// where their inputs are: the sky (round stars and the sun's square), the lit surface (vertex
// colours or a texture, the fixed-function lighting per vertex, the separate specular, the alpha
// test and the shadow map's comparison) and the depth from the sun.
#pragma once

#include <GLES2/gl2.h>

// Vertex attribute slots, the same in every program (bound before linking).
enum WebGlAttribute : GLuint { kPositionAttribute, kNormalAttribute, kColourAttribute, kTexCoordAttribute };

struct SkyProgram {
  GLuint program;
  GLint matrix;     // projection x sky view (x the stars' turn)
  GLint pointSize;  // 0 for the sun's square, which is textured
  GLint texture;
};

struct SurfaceProgram {
  GLuint program;
  GLint projection, view, normalMatrix;  // rows turned to columns; normalMatrix is the view's rotation
  GLint lightDirection;                  // towards the sun, in eye space
  GLint ambient, diffuse, specular, shininess, darkDiffuse;
  GLint useVertexColour, colour;         // else the constant colour (white, or the clouds' fade)
  GLint useTexture, texture;
  GLint separateSpecular;                // the highlight added after the texture (the sea)
  GLint discardAlpha;                    // fragments whose alpha is not above this are not drawn
  GLint shadowed, shadowMatrix, shadowMap;
  GLint litAlpha;                        // shadowed drawing: lit only where the sun reaches and alpha is above this
};

struct DepthProgram {
  GLuint program;
  GLint matrix;       // shadow projection x light view
  GLint useTexture;   // the clouds: only texels above the alpha below cast shadows
  GLint texture, fade, alphaRef;
};

struct WebGlPrograms {
  SkyProgram sky;
  SurfaceProgram surface;
  DepthProgram depth;
};

// Compiles and links the three programs; false, with the compiler's line reported, when one fails.
bool CreateWebGlPrograms(WebGlPrograms& programs);
void DeleteWebGlPrograms(WebGlPrograms& programs);
