// The OpenGL renderer over WGL, falling back to GDI.
#include <windows.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstring>
#include <new>

#include "common/CScopedLock.h"
#include "emu/host/CRenderer_OpenGL.h"

namespace emu {

namespace {

constexpr GLint kMinTextureSize = 2048;
constexpr DWORD kPixelFormatFlags =
    PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER | PFD_GENERIC_ACCELERATED;

typedef BOOL(WINAPI* SwapIntervalSetter)(int interval);
typedef int(WINAPI* SwapIntervalGetter)();

inline HWND AsWindow(CRenderer::WindowHandle window) {
    return static_cast<HWND>(window);
}

bool HasExtension(const char* extensions, const char* name) {
    return extensions != nullptr && std::strstr(extensions, name) != nullptr;
}

} // namespace

CRenderer_OpenGL::CRenderer_OpenGL() = default;

CRenderer_OpenGL::~CRenderer_OpenGL() {
    common::CScopedLock present(GetPresentLock());
    common::CScopedLock frame(GetFrameLock());
    m_destroying = true;
    CRenderer_OpenGL::Close();
}

CRenderer* CRenderer_OpenGL::CreateInstance() {
    return new (std::nothrow) CRenderer_OpenGL();
}

bool CRenderer_OpenGL::HasDeviceContext() const {
    return m_gdiFallback ? CRenderer_WinGDI::HasDeviceContext() : m_glDeviceContext != nullptr;
}

void CRenderer_OpenGL::ReleaseGl() {
    wglMakeCurrent(nullptr, nullptr);
    if (m_glContext != nullptr)
        wglDeleteContext(static_cast<HGLRC>(m_glContext));
    m_glContext = nullptr;
    if (m_glDeviceContext != nullptr)
        ReleaseDC(AsWindow(m_window), static_cast<HDC>(m_glDeviceContext));
    m_glDeviceContext = nullptr;
    m_swapIntervalSetter = nullptr;
    m_swapIntervalGetter = nullptr;
}

bool CRenderer_OpenGL::Open() {
    if (m_gdiFallback)
        return CRenderer_WinGDI::Open();
    HWND window = AsWindow(m_window);
    bool usable = false;
    HDC dc = GetDC(window);
    m_glDeviceContext = dc;
    if (dc != nullptr) {
        PIXELFORMATDESCRIPTOR format = {};
        format.nSize = sizeof(PIXELFORMATDESCRIPTOR);
        format.nVersion = 1;
        format.dwFlags = kPixelFormatFlags;
        format.iPixelType = PFD_TYPE_RGBA;
        format.cColorBits = 32;
        format.iLayerType = PFD_MAIN_PLANE;
        const int index = ChoosePixelFormat(dc, &format);
        HGLRC context = nullptr;
        if (index != 0 && SetPixelFormat(dc, index, &format) != FALSE)
            context = wglCreateContext(dc);
        m_glContext = context;
        if (context != nullptr && wglMakeCurrent(dc, context) != FALSE) {
            GLint maxTextureSize = 0;
            glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize);
            const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
            if (maxTextureSize >= kMinTextureSize && HasExtension(extensions, "GL_ARB_texture_non_power_of_two") &&
                HasExtension(extensions, "GL_EXT_bgra")) {
                // Presents must not wait for the vertical blank: the swap
                // interval must be 0 and readable as 0.
                if (m_swapIntervalSetter == nullptr && HasExtension(extensions, "WGL_EXT_swap_control"))
                    m_swapIntervalSetter = reinterpret_cast<ProcAddress>(wglGetProcAddress("wglSwapIntervalEXT"));
                if (m_swapIntervalSetter != nullptr) {
                    reinterpret_cast<SwapIntervalSetter>(m_swapIntervalSetter)(0);
                    if (m_swapIntervalGetter == nullptr)
                        m_swapIntervalGetter =
                            reinterpret_cast<ProcAddress>(wglGetProcAddress("wglGetSwapIntervalEXT"));
                }
                SetVSync(m_swapIntervalGetter == nullptr ||
                         reinterpret_cast<SwapIntervalGetter>(m_swapIntervalGetter)() != 0);
                usable = !IsVSync(false);
            }
        }
    }
    if (usable) {
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        InvalidateRect(window, nullptr, FALSE);
        m_backgroundInvalid = true;
        return true;
    }
    ReleaseGl();
    const bool gdi = CRenderer_WinGDI::Open();
    m_backgroundInvalid = true;
    if (gdi)
        m_gdiFallback = true;
    return gdi;
}

void CRenderer_OpenGL::Close() {
    ReleaseGl();
    if (m_gdiFallback) {
        CRenderer_WinGDI::Close();
        m_gdiFallback = false; // the next Open tries OpenGL again
    }
}

