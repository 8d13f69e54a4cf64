// Pixel format choice and context creation with WGL and GLEW.
#include "shell/win32/wgl_context.h"

#include <GL/glew.h>
#include <GL/wglew.h>

namespace {

const wchar_t kProbeClass[] = L"Redsphere_DummyWndClass";
const wchar_t kCapabilityClass[] = L"Redsphere_GlProbeWndClass";

// 24-bit colour with alpha, 24-bit depth, double-buffered: the format when no multisample one is.
PIXELFORMATDESCRIPTOR ClassicDescriptor() {
  PIXELFORMATDESCRIPTOR pfd = {};
  pfd.nSize = sizeof pfd;
  pfd.nVersion = 1;
  pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  pfd.iPixelType = PFD_TYPE_RGBA;
  pfd.cColorBits = 24;
  pfd.cRedBits = 8;
  pfd.cGreenBits = 8;
  pfd.cBlueBits = 8;
  pfd.cAlphaBits = 8;
  pfd.cDepthBits = 24;
  return pfd;
}

// A hidden window of its own class (own device context) that a pixel format may be set on; the
// caller destroys it and unregisters the class. Null on failure.
HWND CreateHiddenGlWindow(HINSTANCE instance, const wchar_t* className) {
  WNDCLASSW windowClass = {};
  windowClass.style = CS_OWNDC;
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = className;
  RegisterClassW(&windowClass);
  return CreateWindowExW(0, className, L"", WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 0, nullptr,
                         nullptr, instance, nullptr);
}

// NOTE: wglChoosePixelFormatARB can only be had from a current context, and a window's pixel
// format can be set only once, so the search runs on a hidden window of its own.
int FindMultisamplePixelFormat(HINSTANCE instance) {
  HWND window = CreateHiddenGlWindow(instance, kProbeClass);
  int format = 0;
  if (window) {
    HDC dc = GetDC(window);
    PIXELFORMATDESCRIPTOR pfd;
    DescribePixelFormat(dc, 1, sizeof pfd, &pfd);
    if (SetPixelFormat(dc, 1, &pfd)) {
      HGLRC context = wglCreateContext(dc);
      if (context && wglMakeCurrent(dc, context)) {
        if (glewInit() == GLEW_OK && GLEW_VERSION_1_3 && WGLEW_ARB_pixel_format && WGLEW_ARB_multisample) {
          const int attributes[] = {WGL_SUPPORT_OPENGL_ARB, 1,
                                    WGL_DRAW_TO_WINDOW_ARB, 1,
                                    WGL_DOUBLE_BUFFER_ARB, 1,
                                    WGL_ACCELERATION_ARB, WGL_FULL_ACCELERATION_ARB,
                                    WGL_PIXEL_TYPE_ARB, WGL_TYPE_RGBA_ARB,
                                    WGL_RED_BITS_ARB, 8,
                                    WGL_GREEN_BITS_ARB, 8,
                                    WGL_BLUE_BITS_ARB, 8,
                                    WGL_ALPHA_BITS_ARB, 8,
                                    WGL_DEPTH_BITS_ARB, 24,
                                    WGL_SAMPLE_BUFFERS_ARB, 1,
                                    WGL_SAMPLES_ARB, 4,
                                    0};
          UINT found = 0;
          if (!wglChoosePixelFormatARB(dc, attributes, nullptr, 1, &format, &found) || found == 0) format = 0;
        }
        wglMakeCurrent(nullptr, nullptr);
      }
      if (context) wglDeleteContext(context);
    }
    ReleaseDC(window, dc);
    DestroyWindow(window);
  }
  UnregisterClassW(kProbeClass, instance);
  return format;
}

}  // namespace

HGLRC CreateSaverContext(HINSTANCE instance, HDC dc) {
  const int multisample = FindMultisamplePixelFormat(instance);
  PIXELFORMATDESCRIPTOR pfd = ClassicDescriptor();
  int format = multisample;
  if (format == 0) format = ChoosePixelFormat(dc, &pfd);
  else DescribePixelFormat(dc, format, sizeof pfd, &pfd);
  if (format == 0 || !SetPixelFormat(dc, format, &pfd)) return nullptr;
  HGLRC context = wglCreateContext(dc);
  if (!context) return nullptr;
  if (!wglMakeCurrent(dc, context) || glewInit() != GLEW_OK) {
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(context);
    return nullptr;
  }
  return context;
}

void DeleteSaverContext(HGLRC context) {
  wglMakeCurrent(nullptr, nullptr);
  if (context) wglDeleteContext(context);
}

bool ProbeSaverGl(HINSTANCE instance, int32_t* maxTextureSize, bool* version14) {
  HWND window = CreateHiddenGlWindow(instance, kCapabilityClass);
  bool probed = false;
  if (window) {
    HDC dc = GetDC(window);
    if (HGLRC context = CreateSaverContext(instance, dc)) {
      GLint size = 0;
      glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
      *maxTextureSize = size;
      *version14 = GLEW_VERSION_1_4;
      DeleteSaverContext(context);
      probed = true;
    }
    ReleaseDC(window, dc);
    DestroyWindow(window);
  }
  UnregisterClassW(kCapabilityClass, instance);
  return probed;
}
