"""The main window over the accessibility bus: every drop-down, spin box, edit
box and bar has a name, and a drop-down is named by its label, not its item."""
import os
import subprocess
import sys
import time

vode, recording = sys.argv[1:3]
quiet = {"stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}
bus = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], **quiet)
window = subprocess.Popen([vode, recording], env=dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                                                      QT_QPA_PLATFORM="xcb"), **quiet)
import pyatspi  # noqa: E402  (once the bus is up)


def walk(node, depth=0):
    yield node
    for child in (node if depth < 40 else []):
        if child is not None:
            yield from walk(child, depth + 1)


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


try:
    frame, deadline = None, time.time() + 60
    while frame is None and time.time() < deadline:
        time.sleep(0.5)
        for app in (a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name == "rezu-vode"):
            nodes = list(walk(app))
            # Answer the start-up box, and any message, as a keyboard user would.
            ok = [n for n in nodes if n.getRoleName() == "push button" and n.name == "OK" and showing(n)]
            if ok:
                ok[0].queryAction().doAction(0)
            elif not any(n.getRoleName() in ("alert", "dialog") and showing(n) for n in nodes):
                frame = next((n for n in app if n is not None and recording in n.name and showing(n)), None)
    if frame is None:
        sys.exit("the main window did not appear on the accessibility bus")
    faults, boxes = [], 0
    for node in walk(frame):
        role = node.getRoleName()
        if role == "combo box":
            boxes += 1
            items = [n.name for n in walk(node) if n.getRoleName() == "list item"]
            if not node.name or node.name in items:
                faults.append(f"drop-down named {node.name!r}, items {items[:4]}")
        elif role in ("spin button", "text", "entry", "scroll bar", "slider") and showing(node) and not node.name:
            faults.append(f"{role} without a name")
    print(f"{boxes} drop-downs read")
    if boxes == 0:
        faults.append("no drop-down: an eight-channel recording has a channel drop-down")
    for fault in faults:
        print("FAULT:", fault)
    sys.exit(1 if faults else 0)
finally:
    window.terminate()
    window.wait(10)
    bus.terminate()
