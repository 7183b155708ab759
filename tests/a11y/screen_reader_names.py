"""Reads the main window's controls over the accessibility bus: every
drop-down, spin box, edit box and bar has a name, and a drop-down is named by
its label, not by the item it shows."""
import os
import subprocess
import sys
import time

vode, recording = sys.argv[1:3]
bus = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
window = subprocess.Popen([vode, recording], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

import pyatspi  # noqa: E402  (after the bus is up)


def walk(node, depth=0):
    yield node
    if depth < 40:
        for child in node:
            if child is not None:
                yield from walk(child, depth + 1)


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def main_frame():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "rezu-vode":
            for node in app:
                if node is not None and node.getRoleName() == "frame" and recording in node.name:
                    return app, node
            return app, None
    return None, None


try:
    frame = None
    deadline = time.time() + 60
    while time.time() < deadline:
        app, frame = main_frame()
        # Answer the start-up box (and any message) the way a keyboard user would.
        if app is not None:
            for node in walk(app):
                if node.getRoleName() == "push button" and node.name == "OK" and showing(node):
                    node.queryAction().doAction(0)
                    break
        if frame is not None and showing(frame) and not any(
                n.getRoleName() in ("alert", "dialog") and showing(n) for n in walk(app)):
            break
        time.sleep(0.5)
    if frame is None:
        sys.exit("the main window did not appear on the accessibility bus")

    faults, boxes = [], 0
    for node in walk(frame):
        role = node.getRoleName()
        if role == "combo box":
            boxes += 1
            shown = node.queryText().getText(0, -1) if "Text" in pyatspi.utils.listInterfaces(node) else ""
            items = [c.name for c in walk(node) if c.getRoleName() == "list item"]
            if not node.name or node.name in items or node.name == shown:
                faults.append(f"drop-down named {node.name!r}, items {items[:4]}")
        elif role in ("spin button", "text", "entry", "scroll bar", "slider") and showing(node) and not node.name:
            faults.append(f"{role} without a name")
    print(f"{boxes} drop-downs read")
    if boxes == 0:
        faults.append("no drop-down found: an eight-channel recording has a channel drop-down")
    for fault in faults:
        print("FAULT:", fault)
    sys.exit(1 if faults else 0)
finally:
    window.terminate()
    window.wait(10)
    bus.terminate()
