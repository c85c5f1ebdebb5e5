/* close_window WINDOW: asks an X11 window to close as a desktop's close button does (the
   WM_DELETE_WINDOW message), for the Windows tests' X server, which has no window manager. */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char **argv)
{
    Display *display = XOpenDisplay(NULL);
    if (argc != 2 || !display) {
        fprintf(stderr, "usage: close_window WINDOW (with DISPLAY set)\n");
        return 2;
    }
    Window window = strtoul(argv[1], NULL, 0);
    XEvent event = {0};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = XInternAtom(display, "WM_DELETE_WINDOW", False);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XCloseDisplay(display);
    return 0;
}
