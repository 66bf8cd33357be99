#!/usr/bin/python3
"""Operates one control of a running application through AT-SPI, as a
screen reader or an automation tool would: finds it by role and name among
the controls shown, then acts on it.

    atspi_operate.py APP ROLE NAME press
    atspi_operate.py APP ROLE NAME value NUMBER
    atspi_operate.py APP ROLE NAME state
    atspi_operate.py APP ROLE NAME press keys KEY...

After the action, "keys" types the named keys (Down, Up, End, Home,
Return, Escape, space) on the keyboard, as the user would in a menu the
action opened.

ROLE is an AT-SPI role name ("check box", "slider", ...). Prints one line:
"ok ..." with the control's state or value after the action; exits 1 with
"cannot ..." when the control is not found within the deadline or refuses.
"""

import sys
import time

import pyatspi

DEADLINE_S = 30

# X keysyms of the keys "keys" types.
KEYSYMS = {"Down": 0xFF54, "Up": 0xFF52, "End": 0xFF57, "Home": 0xFF50,
           "Return": 0xFF0D, "Escape": 0xFF1B, "space": 0x20}


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
        print("cannot operate: usage: APP ROLE NAME press|value NUMBER|state")
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
    elif what != "state":
        print("cannot operate: unknown action %r" % what)
        return 1
    if len(argv) > 5 and argv[5] == "keys":
        time.sleep(0.5)
        for key in argv[6:]:
            if key not in KEYSYMS:
                print("cannot type the key %r" % key)
                return 1
            pyatspi.Registry.generateKeyboardEvent(KEYSYMS[key], None, pyatspi.KEY_SYM)
            time.sleep(0.15)
    time.sleep(0.3)
    print("ok " + describe(node))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
