#!/usr/bin/env python3
"""A second X11 client for the input storm: one small plain window that can
take the keyboard focus away from the viewer. Prints the window's id, then
keeps the window until the process is ended or the X server goes away. Uses Xlib through ctypes, so no extra Python package is needed.
Usage: focus-window.py X Y WIDTH HEIGHT"""
import ctypes
import ctypes.util
import sys

xlib = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
xlib.XOpenDisplay.restype = ctypes.c_void_p
xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
xlib.XDefaultRootWindow.restype = ctypes.c_ulong
xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
xlib.XCreateSimpleWindow.restype = ctypes.c_ulong
xlib.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                     ctypes.c_uint, ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong,
                                     ctypes.c_ulong]
xlib.XStoreName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_char_p]
xlib.XMapWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
xlib.XMoveWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int]
xlib.XFlush.argtypes = [ctypes.c_void_p]
xlib.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]

x, y, width, height = (int(value) for value in sys.argv[1:5])
display = xlib.XOpenDisplay(None)
if not display:
    sys.exit("cannot open the display")
window = xlib.XCreateSimpleWindow(display, xlib.XDefaultRootWindow(display), x, y, width, height,
                                  0, 0, 0x808080)
xlib.XStoreName(display, window, b"vextal focus thief")
xlib.XMapWindow(display, window)
# The window manager may place a new window where it likes; ask again.
xlib.XMoveWindow(display, window, x, y)
xlib.XFlush(display)
print(window, flush=True)
# No event is selected, so this blocks until the connection breaks; Xlib then
# ends the process. Nothing is drawn: the window only has to exist.
event = (ctypes.c_long * 24)()
while True:
    xlib.XNextEvent(display, ctypes.byref(event))
