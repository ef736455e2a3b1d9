#!/usr/bin/python3

# SPDX-FileCopyrightText: 2026 The Ostrel developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""Prints the accessibility tree (at-spi2) of the running Ostrel windows: role, name,
description, actions and states of every node. Run by scripts/a11y-check.sh."""
import sys
import time

import pyatspi


def dump(node, depth=0):
    try:
        actions = node.queryAction()
        names = [actions.getName(i) for i in range(actions.nActions)]
    except NotImplementedError:
        names = []
    states = node.getState()
    focusable = "focusable" if states.contains(pyatspi.STATE_FOCUSABLE) else ""
    print(f"{'  ' * depth}{node.getRoleName()}: {node.name!r}"
          f" desc={node.description!r} actions={names} {focusable}")
    for child in node:
        if child is not None:
            dump(child, depth + 1)


for _ in range(50):
    apps = [a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name.lower() == "ostrel"]
    if apps and apps[0].childCount:
        break
    time.sleep(0.2)
else:
    sys.exit("ostrel did not appear on the accessibility bus")
dump(apps[0])
