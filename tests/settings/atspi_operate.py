#!/usr/bin/python3
"""Operates one control of a running application through AT-SPI, as a
screen reader or an automation tool would: finds it by role and name among
the controls shown, then acts on it.

    atspi_operate.py APP ROLE NAME press
    atspi_operate.py APP ROLE NAME value NUMBER
    atspi_operate.py APP ROLE NAME state
    atspi_operate.py APP ROLE NAME extents

ROLE is an AT-SPI role name ("check box", "slider", ...). Prints one line:
"ok ..." with the control's state or value after the action (for extents its
place on the screen, "ok X Y W H"); exits 1 with
"cannot ..." when the control is not found within the deadline or refuses.
"""

import sys
import time

import pyatspi

DEADLINE_S = 30


def showing(node):
    try:
        return node.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:
        return False


def find(app_name, role, name):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is None or app.name != app_name:
            continue
        found = pyatspi.findDescendant(
            app, lambda n: n is not None and n.getRoleName() == role and n.name == name and showing(n))
        if found is not None:
            return found
    return None


def describe(node):
    words = []
    state = node.getState()
    words.append("checked" if state.contains(pyatspi.STATE_CHECKED) else "unchecked")
    try:
        words.append("value=%r" % node.queryValue().currentValue)
    except NotImplementedError:
        pass
    return " ".join(words)


def main(argv):
    if len(argv) < 5:
        print("cannot operate: usage: APP ROLE NAME press|value NUMBER|state|extents")
        return 1
    app_name, role, name, what = argv[1:5]
    node = None
    deadline = time.monotonic() + DEADLINE_S
    while node is None and time.monotonic() < deadline:
        try:
            node = find(app_name, role, name)
        except Exception:
            node = None
        if node is None:
            time.sleep(0.25)
    if node is None:
        print("cannot find the %s named %r in %s" % (role, name, app_name))
        return 1

    if what == "press":
        action = node.queryAction()
        names = [action.getName(i).lower() for i in range(action.nActions)]
        for wanted in ("toggle", "press", "click"):
            if wanted in names:
                action.doAction(names.index(wanted))
                break
        else:
            print("cannot press the %s named %r: actions %r" % (role, name, names))
            return 1
    elif what == "value":
        node.queryValue().currentValue = float(argv[5])
    elif what == "extents":
        box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        print("ok %d %d %d %d" % (box.x, box.y, box.width, box.height))
        return 0
    elif what != "state":
        print("cannot operate: unknown action %r" % what)
        return 1
    time.sleep(0.3)
    print("ok " + describe(node))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
