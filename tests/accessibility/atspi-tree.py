#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Lists what a screen reader meets in the running program, through AT-SPI, and fails on a
control without a name.

Run inside the program's accessibility bus, for example:
    dbus-run-session -- sh -c '/usr/libexec/at-spi-bus-launcher --launch-immediately &
        QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 build/release/zomvorn & sleep 3;
        tests/accessibility/atspi-tree.py'
Needs Debian's python3-pyatspi (and at-spi2-core, dbus-x11 for the bus).
"""

import sys

import pyatspi

# Roles that a user acts on or reads: each must have a name.
NAMED = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_SCROLL_BAR, pyatspi.ROLE_SLIDER,
    pyatspi.ROLE_PROGRESS_BAR, pyatspi.ROLE_MENU, pyatspi.ROLE_MENU_ITEM,
    pyatspi.ROLE_CHECK_MENU_ITEM, pyatspi.ROLE_RADIO_MENU_ITEM,
}


def walk(node, depth, missing):
    role = node.getRole()
    name = node.name or ''
    value = ''
    try:
        v = node.queryValue()
        value = f' value {v.currentValue:g} of {v.minimumValue:g}..{v.maximumValue:g}'
    except NotImplementedError:
        pass
    print(f'{"  " * depth}{node.getRoleName()}: {name!r}{value}')
    if role in NAMED and not name.strip():
        missing.append(f'{node.getRoleName()} under {node.parent.name!r}')
    for child in node:
        if child is not None:
            walk(child, depth + 1, missing)


def main():
    wanted = sys.argv[1] if len(sys.argv) > 1 else 'ZOMIRA -VORNA-'
    desktop = pyatspi.Registry.getDesktop(0)
    apps = [app for app in desktop if app is not None and app.name == wanted]
    if not apps:
        print(f'no application {wanted!r} on the accessibility bus', file=sys.stderr)
        return 2
    missing = []
    for app in apps:
        walk(app, 0, missing)
    for m in missing:
        print(f'without a name: {m}', file=sys.stderr)
    return 1 if missing else 0


if __name__ == '__main__':
    sys.exit(main())
