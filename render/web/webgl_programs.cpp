// The shader programs of the WebGL back end. The surface program reproduces what the fixed-function
// drawing of the native program computes: lighting per vertex with a local viewer and a directional
// sun, the colour clamped before it is interpolated, the texture modulating it, the specular added
// after the texture for the sea, the alpha test, and the shadow comparison (a depth texture read
// and compared here, as WebGL 1 has no comparison sampler).
#include "render/web/webgl_programs.h"

#include "platform/failure_report.h"

namespace {

const char kSkyVertex[] = R"(
attribute vec3 aPosition;
attribute vec4 aColour;
attribute vec2 aTexCoord;
uniform mat4 uMatrix;
uniform mediump float uPointSize;  // as the fragment shader declares it
varying vec4 vColour;
varying vec2 vTexCoord;
void main() {
  gl_Position = uMatrix * vec4(aPosition, 1.0);
  gl_PointSize = max(uPointSize, 1.0);
  vColour = aColour;
  vTexCoord = aTexCoord;
})";

// Stars are round: each point's coverage falls off over the pixel at its rim, as smooth points do.
const char kSkyFragment[] = R"(
precision mediump float;
uniform float uPointSize;
uniform sampler2D uTexture;
varying vec4 vColour;
varying vec2 vTexCoord;
void main() {
  if (uPointSize > 0.0) {
    float rim = length(gl_PointCoord - vec2(0.5)) * uPointSize;
    float cover = clamp(0.5 * uPointSize + 0.5 - rim, 0.0, 1.0);
    gl_FragColor = vec4(vColour.rgb, vColour.a * cover);
  } else {
    gl_FragColor = texture2D(uTexture, vTexCoord);
  }
})";

const char kSurfaceVertex[] = R"(
attribute vec3 aPosition;
attribute vec3 aNormal;
attribute vec4 aColour;
attribute vec2 aTexCoord;
uniform mat4 uProjection, uView, uShadowMatrix;
uniform mat3 uNormalMatrix;
uniform vec3 uLightDirection;
uniform float uAmbient, uDiffuse, uSpecular, uShininess, uDarkDiffuse;
uniform bool uUseVertexColour;
uniform vec4 uColour;
varying vec4 vLit;
varying vec4 vDark;
varying vec3 vSpecular;
varying vec2 vTexCoord;
varying vec4 vShadowCoord;
void main() {
  vec4 eye = uView * vec4(aPosition, 1.0);
  vec3 n = normalize(uNormalMatrix * aNormal);
  vec3 l = normalize(uLightDirection);
  float nl = max(dot(n, l), 0.0);
  vec3 h = normalize(l + normalize(-eye.xyz));
  float highlight = nl > 0.0 ? pow(max(dot(n, h), 0.0), uShininess) : 0.0;
  vec4 c = uUseVertexColour ? aColour : uColour;
  vLit = vec4(clamp(c.rgb * (uAmbient + uDiffuse * nl), 0.0, 1.0), c.a);
  vDark = vec4(clamp(c.rgb * (uAmbient + uDarkDiffuse * nl), 0.0, 1.0), c.a);
  vSpecular = vec3(uSpecular * highlight);
  vTexCoord = aTexCoord;
  vShadowCoord = uShadowMatrix * vec4(aPosition, 1.0);
  gl_Position = uProjection * eye;
})";

const char kSurfaceFragment[] = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
uniform bool uUseTexture, uSeparateSpecular, uShadowed;
uniform sampler2D uTexture, uShadowMap;
uniform float uDiscardAlpha, uLitAlpha;
varying vec4 vLit;
varying vec4 vDark;
varying vec3 vSpecular;
varying vec2 vTexCoord;
varying vec4 vShadowCoord;
void main() {
  vec4 texel = uUseTexture ? texture2D(uTexture, vTexCoord, -1.5) : vec4(1.0);
  vec4 colour = vLit;
  vec3 specular = vSpecular;
  if (uShadowed) {
    vec3 p = vShadowCoord.xyz / vShadowCoord.w;
    bool reached = p.z <= texture2D(uShadowMap, p.xy).r;
    if (!(reached && vLit.a * texel.a > uLitAlpha)) {
      colour = vDark;
      specular = vec3(0.0);
    }
  }
  if (colour.a * texel.a <= uDiscardAlpha) discard;
  if (uSeparateSpecular) {
    gl_FragColor = vec4(min(colour.rgb * texel.rgb + specular, 1.0), colour.a * texel.a);
  } else {
    gl_FragColor = vec4(min(colour.rgb + specular, 1.0) * texel.rgb, colour.a * texel.a);
  }
})";

const char kDepthVertex[] = R"(
attribute vec3 aPosition;
attribute vec2 aTexCoord;
uniform mat4 uMatrix;
varying vec2 vTexCoord;
void main() {
  gl_Position = uMatrix * vec4(aPosition, 1.0);
  vTexCoord = aTexCoord;
})";

const char kDepthFragment[] = R"(
precision mediump float;
uniform bool uUseTexture;
uniform sampler2D uTexture;
uniform float uFade, uAlphaRef;
varying vec2 vTexCoord;
void main() {
  if (uUseTexture && texture2D(uTexture, vTexCoord).a * uFade <= uAlphaRef) discard;
  gl_FragColor = vec4(1.0);
})";

