#!/usr/bin/python3
"""Resident memory per command at 64 MP, each case in a fresh process of
varne_memory_bench, and "Open Bmp" timed against OpenCV's imread of the
same file in the same run. Prints markdown tables.

usage: memory_table.py --driver PATH --bmp24 FILE --bmp8 FILE [--opens N] [--rounds N]
"""

import argparse
import json
import statistics
import subprocess
import time

try:
    import cv2
except ImportError:
    cv2 = None

CASES = ["open24", "reopen24", "open8", "grayscale", "invert", "threshold", "edges", "emboss",
         "rotate45", "watermark", "skin", "session"]
LABELS = {
    "open24": "Open Bmp, 24-bit file",
    "reopen24": "Open Bmp, 24-bit file, over the same picture open",
    "open8": "Open Bmp, 8-bit file",
    "grayscale": "GrayScale x2",
    "invert": "Invert x2",
    "threshold": "Threshold, live drag (16 + release) x2",
    "edges": "Edges x2",
    "emboss": "Emboss x2",
    "rotate45": "Rotate 45 x2",
    "watermark": "Watermark (64 MP mark) x2",
    "skin": "ApplySkin (64 MP texture) x2",
    "session": "Open, every command once, 10 s idle (dialog timer)",
}


def run_case(driver, case, bmp24, bmp8, count=None):
    command = [driver, case, bmp24, bmp8] + ([str(count)] if count else [])
    output = subprocess.run(command, check=True, capture_output=True, text=True).stdout
    result = {}
    for line in output.strip().splitlines():
        result.update(json.loads(line))
    return result


def imread_ms(path, count):
    times = []
    for _ in range(count):
        start = time.perf_counter()
        image = cv2.imread(path, cv2.IMREAD_COLOR)
        times.append((time.perf_counter() - start) * 1e3)
        del image
    return times


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--driver", required=True)
    parser.add_argument("--bmp24", required=True)
    parser.add_argument("--bmp8", required=True)
    parser.add_argument("--opens", type=int, default=6)
    parser.add_argument("--rounds", type=int, default=2)
    arguments = parser.parse_args()

    results = [run_case(arguments.driver, case, arguments.bmp24, arguments.bmp8) for case in CASES]
    image = results[0]["image_mib"]
    print(f"\nResident memory, 64 MP (one 32-bpp image = {image:.1f} MiB); MiB; "
          "peak above the process's own start and the two kept images")
    print("| case | peak above kept, MiB | x one image | resident after, MiB | after, above the start |"
          " first after idle, ms | again, ms |")
    print("|---|---|---|---|---|---|---|")
    for result in results:
        after = "after 10 s idle" if result["case"] == "session" else "after the idle step"
        print(f"| {LABELS[result['case']]} | {result['peak_above_kept_mib']:.0f} |"
              f" {result['peak_above_kept_images']:.2f} | {result['rss_after_mib']:.0f} ({after}) |"
              f" {result['rss_after_above_base_mib']:.0f} |"
              f" {result.get('first_ms', float('nan')):.0f} | {result.get('again_ms', float('nan')):.0f} |")

    if cv2 is None:
        return
    cv2.setNumThreads(1)
    varne, opencv = [], []
    # Alternating, so both see the same neighbours; the first open of each
    # process pays for fresh pages and is left out.
    for _ in range(arguments.rounds):
        varne += run_case(arguments.driver, "open-times", arguments.bmp24, arguments.bmp8,
                          arguments.opens)["ms"][1:]
        opencv += imread_ms(arguments.bmp24, arguments.opens)[1:]
    v, o = statistics.median(varne), statistics.median(opencv)
    print("\n\"Open Bmp\" of the 64 MP 24-bit file (LoadImageA, NormalizeTo32Bpp, CopyDib32) against "
          "OpenCV's imread, 1 thread, same file, same run; from the second open of each process")
    print("| | median ms | best ms | runs |")
    print("|---|---|---|---|")
    print(f"| Varne Open Bmp | {v:.0f} | {min(varne):.0f} | {len(varne)} |")
    print(f"| OpenCV imread | {o:.0f} | {min(opencv):.0f} | {len(opencv)} |")
    print(f"| Varne / OpenCV | {v / o:.2f} | {min(varne) / min(opencv):.2f} | |")


if __name__ == "__main__":
    main()
