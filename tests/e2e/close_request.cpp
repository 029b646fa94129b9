// Sends a window-close request (WM_PROTOCOLS / WM_DELETE_WINDOW, as a window manager does when
// the user closes a window) to the X window given as a decimal or 0x id. Exit status 0 when sent.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <X11/Xlib.h>

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s WINDOW-ID\n", argv[0]);
        return 2;
    }
    Display *x = XOpenDisplay(NULL);
    if (!x) {
        fprintf(stderr, "close_request: cannot open the X display\n");
        return 1;
    }
    Window window = (Window)strtoul(argv[1], NULL, 0);
    XEvent event;
    memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long)XInternAtom(x, "WM_DELETE_WINDOW", False);
    event.xclient.data.l[1] = CurrentTime;
    Status sent = XSendEvent(x, window, False, NoEventMask, &event);
    XSync(x, False);
    XCloseDisplay(x);
    return sent ? 0 : 1;
}
