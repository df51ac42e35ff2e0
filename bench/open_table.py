#!/usr/bin/python3
"""Opening a 24-bit picture, first and later, against OpenCV's imread of the
same file in the same minutes; each figure from fresh processes. Prints a
markdown table per size.

usage: open_table.py --open-driver PATH --memory-driver PATH --bmp FILE [--bmp FILE ...]
                     [--rounds N] [--opens N]

The file is in the page cache throughout (it was just written, and every
round reads it). Rounds alternate Varne and OpenCV so that both see the
same neighbours. "first" is a fresh process's first open, "later" the
median of its later ones. The conversion is NormalizeTo32Bpp in the later
opens, over a memcpy of the 32-bpp image into touched memory timed in the
same process. "GrayScale after idle" is varne_memory_bench's grayscale
case: an open, the idle step, then the command twice (first, again);
"GrayScale at once" is its grayscale-at-once case, the same without the
idle step.
"""

import argparse
import json
import statistics
import subprocess

IMREAD = r"""
import json, sys, time
import cv2
cv2.setNumThreads(1)
times = []
for _ in range(int(sys.argv[2])):
    start = time.perf_counter()
    image = cv2.imread(sys.argv[1], cv2.IMREAD_COLOR)
    times.append((time.perf_counter() - start) * 1e3)
    assert image is not None
    del image
print(json.dumps(times))
"""


def run_json(command):
    output = subprocess.run(command, check=True, capture_output=True, text=True).stdout
    return [json.loads(line) for line in output.strip().splitlines()]


def median(values):
    return statistics.median(values) if values else float("nan")


def measure(arguments, path):
    varne_first, varne_later, normalize_later, memcpy, first_phases = [], [], [], [], []
    opencv_first, opencv_later = [], []
    for _ in range(arguments.rounds):
        result = run_json([arguments.open_driver, path, str(arguments.opens)])[0]
        opens = result["opens"]
        varne_first.append(opens[0]["total"])
        first_phases.append(opens[0])
        varne_later += [o["total"] for o in opens[1:]]
        normalize_later += [o["normalize"] for o in opens[1:]]
        memcpy.append(result["memcpy_ms"])
        times = run_json(["/usr/bin/python3", "-c", IMREAD, path, str(arguments.opens)])[0]
        opencv_first.append(times[0])
        opencv_later += times[1:]
    command = {"idle": ([], []), "at_once": ([], [])}
    for _ in range(arguments.rounds):
        for key, case in (("idle", "grayscale"), ("at_once", "grayscale-at-once")):
            for line in run_json([arguments.memory_driver, case, path, path]):
                if "first_ms" in line:
                    command[key][0].append(line["first_ms"])
                    command[key][1].append(line["again_ms"])
    phase = {k: median([p[k] for p in first_phases]) for k in ("load", "normalize", "copy")}
    return {
        "varne_first": median(varne_first), "varne_first_all": varne_first,
        "varne_later": median(varne_later), "opencv_first": median(opencv_first),
        "opencv_first_all": opencv_first, "opencv_later": median(opencv_later),
        "normalize": median(normalize_later), "memcpy": median(memcpy), "phase": phase,
        "command": {key: (median(first), median(again)) for key, (first, again) in command.items()},
    }


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--open-driver", required=True)
    parser.add_argument("--memory-driver", required=True)
    parser.add_argument("--bmp", action="append", required=True)
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--opens", type=int, default=6)
    arguments = parser.parse_args()
    print(f"\nOpening a 24-bit .bmp (page cache); ms; medians of {arguments.rounds} fresh processes "
          f"of {arguments.opens} opens each, Varne and OpenCV 1 thread alternating")
    print("| picture | Varne first (load / normalize / copy) | OpenCV first | Varne later |"
          " OpenCV later | NormalizeTo32Bpp / memcpy (later) | GrayScale at once / again |"
          " GrayScale after idle / again |")
    print("|---|---|---|---|---|---|---|---|")
    for path in arguments.bmp:
        r = measure(arguments, path)
        name = path.rsplit("/", 1)[-1]
        p = r["phase"]
        firsts = ", ".join(f"{v:.0f}" for v in r["varne_first_all"])
        cv_firsts = ", ".join(f"{v:.0f}" for v in r["opencv_first_all"])
        print(f"| {name} | {r['varne_first']:.0f} ({p['load']:.0f} / {p['normalize']:.0f} / {p['copy']:.0f};"
              f" runs {firsts}) | {r['opencv_first']:.0f} (runs {cv_firsts}) | {r['varne_later']:.0f} |"
              f" {r['opencv_later']:.0f} | {r['normalize']:.1f} / {r['memcpy']:.1f} = "
              f"{r['normalize'] / r['memcpy']:.2f} |"
              + "".join(f" {first:.0f} / {again:.0f} = {first / again:.2f} |"
                        for first, again in (r["command"]["at_once"], r["command"]["idle"])))


if __name__ == "__main__":
    main()
