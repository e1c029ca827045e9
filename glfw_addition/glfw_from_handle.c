// glfwCreateWindowFromHandle, compiled into the library against its internal
// headers. It follows glfwCreateWindow (window.c) and
// _glfwPlatformCreateWindow (win32_window.c), minus the native window's
// creation: the record is built around a window that already exists.
#include "internal.h"

#include <stdlib.h>

#include "glfw_from_handle.h"

// The library's window procedure is static in win32_window.c, but it is the
// procedure of the window class the library registers at initialisation.
static WNDPROC libraryWindowProc(void)
{
    WNDCLASSEXW wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(_glfw.win32.instance, _GLFW_WNDCLASSNAME, &wc))
        return NULL;
    return wc.lpfnWndProc;
}

GLFWAPI GLFWwindow* glfwCreateWindowFromHandle(HWND handle, GLFWwindow* share)
{
    _GLFWfbconfig fbconfig;
    _GLFWctxconfig ctxconfig;
    _GLFWwndconfig wndconfig;
    _GLFWwindow* window;
    WNDPROC procedure;
    LONG_PTR previous;
    LONG style, exStyle;

    _GLFW_REQUIRE_INIT_OR_RETURN(NULL);

    fbconfig  = _glfw.hints.framebuffer;
    ctxconfig = _glfw.hints.context;
    wndconfig = _glfw.hints.window;
    ctxconfig.share = (_GLFWwindow*) share;

    if (ctxconfig.share)
    {
        if (ctxconfig.client == GLFW_NO_API ||
            ctxconfig.share->context.client == GLFW_NO_API)
        {
            _glfwInputError(GLFW_NO_WINDOW_CONTEXT, NULL);
            return NULL;
        }
    }

    if (!_glfwIsValidContextConfig(&ctxconfig))
        return NULL;

    // A handle that names no window would leave the record without a window
    // to draw into (and GetDC of it gives the whole screen)
    if (!handle || !IsWindow(handle))
    {
        _glfwInputError(GLFW_INVALID_VALUE, "Win32: Not a window handle");
        return NULL;
    }

    procedure = libraryWindowProc();
    if (!procedure)
    {
        _glfwInputErrorWin32(GLFW_PLATFORM_ERROR,
                             "Win32: Failed to find the library's window procedure");
        return NULL;
    }

    window = calloc(1, sizeof(_GLFWwindow));
    window->next = _glfw.windowListHead;
    _glfw.windowListHead = window;

    window->autoIconify = wndconfig.autoIconify;
    window->cursorMode  = GLFW_CURSOR_NORMAL;

    window->minwidth    = GLFW_DONT_CARE;
    window->minheight   = GLFW_DONT_CARE;
    window->maxwidth    = GLFW_DONT_CARE;
    window->maxheight   = GLFW_DONT_CARE;
    window->numer       = GLFW_DONT_CARE;
    window->denom       = GLFW_DONT_CARE;

    window->win32.handle = handle;
    SetPropW(handle, L"GLFW", window);

    // Windows refuses to replace the procedure of another process's window;
    // such a record could never see a message, so it is not made.
    // SetWindowLongPtrW answers 0 both for a failure and for a null previous
    // procedure: only the error code tells them apart.
    window->win32.adopted = GLFW_TRUE;
    window->win32.oldWindowProc = (WNDPROC) GetWindowLongPtrW(handle, GWLP_WNDPROC);
    SetLastError(0);
    previous = SetWindowLongPtrW(handle, GWLP_WNDPROC, (LONG_PTR) procedure);
    if (!previous && GetLastError() != 0)
    {
        _glfwInputErrorWin32(GLFW_PLATFORM_ERROR,
                             "Win32: Failed to take over the window's procedure");
        // Nothing was replaced, so nothing is put back
        window->win32.oldWindowProc = (WNDPROC) GetWindowLongPtrW(handle, GWLP_WNDPROC);
        glfwDestroyWindow((GLFWwindow*) window);
        return NULL;
    }

    style   = GetWindowLongW(handle, GWL_STYLE);
    exStyle = GetWindowLongW(handle, GWL_EXSTYLE);
    window->resizable = (style & WS_THICKFRAME) ? GLFW_TRUE : GLFW_FALSE;
    window->decorated = (style & (WS_BORDER | WS_THICKFRAME)) ? GLFW_TRUE : GLFW_FALSE;
    window->floating  = (exStyle & WS_EX_TOPMOST) ? GLFW_TRUE : GLFW_FALSE;
    window->win32.maximized = IsZoomed(handle) ? GLFW_TRUE : GLFW_FALSE;
    window->win32.iconified = IsIconic(handle) ? GLFW_TRUE : GLFW_FALSE;

    if (ctxconfig.client != GLFW_NO_API)
    {
        GLFWbool created = GLFW_FALSE;

        if (ctxconfig.source == GLFW_NATIVE_CONTEXT_API)
        {
            created = _glfwInitWGL() &&
                      _glfwCreateContextWGL(window, &ctxconfig, &fbconfig);
        }
        else if (ctxconfig.source == GLFW_EGL_CONTEXT_API)
        {
            created = _glfwInitEGL() &&
                      _glfwCreateContextEGL(window, &ctxconfig, &fbconfig);
        }
        else if (ctxconfig.source == GLFW_OSMESA_CONTEXT_API)
        {
            created = _glfwInitOSMesa() &&
                      _glfwCreateContextOSMesa(window, &ctxconfig, &fbconfig);
        }

        if (!created || !_glfwRefreshContextAttribs(window, &ctxconfig))
        {
            glfwDestroyWindow((GLFWwindow*) window);
            return NULL;
        }
    }

    return (GLFWwindow*) window;
}
