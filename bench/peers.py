#!/usr/bin/python3
"""Times the operations Varne shares with common image libraries on the
benchmarks' own picture, in the same run, and prints one table beside
Varne's figures.

OpenCV and Pillow are timed in-process. libvips and ImageMagick are timed
through their command-line tools (Debian ships no Python binding for
libvips): each operation's run minus a run that only loads and stores the
same picture, so what is left is the operation.

usage: peers.py --varne-json FILE [--varne-json FILE ...] --bmp FILE [--bmp FILE ...] [--repeats N]
"""

import argparse
import json
import math
import os
import shutil
import subprocess
import tempfile
import time

import numpy as np

try:
    import cv2
except ImportError:
    cv2 = None
try:
    from PIL import Image, ImageChops
except ImportError:
    Image = None

THRESHOLD = 128
LIGHT_GREY = 192
OPERATIONS = ["copy", "grayscale", "invert", "threshold", "rotate45"]
VARNE_BENCHMARKS = {
    "copy": "BM_CopyDib32",
    "grayscale": "BM_GrayScaleCommand",
    "invert": "BM_InvertCommand",
    "threshold": "BM_ThresholdCommand",
    "rotate45": "BM_RotateDib45",
}


def best_of(repeats, run):
    """Fastest of several runs, in milliseconds."""
    best = math.inf
    for _ in range(repeats):
        start = time.perf_counter()
        run()
        best = min(best, time.perf_counter() - start)
    return best * 1e3


def touched_memcpy_ms(nbytes, repeats):
    source = np.full(nbytes, 0x5A, dtype=np.uint8)
    target = np.zeros(nbytes, dtype=np.uint8)
    return best_of(repeats, lambda: np.copyto(target, source))


def opencv_rotation(image):
    """45 degrees counter-clockwise, nearest pixel, canvas grown to hold it."""
    h, w = image.shape[:2]
    c = s = math.sqrt(0.5)
    new_w = int(math.ceil(w * c + h * s))
    new_h = int(math.ceil(w * s + h * c))
    matrix = cv2.getRotationMatrix2D((w / 2, h / 2), 45, 1.0)
    matrix[0, 2] += new_w / 2 - w / 2
    matrix[1, 2] += new_h / 2 - h / 2
    return lambda: cv2.warpAffine(image, matrix, (new_w, new_h), flags=cv2.INTER_NEAREST,
                                  borderMode=cv2.BORDER_CONSTANT,
                                  borderValue=(LIGHT_GREY, LIGHT_GREY, LIGHT_GREY, 0))


def time_opencv(path, threads, repeats):
    if cv2 is None:
        return {}
    default_threads = cv2.getNumThreads()
    cv2.setNumThreads(1 if threads == 1 else default_threads)
    image = cv2.cvtColor(cv2.imread(path, cv2.IMREAD_COLOR), cv2.COLOR_BGR2BGRA)

    def threshold():
        gray = cv2.cvtColor(image, cv2.COLOR_BGRA2GRAY)
        return cv2.threshold(gray, THRESHOLD, 255, cv2.THRESH_BINARY)

    runs = {
        "copy": image.copy,
        "grayscale": lambda: cv2.cvtColor(image, cv2.COLOR_BGRA2GRAY),
        "invert": lambda: cv2.bitwise_not(image),
        "threshold": threshold,
        "rotate45": opencv_rotation(image),
    }
    result = {name: best_of(repeats, run) for name, run in runs.items()}
    cv2.setNumThreads(default_threads)
    return result


def time_pillow(path, repeats):
    if Image is None:
        return {}
    image = Image.open(path).convert("RGB")
    image.load()
    table = [0 if v <= THRESHOLD else 255 for v in range(256)]
    fill = (LIGHT_GREY, LIGHT_GREY, LIGHT_GREY)
    runs = {
        "copy": image.copy,
        "grayscale": lambda: image.convert("L"),
        "invert": lambda: ImageChops.invert(image),
        "threshold": lambda: image.convert("L").point(table),
        "rotate45": lambda: image.rotate(45, resample=Image.NEAREST, expand=True, fillcolor=fill),
    }
    return {name: best_of(repeats, run) for name, run in runs.items()}