// The object when WebGL built it; else 0, with WebGL's reason in one line, and the object deleted.
GLuint Built(GLuint object, bool program, const char* name) {
  GLint ok = 0;
  if (program) glGetProgramiv(object, GL_LINK_STATUS, &ok);
  else glGetShaderiv(object, GL_COMPILE_STATUS, &ok);
  if (ok) return object;
  char log[512] = {};
  if (program) glGetProgramInfoLog(object, sizeof log, nullptr, log);
  else glGetShaderInfoLog(object, sizeof log, nullptr, log);
  ReportFailure("the %s shaders do not build on this WebGL: %s", name, log);
  if (program) glDeleteProgram(object);
  else glDeleteShader(object);
  return 0;
}

GLuint Compile(GLenum kind, const char* source, const char* name) {
  const GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  return Built(shader, false, name);
}

GLuint Link(const char* vertexSource, const char* fragmentSource, const char* name) {
  const GLuint vertex = Compile(GL_VERTEX_SHADER, vertexSource, name);
  const GLuint fragment = Compile(GL_FRAGMENT_SHADER, fragmentSource, name);
  if (!vertex || !fragment) return 0;
  const GLuint program = glCreateProgram();
  glAttachShader(program, vertex);
  glAttachShader(program, fragment);
  // One layout for every program, so a slot's arrays are pointed at once for all of them.
  glBindAttribLocation(program, kPositionAttribute, "aPosition");
  glBindAttribLocation(program, kNormalAttribute, "aNormal");
  glBindAttribLocation(program, kColourAttribute, "aColour");
  glBindAttribLocation(program, kTexCoordAttribute, "aTexCoord");
  glLinkProgram(program);
  glDeleteShader(vertex);
  glDeleteShader(fragment);
  return Built(program, true, name);
}

void Locate(SurfaceProgram& s) {
  const GLuint p = s.program;
  s.projection = glGetUniformLocation(p, "uProjection");
  s.view = glGetUniformLocation(p, "uView");
  s.normalMatrix = glGetUniformLocation(p, "uNormalMatrix");
  s.lightDirection = glGetUniformLocation(p, "uLightDirection");
  s.ambient = glGetUniformLocation(p, "uAmbient");
  s.diffuse = glGetUniformLocation(p, "uDiffuse");
  s.specular = glGetUniformLocation(p, "uSpecular");
  s.shininess = glGetUniformLocation(p, "uShininess");
  s.darkDiffuse = glGetUniformLocation(p, "uDarkDiffuse");
  s.useVertexColour = glGetUniformLocation(p, "uUseVertexColour");
  s.colour = glGetUniformLocation(p, "uColour");
  s.useTexture = glGetUniformLocation(p, "uUseTexture");
  s.texture = glGetUniformLocation(p, "uTexture");
  s.separateSpecular = glGetUniformLocation(p, "uSeparateSpecular");
  s.discardAlpha = glGetUniformLocation(p, "uDiscardAlpha");
  s.shadowed = glGetUniformLocation(p, "uShadowed");
  s.shadowMatrix = glGetUniformLocation(p, "uShadowMatrix");
  s.shadowMap = glGetUniformLocation(p, "uShadowMap");
  s.litAlpha = glGetUniformLocation(p, "uLitAlpha");
}

}  // namespace

bool CreateWebGlPrograms(WebGlPrograms& programs) {
  SkyProgram& sky = programs.sky;
  sky.program = Link(kSkyVertex, kSkyFragment, "sky");
  SurfaceProgram& surface = programs.surface;
  surface.program = Link(kSurfaceVertex, kSurfaceFragment, "surface");
  DepthProgram& depth = programs.depth;
  depth.program = Link(kDepthVertex, kDepthFragment, "shadow depth");
  if (!sky.program || !surface.program || !depth.program) return false;
  sky.matrix = glGetUniformLocation(sky.program, "uMatrix");
  sky.pointSize = glGetUniformLocation(sky.program, "uPointSize");
  sky.texture = glGetUniformLocation(sky.program, "uTexture");
  Locate(surface);
  depth.matrix = glGetUniformLocation(depth.program, "uMatrix");
  depth.useTexture = glGetUniformLocation(depth.program, "uUseTexture");
  depth.texture = glGetUniformLocation(depth.program, "uTexture");
  depth.fade = glGetUniformLocation(depth.program, "uFade");
  depth.alphaRef = glGetUniformLocation(depth.program, "uAlphaRef");
  // Samplers never change unit: the pass's texture on 0, the shadow map on 1.
  glUseProgram(surface.program);
  glUniform1i(surface.texture, 0);
  glUniform1i(surface.shadowMap, 1);
  glUseProgram(0);
  return true;
}

void DeleteWebGlPrograms(WebGlPrograms& programs) {
  glDeleteProgram(programs.sky.program);
  glDeleteProgram(programs.surface.program);
  glDeleteProgram(programs.depth.program);
  programs = WebGlPrograms{};
}
