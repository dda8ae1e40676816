#!/usr/bin/env python3
"""Destroys an X11 window from another client, as a crashing window manager
or a stray xkill-like tool would: XDestroyWindow on its id. Uses Xlib through
ctypes, so no extra Python package is needed.  Usage: destroy-window.py WINDOW_ID"""
import ctypes
import ctypes.util
import sys

xlib = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
xlib.XOpenDisplay.restype = ctypes.c_void_p
xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
xlib.XDestroyWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
xlib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]

display = xlib.XOpenDisplay(None)
if not display:
    sys.exit("cannot open the display")
xlib.XDestroyWindow(display, int(sys.argv[1]))
xlib.XSync(display, 0)
xlib.XCloseDisplay(display)
