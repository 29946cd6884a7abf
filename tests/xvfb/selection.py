#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""X selection moves the clipboard tests need and xclip does not make (libX11 through ctypes):
  selection.py clear     the clipboard is left with no owner at all, as a copy's first step does
  selection.py manager   claims the clipboard manager's role and never answers, as a manager
                         without a tray to store into does; prints "ready", then waits to be killed
"""
import ctypes
import signal
import sys

X = ctypes.CDLL("libX11.so.6")
X.XOpenDisplay.restype = ctypes.c_void_p
X.XOpenDisplay.argtypes = [ctypes.c_char_p]
X.XInternAtom.restype = ctypes.c_ulong
X.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
X.XDefaultRootWindow.restype = ctypes.c_ulong
X.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
X.XCreateSimpleWindow.restype = ctypes.c_ulong
X.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 2 + [ctypes.c_uint] * 3 + [
    ctypes.c_ulong] * 2
X.XSetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong]
X.XGetSelectionOwner.restype = ctypes.c_ulong
X.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
X.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]

display = X.XOpenDisplay(None)
if not display:
    sys.exit("selection.py: cannot open the display")
if sys.argv[1:] == ["clear"]:
    X.XSetSelectionOwner(display, X.XInternAtom(display, b"CLIPBOARD", 0), 0, 0)
    X.XSync(display, 0)
elif sys.argv[1:] == ["manager"]:
    window = X.XCreateSimpleWindow(display, X.XDefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0)
    role = X.XInternAtom(display, b"CLIPBOARD_MANAGER", 0)
    X.XSetSelectionOwner(display, role, window, 0)
    X.XSync(display, 0)
    if X.XGetSelectionOwner(display, role) != window:
        sys.exit("selection.py: could not claim the clipboard manager's role")
    print("ready", flush=True)
    signal.pause()
else:
    sys.exit(__doc__)