bool CRenderer_OpenGL::FillBackground(const common::ARGB& colour) {
    if (m_gdiFallback)
        return CRenderer_WinGDI::FillBackground(colour);
    if (m_glDeviceContext == nullptr || m_glContext == nullptr)
        return false;
    const common::ARGB border = m_borderColour;
    glClearColor(((border >> 16) & 0xFF) / 255.0f, ((border >> 8) & 0xFF) / 255.0f, (border & 0xFF) / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    return true;
}

bool CRenderer_OpenGL::AllocateBuffers(bool checkClient, bool reallocate) {
    if (m_gdiFallback)
        return CRenderer_WinGDI::AllocateBuffers(checkClient, reallocate);
    bool result = true;
    if (reallocate) {
        m_rowPitch = 0;
        result = ReallocatePixels();
        m_viewportDirty = true;
    }
    if (checkClient) {
        m_backgroundInvalid = true;
        CRect client;
        if (!ReadClientRect(&client))
            return false;
        if (client.right != m_clientRect.right || client.bottom != m_clientRect.bottom) {
            m_clientRect = client;
            m_viewportDirty = true;
        }
    }
    return result;
}

void CRenderer_OpenGL::SetStretchMode(int32_t mode) {
    if (m_gdiFallback) {
        CRenderer_WinGDI::SetStretchMode(mode);
        return;
    }
    common::CScopedLock frame(GetFrameLock());
    if (mode != m_stretchMode) {
        m_frameDirty = true;
        m_viewportDirty = true;
    }
    m_stretchMode = mode;
}

void CRenderer_OpenGL::SetupViewport() {
    common::CScopedLock frame(GetFrameLock());
    m_viewportRect = m_clientRect;
    m_viewportAspect = m_aspectFactor;
    m_viewportDirty = false;
    const int32_t cw = m_viewportRect.right - m_viewportRect.left;
    const int32_t ch = m_viewportRect.bottom - m_viewportRect.top;
    glViewport(m_viewportRect.left, m_viewportRect.top, cw, ch);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, cw, 0.0, -ch);
    glTranslated(0.0, 1.0 - ch, 0.0);

    CRect output;
    double scaleX = 1.0;
    double scaleY = 1.0;
    CalculateOutputRect(m_viewportRect, m_width, m_height, m_aspectFactor, m_stretchMode, &output, &scaleX, &scaleY);
    const int32_t ow = output.right - output.left;
    const int32_t oh = output.bottom - output.top;

    // (0, ch - 1) is the window's bottom-left pixel under this projection; an
    // empty bitmap's move then carries the raster position to the output
    // rectangle's top-left corner, counted from the bottom.
    static const GLubyte kEmptyBitmap = 0;
    glRasterPos2i(0, ch - 1);
    glBitmap(1, 1, 0.0f, 0.0f, static_cast<GLfloat>(output.left), static_cast<GLfloat>(ch - output.top), &kEmptyBitmap);
    // Rows go downward, so pixel row 0 is drawn at the top.
    glPixelZoom(static_cast<GLfloat>(ow) / m_width, -static_cast<GLfloat>(oh) / m_height);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, m_width);
    m_backgroundInvalid = true;
}

bool CRenderer_OpenGL::Draw() {
    if (m_gdiFallback)
        return CRenderer_WinGDI::Draw();
    if (m_glDeviceContext == nullptr || m_glContext == nullptr)
        return false;
    HDC dc = static_cast<HDC>(m_glDeviceContext);
    HGLRC context = static_cast<HGLRC>(m_glContext);
    if (wglGetCurrentDC() != dc || wglGetCurrentContext() != context) {
        if (wglMakeCurrent(dc, context) == FALSE)
            return false;
        m_backgroundInvalid = false;
        FillBackground(m_borderColour);
    }
    if (m_pixelBuffer == nullptr) {
        FillBackground(m_borderColour);
    } else {
        {
            common::CScopedLock frame(GetFrameLock());
            if (m_viewportDirty || m_aspectFactor != m_viewportAspect)
                SetupViewport();
        }
        if (m_backgroundInvalid) {
            m_backgroundInvalid = false;
            FillBackground(m_borderColour);
        }
        glDrawPixels(m_width, m_height, GL_BGRA_EXT, GL_UNSIGNED_BYTE, m_pixelBuffer);
    }
    glFlush();
    SwapBuffers(dc);
    ShowCursor(FALSE);
    ShowCursor(TRUE);
    HWND window = AsWindow(m_window);
    InvalidateRect(window, nullptr, FALSE);
    ValidateRect(window, nullptr);
    return true;
}

} // namespace emu
