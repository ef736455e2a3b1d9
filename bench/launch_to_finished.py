#!/usr/bin/python3

# SPDX-FileCopyrightText: 2026 The Ostrel developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""Launch to finished, as a user meets it: `ostrel FILE` from the launch until the status line
reads "已完成", less a bare launch (`ostrel` until its window is on the accessibility bus), beside
the shell pipeline a webmaster would type for the same counts. Reads the status line through the
accessibility bridge, as a screen reader does. Run by bench/launch_to_finished.sh.
Usage: launch_to_finished.py OSTREL ROWS REPETITIONS"""
import os
import random
import statistics
import subprocess
import sys
import tempfile
import time

import pyatspi

WORDS = ("green river tech daily cloud forum garden china market travel health photo music sport "
         "design code house food auto book news film game home life shop star blue web data").split()
TLDS = ("com", "net", "org", "cn", "com.cn", "info", "io", "de", "co.uk")


def write_export(path, rows):
    """A link suite's referring-page export: a few big hosts, a long tail of small ones."""
    rnd = random.Random(2009)
    hosts = [rnd.choice(("www.", "", "blog.", "bbs.", "news.", "m.")) + rnd.choice(WORDS) +
             rnd.choice(WORDS) + str(i % 97) + "." + rnd.choice(TLDS) for i in range(40000)]
    with open(path, "w", encoding="utf-8") as out:
        out.write("Domain rating,Referring page URL,Target URL,Anchor,First seen\n")
        lines = []
        for row in range(rows):
            u = rnd.random()
            host = hosts[int(u * u * u * len(hosts))]
            lines.append(f"{rnd.randrange(100)},https://{host}/{2015 + rnd.randrange(11)}/"
                         f"{rnd.choice(WORDS)}-{rnd.choice(WORDS)}-{row}.html,"
                         f"https://own.example.com/{rnd.choice(WORDS)}/{rnd.randrange(500)},"
                         f"\"{rnd.choice(WORDS)}, {rnd.choice(WORDS)}\",2025-"
                         f"{1 + rnd.randrange(12)}-{1 + rnd.randrange(28)}\n")
            if len(lines) == 10000:
                out.writelines(lines)
                lines = []
        out.writelines(lines)


def status_label(app):
    """The status line: the label whose text tells what the window is doing."""
    stack = [app]
    while stack:
        node = stack.pop()
        if node is None:
            continue
        name = node.name or ""
        if node.getRoleName() == "label" and (name.startswith("导入中") or
                                              name.startswith("已完成") or
                                              name.startswith("本工具")):
            return node
        stack.extend(node)
    return None


def launched(program, args, done):
    """Seconds from the launch until `done(status text)` holds."""
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
    start = time.perf_counter()
    proc = subprocess.Popen([program, *args], env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    label = None
    try:
        while time.perf_counter() - start < 120:
            if label is None:
                for app in pyatspi.Registry.getDesktop(0):
                    if app is not None and app.get_process_id() == proc.pid:
                        label = status_label(app)
            if label is not None:
                try:
                    if done(label.name or ""):
                        return time.perf_counter() - start
                except Exception:
                    label = None
            time.sleep(0.005)
        sys.exit("ostrel did not finish within two minutes")
    finally:
        proc.terminate()
        proc.wait()


def main():
    program, rows, repetitions = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "backlinks.csv")
        write_export(path, rows)
        subprocess.run(["cat", path], stdout=subprocess.DEVNULL, check=True)  # page cache
        bare, full, pipeline = [], [], []
        for _ in range(repetitions):
            bare.append(launched(program, [], lambda text: text != ""))
            full.append(launched(program, [path], lambda text: text.startswith("已完成")))
            start = time.perf_counter()
            subprocess.run(["sh", "-c", "cut -d, -f2 \"$0\" | awk -F/ '{print $3}' | sort | "
                            "uniq -c | sort -rn >/dev/null", path], check=True)
            pipeline.append(time.perf_counter() - start)
    bare_ms = statistics.median(bare) * 1000
    full_ms = statistics.median(full) * 1000
    pipe_ms = statistics.median(pipeline) * 1000
    print(f"{rows} rows, {repetitions} repetitions, medians")
    print(f"RESULT launch_bare_ms {bare_ms:.0f}")
    print(f"RESULT launch_finished_ms {full_ms:.0f}")
    print(f"RESULT launch_import_ms {full_ms - bare_ms:.0f}")
    print(f"RESULT launch_pipeline_ms {pipe_ms:.0f}")
    print(f"RESULT launch_pipeline_ratio {pipe_ms / max(full_ms - bare_ms, 1):.2f}")


main()