def command_ms(commands, repeats):
    """None when the tool refuses, as Debian's ImageMagick policy does for
    pictures above 128 megapixels (the large picture turned by 45 degrees)."""
    def run():
        for command in commands:
            subprocess.run(command, check=True, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
    try:
        return best_of(repeats, run)
    except subprocess.CalledProcessError:
        return None


def minus(total, baseline, times=1):
    if total is None or baseline is None:
        return None
    return max(total - baseline * times, 0.0)


def time_vips(path, threads, repeats, scratch):
    if shutil.which("vips") is None:
        return {}
    native = os.path.join(scratch, "in.v")
    out = os.path.join(scratch, "out.v")
    gray = os.path.join(scratch, "gray.v")
    subprocess.run(["vips", "copy", path, native], check=True)
    flags = ["--vips-concurrency=1"] if threads == 1 else []

    def vips(*args):
        return ["vips"] + list(args) + flags

    baseline = command_ms([vips("copy", native, out)], repeats)
    steps = {
        "grayscale": [vips("colourspace", native, out, "b-w")],
        "invert": [vips("invert", native, out)],
        "threshold": [vips("colourspace", native, gray, "b-w"),
                      vips("relational_const", gray, out, "more", str(THRESHOLD))],
        "rotate45": [vips("rotate", native, out, "45", "--interpolate", "nearest",
                          "--background", f"{LIGHT_GREY} {LIGHT_GREY} {LIGHT_GREY}")],
    }
    return {name: minus(command_ms(commands, repeats), baseline, len(commands))
            for name, commands in steps.items()}


def time_imagemagick(path, threads, repeats, scratch):
    convert = "/usr/bin/convert-im6.q16"
    if not os.path.exists(convert):
        return {}
    cache = os.path.join(scratch, "in.mpc")
    subprocess.run([convert, path, cache], check=True)
    limit = ["-limit", "thread", "1"] if threads == 1 else []

    def magick(*operation):
        return [convert] + limit + [cache] + list(operation) + ["null:"]

    baseline = command_ms([magick()], repeats)
    grey = f"rgb({LIGHT_GREY},{LIGHT_GREY},{LIGHT_GREY})"
    steps = {
        "grayscale": magick("-colorspace", "Gray"),
        "invert": magick("-negate"),
        "threshold": magick("-colorspace", "Gray", "-threshold", f"{THRESHOLD * 100 / 255:.3f}%"),
        "rotate45": magick("-virtual-pixel", "background", "-background", grey, "-filter",
                           "point", "-interpolate", "Nearest", "+distort", "SRT", "45"),
    }
    return {name: minus(command_ms([command], repeats), baseline)
            for name, command in steps.items()}


def varne_figures(json_path):
    """Benchmark name and size -> (milliseconds, ratio to memcpy), medians
    where the run had repetitions."""
    with open(json_path) as handle:
        report = json.load(handle)
    figures = {}
    for entry in report["benchmarks"]:
        if entry.get("run_type") == "aggregate" and entry.get("aggregate_name") != "median":
            continue
        name = entry["run_name"] if "run_name" in entry else entry["name"]
        parts = name.split("/")
        size = tuple(int(p.split(":")[1]) for p in parts[1:3])
        key = (parts[0], size)
        if entry.get("run_type") == "aggregate" or key not in figures:
            figures[key] = (entry["real_time"], entry.get("x_memcpy", float("nan")),
                            entry.get("memcpy_ms"))
    return figures


def print_varne_table(json_path):
    """Every Varne benchmark: its time, and the ratios to the two memcpys."""
    with open(json_path) as handle:
        report = json.load(handle)
    for entry in report["benchmarks"]:
        if entry.get("run_type") == "aggregate" and entry.get("aggregate_name") != "median":
            continue
        parts = entry.get("run_name", entry["name"]).split("/")
        size = "x".join(p.split(":")[1] for p in parts[1:3])
        print(f"| {parts[0][3:]} | {size} | {entry['real_time']:.1f} | {entry.get('x_memcpy', 0):.2f}"
              f" | {entry.get('memcpy_ms', 0):.1f} | {entry.get('fresh_ms', 0):.1f}"
              f" | {entry.get('x_fresh', 0):.2f} |")
        if "updates_per_s" in entry:
            print(f"| {parts[0][3:]}, updates per second | {size} | {entry['updates_per_s']:.1f} |"
                  " | | | |")


def bmp_size(path):
    with open(path, "rb") as handle:
        header = handle.read(26)
    return int.from_bytes(header[18:22], "little"), int.from_bytes(header[22:26], "little")


def format_ms(value):
    return "-" if value is None else f"{value:.1f}"


def print_table(size, varne, peers, memcpy_ms):
    columns = list(peers)
    print(f"\n{size[0]}x{size[1]} ({size[0] * size[1] / 1e6:.0f} MP); times in ms, best of runs;"
          f" numpy copy of the 32-bpp bytes into touched memory: {memcpy_ms:.1f} ms")
    header = ["operation", "Varne", "Varne/memcpy"] + columns + ["Varne/fastest (per memcpy)", "fastest"]
    print("| " + " | ".join(header) + " |")
    print("|" + "---|" * len(header))
    for operation in OPERATIONS:
        ms, ratio, _ = varne.get((VARNE_BENCHMARKS[operation], size), (None, None, None))
        # Rotation's own ratio is to its output's bytes; the peers are
        # normalised by the image's, so take the image memcpy of the copy.
        image_memcpy = varne.get(("BM_CopyDib32", size), (None, None, None))[2]
        if operation == "rotate45" and ms is not None and image_memcpy:
            ratio = ms / image_memcpy
        row = [operation, format_ms(ms), "-" if ratio is None else f"{ratio:.2f}"]
        if operation == "rotate45" and ratio is not None:
            row[2] += " (image bytes)"
        timed = {column: peers[column].get(operation) for column in columns}
        row += [format_ms(timed[column]) for column in columns]
        present = {column: value for column, value in timed.items() if value}
        if present and ratio is not None:
            # Both sides as multiples of their own run's memcpy, so a
            # neighbour that loads the machine during one of them cancels.
            fastest = min(present, key=present.get)
            row += [f"{ratio / (present[fastest] / memcpy_ms):.2f}", fastest]
        else:
            row += ["-", "-"]
        print("| " + " | ".join(row) + " |")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--varne-json", action="append", required=True)
    parser.add_argument("--bmp", action="append", required=True)
    parser.add_argument("--repeats", type=int, default=3)
    arguments = parser.parse_args()
    varne = {}
    for json_path in arguments.varne_json:
        varne.update(varne_figures(json_path))
    print("| benchmark | size | ms | x memcpy (touched) | memcpy ms | fresh memcpy ms | x fresh |")
    print("|---|---|---|---|---|---|---|")
    for json_path in arguments.varne_json:
        print_varne_table(json_path)
    for path in arguments.bmp:
        size = bmp_size(path)
        # The command-line peers cost seconds a run on the large picture.
        cli_repeats = max(1, arguments.repeats - 1) if size[0] * size[1] > 20e6 else arguments.repeats
        with tempfile.TemporaryDirectory(dir="/dev/shm" if os.path.isdir("/dev/shm") else None) as scratch:
            peers = {
                "OpenCV 1t": time_opencv(path, 1, arguments.repeats),
                "OpenCV": time_opencv(path, 0, arguments.repeats),
                "Pillow": time_pillow(path, arguments.repeats),
                "vips 1t": time_vips(path, 1, cli_repeats, scratch),
                "vips": time_vips(path, 0, cli_repeats, scratch),
                "IM 1t": time_imagemagick(path, 1, cli_repeats, scratch),
                "IM": time_imagemagick(path, 0, cli_repeats, scratch),
            }
        memcpy_ms = touched_memcpy_ms(size[0] * size[1] * 4, arguments.repeats)
        print_table(size, varne, {k: v for k, v in peers.items() if v}, memcpy_ms)


if __name__ == "__main__":
    main()
